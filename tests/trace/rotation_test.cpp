// Rotation of the full trace file into numbered backups, and pruning when settings load or
// change: driven through the writer, with the directory's content checked after each step.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "trace/trace_backups.h"
#include "trace_fixture.h"

namespace rvs::test {
namespace {

class Rotation : public TraceFixture {
protected:
    void putBackups(int from, int to) {
        for (int n = from; n <= to; ++n) put("Korvelincomm_" + std::to_string(n) + ".log", "b" + std::to_string(n));
    }

    // Fills the current file to 100 bytes short of the limit, then writes one line across it.
    void rotateThroughWriter(const std::string& firstLine = kCurrent) {
        putNearlyFull(firstLine, 100);
        session.traceHeaderDate = (uint32_t{kMorning.day} << 16) | kMorning.month;  // no header: exact size
        TraceLine(&session, traceid::Input, "%s", std::string(300, 'x') + "\n");
        const std::string rest = traceText();
        ASSERT_LT(rest.size(), 400u) << "the writer emptied the current file";
        EXPECT_EQ(rest.substr(rest.size() - 2), "x\n");
    }

    void setCount(uint16_t count) { session.traceFileCount.store(count); }
};

struct RotateCase {
    const char* name;
    uint16_t fileCount;
    Files before;
    Files after;
};

class RotateCases : public Rotation, public ::testing::WithParamInterface<RotateCase> {};

TEST_P(RotateCases, KeepsTheNewestBackupsNumberedFromOne) {
    for (const auto& [name, content] : GetParam().before) put(name, content);
    setCount(GetParam().fileCount);
    rotateThroughWriter();
    EXPECT_EQ(others(), GetParam().after);
}

const Files kOddNames = {{"Korvelincomm.x.log", "x"},       {"KorvelincommX.txt.log", "X"},
                         {"Korvelincomm_abc.log", "abc"},   {"Korvelincomm.old.log", "old"},
                         {"Korvelincomm0.log", "zero"},     {"Korvelincomm_5.txt.log", "txt"},
                         {"Korvelincomm_0.log", "nought"},  {"KorvelincommNotes.txt", "notes"}};

Files withOddNames(Files files) {
    files.insert(kOddNames.begin(), kOddNames.end());
    return files;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RotateCases,
    ::testing::Values(
        RotateCase{"NoBackups", 5, {}, {{"Korvelincomm_1.log", kCurrent}}},
        RotateCase{"FullSetLosesItsOldest",
                   5,
                   {{"Korvelincomm_1.log", "b1"}, {"Korvelincomm_2.log", "b2"}, {"Korvelincomm_3.log", "b3"},
                    {"Korvelincomm_4.log", "b4"}},
                   {{"Korvelincomm_1.log", "b2"}, {"Korvelincomm_2.log", "b3"}, {"Korvelincomm_3.log", "b4"},
                    {"Korvelincomm_4.log", kCurrent}}},
        RotateCase{"RoomLeftTakesTheNextNumber",
                   5,
                   {{"Korvelincomm_1.log", "b1"}, {"Korvelincomm_2.log", "b2"}, {"Korvelincomm_3.log", "b3"}},
                   {{"Korvelincomm_1.log", "b1"}, {"Korvelincomm_2.log", "b2"}, {"Korvelincomm_3.log", "b3"},
                    {"Korvelincomm_4.log", kCurrent}}},
        RotateCase{"GapIsNotSearchedFor",
                   10,
                   {{"Korvelincomm_1.log", "b1"}, {"Korvelincomm_3.log", "b3"}},
                   {{"Korvelincomm_1.log", "b1"}, {"Korvelincomm_3.log", kCurrent}}},
        RotateCase{"TimeStampedIsOlderThanNumbered",
                   4,
                   {{"Korvelincomm_1.log", "b1"}, {"Korvelincomm20991231235959.log", "stamp"},
                    {"Korvelincomm_2.log", "b2"}},
                   {{"Korvelincomm_1.log", "b1"}, {"Korvelincomm_2.log", "b2"}, {"Korvelincomm_3.log", kCurrent}}},
        RotateCase{"OlderStampGoesFirst",
                   4,
                   {{"Korvelincomm20240102000000.log", "later"}, {"Korvelincomm20240101000000.log", "earlier"},
                    {"Korvelincomm_1.log", "b1"}},
                   {{"Korvelincomm_1.log", "later"}, {"Korvelincomm_2.log", "b1"}, {"Korvelincomm_3.log", kCurrent}}},
        RotateCase{"TenIsNewerThanNine",
                   3,
                   {{"Korvelincomm_9.log", "b9"}, {"Korvelincomm_10.log", "b10"}},
                   {{"Korvelincomm_1.log", "b10"}, {"Korvelincomm_2.log", kCurrent}}},
        RotateCase{"SingleDigitBecomesNumbered",
                   10,
                   {{"Korvelincomm7.log", "b7"}},
                   {{"Korvelincomm_7.log", "b7"}, {"Korvelincomm_2.log", kCurrent}}},
        RotateCase{"CountOneKeepsOneBackup",
                   1,
                   {{"Korvelincomm_1.log", "b1"}, {"Korvelincomm_2.log", "b2"}},
                   {{"Korvelincomm_1.log", kCurrent}}},
        RotateCase{"CountZeroKeepsOneBackup", 0, {{"Korvelincomm_1.log", "b1"}}, {{"Korvelincomm_1.log", kCurrent}}},
        RotateCase{"OtherNamesAreLeftAlone",
                   2,
                   withOddNames({{"Korvelincomm_1.log", "b1"}}),
                   withOddNames({{"Korvelincomm_1.log", kCurrent}})}),
    [](const auto& info) { return std::string(info.param.name); });

// Records the renames and deletions of trace files, in order.
class FileMoves : public platform::SystemWrapper {
public:
    explicit FileMoves(platform::System* target) : SystemWrapper(target), previous_(target) {
        platform::setSystem(this);
    }
    ~FileMoves() override { platform::setSystem(previous_); }

    bool moveFile(const std::u16string& from, const std::u16string& to) override {
        bool moved = target()->moveFile(from, to);
        if (from.ends_with(u".log")) log.push_back(name(from) + " -> " + name(to));
        return moved;
    }
    bool deleteFile(const std::u16string& path) override {
        if (path.ends_with(u".log")) log.push_back("delete " + name(path));
        return target()->deleteFile(path);
    }

    std::vector<std::string> log;

private:
    static std::string name(const std::u16string& path) { return ascii(path.substr(path.rfind(u'/') + 1)); }
    platform::System* previous_;
};

TEST_F(Rotation, RenumbersThroughTemporaryNamesOldestFirst) {
    putBackups(1, 4);
    FileMoves moves(&platform::system());
    rotateThroughWriter();
    EXPECT_THAT(moves.log, ::testing::ElementsAre("delete Korvelincomm_1.log",
                                                  "Korvelincomm_2.log -> Korvelincomm_2.log.log",
                                                  "Korvelincomm_3.log -> Korvelincomm_3.log.log",
                                                  "Korvelincomm_4.log -> Korvelincomm_4.log.log",
                                                  "Korvelincomm_2.log.log -> Korvelincomm_1.log",
                                                  "Korvelincomm_3.log.log -> Korvelincomm_2.log",
                                                  "Korvelincomm_4.log.log -> Korvelincomm_3.log",
                                                  "delete Korvelincomm_4.log"));
}

TEST_F(Rotation, ConsecutiveRotationsNumberUpward) {
    setCount(3);
    rotateThroughWriter("first");
    rotateThroughWriter("second");
    rotateThroughWriter("third");
    EXPECT_EQ(others(), (Files{{"Korvelincomm_1.log", "second"}, {"Korvelincomm_2.log", "third"}}));
}

TEST_F(Rotation, SameContentIsNotBackedUpTwice) {
    // A holder that stalled past the lock's limit copied this very file before it emptied it.
    rotateThroughWriter();
    const std::string full = readWhole(dir.file("Korvelincomm_1.log"));
    put("Korvelincomm.log", full + "more lines\n");
    Guard lock(session.traceLock);
    std::unique_ptr<platform::File> current = platform::system().openFile(directory() + u"Korvelincomm.log",
                                                                          platform::FileMode::AppendShared);
    ASSERT_TRUE(current);
    EXPECT_TRUE(TraceRotate(&session, *current));
    EXPECT_EQ(others(), (Files{{"Korvelincomm_1.log", kCurrent}}));
    EXPECT_EQ(traceText(), "");
}

TEST_F(Rotation, AFileAnotherWriterHasEmptiedIsLeftAlone) {
    // This writer saw the file full, then waited for the directory while another rotated it.
    put("Korvelincomm.log", "after the other writer's rotation\n");
    Guard lock(session.traceLock);
    std::unique_ptr<platform::File> current = platform::system().openFile(directory() + u"Korvelincomm.log",
                                                                          platform::FileMode::AppendShared);
    ASSERT_TRUE(current);
    EXPECT_FALSE(TraceRotate(&session, *current));
    EXPECT_EQ(others(), Files{});
    EXPECT_EQ(traceText(), "after the other writer's rotation\n");
}

TEST_F(Rotation, ManyBackupsAreCutToTheFileCount) {
    putBackups(1, 60);
    put("Korvelincomm20200101000000.log", "stamp");
    setCount(50);
    rotateThroughWriter();
    Files expected;
    for (int n = 1; n <= 48; ++n) expected["Korvelincomm_" + std::to_string(n) + ".log"] = "b" + std::to_string(n + 12);
    expected["Korvelincomm_49.log"] = kCurrent;
    EXPECT_EQ(others(), expected);
}

// Pretends another process rotates the same directory while this one scans: listed backups
// vanish before they are handled, and the second listing finds more than the first.
class BusyDirectory : public platform::SystemWrapper {
public:
    BusyDirectory(platform::System* target, std::string directory)
        : SystemWrapper(target), previous_(target), directory_(std::move(directory)) {
        platform::setSystem(this);
    }
    ~BusyDirectory() override { platform::setSystem(previous_); }

    std::vector<std::u16string> findFiles(const std::u16string& directory, const std::u16string& prefix,
                                          const std::u16string& suffix) override {
        ++scans_;
        if (scans_ == 2) {
            for (int n = 100; n < 110; ++n) {
                std::ofstream(directory_ + "/Korvelincomm_" + std::to_string(n) + ".log") << "new";
            }
        }
        std::vector<std::u16string> names = target()->findFiles(directory, prefix, suffix);
        for (const std::u16string& name : names) {
            if (name.starts_with(u"Korvelincomm_3") || name.starts_with(u"Korvelincomm_101")) {
                target()->deleteFile(directory + name);
            }
        }
        return names;
    }

private:
    platform::System* previous_;
    std::string directory_;
    int scans_ = 0;
};

TEST_F(Rotation, BackupsComingAndGoingMidScanAreSurvived) {
    putBackups(1, 9);
    setCount(5);
    {
        BusyDirectory busy(&platform::system(), dir.path());
        rotateThroughWriter();
    }
    // A later prune with a quiet directory brings it back to order.
    TracePrune(&session);
    Files files = others();
    EXPECT_EQ(files.size(), 4u);
    for (int n = 1; n <= 4; ++n) EXPECT_EQ(files.count("Korvelincomm_" + std::to_string(n) + ".log"), 1u) << n;
}

// A renumbering cut short (its process died, or another holder took the directory over) leaves
// backups under their set-aside names: only the set-aside renames get through here.
class RenumberingCutShort : public platform::SystemWrapper {
public:
    explicit RenumberingCutShort(platform::System* target) : SystemWrapper(target), previous_(target) {
        platform::setSystem(this);
    }
    ~RenumberingCutShort() override { platform::setSystem(previous_); }
    bool moveFile(const std::u16string& from, const std::u16string& to) override {
        return to == from + u".log" && target()->moveFile(from, to);
    }

private:
    platform::System* previous_;
};

TEST_F(Rotation, ABackupSetAsideTwiceIsStillABackup) {
    putBackups(1, 2);
    put("Korvelincomm_3.log.log", "b3");  // set aside by an earlier renumbering cut short
    setCount(3);
    {
        RenumberingCutShort cutShort(&platform::system());
        TracePrune(&session);  // deletes b1, sets b2 and b3 aside once more, renumbers nothing
    }
    EXPECT_EQ(TraceScanFiles(directory(), nullptr), 2u);
    setCount(2);
    TracePrune(&session);
    EXPECT_EQ(others(), (Files{{"Korvelincomm_1.log", "b3"}})) << "the newest kept, the older one pruned";
}

struct PruneCase {
    const char* name;
    bool throughStore;
    uint16_t fileCount;
    Files after;
};

class PruneCases : public Rotation, public ::testing::WithParamInterface<PruneCase> {};

TEST_P(PruneCases, LeavesTheNewestBackups) {
    putBackups(1, 9);
    put("Korvelincomm.log", "current");
    const PruneCase& c = GetParam();
    if (c.throughStore) {
        ASSERT_EQ(TraceStoreSettings(&session, 0x3F, c.fileCount, directory().c_str()), kSuccess);
    } else {
        device->setTraceSettings(0x3F, c.fileCount, directory());
        ASSERT_TRUE(TraceLoadSettings(&session));
    }
    EXPECT_EQ(others(), c.after);
    EXPECT_EQ(readWhole(tracePath()).substr(0, 7), "current");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PruneCases,
    ::testing::Values(PruneCase{"StoreLowersTenToThree", true, 3, {{"Korvelincomm_1.log", "b8"}, {"Korvelincomm_2.log", "b9"}}},
                      PruneCase{"LoadLowersTenToThree", false, 3, {{"Korvelincomm_1.log", "b8"}, {"Korvelincomm_2.log", "b9"}}},
                      PruneCase{"LoadWithCountOne", false, 1, {{"Korvelincomm_1.log", "b9"}}},
                      PruneCase{"LoadWithExactlyRoom", false, 10,
                                {{"Korvelincomm_1.log", "b1"}, {"Korvelincomm_2.log", "b2"},
                                 {"Korvelincomm_3.log", "b3"}, {"Korvelincomm_4.log", "b4"},
                                 {"Korvelincomm_5.log", "b5"}, {"Korvelincomm_6.log", "b6"},
                                 {"Korvelincomm_7.log", "b7"}, {"Korvelincomm_8.log", "b8"},
                                 {"Korvelincomm_9.log", "b9"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Rotation, ScanCountsOnlyBackupsAndStopsAtTheArraySize) {
    putBackups(1, 6);
    for (const auto& [name, content] : kOddNames) put(name, content);
    put("Korvelincomm.log", "current");
    EXPECT_EQ(TraceScanFiles(directory(), nullptr), 6u);
    std::vector<TraceFileEntry> entries(4);
    EXPECT_EQ(TraceScanFiles(directory(), &entries), 4u);
    for (const TraceFileEntry& e : entries) EXPECT_EQ(e.inUse, 1u);
}

TEST_F(Rotation, ScanReadsTheTimeStamp) {
    put("Korvelincomm20231130235801.log", "");
    std::vector<TraceFileEntry> entries(1);
    ASSERT_EQ(TraceScanFiles(directory(), &entries), 1u);
    const TraceFileEntry& e = entries[0];
    EXPECT_EQ(e.number, 0u);
    EXPECT_EQ((std::vector<int>{e.year, e.month, e.day, e.hour, e.minute, e.second}),
              (std::vector<int>{2023, 11, 30, 23, 58, 1}));
}

}  // namespace
}  // namespace rvs::test
