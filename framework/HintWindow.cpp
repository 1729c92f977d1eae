// The hint window: a small topmost window with a control's hint, brought up by the
// application after the mouse rests on the control.
#include "framework/Application.h"

#include "winapi/Handles.h"
#include "winapi/WideString.h"

namespace dorvane {
namespace {

constexpr UINT_PTR kHintShowTimer = 1;
constexpr UINT_PTR kHintHideTimer = 2;
constexpr const wchar_t* kHintClass = L"DorvaneHintWindow";

LRESULT CALLBACK HintWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PaintDc dc(wnd);
    RECT r;
    GetClientRect(wnd, &r);
    UniqueHbrush back(CreateSolidBrush(ColorToRGB(Application().HintColor())));
    FillRect(dc.get(), &r, back.get());
    FrameRect(dc.get(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    UniqueHfont font(CreateFontIndirectW(&ncm.lfStatusFont));
    const auto select = SelectInto(dc.get(), font.get());
    SetBkMode(dc.get(), TRANSPARENT);
    SetTextColor(dc.get(), ColorToRGB(clInfoText));
    InflateRect(&r, -3, -1);
    const std::wstring text = Widen(Application().HintText());
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &r, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
    return 0;
  }
  if (msg == WM_NCHITTEST) return HTTRANSPARENT;
  return DefWindowProcW(wnd, msg, wp, lp);
}

}  // namespace

bool TApplication::HintShowing() const { return hintWindow_ && IsWindowVisible(hintWindow_.get()); }

void TApplication::HintMouseMove(TControl* control) {
  if (control == hintControl_) return;
  HideHintWindow();
  hintControl_ = control;
  if (!window_) return;
  KillTimer(window_->Handle(), kHintShowTimer);
  hintTimerRunning_ = false;
  if (!control || !control->ShowHint() || control->Hint().empty()) return;
  hintTimerRunning_ = SetTimer(window_->Handle(), kHintShowTimer, hintPause_, nullptr) != 0;
}

void TApplication::CancelHint() {
  if (window_) KillTimer(window_->Handle(), kHintShowTimer);
  hintTimerRunning_ = false;
  HideHintWindow();
  hintControl_ = nullptr;
}

void TApplication::HintTimer() {
  KillTimer(window_->Handle(), kHintShowTimer);
  hintTimerRunning_ = false;
  if (hintControl_ && hintControl_->ShowHint() && !hintControl_->Hint().empty()) ShowHintWindow();
}

void TApplication::ShowHintWindow() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_SAVEBITS | CS_DROPSHADOW;
    wc.lpfnWndProc = &HintWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kHintClass;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  (void)registered;
  hintText_ = hintControl_->Hint();
  if (!hintWindow_) {
    hintWindow_.reset(CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kHintClass, L"",
                                      WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    if (!hintWindow_) return;
  }
  // Size the window to the text, at most a third of the screen wide.
  RECT text{0, 0, Screen().Width() / 3, 0};
  {
    WindowDc dc(hintWindow_.get());
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    UniqueHfont font(CreateFontIndirectW(&ncm.lfStatusFont));
    const auto select = SelectInto(dc.get(), font.get());
    const std::wstring w = Widen(hintText_);
    DrawTextW(dc.get(), w.c_str(), static_cast<int>(w.size()), &text, DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK);
  }
  POINT cursor{};
  GetCursorPos(&cursor);
  const int width = text.right + 8, height = text.bottom + 4;
  int x = cursor.x, y = cursor.y + 20;
  if (x + width > Screen().Width()) x = Screen().Width() - width;
  if (y + height > Screen().Height()) y = cursor.y - height - 4;
  SetWindowPos(hintWindow_.get(), HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(hintWindow_.get(), nullptr, TRUE);
  SetTimer(window_->Handle(), kHintHideTimer, hintHidePause_, nullptr);
}

void TApplication::HideHintWindow() {
  if (window_) KillTimer(window_->Handle(), kHintHideTimer);
  if (hintWindow_ && IsWindowVisible(hintWindow_.get())) ShowWindow(hintWindow_.get(), SW_HIDE);
}

bool TApplication::HintMessage(UINT msg, WPARAM wp) {
  if (msg != WM_TIMER || (wp != kHintShowTimer && wp != kHintHideTimer)) return false;
  if (wp == kHintShowTimer) HintTimer();
  else HideHintWindow();
  return true;
}

}  // namespace dorvane
