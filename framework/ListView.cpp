#include "framework/ListView.h"
#include "core/DisplayScale.h"

#include <algorithm>

#include "framework/ClassBuilder.h"
#include "framework/SysUtils.h"
#include "core/win32/WideString.h"

namespace dorvane {

namespace {

void CheckIndex(int index, int count) {
  if (index < 0 || index >= count) throw EInvalidOperation("List index out of bounds (" + std::to_string(index) + ")");
}

int ColumnFormat(TAlignment alignment) {
  switch (alignment) {
    case taRightJustify: return LVCFMT_RIGHT;
    case taCenter: return LVCFMT_CENTER;
    default: return LVCFMT_LEFT;
  }
}

// State image 1 is the empty box, 2 the ticked one.
UINT CheckStateImage(bool checked) { return INDEXTOSTATEIMAGEMASK(checked ? 2 : 1); }
bool IsCheckedState(UINT state) { return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2; }

constexpr DWORD kExtendedMask =
    LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_FLATSB | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER;
constexpr DWORD kStyleMask = LVS_TYPEMASK | LVS_SHOWSELALWAYS | LVS_EDITLABELS | LVS_SINGLESEL;

}  // namespace

const EnumType& ViewStyleType() {
  static const EnumType t{"TViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"}};
  return t;
}

// -- TListColumn ------------------------------------------------------------------------

const ClassInfo& TListColumn::StaticClass() {
  static const ClassInfo info =
      ClassBuilder<TListColumn>("TListColumn", &TCollectionItem::StaticClass())
          .Enum("Alignment", &TListColumn::Alignment, &TListColumn::SetAlignment, AlignmentType(), taLeftJustify)
          .Bool("AutoSize", &TListColumn::AutoSize, &TListColumn::SetAutoSize, false)
          .Str("Caption", &TListColumn::Caption, &TListColumn::SetCaption)
          .Int("MaxWidth", &TListColumn::MaxWidth, &TListColumn::SetMaxWidth, 0)
          .Int("MinWidth", &TListColumn::MinWidth, &TListColumn::SetMinWidth, 0)
          .Int("Width", &TListColumn::Width, &TListColumn::SetWidth, 50)
          .Build();
  return info;
}

TListColumn::TListColumn(TCollection* collection) : TCollectionItem(collection) {}

TListView* TListColumn::ListView() const {
  auto* columns = dynamic_cast<TListColumns*>(Collection());
  return columns ? &columns->Owner() : nullptr;
}

int TListColumn::Clamp(int width) const {
  if (minWidth_ > 0 && width < minWidth_) width = minWidth_;
  if (maxWidth_ > 0 && width > maxWidth_) width = maxWidth_;
  return width;
}

void TListColumn::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  Changed();
}

int TListColumn::Width() const {
  TListView* view = ListView();
  const int index = Index();
  if (view && view->HandleAllocated() && index >= 0 && index < view->WindowColumns())
    return static_cast<int>(SendMessageW(view->Handle(), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(index), 0));
  return width_;
}

// Always passed on: the user may have dragged the column to another width.
void TListColumn::SetWidth(int width) {
  width_ = Clamp(std::max(width, 0));
  Changed();
}

void TListColumn::SetMinWidth(int width) {
  if (width == minWidth_) return;
  minWidth_ = std::max(width, 0);
  width_ = Clamp(width_);
  Changed();
}

void TListColumn::SetMaxWidth(int width) {
  if (width == maxWidth_) return;
  maxWidth_ = std::max(width, 0);
  width_ = Clamp(width_);
  Changed();
}

void TListColumn::SetAlignment(TAlignment alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  Changed();
}

void TListColumn::SetAutoSize(bool value) {
  if (value == autoSize_) return;
  autoSize_ = value;
  Changed();
}

TListColumns::TListColumns(TListView& owner)
    : TCollection(TListColumn::StaticClass(),
                  [](TCollection* c) -> std::unique_ptr<TCollectionItem> { return std::make_unique<TListColumn>(c); }),
      owner_(owner) {}

// -- TListSubItems ----------------------------------------------------------------------

// -- TListItem --------------------------------------------------------------------------

const ClassInfo& TListItem::StaticClass() {
  static const ClassInfo info = ClassBuilder<TListItem>("TListItem", &TPersistent::StaticClass()).Build();
  return info;
}

TListItem::TListItem(TListItems& owner) : owner_(owner), subItems_(std::make_unique<TListSubItems>()) {
  // Runs after every change of the texts, or once at the end of a BeginUpdate/EndUpdate
  // batch (so Clear followed by Add of the same texts changes nothing in the window).
  subItems_->OnChange = [this](TObject*) { SyncSubItems(); };
}

TListItem::~TListItem() { subItems_->OnChange = nullptr; }

TListView& TListItem::ListView() const { return owner_.Owner(); }

int TListItem::Index() const { return owner_.IndexOf(this); }

void TListItem::Delete() { owner_.Delete(Index()); }

void TListItem::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  TListView& view = ListView();
  if (view.HandleAllocated()) view.SetItemText(Index(), 0, caption);
}

void TListItem::SyncSubItems() {
  TListView& view = ListView();
  if (!view.HandleAllocated()) return;
  const int index = Index();
  if (index < 0) return;
  const std::size_t columns = static_cast<std::size_t>(std::max(view.WindowColumns() - 1, 0));
  shown_.resize(columns);
  for (std::size_t k = 0; k < columns; ++k) {
    const int sub = static_cast<int>(k);
    const std::string wanted = sub < subItems_->Count() ? subItems_->Get(sub) : std::string();
    if (shown_[k] == wanted) continue;
    view.SetItemText(index, sub + 1, wanted);
    shown_[k] = wanted;
  }
}

void TListItem::SetChecked(bool value) {
  if (value == checked_) return;
  checked_ = value;  // first: the window's notification then finds nothing new
  TListView& view = ListView();
  if (view.HandleAllocated() && view.Checkboxes()) view.SetItemState(Index(), CheckStateImage(value), LVIS_STATEIMAGEMASK);
}

void TListItem::SetImageIndex(int index) {
  if (index == imageIndex_) return;
  imageIndex_ = index;
  TListView& view = ListView();
  if (!view.HandleAllocated()) return;
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = Index();
  item.iImage = index;
  SendMessageW(view.Handle(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void TListItem::SetSelected(bool value) {
  if (value == selected_) return;
  TListView& view = ListView();
  // Only the window reports a selection: a list whose window waits for its view to open
  // (its panel, or a panel around that, still without room) gets it now, with the windows
  // of the panels it sits in, so a row the program selects raises OnSelectItem all the same.
  bool windowAbove = false;
  for (const TWinControl* p = view.Parent(); p && !windowAbove; p = p->Parent()) windowAbove = p->HandleAllocated();
  if (!view.HandleAllocated() && windowAbove) view.HandleNeeded();
  if (view.HandleAllocated()) {
    // The window reports the change (raising OnSelectItem), deselecting others itself.
    view.SetItemState(Index(), value ? LVIS_SELECTED : 0, LVIS_SELECTED);
  } else if (value && !view.MultiSelect()) {
    for (const auto& other : owner_.items_) other->selected_ = false;
  }
  selected_ = value;
}

// -- TListItems -------------------------------------------------------------------------

const ClassInfo& TListItems::StaticClass() {
  static const ClassInfo info = ClassBuilder<TListItems>("TListItems", &TPersistent::StaticClass()).Build();
  return info;
}

TListItems::TListItems(TListView& owner) : owner_(owner) {}

TListItems::~TListItems() = default;

TListItem* TListItems::Add() { return Insert(Count()); }

TListItem* TListItems::Insert(int index) {
  CheckIndex(index, Count() + 1);
  items_.insert(items_.begin() + index, std::make_unique<TListItem>(*this));
  if (owner_.HandleAllocated()) owner_.InsertWindowItem(index);
  return items_[static_cast<std::size_t>(index)].get();
}

void TListItems::Delete(int index) {
  CheckIndex(index, Count());
  if (owner_.HandleAllocated()) {
    ++owner_.quiet_;
    SendMessageW(owner_.Handle(), LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
    --owner_.quiet_;
  }
  items_.erase(items_.begin() + index);
}

void TListItems::Clear() {
  if (owner_.HandleAllocated()) {
    ++owner_.quiet_;
    SendMessageW(owner_.Handle(), LVM_DELETEALLITEMS, 0, 0);
    --owner_.quiet_;
  }
  items_.clear();
}

TListItem* TListItems::Item(int index) const {
  CheckIndex(index, Count());
  return items_[static_cast<std::size_t>(index)].get();
}

int TListItems::IndexOf(const TListItem* item) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == item) return static_cast<int>(i);
  return -1;
}

// -- TListView --------------------------------------------------------------------------

const ClassInfo& TListView::StaticClass() {
  static const ClassInfo info =
      ClassBuilder<TListView>("TListView", &TWinControl::StaticClass())
          .Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, true)
          .Enum("ViewStyle", &TListView::ViewStyle, &TListView::SetViewStyle, ViewStyleType(), vsIcon)
          .Object("Columns", [](const TListView& v) -> TObject* { return const_cast<TListColumns*>(&v.Columns()); },
                  TCollection::StaticClass())
          .Bool("Checkboxes", &TListView::Checkboxes, &TListView::SetCheckboxes, false)
          .Bool("RowSelect", &TListView::RowSelect, &TListView::SetRowSelect, false)
          .Bool("ReadOnly", &TListView::ReadOnly, &TListView::SetReadOnly, false)
          .Bool("FlatScrollBars", &TListView::FlatScrollBars, &TListView::SetFlatScrollBars, false)
          .Bool("HideSelection", &TListView::HideSelection, &TListView::SetHideSelection, true)
          .Bool("GridLines", &TListView::GridLines, &TListView::SetGridLines, false)
          .Bool("MultiSelect", &TListView::MultiSelect, &TListView::SetMultiSelect, false)
          .Ref("SmallImages", &TListView::SmallImages, &TListView::SetSmallImages, &TImageList::StaticClass)
          .Event("OnSelectItem", &TListView::OnSelectItem)
          .Event("OnChange", &TListView::OnChange)
          .Event("OnItemChecked", &TListView::OnItemChecked)
          .Build();
  return info;
}

TListView::TListView(TComponent* owner)
    : TWinControl(owner), columns_(std::make_unique<TListColumns>(*this)), items_(std::make_unique<TListItems>(*this)) {
  columns_->OnUpdate = [this](TCollectionItem* column) { ColumnsChanged(column); };
  SetColor(clWindow);
  SetTabStop(true);
}

TListView::~TListView() {
  columns_->OnUpdate = nullptr;
  if (smallImages_) smallImages_->RemoveFreeNotification(this);
}

DWORD TListView::ListStyle() const {
  static constexpr DWORD kViews[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  DWORD style = kViews[viewStyle_];
  if (!hideSelection_) style |= LVS_SHOWSELALWAYS;
  if (!readOnly_) style |= LVS_EDITLABELS;
  if (!multiSelect_) style |= LVS_SINGLESEL;
  return style;
}

DWORD TListView::ExtendedStyle() const {
  DWORD style = 0;
  if (checkboxes_) style |= LVS_EX_CHECKBOXES;
  if (rowSelect_) style |= LVS_EX_FULLROWSELECT;
  if (flatScrollBars_) style |= LVS_EX_FLATSB;
  if (gridLines_) style |= LVS_EX_GRIDLINES;
  if (DoubleBuffered()) style |= LVS_EX_DOUBLEBUFFER;
  return style;
}

void TListView::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.className = WC_LISTVIEWW;
  p.caption.clear();
  p.style |= WS_TABSTOP | LVS_SHAREIMAGELISTS | ListStyle();  // the image list belongs to its component
  p.exStyle |= WS_EX_CLIENTEDGE;
}

void TListView::HandleCreated() {
  HWND wnd = Handle();
  ++quiet_;
  SendMessageW(wnd, LVM_SETEXTENDEDLISTVIEWSTYLE, kExtendedMask, ExtendedStyle());
  if (smallImages_)
    SendMessageW(wnd, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(smallImages_->Handle()));
  UpdateColors();
  windowColumns_ = 0;
  for (int i = 0; i < items_->Count(); ++i) InsertWindowItem(i);
  --quiet_;
  SyncColumns();  // also gives the rows their sub-item texts
  AutoSizeColumns();
}

void TListView::HandleDestroying() {
  windowColumns_ = 0;
  for (const auto& item : items_->items_) item->shown_.clear();
}

void TListView::UpdateStyle() {
  if (!HandleAllocated()) return;
  HWND wnd = Handle();
  const LONG_PTR old = GetWindowLongPtrW(wnd, GWL_STYLE);
  SetWindowLongPtrW(wnd, GWL_STYLE, (old & ~static_cast<LONG_PTR>(kStyleMask)) | ListStyle());
  InvalidateRect(wnd, nullptr, TRUE);
}

void TListView::SetDoubleBuffered(bool value) {
  TWinControl::SetDoubleBuffered(value);
  UpdateExtendedStyle();
}

void TListView::UpdateExtendedStyle() {
  if (!HandleAllocated()) return;
  ++quiet_;  // showing check boxes gives every row a state image: not the user's doing
  SendMessageW(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, kExtendedMask, ExtendedStyle());
  if (checkboxes_)
    for (int i = 0; i < items_->Count(); ++i)
      SetItemState(i, CheckStateImage(items_->Item(i)->checked_), LVIS_STATEIMAGEMASK);
  --quiet_;
}

void TListView::UpdateColors() {
  if (!HandleAllocated()) return;
  HWND wnd = Handle();
  const COLORREF back = ColorToRGB(Color());
  SendMessageW(wnd, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(back));
  SendMessageW(wnd, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(back));
  SendMessageW(wnd, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Font().Color())));
}

void TListView::ColorChanged() {
  TWinControl::ColorChanged();
  UpdateColors();
}

void TListView::FontChanged() {
  TWinControl::FontChanged();
  UpdateColors();
}

void TListView::SetViewStyle(TViewStyle style) {
  if (style == viewStyle_) return;
  viewStyle_ = style;
  UpdateStyle();
  AutoSizeColumns();
}

void TListView::SetCheckboxes(bool value) {
  if (value == checkboxes_) return;
  checkboxes_ = value;
  UpdateExtendedStyle();
}

void TListView::SetRowSelect(bool value) {
  if (value == rowSelect_) return;
  rowSelect_ = value;
  UpdateExtendedStyle();
}

void TListView::SetFlatScrollBars(bool value) {
  if (value == flatScrollBars_) return;
  flatScrollBars_ = value;
  UpdateExtendedStyle();
}

void TListView::SetGridLines(bool value) {
  if (value == gridLines_) return;
  gridLines_ = value;
  UpdateExtendedStyle();
}

void TListView::SetReadOnly(bool value) {
  if (value == readOnly_) return;
  readOnly_ = value;
  UpdateStyle();
}

void TListView::SetHideSelection(bool value) {
  if (value == hideSelection_) return;
  hideSelection_ = value;
  UpdateStyle();
}

void TListView::SetMultiSelect(bool value) {
  if (value == multiSelect_) return;
  multiSelect_ = value;
  UpdateStyle();
}

void TListView::SetSmallImages(TImageList* images) {
  if (images == smallImages_) return;
  if (smallImages_) smallImages_->RemoveFreeNotification(this);
  smallImages_ = images;
  if (images) images->FreeNotification(this);
  if (HandleAllocated())
    SendMessageW(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images ? images->Handle() : nullptr));
}

void TListView::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == TOperation::opRemove && component == smallImages_) {
    smallImages_ = nullptr;
    if (HandleAllocated()) SendMessageW(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL, 0);
  }
}

TListItem* TListView::Selected() const {
  for (const auto& item : items_->items_)
    if (item->selected_) return item.get();
  return nullptr;
}

// -- columns in the window --

void TListView::ColumnsChanged(TCollectionItem* column) {
  if (!HandleAllocated()) return;
  if (column) {
    const int index = column->Index();
    if (index >= 0 && index < windowColumns_) SetWindowColumn(index, false);
  } else {
    SyncColumns();
  }
  AutoSizeColumns();
}

void TListView::SetWindowColumn(int index, bool insert) {
  const TListColumn& column = *columns_->Items(index);
  std::wstring text = Widen(column.caption_);
  LVCOLUMNW c{};
  c.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  c.fmt = ColumnFormat(column.alignment_);
  c.cx = column.width_;
  c.pszText = text.data();
  c.iSubItem = index;
  SendMessageW(Handle(), insert ? LVM_INSERTCOLUMNW : LVM_SETCOLUMNW, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&c));
}

void TListView::SyncColumns() {
  HWND wnd = Handle();
  const int count = columns_->Count();
  while (windowColumns_ > count) SendMessageW(wnd, LVM_DELETECOLUMN, static_cast<WPARAM>(--windowColumns_), 0);
  for (int i = 0; i < windowColumns_; ++i) SetWindowColumn(i, false);
  for (; windowColumns_ < count; ++windowColumns_) SetWindowColumn(windowColumns_, true);
  for (const auto& item : items_->items_) item->SyncSubItems();
}

void TListView::AutoSizeColumns() {
  if (!HandleAllocated() || viewStyle_ != vsReport) return;
  HWND wnd = Handle();
  int autoCount = 0, fixed = 0;
  for (int i = 0; i < windowColumns_; ++i) {
    if (columns_->Items(i)->autoSize_) ++autoCount;
    else fixed += static_cast<int>(SendMessageW(wnd, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
  }
  if (autoCount == 0) return;
  RECT client;
  GetClientRect(wnd, &client);
  const int each = std::max(static_cast<int>(client.right - client.left) - fixed, 0) / autoCount;
  for (int i = 0; i < windowColumns_; ++i) {
    const TListColumn& column = *columns_->Items(i);
    if (column.autoSize_)
      SendMessageW(wnd, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), MAKELPARAM(column.Clamp(each), 0));
  }
}

// -- rows in the window --

void TListView::InsertWindowItem(int index) {
  TListItem& item = *items_->items_[static_cast<std::size_t>(index)];
  std::wstring text = Widen(item.caption_);
  LVITEMW lv{};
  lv.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
  lv.iItem = index;
  lv.pszText = text.data();
  lv.iImage = item.imageIndex_;
  lv.state = item.selected_ ? LVIS_SELECTED : 0;
  lv.stateMask = LVIS_SELECTED;
  if (checkboxes_) {
    lv.state |= CheckStateImage(item.checked_);
    lv.stateMask |= LVIS_STATEIMAGEMASK;
  }
  ++quiet_;
  SendMessageW(Handle(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lv));
  // A new row may start with an empty box whatever state it was given.
  if (checkboxes_ && item.checked_) SetItemState(index, CheckStateImage(true), LVIS_STATEIMAGEMASK);
  --quiet_;
  item.shown_.clear();
  item.SyncSubItems();
}

void TListView::SetItemText(int index, int column, const std::string& text) {
  std::wstring w = Widen(text);
  LVITEMW lv{};
  lv.iSubItem = column;
  lv.pszText = w.data();
  SendMessageW(Handle(), LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&lv));
}

void TListView::SetItemState(int index, UINT state, UINT mask) {
  LVITEMW lv{};
  lv.state = state;
  lv.stateMask = mask;
  SendMessageW(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&lv));
}

void TListView::ItemChanged(const NMLISTVIEW& change) {
  if (quiet_ || !(change.uChanged & LVIF_STATE)) return;
  auto apply = [this](TListItem* item, UINT oldState, UINT newState) {
    const UINT changed = oldState ^ newState;
    if (checkboxes_ && (changed & LVIS_STATEIMAGEMASK)) {
      const bool checked = IsCheckedState(newState);
      if (checked != item->checked_) {  // the program's own changes are already recorded
        item->checked_ = checked;
        Fire(OnItemChecked, this, item);
      }
    }
    if (changed & LVIS_SELECTED) {
      const bool selected = (newState & LVIS_SELECTED) != 0;
      item->selected_ = selected;
      Fire(OnSelectItem, this, item, selected);
    }
    Fire(OnChange, this, item, ctState);
  };
  if (change.iItem >= 0) {
    if (change.iItem < items_->Count()) apply(items_->Item(change.iItem), change.uOldState, change.uNewState);
    return;
  }
  // A change of every row at once: compare each row with what we knew.
  HWND wnd = Handle();
  for (int i = 0; i < items_->Count(); ++i) {
    TListItem* item = items_->Item(i);
    const UINT now = static_cast<UINT>(
        SendMessageW(wnd, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_SELECTED | LVIS_STATEIMAGEMASK));
    const UINT before = (item->selected_ ? LVIS_SELECTED : 0) |
                        (checkboxes_ ? CheckStateImage(item->checked_) : (now & LVIS_STATEIMAGEMASK));
    if (before != now) apply(item, before, now);
  }
}

bool TListView::WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_NOTIFY) {
    // The header asks before a column takes a new width: keep it within its limits.
    const auto* header = reinterpret_cast<const NMHEADERW*>(lp);
    if ((header->hdr.code == HDN_ITEMCHANGINGW || header->hdr.code == HDN_ITEMCHANGINGA) && header->pitem &&
        (header->pitem->mask & HDI_WIDTH) && header->iItem >= 0 && header->iItem < columns_->Count()) {
      const TListColumn& column = *columns_->Items(header->iItem);
      if (column.Clamp(header->pitem->cxy) != header->pitem->cxy) {
        result = TRUE;  // refused
        return true;
      }
    }
  }
  const bool handled = TWinControl::WndProc(msg, wp, lp, result);
  if (msg == WM_SIZE) AutoSizeColumns();
  return handled;
}

bool TListView::Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg != WM_NOTIFY) return TWinControl::Reflected(msg, wp, lp, result);
  const auto* header = reinterpret_cast<const NMHDR*>(lp);
  switch (header->code) {
    case NM_CLICK:
      result = 0;
      Click();
      return true;
    case LVN_ITEMCHANGED:
      result = 0;
      ItemChanged(*reinterpret_cast<const NMLISTVIEW*>(lp));
      return true;
    case LVN_BEGINLABELEDITW:
      result = readOnly_ ? TRUE : FALSE;
      return true;
    case LVN_ENDLABELEDITW: {
      const auto* info = reinterpret_cast<const NMLVDISPINFOW*>(lp);
      result = FALSE;
      if (readOnly_ || !info->item.pszText || info->item.iItem < 0 || info->item.iItem >= items_->Count()) return true;
      items_->Item(info->item.iItem)->caption_ = Narrow(info->item.pszText);
      result = TRUE;  // the window keeps the new text
      return true;
    }
    default:
      return false;
  }
}

// The columns' widths are figures of the design too (a column sized by the system keeps
// its code).
void TListView::ChangeScale(int fromDpi, int toDpi) {
  TWinControl::ChangeScale(fromDpi, toDpi);
  auto scaled = [&](int v) { return v > 0 ? RescaleForDpi(v, fromDpi, toDpi) : v; };
  for (int i = 0; i < columns_->Count(); ++i) {
    TListColumn& column = *columns_->Items(i);
    column.SetMaxWidth(scaled(column.MaxWidth()));
    column.SetMinWidth(scaled(column.MinWidth()));
    column.SetWidth(scaled(column.Width()));
  }
}

}  // namespace dorvane
