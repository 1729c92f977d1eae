// The styled popup menu: when it is owner drawn, the sizes it measures (worked out here
// from the system's menu font and metrics), the lowered frame around the selected item,
// engraved disabled text, the popup window's other messages, errors that reach the
// application, and menus opened and closed a thousand times without losing GDI objects.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ControlTestSupport.h"
#include "controls/StyledMenus.h"
#include "framework/SysUtils.h"
#include "core/win32/WideString.h"
#include "framework/ImageList.h"
#include "tests/support/ProcessCounters.h"
#include "tests/support/ScriptedDesktop.h"

namespace dorvane {
namespace {

using testing::SysColor;

// The system's menu font and the extents of texts in it, on the screen.
class MenuMetrics {
 public:
  explicit MenuMetrics(bool bold = false) {
    NONCLIENTMETRICSW m{};
    m.cbSize = sizeof m;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0);
    if (bold) m.lfMenuFont.lfWeight = FW_BOLD;
    font_.reset(CreateFontIndirectW(&m.lfMenuFont));
  }
  SIZE Extent(const std::string& text) const {
    const WindowDc screen(nullptr);
    const auto sel = SelectInto(screen.get(), font_.get());
    const std::wstring w = Widen(text);
    SIZE s{};
    GetTextExtentPoint32W(screen.get(), w.c_str(), static_cast<int>(w.size()), &s);
    return s;
  }
  int Width(const std::string& text) const { return Extent(text).cx; }
  HFONT Font() const { return font_.get(); }

  static int CheckWidth() { return GetSystemMetrics(SM_CXMENUCHECK); }
  static int Margin() { return static_cast<int>(std::nearbyint(0.3 * CheckWidth())); }
  static int Base() { return GetSystemMetrics(SM_CYMENU) - 2; }

 private:
  UniqueHfont font_;
};

class StyledMenusTest : public testing::ControlTest {
 protected:
  void TearDown() override {
    TMenu::SetHelpHandler(nullptr);
    ControlTest::TearDown();
  }

  TStyledPopupMenu* Menu(TMenuStyle style, std::initializer_list<const char*> captions) {
    auto* menu = new TStyledPopupMenu(form_);
    menu->SetStyle(style);
    for (const char* caption : captions) {
      auto* item = new TMenuItem(form_);
      item->SetCaption(caption);
      menu->Items()->Add(item);
    }
    return menu;
  }

  static TMenuItem* Item(TStyledPopupMenu* menu, int index) { return menu->Items()->Items(index); }

  // An item drawn on its own into a bitmap of w x h prefilled with `under`.
  static std::unique_ptr<TBitmap> Draw(TStyledPopupMenu* menu, TMenuItem* item, TOwnerDrawState state, int w = 140,
                                       int h = 22, TColor under = 0x00123456) {
    auto b = std::make_unique<TBitmap>(w, h);
    b->Canvas().Brush().SetColor(under);
    b->Canvas().FillRect(RECT{0, 0, w, h});
    menu->DrawItem(item, b->Canvas().Handle(), RECT{0, 0, w, h}, state);
    return b;
  }
};

TEST_F(StyledMenusTest, OwnerDrawnUnlessStandardWithoutImagesAndStyleCountsAtTheNextPopup) {
  auto* menu = Menu(msStandard, {"Show", "-", "Exit"});
  auto ownerDrawn = [&] {
    UniqueHmenu handle = menu->BuildMenu();
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(handle.get(), 0, TRUE, &mii);
    return (mii.fType & MFT_OWNERDRAW) != 0;
  };
  EXPECT_FALSE(ownerDrawn());
  auto* images = new TImageList(form_);
  menu->SetImages(images);
  EXPECT_FALSE(ownerDrawn());  // an empty list changes nothing
  images->AddMasked(TBitmap(16, 16), clFuchsia);
  EXPECT_TRUE(ownerDrawn());
  menu->SetImages(nullptr);
  menu->SetStyle(msBtnLowered);
  EXPECT_TRUE(ownerDrawn());
  menu->SetStyle(msStandard);
  EXPECT_FALSE(ownerDrawn());
}

TEST_F(StyledMenusTest, MeasuresItemsShortcutsSubmenusAndSeparators) {
  const MenuMetrics m;
  const int check = MenuMetrics::CheckWidth(), margin = MenuMetrics::Margin();
  auto* menu = Menu(msBtnLowered, {"Show", "Save &as...", "Save", "-", "Recent"});
  Item(menu, 2)->SetShortCut(0x4000 | 'S');  // Ctrl+S
  Item(menu, 1)->SetShortCut(0x2000 | VK_F12);
  auto* sub = new TMenuItem(form_);
  sub->SetCaption("one");
  Item(menu, 4)->Add(sub);

  // No shortcut: two margins, its own caption and two tabs, the check column, one pixel
  // of the (empty) left margin strip.
  SIZE s = menu->MeasureItem(Item(menu, 0));
  EXPECT_EQ(s.cx, 2 * margin + m.Width("Show\t\t") + check + 1);
  EXPECT_EQ(s.cy, std::max<LONG>(MenuMetrics::Base(), m.Extent("Show").cy));
  // A shortcut: the widest caption among the siblings, then the widest shortcut text.
  const int widestCaption = std::max({m.Width("Show\t\t"), m.Width("Save as...\t\t"), m.Width("Save\t\t"),
                                      m.Width("-\t\t"), m.Width("Recent\t\t")});
  const int widestShortCut = std::max(m.Width("Ctrl+S "), m.Width("Shift+F12 "));
  s = menu->MeasureItem(Item(menu, 2));
  EXPECT_EQ(s.cx, 2 * margin + widestCaption + widestShortCut + check + 1);
  // Sub-items add room for the arrow.
  EXPECT_EQ(menu->MeasureItem(Item(menu, 4)).cx, 2 * margin + m.Width("Recent\t\t") + m.Width("\t\t") + check + 1);
  // A separator is half a dash high, at least 9.
  EXPECT_EQ(menu->MeasureItem(Item(menu, 3)).cy, std::max<LONG>(m.Extent("-").cy / 2, 9));
  // Items of a submenu get no margin pixel; a left margin widens first-level items.
  EXPECT_EQ(menu->MeasureItem(sub).cx, 2 * margin + m.Width("one\t\t") + check);
  menu->SetLeftMargin(10);
  EXPECT_EQ(menu->MeasureItem(Item(menu, 0)).cx, 2 * margin + m.Width("Show\t\t") + check + 11);
  // The default item is measured bold.
  menu->SetLeftMargin(0);
  Item(menu, 0)->SetDefault(true);
  EXPECT_EQ(menu->MeasureItem(Item(menu, 0)).cx, 2 * margin + MenuMetrics(true).Width("Show\t\t") + check + 1);
}

TEST_F(StyledMenusTest, OwnBitmapIsNotAGlyphButAnEventGraphicIs) {
  auto* menu = Menu(msBtnLowered, {"Dorvane v.3"});
  const SIZE plain = menu->MeasureItem(Item(menu, 0));
  Item(menu, 0)->Bitmap().SetSize(30, 28);
  EXPECT_EQ(menu->MeasureItem(Item(menu, 0)).cx, plain.cx);
  EXPECT_EQ(menu->MeasureItem(Item(menu, 0)).cy, plain.cy);
  TBitmap graphic(30, 28);  // three glyphs of 10 side by side
  menu->OnGetItemParams = [&](TObject*, TMenuItem*, TOwnerDrawState, TFont&, TColor&, TGraphic*& g, int& n) {
    g = &graphic;
    n = 3;
  };
  const SIZE withGlyph = menu->MeasureItem(Item(menu, 0));
  EXPECT_EQ(withGlyph.cx, plain.cx + 12);
  EXPECT_EQ(withGlyph.cy, std::max<LONG>(plain.cy, 32));
  menu->OnMeasureItem = [](TObject*, TMenuItem*, int& w, int& h) {
    w = 50;
    h = 7;
  };
  EXPECT_EQ(menu->MeasureItem(Item(menu, 0)).cx, 51);
  EXPECT_EQ(menu->MeasureItem(Item(menu, 0)).cy, 7);
}

TEST_F(StyledMenusTest, SelectedItemGetsALoweredFrameAndKeepsTheMenuColour) {
  const MenuMetrics m;
  const TColor menuColor = SysColor(COLOR_MENU), shadow = SysColor(COLOR_BTNSHADOW),
               light = SysColor(COLOR_BTNHIGHLIGHT);
  ASSERT_NE(menuColor, shadow);
  auto* menu = Menu(msBtnLowered, {"Show"});
  const int W = 140, H = 22;
  // The item starts one pixel in (the left margin strip of first-level items).
  auto b = Draw(menu, Item(menu, 0), ODS_SELECTED, W, H);
  testing::ExpectFrame(*b, RECT{1, 0, W, H}, shadow, light);
  // Inside the frame: the menu colour, except the caption.
  const int textLeft = 1 + 2 * MenuMetrics::Margin() + MenuMetrics::CheckWidth();
  const int textRight = textLeft + m.Width("Show");
  for (int y = 1; y < H - 1; ++y)
    for (int x = 2; x < W - 1; ++x)
      if (x < textLeft || x > textRight + 1) {
        ASSERT_EQ(b->Pixel(x, y), menuColor) << x << "," << y;
      }

  // Not selected: no frame. Raised: the colours swap. Standard: the highlight bar.
  b = Draw(menu, Item(menu, 0), 0, W, H);
  for (int x = 1; x < W; ++x) EXPECT_EQ(b->Pixel(x, 0), menuColor) << x;
  menu->SetStyle(msBtnRaised);
  testing::ExpectPixels(*Draw(menu, Item(menu, 0), ODS_SELECTED, W, H), {{W / 2, 0, light}, {W / 2, H - 1, shadow}});
  menu->SetStyle(msStandard);
  testing::ExpectPixels(*Draw(menu, Item(menu, 0), ODS_SELECTED, W, H),
                        {{W - 3, H / 2, SysColor(COLOR_HIGHLIGHT)}, {W - 1, H - 1, SysColor(COLOR_HIGHLIGHT)}});
}

TEST_F(StyledMenusTest, DisabledItemIsEngravedInHighlightAndShadow) {
  const MenuMetrics m;
  auto* menu = Menu(msBtnLowered, {"Empty recycle bin"});
  Item(menu, 0)->SetEnabled(false);
  const int W = 160, H = 22;
  auto b = Draw(menu, Item(menu, 0), 0, W, H);

  // The same caption drawn here: the menu colour from x = 1, the highlight copy one pixel
  // down and right, the shadow copy in place.
  TBitmap expected(W, H);
  HDC dc = expected.Canvas().Handle();
  {
    UniqueHbrush under(CreateSolidBrush(0x00123456)), menuBrush(CreateSolidBrush(SysColor(COLOR_MENU)));
    RECT all{0, 0, W, H}, item{1, 0, W, H};
    FillRect(dc, &all, under.get());
    FillRect(dc, &item, menuBrush.get());
    const auto font = SelectInto(dc, m.Font());
    SetBkMode(dc, TRANSPARENT);
    const int x = 1 + 2 * MenuMetrics::Margin() + MenuMetrics::CheckWidth();
    const int y = (H - m.Extent("Ay").cy) / 2;
    const std::wstring text = L"Empty recycle bin";
    for (auto [dx, color] : {std::pair{1, COLOR_BTNHIGHLIGHT}, std::pair{0, COLOR_BTNSHADOW}}) {
      SetTextColor(dc, GetSysColor(color));
      RECT r{x + dx, y + dx, W + dx, H + dx};
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_EXPANDTABS | DT_LEFT | DT_NOCLIP);
    }
  }
  const testing::Diff d = testing::Difference(*b, expected);
  EXPECT_EQ(d.count, 0) << d.bounds.left << "," << d.bounds.top << "-" << d.bounds.right << "," << d.bounds.bottom;
  EXPECT_GT(testing::CountPixels(*b, SysColor(COLOR_BTNSHADOW), RECT{2, 0, W, H}), 0);
  EXPECT_GT(testing::CountPixels(*b, SysColor(COLOR_BTNHIGHLIGHT), RECT{2, 0, W, H}), 0);
}

TEST_F(StyledMenusTest, SeparatorIsAShadowAndAHighlightLine) {
  auto* menu = Menu(msBtnLowered, {"-"});
  auto b = Draw(menu, Item(menu, 0), 0, 60, 9);
  for (int x = 1; x < 60; ++x) {
    EXPECT_EQ(b->Pixel(x, 3), SysColor(COLOR_BTNSHADOW)) << x;
    EXPECT_EQ(b->Pixel(x, 4), SysColor(COLOR_BTNHIGHLIGHT)) << x;
    EXPECT_EQ(b->Pixel(x, 2), SysColor(COLOR_MENU)) << x;
  }
}

TEST_F(StyledMenusTest, PopupWindowAnswersSelectionMenuCharactersAndHelp) {
  auto* menu = Menu(msBtnLowered, {"&Show", "&Hide", "&Secret", "S&leep", "&Sleep"});
  Item(menu, 0)->SetHint("Shows the window");
  Item(menu, 2)->SetVisible(false);
  Item(menu, 1)->SetHelpContext(42);
  UniqueHmenu handle = menu->BuildMenu();
  HWND list = TMenu::PopupListWindow();

  SendMessageW(list, WM_MENUSELECT, MAKEWPARAM(Item(menu, 0)->Command(), MF_MOUSESELECT),
               reinterpret_cast<LPARAM>(handle.get()));
  EXPECT_EQ(TMenu::SelectedHint(), "Shows the window");
  SendMessageW(list, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);  // closed
  EXPECT_EQ(TMenu::SelectedHint(), "");

  auto menuChar = [&](wchar_t ch) {
    return SendMessageW(list, WM_MENUCHAR, MAKEWPARAM(ch, MF_POPUP), reinterpret_cast<LPARAM>(handle.get()));
  };
  EXPECT_EQ(menuChar(L'h'), MAKELRESULT(1, MNC_EXECUTE));
  EXPECT_EQ(menuChar(L'L'), MAKELRESULT(2, MNC_EXECUTE));  // the hidden item takes no place
  EXPECT_EQ(menuChar(L's'), MAKELRESULT(0, MNC_SELECT));   // two items: the first is selected
  EXPECT_EQ(HIWORD(menuChar(L'x')), MNC_IGNORE);

  int context = 0;
  bool popup = true;
  TMenu::SetHelpHandler([&](int c, bool p) {
    context = c;
    popup = p;
  });
  HELPINFO help{};
  help.cbSize = sizeof help;
  help.iContextType = HELPINFO_MENUITEM;
  help.iCtrlId = static_cast<int>(Item(menu, 1)->Command());
  SendMessageW(list, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
  EXPECT_EQ(context, 42);
  EXPECT_FALSE(popup);
}

TEST_F(StyledMenusTest, ErrorWhileMeasuringReachesTheApplicationNotTheSystem) {
  auto* menu = Menu(msBtnLowered, {"Show"});
  menu->OnMeasureItem = [](TObject*, TMenuItem*, int&, int&) { throw EInvalidOperation("measuring failed"); };
  std::vector<std::string> errors;
  Application().OnException = [&](TObject*, const Exception& e) { errors.push_back(e.Message()); };
  UniqueHmenu handle = menu->BuildMenu();
  MEASUREITEMSTRUCT mis{};
  mis.CtlType = ODT_MENU;
  mis.itemID = Item(menu, 0)->Command();
  SendMessageW(TMenu::PopupListWindow(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
  Application().OnException = nullptr;
  EXPECT_EQ(errors, (std::vector<std::string>{"measuring failed"}));
}

// A desktop on which an open menu is measured and drawn item by item and each item is
// selected in turn, as the system does while the user looks through it.
struct ScriptedTracking : testing::ScriptedDesktop {
  int measured = 0, drawn = 0;
  TBitmap surface{200, 30};

  void TrackPopupMenu(TPopupMenu& menu, HMENU handle, int x, int y, UINT flags) override {
    ScriptedDesktop::TrackPopupMenu(menu, handle, x, y, flags);
    HWND list = TMenu::PopupListWindow();
    SendMessageW(list, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(handle), 0);
    for (int i = 0, n = GetMenuItemCount(handle); i < n; ++i) {
      MENUITEMINFOW mii{};
      mii.cbSize = sizeof mii;
      mii.fMask = MIIM_FTYPE | MIIM_ID;
      GetMenuItemInfoW(handle, static_cast<UINT>(i), TRUE, &mii);
      if (!(mii.fType & MFT_OWNERDRAW)) continue;
      MEASUREITEMSTRUCT mis{ODT_MENU, 0, mii.wID, 0, 0, 0};
      measured += SendMessageW(list, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis)) ? 1 : 0;
      for (UINT state : {0u, static_cast<UINT>(ODS_SELECTED)}) {
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_MENU;
        dis.itemID = mii.wID;
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = state;
        dis.hDC = surface.Canvas().Handle();
        dis.rcItem = RECT{0, 0, 200, static_cast<LONG>(mis.itemHeight)};
        drawn += SendMessageW(list, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis)) ? 1 : 0;
      }
      SendMessageW(list, WM_MENUSELECT, MAKEWPARAM(mii.wID, MF_MOUSESELECT), reinterpret_cast<LPARAM>(handle));
    }
    SendMessageW(list, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  }
};

TEST_F(StyledMenusTest, PopupShowsAtThePointAndItemsAreMeasuredAndDrawn) {
  auto* menu = Menu(msBtnLowered, {"Dorvane v.3", "Show", "Hide", "Empty recycle bin", "Exit"});
  int popups = 0;
  menu->OnPopup = [&](TObject*) { ++popups; };
  EXPECT_EQ(menu->PopupPoint().x, -1) << "no popup yet";
  EXPECT_EQ(menu->PopupPoint().y, -1);
  ScriptedTracking desktop;
  const testing::InstalledDesktop installed{desktop};
  menu->Popup(300, 400);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(std::pair(menu->PopupPoint().x, menu->PopupPoint().y), std::pair(300L, 400L));
  ASSERT_EQ(desktop.popups.size(), 1u);
  EXPECT_EQ(std::pair(desktop.popups[0].x, desktop.popups[0].y), std::pair(300, 400));
  EXPECT_EQ(desktop.popups[0].flags, static_cast<UINT>(TPM_LEFTALIGN | TPM_RIGHTBUTTON));
  EXPECT_EQ(desktop.measured, 5);
  EXPECT_EQ(desktop.drawn, 10);
}

TEST_F(StyledMenusTest, ThousandOpeningsOfEachMenuLeaveNoGdiObjects) {
  auto* tray = Menu(msBtnLowered, {"Dorvane v.3", "Show", "Hide", "Empty recycle bin", "Exit"});
  auto* list = Menu(msBtnLowered, {"select all", "select none", "rebuild drive list", "-", "empty recycle bin"});
  Item(tray, 1)->SetChecked(true);
  Item(tray, 3)->SetEnabled(false);
  Item(list, 2)->SetShortCut(0x4000 | 'R');
  Item(list, 1)->SetRadioItem(true);
  Item(list, 1)->SetChecked(true);
  ScriptedTracking desktop;
  const testing::InstalledDesktop installed{desktop};
  tray->Popup(10, 10);
  list->Popup(10, 10);
  const int before = testing::CountGdiObjects();
  for (int i = 0; i < 1000; ++i) {
    tray->Popup(10, 10);
    list->Popup(10, 10);
  }
  EXPECT_EQ(testing::CountGdiObjects(), before);
  EXPECT_EQ(desktop.measured, 1001 * 10);  // every item of both menus, each time
}

}  // namespace
}  // namespace dorvane
