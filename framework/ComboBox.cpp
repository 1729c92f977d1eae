#include "framework/ComboBox.h"

#include <algorithm>
#include <cstdlib>

#include "framework/ClassBuilder.h"
#include "winapi/Handles.h"
#include "framework/SysUtils.h"
#include "core/win32/WideString.h"

namespace dorvane {

namespace {

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return lstrcmpiW(Widen(a).c_str(), Widen(b).c_str()) < 0;
}

std::string WindowText(HWND wnd) {
  const int length = GetWindowTextLengthW(wnd);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(wnd, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return Narrow(text);
}

}  // namespace

const EnumType& ComboBoxStyleType() {
  static const EnumType t{"TComboBoxStyle", {"csDropDown", "csSimple", "csDropDownList"}};
  return t;
}

// -- TComboBoxStrings -----------------------------------------------------------------

void TComboBoxStrings::CheckIndex(int index, bool insert) const {
  const int limit = insert ? Count() : Count() - 1;
  if (index < 0 || index > limit) throw EInvalidOperation("List index out of bounds (" + std::to_string(index) + ")");
}

std::string TComboBoxStrings::Get(int index) const {
  CheckIndex(index, false);
  return items_[static_cast<std::size_t>(index)];
}

void TComboBoxStrings::Put(int index, const std::string& text) {
  CheckIndex(index, false);
  if (items_[static_cast<std::size_t>(index)] == text) return;
  if (combo_.sorted_) {  // the new text may belong elsewhere
    const bool selected = combo_.ItemIndex() == index;
    Delete(index);
    Insert(0, text);
    if (selected) combo_.SetItemIndex(IndexOf(text));
    return;
  }
  items_[static_cast<std::size_t>(index)] = text;
  if (combo_.HandleAllocated()) {
    HWND wnd = combo_.Handle();
    const bool selected = combo_.ItemIndex() == index;
    SendMessageW(wnd, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
    SendMessageW(wnd, CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(Widen(text).c_str()));
    if (selected) SendMessageW(wnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
  Changed();
}

void TComboBoxStrings::Insert(int index, const std::string& text) {
  CheckIndex(index, true);
  if (combo_.sorted_)
    index = static_cast<int>(std::upper_bound(items_.begin(), items_.end(), text, LessIgnoringCase) - items_.begin());
  items_.insert(items_.begin() + index, text);
  combo_.ItemInserted(index);
  Changed();
}

void TComboBoxStrings::Delete(int index) {
  CheckIndex(index, false);
  items_.erase(items_.begin() + index);
  combo_.ItemDeleted(index);
  Changed();
}

void TComboBoxStrings::Clear() {
  items_.clear();
  combo_.ItemsCleared();
  Changed();
}

// -- TComboBox ------------------------------------------------------------------------

const ClassInfo& TComboBox::StaticClass() {
  static const ClassInfo info =
      ClassBuilder<TComboBox>("TComboBox", &TWinControl::StaticClass())
          .Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, true)
          .Enum("Style", &TComboBox::Style, &TComboBox::SetStyle, ComboBoxStyleType(), csDropDownList)
          .Bool("Sorted", &TComboBox::Sorted, &TComboBox::SetSorted, false)
          .Int("DropDownCount", &TComboBox::DropDownCount, &TComboBox::SetDropDownCount, 8)
          .Object("Items", [](const TComboBox& c) -> TObject* { return const_cast<TStrings*>(&c.Items()); },
                  TStrings::StaticClass())
          .Int("ItemIndex", &TComboBox::ItemIndex, &TComboBox::SetItemIndex, -1)
          .Str("Text", &TComboBox::Text, &TComboBox::SetText)
          .Event("OnChange", &TComboBox::OnChange)
          .Build();
  return info;
}

TComboBox::TComboBox(TComponent* owner)
    : TWinControl(owner), items_(std::make_unique<TComboBoxStrings>(*this)) {
  SetColor(clWindow);
  SetTabStop(true);
}

TComboBox::~TComboBox() = default;

void TComboBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.className = L"COMBOBOX";
  p.caption.clear();
  p.style |= WS_VSCROLL | WS_TABSTOP;
  switch (style_) {
    case csDropDown: p.style |= CBS_DROPDOWN | CBS_AUTOHSCROLL; break;
    case csSimple: p.style |= CBS_SIMPLE | CBS_AUTOHSCROLL; break;
    // Drawn by us, so that a text that is no item can be shown.
    case csDropDownList: p.style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS; break;
  }
  // The window's height includes its dropped-down list.
  if (style_ != csSimple) p.height = Height() + dropDownCount_ * (std::abs(Font().Height()) + 4);
}

void TComboBox::HandleCreated() {
  HWND wnd = Handle();
  for (const std::string& item : items_->items_)
    SendMessageW(wnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
  SetItemHeights();
  SendMessageW(wnd, CB_SETMINVISIBLE, static_cast<WPARAM>(dropDownCount_), 0);
  if (itemIndex_ >= items_->Count()) itemIndex_ = -1;
  SendMessageW(wnd, CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
  ShowText();
}

void TComboBox::HandleDestroying() {
  HWND wnd = Handle();
  itemIndex_ = static_cast<int>(SendMessageW(wnd, CB_GETCURSEL, 0, 0));
  if (!OwnerDrawn()) text_ = WindowText(wnd);
}

void TComboBox::SetItemHeights() {
  if (!HandleAllocated() || !OwnerDrawn()) return;
  UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  const auto font = SelectInto(dc.get(), Font().Handle());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc.get(), &tm);
  SendMessageW(Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), tm.tmHeight + 2);
  SendMessageW(Handle(), CB_SETITEMHEIGHT, 0, tm.tmHeight);
}

void TComboBox::FontChanged() {
  TWinControl::FontChanged();
  SetItemHeights();
}

void TComboBox::SetStyle(TComboBoxStyle style) {
  if (style == style_) return;
  // The window goes while it still has the old style, which tells how to read it.
  const bool hadWindow = HandleAllocated();
  if (hadWindow) DestroyHandle();
  style_ = style;
  if (hadWindow) CreateWnd();
}

void TComboBox::SetDropDownCount(int count) {
  if (count < 1) count = 1;
  dropDownCount_ = count;
  if (HandleAllocated()) SendMessageW(Handle(), CB_SETMINVISIBLE, static_cast<WPARAM>(count), 0);
}

void TComboBox::SetSorted(bool value) {
  if (value == sorted_) return;
  sorted_ = value;
  if (!value) return;
  const std::string selected = ItemIndex() >= 0 ? items_->Get(ItemIndex()) : std::string();
  const bool hadSelection = ItemIndex() >= 0;
  std::vector<std::string> items = items_->items_;
  std::stable_sort(items.begin(), items.end(), LessIgnoringCase);
  items_->BeginUpdate();
  items_->items_.clear();
  itemIndex_ = -1;
  if (HandleAllocated()) SendMessageW(Handle(), CB_RESETCONTENT, 0, 0);
  for (const std::string& item : items) items_->Insert(items_->Count(), item);
  items_->EndUpdate();
  if (hadSelection) SetItemIndex(items_->IndexOf(selected));
}

int TComboBox::ItemIndex() const {
  if (HandleAllocated() && !IsLoading())
    return static_cast<int>(SendMessageW(const_cast<TComboBox*>(this)->Handle(), CB_GETCURSEL, 0, 0));
  return itemIndex_;
}

void TComboBox::SetItemIndex(int index) {
  if (IsLoading()) {  // the items may come later; Loaded settles the index
    itemIndex_ = index;
    if (index >= 0) text_.clear();
    return;
  }
  if (index < -1 || index >= items_->Count()) index = -1;
  if (index == ItemIndex()) return;
  itemIndex_ = index;
  text_.clear();
  if (HandleAllocated()) SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  ShowText();
}

std::string TComboBox::Text() const {
  if (!OwnerDrawn()) {
    if (HandleAllocated()) return WindowText(const_cast<TComboBox*>(this)->Handle());
    return text_;
  }
  const int index = ItemIndex();
  return index >= 0 && index < items_->Count() ? items_->Get(index) : text_;
}

void TComboBox::SetText(const std::string& text) {
  const int match = items_->IndexOf(text);
  if (OwnerDrawn()) {
    if (match >= 0) {
      SetItemIndex(match);
      text_.clear();
    } else {
      SetItemIndex(-1);
      text_ = text;
      ShowText();
    }
    return;
  }
  itemIndex_ = match;
  text_ = text;
  if (HandleAllocated() && !IsLoading()) {
    SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(match), 0);
    SetWindowTextW(Handle(), Widen(text).c_str());
  }
}

void TComboBox::ShowText() {
  if (!HandleAllocated()) return;
  if (OwnerDrawn()) {
    InvalidateRect(Handle(), nullptr, TRUE);
  } else if (ItemIndex() < 0) {
    SetWindowTextW(Handle(), Widen(text_).c_str());
  }
}

void TComboBox::Clear() {
  items_->Clear();
  text_.clear();
  ShowText();
}

// Items, ItemIndex and Text may come in any order in a description.
void TComboBox::Loaded() {
  TWinControl::Loaded();
  int index = itemIndex_;
  if (index < -1 || index >= items_->Count()) index = -1;
  if (index == -1 && !text_.empty()) index = items_->IndexOf(text_);
  itemIndex_ = index;
  if (index >= 0) text_.clear();
  if (HandleAllocated()) {
    SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ShowText();
  }
}

// While loading, the index and text set so far wait for Loaded, untouched by the items.
void TComboBox::ItemInserted(int index) {
  const bool loading = IsLoading();
  if (!loading) {
    itemIndex_ = ItemIndex();
    if (itemIndex_ >= index) ++itemIndex_;
  }
  if (!HandleAllocated()) return;
  HWND wnd = Handle();
  SendMessageW(wnd, CB_INSERTSTRING, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(Widen(items_->items_[static_cast<std::size_t>(index)]).c_str()));
  if (!loading) SendMessageW(wnd, CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

void TComboBox::ItemDeleted(int index) {
  const bool loading = IsLoading();
  if (!loading) {
    itemIndex_ = ItemIndex();
    if (itemIndex_ == index) itemIndex_ = -1;
    else if (itemIndex_ > index) --itemIndex_;
  }
  if (!HandleAllocated()) return;
  HWND wnd = Handle();
  SendMessageW(wnd, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
  if (!loading) SendMessageW(wnd, CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
  ShowText();
}

void TComboBox::ItemsCleared() {
  if (!IsLoading()) {
    itemIndex_ = -1;
    text_.clear();
  }
  if (!HandleAllocated()) return;
  SendMessageW(Handle(), CB_RESETCONTENT, 0, 0);
  ShowText();
}

void TComboBox::DrawItem(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  if (item.itemAction == ODA_FOCUS) {
    DrawFocusRect(dc, &r);
    return;
  }
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0 || !Enabled();
  const COLORREF back = selected && !disabled ? GetSysColor(COLOR_HIGHLIGHT) : ColorToRGB(Color());
  const COLORREF fore = disabled ? GetSysColor(COLOR_GRAYTEXT)
                        : selected ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                   : ColorToRGB(Font().Color());
  std::string text;
  if (item.itemID != static_cast<UINT>(-1) && static_cast<int>(item.itemID) < items_->Count())
    text = items_->items_[item.itemID];
  else if (item.itemState & ODS_COMBOBOXEDIT)
    text = text_;  // the text shown without a selection
  UniqueHbrush brush(CreateSolidBrush(back));
  FillRect(dc, &r, brush.get());
  const auto font = SelectInto(dc, Font().Handle());
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColor = SetTextColor(dc, fore);
  RECT tr = r;
  tr.left += 2;
  const std::wstring w = Widen(text);
  DrawTextW(dc, w.data(), static_cast<int>(w.size()), &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) DrawFocusRect(dc, &r);
}

bool TComboBox::Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_COMMAND) {
    switch (HIWORD(wp)) {
      case CBN_SELCHANGE:
        itemIndex_ = static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0));
        text_.clear();
        result = 0;
        Fire(OnChange, this);
        return true;
      case CBN_EDITCHANGE:
        if (OwnerDrawn()) return false;
        text_ = WindowText(Handle());
        result = 0;
        Fire(OnChange, this);
        return true;
      default:
        return false;
    }
  }
  if (msg == WM_DRAWITEM && OwnerDrawn()) {
    DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
    result = TRUE;
    return true;
  }
  return TWinControl::Reflected(msg, wp, lp, result);
}

}  // namespace dorvane
