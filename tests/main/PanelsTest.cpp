// Drive panels, the drive list, the tray drive choice and the rebuild.
#include "core/NumberFormat.h"
#include "tests/main/MainWindowFixture.h"
#include "tests/support/Pump.h"

#include <dbt.h>

namespace dorvane {
namespace {

class PanelsTest : public testing::MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    SetCurrentSeparators({".", ","});
  }
  std::vector<std::string> ShownPanels(TForm1& f) {
    std::vector<std::string> shown;
    for (TPanel* p : f.DrivePanels)
      if (p->Visible()) shown.push_back(p->Name());
    return shown;
  }
  // Shown panels from left to right.
  std::vector<std::string> StripOrder(TForm1& f) {
    std::vector<TPanel*> shown;
    for (TPanel* p : f.DrivePanels)
      if (p->Visible()) shown.push_back(p);
    std::sort(shown.begin(), shown.end(), [](TPanel* a, TPanel* b) { return a->Left() < b->Left(); });
    std::vector<std::string> names;
    for (TPanel* p : shown) names.push_back(p->Name());
    return names;
  }
};

TEST_F(PanelsTest, CheckedRowsShowTheirPanelsAndWidenTheWindow) {
  Store("CbIgnore_Checked", "False");  // not stored: "ignore cd-rom" is on at every start
  TForm1& f = Start();
  EXPECT_TRUE(f.CbIgnore->Checked());
  f.CbIgnore->SetChecked(false);  // rebuilds: a:, c:, d:
  ASSERT_EQ(f.DList->Items().Count(), 3);
  testing::TickAsUser(*f.DList, 1);
  testing::TickAsUser(*f.DList, 2);
  f.Timer1Timer(nullptr);
  EXPECT_EQ(ShownPanels(f), (std::vector<std::string>{"p2", "p3"}));
  EXPECT_EQ(f.requiredWidth, 385);
  EXPECT_GE(f.Width(), 385);
  EXPECT_EQ(StripOrder(f), (std::vector<std::string>{"p2", "p3"}));
  // Panels stand right of the status and switch columns.
  EXPECT_EQ(f.DrivePanels[1]->Left(), f.Panel3->Left() + f.Panel3->Width());
  // Fewer panels need less room, but the tick never narrows the window.
  f.SpeedButton4Click(nullptr);
  f.Timer1Timer(nullptr);
  EXPECT_EQ(f.requiredWidth, 257);
  EXPECT_EQ(f.Width(), 385);
}

TEST_F(PanelsTest, TwelveRowsTenPanels) {
  machine.drives.drives.clear();
  for (char l = 'c'; l <= 'n'; ++l) machine.drives.drives[l] = {kDriveFixed, "", true, 5, 10};
  TForm1& f = Start();
  ASSERT_EQ(f.DList->Items().Count(), 12);
  f.SpeedButton1Click(nullptr);
  f.Timer1Timer(nullptr);
  EXPECT_EQ(ShownPanels(f).size(), 10u);
  EXPECT_EQ(f.requiredWidth, 1025);
  EXPECT_EQ(f.Width(), 1025);
  EXPECT_EQ(StripOrder(f), (std::vector<std::string>{"p1", "p2", "p3", "p4", "p5", "p6", "p7", "p8", "P9", "p10"}));
  EXPECT_TRUE(Saw("set_active_12"));
}

TEST_F(PanelsTest, PanelsComeBackInOrderWhateverTheOrderOfShowing) {
  machine.drives.drives.clear();
  for (char l = 'c'; l <= 'h'; ++l) machine.drives.drives[l] = {kDriveFixed, "", true, 5, 10};
  TForm1& f = Start();
  auto check = [&](std::initializer_list<int> rows) {
    f.SpeedButton4Click(nullptr);
    for (int r : rows) testing::TickAsUser(*f.DList, r);
    f.Timer1Timer(nullptr);
  };
  check({5});
  check({0, 1, 2, 3, 4, 5});
  EXPECT_EQ(StripOrder(f), (std::vector<std::string>{"p1", "p2", "p3", "p4", "p5", "p6"}));
  check({3});
  check({1, 3, 5});
  check({0, 1, 2, 3, 4, 5});
  EXPECT_EQ(StripOrder(f), (std::vector<std::string>{"p1", "p2", "p3", "p4", "p5", "p6"}));
  for (std::size_t i = 1; i < 6; ++i)
    EXPECT_EQ(f.DrivePanels[i]->Left(), f.DrivePanels[i - 1]->Left() + 64);
}

TEST_F(PanelsTest, LabelsOrLetters) {
  TForm1& f = Start();
  f.SpeedButton1Click(nullptr);
  f.Timer1Timer(nullptr);
  EXPECT_EQ(f.PanelLabels[0]->Caption(), "a:\\");
  EXPECT_EQ(f.PanelLabels[1]->Caption(), "c:\\");
  f.BtSwitchClick(nullptr);
  EXPECT_EQ(f.BtSwitch->Caption(), "letters");
  EXPECT_EQ(f.PanelLabels[1]->Caption(), "c:\\");  // the panels follow at the next tick
  f.Timer1Timer(nullptr);
  EXPECT_EQ(f.PanelLabels[0]->Caption(), "no name");
  EXPECT_EQ(f.PanelLabels[1]->Caption(), "SYSTEM");
  f.BtSwitchClick(nullptr);
  EXPECT_EQ(f.BtSwitch->Caption(), "labels");
}

TEST_F(PanelsTest, GaugeAndFreeTextOfAPanel) {
  machine.drives.SetSpace('c', 10'000'000'000, 20'000'000'000);
  TForm1& f = Start();
  testing::TickAsUser(*f.DList, 1);
  f.Timer1Timer(nullptr);
  TGauge& g = *f.Gauges[1];
  EXPECT_EQ(g.MaxValue(), 19073);
  EXPECT_EQ(g.Progress(), 9536);
  EXPECT_EQ(g.PercentDone(), 49);
  machine.drives.SetSpace('c', 10'485'760'000, 20'971'520'000);  // exactly half
  f.Timer1Timer(nullptr);
  EXPECT_EQ(g.PercentDone(), 50);
  EXPECT_EQ(g.ForeColor(), RGBColor(155, 200, 62));
  EXPECT_EQ(f.FreeLabels[1]->Caption(), "9.77 Gb");
}

TEST_F(PanelsTest, GaugeColours) {
  TForm1& f = Create();
  TGauge& g = *f.Gauges[0];
  g.SetMaxValue(100);
  struct Case { int p; TColor colour; } cases[] = {
      {0, RGBColor(255, 0, 12)}, {25, RGBColor(205, 100, 37)}, {50, RGBColor(155, 200, 62)},
      {64, RGBColor(127, 255, 76)}, {100, RGBColor(55, 255, 112)}};
  for (const auto& c : cases) {
    g.SetProgress(c.p);
    f.ColourGauge(g);
    EXPECT_EQ(g.ForeColor(), c.colour) << c.p;
  }
}

TEST_F(PanelsTest, NotReadyDriveShowsAnEmptyGauge) {
  TForm1& f = Start();
  testing::TickAsUser(*f.DList, 0);  // a: without media
  f.Timer1Timer(nullptr);
  EXPECT_EQ(f.Gauges[0]->MaxValue(), 0);
  EXPECT_EQ(f.Gauges[0]->PercentDone(), 0);
  EXPECT_EQ(f.FreeLabels[0]->Caption(), "0 bytes");
  EXPECT_EQ(f.DList->Items().Item(0)->SubItems().Get(3), "inactive");
}

TEST_F(PanelsTest, ListRowsAndColumns) {
  TForm1& f = Start();
  // The specified seven, then the time to full.
  ASSERT_EQ(f.DList->Columns().Count(), 8);
  const char* captions[] = {"", "name", "label", "type", "total", "used", "free", "estimate"};
  const int widths[] = {36, 50, 100, 100, 75, 75, 75, 95};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(f.DList->Columns().Items(i)->Caption(), captions[i]);
    EXPECT_EQ(f.DList->Columns().Items(i)->Width(), widths[i]);
  }
  EXPECT_EQ(f.DList->Columns().Items(0)->MaxWidth(), 38);
  EXPECT_TRUE(f.DList->Checkboxes());
  EXPECT_TRUE(f.DList->ReadOnly());
  EXPECT_TRUE(f.DList->RowSelect());
  EXPECT_EQ(f.DList->SmallImages(), f.DListImages);
  EXPECT_EQ(f.DListImages->Count(), 5);
  TListItem* c = f.DList->Items().Item(1);
  EXPECT_EQ(c->Caption(), "3");
  EXPECT_EQ(c->ImageIndex(), 1);
  EXPECT_EQ(c->SubItems().Get(0), "c:\\");
  EXPECT_EQ(c->SubItems().Get(1), "SYSTEM");
  EXPECT_EQ(c->SubItems().Get(2), "Fixed/HD");
  testing::TickAsUser(*f.DList, 1);
  f.Timer1Timer(nullptr);
  EXPECT_EQ(c->SubItems().Get(3), "18.63 Gb");
  EXPECT_EQ(c->SubItems().Get(4), "16.76 Gb");
  EXPECT_EQ(c->SubItems().Get(5), "1.86 Gb");
  EXPECT_EQ(f.TrayDriveList->Items().ToVector(), (std::vector<std::string>{"a:\\ no name", "c:\\ SYSTEM"}));
}

TEST_F(PanelsTest, SelectingARowMakesTheTrayFollowItWithTheComboUnchanged) {
  TForm1& f = Start();
  f.Timer1Timer(nullptr);  // the first visible refresh restores the settings
  f.TrayDriveList->SetItemIndex(1);  // c:, readable
  f.TrayDriveListChange(nullptr);
  EXPECT_EQ(f.trayDriveNumber, 3);
  f.CbWarning->SetChecked(true);
  f.CbShowTray->SetChecked(true);
  f.Timer1Timer(nullptr);
  ASSERT_TRUE(f.WarningDone()) << "c: was tested";
  f.DList->Items().Item(0)->SetSelected(true);
  EXPECT_EQ(f.trayDriveNumber, 1);
  EXPECT_EQ(f.TrayDriveList->ItemIndex(), 1);
  EXPECT_EQ(f.TrayDriveList->Text(), "c:\\ SYSTEM");
  EXPECT_TRUE(f.WarningDone()) << "no re-arm from the list";
  EXPECT_TRUE(Saw("select_for_tray"));
}

TEST_F(PanelsTest, ComboSelectionWithoutARowIsIgnored) {
  TForm1& f = Create();
  f.trayDriveNumber = 7;
  f.TrayDriveList->SetItemIndex(-1);
  f.TrayDriveListChange(nullptr);
  EXPECT_EQ(f.trayDriveNumber, 7);
}

// The rebuild stores the tray drive's position as it was, hides the panels until the next
// tick, follows the drives with the explore menu and starts the refresh again.
TEST_F(PanelsTest, RebuildStoresTheTrayPositionAndFollowsTheDrives) {
  Store("1 active", "true");  // c: is row 1
  TForm1& f = Start();
  EXPECT_TRUE(f.DList->Items().Item(1)->Checked());
  f.TrayDriveList->SetItemIndex(1);
  f.TrayDriveListChange(nullptr);
  EXPECT_EQ(f.trayDriveNumber, 3);
  // A USB stick becomes b:, in front of c:.
  machine.drives.drives['b'] = {kDriveRemovable, "STICK", true, 1'000'000, 8'000'000'000};
  f.SpeedButton3Click(nullptr);
  EXPECT_EQ(f.DList->Items().Count(), 3);
  EXPECT_FALSE(f.DList->Items().Item(1)->Checked());  // b:
  EXPECT_TRUE(f.DList->Items().Item(2)->Checked());   // c:
  EXPECT_EQ(Stored("tray drive index"), "1");
  EXPECT_EQ(Stored("1 root"), "c:\\");  // the marks were saved as they stood
  EXPECT_EQ(f.TrayDriveList->ItemIndex(), 2);
  EXPECT_EQ(f.TrayDriveList->Text(), "c:\\ SYSTEM");
  EXPECT_EQ(f.trayDriveNumber, 3);
  EXPECT_TRUE(f.Timer1->Enabled());
  for (TPanel* p : f.DrivePanels) EXPECT_FALSE(p->Visible());
  ASSERT_EQ(f.explore1->Count(), 3);
  EXPECT_EQ(f.explore1->Items(1)->Caption(), "b:\\");
  // The tray drive gone, the combo takes the stored position: there is no third item now.
  machine.drives.drives.erase('c');
  f.SpeedButton3Click(nullptr);
  EXPECT_EQ(Stored("tray drive index"), "2");
  EXPECT_EQ(f.TrayDriveList->ItemIndex(), -1);
  EXPECT_EQ(f.TrayDriveList->Text(), "");
}

// A rebuild that fails part-way (c:'s label cannot be read) leaves the drives, the list,
// the tray combo and the explore menu as they were, row for row, check marks included;
// the refresh goes on.
TEST_F(PanelsTest, AFailedRebuildKeepsTheViewsInStepWithTheDrives) {
  Store("1 active", "true");  // c: is row 1
  TForm1& f = Start();
  machine.drives.drives['b'] = {kDriveRemovable, "STICK", true, 1'000'000, 8'000'000'000};
  machine.drives.labelThrowsFor = 'c';
  EXPECT_THROW(f.SpeedButton3Click(nullptr), std::runtime_error);
  const auto& rows = f.Rows();
  ASSERT_EQ(rows.size(), 2u);
  ASSERT_EQ(f.DList->Items().Count(), 2);
  ASSERT_EQ(f.TrayDriveList->Items().Count(), 2);
  ASSERT_EQ(f.explore1->Count(), 2);
  for (int i = 0; i < 2; ++i) {
    const DriveEntry& row = rows[static_cast<std::size_t>(i)];
    EXPECT_EQ(f.DList->Items().Item(i)->Caption(), std::to_string(row.number)) << i;
    EXPECT_EQ(f.DList->Items().Item(i)->Checked(), row.active) << i;
    EXPECT_EQ(f.TrayDriveList->Items().Get(i), row.root + " " + row.label) << i;
    EXPECT_EQ(f.explore1->Items(i)->Caption(), row.root) << i;
  }
  EXPECT_TRUE(rows[1].active) << "c: stays monitored";
  EXPECT_TRUE(f.Timer1->Enabled());
  // Once the label reads again, the next rebuild takes the stick in.
  machine.drives.labelThrowsFor = 0;
  f.SpeedButton3Click(nullptr);
  EXPECT_EQ(f.DList->Items().Count(), 3);
}

TEST_F(PanelsTest, RebuildWithNoTraySelectionLeavesTheComboEmpty) {
  TForm1& f = Start();
  f.TrayDriveList->SetItemIndex(-1);
  f.SpeedButton3Click(nullptr);
  EXPECT_EQ(Stored("tray drive index"), "-1");
  EXPECT_EQ(f.TrayDriveList->ItemIndex(), -1);
  EXPECT_EQ(f.TrayDriveList->Text(), "");
}

TEST_F(PanelsTest, ExploreDriveOpensTheRootUnaltered) {
  TForm1& f = Create();
  ASSERT_EQ(f.explore1->Count(), 2);
  f.explore1->Items(1)->Click();
  ASSERT_EQ(desktop.shellServices.executed.size(), 1u);
  const ShellExecuteRequest& r = desktop.shellServices.executed[0];
  EXPECT_EQ(r.verb, "explore");
  EXPECT_EQ(r.file, "c:\\");
  EXPECT_EQ(r.parameters + r.directory, "");
  EXPECT_EQ(r.show, SW_SHOW);
  EXPECT_EQ(r.window, f.Handle());
}

TEST_F(PanelsTest, ClickInTheListStoresTheChecks) {
  TForm1& f = Start();
  testing::TickAsUser(*f.DList, 1);
  f.DListClick(nullptr);
  EXPECT_EQ(Stored("0 active"), "false");
  EXPECT_EQ(Stored("1 active"), "true");
}

TEST_F(PanelsTest, DoubleClickOnAPanelOpensTheAboutBox) {
  TForm1& f = Start();
  f.DrivePanels[3]->DblClick();
  ASSERT_EQ(desktop.modalForms.size(), 1u);
  EXPECT_EQ(desktop.modalForms[0]->ClassName(), "TForm2");
  f.Panel2Click(nullptr);
  EXPECT_EQ(tags.back(), "parse_d_list");
}

// Broadcasts as the system sends them to the notifier's window; the list is rebuilt once
// the burst has settled.
void SendVolume(TForm1& f, WPARAM event, char drive, WORD flags) {
  DEV_BROADCAST_VOLUME v{};
  v.dbcv_size = sizeof v;
  v.dbcv_devicetype = DBT_DEVTYP_VOLUME;
  v.dbcv_unitmask = 1u << (drive - 'a');
  v.dbcv_flags = flags;
  SendMessageW(f.DeviceChanged1->Handle(), WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&v));
}

void WaitForRebuild(TForm1& f) {
  EXPECT_TRUE(testing::PumpUntil([&] { return !f.DeviceChanged1->Pending(); }, 10000));
}

TEST_F(PanelsTest, DrivesThatComeAndGoRebuildTheListOncePerBurst) {
  TForm1& f = Start();
  (void)f.DeviceChanged1->Handle();  // listening before the drives change
  tags.clear();
  // A stick with two volumes arrives as whole volumes, without the media flag.
  machine.drives.drives['e'] = {kDriveRemovable, "STICK", true, 1, 2};
  machine.drives.drives['f'] = {kDriveRemovable, "STICK2", true, 1, 2};
  SendVolume(f, DBT_DEVICEARRIVAL, 'e', 0);
  SendVolume(f, DBT_DEVICEARRIVAL, 'f', 0);
  EXPECT_EQ(f.DList->Items().Count(), 2) << "nothing before the burst settles";
  WaitForRebuild(f);
  EXPECT_EQ(f.DList->Items().Count(), 4);
  EXPECT_EQ(CountTag("rebuild_drivelist"), 1);
  // A disc taken out of a drive (the media flag) takes its row away.
  machine.drives.drives.erase('f');
  SendVolume(f, DBT_DEVICEREMOVECOMPLETE, 'f', DBTF_MEDIA);
  WaitForRebuild(f);
  EXPECT_EQ(f.DList->Items().Count(), 3);
  EXPECT_EQ(CountTag("rebuild_drivelist"), 2);
  // Both handlers rebuild whatever the drive.
  machine.drives.drives.erase('e');
  f.DeviceChanged1DeviceRemoveCompleted(nullptr, 'q');
  EXPECT_EQ(f.DList->Items().Count(), 2);
  f.DeviceChanged1DeviceArrived(nullptr, 'q');
  EXPECT_EQ(CountTag("rebuild_drivelist"), 4);
}

// A device report handled while a rebuild runs (anything in the rebuild that lets
// messages through) waits for it: the rebuild puts the marks back first, and the one
// after it starts from them, instead of storing the half-restored marks over them. A
// report while the program ends changes nothing.
TEST_F(PanelsTest, ADeviceReportDuringARebuildOrTheEndDoesNoHarm) {
  TForm1& f = Start();
  testing::TickAsUser(*f.DList, 1);  // c:
  f.SaveChecks();
  machine.drives.drives['e'] = {kDriveRemovable, "STICK", true, 1, 2};
  bool reported = false;
  std::vector<std::string> seen;
  SetActivityObserver([&](std::string_view tag) {
    seen.emplace_back(tag);
    if (tag == "get_checks" && !reported) {
      reported = true;  // in the middle of the rebuild: rows made, marks not yet back
      f.DeviceChanged1->OnDeviceArrived(f.DeviceChanged1, 'e');
    }
  });
  f.SpeedButton3Click(nullptr);
  SetActivityObserver(nullptr);
  ASSERT_TRUE(reported);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), "rebuild_drivelist"), 2) << "the report's rebuild ran after";
  EXPECT_EQ(seen.back(), "get_checks");
  ASSERT_EQ(f.DList->Items().Count(), 3);  // a: c: e:
  EXPECT_TRUE(f.DList->Items().Item(1)->Checked()) << "c: keeps its mark";
  EXPECT_FALSE(f.DList->Items().Item(2)->Checked());
  EXPECT_EQ(Stored("1 active"), "true");
  EXPECT_TRUE(f.Timer1->Running());

  // The end: the report comes while the window's components are being freed (the
  // shell's answer to the tray icon's removal lets sent messages through), its menus
  // already gone.
  tags.clear();
  bool removed = false;
  desktop.onShellCall = [&](DWORD message) {
    if (message != NIM_DELETE || removed) return;
    removed = true;
    f.DeviceChanged1->OnDeviceArrived(f.DeviceChanged1, 'e');
  };
  Close();
  desktop.onShellCall = nullptr;
  EXPECT_TRUE(removed);
  EXPECT_EQ(CountTag("rebuild_drivelist"), 0);
}

TEST_F(PanelsTest, BigDrivesAndLabelsBeyondAscii) {
  machine.drives.drives['e'] = {kDriveFixed, "Архив 数据 é", true, 400'000'000'000, 4'000'000'000'000};
  TForm1& f = Start();
  ASSERT_EQ(f.DList->Items().Count(), 3);
  testing::TickAsUser(*f.DList, 2);
  f.TrayDriveList->SetItemIndex(2);
  f.TrayDriveListChange(nullptr);
  f.CbShowTray->SetChecked(true);
  f.BtSwitchClick(nullptr);  // letters: the panels show the labels
  f.Timer1Timer(nullptr);
  EXPECT_EQ(f.TrayDriveList->Text(), "e:\\ Архив 数据 é");
  EXPECT_EQ(f.PanelLabels[2]->Caption(), "Архив 数据 é");
  EXPECT_EQ(f.DList->Items().Item(2)->SubItems().Get(3), "3725.29 Gb");
  // The gauge counts whole megabytes and truncates: 381469 of 3814697 is 9 %.
  EXPECT_EQ(f.Gauges[2]->MaxValue(), 3814697);
  EXPECT_EQ(f.Gauges[2]->PercentDone(), 9);
  EXPECT_EQ(f.TrayIcon->IconIndex(), 15);  // 90 % used
  EXPECT_NE(f.TrayIcon->Hint().find("e:\\ Архив 数据 é 372.53 Gb (10%) free"), std::string::npos);
}

}  // namespace
}  // namespace dorvane

namespace dorvane {
namespace {

// Drives coming and going in the middle of the list (a stick pulled out, another put in)
// leave every check mark, panel and the tray drive on their drives, and the close stores
// them so.
TEST_F(PanelsTest, ARebuildKeepsEveryChoiceOnItsDrive) {
  struct Case {
    const char* what;
    std::vector<char> gone, come;
    std::vector<std::string> rows;  // after the rebuild
  };
  const Case cases[] = {
      {"the stick at d: pulled out", {'d'}, {}, {"a:\\", "c:\\", "e:\\"}},
      {"another one put in at b:", {}, {'b'}, {"a:\\", "b:\\", "c:\\", "d:\\", "e:\\"}},
      {"both at once", {'d'}, {'b'}, {"a:\\", "b:\\", "c:\\", "e:\\"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Close();
    DeleteSettings();
    machine.drives = testing::ScriptedDriveApi::FloppyHardDiskCdRom();
    machine.drives.drives['d'] = {kDriveRemovable, "STICK", true, 1'000'000, 8'000'000'000};
    machine.drives.drives['e'] = {kDriveFixed, "DATA", true, 4'000'000'000, 8'000'000'000};
    TForm1& f = Start();
    ASSERT_EQ(f.DList->Items().Count(), 4);  // a: c: d: e:
    testing::TickAsUser(*f.DList, 1);        // c:
    testing::TickAsUser(*f.DList, 3);        // e:
    f.TrayDriveList->SetItemIndex(3);
    f.TrayDriveListChange(nullptr);
    for (char l : c.gone) machine.drives.drives.erase(l);
    for (char l : c.come) machine.drives.drives[l] = {kDriveRemovable, "OTHER", true, 1, 2};
    f.SpeedButton3Click(nullptr);
    f.Timer1Timer(nullptr);
    std::vector<std::string> roots, checked;
    for (int i = 0; i < f.DList->Items().Count(); ++i) {
      const std::string root = f.DList->Items().Item(i)->SubItems().Get(0);
      roots.push_back(root);
      if (f.DList->Items().Item(i)->Checked()) checked.push_back(root);
    }
    ASSERT_EQ(roots, c.rows);
    EXPECT_EQ(checked, (std::vector<std::string>{"c:\\", "e:\\"}));
    const auto at = [&](const std::string& root) {
      return static_cast<std::size_t>(std::find(roots.begin(), roots.end(), root) - roots.begin());
    };
    EXPECT_TRUE(f.DrivePanels[at("e:\\")]->Visible());
    EXPECT_EQ(f.PanelLabels[at("e:\\")]->Caption(), "e:\\");
    EXPECT_EQ(f.TrayDriveList->Text(), "e:\\ DATA");
    EXPECT_EQ(f.trayDriveNumber, 5);
    f.Close();
    EXPECT_EQ(Stored(std::to_string(at("c:\\")) + " active"), "true");
    EXPECT_EQ(Stored(std::to_string(at("e:\\")) + " active"), "true");
    EXPECT_EQ(Stored("TrayDriveList_ItemIndex"), std::to_string(at("e:\\")));
  }
}

// A drive that comes while the program starts, before the notifier listens to the
// system's broadcasts, joins the list once it listens; without such a drive the list
// is not rebuilt.
TEST_F(PanelsTest, ADriveThatCameBeforeTheNotifierListensJoinsTheList) {
  for (const bool comes : {true, false}) {
    SCOPED_TRACE(comes ? "a drive came" : "nothing came");
    Close();
    TForm1& f = Start();
    ASSERT_FALSE(f.DeviceChanged1->HandleAllocated());
    ASSERT_EQ(f.DList->Items().Count(), 2);
    if (comes) machine.drives.drives['f'] = {kDriveRemote, "SHARE", true, 1, 2};
    tags.clear();
    ASSERT_TRUE(testing::PumpUntil([&] { return f.DeviceChanged1->HandleAllocated(); }, 10000));
    testing::PumpFor(50);
    EXPECT_EQ(f.DList->Items().Count(), comes ? 3 : 2);
    EXPECT_EQ(CountTag("rebuild_drivelist"), comes ? 1 : 0);
    machine.drives.drives.erase('f');
  }
}

// Drives of 2^51 bytes and more: the gauge shows their share (whole megabytes no longer
// fit its 32-bit figures), every tick, without a failure.
TEST_F(PanelsTest, AGaugeShowsTheShareOfADriveOfAnySize) {
  const struct {
    std::int64_t total, free;
    int percent;
    const char* freeText;
  } cases[] = {
      {std::int64_t{1} << 51, std::int64_t{1} << 50, 50, "1048576.00 Gb"},
      {(std::int64_t{1} << 51) - 1, std::int64_t{1} << 49, 25, "524288.00 Gb"},  // the largest that fits
      {std::int64_t{1} << 62, std::int64_t{1} << 60, 25, "1073741824.00 Gb"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.total);
    Close();
    DeleteSettings();
    machine.drives.drives['e'] = {kDriveFixed, "VAST", true, c.free, c.total};
    TForm1& f = Start();
    testing::TickAsUser(*f.DList, 2);
    EXPECT_NO_THROW(f.Timer1Timer(nullptr));
    EXPECT_NO_THROW(f.Timer1Timer(nullptr));
    EXPECT_GT(f.Gauges[2]->MaxValue(), 0);
    EXPECT_EQ(f.Gauges[2]->PercentDone(), c.percent);
    EXPECT_EQ(f.FreeLabels[2]->Caption(), c.freeText);
  }
}

}  // namespace
}  // namespace dorvane
