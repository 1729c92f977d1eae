#include "framework/SingleInstance.h"

#include <algorithm>

#include "core/win32/WideString.h"

namespace dorvane {

namespace {

constexpr wchar_t kWindowClass[] = L"DorvaneInstance";
// What a first copy answers; anything else (a window of someone else's that happens to
// have the title, a copy that has stopped listening) is no answer.
constexpr LRESULT kAnswer = 0x44766E;
// Posted to itself: the request runs once the asking program has its answer.
constexpr UINT kRunRequest = WM_APP + 0x51;
// How long a later start waits at a time for the object to come free (a first copy that
// has not made its window yet, or is ending) before it looks for the window again.
constexpr std::chrono::milliseconds kSlice{40};

}  // namespace

TSingleInstance::TSingleInstance(const std::string& name, std::chrono::milliseconds wait)
    : title_(Widen(name + " instance")), message_(RegisterWindowMessageW(Widen(name + ".LaterStart").c_str())) {
  const std::wstring objectName = L"Local\\" + Widen(name) + L".Instance";
  object_.reset(CreateMutexW(nullptr, TRUE, objectName.c_str()));
  const bool taken = object_ && GetLastError() == ERROR_ALREADY_EXISTS;
  // Without the object (the system refused it) nothing can be told: this start runs.
  holds_ = object_ && !taken;
  if (taken) HandOver(wait);
  if (!handedOver_) Listen();
}

TSingleInstance::~TSingleInstance() {
  if (wnd_) {
    UnbindWindow(wnd_);
    DestroyWindow(wnd_);
  }
  if (holds_) ReleaseMutex(object_.get());
}

void TSingleInstance::HandOver(std::chrono::milliseconds wait) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + wait;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return;
    if (HWND first = FindWindowW(kWindowClass, title_.c_str())) {
      // The user started this copy: the first may take the foreground in its place.
      DWORD process = 0;
      GetWindowThreadProcessId(first, &process);
      AllowSetForegroundWindow(process);
      DWORD_PTR answer = 0;
      if (SendMessageTimeoutW(first, message_, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                              static_cast<UINT>(left.count()), &answer) != 0 &&
          static_cast<LRESULT>(answer) == kAnswer) {
        handedOver_ = true;
        return;
      }
    }
    const auto slice = std::min(left, kSlice);
    const DWORD waited = WaitForSingleObject(object_.get(), static_cast<DWORD>(slice.count()));
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
      holds_ = true;  // the first copy has gone
      return;
    }
  }
}

void TSingleInstance::Listen() {
  TWindowArgs args;
  args.windowClass = {kWindowClass};
  args.caption = title_;
  args.style = WS_POPUP;
  args.exStyle = WS_EX_TOOLWINDOW;
  // A start that cannot listen still runs; later starts then run beside it.
  CreateBoundWindow(args, *this);
}

void TSingleInstance::SetOnLaterStart(std::function<void()> action) {
  onLaterStart_ = std::move(action);
  if (pending_ && onLaterStart_ && wnd_) {
    pending_ = false;
    PostMessageW(wnd_, kRunRequest, 0, 0);
  }
}

bool TSingleInstance::WindowMessage(HWND wnd, UINT msg, WPARAM, LPARAM, LRESULT& result) {
  if (msg == message_ && message_ != 0) {
    PostMessageW(wnd, kRunRequest, 0, 0);
    result = kAnswer;
    return true;
  }
  if (msg != kRunRequest) return false;
  result = 0;
  if (!onLaterStart_) {
    pending_ = true;
    return true;
  }
  // A copy: the action may set another.
  const std::function<void()> action = onLaterStart_;
  action();
  return true;
}

}  // namespace dorvane
