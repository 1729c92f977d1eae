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

TEST(DriveQueriesTest, AnswersAreTheDrivesOwn) {
  auto api = MachineWithBackupDrive();
  api.errorMode = 0x8000;
  DriveQueries q(api, 60s);
  EXPECT_EQ(q.DriveType("c:\\"), std::optional<unsigned>(kDriveFixed));
  EXPECT_EQ(q.DriveType("d:\\"), std::optional<unsigned>(kDriveCdRom));
  EXPECT_EQ(q.DriveType("q:\\"), std::optional<unsigned>(kDriveNoRootDir));
  EXPECT_EQ(q.DriveType(""), std::optional<unsigned>(kDriveNoRootDir));
  EXPECT_EQ(q.VolumeLabel("x:\\"), std::optional<std::string>("BACKUP"));
  EXPECT_EQ(q.VolumeLabel("a:\\"), std::optional<std::string>(""));  // no media
  const std::optional<DriveSpace> c = q.Space(kC);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->freeBytes, 2'000'000'000);
  EXPECT_EQ(c->totalBytes, 20'000'000'000);
  EXPECT_EQ(q.Space(0)->totalBytes, 20'000'000'000);  // the current drive
  EXPECT_TRUE(q.Space(1)->Failed());
  EXPECT_TRUE(q.Space(27)->Failed());
  // Labels and space are read quietly, and the mode found before is back once the answers
  // are in.
  for (unsigned mode : api.modeDuringLabelQuery) EXPECT_EQ(mode, kFailCriticalErrors);
  ASSERT_FALSE(api.modeDuringSpaceQuery.empty());
  for (unsigned mode : api.modeDuringSpaceQuery) EXPECT_EQ(mode, kFailCriticalErrors);
  EXPECT_EQ(api.errorMode, 0x8000u);
}

TEST(DriveQueriesTest, EachQueryAsksTheDriveAgain) {
  auto api = MachineWithBackupDrive();
  DriveQueries q(api, 60s);
  EXPECT_EQ(q.Space(kC)->freeBytes, 2'000'000'000);
  api.SetSpace('c', 5, 10);
  EXPECT_EQ(q.Space(kC)->freeBytes, 5);
  EXPECT_EQ(api.spaceQueries, 2);
}

TEST(DriveQueriesTest, AFailingQueryRaisesOnTheCallersThread) {
  auto api = MachineWithBackupDrive();
  DriveQueries q(api, 60s);
  api.throwOnSpace = true;
  EXPECT_THROW(q.Space(kC), std::runtime_error);
  api.throwOnSpace = false;
  EXPECT_EQ(q.Space(kC)->freeBytes, 2'000'000'000);
  api.throwOnLabel = true;
  EXPECT_THROW(q.VolumeLabel("c:\\"), std::runtime_error);
  // A round that stops at its first failure leaves the failures of its other queries
  // behind; a later round asks those drives again rather than raising them.
  const DriveQuery labels[] = {DriveQuery::Label("c:\\"), DriveQuery::Label("x:\\")};
  q.BeginRound();
  q.Start(labels);
  EXPECT_THROW(q.VolumeLabel("c:\\"), std::runtime_error);
  ASSERT_TRUE(q.Watch().WaitUntilIdle(kPatience));
  api.throwOnLabel = false;
  q.BeginRound();
  q.Start(labels);
  EXPECT_EQ(q.VolumeLabel("x:\\"), std::optional<std::string>("BACKUP"));
  EXPECT_EQ(q.VolumeLabel("c:\\"), std::optional<std::string>("SYSTEM"));
}

TEST(DriveQueriesTest, AHungDriveHoldsUpNeitherTheCallerNorTheOtherDrives) {
  auto api = MachineWithBackupDrive();
  const std::shared_ptr<DriveGate> gate = api.Hang('x');
  DriveQueries q(api, kWait);
  EXPECT_FALSE(q.Space(kX));
  q.BeginRound();
  EXPECT_EQ(q.Space(kC)->freeBytes, 2'000'000'000);
  // Busy with its query: no other question reaches it, and nobody waits for it.
  EXPECT_FALSE(q.DriveType("x:\\"));
  EXPECT_FALSE(q.VolumeLabel("x:\\"));
  EXPECT_EQ(q.VolumeLabel("c:\\"), std::optional<std::string>("SYSTEM"));

  gate->Open();
  ASSERT_TRUE(q.Watch().WaitUntilIdle(kPatience));
  // The late answer is handed out once, in a later round.
  q.BeginRound();
  const std::optional<DriveSpace> x = q.Space(kX);
  ASSERT_TRUE(x);
  EXPECT_EQ(x->freeBytes, 1'073'741'824);
  EXPECT_EQ(x->totalBytes, 10'737'418'240);
  EXPECT_EQ(gate->Reached(), 1);
  // Its next query is a new one: the drive kept a round waiting, so it is not waited for
  // until it answers in time again.
  EXPECT_FALSE(q.Space(kX));
  ASSERT_TRUE(q.Watch().WaitUntilIdle(kPatience));
  EXPECT_EQ(q.Space(kX)->freeBytes, 1'073'741'824);
  EXPECT_EQ(q.Space(kX)->freeBytes, 1'073'741'824);  // answered in time: waited for again
}

// Queries asked ahead (the types, while the window is being made) belong to the first
// round that asks for them, however many rounds began meanwhile: one still running is
// waited for as that round's own, one answered is handed out without asking again, and a
// failure that came before is not raised but asked again. Started by an earlier round
// instead, the same running query is not waited for.
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
  EXPECT_EQ(q.DriveType("x:\\"), std::optional<unsigned>(kDriveFixed));
  opener.join();
  EXPECT_EQ(q.DriveType("c:\\"), std::optional<unsigned>(kDriveFixed));
  EXPECT_EQ(q.VolumeLabel("d:\\"), std::optional<std::string>("AUDIO CD"));  // asked again
  EXPECT_EQ(gate->Reached(), 1);
  EXPECT_EQ(api.labelRoots, (std::vector<std::string>{"d:\\", "d:\\"}));

  // The same with a round's Start: the next round does not wait for it.
  const std::shared_ptr<DriveGate> second = api.Hang('x');
  const DriveQuery started[] = {DriveQuery::Type("x:\\")};
  q.BeginRound();
  q.Start(started);
  ASSERT_TRUE(second->WaitReached(1));
  q.BeginRound();
  EXPECT_FALSE(q.DriveType("x:\\"));
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
  EXPECT_EQ(q.Space(kC)->freeBytes, 2'000'000'000);
  EXPECT_FALSE(q.Space(kX));
  EXPECT_EQ(q.Space(25)->totalBytes, 2);
  EXPECT_EQ(q.DriveType("d:\\"), std::optional<unsigned>(kDriveCdRom));
  // y: was busy with its space query when the round was handed over: its label is asked
  // when the caller comes to it.
  EXPECT_EQ(q.VolumeLabel("y:\\"), std::optional<std::string>("SHARE"));
  EXPECT_EQ(gate->Reached(), 1);
  EXPECT_EQ(api.spaceQueries, 2);  // c: and y:; x: is still inside its query
  // One thread for the round, one more once x: had kept the caller waiting.
  EXPECT_EQ(q.Watch().Threads(), 2);
  // Started again in the next round, x: busy: nothing new for it, and nobody waits.
  q.BeginRound();
  q.Start(round);
  EXPECT_FALSE(q.Space(kX));
  EXPECT_EQ(q.Space(kC)->freeBytes, 2'000'000'000);
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
    EXPECT_EQ(q.Space(kC)->freeBytes, 2'000'000'000);
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
  EXPECT_FALSE(q.VolumeLabel("x:\\"));
  ASSERT_TRUE(gate->WaitReached(1));
  q.BeginRound();
  EXPECT_EQ(q.VolumeLabel("c:\\"), std::optional<std::string>("SYSTEM"));
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
  EXPECT_EQ(x.number, "24");
  EXPECT_EQ(x.label, "no name");
  EXPECT_EQ(x.typeName, "");
  EXPECT_EQ(x.imageIndex, -1);
  EXPECT_EQ(x.freeText, "inactive");
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
  // The label is asked only now (one query per drive at a time): in this round, or, when
  // the drive kept its last round waiting, in the next.
  ASSERT_TRUE(catalog.Queries().Watch().WaitUntilIdle(kPatience));
  catalog.BeginRound();
  catalog.TakeLateAnswers();
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
  EXPECT_EQ(catalog.Rows()[1].freeText, "1.86 Gb");
  EXPECT_EQ(catalog.Rows()[2].freeText, "inactive");
  EXPECT_EQ(catalog.Rows()[2].freeBytes, "0");
  EXPECT_EQ(gate->Reached(), 1);  // the type query of the build, still hanging
  EXPECT_EQ(catalog.Queries().Watch().Outstanding(), 1);

  Release();
  // Type, label, then space: one query at a time, each answer taken a round later.
  const auto& x = catalog.Rows()[2];
  for (int tick = 0; tick < 6 && (x.freeText == "inactive" || x.labelPending); ++tick) {
    catalog.BeginRound();
    catalog.TakeLateAnswers();
    catalog.RefreshDriveEntries();
    ASSERT_TRUE(catalog.Queries().Watch().WaitUntilIdle(kPatience));
  }
  EXPECT_EQ(x.freeText, "1024.00 Mb");  // exactly 2^30 bytes is still shown in Mb
  EXPECT_EQ(x.totalText, "10.00 Gb");
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
  EXPECT_EQ(catalog.LatestSpace(kC).freeBytes, 2'000'000'000);
  api.SetSpace('c', 1'073'741'900, 20'000'000'000);
  catalog.RefreshDriveEntries();
  EXPECT_EQ(catalog.Rows()[1].freeText, "1.86 Gb");
  EXPECT_EQ(api.spaceQueries, before + 1);
  catalog.BeginRound(kC, true);
  catalog.RefreshDriveEntries();
  EXPECT_EQ(catalog.Rows()[1].freeText, "1.00 Gb");
  EXPECT_EQ(catalog.LatestSpace(kC).freeBytes, 1'073'741'900);
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
