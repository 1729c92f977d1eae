#include "controls/StyledMenus.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "framework/ClassBuilder.h"
#include "core/ScopeExit.h"
#include "core/win32/WideString.h"
#include "framework/ImageList.h"

namespace dorvane {

namespace {

constexpr TOwnerDrawState kDisabledStates = ODS_DISABLED | ODS_GRAYED;

int CheckWidth() { return GetSystemMetrics(SM_CXMENUCHECK); }
int CheckHeight() { return GetSystemMetrics(SM_CYMENUCHECK); }
// The gap on each side of the check-mark column.
int CheckMarkMargin() { return static_cast<int>(std::nearbyint(0.3 * CheckWidth())); }
int ItemHeightBase() { return GetSystemMetrics(SM_CYMENU) - 2; }

void AssignMenuFont(TFont& font) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    const LOGFONTW& lf = metrics.lfMenuFont;
    font.SetName(Narrow(lf.lfFaceName));
    font.SetHeight(lf.lfHeight);
    font.SetCharset(lf.lfCharSet);
    font.SetStyle((lf.lfWeight >= FW_BOLD ? 1u << fsBold : 0u) | (lf.lfItalic ? 1u << fsItalic : 0u));
  } else {
    font.SetName("MS Sans Serif");
    font.SetSize(8);
    font.SetStyle(0);
  }
  font.SetColor(clMenuText);
}

void Line(TCanvas& c, TColor color, int x1, int y1, int x2, int y2) {
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  c.Pen().SetColor(color);
  c.MoveTo(x1, y1);
  c.LineTo(x2, y2);
}

// A one-pixel 3-D frame just inside r: top and left in `topLeft`, bottom and right in
// `bottomRight` (which also takes the top-right and bottom-left corners).
void Frame3D(TCanvas& c, const RECT& r, TColor topLeft, TColor bottomRight) {
  const int right = r.right - 1, bottom = r.bottom - 1;
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  c.Pen().SetColor(topLeft);
  c.MoveTo(r.left, bottom);
  c.LineTo(r.left, r.top);
  c.LineTo(right, r.top);
  c.Pen().SetColor(bottomRight);
  c.LineTo(right, bottom);
  c.LineTo(r.left - 1, bottom);
}

// The system's check mark (or radio bullet), drawn in `color` at (x, y); the pixels around
// it keep what is there.
void DrawCheckMark(HDC dc, int x, int y, bool radio, TColor color) {
  const int w = CheckWidth(), h = CheckHeight();
  UniqueHbitmap mono(CreateBitmap(w, h, 1, 1, nullptr));
  UniqueMemoryDc source(CreateCompatibleDC(dc));
  UniqueHbrush brush(CreateSolidBrush(ColorToRGB(color)));
  if (!mono || !source || !brush) return;
  const auto selectBitmap = SelectInto(source.get(), mono.get());
  RECT r{0, 0, w, h};
  DrawFrameControl(source.get(), &r, DFC_MENU, radio ? DFCS_MENUBULLET : DFCS_MENUCHECK);
  const auto saved = SaveDcState(dc);
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, RGB(255, 255, 255));
  BitBlt(dc, x, y, w, h, source.get(), 0, 0, SRCAND);  // the mark black, the rest kept
  const auto selectBrush = SelectInto(dc, brush.get());
  constexpr DWORD kPaintUnderMark = 0x00BA0B09;  // D | (P & ~S): the brush where the mark is
  BitBlt(dc, x, y, w, h, source.get(), 0, 0, kPaintUnderMark);
}

// The shape of a glyph (pixels other than its transparent colour) in one colour.
std::unique_ptr<TBitmap> Silhouette(const TBitmap& glyph, TColor color) {
  auto shape = std::make_unique<TBitmap>(glyph.Width(), glyph.Height());
  const TColor key = glyph.Pixel(0, glyph.Height() - 1);
  const TColor background = color == clWhite ? clBlack : clWhite;
  for (int y = 0; y < glyph.Height(); ++y)
    for (int x = 0; x < glyph.Width(); ++x) shape->SetPixel(x, y, glyph.Pixel(x, y) == key ? background : color);
  shape->SetTransparentColor(background);
  shape->SetTransparent(true);
  return shape;
}

// A disabled glyph: its shape in the highlight colour one pixel down and right, then in
// the shadow colour in its place.
void DrawEmbossed(TCanvas& c, const TBitmap& glyph, int x, int y) {
  if (glyph.Empty()) return;
  c.Draw(x + 1, y + 1, *Silhouette(glyph, static_cast<TColor>(ColorToRGB(clBtnHighlight))));
  c.Draw(x, y, *Silhouette(glyph, static_cast<TColor>(ColorToRGB(clBtnShadow))));
}

std::string StripHotkey(const std::string& caption) {
  std::string out;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') out += '&';
      ++i;
      if (i < caption.size() && caption[i] != '&') out += caption[i];
      continue;
    }
    out += caption[i];
  }
  return out;
}

}  // namespace

std::string ShortCutToText(int shortCut) {
  const int key = shortCut & 0xFF;
  if (key == 0) return {};
  std::string name;
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) name = std::string(1, static_cast<char>(key));
  else if (key >= VK_F1 && key <= VK_F24) name = "F" + std::to_string(key - VK_F1 + 1);
  else if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) name = "Num " + std::to_string(key - VK_NUMPAD0);
  else {
    switch (key) {
      case VK_BACK: name = "BkSp"; break;
      case VK_TAB: name = "Tab"; break;
      case VK_RETURN: name = "Enter"; break;
      case VK_ESCAPE: name = "Esc"; break;
      case VK_SPACE: name = "Space"; break;
      case VK_PRIOR: name = "PgUp"; break;
      case VK_NEXT: name = "PgDn"; break;
      case VK_END: name = "End"; break;
      case VK_HOME: name = "Home"; break;
      case VK_LEFT: name = "Left"; break;
      case VK_UP: name = "Up"; break;
      case VK_RIGHT: name = "Right"; break;
      case VK_DOWN: name = "Down"; break;
      case VK_INSERT: name = "Ins"; break;
      case VK_DELETE: name = "Del"; break;
      default: return {};
    }
  }
  std::string text;
  if (shortCut & 0x2000) text += "Shift+";
  if (shortCut & 0x4000) text += "Ctrl+";
  if (shortCut & 0x8000) text += "Alt+";
  return text + name;
}

const EnumType& MenuStyleType() {
  static const EnumType t{"TMenuStyle", {"msStandard", "msOwnerDraw", "msBtnLowered", "msBtnRaised"}};
  return t;
}

const ClassInfo& TStyledPopupMenu::StaticClass() {
  static const ClassInfo info =
      ClassBuilder<TStyledPopupMenu>("TStyledPopupMenu", &TPopupMenu::StaticClass())
          .Enum("Style", &TStyledPopupMenu::Style, &TStyledPopupMenu::SetStyle, MenuStyleType(), msStandard)
          .Bool("ShowCheckMarks", &TStyledPopupMenu::ShowCheckMarks, &TStyledPopupMenu::SetShowCheckMarks, true)
          .Int("LeftMargin", &TStyledPopupMenu::LeftMargin, &TStyledPopupMenu::SetLeftMargin, 0)
          .Int("MinTextOffset", &TStyledPopupMenu::MinTextOffset, &TStyledPopupMenu::SetMinTextOffset, 0)
          .Int("Cursor", &TStyledPopupMenu::Cursor, &TStyledPopupMenu::SetCursor, crDefault, CursorIdents())
          .Event("OnGetImageIndex", &TStyledPopupMenu::OnGetImageIndex)
          .Event("OnDrawItem", &TStyledPopupMenu::OnDrawItem)
          .Event("OnDrawMargin", &TStyledPopupMenu::OnDrawMargin)
          .Event("OnGetItemParams", &TStyledPopupMenu::OnGetItemParams)
          .Event("OnMeasureItem", &TStyledPopupMenu::OnMeasureItem)
          .Build();
  return info;
}

TStyledPopupMenu::TStyledPopupMenu(TComponent* owner) : TPopupMenu(owner) {}

TStyledPopupMenu::~TStyledPopupMenu() { style_ = msStandard; }

bool TStyledPopupMenu::OwnerDraw() const {
  return style_ != msStandard || (Images() && Images()->Count() > 0);
}

struct TStyledPopupMenu::ItemParams {
  TFont font;
  TColor color = clMenu;
  TGraphic* graphic = nullptr;
  int numGlyphs = 1;
  int imageIndex = -1;
};

bool TStyledPopupMenu::IsFirstLevel(const TMenuItem* item) const { return item->Parent() == Items(); }

int TStyledPopupMenu::GlyphColumn() const {
  const int minimum = static_cast<int>(minTextOffset_);
  return Images() ? std::max(minimum, Images()->Width() + 2) : minimum;
}

void TStyledPopupMenu::Params(TMenuItem* item, TOwnerDrawState state, bool drawing, ItemParams& p) {
  AssignMenuFont(p.font);
  if (item->Default()) p.font.SetStyle(p.font.Style() | (1u << fsBold));
  const bool highlight = drawing && (state & ODS_SELECTED) && (style_ == msStandard || style_ == msOwnerDraw);
  if (highlight) {
    p.font.SetColor(clHighlightText);
    p.color = clHighlight;
  }
  Fire(OnGetItemParams, this, item, state, p.font, p.color, p.graphic, p.numGlyphs);
  if (item->IsLine()) p.graphic = nullptr;
  if (!item->IsLine() && Images()) {
    p.imageIndex = item->ImageIndex();
    Fire(OnGetImageIndex, this, item, state, p.imageIndex);
  }
}

// Where shortcut texts start: the widest "caption<tab><tab>" of the item's siblings when it
// has a shortcut (so shortcuts line up), else its own.
int TStyledPopupMenu::CaptionColumn(TCanvas& canvas, TMenuItem* item) {
  auto width = [&](const TMenuItem* i) { return canvas.TextWidth(StripHotkey(i->Caption()) + "\t\t"); };
  if (item->ShortCut() == 0 || !item->Parent()) return width(item);
  int widest = 0;
  const TMenuItem* parent = item->Parent();
  for (int i = 0; i < parent->Count(); ++i)
    if (parent->Items(i)->Visible()) widest = std::max(widest, width(parent->Items(i)));
  return widest;
}

SIZE TStyledPopupMenu::MeasureItem(TMenuItem* item) {
  const WindowDc screen(nullptr);
  TCanvas canvas;
  canvas.SetHandle(screen.get());
  const auto release = OnScopeExit([&canvas] { canvas.SetHandle(nullptr); });
  ItemParams p;
  Params(item, 0, false, p);
  canvas.Font().Assign(p.font);

  const int glyphColumn = GlyphColumn();
  int height = ItemHeightBase();
  int width = 2 * CheckMarkMargin();
  width += CaptionColumn(canvas, item);
  if (item->ShortCut() != 0) {
    int widest = 0;
    const TMenuItem* parent = item->Parent();
    for (int i = 0; parent && i < parent->Count(); ++i) {
      const TMenuItem* sibling = parent->Items(i);
      if (sibling->Visible() && sibling->ShortCut() != 0)
        widest = std::max(widest, canvas.TextWidth(ShortCutToText(sibling->ShortCut()) + " "));
    }
    width += widest;
  }
  if (item->Count() > 0) width += canvas.TextWidth("\t\t");
  if (showCheckMarks_) width += CheckWidth();

  if (item->IsLine()) {
    height = std::max(canvas.TextHeight("-") / 2, 9);
  } else {
    height = std::max(height, canvas.TextHeight(item->Caption()));
    if (Images() && p.imageIndex >= 0 && p.imageIndex < Images()->Count()) {
      width += std::max(glyphColumn, Images()->Width() + 2);
      height = std::max(height, Images()->Height() + 4);
    } else if (p.graphic && !p.graphic->Empty()) {
      int glyphWidth = p.graphic->Width();
      if (dynamic_cast<const TBitmap*>(p.graphic) && p.numGlyphs >= 2 && p.numGlyphs <= 5) glyphWidth /= p.numGlyphs;
      width += std::max(glyphWidth + 2, glyphColumn);
      height = std::max(height, p.graphic->Height() + 4);
    } else if (glyphColumn != 0) {
      width += glyphColumn;
    }
  }
  Fire(OnMeasureItem, this, item, width, height);
  if (IsFirstLevel(item)) width += static_cast<int>(leftMargin_) + 1;
  return SIZE{width, height};
}

bool TStyledPopupMenu::MeasureItem(TMenuItem* item, MEASUREITEMSTRUCT& mis) {
  const SIZE size = MeasureItem(item);
  mis.itemWidth = static_cast<UINT>(std::max<LONG>(size.cx, 0));
  mis.itemHeight = static_cast<UINT>(std::max<LONG>(size.cy, 0));
  return true;
}

bool TStyledPopupMenu::DrawItem(TMenuItem* item, DRAWITEMSTRUCT& dis) {
  DrawItem(item, dis.hDC, dis.rcItem, dis.itemState, (dis.itemAction & ODA_DRAWENTIRE) != 0);
  return true;
}

void TStyledPopupMenu::DrawMargin(TCanvas& canvas, const RECT& rect) {
  if (OnDrawMargin) {
    OnDrawMargin(this, canvas, rect);
    return;
  }
  // A strip shaded from the caption colour to the inactive caption colour, edged by a
  // shadow and a highlight line.
  const int width = rect.right - rect.left;
  const TColor from = static_cast<TColor>(ColorToRGB(clActiveCaption));
  const TColor to = static_cast<TColor>(ColorToRGB(clInactiveCaption));
  canvas.Brush().SetStyle(bsSolid);
  for (int x = 0; x < width; ++x) {
    const double t = width > 1 ? static_cast<double>(x) / (width - 1) : 0.0;
    auto mix = [t](int a, int b) { return static_cast<int>(std::nearbyint(a + (b - a) * t)); };
    canvas.Brush().SetColor(RGBColor(mix(GetRValue32(from), GetRValue32(to)), mix(GetGValue32(from), GetGValue32(to)),
                                     mix(GetBValue32(from), GetBValue32(to))));
    canvas.FillRect(RECT{rect.left + x, rect.top, rect.left + x + 1, rect.bottom});
  }
  if (width >= 2) {
    Line(canvas, clBtnShadow, rect.right - 2, rect.top, rect.right - 2, rect.bottom);
    Line(canvas, clBtnHighlight, rect.right - 1, rect.top, rect.right - 1, rect.bottom);
  }
}

void TStyledPopupMenu::DrawItem(TMenuItem* item, HDC dc, const RECT& rect, TOwnerDrawState state, bool entire) {
  const auto saved = SaveDcState(dc);
  TCanvas canvas;
  canvas.SetHandle(dc);
  const auto release = OnScopeExit([&canvas] { canvas.SetHandle(nullptr); });
  RECT r = rect;
  if (IsFirstLevel(item)) {
    if (leftMargin_ > 0 && entire)
      DrawMargin(canvas, RECT{rect.left, rect.top, rect.left + static_cast<LONG>(leftMargin_), rect.bottom});
    r.left += static_cast<LONG>(leftMargin_) + 1;
  }

  ItemParams p;
  Params(item, state, true, p);
  canvas.Font().Assign(p.font);
  if (p.color != clNone) {
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(p.color);
    canvas.FillRect(r);
  }
  if (OnDrawItem) {
    OnDrawItem(this, canvas, item, r, state);
    return;
  }

  const int paintStyle = style_ == msBtnLowered ? 1 : style_ == msBtnRaised ? 2 : 0;
  const bool selected = (state & ODS_SELECTED) != 0;
  const bool disabled = !item->Enabled() || (state & kDisabledStates) != 0;
  const bool checked = item->Checked() || (state & ODS_CHECKED) != 0;
  const int margin = CheckMarkMargin();
  int textOffset = 2 * margin + (showCheckMarks_ ? CheckWidth() : 2);

  if (selected && paintStyle != 0 && !item->IsLine()) {
    if (paintStyle == 1) Frame3D(canvas, r, clBtnShadow, clBtnHighlight);
    else Frame3D(canvas, r, clBtnHighlight, clBtnShadow);
    InflateRect(&r, -1, -1);
  }

  if (checked && showCheckMarks_ && !item->IsLine()) {
    canvas.RequireState();
    DrawCheckMark(dc, r.left + (textOffset - CheckWidth()) / 2, (r.top + r.bottom - CheckHeight()) / 2,
                  item->RadioItem(), canvas.Font().Color());
  }

  // The glyph column: an image of the list, else the graphic of OnGetItemParams.
  const int glyphColumn = GlyphColumn();
  if (Images() && p.imageIndex >= 0 && p.imageIndex < Images()->Count()) {
    const int column = std::max(static_cast<int>(minTextOffset_), Images()->Width() + 2);
    Images()->Draw(canvas, r.left + textOffset + (column - Images()->Width()) / 2,
                   (r.top + r.bottom - Images()->Height()) / 2, p.imageIndex, !disabled);
    textOffset += margin + column;
  } else if (p.graphic && !p.graphic->Empty()) {
    const auto* bitmap = dynamic_cast<const TBitmap*>(p.graphic);
    TBitmap part;
    const TGraphic* shown = p.graphic;
    if (bitmap && p.numGlyphs >= 2 && p.numGlyphs <= 5) {
      int index = disabled ? 1 : checked ? 3 : selected ? 2 : 0;
      if (index >= p.numGlyphs) index = 0;
      const int w = bitmap->Width() / p.numGlyphs;
      part.SetSize(w, bitmap->Height());
      for (int y = 0; y < bitmap->Height(); ++y)
        for (int x = 0; x < w; ++x) part.SetPixel(x, y, bitmap->Pixel(index * w + x, y));
      part.SetTransparent(true);
      shown = &part;
    }
    const int column = std::max(shown->Width() + 2, glyphColumn);
    const int x = r.left + textOffset + (column - shown->Width()) / 2;
    const int y = (r.top + r.bottom - shown->Height()) / 2;
    if (disabled && dynamic_cast<const TBitmap*>(shown)) {
      DrawEmbossed(canvas, *static_cast<const TBitmap*>(shown), x, y);
    } else if (disabled) {
      if (const auto* icon = dynamic_cast<const TIcon*>(shown))
        DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon->Handle()), 0, x, y, 0, 0, DST_ICON | DSS_DISABLED);
    } else {
      canvas.Draw(x, y, *shown);
    }
    textOffset += margin + column;
  } else if (glyphColumn > 0) {
    textOffset += margin + glyphColumn;
  }

  if (item->IsLine()) {
    const int y = (r.top + r.bottom) / 2;
    Line(canvas, clBtnShadow, r.left, y - 1, r.right, y - 1);
    Line(canvas, clBtnHighlight, r.left, y, r.right, y);
    return;
  }

  canvas.Brush().SetStyle(bsClear);
  const int top = (r.top + r.bottom - canvas.TextHeight("Ay")) / 2;
  const std::string shortCut = item->Count() == 0 ? ShortCutToText(item->ShortCut()) : std::string();
  const int shortCutLeft = shortCut.empty() ? 0 : CaptionColumn(canvas, item);
  auto text = [&](int dx, int dy, TColor color) {
    canvas.Font().SetColor(color);
    RECT tr{r.left + textOffset + dx, top + dy, r.right + dx, r.bottom + dy};
    canvas.DrawText(item->Caption(), tr, DT_SINGLELINE | DT_EXPANDTABS | DT_LEFT | DT_NOCLIP);
    if (!shortCut.empty()) {
      RECT sr{r.left + textOffset + shortCutLeft + dx, top + dy, r.right + dx, r.bottom + dy};
      canvas.DrawText(shortCut, sr, DT_SINGLELINE | DT_LEFT | DT_NOCLIP | DT_NOPREFIX);
    }
  };
  if (!disabled) {
    text(0, 0, canvas.Font().Color());
    return;
  }
  // Disabled: engraved, a highlight copy under the shadow-coloured text; on the highlight
  // bar of the plain styles the grey text stands alone unless it would vanish there.
  const bool onHighlight = selected && (style_ == msStandard || style_ == msOwnerDraw);
  if (!onHighlight || ColorToRGB(clGrayText) == ColorToRGB(clHighlight)) text(1, 1, clBtnHighlight);
  text(0, 0, onHighlight ? clGrayText : clBtnShadow);
}

}  // namespace dorvane
