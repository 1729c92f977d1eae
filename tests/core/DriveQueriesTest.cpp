// Drive queries off the caller's thread, and the catalogue beside a drive that does not
// answer. A hanging drive blocks until its gate opens, so a call that waited for it would
// never return: these tests prove "does not wait" by returning at all, not by a clock.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/DriveQueries.h"
#include "core/DriveTexts.h"
#include "core/NumberFormat.h"
#include "core/TrayFigures.h"
#include "tests/support/ScriptedDrives.h"

namespace dorvane {
namespace {

using namespace std::chrono_literals;
using testing::DriveGate;
using testing::ScriptedDriveApi;

constexpr std::uint8_t kC = 3;
constexpr std::uint8_t kX = 24;
// Long enough that a loaded machine never turns a scripted answer into a late one; the
// hanging drive costs it once per test.
constexpr std::chrono::milliseconds kWait = 1s;
constexpr auto kPatience = 60s;  // a guard against a hang, never reached when all is well

ScriptedDriveApi MachineWithBackupDrive() {
  auto api = ScriptedDriveApi::FloppyHardDiskCdRom();
  api.drives['x'] = {kDriveFixed, "BACKUP", true, 1'073'741'824, 10'737'418'240};
  return api;
}

// The label of a root, or nothing.
std::optional<std::string> LabelOf(DriveQueries& q, const std::string& root) {
  const auto volume = q.Volume(root);
  if (!volume) return std::nullopt;
  return volume->value.label;
}

std::optional<unsigned> TypeOf(DriveQueries& q, const std::string& root) {
  const auto type = q.DriveType(root);
  if (!type) return std::nullopt;
  return type->value;
}

TEST(DriveQueriesTest, AnswersAreTheDrivesOwn) {
  auto api = MachineWithBackupDrive();
  api.errorMode = 0x8000;
  api.drives['x'].serial = 0xB00C'0001;
  DriveQueries q(api, 60s);
  EXPECT_EQ(TypeOf(q, "c:\\"), std::optional<unsigned>(kDriveFixed));
  EXPECT_EQ(TypeOf(q, "d:\\"), std::optional<unsigned>(kDriveCdRom));
  EXPECT_EQ(TypeOf(q, "q:\\"), std::optional<unsigned>(kDriveNoRootDir));
  EXPECT_EQ(TypeOf(q, ""), std::optional<unsigned>(kDriveNoRootDir));
  const auto x = q.Volume("x:\\");
  ASSERT_TRUE(x);
  EXPECT_EQ(x->value, (VolumeInfo{"BACKUP", 0xB00C'0001}));
  EXPECT_EQ(x->round, q.Round());
  EXPECT_EQ(q.Volume("a:\\")->value, VolumeInfo{});  // no media
  const auto c = q.Space(kC);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->value, (DriveSpace{2'000'000'000, 20'000'000'000}));
  EXPECT_EQ(q.Space(0)->value.totalBytes, 20'000'000'000);  // the current drive
  EXPECT_TRUE(q.Space(1)->value.Failed());
  EXPECT_TRUE(q.Space(27)->value.Failed());
  // Labels and space are read quietly, and the mode found before is back once the answers
  // are in.
  for (unsigned mode : api.modeDuringLabelQuery) EXPECT_EQ(mode, kFailCriticalErrors);
  ASSERT_FALSE(api.modeDuringSpaceQuery.empty());
  for (unsigned mode : api.modeDuringSpaceQuery) EXPECT_EQ(mode, kFailCriticalErrors);
  EXPECT_EQ(api.errorMode, 0x8000u);
}

// A round asks each drive once: every call of the round gets that answer, whatever the
// drive says meanwhile; the next round asks again. A root names its drive in either case.
TEST(DriveQueriesTest, ARoundAsksEachDriveOnce) {
  auto api = MachineWithBackupDrive();
  DriveQueries q(api, 60s);
  EXPECT_EQ(q.Space(kC)->value.freeBytes, 2'000'000'000);
  api.SetSpace('c', 5, 10);
  EXPECT_EQ(q.Space(kC)->value.freeBytes, 2'000'000'000);
  EXPECT_EQ(LabelOf(q, "X:\\"), std::optional<std::string>("BACKUP"));
  EXPECT_EQ(LabelOf(q, "x:\\"), std::optional<std::string>("BACKUP"));
  EXPECT_EQ(TypeOf(q, "C:\\"), std::optional<unsigned>(kDriveFixed));
  EXPECT_EQ(TypeOf(q, "c:\\"), std::optional<unsigned>(kDriveFixed));
  const DriveQuery again[] = {DriveQuery::Space(kC), DriveQuery::Label("x:\\")};
  q.Start(again);  // answered in this round already: not asked again
  EXPECT_EQ(q.Space(kC)->value.freeBytes, 2'000'000'000);
  EXPECT_EQ(api.spaceQueries, 1);
  EXPECT_EQ(api.labelRoots.size(), 1u);
  q.BeginRound();
  const auto next = q.Space(kC);
  EXPECT_EQ(next->value.freeBytes, 5);
  EXPECT_EQ(next->round, q.Round());
  EXPECT_EQ(api.spaceQueries, 2);
}

TEST(DriveQueriesTest, AFailingQueryRaisesOnTheCallersThread) {
  auto api = MachineWithBackupDrive();
  DriveQueries q(api, 60s);
  api.throwOnSpace = true;
  EXPECT_THROW(q.Space(kC), std::runtime_error);
  api.throwOnSpace = false;
  EXPECT_EQ(q.Space(kC)->value.freeBytes, 2'000'000'000);
  api.throwOnLabel = true;
  EXPECT_THROW(q.Volume("c:\\"), std::runtime_error);
  // A round that stops at its first failure leaves the failures of its other queries
  // behind; a later round asks those drives again rather than raising them.
  const DriveQuery labels[] = {DriveQuery::Label("c:\\"), DriveQuery::Label("x:\\")};
  q.BeginRound();
  q.Start(labels);
  EXPECT_THROW(q.Volume("c:\\"), std::runtime_error);
  ASSERT_TRUE(q.Watch().WaitUntilIdle(kPatience));
  api.throwOnLabel = false;
  q.BeginRound();
  q.Start(labels);
  EXPECT_EQ(LabelOf(q, "x:\\"), std::optional<std::string>("BACKUP"));
  EXPECT_EQ(LabelOf(q, "c:\\"), std::optional<std::string>("SYSTEM"));
}

TEST(DriveQueriesTest, AHungDriveHoldsUpNeitherTheCallerNorTheOtherDrives) {
  auto api = MachineWithBackupDrive();
  const std::shared_ptr<DriveGate> gate = api.Hang('x');
  DriveQueries q(api, kWait);
  EXPECT_FALSE(q.Space(kX));
  const std::uint64_t asked = q.Round();
  q.BeginRound();
  EXPECT_EQ(q.Space(kC)->value.freeBytes, 2'000'000'000);
  // Busy with its query: no other question reaches it, and nobody waits for it.
  EXPECT_FALSE(q.DriveType("x:\\"));
  EXPECT_FALSE(q.Volume("x:\\"));
  EXPECT_EQ(LabelOf(q, "c:\\"), std::optional<std::string>("SYSTEM"));

  gate->Open();
  ASSERT_TRUE(q.Watch().WaitUntilIdle(kPatience));
  // The late answer comes with the round that asked for it; the drive is asked anew, but
  // not waited for: it kept a round waiting, and is not waited for until it answers in
  // time again.
  q.BeginRound();
  const auto x = q.Space(kX);
  ASSERT_TRUE(x);
  EXPECT_EQ(x->value, (DriveSpace{1'073'741'824, 10'737'418'240}));
  EXPECT_EQ(x->round, asked);
  ASSERT_TRUE(q.Watch().WaitUntilIdle(kPatience));
  EXPECT_EQ(gate->Reached(), 2);
  q.BeginRound();
  EXPECT_EQ(q.Space(kX)->round, q.Round());  // answered in time: waited for again
}

// A drive's latest answer stands in for a round's own while the drive does not answer,
// for a few rounds after it came; then there is none.
TEST(DriveQueriesTest, ALateDrivesLatestAnswerServesAFewRoundsOnly) {
  auto api = MachineWithBackupDrive();
  DriveQueries q(api, kWait);
  const std::uint64_t first = q.Round();
  ASSERT_TRUE(q.Space(kX));
  const std::shared_ptr<DriveGate> gate = api.Hang('x');
  for (std::uint64_t later = 1; later <= DriveQueries::kAnswerRounds + 2; ++later) {
    q.BeginRound();
    const auto x = q.Space(kX);
    SCOPED_TRACE(later);
    if (later <= DriveQueries::kAnswerRounds) {
      ASSERT_TRUE(x);
      EXPECT_EQ(x->round, first);
    } else {
      EXPECT_FALSE(x);
    }
  }
  EXPECT_EQ(gate->Reached(), 1);
  gate->Open();
  ASSERT_TRUE(q.Watch().WaitUntilIdle(kPatience));
}

// Whether a drive is waited for in the next round goes by how long its query took on the
// clock the queries are given: up to the wait it answers in time, beyond it it is slow.
// A query the caller stopped waiting for counts as late whatever it took, and one that
// waited in the queue behind another drive is not its drive's fault.
TEST(DriveQueriesTest, ADriveIsWaitedForWhileItAnswersWithinTheWait) {
  const struct {
    const char* what;
    std::chrono::milliseconds takes;
    bool hangsFirst;
    bool waitedNext;
  } cases[] = {
      {"a little less than the wait", kWait - 1ms, false, true},
      {"exactly the wait", kWait, false, true},
      {"a little more", kWait + 1ms, false, false},
      {"no time, but after its caller gave up", 0ms, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto api = MachineWithBackupDrive();
    api.drives['x'].takes = c.takes;
    std::shared_ptr<DriveGate> gate = c.hangsFirst ? api.Hang('x') : nullptr;
    DriveQueries q(api, kWait, [clock = api.clock] { return clock->Now(); });
    if (gate) {
      EXPECT_FALSE(q.Space(kX));
      gate->Open();
      ASSERT_TRUE(q.Watch().WaitUntilIdle(kPatience));
    } else {
      ASSERT_TRUE(q.Space(kX));
    }
    const std::uint64_t before = q.Round();
    q.BeginRound();
    api.SetSpace('x', 7, 10);
    const auto x = q.Space(kX);
    ASSERT_TRUE(x);
    EXPECT_EQ(x->round, c.waitedNext ? q.Round() : before);
    EXPECT_EQ(x->value.freeBytes, c.waitedNext ? 7 : 1'073'741'824);
    ASSERT_TRUE(q.Watch().WaitUntilIdle(kPatience));
  }
}

// A round's queries wake the worker that sleeps between rounds: the answer comes within
// the wait however long the worker has slept.
TEST(DriveQueriesTest, TheNextRoundWakesTheSleepingWorker) {
  auto api = MachineWithBackupDrive();
  DriveQueries q(api, kWait);
  ASSERT_TRUE(q.Space(kC));
  for (int round = 0; round < 3; ++round) {
    std::this_thread::sleep_for(50ms);  // the worker sleeps 2 ms after its last query
    q.BeginRound();
    const auto c = q.Space(kC);
    ASSERT_TRUE(c) << round;
    EXPECT_EQ(c->round, q.Round());
  }
  EXPECT_EQ(q.Watch().Threads(), 1);
}

// Queries asked ahead (the types, while the window is being made) belong to the first
// round that asks for them, however many rounds began meanwhile: one still running is
// waited for as that round's own, one answered is handed out as that round's without
// asking again, and a failure that came before is not raised but asked again. Started by
// an earlier round instead, the same running query is not waited for.
TEST(DriveQueriesTest, APrefetchedQueryBelongsToTheFirstRoundThatAsks) {
  auto api = MachineWithBackupDrive();
  const std::shared_ptr<DriveGate> gate = api.Hang('x');
  DriveQueries q(api, 60s);
  // x: last: it holds up the thread that asks the drives in turn.
  const DriveQuery ahead[] = {DriveQuery::Type("c:\\"), DriveQuery::Label("d:\\"), DriveQuery::Type("x:\\")};
  api.throwOnLabel = true;
  q.Prefetch(ahead);
  ASSERT_TRUE(gate->WaitReached(1));
  for (int i = 0; i < 300 && q.Watch().Outstanding() > 1; ++i) std::this_thread::sleep_for(10ms);
  ASSERT_EQ(q.Watch().Outstanding(), 1);  // c: and d: have answered, x: hangs
  api.throwOnLabel = false;
  q.BeginRound();
  q.BeginRound();
  std::thread opener([&gate] {
    std::this_thread::sleep_for(100ms);
    gate->Open();
  });
  const auto x = q.DriveType("x:\\");
  opener.join();
  ASSERT_TRUE(x);
  EXPECT_EQ(x->value, kDriveFixed);
  EXPECT_EQ(x->round, q.Round());
  const auto c = q.DriveType("c:\\");
  EXPECT_EQ(c->value, kDriveFixed);
  EXPECT_EQ(c->round, q.Round());
  EXPECT_EQ(LabelOf(q, "d:\\"), std::optional<std::string>("AUDIO CD"));  // asked again
  EXPECT_EQ(gate->Reached(), 1);
  EXPECT_EQ(api.labelRoots, (std::vector<std::string>{"d:\\", "d:\\"}));

  // The same with a round's Start: the next round does not wait for it, and has the
  // answer of before.
  const std::uint64_t answered = q.Round();
  const std::shared_ptr<DriveGate> second = api.Hang('x');
  const DriveQuery started[] = {DriveQuery::Type("x:\\")};
  q.BeginRound();
  q.Start(started);
  ASSERT_TRUE(second->WaitReached(1));
  q.BeginRound();
  EXPECT_EQ(q.DriveType("x:\\")->round, answered);
  second->Open();
  ASSERT_TRUE(q.Watch().WaitUntilIdle(kPatience));
}

// A round hands its queries over together and one thread asks them in turn; a drive that
// hangs among them costs the caller its wait once, and the queries behind it get another
// thread: they are answered in the same round.
TEST(DriveQueriesTest, ARoundsQueriesGoTogetherAndAHungOneHoldsUpNoneBehindIt) {
  auto api = MachineWithBackupDrive();
  api.drives['y'] = {kDriveRemote, "SHARE", true, 1, 2};
  const std::shared_ptr<DriveGate> gate = api.Hang('x');
  DriveQueries q(api, kWait);
  const DriveQuery round[] = {DriveQuery::Space(kC), DriveQuery::Space(kX), DriveQuery::Space(25),
                              DriveQuery::Type("d:\\"), DriveQuery::Label("y:\\")};
  q.Start(round);
  EXPECT_EQ(q.Space(kC)->value.freeBytes, 2'000'000'000);
  EXPECT_FALSE(q.Space(kX));
  EXPECT_EQ(q.Space(25)->value.totalBytes, 2);
  EXPECT_EQ(TypeOf(q, "d:\\"), std::optional<unsigned>(kDriveCdRom));
  // y: was busy with its space query when the round was handed over: its label is asked
  // when the caller comes to it.
  EXPECT_EQ(LabelOf(q, "y:\\"), std::optional<std::string>("SHARE"));
  EXPECT_EQ(gate->Reached(), 1);
  EXPECT_EQ(api.spaceQueries, 2);  // c: and y:; x: is still inside its query
  // One thread for the round, one more once x: had kept the caller waiting.
  EXPECT_EQ(q.Watch().Threads(), 2);
  // Started again in the next round, x: busy: nothing new for it, and nobody waits.
  q.BeginRound();
  q.Start(round);
  EXPECT_FALSE(q.Space(kX));
  EXPECT_EQ(q.Space(kC)->value.freeBytes, 2'000'000'000);
  EXPECT_EQ(gate->Reached(), 1);
  gate->Open();
  ASSERT_TRUE(q.Watch().WaitUntilIdle(kPatience));
}

TEST(DriveQueriesTest, OneQueryPerHungDriveAfterAHundredRounds) {
  auto api = MachineWithBackupDrive();
  const std::shared_ptr<DriveGate> gate = api.Hang('x');
  DriveQueries q(api, kWait);
  for (int tick = 0; tick < 100; ++tick) {
    q.BeginRound();
    ASSERT_TRUE(q.Space(kC));
    EXPECT_FALSE(q.Space(kX));
    EXPECT_FALSE(q.DriveType("x:\\"));
    EXPECT_FALSE(q.DriveType("X:\\"));
  }
  EXPECT_EQ(gate->Reached(), 1);
  EXPECT_EQ(q.Watch().Outstanding(), 1);
  // One thread stuck in x:, one for the drives that answer.
  EXPECT_LE(q.Watch().Threads(), 2);
  gate->Open();
  ASSERT_TRUE(q.Watch().WaitUntilIdle(kPatience));
}

TEST(DriveQueriesTest, SeveralHungDrivesEachHoldOneThread) {
  auto api = MachineWithBackupDrive();
  api.drives['y'] = {kDriveRemote, "SHARE", true, 1, 2};
  std::vector<std::shared_ptr<DriveGate>> gates{api.Hang('x'), api.Hang('y'), api.Hang('d')};
  DriveQueries q(api, kWait);
  for (int tick = 0; tick < 20; ++tick) {
    q.BeginRound();
    EXPECT_EQ(q.Space(kC)->value.freeBytes, 2'000'000'000);
    for (std::uint8_t n : {kX, std::uint8_t{25}, std::uint8_t{4}}) EXPECT_FALSE(q.Space(n));
  }
  EXPECT_EQ(q.Watch().Outstanding(), 3);
  EXPECT_LE(q.Watch().Threads(), 4);
  for (const auto& gate : gates) {
    EXPECT_EQ(gate->Reached(), 1);
    gate->Open();
  }
  ASSERT_TRUE(q.Watch().WaitUntilIdle(kPatience));
}

TEST(DriveQueriesTest, GoingAwayDoesNotWaitForAHungQuery) {
  auto api = MachineWithBackupDrive();
  const std::shared_ptr<DriveGate> gate = api.Hang('x');
  std::optional<DriveQueryWatch> watch;
  {
    DriveQueries q(api, kWait);
    EXPECT_FALSE(q.Space(kX));
    q.BeginRound();
    EXPECT_TRUE(q.Space(kC));
    watch.emplace(q.Watch());
  }  // returns with x: still in its query
  EXPECT_EQ(watch->Outstanding(), 1);
  EXPECT_GE(watch->Threads(), 1);
  // The thread ends once the system lets it go; only then may the drives go too.
  gate->Open();
  EXPECT_TRUE(watch->WaitUntilNoThreads(kPatience));
  EXPECT_EQ(watch->Outstanding(), 0);
}

TEST(DriveQueriesTest, TheCriticalErrorModeIsSharedAmongTheThreads) {
  // Two queries at once, one of them hung: the quiet mode stays on while either runs, and
  // the mode found before comes back when the last one ends.
  auto api = MachineWithBackupDrive();
  api.errorMode = 0x8000;
  const std::shared_ptr<DriveGate> gate = api.Hang('x');
  DriveQueries q(api, kWait);
  EXPECT_FALSE(q.Volume("x:\\"));
  ASSERT_TRUE(gate->WaitReached(1));
  q.BeginRound();
  EXPECT_EQ(LabelOf(q, "c:\\"), std::optional<std::string>("SYSTEM"));
  EXPECT_EQ(api.errorMode, kFailCriticalErrors);  // x: is still inside its query
  gate->Open();
  ASSERT_TRUE(q.Watch().WaitUntilIdle(kPatience));
  EXPECT_EQ(api.errorMode, 0x8000u);
  for (unsigned mode : api.modeDuringLabelQuery) EXPECT_EQ(mode, kFailCriticalErrors);
}

// -- the catalogue beside a hung drive ---------------------------------------------------

class HungDriveCatalogTest : public ::testing::Test {
 protected:
  void SetUp() override { SetCurrentSeparators({".", ","}); }
  void TearDown() override {
    gate->Open();  // the worker must be out of the scripted drives before they go
    EXPECT_TRUE(catalog.Queries().Watch().WaitUntilIdle(kPatience));
  }
  void Build() {
    catalog.Clear();
    FillDriveSlots(catalog.Slots());
    catalog.BuildDriveList(true);
  }
  std::vector<std::string> Roots() const {
    std::vector<std::string> roots;
    for (const auto& row : catalog.Rows()) roots.push_back(row.root);
    return roots;
  }
  // Lets x: answer, and waits until the worker has its answer.
  void Release() {
    gate->Open();
    ASSERT_TRUE(catalog.Queries().Watch().WaitUntilIdle(kPatience));
  }
  ScriptedDriveApi api = MachineWithBackupDrive();
  std::shared_ptr<DriveGate> gate = api.Hang('x');
  DriveCatalog catalog{api, nullptr, kWait};
};

TEST_F(HungDriveCatalogTest, BuildListsTheDriveUnnamedAndFillsItInWhenItAnswers) {
  Build();
  EXPECT_EQ(Roots(), (std::vector<std::string>{"a:\\", "c:\\", "x:\\"}));
  const DriveEntry& x = catalog.Rows()[2];
  EXPECT_EQ(x.number, 24);
  EXPECT_EQ(x.label, "no name");
  EXPECT_EQ(x.typeName, "");
  EXPECT_EQ(x.imageIndex, -1);
  EXPECT_EQ(RowSubItem(x, 5), "inactive");
  EXPECT_EQ(catalog.TrayComboItems()[2], "x:\\ no name");
  EXPECT_EQ(catalog.ExploreRoots()[2], "x:\\");
  // The other drives are complete.
  EXPECT_EQ(catalog.Rows()[1].label, "SYSTEM");
  EXPECT_EQ(catalog.Rows()[1].typeName, "Fixed/HD");
  // Nothing to fill in yet.
  catalog.BeginRound();
  const auto none = catalog.TakeLateAnswers();
  EXPECT_FALSE(none.textsChanged || none.rowsRemoved);

  Release();
  catalog.BeginRound();
  const auto typed = catalog.TakeLateAnswers();
  EXPECT_TRUE(typed.textsChanged);
  EXPECT_FALSE(typed.rowsRemoved);
  EXPECT_EQ(catalog.Rows()[2].typeName, "Fixed/HD");
  EXPECT_EQ(catalog.Rows()[2].imageIndex, 1);
  // The label is asked only now (one query per drive at a time), and waited for: the
  // drive was slow to give its type, not its label.
  EXPECT_EQ(catalog.Rows()[2].label, "BACKUP");
  EXPECT_EQ(catalog.TrayComboItems()[2], "x:\\ BACKUP");
  EXPECT_EQ(catalog.Slots()[24].label, "BACKUP");
  EXPECT_FALSE(catalog.TakeLateAnswers().textsChanged);
}

TEST_F(HungDriveCatalogTest, TicksKeepTheFiguresAndShowThemAfterTheDriveAnswers) {
  Build();
  catalog.Rows()[1].active = true;  // c:
  catalog.Rows()[2].active = true;  // x:
  for (int tick = 0; tick < 100; ++tick) {
    catalog.BeginRound();
    catalog.RefreshDriveEntries();
    // The tray following x: reads as a failed query: picture 0, and no low-space test.
    const TrayFigures tray = ComputeTrayFigures(catalog.Rows(), "x:\\ no name", catalog.LatestSpace(kX));
    EXPECT_FALSE(tray.readable);
    EXPECT_EQ(tray.iconIndex, 0);
    LowSpaceArming arming;
    EXPECT_FALSE(arming.Test(true, 75, tray));
    EXPECT_FALSE(arming.WarningDone());
  }
  EXPECT_EQ(RowSubItem(catalog.Rows()[1], 5), "1.86 Gb");
  EXPECT_EQ(RowSubItem(catalog.Rows()[2], 5), "inactive");
  EXPECT_EQ(RowSubItem(catalog.Rows()[2], 7), "0");
  EXPECT_EQ(gate->Reached(), 1);  // the type query of the build, still hanging
  EXPECT_EQ(catalog.Queries().Watch().Outstanding(), 1);

  Release();
  // Type, label, then space: one query at a time, each answer taken a round later.
  const auto& x = catalog.Rows()[2];
  for (int tick = 0; tick < 6 && (!x.reading || x.labelPending); ++tick) {
    catalog.BeginRound();
    catalog.TakeLateAnswers();
    catalog.RefreshDriveEntries();
    ASSERT_TRUE(catalog.Queries().Watch().WaitUntilIdle(kPatience));
  }
  EXPECT_EQ(RowSubItem(x, 5), "1024.00 Mb");  // exactly 2^30 bytes is still shown in Mb
  EXPECT_EQ(RowSubItem(x, 3), "10.00 Gb");
  EXPECT_EQ(x.label, "BACKUP");
}

// The tray drive is also a checked row: the round reads it once, and the tray and the
// row show the same reading; the next round reads it again.
TEST_F(HungDriveCatalogTest, ARoundReadsTheTrayDriveOnceForTheTrayAndItsRow) {
  Release();
  Build();
  catalog.Rows()[1].active = true;  // c:
  const int before = api.spaceQueries;
  catalog.BeginRound(kC, true);
  EXPECT_EQ(catalog.LatestSpace(kC)->value.freeBytes, 2'000'000'000);
  api.SetSpace('c', 1'073'741'900, 20'000'000'000);
  catalog.RefreshDriveEntries();
  EXPECT_EQ(RowSubItem(catalog.Rows()[1], 5), "1.86 Gb");
  EXPECT_EQ(api.spaceQueries, before + 1);
  catalog.BeginRound(kC, true);
  catalog.RefreshDriveEntries();
  EXPECT_EQ(RowSubItem(catalog.Rows()[1], 5), "1.00 Gb");
  EXPECT_EQ(catalog.LatestSpace(kC)->value.freeBytes, 1'073'741'900);
  EXPECT_EQ(api.spaceQueries, before + 2);
}

TEST_F(HungDriveCatalogTest, ARebuildDoesNotWaitForTheDriveEither) {
  Build();
  catalog.Rows()[1].active = true;
  Build();  // x: still in the first build's query
  EXPECT_EQ(Roots(), (std::vector<std::string>{"a:\\", "c:\\", "x:\\"}));
  EXPECT_TRUE(catalog.Rows()[2].typePending);
  EXPECT_EQ(gate->Reached(), 1);
}

TEST_F(HungDriveCatalogTest, ADriveThatTurnsOutUnlistedLeavesTheList) {
  api.drives['x'].type = kDriveCdRom;  // ignored CD-ROM drive
  Build();
  catalog.Rows()[1].active = true;
  ASSERT_EQ(Roots(), (std::vector<std::string>{"a:\\", "c:\\", "x:\\"}));
  Release();
  catalog.BeginRound();
  EXPECT_TRUE(catalog.TakeLateAnswers().rowsRemoved);
  EXPECT_EQ(Roots(), (std::vector<std::string>{"a:\\", "c:\\"}));
  EXPECT_EQ(catalog.TrayComboItems(), (std::vector<std::string>{"a:\\ no name", "c:\\ SYSTEM"}));
  EXPECT_EQ(catalog.ExploreRoots(), (std::vector<std::string>{"a:\\", "c:\\"}));
  EXPECT_TRUE(catalog.Rows()[1].active);  // the check marks stay with their drives
}

}  // namespace
}  // namespace dorvane

namespace dorvane {
namespace {

// Another volume on a letter whose drive hung: the answer of the old volume, when it comes
// at last, belongs to a build that is gone. The row of the new build shows the new
// volume's own type and label.
TEST_F(HungDriveCatalogTest, AReusedLetterGetsItsOwnVolumesTypeAndLabel) {
  for (const bool labelHangs : {false, true}) {
    SCOPED_TRACE(labelHangs ? "the label hung" : "the type hung");
    api = MachineWithBackupDrive();
    gate = api.Hang('x');
    DriveCatalog fresh(api, nullptr, kWait);
    std::shared_ptr<DriveGate> second;
    FillDriveSlots(fresh.Slots());
    fresh.BuildDriveList(true);  // x: hangs on its type
    if (labelHangs) {
      gate->Open();
      ASSERT_TRUE(fresh.Queries().Watch().WaitUntilIdle(kPatience));
      second = api.Hang('x');
      fresh.BeginRound();
      fresh.TakeLateAnswers();  // the type; the label query hangs
      ASSERT_EQ(fresh.Rows()[2].typeName, "Fixed/HD");
      ASSERT_TRUE(fresh.Rows()[2].labelPending);
    }
    // The letter now names a network share.
    api.drives['x'].type = kDriveRemote;
    api.drives['x'].label = "OTHER";
    api.drives['x'].hang = nullptr;
    fresh.Clear();
    FillDriveSlots(fresh.Slots());
    fresh.BuildDriveList(true);
    ASSERT_EQ(fresh.Rows().size(), 3u);
    gate->Open();
    if (second) second->Open();
    const DriveEntry& x = fresh.Rows()[2];
    for (int tick = 0; tick < 8 && (x.typePending || x.labelPending); ++tick) {
      ASSERT_TRUE(fresh.Queries().Watch().WaitUntilIdle(kPatience));
      fresh.BeginRound();
      fresh.TakeLateAnswers();
    }
    EXPECT_EQ(x.typeName, "Network Drive");
    EXPECT_EQ(x.label, "OTHER");
    EXPECT_TRUE(fresh.Queries().Watch().WaitUntilIdle(kPatience));
  }
}

// The tray drive is also a checked row: whatever the drive answers during a round, the
// tray and the row show the same reading of it in that round.
TEST_F(HungDriveCatalogTest, TheTrayAndItsRowShareTheRoundsReading) {
  Release();
  Build();
  const std::shared_ptr<DriveGate> second = api.Hang('x');
  catalog.Rows()[2].active = true;  // x:
  catalog.BeginRound(kX, true);
  const TrayFigures tray = ComputeTrayFigures(catalog.Rows(), "x:\\ BACKUP", catalog.LatestSpace(kX));
  EXPECT_FALSE(tray.readable);
  second->Open();  // the answer comes while the round goes on
  ASSERT_TRUE(catalog.Queries().Watch().WaitUntilIdle(kPatience));
  catalog.RefreshDriveEntries();
  EXPECT_EQ(RowSubItem(catalog.Rows()[2], 5), "inactive") << "the row read the drive a second time";
  // The next round has the reading for both.
  catalog.BeginRound(kX, true);
  const TrayFigures next = ComputeTrayFigures(catalog.Rows(), "x:\\ BACKUP", catalog.LatestSpace(kX));
  catalog.RefreshDriveEntries();
  EXPECT_TRUE(next.readable);
  EXPECT_EQ(RowSubItem(catalog.Rows()[2], 5), "1024.00 Mb");
  EXPECT_NE(next.tooltip.find("1024.00 Mb (9%) free"), std::string::npos);  // hundreds of bytes, truncated
}

}  // namespace
}  // namespace dorvane
