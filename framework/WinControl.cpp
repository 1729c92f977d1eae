// Windowed controls: their windows (made through the one window plumbing, framework/
// Window.h), the messages that reach them, their children, and the state they push into
// their windows.
#include "framework/Controls.h"

#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>

#include "framework/Application.h"
#include "framework/ClassBuilder.h"
#include "framework/SysUtils.h"
#include "framework/Trace.h"
#include "core/win32/WideString.h"

namespace dorvane {

// -- TWinControl -------------------------------------------------------------------------

const ClassInfo& TWinControl::StaticClass() {
  static const ClassInfo info =
      ClassBuilder<TWinControl>("TWinControl", &TControl::StaticClass())
          .Bool("DoubleBuffered", &TWinControl::DoubleBuffered, &TWinControl::SetDoubleBuffered, false)
          .Int("BorderWidth", &TWinControl::BorderWidth, &TWinControl::SetBorderWidth, 0)
          .Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, false)
          .Int("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder, -1)
          .Build();
  return info;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  // Children not owned by this control are only detached; their owner frees them.
  while (!controls_.empty()) controls_.back()->SetParent(nullptr);
  DestroyHandle();
}

TWinControl* TWinControl::FromHandle(HWND wnd) {
  // A control's object is its own sender; any other object bound to a window is none.
  TWindowTarget* target = WindowTargetOf(wnd);
  auto* control = target ? dynamic_cast<TWinControl*>(target->MessageSender()) : nullptr;
  return control && static_cast<TWindowTarget*>(control) == target ? control : nullptr;
}

HWND TWinControl::Handle() {
  if (!wnd_) CreateWnd();
  return wnd_;
}

void TWinControl::CreateParams(TCreateParams& p) {
  p.style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  if (Visible()) p.style |= WS_VISIBLE;
  if (!Enabled()) p.style |= WS_DISABLED;
  p.x = Left();
  p.y = Top();
  p.width = Width();
  p.height = Height();
  p.caption = Widen(Caption());
  if (Parent()) p.parent = Parent()->Handle();
}

void TWinControl::CreateWnd() {
  if (wnd_ || creating_) return;
  // A control of a form being destroyed gets no new window: the form's went with all of
  // its children in one call.
  for (const TWinControl* c = this; c; c = c->Parent())
    if (c->IsDestroying()) return;
  TCreateParams p;
  CreateParams(p);
  if ((p.style & WS_CHILD) && !p.parent)
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  TWindowArgs args;
  args.windowClass = p.windowClass;
  args.systemClass = p.className.empty() ? nullptr : p.className.c_str();
  args.caption = p.caption;
  args.style = p.style;
  args.exStyle = p.exStyle;
  args.x = p.x;
  args.y = p.y;
  args.width = p.width;
  args.height = p.height;
  args.parent = p.parent;
  systemClass_ = !p.className.empty();
  // Bound from WM_NCCREATE on (wnd_ is set then); what the window says of its size and
  // place while it is being made is what this control asked for.
  creating_ = true;
  HWND wnd = CreateBoundWindow(args, *this);
  creating_ = false;
  if (!wnd) RaiseLastOSError("creating the window of '" + Name() + "'");
  if (systemClass_ || Parent()) {
    fontHandle_.reset();
    SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
  }
  HandleCreated();
  CreateChildHandles();
  Realign();
}

void TWinControl::DestroyHandle() {
  if (!wnd_) return;
  HandleDestroying();
  HWND wnd = wnd_;
  wnd_ = nullptr;
  UnbindWindow(wnd);
  DestroyWindow(wnd);
}

void TWinControl::WindowGone(HWND wnd) {
  // Destroyed with its parent's window: made again when next needed.
  if (wnd_ == wnd) wnd_ = nullptr;
}

bool TWinControl::WindowMessage(HWND, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  return WndProc(msg, wp, lp, result);
}

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wp, LPARAM lp) {
  if (!wnd_) return 0;
  return systemClass_ ? DefSubclassProc(wnd_, msg, wp, lp) : DefWindowProcW(wnd_, msg, wp, lp);
}

bool TWinControl::WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_PAINT: {
      if (systemClass_) return false;
      const TraceScope trace(TraceEnabled() ? "paint " + Name() : std::string());
      PaintMessage();
      result = 0;
      return true;
    }
    case WM_ERASEBKGND:
      if (systemClass_) return false;
      result = 1;  // painted with the rest in WM_PAINT, so nothing flickers
      return true;
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP:
    case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK:
    case WM_MOUSEMOVE:
      RouteMouse(msg, wp, lp);
      return !systemClass_ ? (result = 0, true) : false;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      UpdateMouseOver(nullptr);
      Application().HintMouseMove(nullptr);
      return false;
    case WM_CAPTURECHANGED:
      // The mouse taken by another window (a move loop, a menu): the press ends unclicked.
      if (reinterpret_cast<HWND>(lp) != wnd_) captured_ = leftPressed_ = nullptr;
      return false;
    case WM_CONTEXTMENU:
      if (!ContextMenuMessage(lp)) return false;
      result = 0;
      return true;
    case WM_SETCURSOR:
      if (!SetCursorMessage(lp)) return false;
      result = TRUE;
      return true;
    case WM_COMMAND: case WM_NOTIFY: case WM_HSCROLL: case WM_VSCROLL: case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC: case WM_CTLCOLORBTN: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX:
      return ReflectToChild(msg, wp, lp, result);
    case WM_SIZE:
    case WM_MOVE:
      if (!creating_) SizeMessage();
      return false;
    default:
      return false;
  }
}

bool TWinControl::ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  HWND from = nullptr;
  switch (msg) {
    case WM_NOTIFY: from = reinterpret_cast<const NMHDR*>(lp)->hwndFrom; break;
    case WM_DRAWITEM: {
      // Controls carry their own window as the item's window; menus are handled by the
      // menu window.
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (item->CtlType != ODT_MENU) from = item->hwndItem;
      break;
    }
    default: from = reinterpret_cast<HWND>(lp); break;
  }
  TWinControl* child = FromHandle(from);
  return child && child != this && child->Reflected(msg, wp, lp, result);
}

bool TWinControl::Reflected(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  switch (msg) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wp);
      SetTextColor(dc, ColorToRGB(Font().Color()));
      SetBkColor(dc, ColorToRGB(Color()));
      result = reinterpret_cast<LRESULT>(BackgroundBrush());
      return true;
    }
    default:
      return false;
  }
}

void TWinControl::InsertControl(TControl* control) {
  controls_.push_back(control);
  control->parent_ = this;
  if (control->parentColor_) control->ParentColorChanged();
  if (control->parentFont_) control->ParentFontChanged();
  if (control->parentShowHint_) control->showHint_ = ShowHint();
  if (auto* w = dynamic_cast<TWinControl*>(control)) {
    if (wnd_) {
      if (w->wnd_) ::SetParent(w->wnd_, wnd_);
      // A control read from a form description gets its window once it is loaded.
      else if (!w->IsLoading() && ChildWindowsWanted()) w->CreateWnd();
    }
  }
  control->Invalidate();
  control->RequestAlign();
}

void TWinControl::RemoveControl(TControl* control) {
  control->Invalidate();
  if (captured_ == control) captured_ = nullptr;
  if (leftPressed_ == control) leftPressed_ = nullptr;
  if (mouseOver_ == control) mouseOver_ = nullptr;
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
  control->parent_ = nullptr;
  if (auto* w = dynamic_cast<TWinControl*>(control)) w->DestroyHandle();
  if (control->Align() != alNone && !IsDestroying()) AlignControls(nullptr);
}

void TWinControl::SetParent(TWinControl* parent) {
  TControl::SetParent(parent);
}

void TWinControl::SetBorderWidth(int value) {
  if (value == borderWidth_) return;
  borderWidth_ = value;
  Realign();
  Invalidate();
}

bool TWinControl::Showing() const {
  if (!wnd_) return false;
  return IsWindowVisible(wnd_) != FALSE;
}

bool TWinControl::Focused() const { return wnd_ && GetFocus() == wnd_; }

bool TWinControl::ContainsFocus() const {
  const HWND focus = GetFocus();
  return wnd_ && focus && (focus == wnd_ || IsChild(wnd_, focus));
}

bool TWinControl::CanFocus() const { return wnd_ && Visible() && Enabled(); }

void TWinControl::SetFocus() {
  if (wnd_) ::SetFocus(wnd_);
}

void TWinControl::Invalidate() {
  if (wnd_) InvalidateRect(wnd_, nullptr, systemClass_ ? TRUE : FALSE);
}

void TWinControl::Update() {
  if (wnd_) UpdateWindow(wnd_);
}

void TWinControl::SetEnabled(bool enabled) {
  TControl::SetEnabled(enabled);
}

void TWinControl::EnabledChanged() {
  if (wnd_) EnableWindow(wnd_, Enabled());
}

void TWinControl::VisibleChanged() {
  if (wnd_) ShowWindow(wnd_, Visible() ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::TextChanged() {
  if (wnd_) SetWindowTextW(wnd_, Widen(Caption()).c_str());
  Invalidate();
}

void TWinControl::ColorChanged() {
  Invalidate();
  for (TControl* c : controls_) c->ParentColorChanged();
}

void TWinControl::FontChanged() {
  if (wnd_ && systemClass_) SendMessageW(wnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
  Invalidate();
  for (TControl* c : controls_) c->ParentFontChanged();
}

void TWinControl::Loaded() {
  TControl::Loaded();
  Realign();
  if (!wnd_ && Parent() && Parent()->ChildWindowsWanted()) CreateWnd();
}

}  // namespace dorvane
