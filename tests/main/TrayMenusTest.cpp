// Tray presence, window modes, transparency and the menus.
#include "framework/SingleInstance.h"
#include "tests/main/MainWindowFixture.h"
#include "tests/support/Pump.h"

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

// Minimised (the taskbar, the desktop shown, a program's SW_MINIMIZE), the window goes
// into the tray; shown from there, by a click or by "Show", it comes back as it was, not
// as a minimised window.
TEST_F(TrayMenusTest, AMinimisedWindowComesBackRestoredFromTheTray) {
  TForm1& f = Start();
  for (int way = 0; way < 2; ++way) {
    SCOPED_TRACE(way == 0 ? "a click on the icon" : "Show in the tray menu");
    ShowWindow(f.Handle(), SW_MINIMIZE);
    EXPECT_FALSE(f.Visible()) << "minimised into the tray";
    if (way == 0) f.TrayIcon->OnClick(f.TrayIcon);
    else f.TrayMnu->Items()->Items(1)->Click();
    EXPECT_TRUE(f.Visible());
    EXPECT_TRUE(IsWindowVisible(f.Handle()));
    EXPECT_FALSE(IsIconic(f.Handle()));
    EXPECT_EQ(f.AlphaBlendValue(), 255);
  }
}

// Minimised while nothing hides it into the tray, the window stays shown: "Show" in the
// tray menu, a click on the icon and a later start of the program each bring it back
// restored, not left minimised.
TEST_F(TrayMenusTest, AWindowMinimisedButStillShownComesBackRestored) {
  TForm1& f = Start();
  f.TrayIcon->SetMinimizeToTray(false);
  const std::string name = "DorvaneTest." + std::to_string(GetCurrentProcessId()) + ".minimised";
  TSingleInstance first(name);
  AnswerLaterStarts(first);
  for (int way = 0; way < 3; ++way) {
    SCOPED_TRACE(way == 0 ? "Show in the tray menu" : way == 1 ? "a click on the icon" : "a later start");
    ShowWindow(f.Handle(), SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(f.Handle()));
    ASSERT_TRUE(f.Visible()) << "still marked shown";
    if (way == 0) {
      f.TrayMnu->Items()->Items(1)->Click();
    } else if (way == 1) {
      f.TrayIcon->OnClick(f.TrayIcon);
      f.TrayIcon->OnClick(f.TrayIcon);  // the first click hides it, the second shows it
    } else {
      const TSingleInstance later(name);
      EXPECT_TRUE(later.HandedOver());
      testing::PumpUntil([&] { return !IsIconic(f.Handle()); }, 5000);
    }
    EXPECT_TRUE(f.Visible());
    EXPECT_TRUE(IsWindowVisible(f.Handle()));
    EXPECT_FALSE(IsIconic(f.Handle()));
    EXPECT_EQ(f.AlphaBlendValue(), 255);
  }
}

// A later start of the program hands over: the hidden window comes back as a tray click
// brings it (faded in, fully opaque); a shown one stays shown.
TEST_F(TrayMenusTest, ALaterStartBringsTheWindowBack) {
  TForm1& f = Start();
  const std::string name = "DorvaneTest." + std::to_string(GetCurrentProcessId()) + ".main";
  TSingleInstance first(name);
  AnswerLaterStarts(first);
  f.hide1Click(nullptr);
  ASSERT_FALSE(f.Visible());
  { const TSingleInstance later(name); EXPECT_TRUE(later.HandedOver()); }
  EXPECT_TRUE(testing::PumpUntil([&] { return f.Visible(); }, 5000));
  EXPECT_EQ(f.AlphaBlendValue(), 255);
  { const TSingleInstance later(name); EXPECT_TRUE(later.HandedOver()); }
  testing::PumpFor(100);
  EXPECT_TRUE(f.Visible());
}

// Escape in the window hides it to the tray as the hide button does; other keys do not.
TEST_F(TrayMenusTest, EscapeHidesTheWindowToTheTray) {
  TForm1& f = Start();
  PostMessageW(f.Handle(), WM_KEYDOWN, VK_RETURN, 0);
  Application().ProcessMessages();
  EXPECT_TRUE(f.Visible());
  PostMessageW(f.Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(testing::PumpUntil([&] { return !f.Visible(); }, 5000));
  EXPECT_EQ(f.AlphaBlendValue(), 0);  // faded out, as by the hide button
  EXPECT_TRUE(f.TrayIcon->IconVisible());
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
  auto captions = [](TMenuItem* parent) {
    std::vector<std::string> texts;
    for (int i = 0; i < parent->Count(); ++i) texts.push_back(parent->Items(i)->Caption());
    return texts;
  };
  EXPECT_EQ(captions(f.PopupMenu2->Items()), (std::vector<std::string>{"Empty recycle bin", "Explore drive", "Transparency",
                                                                       "About", "Check version", "Hide", "Exit"}));
  EXPECT_EQ(captions(f.transparency1), (std::vector<std::string>{"100%", "75%", "50%", "25%"}));
  EXPECT_EQ(captions(f.TrayMnu->Items()),
            (std::vector<std::string>{"Dorvane v.3", "Show", "Hide", "Empty recycle bin", "Exit"}));
  EXPECT_EQ(captions(f.DLMenu->Items()),
            (std::vector<std::string>{"select all", "select none", "rebuild drive list", "empty recycle bin"}));
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

TEST_F(TrayMenusTest, TitleButtonsAreSkyGradientButtonsAtTheRightOfTheToolStrip) {
  TForm1& f = Create();
  TGradientButton sky(nullptr);
  sky.SetColorScheme(csNeoSky);
  for (TGradientButton* b : {f.btHide, f.btClose}) {
    for (int i = 0; i < kButtonColorCount; ++i)
      EXPECT_EQ(b->ColorAt(static_cast<TButtonColor>(i)), sky.ColorAt(static_cast<TButtonColor>(i))) << b->Name() << " " << i;
    EXPECT_TRUE(b->Gradient() && b->Ctl3D() && b->HotTrack() && b->TransparentGlyph()) << b->Name();
    EXPECT_EQ(b->Layout(), blGlyphLeft);
    EXPECT_EQ(b->Spacing(), 4);
    EXPECT_EQ(b->Cursor(), crHandPoint);
    EXPECT_EQ(b->Caption(), "");
    EXPECT_FALSE(b->Glyph().Empty());
    EXPECT_EQ(b->Parent(), f.Panel4);
  }
  EXPECT_EQ(f.btHide->ColorScheme(), csCustom);
  EXPECT_EQ(f.btClose->ColorScheme(), csNeoSky);
  auto bounds = [](const TControl* c) { return std::vector<int>{c->Left(), c->Top(), c->Width(), c->Height()}; };
  EXPECT_EQ(bounds(f.btHide), (std::vector<int>{0, 0, 23, 20}));
  EXPECT_EQ(bounds(f.btClose), (std::vector<int>{23, 0, 22, 20}));
  EXPECT_EQ(f.btHide->Hint(), "Minimize to tray");
  EXPECT_EQ(f.btClose->Hint(), "Close Dorvane");
  EXPECT_EQ(f.Panel4->Align(), alRight);
  EXPECT_EQ(f.Panel4->Width(), 55);
}

TEST_F(TrayMenusTest, DriveListAndTrayMenusAreDrawnAsLoweredButtons) {
  TForm1& f = Create();
  for (TStyledPopupMenu* menu : {f.DLMenu, f.TrayMnu}) {
    EXPECT_EQ(menu->Style(), msBtnLowered) << menu->Name();
    EXPECT_TRUE(menu->OwnerDraw());
    EXPECT_TRUE(menu->ShowCheckMarks());
    EXPECT_EQ(menu->Images(), nullptr);
    EXPECT_EQ(menu->LeftMargin(), 0u);
    EXPECT_EQ(menu->MinTextOffset(), 0u);
  }
  // The tray menu's first and fourth items carry pictures of their own, which the default
  // drawing leaves out.
  std::vector<bool> pictures;
  for (int i = 0; i < f.TrayMnu->Items()->Count(); ++i) pictures.push_back(!f.TrayMnu->Items()->Items(i)->Bitmap().Empty());
  EXPECT_EQ(pictures, (std::vector<bool>{true, false, false, true, false}));
  TMenuItem* web = f.TrayMnu->Items()->Items(0);
  const SIZE withPicture = f.TrayMnu->MeasureItem(web);
  web->Bitmap().SetSize(0, 0);
  EXPECT_EQ(f.TrayMnu->MeasureItem(web).cx, withPicture.cx);
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

}  // namespace
}  // namespace dorvane
