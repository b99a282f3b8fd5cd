#include "support/session_fixture.h"

#include <sstream>

#include "api/call_frame.h"

namespace rvs::test {

SessionFixture::SessionFixture() { clock->setExecutablePath("/opt/terminal/host.exe"); }

SessionFixture::~SessionFixture() {
    if (handle != nullptr) {
        RvStatementClose(handle);
    }
}

sim::Device& SessionFixture::addPrinter(sim::Profile profile) {
    device = &spooler->addPrinter(kPrinterName, profile);
    device->setTraceSettings(0x3F, 5, traceDir.withSeparator());
    return *device;
}

RvStatementHandle SessionFixture::open() {
    if (device == nullptr) {
        addPrinter();
    }
    RvStatementHandle opened = nullptr;
    EXPECT_EQ(RvStatementOpen(rvText(kPrinterName), &opened), 0u);
    handle = opened;
    return opened;
}

void SessionFixture::close() {
    EXPECT_EQ(RvStatementClose(handle), 0u);
    handle = nullptr;
}

Session& SessionFixture::session() const {
    Session* s = validateHandle(handle);
    if (s == nullptr) {
        throw std::logic_error("no open session");
    }
    return *s;
}

std::vector<std::u16string> SessionFixture::exchangeNames() {
    std::vector<std::u16string> names;
    for (const sim::Exchange& e : spooler->exchangesWithout({u"StatusGet", u"OXAGetStatus", u"LogSettingCondition"})) {
        names.push_back(e.name);
    }
    return names;
}

std::vector<sim::Exchange> SessionFixture::exchangesOf(const std::u16string& name) {
    std::vector<sim::Exchange> found;
    for (const sim::Exchange& e : spooler->exchanges()) {
        if (e.name == name) {
            found.push_back(e);
        }
    }
    return found;
}

std::vector<std::string> SessionFixture::traceLines() const {
    std::vector<std::string> lines;
    std::istringstream in(traceFile());
    std::string line;
    while (std::getline(in, line)) {
        // "10:20:31.042<TAB>[host.exe][TRACE:5001]Call:8": keep from the level bracket on.
        const size_t tab = line.find('\t');
        if (tab == std::string::npos) {
            continue;  // version header and blank lines
        }
        const size_t level = line.find('[', line.find(']', tab) + 1);
        lines.push_back(level == std::string::npos ? line : line.substr(level));
    }
    return lines;
}

}  // namespace rvs::test
