#include "framework/Forms.h"

#include <commctrl.h>

#include <algorithm>

#include "core/DisplayScale.h"
#include "core/ScopeExit.h"
#include "core/win32/WideString.h"
#include "framework/ClassBuilder.h"
#include "framework/Dialogs.h"
#include "framework/DisplayMetrics.h"
#include "framework/FormReader.h"
#include "framework/Resources.h"
#include "framework/SysUtils.h"
#include "framework/Trace.h"
#include "winapi/Handles.h"

namespace dorvane {

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
  accessibility_.reset();  // readers that still hold it learn that the window has gone
  try {
    Fire(OnDestroy, this);
  } catch (...) {
    HandleException(this);
  }
  if (Application().MainForm() == this) Application().SetMainForm(nullptr);
  // The window goes with all its child windows in one call, once OnDestroy (the form
  // storage saves there) has seen them; the components are then freed in order (a tray
  // icon leaves the notification area as it goes).
  {
    const TraceScope trace(TraceEnabled() ? "destroy window " + Name() : std::string());
    DestroyHandle();
  }
  const TraceScope trace(TraceEnabled() ? "free components of " + Name() : std::string());
  TWinControl::BeforeDestruction();
}

bool TForm::DialogKey(WORD key, TShiftState) {
  if (key != VK_ESCAPE || !OnEscape) return false;
  Fire(OnEscape, this);
  return true;
}

void TForm::SetAccessibleSource(TAccessibleSource source) {
  accessibility_ = source ? std::make_unique<TAccessibility>(this, std::move(source)) : nullptr;
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
  {
    // Laid out once when the whole description is read, each child window made in its
    // final place: aligning after every panel and moving windows made too early was
    // most of the main window's start-up.
    const LayoutHold hold;
    LoadFormText(*this, text);
    // The description's figures are at 96 dpi; the window shows them at its own.
    ScaleToDpi(WindowDpi(Handle()));
  }
  {
    const TraceScope trace(TraceEnabled() ? "lay out " + Name() : std::string());
    FinishLayout();
  }
  ApplyLayered();
  BindFields();
  DoCreate();
}

int TForm::Scaled(int figure) const { return ScaleForDpi(figure, dpi_); }

void TForm::ScaleToDpi(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  const int from = dpi_;
  ChangeScale(from, dpi);
}

void TForm::ChangeScale(int fromDpi, int toDpi) {
  dpi_ = toDpi;
  TWinControl::ChangeScale(fromDpi, toDpi);
}

// A form keeps its place on the screen; its client area is what its figures describe.
void TForm::ScaleBounds(int fromDpi, int toDpi) {
  SetClientWidth(RescaleForDpi(ClientWidth(), fromDpi, toDpi));
  SetClientHeight(RescaleForDpi(ClientHeight(), fromDpi, toDpi));
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
  const auto changing = Assigned(changingVisibility_, true);
  if (Visible()) {
    DoShow();
    if (!Visible()) return;  // OnShow hid it again
    const TForm* main = Application().MainForm();
    if (position_ == poMainFormCenter && main && main != this)
      SetBounds(main->Left() + (main->Width() - Width()) / 2, main->Top() + (main->Height() - Height()) / 2, Width(),
                Height());
    else if (position_ == poScreenCenter || position_ == poDesktopCenter || position_ == poMainFormCenter)
      SetBounds((Screen().Width() - Width()) / 2, (Screen().Height() - Height()) / 2, Width(), Height());
    // A form minimised while shown (the taskbar, the desktop shown) and hidden since
    // comes back as it was before it was minimised.
    ShowWindow(Handle(), IsIconic(Handle()) ? SW_RESTORE : SW_SHOW);
    if (formStyle_ == fsStayOnTop)
      SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // The windows of folded views follow once the form has been painted: the form shows
    // sooner, and tools that look for those windows from outside still find them, as they
    // did when every window was made at start.
    if (!restOfWindowsScheduled_) {
      restOfWindowsScheduled_ = true;
      Application().Later(this, [this] { CreateAllHandles(); });
    }
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
  const auto restore = OnScopeExit([this, &disabled] {
    for (HWND w : disabled) EnableWindow(w, TRUE);
    inModal_ = false;
    if (Visible()) Hide();
  });
  Show();
  BringToFront();
  while (modalResult_ == mrNone && !Application().Terminated()) {
    if (!Application().HandleMessage()) break;
  }
  return modalResult_;
}

void TForm::Show() {
  SetVisible(true);
  // Minimised while it stayed shown (nothing hid it into the tray): no change of the
  // visibility would restore it.
  RestoreIfMinimised();
}

void TForm::RestoreIfMinimised() {
  if (Visible() && HandleAllocated() && IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
}

void TForm::BringToFront() {
  RestoreIfMinimised();
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
  UniqueHrgn region(CreateRoundRectRgn(rect.left, rect.top, rect.right, rect.bottom, ellipseWidth, ellipseHeight));
  if (!region) RaiseLastOSError("creating the window outline");
  if (!SetWindowRgn(Handle(), region.get(), TRUE)) RaiseLastOSError("setting the window outline");
  region.release();  // the window owns the region from here on
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
    case WM_DPICHANGED: {
      // Another monitor or another scale: everything to the new DPI, then the place and
      // size the system suggests for it.
      const RECT suggested = *reinterpret_cast<const RECT*>(lp);
      ScaleToDpi(HIWORD(wp));
      SetBounds(suggested.left, suggested.top, suggested.right - suggested.left, suggested.bottom - suggested.top);
      Fire(OnDpiChanged, this);
      result = 0;
      return true;
    }
    case WM_QUERYENDSESSION:
      result = CloseQuery() ? TRUE : FALSE;
      if (result) {
        try {
          SessionMayEnd();
        } catch (...) {
          HandleException(this);
        }
      }
      return true;
    case WM_GETOBJECT:
      if (accessibility_ && accessibility_->Answer(Handle(), wp, lp, result)) return true;
      return TWinControl::WndProc(msg, wp, lp, result);
    case WM_ENDSESSION:
      // The process may be ended once this is answered: the program ends now. This
      // form may be gone when EndSession returns.
      result = 0;
      if (wp && Application().MainForm() == this) Application().EndSession();
      return true;
    default:
      return TWinControl::WndProc(msg, wp, lp, result);
  }
}

}  // namespace dorvane
