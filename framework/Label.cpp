#include "framework/Label.h"

#include "framework/ClassBuilder.h"
#include "winapi/Handles.h"
#include "core/win32/WideString.h"

namespace dorvane {

const EnumType& TextLayoutType() {
  static const EnumType t{"TTextLayout", {"tlTop", "tlCenter", "tlBottom"}};
  return t;
}

const ClassInfo& TLabel::StaticClass() {
  static const ClassInfo info =
      ClassBuilder<TLabel>("TLabel", &TGraphicControl::StaticClass())
          .Enum("Alignment", &TLabel::Alignment, &TLabel::SetAlignment, AlignmentType(), taLeftJustify)
          .Enum("Layout", &TLabel::Layout, &TLabel::SetLayout, TextLayoutType(), tlTop)
          .Bool("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize, true)
          .Bool("Transparent", &TLabel::Transparent, &TLabel::SetTransparent, false)
          .Bool("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap, false)
          .Build();
  return info;
}

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
  // A label takes its parent's colour unless given one.
  SetParentColor(true);
  opaque_ = true;
}

TLabel::~TLabel() = default;

void TLabel::SetAlignment(TAlignment alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  Invalidate();
}

void TLabel::SetLayout(TTextLayout layout) {
  if (layout == layout_) return;
  layout_ = layout;
  Invalidate();
}

void TLabel::SetAutoSize(bool value) {
  if (value == autoSize_) return;
  autoSize_ = value;
  AdjustBounds();
}

void TLabel::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  opaque_ = !value;
  Invalidate();
}

void TLabel::SetWordWrap(bool value) {
  if (value == wordWrap_) return;
  wordWrap_ = value;
  AdjustBounds();
  Invalidate();
}

void TLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TLabel::TextChanged() {
  AdjustBounds();
  Invalidate();
}

void TLabel::FontChanged() {
  AdjustBounds();
  Invalidate();
}

UINT TLabel::TextFlags() const {
  // Captions are shown as they are: drive labels may contain '&'.
  UINT flags = DT_NOPREFIX | DT_EXPANDTABS | DrawTextAlignment(alignment_);
  if (wordWrap_) flags |= DT_WORDBREAK;
  return flags;
}

void TLabel::AdjustBounds() {
  if (!autoSize_ || IsLoading()) return;
  UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  if (!dc) return;
  const auto font = SelectInto(dc.get(), Font().Handle());
  // An empty caption still measures one line of the font.
  std::wstring text = Widen(Caption());
  if (text.empty()) text = L" ";
  RECT r{0, 0, wordWrap_ ? Width() : 0, 0};
  DrawTextW(dc.get(), text.data(), static_cast<int>(text.size()), &r,
            (TextFlags() & ~static_cast<UINT>(DT_RIGHT | DT_CENTER)) | DT_CALCRECT);
  const int width = wordWrap_ ? Width() : r.right - r.left;
  const int height = r.bottom - r.top;
  int left = Left();
  if (alignment_ == taRightJustify && !wordWrap_) left += Width() - width;
  SetBounds(left, Top(), width, height);
}

void TLabel::Paint() {
  TCanvas& canvas = Canvas();
  RECT r = ClientRect();
  if (!transparent_) {
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(Color());
    canvas.FillRect(r);
  }
  canvas.Brush().SetStyle(bsClear);
  if (!Enabled()) canvas.Font().SetColor(clGrayText);
  const UINT flags = TextFlags();
  if (layout_ != tlTop) {
    RECT calc = r;
    canvas.DrawText(Caption(), calc, flags | DT_CALCRECT);
    const int textHeight = calc.bottom - calc.top;
    const int room = (r.bottom - r.top) - textHeight;
    r.top += layout_ == tlBottom ? room : room / 2;
  }
  canvas.DrawText(Caption(), r, flags);
}

}  // namespace dorvane
