#include "framework/Controls.h"

#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>

#include "framework/ClassBuilder.h"
#include "core/ScopeExit.h"
#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/SysUtils.h"
#include "framework/Trace.h"
#include "winapi/WideString.h"

namespace dorvane {

namespace {

std::atomic<std::uint64_t> g_paints{0};
// Layout holds of this thread (TWinControl::LayoutHold).
thread_local int g_layoutHolds = 0;
constexpr const wchar_t* kControlClass = L"DorvaneControl";
constexpr const wchar_t* kObjectProp = L"DorvaneObject";

bool RectsIntersect(const RECT& a, const RECT& b) {
  RECT r;
  return IntersectRect(&r, &a, &b) != FALSE;
}

void EnsureControlClass() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcW;  // replaced per window in WM_NCCREATE handling below
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kControlClass;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  (void)registered;
}

}  // namespace

bool IsAccel(wchar_t ch, std::string_view caption) {
  auto upper = [](wchar_t c) {
    return static_cast<wchar_t>(reinterpret_cast<std::uintptr_t>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<std::uintptr_t>(c)))));
  };
  const std::wstring text = Widen(caption);
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != L'&') continue;
    if (text[i + 1] != L'&') return ch != 0 && upper(text[i + 1]) == upper(ch);
    ++i;
  }
  return false;
}

std::span<const IntIdent> CursorIdents() {
  static constexpr IntIdent kCursors[] = {{"crDefault", crDefault},   {"crArrow", crArrow},
                                          {"crCross", crCross},       {"crIBeam", crIBeam},
                                          {"crHourGlass", crHourGlass}, {"crHandPoint", crHandPoint},
                                          {"crSizeAll", crSizeAll}};
  return kCursors;
}

HCURSOR CursorHandle(TCursor cursor) {
  LPCWSTR id = IDC_ARROW;
  switch (cursor) {
    case crHandPoint: id = IDC_HAND; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crCross: id = IDC_CROSS; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    case crHourGlass: id = IDC_WAIT; break;
    default: break;
  }
  return LoadCursorW(nullptr, id);
}

std::uint64_t PaintCount() { return g_paints.load(); }

const EnumType& AlignType() {
  static const EnumType t{"TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"}};
  return t;
}

const EnumType& BorderStyleType() {
  static const EnumType t{"TBorderStyle", {"bsNone", "bsSingle"}};
  return t;
}

const EnumType& AnchorKindType() {
  static const EnumType t{"TAnchorKind", {"akLeft", "akTop", "akRight", "akBottom"}};
  return t;
}

TShiftState ShiftFromKeys(WPARAM keys) {
  TShiftState s = 0;
  if (keys & MK_SHIFT) s |= ShiftOf(ssShift);
  if (keys & MK_CONTROL) s |= ShiftOf(ssCtrl);
  if (keys & MK_LBUTTON) s |= ShiftOf(ssLeft);
  if (keys & MK_RBUTTON) s |= ShiftOf(ssRight);
  if (keys & MK_MBUTTON) s |= ShiftOf(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s |= ShiftOf(ssAlt);
  return s;
}

TShiftState CurrentShiftState() {
  TShiftState s = 0;
  if (GetAsyncKeyState(VK_SHIFT) & 0x8000) s |= ShiftOf(ssShift);
  if (GetAsyncKeyState(VK_MENU) & 0x8000) s |= ShiftOf(ssAlt);
  if (GetAsyncKeyState(VK_CONTROL) & 0x8000) s |= ShiftOf(ssCtrl);
  return s;
}

// -- TControl -------------------------------------------------------------------------

const ClassInfo& TControl::StaticClass() {
  static const ClassInfo info =
      ClassBuilder<TControl>("TControl", &TComponent::StaticClass())
          .Int("Left", &TControl::Left, &TControl::SetLeft, std::nullopt)
          .Int("Top", &TControl::Top, &TControl::SetTop, std::nullopt)
          .Int("Width", &TControl::Width, &TControl::SetWidth, std::nullopt)
          .Int("Height", &TControl::Height, &TControl::SetHeight, std::nullopt)
          .Enum("Align", &TControl::Align, &TControl::SetAlign, AlignType(), alNone)
          .Set("Anchors", &TControl::Anchors, &TControl::SetAnchors, AnchorKindType(), (1u << akLeft) | (1u << akTop))
          .Bool("Visible", &TControl::Visible, &TControl::SetVisible, true)
          .Bool("Enabled", &TControl::Enabled, &TControl::SetEnabled, true)
          .Color("Color", &TControl::Color, &TControl::SetColor, clBtnFace)
          .Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, true)
          .Object("Font", [](const TControl& c) -> TObject* { return const_cast<TFont*>(&c.Font()); }, TFont::StaticClass())
          .Bool("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, true)
          .Str("Caption", &TControl::Caption, &TControl::SetCaption)
          .Str("Hint", &TControl::Hint, &TControl::SetHint)
          .Bool("ShowHint", &TControl::ShowHint, &TControl::SetShowHint, false)
          .Bool("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true)
          .Ref("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu, &TPopupMenu::StaticClass)
          .Int("Cursor", &TControl::Cursor, &TControl::SetCursor, crDefault, CursorIdents())
          .Int("Tag", &TControl::Tag, &TControl::SetTag, 0)
          .Event("OnClick", &TControl::OnClick)
          .Event("OnDblClick", &TControl::OnDblClick)
          .Event("OnMouseDown", &TControl::OnMouseDown)
          .Event("OnMouseUp", &TControl::OnMouseUp)
          .Event("OnMouseMove", &TControl::OnMouseMove)
          .Event("OnMouseEnter", &TControl::OnMouseEnter)
          .Event("OnMouseLeave", &TControl::OnMouseLeave)
          .Event("OnResize", &TControl::OnResize)
          .Build();
  return info;
}

TControl::TControl(TComponent* owner) : TComponent(owner), font_(std::make_unique<TFont>()) {
  font_->OnChange = [this](TObject*) {
    parentFont_ = false;
    FontChanged();
  };
}

TControl::~TControl() {
  if (Application().HintControl() == this) Application().CancelHint();
  if (parent_) parent_->RemoveControl(this);
  parent_ = nullptr;
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  const bool resized = width != width_ || height != height_;
  Invalidate();
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  BoundsChanged();
  Invalidate();
  RequestAlign();
  if (resized && !IsLoading()) Fire(OnResize, this);
}

void TControl::BoundsChanged() {}

void TControl::SetClientWidth(int v) { SetWidth(width_ - ClientWidth() + v); }
void TControl::SetClientHeight(int v) { SetHeight(height_ - ClientHeight() + v); }

void TControl::SetAlign(TAlign align) {
  if (align == align_) return;
  align_ = align;
  RequestAlign();
}

void TControl::RequestAlign() {
  if (parent_ && !IsLoading()) parent_->AlignControls(this);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (parent_) parent_->RemoveControl(this);
  if (parent) parent->InsertControl(this);
}

void TControl::SetParentComponent(TComponent* parent) {
  if (auto* w = dynamic_cast<TWinControl*>(parent)) SetParent(w);
}

TComponent* TControl::GetParentComponent() const { return parent_; }

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  if (!visible) Invalidate();
  visible_ = visible;
  VisibleChanged();
  if (visible) Invalidate();
  RequestAlign();
}

bool TControl::Showing() const { return visible_ && parent_ && parent_->Showing(); }

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  EnabledChanged();
  Invalidate();
}

void TControl::SetColor(TColor color) {
  parentColor_ = false;
  if (color == color_) return;
  color_ = color;
  ColorChanged();
}

void TControl::SetParentColor(bool value) {
  if (value == parentColor_) return;
  parentColor_ = value;
  if (value && parent_) {
    ParentColorChanged();
  }
}

void TControl::ParentColorChanged() {
  if (parentColor_ && parent_ && parent_->Color() != color_) {
    color_ = parent_->Color();
    ColorChanged();
  }
}

void TControl::SetParentFont(bool value) {
  if (value == parentFont_) return;
  parentFont_ = value;
  if (value) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!parentFont_ || !parent_) return;
  auto saved = std::move(font_->OnChange);
  font_->Assign(parent_->Font());
  font_->OnChange = std::move(saved);
  FontChanged();
}

void TControl::SetCaption(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  TextChanged();
}

void TControl::SetHint(const std::string& hint) { hint_ = hint; }

void TControl::SetShowHint(bool value) {
  showHint_ = value;
  parentShowHint_ = false;
}

void TControl::SetParentShowHint(bool value) {
  parentShowHint_ = value;
  if (value && parent_) showHint_ = parent_->ShowHint();
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
  if (menu == popupMenu_) return;
  if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
  popupMenu_ = menu;
  if (menu) menu->FreeNotification(this);
}

void TControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == popupMenu_) popupMenu_ = nullptr;
}

void TControl::ColorChanged() {
  Invalidate();
}

void TControl::FontChanged() { Invalidate(); }
void TControl::TextChanged() { Invalidate(); }
void TControl::EnabledChanged() {}
void TControl::VisibleChanged() {}

void TControl::Invalidate() {
  if (!parent_ || !parent_->HandleAllocated() || !visible_) return;
  const RECT r = BoundsRect();
  InvalidateRect(parent_->wnd_, &r, FALSE);
}

void TControl::Update() {
  if (parent_) parent_->Update();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

POINT TControl::OriginInWindow() const {
  POINT p{0, 0};
  const TControl* c = this;
  while (c && !dynamic_cast<const TWinControl*>(c)) {
    p.x += c->left_;
    p.y += c->top_;
    c = c->parent_;
  }
  return p;
}

POINT TControl::ClientToScreen(POINT p) const {
  if (auto* w = dynamic_cast<const TWinControl*>(this)) {
    if (w->wnd_) ::ClientToScreen(w->wnd_, &p);
    return p;
  }
  if (!parent_) return p;
  p.x += left_;
  p.y += top_;
  return parent_->ClientToScreen(p);
}

POINT TControl::ScreenToClient(POINT p) const {
  if (auto* w = dynamic_cast<const TWinControl*>(this)) {
    if (w->wnd_) ::ScreenToClient(w->wnd_, &p);
    return p;
  }
  if (!parent_) return p;
  p = parent_->ScreenToClient(p);
  p.x -= left_;
  p.y -= top_;
  return p;
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  Fire(OnMouseDown, this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  Fire(OnMouseUp, this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) { Fire(OnMouseMove, this, shift, x, y); }
void TControl::MouseEnter() { Fire(OnMouseEnter, this); }
void TControl::MouseLeave() { Fire(OnMouseLeave, this); }
void TControl::Click() { Fire(OnClick, this); }
void TControl::DblClick() { Fire(OnDblClick, this); }

bool TControl::ContextPopup(POINT screen) {
  if (popupMenu_ && popupMenu_->AutoPopup()) {
    popupMenu_->SetPopupComponent(this);
    popupMenu_->Popup(screen.x, screen.y);
    return true;
  }
  return false;
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (parentColor_ && parent_) ParentColorChanged();
  if (parentFont_ && parent_) ParentFontChanged();
  if (parentShowHint_ && parent_) showHint_ = parent_->ShowHint();
  RequestAlign();
}

// -- TGraphicControl --------------------------------------------------------------------

const ClassInfo& TGraphicControl::StaticClass() {
  static const ClassInfo info = ClassBuilder<TGraphicControl>("TGraphicControl", &TControl::StaticClass()).Build();
  return info;
}

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner), canvas_(std::make_unique<TCanvas>()) {}

TGraphicControl::~TGraphicControl() = default;

namespace {

// A control's canvas on a device context for one paint, with the control's font; the
// guard lets go of the device context on every way out.
[[nodiscard]] auto BindCanvas(TCanvas& canvas, HDC dc, const TFont& font) {
  canvas.SetHandle(dc);
  auto release = OnScopeExit([&canvas] { canvas.SetHandle(nullptr); });
  canvas.Font().Assign(font);
  return release;
}

}  // namespace

void TGraphicControl::PaintTo(HDC dc) {
  ++g_paints;
  const auto binding = BindCanvas(*canvas_, dc, Font());
  Paint();
}

// -- TWinControl -------------------------------------------------------------------------

const ClassInfo& TWinControl::StaticClass() {
  static const ClassInfo info =
      ClassBuilder<TWinControl>("TWinControl", &TControl::StaticClass())
          .Bool("DoubleBuffered", &TWinControl::DoubleBuffered, &TWinControl::SetDoubleBuffered, false)
          .Int("BorderWidth", &TWinControl::BorderWidth, &TWinControl::SetBorderWidth, 0)
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
  if (!wnd) return nullptr;
  return static_cast<TWinControl*>(GetPropW(wnd, kObjectProp));
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
  TCreateParams p;
  CreateParams(p);
  if ((p.style & WS_CHILD) && !p.parent)
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  creating_ = true;
  HWND wnd = nullptr;
  if (p.className.empty()) {
    EnsureControlClass();
    wnd = CreateWindowExW(p.exStyle, kControlClass, p.caption.c_str(), p.style, p.x, p.y, p.width, p.height,
                          p.parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  } else {
    wnd = CreateWindowExW(p.exStyle, p.className.c_str(), p.caption.c_str(), p.style, p.x, p.y, p.width,
                          p.height, p.parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  creating_ = false;
  if (!wnd) RaiseLastOSError("creating the window of '" + Name() + "'");
  wnd_ = wnd;
  systemClass_ = !p.className.empty();
  SetPropW(wnd, kObjectProp, this);
  if (systemClass_) {
    SetWindowSubclass(wnd, &TWinControl::SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
  } else {
    SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWinControl::WindowProc));
  }
  if (systemClass_ || Parent()) {
    fontHandle_.reset();
    SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
  }
  HandleCreated();
  CreateChildHandles();
  Realign();
}

bool TWinControl::ChildWindowsWanted() const {
  return wnd_ && !LayoutHeld() && ClientWidth() > 0 && ClientHeight() > 0;
}

void TWinControl::CreateChildHandles() {
  if (!ChildWindowsWanted()) return;
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->CreateWnd();
}

TWinControl::LayoutHold::LayoutHold() { ++g_layoutHolds; }
TWinControl::LayoutHold::~LayoutHold() { --g_layoutHolds; }
bool TWinControl::LayoutHeld() { return g_layoutHolds > 0; }

void TWinControl::FinishLayout() {
  AlignTree();
  CreateChildHandles();
}

void TWinControl::CreateAllHandles() {
  if (!wnd_ || LayoutHeld()) return;
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
      w->CreateWnd();
      w->CreateAllHandles();
    }
}

void TWinControl::AlignTree() {
  Realign();
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->AlignTree();
}

void TWinControl::DestroyHandle() {
  if (!wnd_) return;
  HandleDestroying();
  HWND wnd = wnd_;
  wnd_ = nullptr;
  RemovePropW(wnd, kObjectProp);
  if (systemClass_) RemoveWindowSubclass(wnd, &TWinControl::SubclassProc, 1);
  else SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcW));
  DestroyWindow(wnd);
}

LRESULT CALLBACK TWinControl::WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  TWinControl* self = FromHandle(wnd);
  if (!self) return DefWindowProcW(wnd, msg, wp, lp);
  return self->Dispatch(msg, wp, lp);
}

LRESULT CALLBACK TWinControl::SubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<TWinControl*>(data);
  if (!self || self->wnd_ != wnd) return DefSubclassProc(wnd, msg, wp, lp);
  return self->Dispatch(msg, wp, lp);
}

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wp, LPARAM lp) {
  if (!wnd_) return 0;
  return systemClass_ ? DefSubclassProc(wnd_, msg, wp, lp) : DefWindowProcW(wnd_, msg, wp, lp);
}

LRESULT TWinControl::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
  HWND wnd = wnd_;
  // A handler may free this control before it throws.
  const std::weak_ptr<const void> alive = AliveToken();
  try {
    LRESULT result = 0;
    if (WndProc(msg, wp, lp, result)) return result;
    return DefaultHandler(msg, wp, lp);
  } catch (...) {
    HandleException(alive.expired() ? nullptr : this);
    if (alive.expired() || (!wnd_ && wnd)) return 0;
    return msg == WM_PAINT ? (ValidateRect(wnd, nullptr), 0) : 0;
  }
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
      if (reinterpret_cast<HWND>(lp) != wnd_) captured_ = nullptr;
      return false;
    case WM_CONTEXTMENU: {
      POINT screen{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      if (screen.x == -1 && screen.y == -1) {
        screen = {0, 0};
        ::ClientToScreen(wnd_, &screen);
      }
      POINT client = screen;
      ::ScreenToClient(wnd_, &client);
      TControl* target = ControlAtPos(client);
      if (target && !dynamic_cast<TWinControl*>(target) && target->ContextPopup(screen)) {
        result = 0;
        return true;
      }
      if (ContextPopup(screen)) {
        result = 0;
        return true;
      }
      return false;
    }
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT && !systemClass_) {
        POINT p;
        GetCursorPos(&p);
        ::ScreenToClient(wnd_, &p);
        TControl* c = ControlAtPos(p);
        const TCursor cursor = (c && !dynamic_cast<TWinControl*>(c)) ? c->Cursor() : Cursor();
        if (cursor != crDefault) {
          ::SetCursor(CursorHandle(cursor));
          result = TRUE;
          return true;
        }
      }
      return false;
    case WM_COMMAND:
      if (lp) {
        if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lp)))
          if (child != this && child->Reflected(msg, wp, lp, result)) return true;
      }
      return false;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lp);
      if (TWinControl* child = FromHandle(header->hwndFrom))
        if (child != this && child->Reflected(msg, wp, lp, result)) return true;
      return false;
    }
    case WM_HSCROLL: case WM_VSCROLL:
    case WM_CTLCOLORSTATIC: case WM_CTLCOLORBTN: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX:
      if (lp) {
        if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lp)))
          if (child != this && child->Reflected(msg, wp, lp, result)) return true;
      }
      return false;
    case WM_DRAWITEM:
    case WM_MEASUREITEM: {
      // Controls carry their own window as the item's window; menus are handled by the menu window.
      if (msg == WM_DRAWITEM) {
        auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        if (di->CtlType != ODT_MENU)
          if (TWinControl* child = FromHandle(di->hwndItem))
            if (child != this && child->Reflected(msg, wp, lp, result)) return true;
      }
      return false;
    }
    case WM_SIZE:
    case WM_MOVE:
      if (!creating_) {
        RECT r;
        GetWindowRect(wnd_, &r);
        POINT tl{r.left, r.top};
        if (Parent() && Parent()->HandleAllocated()) ::ScreenToClient(Parent()->wnd_, &tl);
        else if (GetWindowLongW(wnd_, GWL_STYLE) & WS_CHILD) ::ScreenToClient(GetParent(wnd_), &tl);
        const int w = r.right - r.left, h = r.bottom - r.top;
        if (tl.x != Left() || tl.y != Top() || w != Width() || h != Height()) {
          const bool resized = w != Width() || h != Height();
          TControl::left_ = tl.x;
          TControl::top_ = tl.y;
          TControl::width_ = w;
          TControl::height_ = h;
          if (resized) {
            Realign();
            CreateChildHandles();
            if (!IsLoading()) Fire(OnResize, this);
          }
        }
      }
      return false;
    default:
      return false;
  }
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

HBRUSH TWinControl::BackgroundBrush() {
  if (!backBrush_ || backBrushColor_ != Color()) {
    backBrush_.reset(CreateSolidBrush(ColorToRGB(Color())));
    backBrushColor_ = Color();
  }
  return backBrush_.get();
}

void TWinControl::PaintMessage() {
  PaintDc ps(wnd_);
  const RECT clip = ps.UpdateRect();
  if (IsRectEmpty(&clip)) return;
  if (!doubleBuffered_) {
    PaintTo(ps.get());
    return;
  }
  const int w = clip.right - clip.left, h = clip.bottom - clip.top;
  UniqueMemoryDc mem(CreateCompatibleDC(ps.get()));
  UniqueHbitmap bmp(CreateCompatibleBitmap(ps.get(), w, h));
  if (!mem || !bmp) {
    PaintTo(ps.get());
    return;
  }
  {
    const auto sel = SelectInto(mem.get(), bmp.get());
    SetViewportOrgEx(mem.get(), -clip.left, -clip.top, nullptr);
    IntersectClipRect(mem.get(), clip.left, clip.top, clip.right, clip.bottom);
    PaintTo(mem.get());
    SetViewportOrgEx(mem.get(), 0, 0, nullptr);
    BitBlt(ps.get(), clip.left, clip.top, w, h, mem.get(), 0, 0, SRCCOPY);
  }
}

void TWinControl::PaintTo(HDC dc) {
  RECT clip;
  if (GetClipBox(dc, &clip) == NULLREGION) return;
  {
    const auto saved = SaveDcState(dc);
    PaintWindow(dc);
  }
  PaintControls(dc, clip);
}

void TWinControl::PaintWindow(HDC dc) {
  ++g_paints;
  RECT r = ClientRect();
  FillRect(dc, &r, BackgroundBrush());
}

void TWinControl::PaintControls(HDC dc, const RECT& clip) {
  for (TControl* c : controls_) {
    auto* g = dynamic_cast<TGraphicControl*>(c);
    if (!g || !g->Visible()) continue;
    const RECT bounds = g->BoundsRect();
    if (!RectsIntersect(bounds, clip) || bounds.right <= bounds.left || bounds.bottom <= bounds.top) continue;
    const auto saved = SaveDcState(dc);
    OffsetViewportOrgEx(dc, bounds.left, bounds.top, nullptr);
    IntersectClipRect(dc, 0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top);
    g->PaintTo(dc);
  }
}

TControl* TWinControl::ControlAtPos(POINT p, bool allowDisabled) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (!c->Visible() || (!allowDisabled && !c->Enabled())) continue;
    const RECT r = c->BoundsRect();
    if (PtInRect(&r, p)) return c;
  }
  return nullptr;
}

void TWinControl::RouteMouse(UINT msg, WPARAM wp, LPARAM lp) {
  const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  TShiftState shift = ShiftFromKeys(wp);
  TControl* target = captured_;
  if (!target) {
    TControl* at = ControlAtPos(p);
    target = (at && !dynamic_cast<TWinControl*>(at)) ? at : this;
  }
  const POINT origin = target == this ? POINT{0, 0} : POINT{target->Left(), target->Top()};
  const int x = p.x - origin.x, y = p.y - origin.y;
  auto buttonOf = [](UINT m) {
    switch (m) {
      case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK: return mbRight;
      case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK: return mbMiddle;
      default: return mbLeft;
    }
  };
  switch (msg) {
    case WM_MOUSEMOVE: {
      if (!trackingLeave_ && !systemClass_) {
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, wnd_, 0};
        trackingLeave_ = TrackMouseEvent(&tme) != FALSE;
      }
      if (!captured_) UpdateMouseOver(target);
      Application().HintMouseMove(target);
      target->MouseMove(shift, x, y);
      break;
    }
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
      Application().CancelHint();
      if (target != this && !systemClass_) {
        captured_ = target;
        SetCapture(wnd_);
      }
      target->MouseDown(buttonOf(msg), shift, x, y);
      break;
    case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK:
      if (msg == WM_LBUTTONDBLCLK) target->DblClick();
      target->MouseDown(buttonOf(msg), shift | ShiftOf(ssDouble), x, y);
      break;
    case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP: {
      const bool inside = x >= 0 && y >= 0 && x < target->Width() && y < target->Height();
      if (captured_ && !(wp & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) {
        captured_ = nullptr;
        if (GetCapture() == wnd_) ReleaseCapture();
      }
      if (msg == WM_LBUTTONUP && inside && !systemClass_) target->Click();
      if (target->Parent() == this || target == this) target->MouseUp(buttonOf(msg), shift, x, y);
      break;
    }
    default: break;
  }
}

void TWinControl::UpdateMouseOver(TControl* over) {
  if (over == mouseOver_) return;
  TControl* old = mouseOver_;
  mouseOver_ = over;
  if (old) old->MouseLeave();
  if (over) over->MouseEnter();
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

void TWinControl::SetBounds(int left, int top, int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (left == Left() && top == Top() && width == Width() && height == Height()) return;
  const bool resized = width != Width() || height != Height();
  TControl::left_ = left;
  TControl::top_ = top;
  TControl::width_ = width;
  TControl::height_ = height;
  UpdateWindowBounds();
  BoundsChanged();
  if (resized) {
    Realign();
    CreateChildHandles();
  }
  RequestAlign();
  if (resized && !IsLoading()) Fire(OnResize, this);
}

void TWinControl::UpdateWindowBounds() {
  if (!wnd_) return;
  creating_ = true;  // our own move: WM_SIZE/WM_MOVE need not read it back
  SetWindowPos(wnd_, nullptr, Left(), Top(), Width(), Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  creating_ = false;
}

void TWinControl::BoundsChanged() {}

int TWinControl::ClientWidth() const {
  if (!wnd_) return Width();
  RECT r;
  GetClientRect(wnd_, &r);
  return r.right - r.left;
}

int TWinControl::ClientHeight() const {
  if (!wnd_) return Height();
  RECT r;
  GetClientRect(wnd_, &r);
  return r.bottom - r.top;
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

void TWinControl::AdjustClientRect(RECT& rect) const {
  InflateRect(&rect, -borderWidth_, -borderWidth_);
}

// Aligned children are laid out in the order top, bottom, left, right, client. Within
// one kind they keep the order of their positions; the control whose change caused the
// layout goes first and keeps its place against controls at the same position.
void TWinControl::AlignControls(TControl* changed) {
  // Placing a child asks this control to align again; the pass that placed it is the
  // answer, so such requests are not followed.
  if (IsLoading() || aligning_ || LayoutHeld()) return;
  aligning_ = true;
  const auto done = OnScopeExit([this] { aligning_ = false; });
  AlignPass(changed);
}

void TWinControl::AlignPass(TControl* changed) {
  RECT rect = ClientRect();
  AdjustClientRect(rect);
  auto insertBefore = [](TControl* a, TControl* b, TAlign align) {
    switch (align) {
      case alTop: return a->Top() < b->Top();
      case alBottom: return a->Top() + a->Height() > b->Top() + b->Height();
      case alLeft: return a->Left() < b->Left();
      case alRight: return a->Left() + a->Width() > b->Left() + b->Width();
      default: return false;
    }
  };
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl*> list;
    if (changed && changed->Align() == align && changed->Visible() && changed->Parent() == this) list.push_back(changed);
    for (TControl* c : controls_) {
      if (c->Align() != align || !c->Visible() || c == changed) continue;
      auto it = list.begin();
      while (it != list.end() && !insertBefore(c, *it, align)) ++it;
      list.insert(it, c);
    }
    for (TControl* c : list) {
      const int w = rect.right - rect.left, h = rect.bottom - rect.top;
      switch (align) {
        case alTop:
          c->SetBounds(rect.left, rect.top, w, c->Height());
          rect.top += c->Height();
          break;
        case alBottom:
          rect.bottom -= c->Height();
          c->SetBounds(rect.left, rect.bottom, w, c->Height());
          break;
        case alLeft:
          c->SetBounds(rect.left, rect.top, c->Width(), h);
          rect.left += c->Width();
          break;
        case alRight:
          rect.right -= c->Width();
          c->SetBounds(rect.right, rect.top, c->Width(), h);
          break;
        case alClient:
          c->SetBounds(rect.left, rect.top, w, h);
          break;
        default: break;
      }
    }
  }
}

void TWinControl::Loaded() {
  TControl::Loaded();
  Realign();
  if (!wnd_ && Parent() && Parent()->ChildWindowsWanted()) CreateWnd();
}

// -- TCustomControl ----------------------------------------------------------------------

const ClassInfo& TCustomControl::StaticClass() {
  static const ClassInfo info = ClassBuilder<TCustomControl>("TCustomControl", &TWinControl::StaticClass()).Build();
  return info;
}

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner), canvas_(std::make_unique<TCanvas>()) {}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(HDC dc) {
  TWinControl::PaintWindow(dc);
  const auto binding = BindCanvas(*canvas_, dc, Font());
  canvas_->Brush().SetColor(Color());
  Paint();
}

}  // namespace dorvane
