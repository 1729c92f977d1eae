// Start-up, showing, hiding, fading and closing of the main window.
#include "framework/SysUtils.h"
#include "tests/main/MainWindowFixture.h"

namespace dorvane {
namespace {

using StartupTest = testing::MainWindowTest;

TEST_F(StartupTest, FirstRunAtTheScreenCentreFullyOpaque) {
  machine.screen = {1000, 700};
  TForm1& f = Start();
  EXPECT_EQ(f.Left(), 500);
  EXPECT_EQ(f.Top(), 350);
  EXPECT_TRUE(f.AlphaBlend());
  EXPECT_EQ(f.AlphaBlendValue(), 255);
  EXPECT_EQ(Stored("alpha"), "255");
  EXPECT_EQ(f.Caption(), "Dorvane v.3.3.0.0");
  EXPECT_EQ(f.BtSwitch->Caption(), "labels");
  EXPECT_EQ(f.ClientWidth(), 261);
  EXPECT_EQ(f.ClientHeight(), 143);
  EXPECT_EQ(f.Color(), 15446654);
  EXPECT_TRUE(f.Visible());
}

TEST_F(StartupTest, StoredPlacementAlphaAndSwitchCaptionAreRead) {
  Store("pos_x", "120");
  Store("pos_y", "-5");
  Store("alpha", "190");
  Store("Labels", "letters");
  TForm1& f = Start();
  EXPECT_EQ(f.Left(), 120);
  EXPECT_EQ(f.Top(), -5);
  EXPECT_EQ(f.AlphaBlendValue(), 190);
  EXPECT_EQ(f.BtSwitch->Caption(), "letters");
}

TEST_F(StartupTest, HideAndShowReturnToTheSamePlaceFullyOpaque) {
  TForm1& f = Start();
  f.SetBounds(300, 200, f.Width(), f.Height());
  f.SetTransparency(127);
  EXPECT_EQ(Stored("alpha"), "127");
  f.hide1Click(nullptr);
  EXPECT_FALSE(f.Visible());
  EXPECT_EQ(f.AlphaBlendValue(), 0);
  EXPECT_EQ(f.rememberedLeft, 300);
  EXPECT_EQ(f.rememberedTop, 200);
  f.show1Click(nullptr);
  EXPECT_TRUE(f.Visible());
  EXPECT_EQ(f.Left(), 300);
  EXPECT_EQ(f.Top(), 200);
  EXPECT_EQ(f.AlphaBlendValue(), 255);  // the chosen 50 % is not in force after a show
}

TEST_F(StartupTest, NineXFamilyUsesNoAlphaAndNeverTouchesTheStoredValue) {
  machine.nt = false;
  Store("alpha", "63");
  TForm1& f = Start();
  EXPECT_FALSE(f.AlphaBlend());
  EXPECT_EQ(Stored("alpha"), "63");
  f.SetTransparency(127);
  EXPECT_FALSE(f.AlphaBlend());
  EXPECT_EQ(Stored("alpha"), "63");
  f.hide1Click(nullptr);  // immediate, no fade
  EXPECT_FALSE(f.Visible());
  EXPECT_FALSE(f.AlphaBlend());
  f.show1Click(nullptr);
  EXPECT_TRUE(f.Visible());
  EXPECT_FALSE(f.AlphaBlend());
}

TEST_F(StartupTest, ClosingStoresPositionAndSwitchCaption) {
  TForm1& f = Start();
  f.SetBounds(40, 60, f.Width(), f.Height());
  f.BtSwitch->SetCaption("letters");
  // The fade processes messages: on a busy machine it lasts past a second, and a tick of
  // the refresh timer would record its own tags after the closing steps'.
  f.Timer1->SetEnabled(false);
  f.Close();
  EXPECT_EQ(Stored("pos_x"), "40");
  EXPECT_EQ(Stored("pos_y"), "60");
  EXPECT_EQ(Stored("Labels"), "letters");
  EXPECT_FALSE(f.Visible());
  EXPECT_TRUE(Application().Terminated());
  EXPECT_EQ(tags.back(), "form_close");
}

TEST_F(StartupTest, ClosingWhileHiddenStoresThePositionItHadWhenHidden) {
  TForm1& f = Start();
  f.SetBounds(77, 88, f.Width(), f.Height());
  f.hide1Click(nullptr);
  f.Close();
  EXPECT_EQ(Stored("pos_x"), "77");
  EXPECT_EQ(Stored("pos_y"), "88");
}

TEST_F(StartupTest, ActivityTagsInTheOrderOfCreation) {
  Create();
  const std::vector<std::string> start(tags.begin(), tags.begin() + 2);
  EXPECT_EQ(start, (std::vector<std::string>{"program_start", "is_app_in_run"}));
  // The version check overwrites its own tag with the version's at once.
  auto at = [&](const std::string& t) { return std::find(tags.begin(), tags.end(), t) - tags.begin(); };
  EXPECT_LT(at("is_app_in_run"), at("version_check_-1"));
  EXPECT_EQ(tags[static_cast<std::size_t>(at("version_check_-1")) + 1], "get_version");
  EXPECT_LT(at("version_check_-1"), at("onstartup_regcreate"));
  EXPECT_LT(at("onstartup_regcreate"), at("timer1"));
  EXPECT_EQ(tags.back(), "mem_load");
  EXPECT_EQ(ErrorForm->LastEvent, "mem_load");
}

// Steps 7 to 9 of the creation: the stored settings come back before the drive list is
// built (so "ignore cd-rom" and the warning settings are known), the list's check marks
// after it, and the version check last, with "auto version check" as restored.
TEST_F(StartupTest, SettingsThenTheDriveListThenItsChecksThenTheVersionCheck) {
  for (const bool check : {true, false}) {
    Store("CheckBox1_Checked", check ? "True" : "False");
    Store("0 active", "true");
    tags.clear();
    TForm1& f = Create();
    auto first = [&](const std::string& t) { return std::find(tags.begin(), tags.end(), t) - tags.begin(); };
    const auto end = static_cast<std::ptrdiff_t>(tags.size());
    EXPECT_LT(first("saver_onrestore"), first("add_to_dlist")) << check;
    EXPECT_LT(first("add_to_dlist"), first("get_checks")) << check;
    EXPECT_EQ(first("version_check_-1") < end, check);
    if (check) {
      EXPECT_LT(first("get_checks"), first("version_check_-1"));
    }
    EXPECT_LT(first("get_checks"), first("onstartup_regcreate"));
    EXPECT_TRUE(f.DList->Items().Item(0)->Checked()) << check;
    Close();
  }
}

// An autostart entry left by a program that has moved is rewritten with the path of the
// one running now; without an entry, none is made.
TEST_F(StartupTest, StartRewritesAStaleAutostartEntry) {
  machine.autostart.entries["Dorvane"] = "\"C:\\Old Place\\dorvane.exe\"";
  Create();
  EXPECT_TRUE(form->CbAutoStart->Checked());
  EXPECT_EQ(machine.autostart.entries.at("Dorvane"), "\"" + ExecutablePath() + "\"");
  EXPECT_EQ(CountTag("do_app_to_run"), 1);
  Close();
  machine.autostart.entries.clear();
  Create();
  EXPECT_FALSE(form->CbAutoStart->Checked());
  EXPECT_TRUE(machine.autostart.entries.empty());
  EXPECT_EQ(CountTag("do_app_to_run"), 1);  // none written the second time
}

TEST_F(StartupTest, WindowStructureFromTheDescription) {
  TForm1& f = Create();
  for (TImage* tile : {f.IL, f.IR, f.ITL, f.ITM, f.ITR, f.IBL, f.IB, f.IBR, f.ITBL, f.ITBM, f.ITBR}) {
    ASSERT_NE(tile->Picture().Graphic(), nullptr) << tile->Name();
    EXPECT_GT(tile->Picture().Width(), 0) << tile->Name();
  }
  EXPECT_EQ(f.IL->Width(), 10);
  EXPECT_EQ(f.TopPanel->Height(), 10);
  EXPECT_EQ(f.BottomPanel->Height(), 10);
  EXPECT_EQ(f.ToolPanel->Height(), 20);
  EXPECT_EQ(f.Panel11->Height(), 103);
  EXPECT_EQ(f.Panel2->Width(), 193);
  EXPECT_EQ(f.Panel3->Width(), 41);
  EXPECT_EQ(f.ITBM->Hint(), "Double-click for Toolbar Mode");
  EXPECT_EQ(f.btHide->Hint(), "Minimize to tray");
  EXPECT_EQ(f.btClose->Hint(), "Close Dorvane");
  for (int k = 0; k < 10; ++k) {
    TPanel* p = f.DrivePanels[static_cast<std::size_t>(k)];
    EXPECT_EQ(p->Width(), 64);
    EXPECT_EQ(p->Height(), 99);
  }
  EXPECT_EQ(f.DrivePanels[8]->Name(), "P9");
  EXPECT_EQ(f.PanelSettings->Height(), 0);  // the settings view is closed
  EXPECT_EQ(f.Timer1->Interval(), 1000u);
  EXPECT_TRUE(f.Timer1->Enabled());
}

TEST_F(StartupTest, DragSurfacesMoveTheWindowWithAnyButton) {
  TForm1& f = Start();
  for (TMouseButton b : {mbLeft, mbRight, mbMiddle}) {
    f.ITM->MouseDown(b, 0, 3, 3);
  }
  f.IL->MouseDown(mbLeft, 0, 1, 1);
  f.PanelSettings->MouseDown(mbLeft, 0, 1, 1);
  EXPECT_EQ(desktop.moves.size(), 5u);
  f.ITL->MouseDown(mbLeft, 0, 1, 1);  // corners are no drag surfaces
  f.IB->MouseDown(mbLeft, 0, 1, 1);
  EXPECT_EQ(desktop.moves.size(), 5u);
}

}  // namespace
}  // namespace dorvane

namespace dorvane {
namespace {

// A stored value of the wrong registry type is reported, read as its default, and the
// start-up goes on to the end: the version caption, the drive list, the first tick. One
// bad stored control property keeps none of the others from being restored.
TEST_F(StartupTest, AStoredValueOfTheWrongTypeIsReportedAndStartUpGoesOn) {
  struct Case {
    const char* name;
    bool binary;
    const char* during;  // the activity when it was read
  };
  for (const Case c : {Case{"alpha", true, "program_start"}, Case{"pos_x", false, "program_start"},
                       Case{"CbHidden_Checked", false, "is_app_in_run"}}) {
    Store("TbWT_Position", "7");
    const BYTE bytes[4] = {0, 0, 0, 0};
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, Widen(SectionPath()).c_str(), Widen(c.name).c_str(),
                              c.binary ? REG_BINARY : REG_DWORD, bytes, sizeof bytes),
              ERROR_SUCCESS);
    machine.screen = {1000, 700};
    tags.clear();
    TForm1& f = Start();
    ASSERT_NE(ErrorForm, nullptr) << c.name;
    EXPECT_EQ(ErrorForm->ShownMessage(), std::string("Invalid data type for '") + c.name + "'");
    EXPECT_EQ(ErrorForm->ShownEvent(), c.during) << c.name;
    EXPECT_EQ(f.Caption(), "Dorvane v.3.3.0.0") << c.name;
    EXPECT_EQ(f.DList->Items().Count(), 2) << c.name;  // a: and c: (the CD-ROM is ignored)
    EXPECT_GE(CountTag("timer1"), 1) << c.name;
    EXPECT_EQ(f.TbWT->Position(), 7) << c.name;
    EXPECT_EQ(f.AlphaBlendValue(), 255) << c.name;
    EXPECT_EQ(f.Left(), 500) << c.name;
    EXPECT_TRUE(f.Visible()) << c.name;
    EXPECT_TRUE(f.Timer1->Running()) << c.name;
    Close();
    DeleteSettings();
  }
}

// A stored opacity below the menu's lowest level (63) would make the window vanish at
// every start: it is taken as fully opaque, and written back so. The menu's levels stay.
TEST_F(StartupTest, AStoredOpacityBelowTheLowestLevelShowsTheWindowOpaque) {
  for (const char* stored : {"0", "-40", "62", "63", "190", "256"}) {
    Store("alpha", stored);
    TForm1& f = Start();
    const int n = std::stoi(stored);
    const int expected = n >= 63 && n <= 255 ? n : 255;
    EXPECT_EQ(f.AlphaBlendValue(), expected) << stored;
    EXPECT_EQ(Stored("alpha"), std::to_string(expected)) << stored;
    Close();
  }
}

// A remembered place where the window could not be seen comes back onto the monitor.
TEST_F(StartupTest, ARememberedPlaceOffTheDesktopComesBackOntoIt) {
  Store("pos_x", "-2147483648");
  Store("pos_y", "99999");
  machine.screen = {1024, 768};
  machine.workAreas = std::vector<ScreenRect>{{0, 0, 1024, 728}};
  TForm1& f = Start();
  EXPECT_EQ(f.Left(), 0);
  EXPECT_EQ(f.Top(), 728 - f.Height());
  // A monitor taken away while the window was hidden.
  f.SetBounds(1200, 300, f.Width(), f.Height());
  machine.workAreas = std::vector<ScreenRect>{{0, 0, 1024, 728}, {1024, 0, 2048, 768}};
  f.hide1Click(nullptr);
  machine.workAreas = std::vector<ScreenRect>{{0, 0, 1024, 728}};
  f.show1Click(nullptr);
  EXPECT_EQ(f.Left(), 1024 - f.Width());
  EXPECT_EQ(f.Top(), 300);
}

TEST_F(StartupTest, GarbageOrOutOfRangeValuesFallBackOrAreClamped) {
  Store("pos_x", "12ab");
  Store("pos_y", "");
  Store("alpha", "999");
  machine.screen = {800, 600};
  TForm1& f = Start();
  EXPECT_EQ(f.Left(), 400);  // not a number: the default
  EXPECT_EQ(f.Top(), 300);
  EXPECT_EQ(f.AlphaBlendValue(), 255);
  EXPECT_EQ(Stored("alpha"), "255");
}

}  // namespace
}  // namespace dorvane
