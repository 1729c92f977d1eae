#include "framework/SpeedButton.h"
#include "core/DisplayScale.h"

#include <algorithm>
#include <cstring>

#include "framework/ClassBuilder.h"

namespace dorvane {

namespace {

// A colour as a word of our 32-bit DIB sections (0x00RRGGBB).
std::uint32_t DibWord(TColor color) {
  const COLORREF c = ColorToRGB(color);
  return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (static_cast<std::uint32_t>(GetGValue(c)) << 8) |
         GetBValue(c);
}

}  // namespace

const EnumType& ButtonLayoutType() {
  static const EnumType t{"TButtonLayout", {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"}};
  return t;
}

const ClassInfo& TSpeedButton::StaticClass() {
  static const ClassInfo info =
      ClassBuilder<TSpeedButton>("TSpeedButton", &TGraphicControl::StaticClass())
          .Object("Glyph", [](const TSpeedButton& b) -> TObject* { return const_cast<TBitmap*>(&b.Glyph()); },
                  TBitmap::StaticClass())
          .Int("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs, 1)
          .Bool("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat, false)
          .Enum("Layout", &TSpeedButton::Layout, &TSpeedButton::SetLayout, ButtonLayoutType(), blGlyphLeft)
          .Int("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin, -1)
          .Int("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing, 4)
          .Int("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex, 0)
          .Bool("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp, false)
          .Bool("Down", &TSpeedButton::Down, &TSpeedButton::SetDown, false)
          .Bool("Transparent", &TSpeedButton::Transparent, &TSpeedButton::SetTransparent, true)
          .Build();
  return info;
}

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner), glyph_(std::make_unique<TBitmap>()) {
  glyph_->OnChange = [this](TObject*) { GlyphChanged(); };
}

TSpeedButton::~TSpeedButton() { glyph_->OnChange = nullptr; }

void TSpeedButton::GlyphChanged() {
  partsValid_ = false;
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(int count) {
  count = std::clamp(count, 1, 4);
  if (count == numGlyphs_) return;
  numGlyphs_ = count;
  GlyphChanged();
}

void TSpeedButton::SetFlat(bool value) {
  if (value == flat_) return;
  flat_ = value;
  Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout layout) {
  if (layout == layout_) return;
  layout_ = layout;
  Invalidate();
}

void TSpeedButton::SetMargin(int value) {
  if (value < -1) value = -1;
  if (value == margin_) return;
  margin_ = value;
  Invalidate();
}

void TSpeedButton::SetSpacing(int value) {
  if (value < -1) value = -1;
  if (value == spacing_) return;
  spacing_ = value;
  Invalidate();
}

void TSpeedButton::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  Invalidate();
}

std::vector<TSpeedButton*> TSpeedButton::GroupMembers() const {
  std::vector<TSpeedButton*> members;
  if (!Parent() || groupIndex_ == 0) return members;
  for (int i = 0; i < Parent()->ControlCount(); ++i) {
    auto* b = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
    if (b && b != this && b->groupIndex_ == groupIndex_) members.push_back(b);
  }
  return members;
}

void TSpeedButton::UpdateExclusive() {
  for (TSpeedButton* b : GroupMembers()) {
    if (!b->down_) continue;
    b->down_ = false;
    b->Invalidate();
  }
}

void TSpeedButton::SetGroupIndex(int value) {
  if (value == groupIndex_) return;
  groupIndex_ = value;
  if (IsLoading()) return;
  if (groupIndex_ == 0 && down_) {
    down_ = false;
    Invalidate();
  } else if (down_) {
    UpdateExclusive();
  }
}

void TSpeedButton::SetDown(bool value) {
  if (IsLoading()) {  // the group index may come later; Loaded settles it
    down_ = value;
    return;
  }
  if (groupIndex_ == 0) value = false;
  if (value == down_) return;
  if (down_ && !allowAllUp_) return;  // one button of the group stays down
  down_ = value;
  if (down_) UpdateExclusive();
  Invalidate();
}

void TSpeedButton::SetAllowAllUp(bool value) {
  allowAllUp_ = value;
  for (TSpeedButton* b : GroupMembers()) b->allowAllUp_ = value;
}

void TSpeedButton::Loaded() {
  TGraphicControl::Loaded();
  if (groupIndex_ == 0) down_ = false;
  else if (down_) UpdateExclusive();
}

void TSpeedButton::EnabledChanged() {
  TGraphicControl::EnabledChanged();
  if (!Enabled()) {
    mouseIn_ = false;
    tracking_ = trackInside_ = false;
  }
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && Enabled()) {
    tracking_ = trackInside_ = true;
    Invalidate();
  }
  TGraphicControl::MouseDown(button, shift, x, y);
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y) {
  if (tracking_) {
    const bool inside = x >= 0 && y >= 0 && x < Width() && y < Height();
    if (inside != trackInside_) {
      trackInside_ = inside;
      Invalidate();
    }
  }
  TGraphicControl::MouseMove(shift, x, y);
}

// The parent calls Click on a left-button release inside the button, before MouseUp:
// the group state changes first, so OnClick reads the new Down.
void TSpeedButton::Click() {
  if (tracking_) {
    tracking_ = trackInside_ = false;
    if (groupIndex_ != 0) {
      if (!down_) SetDown(true);
      else if (allowAllUp_) SetDown(false);
    }
    Invalidate();
  }
  TGraphicControl::Click();
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && tracking_) {  // released outside: no click
    tracking_ = trackInside_ = false;
    Invalidate();
  }
  TGraphicControl::MouseUp(button, shift, x, y);
}

void TSpeedButton::MouseEnter() {
  mouseIn_ = true;
  if (flat_ && Enabled()) Invalidate();
  TGraphicControl::MouseEnter();
}

void TSpeedButton::MouseLeave() {
  mouseIn_ = false;
  if (flat_) Invalidate();
  TGraphicControl::MouseLeave();
}

void TSpeedButton::BuildGlyphParts() {
  glyphParts_.clear();
  disabledGlyph_.reset();
  partsValid_ = true;
  if (glyph_->Empty()) return;
  const int count = std::clamp(numGlyphs_, 1, 4);
  const int w = glyph_->Width() / count, h = glyph_->Height();
  if (w <= 0) return;
  const TColor key = glyph_->Pixel(0, h - 1);
  for (int i = 0; i < count; ++i) {
    auto part = std::make_unique<TBitmap>(w, h);
    for (int y = 0; y < h; ++y)
      std::memcpy(part->ScanLine(y), glyph_->ScanLine(y) + static_cast<std::size_t>(i) * w, static_cast<std::size_t>(w) * 4);
    part->SetTransparentColor(key);
    part->SetTransparent(true);
    glyphParts_.push_back(std::move(part));
  }
  if (count > 1) return;
  // Without an image of its own, the disabled look is the first image embossed: its shape
  // in the shadow colour over the same shape in the highlight colour one pixel down right.
  const TBitmap& up = *glyphParts_.front();
  auto disabled = std::make_unique<TBitmap>(w, h);
  const std::uint32_t keyWord = DibWord(key), light = DibWord(clBtnHighlight), shadow = DibWord(clBtnShadow);
  for (int y = 0; y < h; ++y) std::fill_n(disabled->ScanLine(y), w, keyWord);
  for (int pass = 0; pass < 2; ++pass) {
    const int offset = pass == 0 ? 1 : 0;
    for (int y = 0; y + offset < h; ++y)
      for (int x = 0; x + offset < w; ++x)
        if (up.Pixel(x, y) != key) disabled->ScanLine(y + offset)[x + offset] = pass == 0 ? light : shadow;
  }
  disabled->SetTransparentColor(key);
  disabled->SetTransparent(true);
  disabledGlyph_ = std::move(disabled);
}

const TBitmap* TSpeedButton::CurrentGlyph() {
  if (!partsValid_) BuildGlyphParts();
  const std::size_t n = glyphParts_.size();
  if (n == 0) return nullptr;
  if (!Enabled()) return n > 1 ? glyphParts_[1].get() : disabledGlyph_.get();
  if (Pressed() && n > 2) return glyphParts_[2].get();
  if (down_) {
    if (n > 3) return glyphParts_[3].get();
    if (n > 2) return glyphParts_[2].get();
  }
  return glyphParts_[0].get();
}

void TSpeedButton::Paint() {
  TCanvas& canvas = Canvas();
  const bool sunk = Pressed() || down_;
  RECT r = ClientRect();
  if (!(flat_ && transparent_)) {
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(Color());
    canvas.FillRect(r);
  }
  HDC dc = canvas.Handle();
  if (flat_) {
    if (sunk) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    else if (mouseIn_ && Enabled()) DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
  } else {
    DrawEdge(dc, &r, sunk ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  }

  const TBitmap* glyph = CurrentGlyph();
  const SIZE g = glyph ? SIZE{glyph->Width(), glyph->Height()} : SIZE{0, 0};
  const std::string& caption = Caption();
  SIZE t{0, 0};
  if (!caption.empty()) {
    RECT calc{0, 0, 0, 0};
    canvas.DrawText(caption, calc, DT_CALCRECT | DT_SINGLELINE);
    t = {calc.right - calc.left, calc.bottom - calc.top};
  }
  const bool hasGlyph = g.cx > 0, hasText = t.cx > 0;

  // Along the main axis (horizontal for glyph left/right): margin, glyph, spacing, text.
  const bool horizontal = layout_ == blGlyphLeft || layout_ == blGlyphRight;
  const int room = horizontal ? Width() : Height();
  const int glyphLen = horizontal ? g.cx : g.cy, textLen = horizontal ? t.cx : t.cy;
  int margin = margin_, spacing = (hasGlyph && hasText) ? spacing_ : 0;
  if (margin == -1) {
    if (spacing == -1) {  // equal gaps before, between and after
      margin = (room - glyphLen - textLen) / 3;
      spacing = margin;
    } else {
      margin = (room - glyphLen - spacing - textLen) / 2;
    }
  } else if (spacing == -1) {
    spacing = (room - margin - glyphLen - textLen) / 2;
  }
  int glyphPos = margin, textPos = margin + glyphLen + spacing;
  if (layout_ == blGlyphRight || layout_ == blGlyphBottom) {
    glyphPos = room - margin - glyphLen;
    textPos = glyphPos - spacing - textLen;
  }
  POINT glyphAt, textAt;
  if (horizontal) {
    glyphAt = {glyphPos, (Height() - g.cy) / 2};
    textAt = {textPos, (Height() - t.cy) / 2};
  } else {
    glyphAt = {(Width() - g.cx) / 2, glyphPos};
    textAt = {(Width() - t.cx) / 2, textPos};
  }
  if (sunk) {
    ++glyphAt.x, ++glyphAt.y;
    ++textAt.x, ++textAt.y;
  }

  if (glyph) canvas.Draw(glyphAt.x, glyphAt.y, *glyph);
  if (hasText) {
    canvas.Brush().SetStyle(bsClear);
    auto text = [&](int dx, int dy) {
      RECT tr{textAt.x + dx, textAt.y + dy, textAt.x + dx + t.cx, textAt.y + dy + t.cy};
      canvas.DrawText(caption, tr, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    };
    if (Enabled()) {
      text(0, 0);
    } else {
      canvas.Font().SetColor(clBtnHighlight);
      text(1, 1);
      canvas.Font().SetColor(clBtnShadow);
      text(0, 0);
    }
  }
}

void TSpeedButton::ChangeScale(int fromDpi, int toDpi) {
  TGraphicControl::ChangeScale(fromDpi, toDpi);
  SetSpacing(RescaleForDpi(spacing_, fromDpi, toDpi));
  if (margin_ > 0) SetMargin(RescaleForDpi(margin_, fromDpi, toDpi));
}

}  // namespace dorvane
