// Controls: the basics (alignment and cursor types, accelerators), TControl, the
// windowless graphic control, and the painting of windowed controls and their graphic
// children. Window creation and messages: WinControl.cpp; mouse input: ControlInput.cpp;
// alignment and layout: ControlLayout.cpp.
#include "framework/Controls.h"

#include <atomic>

#include "core/ScopeExit.h"
#include "framework/Application.h"
#include "framework/ClassBuilder.h"
#include "framework/Menus.h"
#include "framework/SysUtils.h"
#include "core/win32/WideString.h"

namespace dorvane {

namespace {

std::atomic<std::uint64_t> g_paints{0};

bool RectsIntersect(const RECT& a, const RECT& b) {
  RECT r;
  return IntersectRect(&r, &a, &b) != FALSE;
}

// A control's canvas on a device context for one paint, with the control's font; the
// guard lets go of the device context on every way out.
[[nodiscard]] auto BindCanvas(TCanvas& canvas, HDC dc, const TFont& font) {
  canvas.SetHandle(dc);
  auto release = OnScopeExit([&canvas] { canvas.SetHandle(nullptr); });
  canvas.Font().Assign(font);
  return release;
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
  try {
    VisibleChanged();
  } catch (...) {
    // Showing (or hiding) failed on the way: the flag says what the window is.
    visible_ = !visible;
    throw;
  }
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

void TGraphicControl::PaintTo(HDC dc) {
  ++g_paints;
  const auto binding = BindCanvas(*canvas_, dc, Font());
  Paint();
}

// -- painting of windowed controls ------------------------------------------------------

HBRUSH TWinControl::BackgroundBrush() {
  if (!backBrush_ || backBrushColor_ != Color()) {
    backBrush_.reset(CreateSolidBrush(ColorToRGB(Color())));
    backBrushColor_ = Color();
  }
  return backBrush_.get();
}

void TWinControl::PaintMessage() {
  PaintDc ps(wnd_);
  if (!ps) return;
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
