#include "framework/Application.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "core/win32/WideString.h"
#include "framework/ClassBuilder.h"
#include "framework/Dialogs.h"
#include "framework/Forms.h"
#include "framework/FrameworkClasses.h"
#include "framework/Trace.h"

namespace dorvane {

namespace {

// The application window's timer for Later (the hint timers are 1 and 2).
constexpr UINT_PTR kLaterTimer = 3;

bool OfferToControls(TWinControl& parent, WORD key, TShiftState shift) {
  for (int i = 0; i < parent.ControlCount(); ++i) {
    TControl* c = parent.Controls(i);
    if (!c->Visible() || !c->Enabled()) continue;
    if (c->DialogKey(key, shift)) return true;
    if (auto* w = dynamic_cast<TWinControl*>(c); w && OfferToControls(*w, key, shift)) return true;
  }
  return false;
}

// Return and Escape are offered as dialog keys before the focused control sees them:
// first to the focused control (a focused button takes Return), then to every control of
// its form (a default or cancel button takes them there), unless the focused control wants
// every key itself. True when a control took the key.
bool OfferDialogKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || (msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE)) return false;
  TWinControl* focused = TWinControl::FromHandle(msg.hwnd);
  if (!focused) return false;
  const LRESULT wants = SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
  if (wants & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
  TWinControl* root = focused;
  while (root->Parent()) root = root->Parent();
  const auto key = static_cast<WORD>(msg.wParam);
  const TShiftState shift = CurrentShiftState();
  try {
    // The form itself last: a control of it that takes the key comes first.
    return (focused != root && focused->DialogKey(key, shift)) || OfferToControls(*root, key, shift) ||
           root->DialogKey(key, shift);
  } catch (...) {
    HandleException(root);
    return true;
  }
}

// Tab and Shift+Tab move the focus through the focused control's form (its tab order,
// wrapping around), as in a dialog, unless the focused control wants Tab itself. Once
// the keyboard moved the focus, the form shows where it is. True when the focus moved.
bool OfferTabKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB) return false;
  if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
  // The focus may be in a system control's own child window (a combo box's edit).
  TWinControl* focused = nullptr;
  for (HWND wnd = msg.hwnd; wnd && !focused; wnd = GetParent(wnd)) focused = TWinControl::FromHandle(wnd);
  if (!focused) return false;
  const LRESULT wants = SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
  if (wants & (DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
  TWinControl* root = focused;
  while (root->Parent()) root = root->Parent();
  try {
    // Shift as it was when Tab went down (the message may have waited in the queue).
    if (!root->SelectNext(focused == root ? nullptr : focused, GetKeyState(VK_SHIFT) >= 0)) return false;
    SendMessageW(root->Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    return true;
  } catch (...) {
    HandleException(root);
    return true;
  }
}

bool OfferKey(const MSG& msg) { return OfferTabKey(msg) || OfferDialogKey(msg); }

}  // namespace

const ClassInfo& TApplication::StaticClass() {
  static const ClassInfo info = ClassBuilder<TApplication>("TApplication", &TComponent::StaticClass())
                                    .Str("Title", &TApplication::Title, &TApplication::SetTitle)
                                    .Build();
  return info;
}

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() {
  DestroyComponents();
}

void TApplication::Initialize() {
  if (window_) return;
  {
    const TraceScope trace("common controls");
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES |
                                             ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);
  }
  RegisterFrameworkClasses();
  const TraceScope trace("application window");
  window_ = std::make_unique<TUtilityWindow>(
      [this](UINT msg, WPARAM wp, LPARAM lp) { return AppMessage(msg, wp, lp); }, this);
  if (!title_.empty()) SetWindowTextW(window_->Handle(), Widen(title_).c_str());
}

void TApplication::SetTitle(const std::string& title) {
  title_ = title;
  if (window_) SetWindowTextW(window_->Handle(), Widen(title).c_str());
}

std::optional<LRESULT> TApplication::AppMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (HintMessage(msg, wp)) return 0;
  // Each top-level window hears of the session's end; whichever hears first ends it all.
  if (msg == WM_ENDSESSION && wp) {
    EndSession();
    return 0;
  }
  if (msg == WM_TIMER && wp == kLaterTimer) {
    RunLater();
    return 0;
  }
  const auto hooks = hooks_;
  for (const auto& [id, hook] : hooks) {
    LRESULT result = 0;
    if (hook(msg, wp, lp, result)) return result;
  }
  return std::nullopt;
}

void TApplication::Later(TComponent* owner, std::function<void()> action) {
  if (!window_) {
    try {
      action();
    } catch (...) {
      HandleException(owner);
    }
    return;
  }
  later_.push_back({owner, owner ? owner->AliveToken() : std::weak_ptr<const void>(), std::move(action)});
  // A timer's message comes only when no other message, paints included, is waiting.
  if (later_.size() == 1) SetTimer(window_->Handle(), kLaterTimer, 0, nullptr);
}

void TApplication::RunLater() {
  KillTimer(window_->Handle(), kLaterTimer);
  // Actions queued by these actions wait for the next round.
  const std::vector<LaterAction> due = std::exchange(later_, {});
  for (const LaterAction& entry : due) {
    if (entry.owner && entry.alive.expired()) continue;
    try {
      entry.action();
    } catch (...) {
      HandleException(entry.alive.expired() ? nullptr : entry.owner);
    }
  }
}

int TApplication::AddMessageHook(MessageHook hook) {
  hooks_.emplace_back(nextHook_, std::move(hook));
  return nextHook_++;
}

void TApplication::RemoveMessageHook(int id) {
  hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(), [id](const auto& h) { return h.first == id; }), hooks_.end());
}

void TApplication::Minimize() {
  if (window_) SendMessageW(window_->Handle(), WM_SIZE, SIZE_MINIMIZED, 0);
}

void TApplication::Restore() {
  if (window_) SendMessageW(window_->Handle(), WM_SIZE, SIZE_RESTORED, 0);
}

void TApplication::Run() {
  if (mainForm_ && showMainForm_ && !mainForm_->Visible()) mainForm_->Show();
  while (!terminated_) HandleMessage();
}

bool TApplication::HandleMessage() {
  MSG msg;
  const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
  if (got == 0 || got == -1) {
    terminated_ = true;
    return false;
  }
  if (OfferKey(msg)) return true;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the main loop
      return;
    }
    if (OfferKey(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void TApplication::Terminate() {
  if (terminated_) return;
  terminated_ = true;
  PostQuitMessage(0);
}

void TApplication::EndSession() {
  if (sessionEnded_) return;
  sessionEnded_ = true;
  Terminate();
  CancelHint();
  DestroyComponents();
}

void TApplication::ClearTerminated() {
  terminated_ = false;
  sessionEnded_ = false;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

void TApplication::HandleException(TObject* sender) noexcept {
  static thread_local int depth = 0;
  if (!std::current_exception()) return;
  if (depth > 2) return;  // an exception handler that keeps failing: give up quietly
  ++depth;
  try {
    try {
      throw;
    } catch (const Exception& e) {
      if (OnException) OnException(sender, e);
      else ShowException(e);
    } catch (const std::exception& e) {
      const Exception wrapped(e.what());
      if (OnException) OnException(sender, wrapped);
      else ShowException(wrapped);
    } catch (...) {
      const Exception wrapped("An unknown exception occurred");
      if (OnException) OnException(sender, wrapped);
      else ShowException(wrapped);
    }
  } catch (...) {
    // The handler itself failed; the program keeps running.
  }
  --depth;
}

void TApplication::ShowException(const Exception& error) {
  std::string text = error.Message();
  if (!text.empty() && text.back() != '.') text += '.';
  MessageDlg(text, mtError, MB_OK);
}

namespace {
TApplication*& TheApplication() {
  static TApplication* app = nullptr;
  return app;
}
}  // namespace

TApplication& Application() {
  TApplication*& app = TheApplication();
  if (!app) app = new TApplication();
  return *app;
}

void FreeApplication() {
  TApplication*& app = TheApplication();
  if (!app) return;
  // Reachable while it is destroyed: the forms' destructors still ask it.
  app->CancelHint();
  app->DestroyComponents();
  delete app;
  app = nullptr;
}

TScreen& Screen() {
  static TScreen screen;
  return screen;
}

void HandleException(TObject* sender) noexcept { Application().HandleException(sender); }

}  // namespace dorvane
