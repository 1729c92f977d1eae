#include "framework/Menus.h"

#include <algorithm>
#include <map>

#include "framework/ClassBuilder.h"
#include "framework/Forms.h"
#include "framework/UtilityWindow.h"
#include "core/win32/WideString.h"

namespace dorvane {
namespace {

std::map<UINT, TMenuItem*>& Commands() {
  static std::map<UINT, TMenuItem*> commands;
  return commands;
}

UINT NewCommand(TMenuItem* item) {
  static UINT next = 100;
  auto& map = Commands();
  // Identifiers live in the 16-bit command range of WM_COMMAND; reuse freed ones.
  for (int attempts = 0; attempts < 0xF000; ++attempts) {
    const UINT id = next;
    next = next >= 0xEFFF ? 100 : next + 1;
    if (!map.count(id)) {
      map[id] = item;
      return id;
    }
  }
  throw EInvalidOperation("out of menu command identifiers");
}

std::vector<TMenu*>& Menus() {
  static std::vector<TMenu*> menus;
  return menus;
}


const EnumType& PopupAlignmentType() {
  static const EnumType t{"TPopupAlignment", {"paLeft", "paRight", "paCenter"}};
  return t;
}

const EnumType& TrackButtonType() {
  static const EnumType t{"TTrackButton", {"tbRightButton", "tbLeftButton"}};
  return t;
}

std::string& SelectedHintText() {
  static std::string hint;
  return hint;
}

TMenu::HelpHandler& MenuHelpHandler() {
  static TMenu::HelpHandler handler;
  return handler;
}

// Menu item selection: the item's hint becomes the selected hint; a menu with a cursor of
// its own shows it while the mouse chooses.
void MenuSelect(WPARAM wp, LPARAM lp) {
  const UINT flags = HIWORD(wp);
  auto menuHandle = reinterpret_cast<HMENU>(lp);
  TMenu* owner = nullptr;
  TMenuItem* item = nullptr;
  if (!(flags == 0xFFFF && !menuHandle)) {  // not the menu closing
    for (TMenu* menu : Menus()) {
      item = (flags & MF_POPUP) ? menu->FindItemBySubmenu(GetSubMenu(menuHandle, LOWORD(wp)))
                                : menu->FindItem(LOWORD(wp));
      if (item) {
        owner = menu;
        break;
      }
    }
  }
  SelectedHintText() = item ? item->Hint() : std::string();
  if (owner && owner->MenuCursor() != crDefault)
    SetCursor(CursorHandle((flags & MF_MOUSESELECT) ? owner->MenuCursor() : crDefault));
}

void MenuHelp(const HELPINFO& info) {
  if (info.iContextType != HELPINFO_MENUITEM) return;
  for (TMenu* menu : Menus()) {
    if (TMenuItem* item = menu->FindItem(static_cast<UINT>(info.iCtrlId))) {
      HWND active = GetActiveWindow();
      const bool popup = active && (GetWindowLongW(active, GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
      if (auto& handler = MenuHelpHandler()) handler(item->HelpContext(), popup);
      return;
    }
  }
}

std::optional<LRESULT> PopupListMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITMENUPOPUP:
      for (TMenu* menu : Menus())
        if (TMenuItem* item = menu->FindItemBySubmenu(reinterpret_cast<HMENU>(wp))) {
          Fire(item->OnClick, item);
          return 0;
        }
      return std::nullopt;
    case WM_MENUSELECT:
      MenuSelect(wp, lp);
      return 0;
    case WM_MENUCHAR: {
      auto menuHandle = reinterpret_cast<HMENU>(lp);
      for (TMenu* menu : Menus())
        if (TMenuItem* parent = menu->FindItemByHandle(menuHandle))
          return menu->ProcessMenuChar(parent, menuHandle, static_cast<wchar_t>(LOWORD(wp)));
      return std::nullopt;
    }
    case WM_HELP:
      MenuHelp(*reinterpret_cast<const HELPINFO*>(lp));
      return TRUE;
    case WM_COMMAND: {
      const UINT command = LOWORD(wp);
      for (TMenu* menu : Menus())
        if (menu->DispatchCommand(command)) return 0;
      return std::nullopt;
    }
    case WM_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      if (mis->CtlType != ODT_MENU) return std::nullopt;
      for (TMenu* menu : Menus())
        if (TMenuItem* item = menu->FindItem(mis->itemID))
          if (menu->MeasureItem(item, *mis)) return TRUE;
      return std::nullopt;
    }
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      if (dis->CtlType != ODT_MENU) return std::nullopt;
      for (TMenu* menu : Menus())
        if (TMenuItem* item = menu->FindItem(dis->itemID))
          if (menu->DrawItem(item, *dis)) return TRUE;
      return std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

std::shared_ptr<TUtilityWindow>& PopupList() {
  static std::shared_ptr<TUtilityWindow> window;
  return window;
}

}  // namespace

// -- TMenuItem ----------------------------------------------------------------------

const ClassInfo& TMenuItem::StaticClass() {
  static const ClassInfo info =
      ClassBuilder<TMenuItem>("TMenuItem", &TComponent::StaticClass())
          .Str("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption)
          .Bool("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked, false)
          .Bool("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled, true)
          .Bool("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible, true)
          .Bool("Default", &TMenuItem::Default, &TMenuItem::SetDefault, false)
          .Bool("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem, false)
          .Bool("AutoCheck", &TMenuItem::AutoCheck, &TMenuItem::SetAutoCheck, false)
          .Int("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex, 0)
          .Str("Hint", &TMenuItem::Hint, &TMenuItem::SetHint)
          .Int("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut, 0)
          .Int("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex, -1)
          .Int("HelpContext", &TMenuItem::HelpContext, &TMenuItem::SetHelpContext, 0)
          .Object("Bitmap", [](const TMenuItem& m) -> TObject* { return const_cast<TBitmap*>(&m.Bitmap()); }, TBitmap::StaticClass())
          .Int("Tag", &TMenuItem::Tag, &TMenuItem::SetTag, 0)
          .Event("OnClick", &TMenuItem::OnClick)
          .Build();
  return info;
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(NewCommand(this)) {}

TMenuItem::~TMenuItem() {
  Clear();
  if (parent_) parent_->Remove(this);
  Commands().erase(command_);
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item) return;
  if (item->parent_) throw EInvalidOperation("Menu inserted twice");
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* item) {
  const auto it = std::find(items_.begin(), items_.end(), item);
  if (it == items_.end()) return;
  items_.erase(it);
  item->parent_ = nullptr;
}

void TMenuItem::Clear() {
  while (!items_.empty()) {
    TMenuItem* last = items_.back();
    items_.pop_back();
    last->parent_ = nullptr;
    if (last->Owner()) last->Free();
    else delete last;
  }
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  const auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

TMenu* TMenuItem::GetMenu() const {
  const TMenuItem* i = this;
  while (i->parent_) i = i->parent_;
  return i->menu_;
}

TMenuItem* TMenuItem::FromCommand(UINT command) {
  const auto it = Commands().find(command);
  return it == Commands().end() ? nullptr : it->second;
}

void TMenuItem::Click() {
  if (!enabled_) return;
  if (autoCheck_) checked_ = !checked_;
  Fire(OnClick, this);
}

void TMenuItem::SetParentComponent(TComponent* parent) {
  if (auto* menu = dynamic_cast<TMenu*>(parent)) menu->Items()->Add(this);
  else if (auto* item = dynamic_cast<TMenuItem*>(parent)) item->Add(this);
}

TComponent* TMenuItem::GetParentComponent() const {
  if (parent_ && parent_->menu_) return parent_->menu_;
  return parent_;
}

// -- TMenu --------------------------------------------------------------------------

const ClassInfo& TMenu::StaticClass() {
  static const ClassInfo info = ClassBuilder<TMenu>("TMenu", &TComponent::StaticClass())
                                    .Ref("Images", &TMenu::Images, &TMenu::SetImages, &TImageList::StaticClass)
                                    .Build();
  return info;
}

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(nullptr)) {
  items_->menu_ = this;
  Menus().push_back(this);
}

TMenu::~TMenu() {
  auto& menus = Menus();
  menus.erase(std::remove(menus.begin(), menus.end(), this), menus.end());
  // Sub-items are owned by the form; detach them so they do not point at a freed root.
  while (items_->Count() > 0) items_->Remove(items_->Items(items_->Count() - 1));
  delete items_;
}

void TMenu::SetImages(TImageList* images) {
  if (images_) images_->RemoveFreeNotification(this);
  images_ = images;
  if (images) images->FreeNotification(this);
}

void TMenu::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == images_) images_ = nullptr;
}

UniqueHmenu TMenu::BuildMenu() {
  UniqueHmenu menu(CreatePopupMenu());
  if (!menu) RaiseLastOSError("creating a menu");
  BuildInto(menu.get(), items_);
  return menu;
}

void TMenu::BuildInto(HMENU menu, TMenuItem* parent) {
  parent->submenu_ = menu;
  const bool ownerDraw = OwnerDraw();
  for (TMenuItem* item : parent->items_) {
    if (!item->Visible()) continue;
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    std::wstring text = Widen(item->Caption());
    if (item->IsLine()) {
      mii.fMask = MIIM_FTYPE | MIIM_ID;
      mii.fType = MFT_SEPARATOR | (ownerDraw ? MFT_OWNERDRAW : 0);
      mii.wID = item->Command();
    } else {
      mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_DATA;
      mii.fType = (ownerDraw ? MFT_OWNERDRAW : MFT_STRING) | (item->RadioItem() ? MFT_RADIOCHECK : 0);
      mii.wID = item->Command();
      mii.fState = (item->Checked() ? MFS_CHECKED : 0) | (item->Enabled() ? 0 : MFS_DISABLED) |
                   (item->Default() ? MFS_DEFAULT : 0);
      mii.dwTypeData = text.data();
      mii.dwItemData = reinterpret_cast<ULONG_PTR>(item);
      if (item->Count() > 0) {
        HMENU sub = CreatePopupMenu();
        BuildInto(sub, item);
        mii.fMask |= MIIM_SUBMENU;
        mii.hSubMenu = sub;
      }
    }
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &mii);
  }
}

bool TMenu::DispatchCommand(UINT command) {
  TMenuItem* item = FindItem(command);
  if (!item) return false;
  item->Click();
  return true;
}

TMenuItem* TMenu::FindItem(UINT command) const {
  TMenuItem* item = TMenuItem::FromCommand(command);
  return item && item->GetMenu() == this ? item : nullptr;
}

TMenuItem* TMenu::FindItemBySubmenu(HMENU submenu) const {
  std::vector<TMenuItem*> stack{items_};
  while (!stack.empty()) {
    TMenuItem* i = stack.back();
    stack.pop_back();
    if (i != items_ && i->submenu_ == submenu) return i;
    for (TMenuItem* c : i->items_) stack.push_back(c);
  }
  return nullptr;
}

TMenuItem* TMenu::FindItemByHandle(HMENU menu) const {
  if (!menu) return nullptr;
  if (items_->submenu_ == menu) return items_;
  return FindItemBySubmenu(menu);
}

LRESULT TMenu::ProcessMenuChar(TMenuItem* parent, HMENU menu, wchar_t ch) {
  // Positions in the system menu count the visible items only, as it was built.
  std::vector<int> matches;
  int position = 0;
  for (TMenuItem* item : parent->items_) {
    if (!item->Visible()) continue;
    if (item->Enabled() && IsAccel(ch, item->Caption())) matches.push_back(position);
    ++position;
  }
  if (matches.empty()) return MAKELRESULT(0, MNC_IGNORE);
  if (matches.size() == 1) return MAKELRESULT(matches.front(), MNC_EXECUTE);
  // Several items share the character: select the next one after the highlighted item.
  int current = -1;
  for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i)
    if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) current = i;
  for (int m : matches)
    if (m > current) return MAKELRESULT(m, MNC_SELECT);
  return MAKELRESULT(matches.front(), MNC_SELECT);
}

const std::string& TMenu::SelectedHint() { return SelectedHintText(); }

void TMenu::SetHelpHandler(HelpHandler handler) { MenuHelpHandler() = std::move(handler); }

HWND TMenu::PopupListWindow() {
  auto& window = PopupList();
  if (!window) window = std::make_shared<TUtilityWindow>(&PopupListMessage);
  return window->Handle();
}

// -- TPopupMenu -------------------------------------------------------------------------

const ClassInfo& TPopupMenu::StaticClass() {
  static const ClassInfo info =
      ClassBuilder<TPopupMenu>("TPopupMenu", &TMenu::StaticClass())
          .Bool("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup, true)
          .Enum("Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment, PopupAlignmentType(), paLeft)
          .Enum("TrackButton", &TPopupMenu::TrackButton, &TPopupMenu::SetTrackButton, TrackButtonType(), tbRightButton)
          .Event("OnPopup", &TPopupMenu::OnPopup)
          .Build();
  return info;
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}

TPopupMenu::~TPopupMenu() = default;

UINT TPopupMenu::TrackFlags() const {
  UINT flags = 0;
  switch (alignment_) {
    case paLeft: flags |= TPM_LEFTALIGN; break;
    case paRight: flags |= TPM_RIGHTALIGN; break;
    case paCenter: flags |= TPM_CENTERALIGN; break;
  }
  if (trackButton_ == tbRightButton) flags |= TPM_RIGHTBUTTON;
  return flags;
}

void TPopupMenu::Popup(int x, int y) {
  popupPoint_ = {x, y};
  Fire(OnPopup, this);
  UniqueHmenu menu = BuildMenu();
  Application().Desktop().TrackPopupMenu(*this, menu.get(), x, y, TrackFlags());
}

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
  TMenu::Notification(component, operation);
  if (operation == TOperation::opRemove && component == popupComponent_) popupComponent_ = nullptr;
}

}  // namespace dorvane
