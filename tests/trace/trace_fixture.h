// A session built directly on the virtual printer, with a fixed local time and executable
// path and its own trace directory, for the trace writer's tests.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "api/call_frame.h"
#include "session/session.h"
#include "sim/virtual_printer.h"
#include "support/temp_dir.h"
#include "support/test_system.h"
#include "trace/trace.h"

namespace rvs::test {

inline std::u16string u16(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

inline std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string ascii(const std::u16string& text) { return std::string(text.begin(), text.end()); }

// "get NAME SIZE" or "set NAME tTYPE SIZE" with the bytes of short writes, for exact sequences.
inline std::vector<std::string> describe(const std::vector<sim::Exchange>& exchanges) {
    std::vector<std::string> out;
    for (const sim::Exchange& e : exchanges) {
        std::string line = (e.direction == sim::Direction::Get ? "get " : "set ") + ascii(e.name);
        if (e.direction == sim::Direction::Set) line += " t" + std::to_string(e.type);
        line += " " + std::to_string(e.size);
        if (e.direction == sim::Direction::Set && e.bytes.size() <= 4) {
            for (uint8_t b : e.bytes) line += " " + std::to_string(b);
        }
        out.push_back(line);
    }
    return out;
}

using Files = std::map<std::string, std::string>;

// The first line of a full current file; a full backup shows as this line.
inline constexpr const char* kCurrent = "CURRENT";

inline constexpr platform::LocalTime kMorning{2026, 12, 9, 10, 20, 31, 42};
inline constexpr const char* kHeaderOfMorning = "\n[API]Version:02.10 Date:2026/12/09\n";

class TraceFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir.path().empty());
        device = &printer->addPrinter(u"P", sim::Profile::korvelin());
        device->setTraceSettings(0x3F, 5, u16(dir.path() + "/"));
        ASSERT_TRUE(printer->openPrinter(u"P", &session.printer));
        clock->setLocalTime(kMorning);
        clock->setExecutablePath("/opt/terminal/host.exe");
        ASSERT_TRUE(TraceLoadSettings(&session));
        printer->clearLog();
    }
    void TearDown() override { printer->closePrinter(session.printer); }

    std::string tracePath() const { return dir.file("Korvelincomm.log"); }
    std::string traceText() const { return readWhole(tracePath()); }
    bool traceExists() const { return std::filesystem::exists(tracePath()); }
    std::u16string directory() const { return u16(dir.path() + "/"); }

    void put(const std::string& name, const std::string& content) const {
        std::ofstream(dir.file(name), std::ios::binary) << content;
    }
    // A current file `room` bytes short of the limit, starting with the line `firstLine`.
    void putNearlyFull(const std::string& firstLine, size_t room) const {
        put("Korvelincomm.log", firstLine + "\n" + std::string(kTraceFileLimit - room - 1 - firstLine.size(), '.'));
    }
    // Every file but the current one; a full backup shows as its first line.
    Files others() const {
        Files files;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            std::string name = entry.path().filename().string();
            if (name == "Korvelincomm.log") continue;
            std::string content = readWhole(entry.path().string());
            if (content.size() == kTraceFileLimit) content = content.substr(0, content.find('\n'));
            files[name] = content;
        }
        return files;
    }

    ScopedTestSystem clock;
    sim::ScopedVirtualPrinter printer;
    TempDir dir;
    Session session;
    sim::Device* device = nullptr;
};

// The same, with the session registered and marked open so that the exports accept its handle.
class OpenSessionFixture : public TraceFixture {
protected:
    void SetUp() override {
        TraceFixture::SetUp();
        session.magic.store(kSessionMagic);
        registerSession(&session);
    }
    void TearDown() override {
        unregisterSession(&session);
        TraceFixture::TearDown();
    }
    RvStatementHandle handle() { return toHandle(&session); }
};

}  // namespace rvs::test
