// The one-second refresh: tray icon and tooltip, the low-space warning and its arming,
// the memory readout, and a failing tick.
#include <functional>
#include <utility>

#include "core/NumberFormat.h"
#include "core/Text.h"
#include "framework/UtilityWindow.h"
#include "tests/main/MainWindowFixture.h"
#include "tests/support/Pump.h"

namespace dorvane {
namespace {

class RefreshTest : public testing::MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    SetCurrentSeparators({".", ","});
  }
  // c: at the given share of 100 GB free (tenths of a percent), the tray following it.
  void LowDrive(int freeTenths) {
    machine.drives.SetSpace('c', 100'000'000'000LL / 1000 * freeTenths, 100'000'000'000LL);
  }
  void WatchTrayWithWarning(TForm1& f) {
    f.CbWarning->SetChecked(true);
    f.CbShowTray->SetChecked(true);
  }
};

// Below 5 % free the tray shows the last picture and warns with a 20-second balloon; at
// exactly 5 % the drive is tested and found fine.
TEST_F(RefreshTest, WarnsBelowTheThresholdWithABalloon) {
  for (auto [freeTenths, icon, warns] : {std::tuple{49, 16, true}, std::tuple{50, 15, false}}) {
    SCOPED_TRACE(freeTenths);
    Close();  // each case starts afresh
    DeleteSettings();
    LowDrive(freeTenths);
    TForm1& f = Create();
    desktop.shellCalls.clear();
    WatchTrayWithWarning(f);
    f.Timer1Timer(nullptr);
    EXPECT_EQ(f.TrayIcon->IconIndex(), icon);
    EXPECT_TRUE(f.WarningDone());
    ASSERT_EQ(Balloons().size(), warns ? 1u : 0u);
    bool sawWarning = false;
    for (const auto& [message, d] : desktop.shellCalls)
      if ((d.uFlags & NIF_INFO) && d.szInfo[0]) sawWarning = d.dwInfoFlags == NIIF_WARNING && d.uTimeout == 20000;
    EXPECT_EQ(sawWarning, warns);
    if (!warns) continue;
    EXPECT_EQ(Balloons().back().first, "Dorvane");
    EXPECT_EQ(Balloons().back().second.rfind("Low disk space warning!\n\r", 0), 0u);
    EXPECT_NE(Balloons().back().second.find("(4%) free"), std::string::npos);
  }
}

TEST_F(RefreshTest, OncePerArmingUntilAReArmEvent) {
  LowDrive(10);
  TForm1& f = Start();
  WatchTrayWithWarning(f);
  for (int i = 0; i < 5; ++i) f.Timer1Timer(nullptr);
  EXPECT_EQ(Balloons().size(), 1u);
  EXPECT_EQ(CountTag("warn_space"), 1);
  // Each of these re-arms: the next tick warns again, and only once.
  const std::pair<const char*, std::function<void()>> rearms[] = {
      {"the sound check box", [&] { f.CbSnd->SetChecked(true); }},
      {"the program check box", [&] { f.CbExec->SetChecked(true); }},
      {"a tray drive picked in the combo box", [&] {
         f.TrayDriveList->SetItemIndex(1);  // c:
         f.TrayDriveListChange(f.TrayDriveList);
       }},
      {"opening the settings", [&] { f.GradButton1Click(nullptr); }},
      {"closing them", [&] { f.GradButton1Click(nullptr); }},
  };
  std::size_t expected = 1;
  for (const auto& [what, rearm] : rearms) {
    rearm();
    f.Timer1Timer(nullptr);
    f.Timer1Timer(nullptr);
    EXPECT_EQ(Balloons().size(), ++expected) << what;
  }
  EXPECT_EQ(f.trayDriveNumber, 3);
  // Selecting a row of the list does not: the very next tick would warn if it did.
  f.DList->Items().Item(1)->SetSelected(true);
  EXPECT_TRUE(Saw("select_for_tray"));
  f.Timer1Timer(nullptr);
  EXPECT_EQ(Balloons().size(), expected);
  // Neither does free space coming back.
  LowDrive(500);
  f.Timer1Timer(nullptr);
  LowDrive(10);
  f.Timer1Timer(nullptr);
  EXPECT_EQ(Balloons().size(), expected);
}

TEST_F(RefreshTest, WithoutTheTrayDriveIconZeroAndRowLinesOnly) {
  LowDrive(10);
  TForm1& f = Start();
  f.CbWarning->SetChecked(true);
  testing::TickAsUser(*f.DList, 1);  // c:
  f.Timer1Timer(nullptr);
  f.Timer1Timer(nullptr);
  EXPECT_EQ(f.TrayIcon->IconIndex(), 0);
  EXPECT_EQ(f.TrayIcon->Hint(), "c:\\ 953.68 Mb free\n\r");
  EXPECT_TRUE(Balloons().empty());
  EXPECT_FALSE(f.WarningDone());
}

TEST_F(RefreshTest, LongTooltipCutForTheHintWholeForTheBalloon) {
  machine.drives.drives.clear();
  for (char l = 'c'; l <= 'z'; ++l) machine.drives.drives[l] = {kDriveFixed, "", true, 1'000'000, 100'000'000'000};
  TForm1& f = Start();
  f.SpeedButton1Click(nullptr);  // every row monitored
  f.Timer1Timer(nullptr);        // figures into the rows
  WatchTrayWithWarning(f);
  f.Timer1Timer(nullptr);
  const std::string hint = f.TrayIcon->Hint();
  EXPECT_EQ(Utf8Length(hint), 127u);  // the icon keeps 127 of the 255 it was given
  ASSERT_FALSE(Balloons().empty());
  const std::string balloon = Balloons().back().second;
  EXPECT_EQ(Utf8Length(balloon), 255u);  // the whole tooltip, cut by the icon
  EXPECT_EQ(balloon.rfind("Low disk space warning!\n\rc:\\ 976.56 Kb free\n\r", 0), 0u);
}

TEST_F(RefreshTest, HiddenWindowKeepsRowLinesTrayLineStaysLive) {
  machine.drives.SetSpace('c', 2'000'000'000, 20'000'000'000);
  TForm1& f = Start();
  testing::TickAsUser(*f.DList, 1);
  f.TrayDriveList->SetItemIndex(1);
  f.TrayDriveListChange(nullptr);
  f.CbShowTray->SetChecked(true);
  f.Timer1Timer(nullptr);
  f.hide1Click(nullptr);
  machine.drives.SetSpace('c', 1'000'000'000, 20'000'000'000);
  f.Timer1Timer(nullptr);
  EXPECT_EQ(f.TrayIcon->Hint(), "c:\\ 1.86 Gb free\n\rc:\\ SYSTEM 953.68 Mb (5%) free\n\r");
}

TEST_F(RefreshTest, StartUpTickTestsTheCurrentDrive) {
  Store("CbShowTray_Checked", "True");
  Store("CbWarning_Checked", "True");
  machine.drives.currentDrive = 'd';
  machine.drives.SetSpace('d', 1'000, 650'000'000);
  TForm1& f = Create();
  EXPECT_EQ(f.trayDriveNumber, 0);
  EXPECT_EQ(Balloons().size(), 1u);
  EXPECT_EQ(f.TrayIcon->IconIndex(), 16);
}

TEST_F(RefreshTest, WarningActionsInOrderAndMissingFilesSkipped) {
  LowDrive(10);
  testing::ScriptedShellServices& shell = desktop.shellServices;
  const testing::TempFile sound("warning.wav", testing::PcmWave(400));
  TForm1& f = Create();
  f.CbSnd->SetChecked(true);
  f.CbExec->SetChecked(true);
  f.cbSD->SetChecked(true);
  f.SoundEdit->SetFilename(sound.Path());
  f.ExecEdit->SetFilename("C:\\tools\\gone.exe");
  tags.clear();
  WatchTrayWithWarning(f);
  EXPECT_EQ(Balloons().size(), 1u);
  EXPECT_TRUE(shell.played.empty());
  EXPECT_TRUE(shell.executed.empty());
  ASSERT_EQ(shell.diskFullDialogs.size(), 1u);
  EXPECT_EQ(shell.diskFullDialogs[0].drive, 2u);  // C
  const std::vector<std::string> expected{"set_tray", "warn_space", "disk_full_dialog", "exec_warning_app"};
  std::vector<std::string> seen;
  for (const auto& t : tags)
    if (std::find(expected.begin(), expected.end(), t) != expected.end()) seen.push_back(t);
  EXPECT_EQ(seen, expected);
  // With the files there, the sound plays and the program starts.
  machine.shell.existingFiles = {sound.Path(), "C:\\tools\\gone.exe"};
  f.CbWarningClick(nullptr);
  f.Timer1Timer(nullptr);
  ASSERT_EQ(shell.played.size(), 1u);
  EXPECT_EQ(shell.played[0].image, testing::PcmWave(400));
  EXPECT_EQ(shell.played[0].flags, 7u);
  ASSERT_EQ(shell.executed.size(), 1u);
  const ShellExecuteRequest& run = shell.executed[0];
  EXPECT_EQ(run.file, "C:\\tools\\gone.exe");
  EXPECT_EQ(run.verb, "") << "the file's default action";
  EXPECT_EQ(run.window, f.Handle());
  EXPECT_EQ(run.parameters + run.directory, "");
  EXPECT_EQ(run.show, SW_SHOWNORMAL);
  // A program that cannot start fails silently: the shell raises none of its own dialogs.
  EXPECT_EQ(run.mask & SEE_MASK_FLAG_NO_UI, static_cast<DWORD>(SEE_MASK_FLAG_NO_UI));
}

// The balloon is silent exactly when the user's wave file plays with it; its texts and
// time stay as they are either way.
TEST_F(RefreshTest, TheBalloonIsSilentWhenTheWaveFilePlays) {
  const testing::TempFile sound("warning.wav", testing::PcmWave(400));
  const struct {
    bool soundChecked;
    bool fileThere;
    DWORD flags;  // warning 0x02, no sound 0x10
  } cases[] = {{false, true, 0x02}, {true, false, 0x02}, {true, true, 0x12}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.soundChecked) + std::to_string(c.fileThere));
    Close();
    DeleteSettings();
    desktop.shellCalls.clear();
    desktop.shellServices.played.clear();
    LowDrive(10);
    machine.shell.existingFiles.clear();
    if (c.fileThere) machine.shell.existingFiles.push_back(sound.Path());
    TForm1& f = Create();
    f.CbSnd->SetChecked(c.soundChecked);
    f.SoundEdit->SetFilename(sound.Path());
    WatchTrayWithWarning(f);
    std::vector<NOTIFYICONDATAW> shown;
    for (const auto& [message, d] : desktop.shellCalls)
      if ((d.uFlags & NIF_INFO) && d.szInfo[0]) shown.push_back(d);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].dwInfoFlags, c.flags);
    EXPECT_EQ(shown[0].uTimeout, 20000u);
    EXPECT_EQ(Narrow(shown[0].szInfoTitle), "Dorvane");
    EXPECT_EQ(desktop.shellServices.played.size(), c.soundChecked && c.fileThere ? 1u : 0u);
  }
}

TEST_F(RefreshTest, UnreadableTrayDriveShowsPictureZeroAndKeepsTheArming) {
  TForm1& f = Create();
  f.TrayDriveList->SetItemIndex(0);  // a: without media
  f.TrayDriveListChange(nullptr);
  WatchTrayWithWarning(f);
  f.Timer1Timer(nullptr);
  EXPECT_EQ(f.TrayIcon->IconIndex(), 0);
  EXPECT_TRUE(Balloons().empty());
  EXPECT_FALSE(f.WarningDone());
  EXPECT_EQ(f.TrayIcon->Hint(), "a:\\ no name -1 bytes (0%) free\n\r");
  // Media in, nearly full: tested and warned on the next tick.
  machine.drives.drives['a'] = {kDriveRemovable, "", true, 1'000, 1'440'000};
  f.Timer1Timer(nullptr);
  EXPECT_EQ(Balloons().size(), 1u);
}

// A shell call that fails (a busy shell times out) is retried by the next ticks even when
// no figure changed, until the shell takes it; then unchanged ticks send nothing again.
TEST_F(RefreshTest, AFailedTrayUpdateIsRetriedByTheNextTick) {
  LowDrive(300);
  TForm1& f = Start();
  f.CbShowTray->SetChecked(true);
  f.Timer1Timer(nullptr);
  LowDrive(290);  // another picture and tooltip
  desktop.shellAnswer = FALSE;
  desktop.shellCalls.clear();
  f.Timer1Timer(nullptr);
  EXPECT_FALSE(desktop.shellCalls.empty());
  desktop.shellAnswer = TRUE;
  desktop.shellCalls.clear();
  f.Timer1Timer(nullptr);  // the same figures
  ASSERT_FALSE(desktop.shellCalls.empty()) << "retried";
  const NOTIFYICONDATAW& sent = desktop.shellCalls.back().data;
  EXPECT_EQ(desktop.shellCalls.back().message, DWORD(NIM_MODIFY));
  EXPECT_EQ(sent.hIcon, f.TrayIcon->Icon()->Handle());
  EXPECT_EQ(Narrow(sent.szTip), f.TrayIcon->Hint());
  desktop.shellCalls.clear();
  f.Timer1Timer(nullptr);
  EXPECT_TRUE(desktop.shellCalls.empty());
}

TEST_F(RefreshTest, FailingTickReachesTheErrorFormAndTheTimerGoesOn) {
  TForm1& f = Create();
  f.CbShowTray->SetChecked(true);
  machine.drives.throwOnSpace = true;
  f.Timer1->SetInterval(10);
  testing::PumpFor(400);
  ASSERT_TRUE(ErrorForm->Visible());
  EXPECT_EQ(ErrorForm->ShownEvent(), "set_tray");
  EXPECT_NE(ErrorForm->ShownMessage().find("space query failed"), std::string::npos);
  EXPECT_GE(CountTag("timer1"), 3);  // it kept firing
  EXPECT_TRUE(f.Timer1->Running());
}

TEST_F(RefreshTest, MemoryReadout) {
  machine.memory.status = {37, 536'281'088};
  TForm1& f = Create();
  EXPECT_EQ(f.PhysMem->Caption(), "Total Mem: 523,712 KB");
  EXPECT_EQ(f.FreeBar->Position(), 37);
  machine.memory.status = {50, 2'147'483'647};
  f.Timer1Timer(nullptr);
  EXPECT_EQ(f.PhysMem->Caption(), "Total Mem: 2,097,152 KB");
  machine.memory.status = {50, 4'294'967'295};
  f.hide1Click(nullptr);  // also while hidden
  f.Timer1Timer(nullptr);
  EXPECT_EQ(f.PhysMem->Caption(), "Total Mem: 4,194,304 KB");
  machine.memory.fail = true;
  f.Timer1Timer(nullptr);
  EXPECT_EQ(f.PhysMem->Caption(), "Total Mem: unknown");
  EXPECT_EQ(f.FreeBar->Position(), 0);
  EXPECT_FALSE(ErrorForm->Visible());  // absorbed, not reported
}

TEST_F(RefreshTest, FirstVisibleRefreshRestoresAndStartsHidden) {
  Store("CbHidden_Checked", "True");
  Store("TrayDriveList_ItemIndex", "1");
  TForm1& f = Create();
  EXPECT_TRUE(f.firstRefreshPending);
  f.Timer1Timer(nullptr);  // not visible yet: nothing deferred happens
  EXPECT_TRUE(f.firstRefreshPending);
  f.Show();
  f.Timer1Timer(nullptr);
  EXPECT_FALSE(f.firstRefreshPending);
  EXPECT_FALSE(f.Visible());        // start hidden
  EXPECT_EQ(f.trayDriveNumber, 3);  // the stored tray drive took effect
  EXPECT_TRUE(Saw("saver_restor"));
  f.Show();
  f.Timer1Timer(nullptr);
  EXPECT_TRUE(f.Visible());  // once per run
}

// The start-hidden fade processes messages: a tick arriving then must not restore the
// settings and hide a second time.
TEST_F(RefreshTest, ATickDuringTheStartHiddenFadeDoesNotRepeatTheFirstRefresh) {
  Store("CbHidden_Checked", "True");
  TForm1& f = Create();
  f.Show();
  int ticksDuringFade = 0;
  TUtilityWindow ticker([&](UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg != WM_APP) return std::nullopt;
    ++ticksDuringFade;
    f.Timer1Timer(nullptr);
    return 0;
  });
  PostMessageW(ticker.Handle(), WM_APP, 0, 0);
  tags.clear();
  f.Timer1Timer(nullptr);
  EXPECT_EQ(ticksDuringFade, 1);
  EXPECT_EQ(CountTag("saver_restor"), 1);
  EXPECT_FALSE(f.Visible());
}

}  // namespace
}  // namespace dorvane
