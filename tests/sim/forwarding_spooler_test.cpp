// A double built on the forwarding base changes one call and passes the rest through.
#include <gtest/gtest.h>

#include "platform/driver_version.h"
#include "sim/forwarding_spooler.h"
#include "sim_test_support.h"

namespace rvs::sim::testing {
namespace {

class StatusAlwaysBusy : public ForwardingSpooler {
public:
    using ForwardingSpooler::ForwardingSpooler;
    uint32_t getPrinterData(platform::PrinterHandle handle, const char16_t* name, uint32_t* type, uint8_t* data,
                            uint32_t size, uint32_t* needed) override {
        const uint32_t error = ForwardingSpooler::getPrinterData(handle, name, type, data, size, needed);
        if (error == 0 && std::u16string(name) == u"StatusGet") {
            data[0] |= 0x20;
        }
        return error;
    }
};

TEST_F(SimTest, ForwardingDoubleOverridesOneCallAndPassesTheRest) {
    Profile profile = Profile::korvelinFO();
    profile.driverVersion = 0x0603;
    printer_.addPrinter(u"Q", profile);
    StatusAlwaysBusy spooler(&printer_);

    platform::PrinterHandle h = nullptr;
    ASSERT_TRUE(spooler.openPrinter(u"Q", &h));
    EXPECT_EQ(testing::set(spooler, h, u"MetricID", platform::kRegBinary, {3}), 0u);
    EXPECT_EQ(testing::get(spooler, h, u"MetricID", 1).bytes, std::vector<uint8_t>{3});
    EXPECT_EQ(testing::get(spooler, h, u"StatusGet", 5).bytes, (std::vector<uint8_t>{0x20, 0, 0, 0, 0}));
    uint16_t version = 0;
    EXPECT_TRUE(platform::ReadDriverVersion(spooler, h, u"Q", &version));
    EXPECT_EQ(version, 0x0603);
    spooler.closePrinter(h);
    EXPECT_EQ(printer_.device(u"Q").openHandles(), 0);
    EXPECT_EQ(names(printer_.exchanges()), (std::vector<std::u16string>{u"MetricID", u"MetricID", u"StatusGet"}));
}

}  // namespace
}  // namespace rvs::sim::testing
