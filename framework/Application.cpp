#include "framework/Application.h"

#include <commctrl.h>

#include <algorithm>

#include "core/win32/WideString.h"
#include "framework/ClassBuilder.h"
#include "framework/Dialogs.h"
#include "framework/Forms.h"
#include "framework/FrameworkClasses.h"

namespace dorvane {

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
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES |
                                           ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);
  RegisterFrameworkClasses();
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
  const auto hooks = hooks_;
  for (const auto& [id, hook] : hooks) {
    LRESULT result = 0;
    if (hook(msg, wp, lp, result)) return result;
  }
  return std::nullopt;
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
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void TApplication::Terminate() {
  if (terminated_) return;
  terminated_ = true;
  PostQuitMessage(0);
}

void TApplication::ClearTerminated() {
  terminated_ = false;
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

TApplication& Application() {
  static TApplication* app = new TApplication();  // lives until the process ends
  return *app;
}

TScreen& Screen() {
  static TScreen screen;
  return screen;
}

void HandleException(TObject* sender) noexcept { Application().HandleException(sender); }

}  // namespace dorvane
