// The free-space history of the main window: sampled from the tick's own readings, its
// estimate in the drive list, the panels' hints and the tooltip, and kept under a key of
// its own across restarts, where damaged or foreign values are dropped without a word.
#include <functional>
#include <string>
#include <vector>

#include "core/HistoryStorage.h"
#include "core/NumberFormat.h"
#include "tests/main/MainWindowFixture.h"

namespace dorvane {
namespace {

constexpr std::int64_t kTotal = 20'000'000'000;
constexpr std::int64_t kStartFree = 2'000'000'000;
// 4 MB a minute from 2 GB: some eight hours left after twenty minutes.
constexpr std::int64_t kDrainPerMinute = 4'000'000;
constexpr std::uint32_t kSerial = 0x0A1B2C3D;

class HistoryTest : public testing::MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    SetCurrentSeparators({".", ","});
    machine.drives.drives.at('c').serial = kSerial;
  }
  std::string HistoryPath() const { return "Software\\" + appKey + "\\History"; }
  std::vector<std::string> HistoryNames() const {
    TRegistry reg;
    if (!reg.OpenKeyReadOnly(HistoryPath())) return {};
    return reg.GetValueNames();
  }
  // c: monitored and followed by the tray, the window shown.
  TForm1& StartWatchingC() {
    Store("0 root", "a:\\");
    Store("1 root", "c:\\");
    Store("1 active", "true");
    TForm1& f = Start();
    f.Timer1Timer(nullptr);  // the first visible refresh restores the settings (and re-arms)
    f.TrayDriveList->SetItemIndex(1);
    f.TrayDriveListChange(f.TrayDriveList);
    f.CbShowTray->SetChecked(true);
    return f;
  }
  // One tick a minute, c: losing kDrainPerMinute before each.
  void DrainFor(TForm1& f, int minutes) {
    for (int i = 0; i < minutes; ++i) {
      machine.now += 60;
      machine.drives.SetSpace('c', free_, kTotal);
      f.Timer1Timer(nullptr);
      free_ -= kDrainPerMinute;
    }
  }
  TForm1& Restart() {
    form->Close();
    Close();
    Application().ClearTerminated();
    return Start();
  }
  std::int64_t free_ = kStartFree;
};

TEST_F(HistoryTest, TheTicksReadingsMakeTheSeriesWithoutAskingTheDrivesAgain) {
  TForm1& f = StartWatchingC();
  const int before = machine.drives.spaceQueries;
  DrainFor(f, 5);
  // One space query a tick: the round's reading serves the tray, the list and the history.
  EXPECT_EQ(machine.drives.spaceQueries - before, 5);
  const FreeSpaceSeries* c = f.History().Find("c:\\");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->Serial(), kSerial);
  EXPECT_EQ(c->TotalBytes(), kTotal);
  const std::int64_t lastMinute = machine.now / 60;
  for (int i = 0; i < 5; ++i) EXPECT_EQ(c->MinutePoint(lastMinute - i), kStartFree - (4 - i) * kDrainPerMinute) << i;
  // Not monitored and not the tray's: a: has no series; nothing was written yet.
  EXPECT_EQ(f.History().Find("a:\\"), nullptr);
  EXPECT_TRUE(HistoryNames().empty());
}

TEST_F(HistoryTest, TheEstimateShowsInTheListThePanelsHintAndTheTooltip) {
  TForm1& f = StartWatchingC();
  DrainFor(f, 5);
  // Too little history: every text as it always was.
  EXPECT_EQ(f.DList->Items().Item(1)->SubItems().Get(6), "");
  EXPECT_EQ(f.DrivePanels[1]->Hint(), "");
  EXPECT_EQ(f.TrayIcon->Hint().find("full in"), std::string::npos);
  DrainFor(f, 15);
  // 1,924,000,000 bytes left at 4,000,000 a minute: 481 minutes, eight hours.
  EXPECT_EQ(f.DList->Items().Item(1)->SubItems().Get(6), "full in ~8 h");
  EXPECT_EQ(f.DList->Items().Item(0)->SubItems().Get(6), "");  // a: has no history
  // The figures stay where they were, after the estimate.
  EXPECT_EQ(f.DList->Items().Item(1)->SubItems().Get(5), FormatSize(kStartFree - 19 * kDrainPerMinute));
  EXPECT_EQ(f.DList->Items().Item(1)->SubItems().Get(8), std::to_string(kStartFree - 19 * kDrainPerMinute));
  for (TControl* part : {static_cast<TControl*>(f.DrivePanels[1]), static_cast<TControl*>(f.PanelLabels[1]),
                         static_cast<TControl*>(f.Gauges[1]), static_cast<TControl*>(f.FreeLabels[1])})
    EXPECT_EQ(part->Hint(), "c:\\ full in ~8 h") << part->Name();
  // Both lines of c: (the monitored row, with the list's figures of the tick before, and
  // the tray's own) carry it.
  const std::string tip = f.TrayIcon->Hint();
  EXPECT_EQ(tip.rfind("c:\\ 1.80 Gb free, full in ~8 h\n\rc:\\ SYSTEM 1.79 Gb (9%) free, full in ~8 h\n\r", 0), 0u)
      << tip;
}

TEST_F(HistoryTest, TheHistorySurvivesARestartUnderItsOwnKey) {
  TForm1& f = StartWatchingC();
  DrainFor(f, 20);
  const std::vector<std::int64_t> minutes = f.History().Find("c:\\")->MinutesOldestFirst();
  TForm1& g = Restart();
  // Read back before the first tick, and not among the settings.
  EXPECT_EQ(HistoryNames(), std::vector<std::string>{"c:\\ 0A1B2C3D"});
  EXPECT_EQ(Stored("c:\\ 0A1B2C3D"), "(none)");
  const FreeSpaceSeries* c = g.History().Find("c:\\");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->MinutesOldestFirst(), minutes);
  // The estimate is there at once, from the stored points.
  g.TrayDriveList->SetItemIndex(1);
  g.TrayDriveListChange(g.TrayDriveList);
  DrainFor(g, 1);
  EXPECT_EQ(g.DList->Items().Item(1)->SubItems().Get(6), "full in ~8 h");
}

TEST_F(HistoryTest, DamagedAndForeignValuesAreDroppedSilentlyTheRestKept) {
  TForm1& f = StartWatchingC();
  DrainFor(f, 20);
  form->Close();
  Close();
  Application().ClearTerminated();
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(HistoryPath(), true));
    std::vector<std::uint8_t> good = reg.ReadBinary("c:\\ 0A1B2C3D");
    std::vector<std::uint8_t> flipped = good;
    flipped[flipped.size() / 2] ^= 0x01;  // the check sum no longer matches
    // A copy of the good series under another name, damaged; a truncated one; text.
    reg.WriteBinary("d:\\ 00000001", flipped);
    reg.WriteBinary("e:\\ 00000002", std::vector<std::uint8_t>(good.begin(), good.begin() + 40));
    reg.WriteString("note", "not a series");
    reg.WriteInteger("number", 7);
  }
  TForm1& g = Start();
  EXPECT_FALSE(ErrorForm->Visible());
  ASSERT_NE(g.History().Find("c:\\"), nullptr);
  EXPECT_EQ(g.History().Find("d:\\"), nullptr);
  EXPECT_EQ(g.History().Find("e:\\"), nullptr);
  // The next save leaves only what it wrote.
  g.SaveHistory(true);
  EXPECT_EQ(HistoryNames(), std::vector<std::string>{"c:\\ 0A1B2C3D"});
}

// The save timer's write waits for an idle turn of the message loop, apart from the tick.
TEST_F(HistoryTest, TheTimedSaveWritesInAnIdleTurn) {
  TForm1& f = StartWatchingC();
  DrainFor(f, 3);
  f.SaveHistory(false);
  EXPECT_TRUE(HistoryNames().empty());
  Application().ProcessMessages();
  EXPECT_EQ(HistoryNames(), std::vector<std::string>{"c:\\ 0A1B2C3D"});
}

// Every way out writes the history: the main window's closing steps, an answered error
// report and the end of the session (whichever window hears of it first) all destroy the
// window; when the session may end it is written at once, whatever follows.
TEST_F(HistoryTest, EveryWayOutWritesTheHistory) {
  struct Way {
    const char* name;
    bool inLoop;  // taken from inside the message loop, which ends and frees the application
    std::function<void(TForm1&)> take;
  };
  const Way ways[] = {
      {"Exit in the tray menu", true, [](TForm1& f) { f.close1Click(nullptr); }},
      {"the error report answered", true, [](TForm1&) { ErrorForm->HTTPDoneString(nullptr, "Thank you"); }},
      {"the end of the session", false, [](TForm1& f) { SendMessageW(f.Handle(), WM_ENDSESSION, TRUE, 0); }},
      {"the end of the session, heard by the application window first", false,
       [](TForm1&) { SendMessageW(Application().Handle(), WM_ENDSESSION, TRUE, 0); }},
      {"the question whether the session may end", false,
       [](TForm1& f) { EXPECT_EQ(SendMessageW(f.Handle(), WM_QUERYENDSESSION, 0, 0), TRUE); }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    desktop.messageAnswer = IDOK;
    free_ = kStartFree;
    TForm1& f = StartWatchingC();
    DrainFor(f, 3);
    ASSERT_TRUE(HistoryNames().empty());
    HWND window = f.Handle();
    if (way.inLoop) {
      Application().Later(&f, [&] { way.take(f); });
      RunProgram();
    } else {
      way.take(f);
    }
    if (!IsWindow(window)) form = nullptr;  // destroyed on the way out
    EXPECT_EQ(HistoryNames(), std::vector<std::string>{"c:\\ 0A1B2C3D"});
    // A fresh start for the next way (on a new application object after the loop's end).
    Close();
    if (way.inLoop) {
      Application().SetDesktop(&desktop);
      RegisterProgramClasses();
    }
    Application().ClearTerminated();
    DeleteSettings();
  }
}

// "or full within 24 h": the test waits for the estimate (the arming is kept), then
// warns once, saying why; the tray drive's share (9 %) is far above the threshold.
TEST_F(HistoryTest, TheEarlyWarningWaitsForTheEstimateAndFiresOnce) {
  TForm1& f = StartWatchingC();
  f.CbFullWithin->SetChecked(true);
  f.CbWarning->SetChecked(true);
  DrainFor(f, 10);
  EXPECT_FALSE(f.WarningDone());
  EXPECT_EQ(CountTag("warn_space"), 0);
  EXPECT_TRUE(Balloons().empty());
  DrainFor(f, 20);
  EXPECT_EQ(CountTag("warn_space"), 1);
  ASSERT_EQ(Balloons().size(), 1u);
  const std::string text = Balloons()[0].second;
  EXPECT_EQ(text.rfind("Low disk space warning! (full in ~8 h)\n\rc:\\ ", 0), 0u) << text;
  // Shorter than that: not yet within 6 hours.
  f.TbFullWithin->SetPosition(3);
  EXPECT_EQ(f.CbFullWithin->Caption(), "or full within 6 h");
  f.CbWarningClick(nullptr);
  DrainFor(f, 2);
  EXPECT_EQ(CountTag("warn_space"), 2);
  EXPECT_EQ(Balloons().size(), 1u);
}

// "and below 10 GB": 4 % of a 4 TB disk is no warning; 5 GB of it is, and says so.
TEST_F(HistoryTest, TheSizeRuleKeepsBigDisksQuietUntilTheBytesAreLowToo) {
  constexpr std::int64_t kBig = 4'000'000'000'000;
  TForm1& f = StartWatchingC();
  f.CbBelowSize->SetChecked(true);
  f.CbWarning->SetChecked(true);
  EXPECT_EQ(f.CbBelowSize->Caption(), "and below 10 GB");
  machine.drives.SetSpace('c', kBig / 25, kBig);
  f.Timer1Timer(nullptr);
  EXPECT_TRUE(f.WarningDone());
  EXPECT_TRUE(Balloons().empty());
  machine.drives.SetSpace('c', 5'000'000'000, kBig);
  f.CbWarningClick(nullptr);
  f.Timer1Timer(nullptr);
  ASSERT_EQ(Balloons().size(), 1u);
  EXPECT_EQ(Balloons()[0].second.rfind("Low disk space warning! (below 5% and 10 GB)\n\r", 0), 0u);
  // Off, as by default: the share alone decides, with the line it always had.
  f.CbBelowSize->SetChecked(false);
  machine.drives.SetSpace('c', kBig / 25, kBig);
  f.CbWarningClick(nullptr);
  f.Timer1Timer(nullptr);
  ASSERT_EQ(Balloons().size(), 2u);
  EXPECT_EQ(Balloons()[1].second.rfind("Low disk space warning!\n\rc:\\ ", 0), 0u);
}

// The settings view's chart of the selected drive: a dotted red level at the threshold,
// the free share's line where the points are (the last twenty minutes of the day, at the
// right), nothing where there are none.
TEST_F(HistoryTest, TheChartShowsTheSelectedDrivesDayWithTheWarningLevel) {
  TForm1& f = StartWatchingC();
  DrainFor(f, 20);
  f.GradButton1Click(nullptr);  // the settings view
  f.DList->Items().Item(1)->SetSelected(true);
  const TBitmap& chart = f.HistoryChart->Picture().Bitmap();
  ASSERT_EQ(chart.Width(), 296);
  ASSERT_EQ(chart.Height(), 96);
  // Inside the frame 294 by 94 pixels: 5 % is row 93 - round(0.05 * 93) = 88, one lower
  // in the picture.
  auto countIn = [](const TBitmap& b, int x0, int x1, int y0, int y1, TColor colour) {
    int n = 0;
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) n += b.Pixel(x, y) == colour;
    return n;
  };
  auto count = [&](int x0, int x1, int y0, int y1, TColor colour) { return countIn(chart, x0, x1, y0, y1, colour); };
  EXPECT_GT(count(1, 294, 89, 89, clRed), 50);
  EXPECT_EQ(count(1, 294, 88, 88, clRed) + count(1, 294, 90, 90, clRed), 0);
  // About 9.6 % free: row 93 - round(0.096 * 93) = 84, picture row 85; the day's last
  // twenty minutes are its last four or five columns.
  constexpr TColor kLine = 0x00D08000;
  EXPECT_GT(count(290, 295, 83, 87, kLine), 0);
  EXPECT_EQ(count(1, 276, 1, 94, kLine), 0);
  // A click shows the 30 days: their last block or two, at the right edge.
  f.HistoryChartClick(nullptr);
  EXPECT_EQ(f.HistoryChartSpan(), ChartSpan::kMonth);
  // (The picture is a new one: the day's is gone.)
  const TBitmap& month = f.HistoryChart->Picture().Bitmap();
  EXPECT_GT(countIn(month, 293, 295, 83, 87, kLine), 0);
  EXPECT_EQ(countIn(month, 1, 286, 1, 94, kLine), 0);
}

}  // namespace
}  // namespace dorvane
