#include "components/NotifyTrayIcon.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "core/ScopeExit.h"
#include "core/Text.h"
#include "framework/ClassBuilder.h"
#include "framework/DisplayMetrics.h"
#include "framework/Forms.h"
#include "winapi/Handles.h"
#include "framework/Menus.h"
#include "framework/SysUtils.h"
#include "winapi/SystemLibrary.h"
#include "core/win32/WideString.h"

namespace dorvane {
namespace {

constexpr UINT kBaseFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
constexpr std::size_t kHintChars = 127;
constexpr unsigned kEnterExitInterval = 20;
// Common controls 4.71 and later announce the taskbar's re-creation.
constexpr DWORD kTaskbarCreatedVersion = 0x40047;

// Values read once per process, when the first tray icon is made.
struct ProcessValues {
  DWORD commonControlsVersion = 0;
  UINT taskbarCreated = 0;
  bool oldNt = false;  // Windows NT before 5.0
};

DWORD ReadCommonControlsVersion() {
  const auto getVersion = SystemFunctionAs<HRESULT CALLBACK(DLLVERSIONINFO*)>(L"comctl32.dll", "DllGetVersion");
  if (!getVersion) return 0;
  DLLVERSIONINFO info{};
  info.cbSize = sizeof info;
  if (FAILED(getVersion(&info))) return 0;
  return (info.dwMajorVersion << 16) + info.dwMinorVersion;
}

bool ReadOldNt() {
  const SystemVersion& system = TheSystemVersion();
  return system.known && system.platform == VER_PLATFORM_WIN32_NT && system.major < 5;
}

const ProcessValues& Process() {
  static const ProcessValues values = [] {
    ProcessValues v;
    v.commonControlsVersion = ReadCommonControlsVersion();
    if (v.commonControlsVersion >= kTaskbarCreatedVersion) v.taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    v.oldNt = ReadOldNt();
    return v;
  }();
  return values;
}

BOOL CallShell(DWORD message, const NOTIFYICONDATAW& data) { return Application().Desktop().NotifyIcon(message, data); }

UINT NextIconId() {
  static UINT next = 0;
  return ++next;
}

template <std::size_t N>
bool SameField(const WCHAR (&a)[N], const WCHAR (&b)[N]) {
  return std::equal(std::begin(a), std::end(a), std::begin(b));
}

// The fields the shell reads (compared one by one: the structure has padding).
bool SameRecord(const NOTIFYICONDATAW& a, const NOTIFYICONDATAW& b) {
  return a.cbSize == b.cbSize && a.hWnd == b.hWnd && a.uID == b.uID && a.uFlags == b.uFlags &&
         a.uCallbackMessage == b.uCallbackMessage && a.hIcon == b.hIcon && SameField(a.szTip, b.szTip) &&
         a.dwState == b.dwState && a.dwStateMask == b.dwStateMask && SameField(a.szInfo, b.szInfo) &&
         a.uTimeout == b.uTimeout && SameField(a.szInfoTitle, b.szInfoTitle) && a.dwInfoFlags == b.dwInfoFlags;
}

// Text into a fixed field of the record, the rest of the field zero (so equal texts
// give equal records).
template <std::size_t N>
void PutText(WCHAR (&field)[N], const std::string& text) {
  std::fill(std::begin(field), std::end(field), L'\0');
  CopyToBuffer(text, field, N);
}

// Puts the record's flags back however the update ends.
[[nodiscard]] auto RestoresFlags(NOTIFYICONDATAW& data) {
  return OnScopeExit([&data] { data.uFlags = kBaseFlags; });
}

}  // namespace

// -- TTrayIconHandler ---------------------------------------------------------------------

TTrayIconHandler::TTrayIconHandler()
    : window_([this](UINT msg, WPARAM wp, LPARAM lp) { return Message(msg, wp, lp); }) {
  (void)Process();  // the taskbar message is registered before the first icon exists
}

TTrayIconHandler::~TTrayIconHandler() = default;

HWND TTrayIconHandler::CurrentWindow() {
  const auto current = Current();
  return current ? current->Handle() : nullptr;
}

UINT TTrayIconHandler::TaskbarCreatedMessage() { return Process().taskbarCreated; }

std::optional<LRESULT> TTrayIconHandler::Message(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kTrayCallbackMessage) {
    const auto it = icons_.find(static_cast<UINT>(wp));
    if (it == icons_.end()) return 0;
    TNotifyTrayIcon* icon = it->second;
    if (!icon->Enabled()) return 0;
    // A click handler may free the icon before it throws.
    const std::weak_ptr<const void> alive = icon->AliveToken();
    try {
      icon->TrayMessage(lp);
    } catch (...) {
      HandleException(alive.expired() ? nullptr : icon);
    }
    return 0;
  }
  if (const UINT taskbarCreated = TaskbarCreatedMessage(); taskbarCreated != 0 && msg == taskbarCreated) {
    // A new taskbar starts empty: every icon that should be there is added again.
    std::vector<TNotifyTrayIcon*> visible;
    for (const auto& entry : icons_)
      if (entry.second->IconVisible()) visible.push_back(entry.second);
    std::sort(visible.begin(), visible.end(),
              [](const TNotifyTrayIcon* a, const TNotifyTrayIcon* b) { return a->Id() < b->Id(); });
    for (TNotifyTrayIcon* icon : visible) {
      try {
        icon->inShell_ = false;
        // The new taskbar may be at another scale: the add carries the picture for it.
        icon->PickIconSide(NotificationAreaDpi());
        icon->AddIcon();
      } catch (...) {
        HandleException(icon);
      }
    }
    return 0;
  }
  switch (msg) {
    case WM_DISPLAYCHANGE:
    case WM_SETTINGCHANGE:
      // A display or its scale changed: the shell's small icons may have another size.
      for (const auto& entry : icons_) {
        try {
          entry.second->ShellScaleChanged(NotificationAreaDpi());
        } catch (...) {
          HandleException(entry.second);
        }
      }
      return std::nullopt;
    case WM_DESTROY:
      // Our own release detaches the window first; anything else destroying it means
      // the program is going down.
      PostQuitMessage(0);
      return 0;
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
    case WM_QUIT:
    case WM_ENDSESSION:
    case WM_NCDESTROY:
      return 1;
    case WM_USERCHANGED:
      if (!Process().oldNt) return std::nullopt;
      UserChanged();
      return 1;
    default:
      return std::nullopt;
  }
}

// Old NT versions lose the common controls' state when the user changes: the library is
// loaded and initialised again on one change and let go on the next.
void TTrayIconHandler::UserChanged() {
  enum class State { untouched, loaded, freed };
  static State state = State::untouched;
  static UniqueHmodule module;
  switch (state) {
    case State::untouched:
      state = State::freed;
      break;
    case State::freed:
      module = LoadSystemLibrary(L"comctl32.dll");
      if (const auto init = ModuleFunctionAs<void WINAPI()>(module.get(), "InitCommonControls")) init();
      state = State::loaded;
      break;
    case State::loaded:
      module.reset();
      state = State::freed;
      break;
  }
}

// -- TNotifyTrayIcon ----------------------------------------------------------------------

const ClassInfo& TNotifyTrayIcon::StaticClass() {
  using T = TNotifyTrayIcon;
  static const ClassInfo info =
      ClassBuilder<T>("TNotifyTrayIcon", &TComponent::StaticClass())
          .Bool("DesignPreview", &T::DesignPreview, &T::SetDesignPreview, false)
          .Ref("IconList", &T::IconList, &T::SetIconList, &TImageList::StaticClass)
          .Bool("CycleIcons", &T::CycleIcons, &T::SetCycleIcons, false)
          .Int("CycleInterval", &T::CycleInterval, &T::SetCycleInterval, 0)
          .Bool("Enabled", &T::Enabled, &T::SetEnabled, true)
          .Str("Hint", &T::Hint, &T::SetHint, std::string())
          .Bool("ShowHint", &T::ShowHint, &T::SetShowHint, true)
          .Object("Icon", &T::Icon, TIcon::StaticClass())
          .Bool("IconVisible", &T::IconVisible, &T::SetIconVisible, false)
          .Int("IconIndex", &T::IconIndex, &T::SetIconIndex, 0)
          .Ref("PopupMenu", &T::PopupMenu, &T::SetPopupMenu, &TPopupMenu::StaticClass)
          .Bool("LeftPopup", &T::LeftPopup, &T::SetLeftPopup, false)
          .Bool("WantEnterExitEvents", &T::WantEnterExitEvents, &T::SetWantEnterExitEvents, false)
          .Bool("MinimizeToTray", &T::MinimizeToTray, &T::SetMinimizeToTray, false)
          .Event("OnClick", &T::OnClick)
          .Event("OnDblClick", &T::OnDblClick)
          .Event("OnMouseDown", &T::OnMouseDown)
          .Event("OnMouseUp", &T::OnMouseUp)
          .Event("OnMouseMove", &T::OnMouseMove)
          .Event("OnMouseEnter", &T::OnMouseEnter)
          .Event("OnMouseExit", &T::OnMouseExit)
          .Event("OnCycle", &T::OnCycle)
          .Event("OnBalloonHintClick", &T::OnBalloonHintClick)
          .Event("OnBalloonHintHide", &T::OnBalloonHintHide)
          .Event("OnBalloonHintTimeout", &T::OnBalloonHintTimeout)
          .Event("OnStartup", &T::OnStartup)
          .Build();
  return info;
}

TNotifyTrayIcon::TNotifyTrayIcon(TComponent* owner)
    : TComponent(owner), handler_(TTrayIconHandler::Acquire()), icon_(std::make_unique<TIcon>()) {
  icon_->OnChange = [this](TObject*) { IconChanged(); };
  data_.cbSize = sizeof data_;
  data_.hWnd = handler_->Handle();
  data_.uID = NextIconId();
  data_.uFlags = kBaseFlags;
  data_.uCallbackMessage = kTrayCallbackMessage;

  // The timers call back with this component; they die with it.
  cycleTimer_ = std::make_unique<TSimpleTimer>(this, [](TObject* o) { static_cast<TNotifyTrayIcon*>(o)->CycleTimer(); });
  clickTimer_ = std::make_unique<TSimpleTimer>(this, [](TObject* o) { static_cast<TNotifyTrayIcon*>(o)->ClickTimer(); });
  enterExitTimer_ =
      std::make_unique<TSimpleTimer>(this, [](TObject* o) { static_cast<TNotifyTrayIcon*>(o)->EnterExitTimer(); });

  handler_->icons_[data_.uID] = this;
  ApplyDesignPreview();
  if (!IsDesigning()) {
    // The hook list is copied while messages are handled: a hook of a component that
    // is already gone must not run.
    appHook_ = Application().AddMessageHook(
        [this, alive = AliveToken()](UINT msg, WPARAM wp, LPARAM lp, LRESULT&) {
          return !alive.expired() && ApplicationMessage(msg, wp, lp);
        });
    HookOwnerForm();
  }
}

TNotifyTrayIcon::~TNotifyTrayIcon() {
  handler_->icons_.erase(data_.uID);
  try {
    DeleteIcon();
  } catch (...) {
    // A replaced shell call that fails loudly must not escape a destructor.
  }
  designPreview_ = false;
  icon_->OnChange = nullptr;
  cycleTimer_.reset();
  clickTimer_.reset();
  enterExitTimer_.reset();
  if (appHook_) Application().RemoveMessageHook(appHook_);
  UnhookOwnerForm();
}

// -- shell updates --

void TNotifyTrayIcon::RefreshRecord() {
  data_.hIcon = icon_->Handle();
  if (showHint_ && !hint_.empty()) PutText(data_.szTip, hint_);
  else std::fill(std::begin(data_.szTip), std::end(data_.szTip), L'\0');
}

bool TNotifyTrayIcon::Send(DWORD message) {
  // The first add can fail (at log-on the shell may not be ready yet): the updates that
  // follow add the icon until the shell takes it, since a change of an icon the shell
  // does not hold fails as well.
  if (message == NIM_MODIFY && iconVisible_ && !inShell_) message = NIM_ADD;
  RefreshRecord();
  // The tray is updated every second with mostly unchanged values: a record the shell
  // already accepted is not sent again. After a failure nothing counts as accepted.
  if (message == NIM_MODIFY && !iconDirty_ && accepted_ && SameRecord(*accepted_, data_)) return true;
  const bool ok = CallShell(message, data_) != FALSE;
  // A refused add of an icon the shell holds already changes nothing.
  if (message == NIM_ADD) inShell_ = inShell_ || ok;
  if (message == NIM_DELETE) inShell_ = false;
  if (ok && message != NIM_DELETE) {
    accepted_ = data_;
    iconDirty_ = false;
  } else {
    accepted_.reset();
  }
  return ok;
}

bool TNotifyTrayIcon::AddIcon() {
  if (!previewing_) iconVisible_ = true;
  if (Holding()) return true;  // Loaded adds it, with every property read
  return Send(NIM_ADD);
}

bool TNotifyTrayIcon::DeleteIcon() {
  if (!previewing_) iconVisible_ = false;
  if (Holding()) return true;
  return Send(NIM_DELETE);
}

bool TNotifyTrayIcon::UpdateIcon() {
  if (Holding()) {
    heldUpdate_ = true;
    return true;
  }
  return Send(NIM_MODIFY);
}

template <typename Changes>
void TNotifyTrayIcon::Grouped(Changes&& changes) {
  ++holds_;
  {
    const auto release = OnScopeExit([this] { --holds_; });
    changes();
  }
  if (heldUpdate_ && !Holding()) {
    heldUpdate_ = false;
    UpdateIcon();
  }
}

void TNotifyTrayIcon::SetIconIndexAndHint(int index, const THintString& hint) {
  Grouped([&] {
    SetIconIndex(index);
    SetHint(hint);
  });
}

bool TNotifyTrayIcon::ClearBalloon() {
  const auto restore = RestoresFlags(data_);
  std::fill(std::begin(data_.szInfo), std::end(data_.szInfo), L'\0');
  data_.uFlags = kBaseFlags | NIF_INFO;
  return UpdateIcon();
}

bool TNotifyTrayIcon::ShowBalloon(const std::string& title, const std::string& text, TBalloonHintIcon icon,
                                  std::uint8_t seconds, TBalloonSound sound) {
  ClearBalloon();
  const auto restore = RestoresFlags(data_);
  data_.uFlags = kBaseFlags | NIF_INFO;
  PutText(data_.szInfo, text);
  PutText(data_.szInfoTitle, title);
  data_.uTimeout = static_cast<UINT>(seconds) * 1000u;
  data_.dwInfoFlags = static_cast<DWORD>(icon);  // bitNone..bitError are NIIF_NONE..NIIF_ERROR
  if (sound == bsSilent) data_.dwInfoFlags |= NIIF_NOSOUND;
  return UpdateIcon();
}

// -- properties --

void TNotifyTrayIcon::SetDesignPreview(bool value) {
  designPreview_ = value;
  ApplyDesignPreview();
}

// The preview shows the icon while a form is being designed; at run time it has no
// effect (and the shell is not asked to remove an icon that was never added).
void TNotifyTrayIcon::ApplyDesignPreview() {
  if (!IsDesigning()) return;
  previewing_ = true;
  const auto reset = OnScopeExit([this] { previewing_ = false; });
  if (designPreview_) AddIcon();
  else DeleteIcon();
}

void TNotifyTrayIcon::SetIconList(TImageList* list) {
  if (list == iconList_) return;
  iconList_ = list;
  iconSource_ = -1;  // another list: the next selection copies its picture
  if (list) FreeNotification(list);
}

void TNotifyTrayIcon::SetCycleIcons(bool value) {
  cycleIcons_ = value;
  if (value) {
    SetIconIndex(0);
    cycleTimer_->Start(static_cast<unsigned>(std::max(cycleInterval_, 0)));
  } else {
    cycleTimer_->Stop();
  }
}

void TNotifyTrayIcon::SetCycleInterval(int ms) {
  cycleInterval_ = ms;
  SetCycleIcons(cycleIcons_);
}

void TNotifyTrayIcon::SetHint(const THintString& hint) {
  // Cut as the shell counts its tooltip (UTF-16 units): the hint kept is the one shown.
  THintString cut = Utf8PrefixInUtf16Units(hint, kHintChars);
  if (cut == hint_ && !ShellBehind()) return;
  hint_ = std::move(cut);
  UpdateIcon();
}

void TNotifyTrayIcon::SetShowHint(bool value) {
  showHint_ = value;
  UpdateIcon();
}

void TNotifyTrayIcon::SetIcon(const TIcon* icon) {
  if (icon) icon_->Assign(*icon);
  else icon_->SetHandle(nullptr);
}

void TNotifyTrayIcon::IconChanged() {
  iconDirty_ = true;
  if (copyingPicture_) return;  // the selection updates the shell itself, once
  iconSource_ = -1;
  UpdateIcon();
}

void TNotifyTrayIcon::SetIconVisible(bool value) {
  if (value) AddIcon();
  else DeleteIcon();
}

void TNotifyTrayIcon::SetIconIndex(int index) {
  if (IsLoading()) {
    // The list reference is resolved after every property has been read: Loaded
    // applies the index.
    iconIndex_ = index;
    return;
  }
  const int count = iconList_ ? iconList_->Count() : 0;
  const int chosen = count > 0 ? std::clamp(index, 0, count - 1) : 0;
  const bool indexChanged = chosen != iconIndex_;
  iconIndex_ = chosen;
  const bool pictureChanged = count > 0 && CopyListPicture(chosen);
  if (indexChanged || pictureChanged || ShellBehind()) UpdateIcon();
}

// Copies picture `index` of the list into Icon unless Icon already is that picture (a
// new icon handle every second would be pointless work). Returns whether it copied.
bool TNotifyTrayIcon::CopyListPicture(int index) {
  if (index == iconSource_) return false;
  copyingPicture_ = true;
  const auto reset = OnScopeExit([this] { copyingPicture_ = false; });
  if (iconSide_ == 0) iconSide_ = SmallIconSize(NotificationAreaDpi());
  iconList_->GetIcon(index, *icon_, iconSide_);
  iconSource_ = index;
  return true;
}

bool TNotifyTrayIcon::PickIconSide(int dpi) {
  const int side = SmallIconSize(dpi);
  if (side == iconSide_) return false;
  iconSide_ = side;
  // Only a picture of the list can be made anew; one set directly stays as it is.
  const int source = iconSource_;
  if (source < 0 || !iconList_ || source >= iconList_->Count()) return false;
  iconSource_ = -1;
  return CopyListPicture(source);
}

void TNotifyTrayIcon::ShellScaleChanged(int dpi) {
  if (PickIconSide(dpi)) UpdateIcon();
}

void TNotifyTrayIcon::SetPopupMenu(TPopupMenu* menu) {
  if (menu == popupMenu_) return;
  popupMenu_ = menu;
  if (menu) FreeNotification(menu);
}

void TNotifyTrayIcon::SetWantEnterExitEvents(bool value) {
  wantEnterExit_ = value;
  if (value) enterExitTimer_->Start(kEnterExitInterval);
  else enterExitTimer_->Stop();
}

void TNotifyTrayIcon::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == iconList_) {
    iconList_ = nullptr;
    iconIndex_ = 0;
    iconSource_ = -1;
  }
  if (component == popupMenu_) popupMenu_ = nullptr;
}

void TNotifyTrayIcon::Loaded() {
  TComponent::Loaded();
  HookOwnerForm();
  // What the description set reaches the shell in one call: the icon is added with its
  // picture and hint (or taken away when it is not to be shown), not changed first.
  Grouped([this] {
    PickIconSide(NotificationAreaDpi());
    SetIconIndex(iconIndex_);
    if (OwnerControl()) {
      bool showMainForm = true;
      Fire(OnStartup, this, showMainForm);
      if (!showMainForm) {
        Application().SetShowMainForm(false);
        HideOwnerForm();
      }
    }
    heldUpdate_ = false;  // the add or the removal below carries every change
  });
  SetIconVisible(iconVisible_);
  SetCycleIcons(cycleIcons_);
  SetWantEnterExitEvents(wantEnterExit_);
}

// -- the shell's notifications --

void TNotifyTrayIcon::TrayMessage(LPARAM message) {
  // Event handlers may free this component: nothing of it is touched after one that did.
  const std::weak_ptr<const void> alive = AliveToken();
  POINT p{};
  GetCursorPos(&p);
  const TShiftState shift = CurrentShiftState();
  switch (static_cast<UINT>(message)) {
    case WM_MOUSEMOVE:
      lastCursor_ = p;
      if (wantEnterExit_ && cursorOutside_) {
        cursorOutside_ = false;
        Fire(OnMouseEnter, this);
        if (alive.expired()) return;
      }
      Fire(OnMouseMove, this, shift, p.x, p.y);
      break;
    case WM_LBUTTONDOWN:
      if (OnDblClick) clickTimer_->Start(GetDoubleClickTime());
      clickPending_ = true;
      Fire(OnMouseDown, this, mbLeft, shift | ShiftOf(ssLeft), p.x, p.y);
      if (!alive.expired() && leftPopup_) PopupAtCursor();
      break;
    case WM_LBUTTONUP: {
      bool click = false;
      if (clickPending_) {
        clickReleased_ = true;
        // With a double-click handler the click timer decides; without one the
        // release is the click.
        if (!clickTimer_->Active()) {
          clickPending_ = clickReleased_ = false;
          click = true;
        }
      }
      clickPending_ = false;
      if (click) {
        Fire(OnClick, this);
        if (alive.expired()) return;
      }
      Fire(OnMouseUp, this, mbLeft, shift | ShiftOf(ssLeft), p.x, p.y);
      break;
    }
    case WM_LBUTTONDBLCLK:
      clickReleased_ = false;
      doubleClickSeen_ = true;
      Fire(OnDblClick, this);
      if (!alive.expired() && popupMenu_ && popupMenu_->AutoPopup() && !leftPopup_) ClickDefaultItem();
      break;
    case WM_RBUTTONDOWN:
      Fire(OnMouseDown, this, mbRight, shift | ShiftOf(ssRight), p.x, p.y);
      if (!alive.expired()) PopupAtCursor();
      break;
    case WM_RBUTTONUP:
      Fire(OnMouseUp, this, mbRight, shift | ShiftOf(ssRight), p.x, p.y);
      break;
    case WM_MBUTTONDOWN:
      Fire(OnMouseDown, this, mbMiddle, shift | ShiftOf(ssMiddle), p.x, p.y);
      break;
    case WM_MBUTTONUP:
      Fire(OnMouseUp, this, mbMiddle, shift | ShiftOf(ssMiddle), p.x, p.y);
      break;
    case NIN_BALLOONHIDE:
      Fire(OnBalloonHintHide, this);
      break;
    case NIN_BALLOONTIMEOUT:
      Fire(OnBalloonHintTimeout, this);
      break;
    case NIN_BALLOONUSERCLICK:
      Fire(OnBalloonHintClick, this);
      break;
    default:
      break;
  }
}

void TNotifyTrayIcon::ClickDefaultItem() {
  TMenuItem* items = popupMenu_->Items();
  for (int i = 0; i < items->Count(); ++i) {
    if (items->Items(i)->Default()) {
      items->Items(i)->Click();
      return;
    }
  }
}

void TNotifyTrayIcon::PopupAtCursor() {
  POINT p{};
  if (!popupMenu_ || !popupMenu_->AutoPopup() || !GetCursorPos(&p)) return;
  const std::weak_ptr<const void> alive = AliveToken();
  // The menu closes properly only when its owner's application is in the foreground.
  if (HWND app = Application().Handle()) SetForegroundWindow(app);
  Application().ProcessMessages();
  if (alive.expired() || !popupMenu_) return;
  popupMenu_->SetPopupComponent(this);
  popupMenu_->Popup(p.x, p.y);
  if (alive.expired()) return;
  if (TWinControl* owner = OwnerControl(); owner && owner->HandleAllocated())
    PostMessageW(owner->Handle(), WM_NULL, 0, 0);
}

// -- timers -- (exceptions of event handlers go to the application, not to the timer)

void TNotifyTrayIcon::ClickTimer() {
  // A handler may free this component before it throws.
  const std::weak_ptr<const void> alive = AliveToken();
  try {
    clickTimer_->Stop();
    const bool click = !doubleClickSeen_ && clickReleased_;
    if (click) clickReleased_ = false;
    doubleClickSeen_ = false;
    if (click) Fire(OnClick, this);
  } catch (...) {
    HandleException(alive.expired() ? nullptr : this);
  }
}

void TNotifyTrayIcon::EnterExitTimer() {
  // A handler may free this component before it throws.
  const std::weak_ptr<const void> alive = AliveToken();
  try {
    if (cursorOutside_) return;
    POINT p{};
    if (!GetCursorPos(&p)) return;
    if (p.x != lastCursor_.x || p.y != lastCursor_.y) {
      cursorOutside_ = true;
      Fire(OnMouseExit, this);
    }
  } catch (...) {
    HandleException(alive.expired() ? nullptr : this);
  }
}

void TNotifyTrayIcon::CycleTimer() {
  // A handler may free this component before it throws.
  const std::weak_ptr<const void> alive = AliveToken();
  try {
    const int count = iconList_ ? iconList_->Count() : 0;
    if (count == 0) return;
    if (CopyListPicture(std::clamp(iconIndex_, 0, count - 1))) UpdateIcon();
    const int next = iconIndex_ + 1 < count ? iconIndex_ + 1 : 0;
    Fire(OnCycle, this, next);
    if (!alive.expired()) SetIconIndex(next);
  } catch (...) {
    HandleException(alive.expired() ? nullptr : this);
  }
}

// -- the application window and the owner form --

TWinControl* TNotifyTrayIcon::OwnerControl() const { return dynamic_cast<TWinControl*>(Owner()); }

void TNotifyTrayIcon::HideOwnerForm() {
  TForm* mainForm = Application().MainForm();
  if (!OwnerControl() || !mainForm) return;
  mainForm->Hide();
  if (HWND app = Application().Handle()) ShowWindow(app, SW_HIDE);
}

bool TNotifyTrayIcon::ApplicationMessage(UINT msg, WPARAM wp, LPARAM) {
  try {
    if (msg == WM_SIZE && wp == SIZE_MINIMIZED && minimizeToTray_) {
      const std::weak_ptr<const void> alive = AliveToken();
      HideOwnerForm();
      if (!alive.expired()) AddIcon();
    } else if (msg == WM_WINDOWPOSCHANGED && startupPending_ && Application().MainForm()) {
      startupPending_ = false;
      if (Application().MainForm()->FormStyle() == fsMDIForm) {
        bool showMainForm = true;
        Fire(OnStartup, this, showMainForm);
        if (!showMainForm) ShowWindow(Application().Handle(), SW_HIDE);
      }
    }
  } catch (...) {
    HandleException(this);
  }
  return false;  // the application window handles every message as usual
}

void TNotifyTrayIcon::HookOwnerForm() {
  if (ownerWindow_ || IsDesigning()) return;
  TWinControl* owner = OwnerControl();
  if (!owner || !owner->HandleAllocated() || owner->IsDestroying()) return;
  HWND wnd = owner->Handle();
  if (ListenToWindow(wnd, *this)) ownerWindow_ = wnd;
}

void TNotifyTrayIcon::UnhookOwnerForm() {
  if (!ownerWindow_) return;
  StopListening(ownerWindow_, *this);
  ownerWindow_ = nullptr;
}

void TNotifyTrayIcon::OwnerFormMessage(UINT msg, WPARAM wp, LPARAM lp, bool beforeDefault) {
  if (msg == WM_DPICHANGED && !beforeDefault) {
    // The form moved to another monitor or its monitor's scale changed: on the
    // notification area's monitor the message carries that monitor's new DPI.
    ShellScaleChanged(OnNotificationAreaMonitor(ownerWindow_) ? HIWORD(wp) : NotificationAreaDpi());
    return;
  }
  if (msg == WM_SHOWWINDOW && beforeDefault) {
    // Shown again by a ShowWindow call (from the tray): undo the minimised state of
    // the application and bring the form to the front.
    if (wp && lp == 0) {
      if (HWND app = Application().Handle()) {
        ShowWindow(app, SW_RESTORE);
        SetForegroundWindow(app);
      }
      SetForegroundWindow(ownerWindow_);
    }
    return;
  }
  if (msg != WM_ACTIVATE) return;
  if (LOWORD(wp) == WA_INACTIVE) {
    // The form's active control is the one that had the focus when it lost activation.
    if (beforeDefault) {
      HWND focus = GetFocus();
      lastFocus_ = focus && IsChild(ownerWindow_, focus) ? focus : nullptr;
    }
    return;
  }
  // Activation focuses the form window itself by default: the active control gets the
  // focus back after that, unless the window losing activation is its own parent.
  if (beforeDefault || !lastFocus_ || !IsWindow(lastFocus_) || !IsChild(ownerWindow_, lastFocus_)) return;
  HWND parent = GetParent(lastFocus_);
  if (reinterpret_cast<HWND>(lp) != (parent ? parent : lastFocus_)) SetFocus(lastFocus_);
}

}  // namespace dorvane
