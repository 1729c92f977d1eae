// The standard controls on a hidden form under the real window system: driven with the
// messages a user's actions produce, read back through the windows, painted into bitmaps.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/Bevel.h"
#include "framework/Button.h"
#include "framework/CheckBox.h"
#include "framework/ClassBuilder.h"
#include "framework/ComboBox.h"
#include "framework/Edit.h"
#include "framework/FormReader.h"
#include "framework/Forms.h"
#include "framework/Image.h"
#include "framework/Label.h"
#include "framework/ListView.h"
#include "framework/Panel.h"
#include "framework/Resources.h"
#include "framework/SpeedButton.h"
#include "framework/TrackBar.h"
#include "core/win32/WideString.h"
#include "tests/support/Pixels.h"
#include "tests/support/Pump.h"
#include "tests/support/TestBmp.h"

namespace dorvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A 24-bit BMP file of w x h pixels given top row first.
Bytes MakeBmp(int w, int h, const std::vector<TColor>& pixels) { return testing::MakeBmp(24, w, h, pixels); }

TColor Shown(TColor c) { return static_cast<TColor>(ColorToRGB(c)); }

using testing::ExpectPixels;

std::string ItemText(HWND list, int item, int sub) {
  wchar_t buffer[256] = {};
  LVITEMW lv{};
  lv.iSubItem = sub;
  lv.pszText = buffer;
  lv.cchTextMax = 256;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv));
  return Narrow(buffer);
}

std::string ComboItem(HWND combo, int index) {
  wchar_t buffer[256] = {};
  SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
  return Narrow(buffer);
}

bool HasUpdate(TWinControl& control) { return GetUpdateRect(control.Handle(), nullptr, FALSE) != FALSE; }

// Counts the messages that change a list view row's texts or image.
class RowWriteCounter {
 public:
  explicit RowWriteCounter(HWND list) : list_(list) {
    SetWindowSubclass(list_, &Proc, 77, reinterpret_cast<DWORD_PTR>(&count_));
  }
  RowWriteCounter(const RowWriteCounter&) = delete;
  RowWriteCounter& operator=(const RowWriteCounter&) = delete;
  ~RowWriteCounter() { RemoveWindowSubclass(list_, &Proc, 77); }
  int Count() const { return count_; }

 private:
  static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    if (msg == LVM_SETITEMW || msg == LVM_SETITEMA || msg == LVM_SETITEMTEXTW || msg == LVM_SETITEMTEXTA)
      ++*reinterpret_cast<int*>(data);
    return DefSubclassProc(wnd, msg, wp, lp);
  }
  HWND list_;
  int count_ = 0;
};

class StdControlsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Application().Initialize(); }
  void SetUp() override {
    form_ = new TForm(nullptr);
    form_->SetBounds(0, 0, 420, 320);
    form_->HandleNeeded();
  }
  void TearDown() override { form_->Free(); }

  template <typename T>
  T* Make(TWinControl* parent, int left, int top, int width, int height) {
    T* c = new T(form_);
    c->SetBounds(left, top, width, height);
    c->SetParent(parent);
    return c;
  }
  // A windowed control's background and graphic children, rendered into a bitmap.
  static void Paint(TWinControl& control, TBitmap& bitmap) {
    bitmap.SetSize(control.Width(), control.Height());
    control.PaintTo(bitmap.Canvas().Handle());
  }
  void Command(TWinControl& child, WORD code) {
    SendMessageW(form_->Handle(), WM_COMMAND, MAKEWPARAM(0, code), reinterpret_cast<LPARAM>(child.Handle()));
  }

  TForm* form_ = nullptr;
};

// -- check box --------------------------------------------------------------------------

TEST_F(StdControlsTest, CheckBoxRaisesOnClickForEveryChangeOfState) {
  auto* box = Make<TCheckBox>(form_, 10, 10, 120, 20);
  int clicks = 0;
  std::vector<bool> seen;
  box->OnClick = [&](TObject*) {
    ++clicks;
    seen.push_back(box->Checked());
  };
  box->SetChecked(true);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(SendMessageW(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  box->SetChecked(true);
  EXPECT_EQ(clicks, 1) << "the same value again is no change";

  // A user's click: the box toggles before the handler runs, which runs once.
  SendMessageW(box->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 2);
  EXPECT_FALSE(box->Checked());
  SendMessageW(box->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 3);
  EXPECT_EQ(seen, (std::vector<bool>{true, false, true}));

  box->SetState(cbGrayed);
  EXPECT_EQ(clicks, 4);
  EXPECT_EQ(SendMessageW(box->Handle(), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  EXPECT_FALSE(box->Checked());
}

TEST_F(StdControlsTest, CheckBoxKeepsItsStateUntilItHasAWindow) {
  auto* box = new TCheckBox(form_);
  box->SetAlignment(taLeftJustify);
  box->SetAllowGrayed(true);
  int clicks = 0;
  box->OnClick = [&](TObject*) { ++clicks; };
  box->SetChecked(true);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(box->HandleAllocated());
  box->SetParent(form_);
  ASSERT_TRUE(box->HandleAllocated());
  EXPECT_EQ(SendMessageW(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  const LONG style = GetWindowLongW(box->Handle(), GWL_STYLE);
  EXPECT_EQ(style & BS_TYPEMASK, BS_AUTO3STATE);
  EXPECT_TRUE(style & BS_LEFTTEXT);
  box->SetAllowGrayed(false);
  EXPECT_EQ(GetWindowLongW(box->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
}

// -- track bar --------------------------------------------------------------------------

TEST_F(StdControlsTest, TrackBarClampsAndRaisesOnChangeForEveryMove) {
  auto* bar = Make<TTrackBar>(form_, 10, 10, 150, 30);
  int changes = 0;
  int seen = -1;
  bar->OnChange = [&](TObject*) {
    ++changes;
    seen = bar->Position();
  };
  bar->SetMax(75);
  EXPECT_EQ(changes, 0);
  bar->SetMin(1);  // moves the position from 0 to 1
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(bar->Position(), 1);
  bar->SetPosition(0);
  EXPECT_EQ(bar->Position(), 1);
  EXPECT_EQ(changes, 1) << "clamped to where it already is";
  bar->SetPosition(99);
  EXPECT_EQ(bar->Position(), 75);
  EXPECT_EQ(changes, 2);
  bar->SetPosition(75);
  EXPECT_EQ(changes, 2);
  bar->SetPosition(5);
  EXPECT_EQ(changes, 3);
  HWND wnd = bar->Handle();
  EXPECT_EQ(SendMessageW(wnd, TBM_GETPOS, 0, 0), 5);
  EXPECT_EQ(SendMessageW(wnd, TBM_GETRANGEMIN, 0, 0), 1);
  EXPECT_EQ(SendMessageW(wnd, TBM_GETRANGEMAX, 0, 0), 75);

  // The user drags the thumb: the window tells its parent.
  SendMessageW(wnd, TBM_SETPOS, TRUE, 20);
  SendMessageW(form_->Handle(), WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 20), reinterpret_cast<LPARAM>(wnd));
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(seen, 20);
  SendMessageW(form_->Handle(), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(wnd));
  EXPECT_EQ(changes, 4) << "the end of a drag that moved nothing further";

  bar->SetMax(10);  // the position follows the maximum down
  EXPECT_EQ(changes, 5);
  EXPECT_EQ(seen, 10);
  bar->SetMin(50);  // a minimum above the maximum takes it along
  EXPECT_EQ(bar->Max(), 50);
  EXPECT_EQ(bar->Position(), 50);
  EXPECT_EQ(changes, 6);
}

// -- combo box --------------------------------------------------------------------------

TEST_F(StdControlsTest, ComboBoxItemsIndexAndText) {
  auto* combo = new TComboBox(form_);
  int changes = 0;
  int seenIndex = -2;
  std::string seenText;
  combo->OnChange = [&](TObject*) {
    ++changes;
    seenIndex = combo->ItemIndex();
    seenText = combo->Text();
  };
  combo->Items().SetStrings({"c:\\", "d:\\"});
  combo->SetItemIndex(1);
  combo->SetBounds(10, 10, 150, 21);
  combo->SetParent(form_);  // the window takes what was set before it existed
  HWND wnd = combo->Handle();
  EXPECT_EQ(SendMessageW(wnd, CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageW(wnd, CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(combo->Text(), "d:\\");

  combo->Items().Add("e:\\");
  EXPECT_EQ(ComboItem(wnd, 2), "e:\\");
  combo->SetItemIndex(7);
  EXPECT_EQ(combo->ItemIndex(), -1);
  combo->SetItemIndex(2);
  EXPECT_EQ(SendMessageW(wnd, CB_GETCURSEL, 0, 0), 2);

  // A text that is no item is shown with nothing selected, and reads back.
  combo->SetText("no drive selected");
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_EQ(combo->Text(), "no drive selected");
  combo->SetItemIndex(-1);  // no change: the text stays
  EXPECT_EQ(combo->Text(), "no drive selected");
  combo->SetText("D:\\");  // an item's text selects it, ignoring case
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Text(), "d:\\");
  combo->SetItemIndex(-1);
  EXPECT_EQ(combo->Text(), "");

  combo->SetItemIndex(2);
  combo->Items().Delete(0);
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Text(), "e:\\");
  combo->Items().Delete(1);
  EXPECT_EQ(combo->ItemIndex(), -1);

  combo->SetText("x");
  combo->Clear();
  EXPECT_EQ(combo->Items().Count(), 0);
  EXPECT_EQ(SendMessageW(wnd, CB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(combo->Text(), "");
  EXPECT_EQ(changes, 0) << "nothing the program did is the user's choice";

  // The user picks an item while a text that is no item shows.
  combo->Items().SetStrings({"a", "b", "c"});
  combo->SetText("nothing yet");
  SendMessageW(wnd, CB_SETCURSEL, 2, 0);
  Command(*combo, CBN_SELCHANGE);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(seenIndex, 2);
  EXPECT_EQ(seenText, "c");
}

TEST_F(StdControlsTest, ComboBoxDrawsTheTextThatIsNoItem) {
  auto* combo = Make<TComboBox>(form_, 10, 10, 150, 21);
  combo->Items().Add("c:\\");
  combo->SetText("no drive selected");
  combo->SetColor(clWhite);
  combo->Font().SetColor(clRed);
  TBitmap bitmap(150, 20);
  // What the window asks its parent to draw for the closed list without a selection.
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_COMBOBOX;
  item.itemID = static_cast<UINT>(-1);
  item.itemAction = ODA_DRAWENTIRE;
  item.itemState = ODS_COMBOBOXEDIT;
  item.hwndItem = combo->Handle();
  item.hDC = bitmap.Canvas().Handle();
  item.rcItem = RECT{0, 0, 150, 20};
  SendMessageW(form_->Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_GT(testing::CountPixels(bitmap, clRed, item.rcItem), 20);
  EXPECT_GT(testing::CountPixels(bitmap, clWhite, item.rcItem), 1000);
}

TEST_F(StdControlsTest, SortedComboBoxKeepsItsItemsInOrder) {
  auto* combo = Make<TComboBox>(form_, 10, 10, 150, 21);
  combo->Items().SetStrings({"b", "a"});
  combo->SetItemIndex(0);
  combo->SetSorted(true);
  EXPECT_EQ(combo->Items().ToVector(), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(combo->Text(), "b") << "the selection stays with its item";
  combo->Items().Add("C");
  combo->Items().Add("A2");
  EXPECT_EQ(combo->Items().ToVector(), (std::vector<std::string>{"a", "A2", "b", "C"}));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ComboItem(combo->Handle(), i), combo->Items()[i]);
}

// -- list view --------------------------------------------------------------------------

class ListViewTest : public StdControlsTest {
 protected:
  void SetUp() override {
    StdControlsTest::SetUp();
    list_ = Make<TListView>(form_, 0, 0, 400, 200);
    list_->SetViewStyle(vsReport);
    list_->SetCheckboxes(true);
    list_->SetReadOnly(true);
    TListColumn* number = list_->Columns().Add();
    number->SetWidth(50);
    number->SetMaxWidth(38);
    list_->Columns().Add()->SetCaption("name");
    list_->Columns().Add()->SetCaption("free");
    for (const char* root : {"a:\\", "c:\\", "d:\\"}) {
      TListItem* item = list_->Items().Add();
      item->SetCaption(std::to_string(list_->Items().Count()));
      item->SubItems().SetStrings({root, "1 Gb"});
    }
  }
  HWND Wnd() { return list_->Handle(); }
  TListView* list_ = nullptr;
};

TEST_F(ListViewTest, ColumnsAndRowsReachTheWindow) {
  EXPECT_EQ(list_->Columns().Items(0)->Width(), 38) << "held to its maximum width";
  EXPECT_EQ(SendMessageW(Wnd(), LVM_GETCOLUMNWIDTH, 1, 0), 50);
  wchar_t caption[32] = {};
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT;
  column.pszText = caption;
  column.cchTextMax = 32;
  SendMessageW(Wnd(), LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
  EXPECT_EQ(Narrow(caption), "name");
  const DWORD ex = static_cast<DWORD>(SendMessageW(Wnd(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  EXPECT_TRUE(ex & LVS_EX_CHECKBOXES);
  EXPECT_FALSE(GetWindowLongW(Wnd(), GWL_STYLE) & LVS_EDITLABELS);

  ASSERT_EQ(SendMessageW(Wnd(), LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(ItemText(Wnd(), 1, 0), "2");
  EXPECT_EQ(ItemText(Wnd(), 1, 1), "c:\\");
  EXPECT_EQ(ItemText(Wnd(), 2, 2), "1 Gb");

  TListItem* first = list_->Items().Item(0);
  int data = 5;
  list_->Items().Item(2)->SetData(&data);
  first->Delete();
  EXPECT_EQ(list_->Items().Count(), 2);
  EXPECT_EQ(ItemText(Wnd(), 0, 1), "c:\\");
  EXPECT_EQ(list_->Items().Item(1)->Data(), &data);
  EXPECT_EQ(list_->Items().IndexOf(list_->Items().Item(1)), 1);
  list_->Items().Clear();
  EXPECT_EQ(SendMessageW(Wnd(), LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(ListViewTest, UnchangedTextsCostNoWindowUpdate) {
  RowWriteCounter writes(Wnd());
  for (int i = 0; i < list_->Items().Count(); ++i) {
    TListItem* item = list_->Items().Item(i);
    item->SetCaption(item->Caption());
    item->SubItems().Put(1, "1 Gb");
    item->SubItems().SetStrings(item->SubItems().ToVector());  // cleared and refilled in one batch
    item->SetImageIndex(item->ImageIndex());
    item->SetChecked(item->Checked());
  }
  EXPECT_EQ(writes.Count(), 0);

  list_->Items().Item(1)->SubItems().Put(1, "2 Gb");
  EXPECT_EQ(writes.Count(), 1);
  EXPECT_EQ(ItemText(Wnd(), 1, 2), "2 Gb");
  list_->Items().Item(2)->SetCaption("9");
  EXPECT_EQ(writes.Count(), 2);
  EXPECT_EQ(ItemText(Wnd(), 2, 0), "9");
  list_->Items().Item(0)->SubItems().Clear();  // the window's texts go too
  EXPECT_EQ(writes.Count(), 4);
  EXPECT_EQ(ItemText(Wnd(), 0, 1), "");
}

TEST_F(ListViewTest, OnlyTheUsersTicksRaiseOnItemChecked) {
  std::vector<std::pair<int, bool>> ticks;
  list_->OnItemChecked = [&](TObject*, TListItem* item) { ticks.emplace_back(item->Index(), item->Checked()); };
  auto windowChecked = [&](int i) {
    return (SendMessageW(Wnd(), LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_STATEIMAGEMASK) >> 12) == 2;
  };
  list_->Items().Item(1)->SetChecked(true);
  EXPECT_TRUE(windowChecked(1));
  EXPECT_TRUE(ticks.empty());

  auto userTick = [&](int i, bool checked) {
    LVITEMW lv{};
    lv.stateMask = LVIS_STATEIMAGEMASK;
    lv.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendMessageW(Wnd(), LVM_SETITEMSTATE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&lv));
  };
  userTick(2, true);
  userTick(1, false);
  userTick(1, false);
  EXPECT_EQ(ticks, (std::vector<std::pair<int, bool>>{{2, true}, {1, false}}));
  EXPECT_TRUE(list_->Items().Item(2)->Checked());

  // Turning the boxes off and on again keeps the ticks.
  list_->SetCheckboxes(false);
  list_->SetCheckboxes(true);
  EXPECT_TRUE(windowChecked(2));
  EXPECT_FALSE(windowChecked(1));
  EXPECT_EQ(ticks.size(), 2u);
}

TEST_F(ListViewTest, EverySelectionChangeRaisesOnSelectItem) {
  std::vector<std::pair<int, bool>> events;
  list_->OnSelectItem = [&](TObject*, TListItem* item, bool selected) { events.emplace_back(item->Index(), selected); };
  list_->Items().Item(1)->SetSelected(true);
  // The user selects another row of the single-selection list.
  LVITEMW lv{};
  lv.stateMask = LVIS_SELECTED;
  lv.state = LVIS_SELECTED;
  SendMessageW(Wnd(), LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&lv));
  EXPECT_EQ(events, (std::vector<std::pair<int, bool>>{{1, true}, {1, false}, {2, true}}));
  EXPECT_EQ(list_->Selected(), list_->Items().Item(2));
  EXPECT_FALSE(list_->Items().Item(1)->Selected());

  int clicks = 0;
  list_->OnClick = [&](TObject*) { ++clicks; };
  NMITEMACTIVATE click{};
  click.hdr = NMHDR{Wnd(), 0, static_cast<UINT>(NM_CLICK)};
  click.iItem = 2;
  SendMessageW(form_->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(clicks, 1);
}

// A list in a panel of a panel that has no room yet (the settings view of a compact
// window): none of them has a window, and a row the program selects is still reported.
TEST_F(StdControlsTest, ARowSelectedInAListWithoutRoomAboveItIsReported) {
  auto* closed = Make<TPanel>(form_, 0, 0, 200, 0);
  auto* inner = Make<TPanel>(closed, 0, 0, 200, 100);
  auto* list = Make<TListView>(inner, 0, 0, 200, 100);
  list->SetViewStyle(vsReport);
  list->Columns().Add()->SetCaption("#");
  list->Items().Add()->SetCaption("1");
  list->Items().Add()->SetCaption("2");
  ASSERT_FALSE(inner->HandleAllocated());
  std::vector<int> selected;
  list->OnSelectItem = [&](TObject*, TListItem* item, bool on) {
    if (on) selected.push_back(item->Index());
  };
  list->Items().Item(1)->SetSelected(true);
  EXPECT_EQ(selected, std::vector<int>{1});
  EXPECT_EQ(list->Selected(), list->Items().Item(1));
}

TEST_F(StdControlsTest, ListViewMadeBeforeItsWindowShowsEverything) {
  auto* list = new TListView(form_);
  list->SetViewStyle(vsReport);
  list->SetCheckboxes(true);
  list->Columns().Add()->SetCaption("#");
  list->Columns().Add()->SetCaption("name");
  TListItem* item = list->Items().Add();
  item->SetCaption("1");
  item->SubItems().Add("c:\\");
  item->SetChecked(true);
  item->SetSelected(true);
  list->SetBounds(0, 0, 300, 100);
  list->SetParent(form_);
  HWND wnd = list->Handle();
  EXPECT_EQ(SendMessageW(wnd, LVM_GETITEMCOUNT, 0, 0), 1);
  EXPECT_EQ(ItemText(wnd, 0, 1), "c:\\");
  EXPECT_EQ(SendMessageW(wnd, LVM_GETITEMSTATE, 0, LVIS_SELECTED | LVIS_STATEIMAGEMASK),
            static_cast<LRESULT>(LVIS_SELECTED | INDEXTOSTATEIMAGEMASK(2)));
  // A column added later gets the texts its rows already have.
  item->SubItems().Add("12 Gb");
  list->Columns().Add()->SetCaption("free");
  EXPECT_EQ(ItemText(wnd, 0, 2), "12 Gb");
}

// -- edit and button ----------------------------------------------------------------------

TEST_F(StdControlsTest, EditRaisesOnChangeForProgramAndUser) {
  auto* edit = Make<TEdit>(form_, 10, 10, 120, 21);
  int changes = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  edit->SetText("c:\\sound.wav");
  EXPECT_EQ(changes, 1);
  edit->SetText("c:\\sound.wav");
  EXPECT_EQ(changes, 1);
  SendMessageW(edit->Handle(), EM_SETSEL, 12, 12);
  SendMessageW(edit->Handle(), WM_CHAR, L'x', 0);  // typed at the end
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(edit->Text(), "c:\\sound.wavx");
  edit->SetReadOnly(true);
  edit->SetMaxLength(5);
  EXPECT_TRUE(GetWindowLongW(edit->Handle(), GWL_STYLE) & ES_READONLY);
  EXPECT_EQ(SendMessageW(edit->Handle(), EM_GETLIMITTEXT, 0, 0), 5);
  edit->SelectAll();
  DWORD start = 0, end = 0;
  SendMessageW(edit->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 13u);
}

TEST_F(StdControlsTest, ButtonClickGivesItsModalResultToTheForm) {
  auto* panel = Make<TPanel>(form_, 0, 0, 200, 100);
  auto* button = Make<TButton>(panel, 10, 10, 75, 25);
  button->SetModalResult(mrOk);
  button->SetDefault(true);
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  SendMessageW(button->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(form_->ModalResult(), mrOk);
  EXPECT_EQ(GetWindowLongW(button->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
}

// -- panel, label, image, bevel: layout and painting ----------------------------------------

TEST_F(StdControlsTest, PanelAlignsChildrenInsideBorderAndBevels) {
  auto* panel = Make<TPanel>(form_, 0, 0, 200, 100);
  panel->SetBevelOuter(bvLowered);
  panel->SetBorderWidth(2);
  auto* top = Make<TPanel>(panel, 0, 0, 10, 20);
  top->SetAlign(alTop);
  auto* rest = Make<TPanel>(panel, 0, 0, 10, 10);
  rest->SetAlign(alClient);
  EXPECT_EQ(top->BoundsRect().left, 3);
  EXPECT_EQ(top->BoundsRect().top, 3);
  EXPECT_EQ(top->Width(), 194);
  EXPECT_EQ(rest->Top(), 23);
  EXPECT_EQ(rest->Height(), 74);

  panel->SetBevelInner(bvSpace);
  panel->SetBorderStyle(bsSingle);
  EXPECT_EQ(top->Left(), 5);
  EXPECT_EQ(rest->Width(), 190);
  panel->SetBevelOuter(bvNone);
  panel->SetBevelWidth(3);
  EXPECT_EQ(top->Left(), 6);
}

TEST_F(StdControlsTest, PanelPaintsItsColourBevelAndTransparentLabel) {
  auto* panel = Make<TPanel>(form_, 0, 0, 120, 60);
  panel->SetColor(clYellow);
  auto* label = Make<TLabel>(panel, 10, 10, 0, 0);
  label->SetTransparent(true);
  label->Font().SetColor(clRed);
  label->SetCaption("c:\\ 1000 Mb");
  TBitmap bitmap;
  Paint(*panel, bitmap);

  // The raised bevel; the corner top right belongs to the right edge.
  ExpectPixels(bitmap, {{0, 0, Shown(clBtnHighlight)}, {0, 58, Shown(clBtnHighlight)}, {119, 0, Shown(clBtnShadow)},
                        {119, 59, Shown(clBtnShadow)}, {1, 1, clYellow}});

  // Beneath and around the letters the panel shows through: the picture is the bare panel
  // with the caption drawn on it in the label's font and colour (whatever the face, and
  // smoothed edges included), and every pixel of the label is yellow, red or a mix of them.
  const RECT text = label->BoundsRect();
  label->SetVisible(false);
  TBitmap expected;
  Paint(*panel, expected);
  label->SetVisible(true);
  TCanvas& canvas = expected.Canvas();
  canvas.Font().Assign(label->Font());
  canvas.Brush().SetStyle(bsClear);
  RECT at = text;
  canvas.DrawText(label->Caption(), at, DT_NOPREFIX | DT_LEFT);
  int ink = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 120; ++x) {
      const TColor c = bitmap.Pixel(x, y);
      ASSERT_EQ(c, expected.Pixel(x, y)) << x << "," << y;
      if (PtInRect(&text, POINT{x, y}) && c != clYellow) {
        ++ink;
        EXPECT_TRUE(GetRValue(c) == 255 && GetBValue(c) == 0) << std::hex << c << " at " << x << "," << y;
      }
    }
  EXPECT_GT(ink, 20) << "the caption in its font colour";

  // An opaque label fills its rectangle with its own colour.
  label->SetTransparent(false);
  label->SetColor(clAqua);
  Paint(*panel, bitmap);
  ExpectPixels(bitmap, {{text.right - 1, text.bottom - 1, clAqua}, {text.right, text.bottom, clYellow}});
}

TEST_F(StdControlsTest, LabelSizeFollowsItsText) {
  auto* label = Make<TLabel>(form_, 100, 10, 0, 0);
  UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  const auto font = SelectInto(dc.get(), label->Font().Handle());
  auto extent = [&](const wchar_t* text) {
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), text, lstrlenW(text), &size);
    return size;
  };
  label->SetCaption("1000 Mb");
  EXPECT_EQ(label->Width(), extent(L"1000 Mb").cx);
  EXPECT_EQ(label->Height(), extent(L"1000 Mb").cy);
  label->SetCaption("100 Mb");
  EXPECT_EQ(label->Width(), extent(L"100 Mb").cx);

  label->SetAlignment(taRightJustify);
  const int right = label->Left() + label->Width();
  label->SetCaption("1000000 Mb");
  EXPECT_EQ(label->Left() + label->Width(), right) << "a right-justified label keeps its right edge";

  label->Font().SetHeight(-20);
  EXPECT_GT(label->Height(), extent(L"1").cy);
  label->SetAutoSize(false);
  label->SetBounds(0, 0, 30, 12);
  label->SetCaption("a much longer caption than before");
  EXPECT_EQ(label->Width(), 30);
  EXPECT_EQ(label->Height(), 12);
}

TEST_F(StdControlsTest, LabelAndImageRepaintOnlyForRealChanges) {
  auto* panel = Make<TPanel>(form_, 0, 0, 200, 100);
  auto* label = Make<TLabel>(panel, 10, 10, 0, 0);
  auto* image = Make<TImage>(panel, 10, 40, 20, 20);
  label->SetCaption("50 %");
  form_->Show();
  form_->Repaint();
  panel->Update();
  ASSERT_FALSE(HasUpdate(*panel));
  label->SetCaption("50 %");
  label->SetColor(label->Color());
  label->Font().SetColor(label->Font().Color());
  label->SetTransparent(false);
  EXPECT_FALSE(HasUpdate(*panel)) << "the same caption every second must not repaint";
  label->SetCaption("51 %");
  EXPECT_TRUE(HasUpdate(*panel));
  panel->Update();
  label->Font().SetColor(clBlue);
  EXPECT_TRUE(HasUpdate(*panel));
  panel->Update();
  image->Picture().Bitmap().SetSize(4, 4);
  EXPECT_TRUE(HasUpdate(*panel));
}

TEST_F(StdControlsTest, ImageDrawsItsPictureCentredStretchedOrTransparent) {
  // Top row red red lime lime; bottom row magenta (the transparent colour) red lime lime.
  const Bytes bmp = MakeBmp(4, 2, {clRed, clRed, clLime, clLime, clFuchsia, clRed, clLime, clLime});
  AddTestResource("STDTEST_PICTURE", bmp);
  auto* panel = Make<TPanel>(form_, 0, 0, 40, 40);
  panel->SetBevelOuter(bvNone);
  panel->SetColor(clYellow);
  auto* image = Make<TImage>(panel, 10, 10, 10, 6);
  image->Picture().LoadFromResourceName("STDTEST_PICTURE");
  image->SetCenter(true);
  image->SetTransparent(true);
  TBitmap bitmap;
  Paint(*panel, bitmap);
  // Centred: the picture at (13, 12); its transparent colour at (13, 13) is not drawn.
  ExpectPixels(bitmap, {{13, 12, clRed}, {15, 12, clLime}, {13, 13, clYellow}, {12, 12, clYellow}});

  image->SetCenter(false);
  image->SetStretch(true);
  image->SetTransparent(false);
  image->SetBounds(10, 10, 8, 4);
  Paint(*panel, bitmap);
  ExpectPixels(bitmap, {{10, 10, clRed}, {17, 10, clLime}, {10, 13, clFuchsia}, {12, 13, clRed}});

  image->SetAutoSize(true);
  EXPECT_EQ(image->Width(), 4);
  EXPECT_EQ(image->Height(), 2);
}

TEST_F(StdControlsTest, BevelDrawsShadowAndHighlight) {
  auto* panel = Make<TPanel>(form_, 0, 0, 40, 40);
  panel->SetBevelOuter(bvNone);
  panel->SetColor(clYellow);
  auto* bevel = Make<TBevel>(panel, 5, 5, 20, 10);
  TBitmap bitmap;
  Paint(*panel, bitmap);
  ExpectPixels(bitmap, {{5, 5, Shown(clBtnShadow)}, {24, 14, Shown(clBtnHighlight)}, {10, 10, clYellow}});
  bevel->SetShape(bvsTopLine);
  bevel->SetStyle(bvsRaised);
  Paint(*panel, bitmap);
  ExpectPixels(bitmap, {{10, 5, Shown(clBtnHighlight)}, {10, 6, Shown(clBtnShadow)}, {10, 7, clYellow}, {24, 14, clYellow}});
}

// -- speed button ---------------------------------------------------------------------------

class SpeedButtonTest : public StdControlsTest {
 protected:
  void SetUp() override {
    StdControlsTest::SetUp();
    panel_ = Make<TPanel>(form_, 0, 0, 200, 60);
    panel_->SetBevelOuter(bvNone);
    panel_->SetColor(clYellow);
  }
  void Mouse(UINT msg, int x, int y, WPARAM keys = 0) {
    SendMessageW(panel_->Handle(), msg, keys, MAKELPARAM(x, y));
  }
  void ClickAt(int x, int y) {
    Mouse(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, x, y);
  }
  TPanel* panel_ = nullptr;
};

TEST_F(SpeedButtonTest, GroupedButtonsStayDownOneAtATime) {
  auto* a = Make<TSpeedButton>(panel_, 10, 10, 40, 30);
  auto* b = Make<TSpeedButton>(panel_, 60, 10, 40, 30);
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  std::vector<std::string> clicks;
  a->OnClick = [&](TObject*) { clicks.push_back(a->Down() ? "a down" : "a up"); };
  b->OnClick = [&](TObject*) { clicks.push_back(b->Down() ? "b down" : "b up"); };
  ClickAt(20, 20);
  ClickAt(70, 20);
  ClickAt(70, 20);  // the only down button of the group stays down
  EXPECT_EQ(clicks, (std::vector<std::string>{"a down", "b down", "b down"}));
  EXPECT_FALSE(a->Down());

  b->SetAllowAllUp(true);
  EXPECT_TRUE(a->AllowAllUp()) << "the group shares the setting";
  ClickAt(70, 20);
  EXPECT_FALSE(b->Down());

  // Pressed on the button but released outside: no click.
  Mouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, 150, 50, MK_LBUTTON);
  EXPECT_FALSE(a->Pressed());
  Mouse(WM_LBUTTONUP, 150, 50);
  EXPECT_EQ(clicks.size(), 4u);
  EXPECT_FALSE(a->Down());
}

// A click is a press and a release on one control: a press that began on another window
// (dragged onto the button, released there) or on another control clicks nothing, and
// the window pressed keeps the mouse until the release.
TEST_F(SpeedButtonTest, AReleaseClicksOnlyTheControlThePressBeganOn) {
  auto* other = Make<TPanel>(form_, 0, 100, 200, 60);
  auto* button = Make<TSpeedButton>(panel_, 10, 10, 40, 30);
  auto* beside = Make<TSpeedButton>(panel_, 60, 10, 40, 30);
  int clicks = 0, otherClicks = 0, besideClicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  other->OnClick = [&](TObject*) { ++otherClicks; };
  beside->OnClick = [&](TObject*) { ++besideClicks; };
  // Pressed on the other window, released on the button.
  SendMessageW(other->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  EXPECT_EQ(GetCapture(), other->Handle());
  SendMessageW(other->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, -80));
  Mouse(WM_LBUTTONUP, 20, 20);
  SendMessageW(other->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, -80));
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(otherClicks, 0) << "released outside the window pressed";
  EXPECT_NE(GetCapture(), other->Handle());
  // Pressed on the button beside it, released on the button.
  Mouse(WM_LBUTTONDOWN, 70, 20, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, 20, 20);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(besideClicks, 0);
  // A press whose mouse another window took (a move loop) ends unclicked.
  Mouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  SetCapture(other->Handle());
  Mouse(WM_LBUTTONUP, 20, 20);
  ReleaseCapture();
  EXPECT_EQ(clicks, 0);
  // Press and release on it: one click; on the other window alone: one click there.
  ClickAt(20, 20);
  EXPECT_EQ(clicks, 1);
  SendMessageW(other->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  SendMessageW(other->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  EXPECT_EQ(otherClicks, 1);
}

TEST_F(SpeedButtonTest, FlatButtonShowsItsFrameOnlyUnderTheMouse) {
  auto* button = Make<TSpeedButton>(panel_, 10, 10, 40, 30);
  button->SetFlat(true);
  TBitmap bitmap;
  Paint(*panel_, bitmap);
  EXPECT_EQ(bitmap.Pixel(10, 10), clYellow) << "a flat transparent button without the mouse is invisible";
  Mouse(WM_MOUSEMOVE, 20, 20);
  EXPECT_TRUE(button->MouseInControl());
  Paint(*panel_, bitmap);
  ExpectPixels(bitmap, {{10, 10, Shown(clBtnHighlight)}, {49, 39, Shown(clBtnShadow)}});  // raised under the mouse
  Mouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  Paint(*panel_, bitmap);
  EXPECT_EQ(bitmap.Pixel(10, 10), Shown(clBtnShadow)) << "sunken while pressed";
  Mouse(WM_LBUTTONUP, 20, 20);
  Mouse(WM_MOUSEMOVE, 150, 50);
  EXPECT_FALSE(button->MouseInControl());
  Paint(*panel_, bitmap);
  EXPECT_EQ(bitmap.Pixel(10, 10), clYellow);
}

TEST_F(SpeedButtonTest, GlyphImagesAndTransparentColour) {
  // Two 4 x 4 images: a red square, then a blue one, on magenta.
  std::vector<TColor> pixels;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool inner = (x % 4 == 1 || x % 4 == 2) && (y == 1 || y == 2);
      pixels.push_back(!inner ? clFuchsia : x < 4 ? clRed : clBlue);
    }
  auto* button = Make<TSpeedButton>(panel_, 10, 10, 20, 20);
  button->SetFlat(true);
  const Bytes glyph = MakeBmp(8, 4, pixels);
  button->Glyph().LoadFromBytes(glyph.data(), glyph.size());
  button->SetNumGlyphs(2);
  TBitmap bitmap;
  Paint(*panel_, bitmap);
  // Centred without a caption: the image's top left at (18, 18).
  EXPECT_EQ(bitmap.Pixel(19, 19), clRed);
  EXPECT_EQ(bitmap.Pixel(18, 18), clYellow) << "the bottom-left pixel's colour is transparent";
  button->SetEnabled(false);
  Paint(*panel_, bitmap);
  EXPECT_EQ(bitmap.Pixel(19, 19), clBlue) << "the second image is the disabled look";
}

// -- a form description ---------------------------------------------------------------------

class TStdTestForm : public TForm {
  DORVANE_CLASS(TStdTestForm)
 public:
  using TForm::TForm;
  void Load(std::string_view text) { InitializeFormText(text); }
  int checkClicks = 0;
  int trackChanges = 0;
  void CheckClick(TObject*) { ++checkClicks; }
  void TrackChange(TObject*) { ++trackChanges; }

 protected:
  std::vector<MethodEntry> Methods() const override {
    return {Method("CheckClick", &TStdTestForm::CheckClick), Method("TrackChange", &TStdTestForm::TrackChange)};
  }
};

const ClassInfo& TStdTestForm::StaticClass() {
  static const ClassInfo info = ClassBuilder<TStdTestForm>("TStdTestForm", &TForm::StaticClass()).Build();
  return info;
}

constexpr std::string_view kDescription = R"(
Form1: TStdTestForm {
  ClientWidth: 400
  ClientHeight: 300
  Panel1: TPanel {
    Left: 0; Top: 0; Width: 200; Height: 120
    BevelOuter: bvLowered
    BorderWidth: 2
    Color: clYellow
    Label1: TLabel { Left: 8; Top: 4; Caption: "c:\\"; Transparent: True }
    Image1: TImage { Left: 12; Top: 20; Width: 37; Height: 25; Center: True; Transparent: True; Picture: @STDTEST_FORM_PICTURE }
    Check1: TCheckBox {
      Left: 8; Top: 60; Width: 150; Height: 17
      Caption: "show drive in tray:"
      Checked: True
      OnClick: CheckClick
    }
    Bevel1: TBevel { Left: 0; Top: 100; Width: 100; Height: 2; Shape: bsTopLine; Style: bsRaised }
  }
  TrayDriveList: TComboBox { Left: 8; Top: 130; Width: 150; Height: 21; Items: ["c:\\", "d:\\"]; Text: "no drive selected" }
  IndexFirst: TComboBox { ItemIndex: 1; Items: ["a", "b"] }
  TextFirst: TComboBox { Text: "B"; Items: ["a", "b"] }
  Tb2: TTrackBar { Position: 5; Min: 20; Max: 40 }
  TbWT: TTrackBar {
    Left: 8; Top: 160; Width: 150; Height: 25
    Max: 75; Position: 99; Min: 1
    TickStyle: tsNone; ThumbLength: 12
    OnChange: TrackChange
  }
  DList: TListView {
    Left: 200; Top: 0; Width: 200; Height: 150
    ViewStyle: vsReport; Checkboxes: True; ReadOnly: True; RowSelect: True; FlatScrollBars: True
    Columns: [ { Width: 36; MaxWidth: 38 } { Caption: "name" } { Caption: "label"; Width: 100 } ]
  }
  Switch: TSpeedButton { Left: 8; Top: 200; Width: 30; Height: 20; Flat: True; Caption: "labels"; Layout: blGlyphTop }
  Edit1: TEdit { Left: 8; Top: 230; Width: 100; Height: 21; Text: "c:\\x.wav"; ReadOnly: True }
  Close: TButton { Left: 120; Top: 230; Width: 75; Height: 25; Caption: "Close"; ModalResult: 2 }
}
)";

TEST_F(StdControlsTest, FormDescriptionBuildsTheControls) {
  AddTestResource("STDTEST_FORM_PICTURE", MakeBmp(2, 2, {clRed, clRed, clFuchsia, clRed}));
  auto* form = new TStdTestForm(nullptr);
  struct Freer {
    TForm* f;
    ~Freer() { f->Free(); }
  } freer{form};
  form->Load(kDescription);

  auto* label = form->Require<TLabel>("Label1");
  auto* image = form->Require<TImage>("Image1");
  auto* check = form->Require<TCheckBox>("Check1");
  auto* combo = form->Require<TComboBox>("TrayDriveList");
  auto* bar = form->Require<TTrackBar>("TbWT");
  auto* list = form->Require<TListView>("DList");
  // Plain values are the loader's (RegisteredClasses round-trips every class); here what
  // the controls do with them once loaded.
  EXPECT_GT(label->Width(), 0) << "sized to its caption once loaded";
  EXPECT_EQ(image->Picture().Width(), 2);
  EXPECT_TRUE(image->Picture().Graphic()->Transparent());

  EXPECT_TRUE(check->Checked());
  EXPECT_EQ(SendMessageW(check->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(form->checkClicks, 0) << "loading is not a click";
  SendMessageW(check->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(form->checkClicks, 1);
  SetOrdProp(*check, "Checked", 1);  // as a restore of saved settings does
  EXPECT_EQ(form->checkClicks, 2);

  EXPECT_EQ(combo->Items().Count(), 2);
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_EQ(GetStrProp(*combo, "Text"), "no drive selected");
  EXPECT_EQ(form->Require<TComboBox>("IndexFirst")->Text(), "b") << "properties in any order";
  EXPECT_EQ(form->Require<TComboBox>("TextFirst")->ItemIndex(), 1);
  EXPECT_EQ(form->Require<TTrackBar>("Tb2")->Position(), 20);

  EXPECT_EQ(bar->Position(), 75) << "clamped once Min and Max are known";
  EXPECT_EQ(SendMessageW(bar->Handle(), TBM_GETPOS, 0, 0), 75);
  EXPECT_EQ(SendMessageW(bar->Handle(), TBM_GETTHUMBLENGTH, 0, 0), 12);
  EXPECT_TRUE(GetWindowLongW(bar->Handle(), GWL_STYLE) & TBS_NOTICKS);
  EXPECT_EQ(form->trackChanges, 0);
  SetOrdProp(*bar, "Position", 0);
  EXPECT_EQ(bar->Position(), 1);
  EXPECT_EQ(form->trackChanges, 1);

  EXPECT_EQ(list->Columns().Count(), 3);
  EXPECT_EQ(list->Columns().Items(0)->Width(), 36);
  EXPECT_EQ(SendMessageW(list->Handle(), LVM_GETCOLUMNWIDTH, 2, 0), 100);
  EXPECT_TRUE(SendMessageW(list->Handle(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FLATSB);

  // Written back and read into a new form, the description gives the same controls.
  const std::string written = WriteForm(*form);
  auto* copy = new TStdTestForm(nullptr);
  Freer copyFreer{copy};
  copy->Load(written);
  EXPECT_EQ(WriteForm(*copy), written);
  EXPECT_EQ(copy->Require<TComboBox>("TrayDriveList")->Items().ToVector(), combo->Items().ToVector());
  EXPECT_EQ(copy->Require<TImage>("Image1")->Picture().Width(), 2);
}

// The mouse resting over a control with a hint brings up the hint window after the
// pause; leaving the control or pressing a button takes it away.
TEST(HintWindow, ShowsAfterThePauseAndGoesOnLeaving) {
  Application().Initialize();
  auto* form = new TForm(nullptr);
  form->HandleNeeded();
  form->SetBounds(10, 10, 200, 100);
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetAutoSize(false);
  label->SetBounds(10, 10, 80, 20);
  label->SetCaption("x");
  label->SetHint("C:\\Sounds\\Ding.wav");
  label->SetShowHint(true);
  auto* plain = new TLabel(form);
  plain->SetParent(form);
  plain->SetAutoSize(false);
  plain->SetBounds(100, 10, 80, 20);
  form->Show();
  Application().SetHintPause(50);
  const auto pump = testing::PumpFor;
  // The cursor really is where the messages say: the window tracks its leaving.
  auto moveTo = [&](int x, int y) {
    POINT p{x, y};
    ClientToScreen(form->Handle(), &p);
    SetCursorPos(p.x, p.y);
    SendMessageW(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  };
  moveTo(20, 15);
  EXPECT_FALSE(Application().HintShowing());
  pump(700);
  EXPECT_TRUE(Application().HintShowing());
  EXPECT_EQ(Application().HintText(), "C:\\Sounds\\Ding.wav");
  moveTo(120, 15);  // a control without a hint
  EXPECT_FALSE(Application().HintShowing());
  pump(200);
  EXPECT_FALSE(Application().HintShowing());
  moveTo(20, 15);
  pump(700);
  EXPECT_TRUE(Application().HintShowing());
  SendMessageW(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 15));
  SendMessageW(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, 15));
  EXPECT_FALSE(Application().HintShowing());
  label->Free();  // a freed control leaves no hint behind
  EXPECT_EQ(Application().HintControl(), nullptr);
  form->Free();
  Application().SetHintPause(500);
}

}  // namespace
}  // namespace dorvane
