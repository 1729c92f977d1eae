#include "controls/SpecialProgress.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "framework/ClassBuilder.h"
#include "framework/Forms.h"

namespace dorvane {

namespace {

// One channel value, rounded to nearest with ties to even.
int Channel(double v) { return std::clamp(static_cast<int>(std::nearbyint(v)), 0, 255); }

void SolidBrush(TCanvas& canvas, TColor color) {
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(color);
}

// Interpolation from StartRGB toward EndRGB per pixel of the filled length.
struct Gradient {
  Gradient(TColor start, TColor end, int length)
      : r(GetRValue32(start)), g(GetGValue32(start)), b(GetBValue32(start)),
        dr((GetRValue32(end) - GetRValue32(start)) / static_cast<double>(length)),
        dg((GetGValue32(end) - GetGValue32(start)) / static_cast<double>(length)),
        db((GetBValue32(end) - GetBValue32(start)) / static_cast<double>(length)) {}
  TColor Current() const { return RGBColor(Channel(r), Channel(g), Channel(b)); }
  void Advance(double pixels) {
    r += pixels * dr;
    g += pixels * dg;
    b += pixels * db;
  }
  double r, g, b;
  double dr, dg, db;
};

// A one-pixel 3-D frame: top and left edges in `topLeft`, then bottom and right edges in
// `bottomRight` (which so owns the top-right and bottom-left corners).
void Frame3D(TCanvas& canvas, const RECT& r, TColor topLeft, TColor bottomRight) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  const int right = r.right - 1, bottom = r.bottom - 1;
  SolidBrush(canvas, topLeft);
  canvas.FillRect(RECT{r.left, r.top, right, r.top + 1});
  canvas.FillRect(RECT{r.left, r.top, r.left + 1, bottom});
  SolidBrush(canvas, bottomRight);
  canvas.FillRect(RECT{right, r.top, right + 1, bottom + 1});
  canvas.FillRect(RECT{r.left, bottom, right + 1, bottom + 1});
}

}  // namespace

const EnumType& TextOptionType() {
  static const EnumType t{"TTextOption", {"toCaption", "toFormat", "toNoText", "toPercent"}};
  return t;
}

std::string FormatPercentCaption(std::string_view caption, int value) {
  std::string out;
  out.reserve(caption.size() + 8);
  for (std::size_t i = 0; i < caption.size(); ++i) {
    const char c = caption[i];
    if (c == '%' && i + 1 < caption.size()) {
      const char next = caption[i + 1];
      if (next == 'd') {
        out += std::to_string(value);
        ++i;
        continue;
      }
      if (next == '%') {
        out += '%';
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

const ClassInfo& TSpecialProgress::StaticClass() {
  static const ClassInfo info =
      ClassBuilder<TSpecialProgress>("TSpecialProgress", &TGraphicControl::StaticClass())
          .Enum("BorderStyle", &TSpecialProgress::BorderStyle, &TSpecialProgress::SetBorderStyle, BorderStyleType(), bsNone)
          .Color("EndColor", &TSpecialProgress::EndColor, &TSpecialProgress::SetEndColor, clBlack)
          .Bool("GradientBlocks", &TSpecialProgress::GradientBlocks, &TSpecialProgress::SetGradientBlocks, false)
          .Color("HintColor", &TSpecialProgress::HintColor, &TSpecialProgress::SetHintColor, clInfoBk)
          .Int("Maximum", &TSpecialProgress::Maximum, &TSpecialProgress::SetMaximum, 100)
          .Int("Minimum", &TSpecialProgress::Minimum, &TSpecialProgress::SetMinimum, 0)
          .Int("Position", &TSpecialProgress::Position, &TSpecialProgress::SetPosition, 0)
          .Bool("Solid", &TSpecialProgress::Solid, &TSpecialProgress::SetSolid, false)
          .Color("StartColor", &TSpecialProgress::StartColor, &TSpecialProgress::SetStartColor, clWhite)
          .Int("Step", &TSpecialProgress::Step, &TSpecialProgress::SetStep, 10)
          .Bool("TextCentered", &TSpecialProgress::TextCentered, &TSpecialProgress::SetTextCentered, false)
          .Enum("TextOption", &TSpecialProgress::TextOption, &TSpecialProgress::SetTextOption, TextOptionType(), toNoText)
          .Color("Color", &TSpecialProgress::Color, &TSpecialProgress::SetColor, clWindow)
          .Event("OnParentColorChange", &TSpecialProgress::OnParentColorChange)
          .Build();
  return info;
}

TSpecialProgress::TSpecialProgress(TComponent* owner)
    : TGraphicControl(owner), buffer_(std::make_unique<TBitmap>()) {
  opaque_ = true;
  SetColor(clWindow);
  SetParentColor(true);
  SetBounds(0, 0, 150, 15);
  buffer_->Canvas().Font().Assign(Font());
  // Nothing has been rendered yet: the first chance to (Loaded, a setter, a paint) does.
  changed_ = true;
}

TSpecialProgress::~TSpecialProgress() = default;

int TSpecialProgress::Percent() const {
  const std::int64_t range = std::int64_t{maximum_} - minimum_;
  if (range == 0) return 0;
  return static_cast<int>((std::int64_t{position_} - minimum_) * 100 / range);
}

void TSpecialProgress::SetBorderStyle(TBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  changed_ = true;
  Render();
}

void TSpecialProgress::SetStartColor(TColor color) {
  if (color == startColor_) return;
  startColor_ = color;
  startRGB_ = static_cast<TColor>(ColorToRGB(color));
  changed_ = true;
  Render();
}

void TSpecialProgress::SetEndColor(TColor color) {
  if (color == endColor_) return;
  endColor_ = color;
  endRGB_ = static_cast<TColor>(ColorToRGB(color));
  changed_ = true;
  Render();
}

void TSpecialProgress::SetGradientBlocks(bool value) {
  if (value == gradientBlocks_) return;
  gradientBlocks_ = value;
  if (solid_) return;  // only blocks are shaded per column
  changed_ = true;
  Render();
}

void TSpecialProgress::SetTextCentered(bool value) {
  if (value == textCentered_) return;
  textCentered_ = value;
  if (textOption_ == toNoText) return;
  changed_ = true;
  Render();
}

void TSpecialProgress::SetTextOption(TTextOption option) {
  if (option == textOption_) return;
  textOption_ = option;
  changed_ = true;
  Render();
}

void TSpecialProgress::SetSolid(bool value) {
  if (value == solid_) return;
  solid_ = value;
  changed_ = true;
  ComputeBarLength();
  Render();
}

void TSpecialProgress::SetPosition(std::int32_t value) {
  if (value == position_) return;
  const int before = Percent();
  position_ = value;
  if (position_ > maximum_) position_ = maximum_;
  else if (position_ < minimum_) position_ = minimum_;
  // Only a printed percentage makes a new percentage visible; the bar length is checked
  // below. A change still pending (set while loading) is kept.
  if (ShowsPercent() && Percent() != before) changed_ = true;
  ComputeBarLength();
  Render();
}

void TSpecialProgress::SetMaximum(std::int32_t value) {
  if (value == maximum_) return;
  const int before = Percent();
  maximum_ = std::max(value, minimum_);
  if (maximum_ < position_) position_ = maximum_;
  if (ShowsPercent() && Percent() != before) changed_ = true;
  ComputeBarLength();
  Render();
}

void TSpecialProgress::SetMinimum(std::int32_t value) {
  if (value == minimum_) return;
  const int before = Percent();
  minimum_ = std::min(value, maximum_);
  if (minimum_ > position_) position_ = minimum_;
  if (ShowsPercent() && Percent() != before) changed_ = true;
  ComputeBarLength();
  Render();
}

void TSpecialProgress::ColorChanged() {
  changed_ = true;
  Render();
}

void TSpecialProgress::FontChanged() {
  buffer_->Canvas().Font().Assign(Font());
  if (textOption_ == toNoText) return;
  changed_ = true;
  Render();
}

void TSpecialProgress::TextChanged() {
  if (textOption_ != toCaption && textOption_ != toFormat) return;
  changed_ = true;
  Render();
}

void TSpecialProgress::ParentColorChanged() {
  TGraphicControl::ParentColorChanged();
  Fire(OnParentColorChange, this);
}

// A new size changes the bar length and the buffer; the paint that the resize asks for
// renders it. Setters that render before that paint already see the new length.
void TSpecialProgress::BoundsChanged() {
  TGraphicControl::BoundsChanged();
  if (ClientWidth() == buffer_->Width() && ClientHeight() == buffer_->Height()) return;
  changed_ = true;
  ComputeBarLength();
}

void TSpecialProgress::Loaded() {
  TGraphicControl::Loaded();
  ComputeBarLength();
  Render();
}

void TSpecialProgress::MouseEnter() {
  TApplication& app = Application();
  savedHintColor_ = app.HintColor();
  hintSaved_ = true;
  if (IsDesigning()) return;
  app.SetHintColor(hintColor_);
  TGraphicControl::MouseEnter();
}

void TSpecialProgress::MouseLeave() {
  // Only a colour saved on entering is put back: a leave without an enter must not
  // overwrite the application's colour with a stale one.
  if (hintSaved_) {
    Application().SetHintColor(savedHintColor_);
    hintSaved_ = false;
  }
  TGraphicControl::MouseLeave();
}

void TSpecialProgress::ComputeBarLength() {
  const int width = ClientWidth();
  if (IsLoading() || maximum_ == minimum_ || width < 2) return;
  std::int64_t length =
      std::int64_t{width - 2} * (std::int64_t{position_} - minimum_) / (std::int64_t{maximum_} - minimum_);
  if (!solid_) {
    blockWidth_ = 2 * ClientHeight() / 3;
    if (blockWidth_ == 0) {
      length = 0;
    } else {
      blockCount_ = static_cast<int>(length / blockWidth_);
      int room = width - 2 - blockWidth_ * blockCount_;
      if (room > blockWidth_) room = blockWidth_;
      // A block is added once the bar reaches more than half-way into it (measured
      // against the room that is left); a narrower last block ends at the inner edge.
      if (room < 2 * (length % blockWidth_)) {
        ++blockCount_;
        lastBlockPartial_ = room < blockWidth_;
        lastBlockWidth_ = room;
        length = lastBlockPartial_ ? width - 2 : std::int64_t{blockWidth_} * blockCount_;
      } else {
        lastBlockPartial_ = false;
        length = std::int64_t{blockWidth_} * blockCount_;
      }
    }
  }
  if (length == barLength_) return;
  barLength_ = static_cast<int>(length);
  changed_ = true;
}

void TSpecialProgress::Render(bool repaint) {
  if (!changed_ || IsLoading()) return;
  changed_ = false;
  const int width = ClientWidth(), height = ClientHeight();
  if (width <= 0 || height <= 0) return;
  buffer_->SetSize(width, height);
  TCanvas& canvas = buffer_->Canvas();
  if (solid_) PaintSolid(canvas, width, height);
  else PaintBlocks(canvas, width, height);
  if (barLength_ < width - 2) {
    SolidBrush(canvas, Color());
    canvas.FillRect(RECT{barLength_ + 1, 1, width - 1, height - 1});
  }
  PaintCaption(canvas, width, height);
  PaintBorder(canvas, width, height);
  if (repaint) Repaint();
}

void TSpecialProgress::PaintSolid(TCanvas& canvas, int, int height) {
  if (barLength_ <= 0) return;
  if (endRGB_ == startRGB_) {
    SolidBrush(canvas, startRGB_);
    canvas.FillRect(RECT{1, 1, barLength_ + 1, height - 1});
    return;
  }
  // Stretched over the current length: the last column is (length - 1) / length of the
  // way, so the right end always comes close to EndColor.
  const Gradient shade(startRGB_, endRGB_, barLength_);
  for (int i = 1; i <= barLength_; ++i) {
    const double steps = i - 1;
    SolidBrush(canvas, RGBColor(Channel(shade.r + steps * shade.dr), Channel(shade.g + steps * shade.dg),
                                Channel(shade.b + steps * shade.db)));
    canvas.FillRect(RECT{i, 1, i + 1, height - 1});
  }
}

void TSpecialProgress::PaintBlocks(TCanvas& canvas, int, int height) {
  if (barLength_ <= 0 || blockWidth_ <= 0) return;
  const int fullBlocks = lastBlockPartial_ ? blockCount_ - 1 : blockCount_;
  const int top = 1, blockHeight = height - 2;
  auto fill = [&](int x, int width, TColor color) {
    SolidBrush(canvas, color);
    canvas.FillRect(RECT{x, top, x + width, top + blockHeight});
  };
  int x = 1;
  if (endRGB_ == startRGB_) {
    for (int k = 0; k < fullBlocks; ++k, x += blockWidth_) fill(x, blockWidth_ - 1, startRGB_);
    if (lastBlockPartial_) fill(x, lastBlockWidth_, startRGB_);
  } else {
    Gradient shade(startRGB_, endRGB_, barLength_);
    for (int k = 0; k < fullBlocks; ++k, x += blockWidth_) {
      if (!gradientBlocks_) {
        fill(x, blockWidth_ - 1, shade.Current());
        shade.Advance(blockWidth_);
      } else {
        for (int j = 0; j <= blockWidth_ - 2; ++j) {
          fill(x + j, 1, shade.Current());
          shade.Advance(1);
        }
        shade.Advance(1);  // the separator column
      }
    }
    if (lastBlockPartial_) {
      if (!gradientBlocks_) {
        fill(x, lastBlockWidth_, shade.Current());
      } else {
        for (int j = 0; j < lastBlockWidth_; ++j) {
          fill(x + j, 1, shade.Current());
          shade.Advance(1);
        }
      }
    }
  }
  for (int k = 1; k <= fullBlocks; ++k) fill(k * blockWidth_, 1, Color());
}

void TSpecialProgress::PaintCaption(TCanvas& canvas, int width, int height) {
  std::string text;
  switch (textOption_) {
    case toCaption: text = Caption(); break;
    case toFormat: text = FormatPercentCaption(Caption(), Percent()); break;
    case toPercent: text = std::to_string(Percent()) + "%"; break;
    default: return;
  }
  // Without TextCentered the text sits over the filled part and moves with it.
  const int area = textCentered_ ? width : barLength_;
  const SIZE extent = canvas.TextExtent(text);
  const int x = std::max(0, (area - static_cast<int>(extent.cx)) / 2);
  const int y = std::max(0, (height - static_cast<int>(extent.cy)) / 2);
  canvas.Brush().SetStyle(bsClear);
  canvas.TextOut(x, y, text);
  canvas.Brush().SetStyle(bsSolid);
}

void TSpecialProgress::PaintBorder(TCanvas& canvas, int width, int height) {
  RECT r{0, 0, width, height};
  if (borderStyle_ == bsNone) {
    SolidBrush(canvas, Color());
    canvas.FrameRect(r);
    return;
  }
  const std::pair<TColor, TColor> frames[] = {
      {clBtnFace, clBtnFace}, {clBtnShadow, clBtnHighlight}, {cl3DDkShadow, clBtnFace}};
  for (const auto& [topLeft, bottomRight] : frames) {
    Frame3D(canvas, r, topLeft, bottomRight);
    InflateRect(&r, -1, -1);
  }
}

void TSpecialProgress::Paint() {
  const int width = ClientWidth(), height = ClientHeight();
  if (buffer_->Width() != width || buffer_->Height() != height) {
    changed_ = true;
    ComputeBarLength();
    Render(false);  // this paint shows it
  }
  if (width < 3 || height < 3) return;
  if (buffer_->Width() != width || buffer_->Height() != height) return;  // not rendered yet (loading)
  Canvas().SetCopyMode(SRCCOPY);
  const RECT all{0, 0, width, height};
  Canvas().CopyRect(all, buffer_->Canvas(), all);
}

}  // namespace dorvane
