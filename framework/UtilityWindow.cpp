#include "framework/UtilityWindow.h"

#include "framework/SysUtils.h"
#include "framework/Trace.h"

namespace dorvane {

TUtilityWindow::TUtilityWindow(Handler handler, TObject* owner, Kind kind)
    : handler_(std::move(handler)), owner_(owner) {
  const bool messageOnly = kind == kMessageOnly;
  const TraceScope trace(messageOnly ? "utility window, message-only" : "utility window, top-level");
  TWindowArgs args;
  args.windowClass = {L"DorvaneUtilityWindow"};
  args.style = messageOnly ? 0 : WS_POPUP;
  args.exStyle = messageOnly ? 0 : WS_EX_TOOLWINDOW;
  args.parent = messageOnly ? HWND_MESSAGE : nullptr;
  if (!CreateBoundWindow(args, *this)) RaiseLastOSError("creating a utility window");
}

TUtilityWindow::~TUtilityWindow() {
  if (!wnd_) return;
  UnbindWindow(wnd_);
  DestroyWindow(wnd_);
}

bool TUtilityWindow::WindowMessage(HWND, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (!handler_) return false;
  // A copy: the handler may free the window's owner, and this object with it.
  const Handler handler = handler_;
  const std::optional<LRESULT> answer = handler(msg, wp, lp);
  if (!answer) return false;
  result = *answer;
  return true;
}

}  // namespace dorvane
