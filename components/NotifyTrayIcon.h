#pragma once
// A component that keeps one icon in the notification area: its picture (chosen from an
// image list or set directly), its tooltip and balloon messages; the shell's mouse
// notifications for it become events, the right button opens a popup menu at the
// cursor, minimising the application can hide the owner form into the tray, and the
// icon comes back by itself when the taskbar is re-created.
//
// Every tray icon of the process receives the shell's notifications through one shared
// hidden window (TTrayIconHandler). The record kept for the shell is the wide-character
// NOTIFYICONDATAW with the balloon fields; its text limits count characters: tooltip
// 127, balloon text 255, balloon title 63 (UTF-16 units, never splitting a surrogate
// pair). An update that would hand the shell exactly the record it already has is not
// made; after a failed shell call the next update is always made.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "components/SimpleTimer.h"
#include "framework/Classes.h"
#include "framework/Controls.h"
#include "framework/Graphics.h"
#include "framework/ImageList.h"
#include "framework/UtilityWindow.h"
#include "framework/Window.h"

namespace dorvane {

class TPopupMenu;
class TNotifyTrayIcon;

using THintString = std::string;
using TCycleEvent = std::function<void(TObject* sender, int nextIndex)>;
using TStartupEvent = std::function<void(TObject* sender, bool& showMainForm)>;

// The icon shown in a balloon (its dwInfoFlags value is the ordinal).
enum TBalloonHintIcon { bitNone, bitInfo, bitWarning, bitError };

// The message the shell sends the handler window for every tray icon.
constexpr UINT kTrayCallbackMessage = 0x800;

// The hidden top-level window that receives the shell's notifications for every tray
// icon of the process, and the taskbar's re-creation broadcast. Created by the first
// tray icon and destroyed with the last.
class TTrayIconHandler : public SharedPerKind<TTrayIconHandler> {
 public:
  TTrayIconHandler(const TTrayIconHandler&) = delete;
  TTrayIconHandler& operator=(const TTrayIconHandler&) = delete;
  ~TTrayIconHandler();

  // The window of the shared handler, or null while no tray icon exists.
  static HWND CurrentWindow();
  // The registered "TaskbarCreated" message (0 when the system's common controls are
  // too old for the broadcast).
  static UINT TaskbarCreatedMessage();

  HWND Handle() const { return window_.Handle(); }

 private:
  friend class TNotifyTrayIcon;
  friend class SharedPerKind<TTrayIconHandler>;
  TTrayIconHandler();
  std::optional<LRESULT> Message(UINT msg, WPARAM wp, LPARAM lp);
  void UserChanged();

  std::unordered_map<UINT, TNotifyTrayIcon*> icons_;  // by uID
  TUtilityWindow window_;
};

class TNotifyTrayIcon : public TComponent, private TWindowListener {
  DORVANE_CLASS(TNotifyTrayIcon)
 public:
  explicit TNotifyTrayIcon(TComponent* owner);
  ~TNotifyTrayIcon() override;

  // -- published properties --
  bool DesignPreview() const { return designPreview_; }
  void SetDesignPreview(bool value);
  TImageList* IconList() const { return iconList_; }
  void SetIconList(TImageList* list);
  bool CycleIcons() const { return cycleIcons_; }
  void SetCycleIcons(bool value);
  int CycleInterval() const { return cycleInterval_; }
  void SetCycleInterval(int ms);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value) { enabled_ = value; }
  const THintString& Hint() const { return hint_; }
  // Keeps the first 127 characters.
  void SetHint(const THintString& hint);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value);
  TIcon* Icon() const { return icon_.get(); }
  // Takes a copy of the picture (null empties the icon).
  void SetIcon(const TIcon* icon);
  bool IconVisible() const { return iconVisible_; }
  void SetIconVisible(bool value);
  int IconIndex() const { return iconIndex_; }
  void SetIconIndex(int index);
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* menu);
  bool LeftPopup() const { return leftPopup_; }
  void SetLeftPopup(bool value) { leftPopup_ = value; }
  bool WantEnterExitEvents() const { return wantEnterExit_; }
  void SetWantEnterExitEvents(bool value);
  bool MinimizeToTray() const { return minimizeToTray_; }
  void SetMinimizeToTray(bool value) { minimizeToTray_ = value; }

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;  // x, y: the cursor on the screen
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseExit;
  TCycleEvent OnCycle;
  TNotifyEvent OnBalloonHintClick;
  TNotifyEvent OnBalloonHintHide;
  TNotifyEvent OnBalloonHintTimeout;
  TStartupEvent OnStartup;

  // -- operations -- (each returns whether the shell call succeeded; callers may ignore it)
  bool AddIcon();
  bool DeleteIcon();
  bool UpdateIcon();
  // Shows a balloon on the icon (a balloon already shown goes first) for `seconds`.
  // A silent balloon asks the shell not to play its own sound (the caller plays one).
  enum TBalloonSound { bsShellSound, bsSilent };
  bool ShowBalloon(const std::string& title, const std::string& text, TBalloonHintIcon icon,
                   std::uint8_t seconds, TBalloonSound sound = bsShellSound);
  bool ClearBalloon();
  // Picture and tooltip together, as one shell update: the periodic refresh changes both,
  // and every shell call is a round trip to the shell's process.
  void SetIconIndexAndHint(int index, const THintString& hint);
  // Hides the application's main form and the application window.
  void HideOwnerForm();
  // Opens PopupMenu at the cursor.
  void PopupAtCursor();

  // The side of the pictures taken from IconList: the shell's small-icon size at the
  // notification area's DPI, picked when the icon is loaded, when the owner form's DPI or
  // the display changes and when the taskbar is made anew.
  int IconSide() const { return iconSide_; }

  // The identity the shell reports back for this icon (uID of the record).
  UINT Id() const { return data_.uID; }
  const NOTIFYICONDATAW& Data() const { return data_; }

  void Loaded() override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TTrayIconHandler;

  void ApplyDesignPreview();
  bool Send(DWORD message);
  // While a description is read, or while a group of changes is made, changes stay in the
  // record and the shell hears of them once, at the end.
  bool Holding() const { return holds_ > 0 || (IsLoading() && !IsDesigning()); }
  template <typename Changes>
  void Grouped(Changes&& changes);
  // Whether the shell does not hold what the icon shows: it is visible and the last call
  // failed (a busy shell times out). The setters then send even an unchanged value, so
  // that the periodic updates retry until the shell has it.
  bool ShellBehind() const { return iconVisible_ && !accepted_; }
  void RefreshRecord();
  void IconChanged();
  bool CopyListPicture(int index);
  // Picks the picture size for the notification area at `dpi`; a list picture shown at
  // another size is copied again at the new one. Returns whether the picture changed.
  bool PickIconSide(int dpi);
  // The same, with the shell told of a new picture.
  void ShellScaleChanged(int dpi);
  void TrayMessage(LPARAM message);
  void ClickTimer();
  void EnterExitTimer();
  void CycleTimer();
  void ClickDefaultItem();
  TWinControl* OwnerControl() const;
  bool ApplicationMessage(UINT msg, WPARAM wp, LPARAM lp);
  void HookOwnerForm();
  void UnhookOwnerForm();
  void OwnerFormMessage(UINT msg, WPARAM wp, LPARAM lp, bool beforeDefault);
  // The owner form's window, listened to.
  void MessageArriving(HWND, UINT msg, WPARAM wp, LPARAM lp) override { OwnerFormMessage(msg, wp, lp, true); }
  void MessageAnswered(HWND, UINT msg, WPARAM wp, LPARAM lp, LRESULT&) override {
    OwnerFormMessage(msg, wp, lp, false);
  }
  void ListenedWindowGone(HWND) override { ownerWindow_ = nullptr; }
  TObject* MessageSender() override { return this; }

  std::shared_ptr<TTrayIconHandler> handler_;
  // Published state.
  bool designPreview_ = false;
  TImageList* iconList_ = nullptr;
  bool cycleIcons_ = false;
  int cycleInterval_ = 0;
  bool enabled_ = true;
  THintString hint_;
  bool showHint_ = true;
  std::unique_ptr<TIcon> icon_;
  bool iconVisible_ = false;
  int iconIndex_ = 0;
  TPopupMenu* popupMenu_ = nullptr;
  bool leftPopup_ = false;
  bool wantEnterExit_ = false;
  bool minimizeToTray_ = false;

  // The shell's record, and what the shell last accepted.
  NOTIFYICONDATAW data_{};
  std::optional<NOTIFYICONDATAW> accepted_;
  // Whether the shell holds the icon: an add has succeeded since the last delete (and
  // since the taskbar was made anew). Until one has, updates add instead of changing.
  bool inShell_ = false;
  bool iconDirty_ = false;
  int holds_ = 0;
  bool heldUpdate_ = false;  // a change was held back from the shell
  // The list picture Icon was last copied from (-1: Icon came from elsewhere).
  int iconSource_ = -1;
  bool copyingPicture_ = false;
  int iconSide_ = 0;  // 0: not picked yet

  std::unique_ptr<TSimpleTimer> cycleTimer_;
  std::unique_ptr<TSimpleTimer> clickTimer_;
  std::unique_ptr<TSimpleTimer> enterExitTimer_;
  bool clickPending_ = false;
  bool clickReleased_ = false;
  bool doubleClickSeen_ = false;
  bool cursorOutside_ = true;
  POINT lastCursor_{};
  bool startupPending_ = true;
  bool previewing_ = false;

  int appHook_ = 0;
  HWND ownerWindow_ = nullptr;
  HWND lastFocus_ = nullptr;  // the owner form's focused control when it was deactivated
};

}  // namespace dorvane
