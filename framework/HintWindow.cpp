// The hint window and the application's hint timing.
#include "framework/HintWindow.h"

#include "framework/Application.h"
#include "framework/ClassBuilder.h"
#include "winapi/Handles.h"
#include "core/win32/WideString.h"

namespace dorvane {
namespace {

constexpr UINT_PTR kHintShowTimer = 1;
constexpr UINT_PTR kHintHideTimer = 2;
constexpr UINT kHintFormat = DT_LEFT | DT_NOPREFIX | DT_WORDBREAK;

UniqueHfont HintFont() {
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
  return UniqueHfont(CreateFontIndirectW(&ncm.lfStatusFont));
}

}  // namespace

// -- THintWindow ---------------------------------------------------------------------------

const ClassInfo& THintWindow::StaticClass() {
  static const ClassInfo info = ClassBuilder<THintWindow>("THintWindow", &TWinControl::StaticClass()).Build();
  return info;
}

THintWindow::THintWindow(TComponent* owner) : TWinControl(owner) {}

THintWindow::~THintWindow() = default;

void THintWindow::CreateParams(TCreateParams& p) {
  p.windowClass = {L"DorvaneHintWindow", CS_SAVEBITS | CS_DROPSHADOW};
  p.style = WS_POPUP;
  p.exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
}

bool THintWindow::WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_NCHITTEST) {
    result = HTTRANSPARENT;
    return true;
  }
  return TWinControl::WndProc(msg, wp, lp, result);
}

void THintWindow::ActivateHint(const std::string& text) {
  SetCaption(text);
  HWND wnd = Handle();
  const std::wstring wide = Widen(text);
  RECT bounds{0, 0, Screen().Width() / 3, 0};
  {
    WindowDc dc(wnd);
    const UniqueHfont font = HintFont();
    const auto select = SelectInto(dc.get(), font.get());
    DrawTextW(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &bounds, DT_CALCRECT | kHintFormat);
  }
  POINT cursor{};
  GetCursorPos(&cursor);
  const int width = bounds.right + 8, height = bounds.bottom + 4;
  int x = cursor.x, y = cursor.y + 20;
  if (x + width > Screen().Width()) x = Screen().Width() - width;
  if (y + height > Screen().Height()) y = cursor.y - height - 4;
  SetWindowPos(wnd, HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(wnd, nullptr, TRUE);
}

void THintWindow::ReleaseHandle() {
  if (HandleAllocated() && IsWindowVisible(Handle())) ShowWindow(Handle(), SW_HIDE);
}

void THintWindow::PaintWindow(HDC dc) {
  RECT r = ClientRect();
  const UniqueHbrush back(CreateSolidBrush(ColorToRGB(Application().HintColor())));
  FillRect(dc, &r, back.get());
  FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  const UniqueHfont font = HintFont();
  const auto select = SelectInto(dc, font.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(clInfoText));
  InflateRect(&r, -3, -1);
  const std::wstring text = Widen(Caption());
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, kHintFormat);
}

// -- the application's hints ---------------------------------------------------------------

void TApplication::FreeHintWindow::operator()(THintWindow* window) const { window->Free(); }

bool TApplication::HintShowing() const { return hintWindow_ && hintWindow_->Showing(); }

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
  hintText_ = hintControl_->Hint();
  if (!hintWindow_) hintWindow_.reset(new THintWindow(nullptr));
  hintWindow_->ActivateHint(hintText_);
  SetTimer(window_->Handle(), kHintHideTimer, hintHidePause_, nullptr);
}

void TApplication::HideHintWindow() {
  if (window_) KillTimer(window_->Handle(), kHintHideTimer);
  if (hintWindow_) hintWindow_->ReleaseHandle();
}

bool TApplication::HintMessage(UINT msg, WPARAM wp) {
  if (msg != WM_TIMER || (wp != kHintShowTimer && wp != kHintHideTimer)) return false;
  if (wp == kHintShowTimer) HintTimer();
  else HideHintWindow();
  return true;
}

}  // namespace dorvane
