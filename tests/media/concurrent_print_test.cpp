// Printing from several threads: sessions on different printers share the transfer directory,
// and commands that several host threads start on one session each come back.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "media_fixture.h"

namespace rvs::test {
namespace {

TEST_F(MediaFixture, SessionsPrintingAtOnceEachHandTheirOwnDataToTheirOwnPrinter) {
    constexpr int kPrinters = 3;
    constexpr int kJobs = 4;
    const std::u16string names[kPrinters] = {u"Counter 1", u"Counter 2", u"Counter 3"};
    std::vector<sim::Device*> devices;
    std::vector<RvStatementHandle> handles(kPrinters, nullptr);
    for (int p = 0; p < kPrinters; ++p) {
        sim::Device& d = spooler->addPrinter(names[p], sim::Profile::korvelin());
        d.setAnswer(u"TimeInterval", {kIntervalMs, 0, 0, 0});
        devices.push_back(&d);
        ASSERT_EQ(RvStatementOpen(reinterpret_cast<const RvChar*>(names[p].c_str()), &handles[p]), 0u);
    }
    std::vector<std::thread> printers;
    std::atomic<int> failures{0};
    for (int p = 0; p < kPrinters; ++p) {
        printers.emplace_back([&, p] {
            for (int job = 0; job < kJobs; ++job) {
                const std::string data = "printer " + std::to_string(p) + " job " + std::to_string(job);
                const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
                if (RvStatementTxRxEx(handles[p], static_cast<uint32_t>(data.size()), bytes, nullptr, nullptr, 0) != 0) {
                    ++failures;
                }
            }
        });
    }
    for (std::thread& t : printers) t.join();
    EXPECT_EQ(failures.load(), 0);
    for (int p = 0; p < kPrinters; ++p) {
        const std::vector<sim::ReceivedFile> received =
            devices[p]->update([](sim::DriverState& s) { return s.paper.received; });
        ASSERT_EQ(received.size(), static_cast<size_t>(kJobs)) << "printer " << p;
        for (int job = 0; job < kJobs; ++job) {
            const std::string data = "printer " + std::to_string(p) + " job " + std::to_string(job);
            ASSERT_TRUE(received[job].data.has_value());
            EXPECT_EQ(std::string(received[job].data->begin(), received[job].data->end()), data);
        }
        EXPECT_EQ(RvStatementClose(handles[p]), 0u);
    }
    for (const std::u16string& path : files.created()) {
        EXPECT_FALSE(platform::system().fileExists(path)) << "a transfer file was left behind";
    }
}

// Nothing serialises commands on one session: each still ends, within its limits.
TEST_F(MediaFixture, CommandsFromSeveralThreadsOnOneSessionEachReturn) {
    openPrinter();
    behave([](sim::MediaBehaviour& b) { b.customerTakesAfterMs = 200; });
    const uint8_t data[] = {'x'};
    std::vector<std::function<uint32_t()>> calls = {
        [&] { return RvStatementTxRx(handle, sizeof data, data, nullptr, nullptr, 0); },
        [&] { return RvStatementPresent(handle); },
        [&] { return RvStatementCut(handle); },
        [&] { return RvStatementTxRxEx(handle, sizeof data, data, nullptr, nullptr, 0); },
        [&] { return RvStatementTransport(handle, 2); },
    };
    std::vector<std::thread> threads;
    std::atomic<int> returned{0};
    for (const auto& call : calls) {
        threads.emplace_back([&, call] {
            call();
            ++returned;
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(returned.load(), static_cast<int>(calls.size()));
    for (const std::u16string& path : files.created()) {
        EXPECT_FALSE(platform::system().fileExists(path)) << "a transfer file was left behind";
    }
}

}  // namespace
}  // namespace rvs::test
