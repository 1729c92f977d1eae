#include "framework/Forms.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/ClassBuilder.h"
#include "framework/Dialogs.h"
#include "framework/FormReader.h"
#include "framework/Handles.h"
#include "framework/SysUtils.h"
#include "framework/WideString.h"

namespace dorvane {

void RegisterFrameworkClasses();

namespace {

const EnumType& FormBorderStyleType() {
  static const EnumType t{"TFormBorderStyle", {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"}};
  return t;
}
const EnumType& FormStyleType() {
  static const EnumType t{"TFormStyle", {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"}};
  return t;
}
const EnumType& PositionType() {
  static const EnumType t{"TPosition", {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                                        "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"}};
  return t;
}

}  // namespace

// -- TForm ------------------------------------------------------------------------------

const ClassInfo& TForm::StaticClass() {
  static const ClassInfo info =
      ClassBuilder<TForm>("TForm", &TWinControl::StaticClass())
          .Enum("BorderStyle", &TForm::BorderStyle, &TForm::SetBorderStyle, FormBorderStyleType(), fbsSizeable)
          .Enum("FormStyle", &TForm::FormStyle, &TForm::SetFormStyle, FormStyleType(), fsNormal)
          .Enum("Position", &TForm::Position, &TForm::SetPosition, PositionType(), poDesigned)
          .Bool("AlphaBlend", &TForm::AlphaBlend, &TForm::SetAlphaBlend, false)
          .Int("AlphaBlendValue", &TForm::AlphaBlendValue, &TForm::SetAlphaBlendValue, 255)
          .Int("ClientWidth", &TForm::ClientWidth, &TForm::SetClientWidth, std::nullopt)
          .Int("ClientHeight", &TForm::ClientHeight, &TForm::SetClientHeight, std::nullopt)
          .Event("OnCreate", &TForm::OnCreate)
          .Event("OnShow", &TForm::OnShow)
          .Event("OnHide", &TForm::OnHide)
          .Event("OnClose", &TForm::OnClose)
          .Event("OnCloseQuery", &TForm::OnCloseQuery)
          .Event("OnDestroy", &TForm::OnDestroy)
          .Event("OnActivate", &TForm::OnActivate)
          .Event("OnDeactivate", &TForm::OnDeactivate)
          .Build();
  return info;
}

TForm::TForm(TComponent* owner) : TWinControl(owner) {
  // A form starts hidden; showing it is a separate step.
  changingVisibility_ = true;
  SetVisible(false);
  changingVisibility_ = false;
  SetParentColor(false);
  SetParentFont(false);
}

TForm::~TForm() = default;

void TForm::BeforeDestruction() {
  try {
    Fire(OnDestroy, this);
  } catch (...) {
    HandleException(this);
  }
  if (Application().MainForm() == this) Application().SetMainForm(nullptr);
  TWinControl::BeforeDestruction();
}

void TForm::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.parent = nullptr;
  p.style = WS_CLIPCHILDREN;
  switch (borderStyle_) {
    case fbsNone: p.style |= WS_POPUP; break;
    case fbsSingle: p.style |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX; break;
    case fbsDialog: p.style |= WS_POPUP | WS_CAPTION | WS_SYSMENU; p.exStyle |= WS_EX_DLGMODALFRAME; break;
    case fbsToolWindow: p.style |= WS_CAPTION | WS_SYSMENU; p.exStyle |= WS_EX_TOOLWINDOW; break;
    case fbsSizeToolWin: p.style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME; p.exStyle |= WS_EX_TOOLWINDOW; break;
    default: p.style |= WS_OVERLAPPEDWINDOW; break;
  }
  if (formStyle_ == fsStayOnTop) p.exStyle |= WS_EX_TOPMOST;
  if (alphaBlend_) p.exStyle |= WS_EX_LAYERED;
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  if (HandleAllocated()) {
    TCreateParams p;
    CreateParams(p);
    SetWindowLongW(Handle(), GWL_STYLE, static_cast<LONG>(p.style | (IsWindowVisible(Handle()) ? WS_VISIBLE : 0)));
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE);
  }
}

void TForm::SetFormStyle(TFormStyle style) {
  if (style == formStyle_) return;
  formStyle_ = style;
  if (HandleAllocated())
    SetWindowPos(Handle(), style == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm::SetAlphaBlend(bool value) {
  if (value == alphaBlend_) return;
  alphaBlend_ = value;
  ApplyLayered();
}

void TForm::SetAlphaBlendValue(int value) {
  value = std::clamp(value, 0, 255);
  if (value == alphaValue_) return;
  alphaValue_ = value;
  if (alphaBlend_) ApplyLayered();
}

void TForm::ApplyLayered() {
  if (!HandleAllocated()) return;
  HWND wnd = Handle();
  const LONG ex = GetWindowLongW(wnd, GWL_EXSTYLE);
  if (alphaBlend_) {
    if (!(ex & WS_EX_LAYERED)) SetWindowLongW(wnd, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    SetLayeredWindowAttributes(wnd, 0, static_cast<BYTE>(alphaValue_), LWA_ALPHA);
  } else if (ex & WS_EX_LAYERED) {
    SetWindowLongW(wnd, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
  }
}

bool TForm::Active() const { return const_cast<TForm*>(this)->HandleAllocated() && GetActiveWindow() == const_cast<TForm*>(this)->Handle(); }

bool TForm::Showing() const { return Visible() && const_cast<TForm*>(this)->HandleAllocated(); }

void TForm::InitializeForm(std::string_view resourceName) {
  const std::vector<std::uint8_t> bytes = ResourceBytes(resourceName);
  InitializeFormText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void TForm::InitializeFormText(std::string_view text) {
  HandleNeeded();
  LoadFormText(*this, text);
  ApplyLayered();
  BindFields();
  DoCreate();
}

void TForm::DoCreate() {
  try {
    Fire(OnCreate, this);
  } catch (...) {
    HandleException(this);
  }
}

const MethodEntry* TForm::FindMethod(std::string_view name) const {
  if (methods_.empty()) methods_ = Methods();
  for (const MethodEntry& m : methods_)
    if (SameText(m.name, name)) return &m;
  return nullptr;
}

void TForm::VisibleChanged() {
  if (changingVisibility_ || !HandleAllocated()) return;
  changingVisibility_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{changingVisibility_};
  if (Visible()) {
    DoShow();
    if (!Visible()) return;  // OnShow hid it again
    if (position_ == poScreenCenter || position_ == poDesktopCenter)
      SetBounds((Screen().Width() - Width()) / 2, (Screen().Height() - Height()) / 2, Width(), Height());
    ShowWindow(Handle(), SW_SHOW);
    if (formStyle_ == fsStayOnTop)
      SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  } else {
    DoHide();
    ShowWindow(Handle(), SW_HIDE);
  }
}

void TForm::DoShow() { Fire(OnShow, this); }
void TForm::DoHide() { Fire(OnHide, this); }
void TForm::DoClose(TCloseAction& action) { Fire(OnClose, this, action); }

namespace {
// The windows a modal form disables while it is shown.
BOOL CALLBACK CollectEnabledWindow(HWND wnd, LPARAM lp) {
  auto* list = reinterpret_cast<std::vector<HWND>*>(lp);
  if (IsWindowVisible(wnd) && IsWindowEnabled(wnd)) list->push_back(wnd);
  return TRUE;
}
}  // namespace

void TForm::BeginMoveByMouse() { Application().Desktop().RunMoveLoop(*this); }

bool TForm::CloseQuery() {
  bool canClose = true;
  Fire(OnCloseQuery, this, canClose);
  return canClose;
}

void TForm::Close() {
  if (inModal_) {
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = Application().MainForm() == this ? caFree : caHide;
  DoClose(action);
  switch (action) {
    case caNone: return;
    case caHide: Hide(); break;
    case caMinimize: ShowWindow(Handle(), SW_MINIMIZE); break;
    case caFree:
      if (Application().MainForm() == this) Application().Terminate();
      else Hide();
      break;
  }
}

TModalResult TForm::ShowModal() { return modalResult_ = Application().Desktop().RunModal(*this); }

TModalResult TForm::ModalLoop() {
  if (Visible() || inModal_) throw EInvalidOperation("Cannot make a visible window modal");
  std::vector<HWND> disabled;
  EnumThreadWindows(GetCurrentThreadId(), &CollectEnabledWindow, reinterpret_cast<LPARAM>(&disabled));
  disabled.erase(std::remove(disabled.begin(), disabled.end(), Handle()), disabled.end());
  for (HWND w : disabled) EnableWindow(w, FALSE);
  inModal_ = true;
  modalResult_ = mrNone;
  struct Restore {
    TForm& form;
    std::vector<HWND>& list;
    ~Restore() {
      for (HWND w : list) EnableWindow(w, TRUE);
      form.inModal_ = false;
      if (form.Visible()) form.Hide();
    }
  } restore{*this, disabled};
  Show();
  BringToFront();
  while (modalResult_ == mrNone && !Application().Terminated()) {
    if (!Application().HandleMessage()) break;
  }
  return modalResult_;
}

void TForm::BringToFront() {
  if (HandleAllocated()) {
    SetWindowPos(Handle(), formStyle_ == fsStayOnTop ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(Handle());
  }
}

bool TForm::SetRoundedRegion(const RECT& rect, int ellipseWidth, int ellipseHeight) {
  if (hasRegion_ && EqualRect(&rect, &regionRect_) && regionEllipse_.cx == ellipseWidth &&
      regionEllipse_.cy == ellipseHeight)
    return false;
  HRGN region = CreateRoundRectRgn(rect.left, rect.top, rect.right, rect.bottom, ellipseWidth, ellipseHeight);
  if (!region) RaiseLastOSError("creating the window outline");
  // The window owns the region from here on.
  if (!SetWindowRgn(Handle(), region, TRUE)) {
    DeleteObject(region);
    RaiseLastOSError("setting the window outline");
  }
  regionRect_ = rect;
  regionEllipse_ = {ellipseWidth, ellipseHeight};
  hasRegion_ = true;
  Invalidate();
  return true;
}

bool TForm::WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_CLOSE:
      Close();
      result = 0;
      return true;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) Fire(OnDeactivate, this);
      else Fire(OnActivate, this);
      return false;
    case WM_SIZE:
      if (wp == SIZE_MINIMIZED && Application().MainForm() == this) Application().Minimize();
      return TWinControl::WndProc(msg, wp, lp, result);
    case WM_QUERYENDSESSION:
      result = CloseQuery() ? TRUE : FALSE;
      return true;
    default:
      return TWinControl::WndProc(msg, wp, lp, result);
  }
}

// -- TApplication ------------------------------------------------------------------------

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
    SelectObjectGuard select(dc.get(), font.get());
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
    SelectObjectGuard select(dc.get(), font.get());
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

std::optional<LRESULT> TApplication::AppMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER && (wp == kHintShowTimer || wp == kHintHideTimer)) {
    if (wp == kHintShowTimer) HintTimer();
    else HideHintWindow();
    return 0;
  }
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

void RegisterFormClasses() {}

}  // namespace dorvane
