#include "support/failure_walk.h"

#include <gtest/gtest.h>

#include <ostream>
#include <sstream>

namespace rvs::test {
namespace {

const char* describe(FaultForm::Kind kind) {
    switch (kind) {
        case FaultForm::Kind::CallFails: return "the call fails";
        case FaultForm::Kind::WrongSizeWithCode: return "one byte short, with a driver code";
        case FaultForm::Kind::WrongSizeWithoutCode: return "one byte short, without a driver code";
        case FaultForm::Kind::Refused: return "answers 1";
    }
    return "?";
}

}  // namespace

std::vector<FaultForm> faultFormsFor(const sim::Exchange& exchange) {
    std::vector<FaultForm> forms = {{FaultForm::Kind::CallFails, sim::Fault::callFails()}};
    if (exchange.direction == sim::Direction::Get) {
        const uint32_t shortSize = exchange.size > 0 ? exchange.size - 1 : 1;
        forms.push_back({FaultForm::Kind::WrongSizeWithCode, sim::Fault::wrongSize(shortSize, kWalkDriverCode)});
        forms.push_back({FaultForm::Kind::WrongSizeWithoutCode, sim::Fault::wrongSize(shortSize, 0)});
        if (exchange.size == 1) {
            forms.push_back({FaultForm::Kind::Refused, sim::Fault::answer({1})});
        }
    }
    return forms;
}

uint32_t FailurePoint::usualResult() const {
    switch (form.kind) {
        case FaultForm::Kind::CallFails: return 9;
        case FaultForm::Kind::WrongSizeWithCode: return kWalkDriverCode;
        case FaultForm::Kind::WrongSizeWithoutCode: return 16;
        case FaultForm::Kind::Refused: return 16;
    }
    return 16;
}

std::ostream& operator<<(std::ostream& out, const FailurePoint& point) {
    out << "exchange " << point.index << " (" << (point.exchange.direction == sim::Direction::Get   ? "get "
                                                             : point.exchange.direction == sim::Direction::Set ? "set "
                                                                                                               : "call ");
    for (char16_t unit : point.exchange.name) {
        out << (unit < 0x80 ? static_cast<char>(unit) : '?');
    }
    return out << ", " << point.exchange.size << " bytes): " << describe(point.form.kind)
               << (point.met ? "" : ", not reached");
}

std::vector<sim::Exchange> failureWalk(const FailureWalk& walk) {
    const auto filter = [&walk] { return sim::ExchangeFilter::thisThread(walk.ignoredNames); };

    sim::Device& clean = walk.arrange();
    clean.startCounting(filter());
    walk.act();
    const std::vector<sim::Exchange> exchanges = clean.countedExchanges();
    if (walk.cleanUp) {
        walk.cleanUp();
    }
    EXPECT_FALSE(exchanges.empty()) << "nothing to walk: the call made no exchange";

    for (size_t i = 0; i < exchanges.size(); ++i) {
        for (const FaultForm& form : faultFormsFor(exchanges[i])) {
            FailurePoint point{i, exchanges[i], form, false};
            sim::Device& device = walk.arrange();
            device.injectFaultAt(i, form.fault, filter());
            walk.act();
            point.met = device.exchangeFaultMet();
            std::ostringstream where;
            where << point;
            SCOPED_TRACE(where.str());
            // The runs must agree up to the failure point, or the walk fails other exchanges than it names.
            EXPECT_TRUE(point.met) << "the run ended before the failure point";
            if (point.met) {
                const sim::Exchange hit = device.countedExchanges().back();
                EXPECT_TRUE(hit.name == point.exchange.name && hit.direction == point.exchange.direction)
                    << "the run took another path before the failure point: " << hit;
            }
            walk.check(point);
            if (walk.cleanUp) {
                walk.cleanUp();
            }
            if (::testing::Test::HasFatalFailure()) {
                return exchanges;
            }
        }
    }
    return exchanges;
}

}  // namespace rvs::test
