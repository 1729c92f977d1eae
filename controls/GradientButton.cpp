#include "controls/GradientButton.h"
#include "core/DisplayScale.h"

#include <windowsx.h>

#include <cmath>
#include <utility>

#include "core/ScopeExit.h"
#include "framework/ClassBuilder.h"
#include "framework/Forms.h"

namespace dorvane {

namespace {

constexpr TColor kKeep = -1;  // a scheme that leaves this colour as it is

constexpr const char* kColorNames[kButtonColorCount] = {
    "ColorFace", "ColorGrad", "ColorDark", "ColorLight", "ColorBorder", "ColorText",
    "OverColorFace", "OverColorGrad", "OverColorDark", "OverColorLight", "OverColorBorder", "OverColorText",
    "DownColorFace", "DownColorGrad", "DownColorDark", "DownColorLight", "DownColorBorder", "DownColorText",
    "DisabledColorFace", "DisabledColorGrad", "DisabledColorDark", "DisabledColorLight", "DisabledColorBorder",
    "DisabledColorText", "ColorFocusRect"};

using SchemeColors = std::array<TColor, kButtonColorCount>;

// The twelve named schemes, in TColorScheme order, colours in TButtonColor order. The
// classic six leave the four gradient ends alone.
constexpr std::array<SchemeColors, 12> kSchemes{{
    // csNeoDesert
    {0xC6ECFF, 0x37BEFF, 0x009CE8, 0xB9E7FF, 0x005680, 0x000000, 0xB3E7FF, 0x00A3F0, 0x008ED2, 0x95DAFF, 0x005680,
     0x000000, 0x2BBAFF, 0x77D2FF, 0x8AD9FF, 0x0077B7, 0x0070A6, 0x000000, 0xEEEEEE, 0xFFFFFF, 0xD2D2D2, 0xFFFFFF,
     0x808080, 0x808080, 0x4080FF},
    // csNeoSky
    {0xFFEEDD, 0xFFB66C, 0xFFA851, 0xFFECD9, 0xB35900, 0x000000, 0xFFEBD7, 0xFFA346, 0xFF9E3E, 0xFFE4CA, 0xB35900,
     0x000000, 0xFFB366, 0xFFCE9D, 0xFFD3A8, 0xFF9E3E, 0xB35900, 0x000000, 0xEEEEEE, 0xFFFFFF, 0xD2D2D2, 0xFFFFFF,
     0x808080, 0x808080, 0xFFA953},
    // csNeoGrass
    {0xDDF9E8, 0x5EDF8E, 0x24B95C, 0xCBF5DB, 0x156F37, 0x000000, 0xBFF2D2, 0x3DD877, 0x23B459, 0xB5F0CB, 0x17793D,
     0x000000, 0x4EDC83, 0x80E6A6, 0x89E7AC, 0x177D3E, 0x167439, 0x000000, 0xEEEEEE, 0xFFFFFF, 0xD2D2D2, 0xFFFFFF,
     0x808080, 0x808080, 0x24B95C},
    // csNeoSilver
    {0xF3F3F3, 0xBCBCBC, 0xA7A7A7, 0xF7F7F7, 0x626262, 0x000000, 0xF0F0F0, 0xA6A6A6, 0xA2A2A2, 0xEEEEEE, 0x757575,
     0x000000, 0xCACACA, 0xDADADA, 0xE9E9E9, 0x7C7C7C, 0x4E4E4E, 0x000000, 0xEEEEEE, 0xFFFFFF, 0xD2D2D2, 0xFFFFFF,
     0x808080, 0x808080, 0xADADAD},
    // csNeoRose
    {0xE8E8FF, 0x9595FF, 0x8282FF, 0xDDDDFF, 0x00009D, 0x000000, 0xDFDFFF, 0x7777FF, 0x6A6AFF, 0xD7D7FF, 0x00009D,
     0x000000, 0xA6A6FF, 0xB9B9FF, 0xCECEFF, 0x5E5EFF, 0x00009D, 0x000000, 0xEEEEEE, 0xFFFFFF, 0xD2D2D2, 0xFFFFFF,
     0x808080, 0x808080, 0x5E5EFF},
    // csNeoSun
    {0xF0FFFF, 0x20D8F9, 0x00BBBB, 0xF2FFFF, 0x006464, 0x000000, 0xD5FCFF, 0x05BCDC, 0x00A6A6, 0xCCFFFF, 0x006464,
     0x000000, 0x05D1F5, 0x66F0FB, 0x66F3FF, 0x008484, 0x006464, 0x000000, 0xEEEEEE, 0xFFFFFF, 0xD2D2D2, 0xFFFFFF,
     0x808080, 0x808080, 0x00BBBB},
    // csDesert
    {0x95DDFF, kKeep, 0x009CE8, 0xB9E7FF, 0x005680, 0x000000, 0x6FD0FF, kKeep, 0x008ED2, 0x95DAFF, 0x005680,
     0x000000, 0x6FD0FF, kKeep, 0x8AD9FF, 0x0077B7, 0x0070A6, 0x000000, 0xE2E2E2, kKeep, 0xD8D8D8, 0xEAEAEA,
     0xC4C4C4, 0x808080, 0x4080FF},
    // csGrass
    {0x98EBB7, kKeep, 0x24B95C, 0xCBF5DB, 0x156F37, 0x000000, 0x68E196, kKeep, 0x23B459, 0xB5F0CB, 0x17793D,
     0x000000, 0x4EDC83, kKeep, 0x89E7AC, 0x177D3E, 0x167439, 0x000000, 0xE2E2E2, kKeep, 0xD8D8D8, 0xEAEAEA,
     0xC4C4C4, 0x808080, 0x00A421},
    // csSky
    {0xFFE0C1, kKeep, 0xFFA953, 0xFFECD9, 0xB35900, 0x000000, 0xFFCD9B, kKeep, 0xFFB164, 0xFFE4CA, 0xB35900,
     0x000000, 0xFFC082, kKeep, 0xFFD3A8, 0xFF9122, 0xB35900, 0x000000, 0xE2E2E2, kKeep, 0xD8D8D8, 0xEAEAEA,
     0xC4C4C4, 0x808080, 0xDC9B14},
    // csSun
    {0xA8FFFF, kKeep, 0x00BBBB, 0xF2FFFF, 0x006464, 0x000000, 0x66F3FF, kKeep, 0x00A6A6, 0xCCFFFF, 0x006464,
     0x000000, 0x22EEFF, kKeep, 0x66F3FF, 0x008484, 0x006464, 0x000000, 0xE2E2E2, kKeep, 0xD8D8D8, 0xEAEAEA,
     0xC4C4C4, 0x808080, 0x008CF4},
    // csRose
    {0xC6C6FF, kKeep, 0x8282FF, 0xDDDDFF, 0x00009D, 0x000000, 0xB0B0FF, kKeep, 0x6A6AFF, 0xD7D7FF, 0x00009D,
     0x000000, 0x9F9FFF, kKeep, 0x8888FF, 0x5E5EFF, 0x00009D, 0x000000, 0xE2E2E2, kKeep, 0xD8D8D8, 0xEAEAEA,
     0xC4C4C4, 0x808080, 0x5E5EFF},
    // csSilver
    {0xE0E0E0, kKeep, 0xAEAEAE, 0xF7F7F7, 0x626262, 0x000000, 0xCFCFCF, kKeep, 0x797979, 0xEEEEEE, 0x757575,
     0x000000, 0xD3D3D3, kKeep, 0xE9E9E9, 0x7C7C7C, 0x4E4E4E, 0x000000, 0xE2E2E2, kKeep, 0xD8D8D8, 0xEAEAEA,
     0xC4C4C4, 0x808080, 0x8A8A8A},
}};

// A new button: the first scheme, but white at the ends of the over, down and disabled
// gradients.
constexpr SchemeColors InitialColors() {
  SchemeColors c = kSchemes[csNeoDesert];
  c[bcOverGrad] = c[bcDownGrad] = c[bcDisabledGrad] = 0xFFFFFF;
  return c;
}
constexpr SchemeColors kInitialColors = InitialColors();

template <std::size_t... I>
void AddColorProperties(ClassBuilder<TGradientButton>& builder, std::index_sequence<I...>) {
  (builder.Color(kColorNames[I], &TGradientButton::ColorOf<static_cast<int>(I)>,
                 &TGradientButton::SetColorOf<static_cast<int>(I)>, kInitialColors[I]),
   ...);
}

ClassInfo BuildClassInfo() {
  ClassBuilder<TGradientButton> b("TGradientButton", &TCustomControl::StaticClass());
  AddColorProperties(b, std::make_index_sequence<kButtonColorCount>());
  b.Enum("ColorScheme", &TGradientButton::ColorScheme, &TGradientButton::SetColorScheme, ColorSchemeType(),
         csNeoDesert)
      .Bool("Ctl3D", &TGradientButton::Ctl3D, &TGradientButton::SetCtl3D, true)
      .Enum("Layout", &TGradientButton::Layout, &TGradientButton::SetLayout, ButtonLayoutType(), blGlyphLeft)
      .Object("Glyph", [](const TGradientButton& g) -> TObject* { return const_cast<TBitmap*>(&g.Glyph()); },
              TBitmap::StaticClass())
      .Int("Spacing", &TGradientButton::Spacing, &TGradientButton::SetSpacing, 4)
      .Bool("TransparentGlyph", &TGradientButton::TransparentGlyph, &TGradientButton::SetTransparentGlyph, true)
      .Bool("Gradient", &TGradientButton::Gradient, &TGradientButton::SetGradient, true)
      .Bool("HotTrack", &TGradientButton::HotTrack, &TGradientButton::SetHotTrack, true)
      .Int("ModalResult", &TGradientButton::ModalResult, &TGradientButton::SetModalResult, 0)
      .Bool("Cancel", &TGradientButton::Cancel, &TGradientButton::SetCancel, false)
      .Bool("Default", &TGradientButton::Default, &TGradientButton::SetDefault, false)
      .Bool("TabStop", &TGradientButton::TabStop, &TGradientButton::SetTabStop, true)
      .Int("TabOrder", &TGradientButton::TabOrder, &TGradientButton::SetTabOrder, -1)
      .Event("OnEnter", &TGradientButton::OnEnter)
      .Event("OnExit", &TGradientButton::OnExit)
      .Event("OnKeyDown", &TGradientButton::OnKeyDown)
      .Event("OnKeyUp", &TGradientButton::OnKeyUp)
      .Event("OnKeyPress", &TGradientButton::OnKeyPress);
  return b.Build();
}

TShiftState KeyShiftState() {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ShiftOf(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s |= ShiftOf(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) s |= ShiftOf(ssAlt);
  return s;
}

}  // namespace

const EnumType& ColorSchemeType() {
  static const EnumType t{"TColorScheme",
                          {"csNeoDesert", "csNeoSky", "csNeoGrass", "csNeoSilver", "csNeoRose", "csNeoSun", "csDesert",
                           "csGrass", "csSky", "csSun", "csRose", "csSilver", "csCustom"}};
  return t;
}

const ClassInfo& TGradientButton::StaticClass() {
  static const ClassInfo info = BuildClassInfo();
  return info;
}

TGradientButton::TGradientButton(TComponent* owner)
    : TCustomControl(owner), colors_(kInitialColors), glyph_(std::make_unique<TBitmap>()) {
  glyph_->OnChange = [this](TObject*) { GlyphChanged(); };
  SetBounds(Left(), Top(), 75, 25);
}

TGradientButton::~TGradientButton() { glyph_->OnChange = nullptr; }

void TGradientButton::SetColorAt(TButtonColor index, TColor color) {
  colors_.at(static_cast<std::size_t>(index)) = color;
  scheme_ = csCustom;
  Invalidate();
}

void TGradientButton::SetColorScheme(TColorScheme scheme) {
  scheme_ = scheme;
  if (scheme >= csNeoDesert && scheme < csCustom) {
    const SchemeColors& colors = kSchemes[static_cast<std::size_t>(scheme)];
    for (int i = 0; i < kButtonColorCount; ++i)
      if (colors[static_cast<std::size_t>(i)] != kKeep) SetColorAt(static_cast<TButtonColor>(i), colors[static_cast<std::size_t>(i)]);
    gradient_ = scheme <= csNeoSun;
    Invalidate();
  }
  scheme_ = scheme;
}

void TGradientButton::SetCtl3D(bool value) {
  ctl3D_ = value;
  Invalidate();
}

void TGradientButton::SetLayout(TButtonLayout layout) {
  layout_ = layout;
  Invalidate();
}

void TGradientButton::SetGlyph(const TBitmap& glyph) { glyph_->Assign(glyph); }

void TGradientButton::GlyphChanged() { Invalidate(); }

void TGradientButton::SetSpacing(int value) {
  spacing_ = value;
  Invalidate();
}

void TGradientButton::SetTransparentGlyph(bool value) {
  transparentGlyph_ = value;
  Invalidate();
}

void TGradientButton::SetGradient(bool value) {
  gradient_ = value;
  Invalidate();
}

void TGradientButton::SetDefault(bool value) {
  default_ = value;
  Invalidate();
}

void TGradientButton::SetTabStop(bool value) {
  tabStop_ = value;
  if (HandleAllocated()) {
    const LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    SetWindowLongPtrW(Handle(), GWL_STYLE, value ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP)));
  }
}

void TGradientButton::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  if (tabStop_) params.style |= WS_TABSTOP;
}

void TGradientButton::EnabledChanged() {
  TCustomControl::EnabledChanged();
  Invalidate();
}

void TGradientButton::SetState(TButtonVisualState state) {
  state_ = state;
  Repaint();
}

// -- painting -----------------------------------------------------------------------

// The window's whole area is the picture: no background is filled first.
void TGradientButton::PaintWindow(HDC dc) {
  Canvas().SetHandle(dc);
  const auto release = OnScopeExit([this] { Canvas().SetHandle(nullptr); });
  Paint();
}

void TGradientButton::Paint() {
  const int w = Width(), h = Height();
  TBitmap picture(w, h);
  if (picture.Empty()) return;  // nothing to show, and no gradient to divide over
  TCanvas& c = picture.Canvas();

  const int set = !Enabled() ? 3 : state_ == vsOver ? 1 : state_ == vsDown ? 2 : 0;
  auto color = [&](int part) { return static_cast<TColor>(ColorToRGB(colors_[static_cast<std::size_t>(set * 6 + part)])); };
  const TColor face = color(bcFace), grad = color(bcGrad), dark = color(bcDark), light = color(bcLight),
               border = color(bcBorder), text = colors_[static_cast<std::size_t>(set * 6 + bcText)];
  const bool down = state_ == vsDown;

  c.Pen().SetStyle(psSolid);
  c.Pen().SetMode(pmCopy);
  c.Pen().SetWidth(1);
  c.Pen().SetColor(face);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(face);
  c.Rectangle(0, 0, w, h);

  if (gradient_) {
    // Running channel values, one step per line; line 0 is the face colour and line h,
    // just below the picture, the gradient's end.
    const double dr = (GetRValue32(grad) - GetRValue32(face)) / static_cast<double>(h);
    const double dg = (GetGValue32(grad) - GetGValue32(face)) / static_cast<double>(h);
    const double db = (GetBValue32(grad) - GetBValue32(face)) / static_cast<double>(h);
    double r = GetRValue32(face), g = GetGValue32(face), b = GetBValue32(face);
    for (int i = 0; i <= h; ++i) {
      c.Pen().SetColor(RGBColor(static_cast<int>(std::nearbyint(r)), static_cast<int>(std::nearbyint(g)),
                                static_cast<int>(std::nearbyint(b))));
      c.MoveTo(0, i);
      c.LineTo(w, i);
      r += dr;
      g += dg;
      b += db;
    }
  }

  c.Font().Assign(Font());
  c.Font().SetColor(text);
  const std::string& caption = Caption();
  const SIZE t = c.TextExtent(caption);
  int textLeft = (w - t.cx) / 2, textTop = (h - t.cy) / 2;

  if (!glyph_->Empty()) {
    const int gw = glyph_->Width(), gh = glyph_->Height();
    const int s = spacing_, half = s / 2, otherHalf = s / 2 + s % 2;
    const bool hasCaption = !caption.empty();
    int glyphLeft = 0, glyphTop = 0;
    switch (layout_) {
      case blGlyphLeft:
        glyphTop = (h - gh) / 2;
        glyphLeft = textLeft - gw / 2;
        textLeft += gw / 2;
        if (hasCaption) glyphLeft -= otherHalf, textLeft += half;
        break;
      case blGlyphRight:
        glyphTop = (h - gh) / 2;
        glyphLeft = textLeft + t.cx - gw / 2;
        textLeft -= gw / 2;
        if (hasCaption) glyphLeft += otherHalf, textLeft -= half;
        break;
      case blGlyphTop:
        glyphLeft = (w - gw) / 2;
        glyphTop = textTop - gh / 2 - gh % 2;
        textTop += gh / 2;
        if (hasCaption) glyphTop -= otherHalf, textTop += half;
        break;
      case blGlyphBottom:
        glyphLeft = (w - gw) / 2;
        glyphTop = textTop + t.cy - gh / 2;
        textTop -= gh / 2;
        if (hasCaption) glyphTop += otherHalf, textTop -= half;
        break;
    }
    if (down) ++glyphLeft, ++glyphTop;
    TBitmap shown;
    shown.Assign(*glyph_);
    shown.SetTransparentColor(glyph_->Pixel(0, 0));
    shown.SetTransparent(transparentGlyph_);
    c.Draw(glyphLeft, glyphTop, shown);
  }
  if (down) ++textLeft, ++textTop;

  if (!caption.empty()) {
    c.Brush().SetStyle(bsClear);
    RECT tr{textLeft, textTop, textLeft + t.cx, textTop + t.cy};
    c.DrawText(caption, tr, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOCLIP);
  }

  c.Pen().SetColor(border);
  c.Brush().SetStyle(bsClear);
  c.Rectangle(0, 0, w, h);

  if (ctl3D_) {
    c.Pen().SetColor(light);
    c.MoveTo(1, h - 2);
    c.LineTo(1, 1);
    c.LineTo(w - 1, 1);
    c.Pen().SetColor(dark);
    c.MoveTo(w - 2, 1);
    c.LineTo(w - 2, h - 2);
    c.LineTo(1, h - 2);
  }

  if (focused_) {
    c.Pen().SetColor(colors_[bcFocusRect]);
    c.Brush().SetStyle(bsClear);
    c.Rectangle(3, 3, w - 3, h - 3);
  }

  Canvas().SetCopyMode(SRCCOPY);
  Canvas().Draw(0, 0, picture);
}

// -- clicks, mouse and keys -----------------------------------------------------------

void TGradientButton::Click() {
  for (TWinControl* p = Parent(); p; p = p->Parent()) {
    if (auto* form = dynamic_cast<TForm*>(p)) {
      form->SetModalResult(modalResult_);
      break;
    }
  }
  SetState(vsNormal);
  TCustomControl::Click();
}

void TGradientButton::MouseEnter() {
  mouseInside_ = true;
  if (hotTrack_) SetState(pressed_ ? vsDown : vsOver);
  TCustomControl::MouseEnter();
}

void TGradientButton::MouseLeave() {
  mouseInside_ = false;
  TCustomControl::MouseLeave();
  SetState(vsNormal);
}

void TGradientButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    pressed_ = true;
    mouseInside_ = true;
    if (HandleAllocated()) SetCapture(Handle());
    if (tabStop_ && CanFocus()) SetFocus();
    SetState(vsDown);
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TGradientButton::MouseMove(TShiftState shift, int x, int y) {
  // While the button holds the mouse it follows the pointer out and back in itself.
  if (pressed_) {
    const bool inside = x >= 0 && y >= 0 && x < Width() && y < Height();
    if (inside != mouseInside_) {
      if (inside) MouseEnter();
      else MouseLeave();
    }
  }
  TCustomControl::MouseMove(shift, x, y);
}

void TGradientButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    const bool wasPressed = std::exchange(pressed_, false);
    if (wasPressed && HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
    if (x > 0 && x < Width() && y > 0 && y < Height()) SetState(hotTrack_ ? vsOver : vsNormal);
  }
  TCustomControl::MouseUp(button, shift, x, y);
}

bool TGradientButton::DialogKey(WORD key, TShiftState shift) {
  const bool modifiers = (shift & (ShiftOf(ssShift) | ShiftOf(ssCtrl) | ShiftOf(ssAlt))) != 0;
  if (((key == VK_RETURN && focused_) || (key == VK_ESCAPE && cancel_)) && !modifiers && CanFocus()) {
    Click();
    return true;
  }
  // A default button answers Return alone, not every key the form offers.
  if (default_ && key == VK_RETURN) {
    Click();
    return true;
  }
  return false;
}

bool TGradientButton::DialogChar(char32_t ch) {
  if (ch > 0xFFFF || !Enabled() || !IsAccel(static_cast<wchar_t>(ch), Caption())) return false;
  Click();
  return true;
}

void TGradientButton::KeyDown(WORD key, TShiftState shift) {
  Fire(OnKeyDown, this, key, shift);
  if (key == VK_RETURN || key == VK_ESCAPE) {
    if (DialogKey(key, shift)) return;
  }
  if (key == VK_SPACE) SetState(vsDown);
  else if (key == VK_RETURN) Click();
}

void TGradientButton::KeyUp(WORD key, TShiftState shift) {
  Fire(OnKeyUp, this, key, shift);
  if (key == VK_SPACE) {
    SetState(vsNormal);
    Click();
  }
}

bool TGradientButton::WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_GETDLGCODE:
      result = DLGC_BUTTON | (default_ ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
      return true;
    case WM_SETFOCUS:
      focused_ = true;
      Repaint();
      Fire(OnEnter, this);
      result = 0;
      return true;
    case WM_KILLFOCUS:
      focused_ = false;
      SetState(vsNormal);
      Fire(OnExit, this);
      result = 0;
      return true;
    case WM_KEYDOWN:
      KeyDown(static_cast<WORD>(wp), KeyShiftState());
      result = 0;
      return true;
    case WM_KEYUP:
      KeyUp(static_cast<WORD>(wp), KeyShiftState());
      result = 0;
      return true;
    case WM_CHAR:
    case WM_SYSCHAR: {
      char32_t ch = static_cast<char32_t>(wp);
      if (msg == WM_CHAR) Fire(OnKeyPress, this, ch);
      if (ch && DialogChar(ch)) {
        result = 0;
        return true;
      }
      return msg == WM_CHAR ? (result = 0, true) : TCustomControl::WndProc(msg, wp, lp, result);
    }
    case WM_CAPTURECHANGED:
      // Another window took the mouse: the press is over without a click.
      if (pressed_ && reinterpret_cast<HWND>(lp) != Handle()) {
        pressed_ = false;
        SetState(vsNormal);
      }
      return TCustomControl::WndProc(msg, wp, lp, result);
    default:
      return TCustomControl::WndProc(msg, wp, lp, result);
  }
}

void TGradientButton::ChangeScale(int fromDpi, int toDpi) {
  TCustomControl::ChangeScale(fromDpi, toDpi);
  SetSpacing(RescaleForDpi(spacing_, fromDpi, toDpi));
}

}  // namespace dorvane
