// The main window beside a drive that does not answer: start-up, the ticks and a rebuild
// go on without it, its row fills in when it answers, the tray following it shows picture
// 0 meanwhile, and closing does not wait for it. A hanging drive blocks until its gate
// opens, so a step that waited for it would never return.
#include <chrono>
#include <memory>
#include <thread>

#include "core/DriveQueries.h"
#include "core/NumberFormat.h"
#include "tests/main/MainWindowFixture.h"

namespace dorvane {
namespace {

using namespace std::chrono_literals;
constexpr auto kPatience = 60s;  // a guard against a hang, never reached when all is well

class HangingDriveTest : public testing::MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    SetCurrentSeparators({".", ","});
    // Rows a:, c:, x: (the CD-ROM d: is ignored); x: has a tenth of 10 GB free.
    machine.drives.drives['x'] = {kDriveFixed, "BACKUP", true, 1'073'741'900, 10'737'418'250};
    machine.answerWait = 500ms;  // the hanging drive costs it once per test
    gate = machine.drives.Hang('x');
  }
  void TearDown() override {
    // The worker must be out of the scripted drives before they go.
    gate->Open();
    if (form) {
      EXPECT_TRUE(form->Catalog().Queries().Watch().WaitUntilIdle(kPatience));
    }
    MainWindowTest::TearDown();
  }
  // Lets x: answer; then ticks until its row is complete (type, label, figures: one
  // query at a time, each taken in the round after it came).
  void ReleaseAndTick(TForm1& f) {
    gate->Open();
    const DriveEntry& x = f.Catalog().Rows().at(2);
    for (int tick = 0; tick < 6 && (x.labelPending || x.typePending || !x.reading); ++tick) {
      ASSERT_TRUE(f.Catalog().Queries().Watch().WaitUntilIdle(kPatience));
      f.Timer1Timer(nullptr);
    }
  }
  // Lets every query under way answer, each once it has reached x:'s gate: after the
  // tick that asked it stopped waiting.
  void AnswerLate(TForm1& f) {
    const DriveQueryWatch watch = f.Catalog().Queries().Watch();
    const auto until = std::chrono::steady_clock::now() + kPatience;
    while (watch.Outstanding() > 0 && std::chrono::steady_clock::now() < until) {
      if (gate->Waiting() > 0) gate->ReleaseArrived();
      else std::this_thread::sleep_for(1ms);
    }
    ASSERT_EQ(watch.Outstanding(), 0);
  }
  std::string ListText(TForm1& f, int row, int column) {
    return f.DList->Items().Item(row)->SubItems().Get(column);
  }
  std::shared_ptr<testing::DriveGate> gate;
};

TEST_F(HangingDriveTest, StartTicksAndRebuildGoOnAndTheRowFillsInLater) {
  Store("1 active", "true");  // c:
  Store("2 active", "true");  // x:
  TForm1& f = Start();
  ASSERT_EQ(f.DList->Items().Count(), 3);
  EXPECT_EQ(ListText(f, 2, 0), "x:\\");
  EXPECT_EQ(ListText(f, 2, 1), "no name");
  EXPECT_EQ(ListText(f, 2, 2), "");
  EXPECT_EQ(f.TrayDriveList->Items().Get(2), "x:\\ no name");
  for (int tick = 0; tick < 100; ++tick) f.Timer1Timer(nullptr);
  EXPECT_EQ(ListText(f, 1, 5), "1.86 Gb");  // c: goes on
  f.SpeedButton3Click(nullptr);  // "rebuild drive list"
  f.Timer1Timer(nullptr);
  EXPECT_EQ(ListText(f, 2, 5), "inactive");
  EXPECT_TRUE(f.DrivePanels[2]->Visible());  // x:'s panel, without figures yet
  EXPECT_EQ(gate->Reached(), 1);  // the start-up's query, still hanging: no pile-up
  EXPECT_EQ(f.Catalog().Queries().Watch().Outstanding(), 1);

  ReleaseAndTick(f);
  EXPECT_EQ(ListText(f, 2, 1), "BACKUP");
  EXPECT_EQ(ListText(f, 2, 2), "Fixed/HD");
  EXPECT_EQ(f.DList->Items().Item(2)->ImageIndex(), 1);
  EXPECT_EQ(ListText(f, 2, 5), "1.00 Gb");
  EXPECT_EQ(f.TrayDriveList->Items().Get(2), "x:\\ BACKUP");
  EXPECT_EQ(f.FreeLabels[2]->Caption(), "1.00 Gb");
}

TEST_F(HangingDriveTest, TrayFollowingTheDriveShowsPictureZeroAndKeepsTheArming) {
  TForm1& f = Create();
  f.TrayDriveList->SetItemIndex(2);
  f.TrayDriveListChange(nullptr);
  f.TbWT->SetPosition(15);  // a tenth free is below 15 %
  f.CbWarning->SetChecked(true);
  f.CbShowTray->SetChecked(true);
  for (int tick = 0; tick < 10; ++tick) f.Timer1Timer(nullptr);
  EXPECT_EQ(f.TrayIcon->IconIndex(), 0);
  EXPECT_FALSE(f.WarningDone());
  EXPECT_TRUE(Balloons().empty());
  EXPECT_EQ(f.TrayIcon->Hint(), "x:\\ no name -1 bytes (0%) free\n\r");

  ReleaseAndTick(f);
  for (int tick = 0; tick < 6 && !f.WarningDone(); ++tick) {
    ASSERT_TRUE(f.Catalog().Queries().Watch().WaitUntilIdle(kPatience));
    f.Timer1Timer(nullptr);
  }
  EXPECT_EQ(f.TrayIcon->IconIndex(), 15);  // 90 % used
  ASSERT_EQ(Balloons().size(), 1u);
  EXPECT_NE(Balloons().back().second.find("(10%) free"), std::string::npos);
}

// The warning's disk-full dialog asks for C's type as every drive answer comes: a C that
// does not answer then costs the window one wait, and no dialog; once C has answered, the
// next warning shows it. The shell's own drive-type call is never made on the window.
TEST_F(HangingDriveTest, TheDiskFullDialogDoesNotWaitForItsDrive) {
  TForm1& f = Create();
  ReleaseAndTick(f);
  f.TrayDriveList->SetItemIndex(2);  // x:, a tenth free
  f.TrayDriveListChange(nullptr);
  f.TbWT->SetPosition(15);
  f.cbSD->SetChecked(true);
  const std::shared_ptr<testing::DriveGate> cGate = machine.drives.Hang('c');
  f.CbWarning->SetChecked(true);
  f.CbShowTray->SetChecked(true);  // the tray update warns at once
  ASSERT_EQ(Balloons().size(), 1u);
  EXPECT_EQ(cGate->Reached(), 1);
  EXPECT_TRUE(desktop.shellServices.diskFullDialogs.empty());

  cGate->Open();
  ASSERT_TRUE(f.Catalog().Queries().Watch().WaitUntilIdle(kPatience));
  f.CbWarningClick(nullptr);  // armed again
  f.Timer1Timer(nullptr);
  ASSERT_EQ(Balloons().size(), 2u);
  ASSERT_EQ(desktop.shellServices.diskFullDialogs.size(), 1u);
  EXPECT_EQ(desktop.shellServices.diskFullDialogs[0].drive, 2u);  // C
  EXPECT_TRUE(desktop.shellServices.driveTypeQueries.empty());
}

TEST_F(HangingDriveTest, ClosingDoesNotWaitForTheDrive) {
  Store("2 active", "true");
  TForm1& f = Start();
  f.Timer1Timer(nullptr);
  const DriveQueryWatch watch = f.Catalog().Queries().Watch();
  ASSERT_EQ(watch.Outstanding(), 1);
  f.Close();
  Close();  // the window goes, its queries with it: nothing waits for x:
  EXPECT_EQ(Stored("2 active"), "true");
  EXPECT_NE(Stored("pos_x"), "(none)");
  EXPECT_EQ(watch.Outstanding(), 1);
  gate->Open();
  EXPECT_TRUE(watch.WaitUntilNoThreads(kPatience));
}

}  // namespace
}  // namespace dorvane

namespace dorvane {
namespace {

// A drive that answers every query, but only after the tick has stopped waiting for it (a
// share far away): the tray shows its latest figures, steadily, and not the failure
// picture every other second.
TEST_F(HangingDriveTest, ASlowDriveShowsSteadyFigures) {
  TForm1& f = Create();
  AnswerLate(f);  // the start-up's type query of x:
  f.Timer1Timer(nullptr);
  AnswerLate(f);  // its label
  f.Timer1Timer(nullptr);
  f.TrayDriveList->SetItemIndex(2);  // x:, a tenth free
  f.TrayDriveListChange(nullptr);
  f.CbShowTray->SetChecked(true);
  for (int tick = 0; tick < 6; ++tick) {
    AnswerLate(f);  // what the last tick asked answers now, after it
    f.Timer1Timer(nullptr);
    SCOPED_TRACE(tick);
    EXPECT_EQ(f.TrayIcon->IconIndex(), 15);  // 90 % used
    EXPECT_NE(f.TrayIcon->Hint().find("(10%) free"), std::string::npos) << f.TrayIcon->Hint();
  }
  // It stops answering: a few ticks on, the tray shows the failure.
  for (int tick = 0; tick < 6; ++tick) f.Timer1Timer(nullptr);
  EXPECT_EQ(f.TrayIcon->IconIndex(), 0);
  EXPECT_EQ(f.TrayIcon->Hint(), "x:\\ BACKUP -1 bytes (0%) free\n\r");
}

// Away from a drive that answered late and back to it: the warning armed by the choice is
// tested on a reading taken since, not on the late answer from before.
TEST_F(HangingDriveTest, TrayBackOnADriveThatAnsweredLateIsTestedOnAFreshReading) {
  machine.drives.SetSpace('c', 10'000'000'000, 20'000'000'000);  // half free
  machine.drives.SetSpace('x', 9'000'000'000, 10'000'000'000);   // plenty free
  TForm1& f = Create();
  ReleaseAndTick(f);
  const std::shared_ptr<testing::DriveGate> late = machine.drives.Hang('x');
  f.TbWT->SetPosition(15);
  f.CbWarning->SetChecked(true);
  f.TrayDriveList->SetItemIndex(2);  // x:, which does not answer in time now
  f.TrayDriveListChange(nullptr);
  f.CbShowTray->SetChecked(true);
  EXPECT_FALSE(f.WarningDone());
  f.TrayDriveList->SetItemIndex(1);  // c:
  f.TrayDriveListChange(nullptr);
  f.Timer1Timer(nullptr);
  ASSERT_TRUE(f.WarningDone()) << "c: was tested";
  // x: answers "plenty free" now; then it fills up.
  late->Open();
  ASSERT_TRUE(f.Catalog().Queries().Watch().WaitUntilIdle(kPatience));
  machine.drives.SetSpace('x', 100'000'000, 10'000'000'000);
  f.TrayDriveList->SetItemIndex(2);
  f.TrayDriveListChange(nullptr);
  for (int tick = 0; tick < 4 && Balloons().empty(); ++tick) {
    f.Timer1Timer(nullptr);
    ASSERT_TRUE(f.Catalog().Queries().Watch().WaitUntilIdle(kPatience));
  }
  ASSERT_EQ(Balloons().size(), 1u);
  EXPECT_NE(Balloons().back().second.find("(1%) free"), std::string::npos) << Balloons().back().second;
}

// The choices of a run with drives a:, c:, y: come back to their drives although an
// unanswered drive (x:, which turns out to be an ignored CD-ROM) stands among them for a
// while, and are stored so at close.
TEST_F(HangingDriveTest, AnUnansweredDriveShiftsNoChoice) {
  machine.drives.drives['x'].type = kDriveCdRom;
  machine.drives.drives['y'] = {kDriveFixed, "DATA", true, 4'000'000'000, 8'000'000'000};
  const char* stored[][2] = {{"0 active", "false"}, {"0 root", "a:\\"}, {"1 active", "false"},
                             {"1 root", "c:\\"},    {"2 active", "true"}, {"2 root", "y:\\"},
                             {"TrayDriveList_ItemIndex", "2"}, {"TrayDriveList_Text", "y:\\ DATA"}};
  for (const auto& [name, value] : stored) Store(name, value);
  TForm1& f = Start();
  ASSERT_EQ(f.DList->Items().Count(), 4);  // x: waits for its type among the others
  f.Timer1Timer(nullptr);                  // the first visible refresh restores the tray choice
  EXPECT_TRUE(f.DList->Items().Item(3)->Checked()) << "y:";
  EXPECT_FALSE(f.DList->Items().Item(2)->Checked()) << "x:";
  EXPECT_EQ(f.trayDriveNumber, 25);
  gate->Open();
  for (int tick = 0; tick < 6 && f.DList->Items().Count() == 4; ++tick) {
    ASSERT_TRUE(f.Catalog().Queries().Watch().WaitUntilIdle(kPatience));
    f.Timer1Timer(nullptr);
  }
  ASSERT_EQ(f.DList->Items().Count(), 3);  // x: has left
  EXPECT_TRUE(f.DList->Items().Item(2)->Checked());
  EXPECT_TRUE(f.DrivePanels[2]->Visible());
  EXPECT_EQ(f.TrayDriveList->Text(), "y:\\ DATA");
  EXPECT_EQ(f.trayDriveNumber, 25);
  f.Close();
  EXPECT_EQ(Stored("2 active"), "true");
  EXPECT_EQ(Stored("2 root"), "y:\\");
  EXPECT_EQ(Stored("TrayDriveList_ItemIndex"), "2");
}

}  // namespace
}  // namespace dorvane
