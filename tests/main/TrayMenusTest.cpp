// Tray presence, window modes, transparency and the menus.
#include "tests/main/MainWindowFixture.h"

namespace dorvane {
namespace {

using TrayMenusTest = testing::MainWindowTest;

TEST_F(TrayMenusTest, TrayIconIsConfiguredAsTheWindowNeedsIt) {
  TForm1& f = Create();
  EXPECT_EQ(f.TrayIcon->IconList(), f.TrayIcons);
  EXPECT_EQ(f.TrayIcons->Count(), 18);
  EXPECT_TRUE(f.TrayIcon->IconVisible());
  EXPECT_TRUE(f.TrayIcon->MinimizeToTray());
  EXPECT_EQ(f.TrayIcon->PopupMenu(), f.TrayMnu);
  EXPECT_EQ(f.TrayIcon->CycleInterval(), 0);
  EXPECT_NE(f.TrayIcon->Icon()->Handle(), nullptr);
  bool added = false;
  for (const auto& [message, data] : desktop.shellCalls) added = added || message == NIM_ADD;
  EXPECT_TRUE(added);
}

TEST_F(TrayMenusTest, TrayClickHidesWithAFadeAndShowsFullyOpaque) {
  TForm1& f = Start();
  f.N501Click(nullptr);
  EXPECT_EQ(f.AlphaBlendValue(), 127);
  f.TrayIcon->OnClick(f.TrayIcon);
  EXPECT_FALSE(f.Visible());
  EXPECT_EQ(f.AlphaBlendValue(), 0);
  f.TrayIcon->OnClick(f.TrayIcon);
  EXPECT_TRUE(f.Visible());
  EXPECT_EQ(f.AlphaBlendValue(), 255);
}

TEST_F(TrayMenusTest, SeventyFivePercentStores190AndComesBackAfterARestart) {
  TForm1& f = Start();
  f.N751Click(nullptr);
  EXPECT_EQ(Stored("alpha"), "190");
  EXPECT_EQ(f.AlphaBlendValue(), 190);
  f.Close();
  Close();
  Application().ClearTerminated();
  TForm1& g = Start();
  EXPECT_EQ(g.AlphaBlendValue(), 190);
  g.N1001Click(nullptr);
  EXPECT_EQ(Stored("alpha"), "255");
  g.N251Click(nullptr);
  EXPECT_EQ(Stored("alpha"), "63");
}

TEST_F(TrayMenusTest, TransparencyOnlyOnTheNtFamily) {
  TForm1& f = Start();
  f.PopupMenu2->Popup(10, 10);
  EXPECT_TRUE(f.transparency1->Visible());
  Close();
  machine.nt = false;
  TForm1& g = Start();
  g.PopupMenu2->Popup(10, 10);
  EXPECT_FALSE(g.transparency1->Visible());
}

TEST_F(TrayMenusTest, WindowMenuItemsInOrder) {
  TForm1& f = Create();
  const std::vector<std::string> expected{"Empty recycle bin", "Explore drive", "Transparency", "About",
                                          "Check version", "Hide", "Exit"};
  std::vector<std::string> captions;
  for (int i = 0; i < f.PopupMenu2->Items()->Count(); ++i) captions.push_back(f.PopupMenu2->Items()->Items(i)->Caption());
  EXPECT_EQ(captions, expected);
  std::vector<std::string> transparency;
  for (int i = 0; i < f.transparency1->Count(); ++i) transparency.push_back(f.transparency1->Items(i)->Caption());
  EXPECT_EQ(transparency, (std::vector<std::string>{"100%", "75%", "50%", "25%"}));
  std::vector<std::string> tray;
  for (int i = 0; i < f.TrayMnu->Items()->Count(); ++i) tray.push_back(f.TrayMnu->Items()->Items(i)->Caption());
  EXPECT_EQ(tray, (std::vector<std::string>{"Dorvane v.3", "Show", "Hide", "Empty recycle bin", "Exit"}));
  std::vector<std::string> list;
  for (int i = 0; i < f.DLMenu->Items()->Count(); ++i) list.push_back(f.DLMenu->Items()->Items(i)->Caption());
  EXPECT_EQ(list, (std::vector<std::string>{"select all", "select none", "rebuild drive list", "empty recycle bin"}));
  EXPECT_FALSE(f.DLMenu->Items()->Items(3)->Visible());
}

TEST_F(TrayMenusTest, MenusOpenWhereTheyBelong) {
  TForm1& f = Start();
  for (TControl* c : std::initializer_list<TControl*>{f.ITM, f.ITBM, f.IB, f.Panel2, f.Image1, f.DrivePanels[0], f.DrivePanels[9]})
    EXPECT_EQ(c->PopupMenu(), f.PopupMenu2) << c->Name();
  EXPECT_EQ(f.DList->PopupMenu(), f.DLMenu);
  f.ITM->ContextPopup({5, 5});
  ASSERT_EQ(desktop.popups.size(), 1u);
  EXPECT_EQ(desktop.popups[0].menu, f.PopupMenu2);
}

TEST_F(TrayMenusTest, ExitItemsAndCloseButtonShareTheClosingPath) {
  for (int path = 0; path < 3; ++path) {
    TForm1& f = Start();
    f.SetBounds(10 + path, 20, f.Width(), f.Height());
    tags.clear();
    if (path == 0) f.TrayMnu->Items()->Items(4)->Click();
    if (path == 1) f.PopupMenu2->Items()->Items(6)->Click();
    if (path == 2) f.btClose->Click();
    EXPECT_TRUE(Saw("form_close")) << path;
    EXPECT_EQ(Stored("pos_x"), std::to_string(10 + path));
    EXPECT_TRUE(Application().Terminated());
    EXPECT_FALSE(f.Visible());
    Close();
    Application().ClearTerminated();
  }
}

TEST_F(TrayMenusTest, ShowAndHideItems) {
  TForm1& f = Start();
  f.TrayMnu->Items()->Items(2)->Click();  // Hide
  EXPECT_FALSE(f.Visible());
  f.TrayMnu->Items()->Items(1)->Click();  // Show
  EXPECT_TRUE(f.Visible());
  f.btHide->Click();
  EXPECT_FALSE(f.Visible());
}

TEST_F(TrayMenusTest, RecycleBinAndWebPage) {
  TForm1& f = Create();
  f.TrayMnu->Items()->Items(3)->Click();
  f.PopupMenu2->Items()->Items(0)->Click();
  testing::ScriptedShellServices& shell = desktop.shellServices;
  ASSERT_EQ(shell.emptied.size(), 2u);
  for (const auto& e : shell.emptied) {
    EXPECT_EQ(e.owner, Application().Handle());
    EXPECT_EQ(e.flags, 7u);  // no question, no progress, no sound
  }
  EXPECT_EQ(shell.librariesFreed, 2);
  EXPECT_TRUE(desktop.messages.empty());
  shell.libraryLoads = false;
  f.EmptyRecycleBin();
  EXPECT_EQ(desktop.MessageTexts(), std::vector<std::string>{"Failed to load Shell32.dll."});
  f.TrayMnu->Items()->Items(0)->Click();
  EXPECT_EQ(desktop.documents, std::vector<std::string>{"http://127.0.0.1:9/enter.php?ref=Dorvane3"});
  EXPECT_TRUE(machine.shell.opened.empty());
  EXPECT_EQ(tags.back(), "go_web");
  // The memory panel's link leads to the same page.
  f.OrvikSystemsWeblink1->Click();
  EXPECT_EQ(desktop.documents.size(), 2u);
  EXPECT_EQ(desktop.documents.back(), desktop.documents.front());
}

TEST_F(TrayMenusTest, MinimisingHidesIntoTheTray) {
  TForm1& f = Start();
  Application().Minimize();
  EXPECT_FALSE(f.Visible());
  EXPECT_TRUE(f.TrayIcon->IconVisible());
}

}  // namespace
}  // namespace dorvane
