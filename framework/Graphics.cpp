#include "framework/Graphics.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

#include "core/BmpDecoder.h"
#include "core/LittleEndian.h"
#include "core/ScopeExit.h"
#include "core/Text.h"
#include "framework/ClassBuilder.h"
#include "framework/Jpeg.h"
#include "framework/Resources.h"
#include "framework/SysUtils.h"
#include "core/win32/WideString.h"

namespace dorvane {

// -- colours --------------------------------------------------------------------------

namespace {

constexpr IntIdent kColorIdents[] = {
    {"clBlack", clBlack},
    {"clMaroon", clMaroon},
    {"clGreen", clGreen},
    {"clOlive", clOlive},
    {"clNavy", clNavy},
    {"clPurple", clPurple},
    {"clTeal", clTeal},
    {"clGray", clGray},
    {"clSilver", clSilver},
    {"clRed", clRed},
    {"clLime", clLime},
    {"clYellow", clYellow},
    {"clBlue", clBlue},
    {"clFuchsia", clFuchsia},
    {"clAqua", clAqua},
    {"clWhite", clWhite},
    {"clScrollBar", clScrollBar},
    {"clBackground", clBackground},
    {"clActiveCaption", clActiveCaption},
    {"clInactiveCaption", clInactiveCaption},
    {"clMenu", clMenu},
    {"clWindow", clWindow},
    {"clWindowFrame", clWindowFrame},
    {"clMenuText", clMenuText},
    {"clWindowText", clWindowText},
    {"clCaptionText", clCaptionText},
    {"clActiveBorder", clActiveBorder},
    {"clInactiveBorder", clInactiveBorder},
    {"clAppWorkSpace", clAppWorkSpace},
    {"clHighlight", clHighlight},
    {"clHighlightText", clHighlightText},
    {"clBtnFace", clBtnFace},
    {"clBtnShadow", clBtnShadow},
    {"clGrayText", clGrayText},
    {"clBtnText", clBtnText},
    {"clInactiveCaptionText", clInactiveCaptionText},
    {"clBtnHighlight", clBtnHighlight},
    {"cl3DDkShadow", cl3DDkShadow},
    {"cl3DLight", cl3DLight},
    {"clInfoText", clInfoText},
    {"clInfoBk", clInfoBk},
    {"clNone", clNone},
    {"clDefault", clDefault},
};

bool IsSystemColor(TColor color) { return (static_cast<std::uint32_t>(color) & 0xFF000000u) == 0xFF000000u; }

// DIB words are 0x00RRGGBB, colours 0x00BBGGRR: the same swap both ways.
std::uint32_t SwapRedBlue(std::uint32_t v) { return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF); }

}  // namespace

std::uint32_t ColorToDib(TColor color) { return SwapRedBlue(ColorToRGB(color)); }

std::span<const IntIdent> ColorIdents() { return kColorIdents; }

COLORREF ColorToRGB(TColor color) {
  if (IsSystemColor(color)) return ::GetSysColor(static_cast<int>(color & 0xFF));
  if (color == clNone || color == clDefault) return RGB(0, 0, 0);
  return static_cast<COLORREF>(color) & 0x00FFFFFFu;
}

std::string ColorToIdent(TColor color) {
  for (const IntIdent& ident : kColorIdents)
    if (ident.value == color) return std::string(ident.name);
  return {};
}

// -- enumeration types ----------------------------------------------------------------

const EnumType& FontStyleType() {
  static const EnumType type{"TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}};
  return type;
}

namespace {

const EnumType& PenStyleType() {
  static const EnumType type{"TPenStyle", {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot",
                                           "psClear", "psInsideFrame"}};
  return type;
}

const EnumType& PenModeType() {
  static const EnumType type{"TPenMode", {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy",
                                          "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen",
                                          "pmMerge", "pmNotMerge", "pmMask", "pmNotMask", "pmXor", "pmNotXor"}};
  return type;
}

const EnumType& BrushStyleType() {
  static const EnumType type{"TBrushStyle", {"bsSolid", "bsClear", "bsHorizontal", "bsVertical",
                                             "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"}};
  return type;
}

int Rop2Of(TPenMode mode) {
  static constexpr int modes[] = {R2_BLACK,       R2_WHITE,       R2_NOP,         R2_NOT,
                                  R2_COPYPEN,     R2_NOTCOPYPEN,  R2_MERGEPENNOT, R2_MASKPENNOT,
                                  R2_MERGENOTPEN, R2_MASKNOTPEN,  R2_MERGEPEN,    R2_NOTMERGEPEN,
                                  R2_MASKPEN,     R2_NOTMASKPEN,  R2_XORPEN,      R2_NOTXORPEN};
  const auto i = static_cast<std::size_t>(mode);
  return i < std::size(modes) ? modes[i] : R2_COPYPEN;
}


}  // namespace

// -- fonts, pens, brushes -------------------------------------------------------------

const ClassInfo& TGraphicsObject::StaticClass() {
  static const ClassInfo info = ClassBuilder<TGraphicsObject>("TGraphicsObject", &TPersistent::StaticClass()).Build();
  return info;
}

void TGraphicsObject::Changed() { Fire(OnChange, this); }

// The font's size is derived from its height. The form writer has no notion of a property
// that is read and written but never stored, so Size is listed before Height: a
// description carrying both ends with the exact Height.
const ClassInfo& TFont::StaticClass() {
  static const ClassInfo info =
      ClassBuilder<TFont>("TFont", &TGraphicsObject::StaticClass())
          .Color("Color", &TFont::Color, &TFont::SetColor, clWindowText)
          .Str("Name", &TFont::Name, &TFont::SetName, std::string("MS Sans Serif"))
          .Int("Size", &TFont::Size, &TFont::SetSize, 8)
          .Int("Height", &TFont::Height, &TFont::SetHeight, -11)
          .Set("Style", &TFont::Style, &TFont::SetStyle, FontStyleType(), 0)
          .Int("Charset", &TFont::Charset, &TFont::SetCharset, DEFAULT_CHARSET)
          .Build();
  return info;
}

TFont::TFont() = default;

// A handle that may still be selected into a canvas is deleted only after the listeners
// (the canvas among them) have been told and have let go of it.
void TFont::Invalidate() {
  const UniqueHfont previous = std::move(handle_);
  Changed();
}

void TFont::SetName(const std::string& name) {
  if (name == name_) return;
  name_ = name;
  Invalidate();
}

void TFont::SetHeight(int height) {
  if (height == height_) return;
  height_ = height;
  Invalidate();
}

int TFont::Size() const { return -::MulDiv(height_, 72, 96); }

void TFont::SetSize(int points) { SetHeight(-::MulDiv(points, 96, 72)); }

void TFont::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;  // the colour is the canvas's text colour, not part of the GDI font
  Changed();
}

void TFont::SetStyle(TFontStyles style) {
  if (style == style_) return;
  style_ = style;
  Invalidate();
}

void TFont::SetCharset(int charset) {
  if (charset == charset_) return;
  charset_ = charset;
  Invalidate();
}

HFONT TFont::Handle() const {
  if (!handle_) {
    LOGFONTW lf{};
    lf.lfHeight = height_;
    lf.lfWeight = (style_ & (1u << fsBold)) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style_ & (1u << fsItalic)) ? TRUE : FALSE;
    lf.lfUnderline = (style_ & (1u << fsUnderline)) ? TRUE : FALSE;
    lf.lfStrikeOut = (style_ & (1u << fsStrikeOut)) ? TRUE : FALSE;
    lf.lfCharSet = static_cast<BYTE>(charset_);
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    CopyToBuffer(name_, lf.lfFaceName, LF_FACESIZE);
    handle_.reset(::CreateFontIndirectW(&lf));
  }
  return handle_.get();
}

void TFont::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TFont*>(&source);
  if (!other) return TPersistent::Assign(source);
  if (other == this) return;
  const bool sameHandle = name_ == other->name_ && height_ == other->height_ && style_ == other->style_ &&
                          charset_ == other->charset_;
  if (sameHandle && color_ == other->color_) return;
  name_ = other->name_;
  height_ = other->height_;
  style_ = other->style_;
  charset_ = other->charset_;
  color_ = other->color_;
  if (sameHandle)
    Changed();
  else
    Invalidate();
}

const ClassInfo& TPen::StaticClass() {
  static const ClassInfo info = ClassBuilder<TPen>("TPen", &TGraphicsObject::StaticClass())
                                    .Color("Color", &TPen::Color, &TPen::SetColor, clBlack)
                                    .Int("Width", &TPen::Width, &TPen::SetWidth, 1)
                                    .Enum("Style", &TPen::Style, &TPen::SetStyle, PenStyleType(), psSolid)
                                    .Enum("Mode", &TPen::Mode, &TPen::SetMode, PenModeType(), pmCopy)
                                    .Build();
  return info;
}

void TPen::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  const UniqueHpen previous = std::move(handle_);
  Changed();
}

void TPen::SetWidth(int width) {
  if (width == width_) return;
  width_ = width;
  const UniqueHpen previous = std::move(handle_);
  Changed();
}

void TPen::SetStyle(TPenStyle style) {
  if (style == style_) return;
  style_ = style;
  const UniqueHpen previous = std::move(handle_);
  Changed();
}

void TPen::SetMode(TPenMode mode) {
  if (mode == mode_) return;
  mode_ = mode;  // a drawing mode of the canvas; the GDI pen stays
  Changed();
}

HPEN TPen::Handle() const {
  if (!handle_) {
    static constexpr int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    const auto i = static_cast<std::size_t>(style_);
    handle_.reset(::CreatePen(i < std::size(styles) ? styles[i] : PS_SOLID, std::max(width_, 0), ColorToRGB(color_)));
  }
  return handle_.get();
}

void TPen::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TPen*>(&source);
  if (!other) return TPersistent::Assign(source);
  if (other == this) return;
  const bool sameHandle = color_ == other->color_ && width_ == other->width_ && style_ == other->style_;
  if (sameHandle && mode_ == other->mode_) return;
  color_ = other->color_;
  width_ = other->width_;
  style_ = other->style_;
  mode_ = other->mode_;
  const UniqueHpen previous = sameHandle ? UniqueHpen() : std::move(handle_);
  Changed();
}

const ClassInfo& TBrush::StaticClass() {
  static const ClassInfo info = ClassBuilder<TBrush>("TBrush", &TGraphicsObject::StaticClass())
                                    .Color("Color", &TBrush::Color, &TBrush::SetColor, clWhite)
                                    .Enum("Style", &TBrush::Style, &TBrush::SetStyle, BrushStyleType(), bsSolid)
                                    .Build();
  return info;
}

void TBrush::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  const UniqueHbrush previous = std::move(handle_);
  Changed();
}

void TBrush::SetStyle(TBrushStyle style) {
  if (style == style_) return;
  style_ = style;
  const UniqueHbrush previous = std::move(handle_);
  Changed();
}

HBRUSH TBrush::Handle() const {
  if (!handle_) {
    LOGBRUSH lb{};
    lb.lbColor = ColorToRGB(color_);
    switch (style_) {
      case bsSolid: lb.lbStyle = BS_SOLID; break;
      case bsClear: lb.lbStyle = BS_HOLLOW; break;
      default: {
        static constexpr int hatches[] = {HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL,
                                          HS_BDIAGONAL,  HS_CROSS,    HS_DIAGCROSS};
        const auto i = static_cast<std::size_t>(style_) - bsHorizontal;
        lb.lbStyle = BS_HATCHED;
        lb.lbHatch = i < std::size(hatches) ? hatches[i] : HS_CROSS;
      }
    }
    handle_.reset(::CreateBrushIndirect(&lb));
  }
  return handle_.get();
}

void TBrush::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TBrush*>(&source);
  if (!other) return TPersistent::Assign(source);
  if (other == this || (color_ == other->color_ && style_ == other->style_)) return;
  color_ = other->color_;
  style_ = other->style_;
  const UniqueHbrush previous = std::move(handle_);
  Changed();
}

// -- canvas ---------------------------------------------------------------------------

const ClassInfo& TCanvas::StaticClass() {
  static const ClassInfo info = ClassBuilder<TCanvas>("TCanvas", &TPersistent::StaticClass()).Build();
  return info;
}

TCanvas::TCanvas() {
  // A changed font, pen or brush is about to delete its old handle: it must not be
  // selected any more. RequireState selects the new one.
  auto release = [this](TObject*) { Deselect(); };
  font_.OnChange = release;
  pen_.OnChange = release;
  brush_.OnChange = release;
}

TCanvas::~TCanvas() { Deselect(); }

void TCanvas::SetHandle(HDC dc) {
  if (dc == dc_) return;
  Deselect();
  dc_ = dc;
}

void TCanvas::Deselect() {
  if (!dc_) return;
  if (oldFont_) ::SelectObject(dc_, oldFont_);
  if (oldPen_) ::SelectObject(dc_, oldPen_);
  if (oldBrush_) ::SelectObject(dc_, oldBrush_);
  oldFont_ = oldPen_ = oldBrush_ = nullptr;
}

void TCanvas::RequireState() {
  if (!dc_) throw EInvalidOperation("Canvas does not allow drawing");
  // The first selection remembers what the device context had, to be put back later.
  HGDIOBJ previous = ::SelectObject(dc_, font_.Handle());
  if (!oldFont_) oldFont_ = previous;
  previous = ::SelectObject(dc_, pen_.Handle());
  if (!oldPen_) oldPen_ = previous;
  previous = ::SelectObject(dc_, brush_.Handle());
  if (!oldBrush_) oldBrush_ = previous;
  ::SetTextColor(dc_, ColorToRGB(font_.Color()));
  ::SetBkColor(dc_, ColorToRGB(brush_.Color()));
  // Hatched and clear brushes leave what is beneath them, text backgrounds included.
  ::SetBkMode(dc_, brush_.Style() == bsSolid ? OPAQUE : TRANSPARENT);
  ::SetROP2(dc_, Rop2Of(pen_.Mode()));
}

void TCanvas::FillRect(const RECT& r) {
  RequireState();
  ::FillRect(dc_, &r, brush_.Handle());
}

void TCanvas::FrameRect(const RECT& r) {
  RequireState();
  ::FrameRect(dc_, &r, brush_.Handle());
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  RequireState();
  ::Rectangle(dc_, x1, y1, x2, y2);
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  RequireState();
  ::Ellipse(dc_, x1, y1, x2, y2);
}

void TCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  RequireState();
  ::Pie(dc_, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight) {
  RequireState();
  ::RoundRect(dc_, x1, y1, x2, y2, cornerWidth, cornerHeight);
}

void TCanvas::MoveTo(int x, int y) {
  RequireState();
  ::MoveToEx(dc_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  RequireState();
  ::LineTo(dc_, x, y);
}

POINT TCanvas::PenPos() const {
  POINT p{};
  if (dc_) ::GetCurrentPositionEx(dc_, &p);
  return p;
}

void TCanvas::TextOut(int x, int y, std::string_view text) {
  RequireState();
  const std::wstring w = Widen(text);
  ::TextOutW(dc_, x, y, w.data(), static_cast<int>(w.size()));
}

void TCanvas::TextRect(const RECT& r, int x, int y, std::string_view text) {
  RequireState();
  const std::wstring w = Widen(text);
  UINT options = ETO_CLIPPED;
  if (brush_.Style() == bsSolid) options |= ETO_OPAQUE;
  ::ExtTextOutW(dc_, x, y, options, &r, w.data(), static_cast<UINT>(w.size()), nullptr);
}

int TCanvas::DrawText(std::string_view text, RECT& r, UINT format) {
  RequireState();
  std::wstring w = Widen(text);
  // Our copy of the text has no room for what DT_MODIFYSTRING would write back.
  return ::DrawTextW(dc_, w.data(), static_cast<int>(w.size()), &r, format & ~static_cast<UINT>(DT_MODIFYSTRING));
}

SIZE TCanvas::TextExtent(std::string_view text) {
  RequireState();
  const std::wstring w = Widen(text);
  SIZE size{};
  ::GetTextExtentPoint32W(dc_, w.data(), static_cast<int>(w.size()), &size);
  return size;
}

void TCanvas::CopyRect(const RECT& dest, TCanvas& source, const RECT& sourceRect) {
  RequireState();  // raster operations with a pattern use the brush
  if (!source.dc_) throw EInvalidOperation("Canvas does not allow drawing");
  const int oldMode = ::SetStretchBltMode(dc_, COLORONCOLOR);
  ::StretchBlt(dc_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, source.dc_,
               sourceRect.left, sourceRect.top, sourceRect.right - sourceRect.left,
               sourceRect.bottom - sourceRect.top, copyMode_);
  if (oldMode) ::SetStretchBltMode(dc_, oldMode);
}

void TCanvas::Draw(int x, int y, const TGraphic& graphic) {
  if (graphic.Empty()) return;
  graphic.Draw(*this, RECT{x, y, x + graphic.Width(), y + graphic.Height()});
}

void TCanvas::StretchDraw(const RECT& r, const TGraphic& graphic) {
  if (graphic.Empty()) return;
  graphic.Draw(*this, r);
}

TColor TCanvas::Pixel(int x, int y) const {
  if (!dc_) throw EInvalidOperation("Canvas does not allow drawing");
  const COLORREF c = ::GetPixel(dc_, x, y);
  return c == CLR_INVALID ? clNone : static_cast<TColor>(c);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  if (!dc_) throw EInvalidOperation("Canvas does not allow drawing");
  ::SetPixelV(dc_, x, y, ColorToRGB(color));
}

// -- TGraphic -------------------------------------------------------------------------

const ClassInfo& TGraphic::StaticClass() {
  static const ClassInfo info = ClassBuilder<TGraphic>("TGraphic", &TPersistent::StaticClass()).Build();
  return info;
}

void TGraphic::LoadFromResourceName(const std::string& name) {
  const std::vector<std::uint8_t> bytes = ResourceBytes(name);
  // The name is in place when listeners hear of the new picture; a failed load keeps the
  // old picture and its name.
  std::string previous = std::exchange(resourceName_, name);
  try {
    LoadFromBytes(bytes.data(), bytes.size());
  } catch (...) {
    resourceName_ = std::move(previous);
    throw;
  }
}

void TGraphic::SetTransparent(bool transparent) {
  if (transparent == transparent_) return;
  transparent_ = transparent;
  Changed();
}

void TGraphic::Changed() { Fire(OnChange, this); }

// -- decoding to pixels -----------------------------------------------------------------

namespace {

// A BMP file's pixels; a damaged file raises EInvalidGraphic with the reason.
Pixels DecodeBmpOrThrow(const std::uint8_t* data, std::size_t size) {
  BmpDecoding decoded = DecodeBmp(std::span<const std::uint8_t>(data, data ? size : 0));
  if (!decoded) throw EInvalidGraphic("Bitmap image is not valid: " + decoded.error);
  return std::move(decoded.pixels);
}

bool IsJpeg(const std::uint8_t* data, std::size_t size) {
  return data && size >= 2 && data[0] == 0xFF && data[1] == 0xD8;
}

Pixels DecodeJpegPixels(const std::uint8_t* data, std::size_t size) {
  const DecodedImage image = DecodeJpeg(data, size);
  Pixels out;
  out.width = image.width;
  out.height = image.height;
  out.words.resize(image.rgb.size() / 3);
  for (std::size_t i = 0; i < out.words.size(); ++i) {
    const std::uint8_t* p = &image.rgb[i * 3];
    out.words[i] = (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
  }
  return out;
}

}  // namespace

// -- TBitmap --------------------------------------------------------------------------

const ClassInfo& TBitmap::StaticClass() {
  static const ClassInfo info = ClassBuilder<TBitmap>("TBitmap", &TGraphic::StaticClass()).Build();
  return info;
}

TBitmap::TBitmap() : dc_(::CreateCompatibleDC(nullptr)), canvas_(std::make_unique<TCanvas>()) {
  if (!dc_) throw EInvalidGraphic("Cannot create a device context for a bitmap");
  canvas_->SetHandle(dc_.get());
}

TBitmap::TBitmap(int width, int height) : TBitmap() { SetSize(width, height); }

TBitmap::~TBitmap() {
  canvas_.reset();  // puts the DC's own font, pen and brush back
  Release();
}

void TBitmap::Release() {
  if (oldBitmap_) ::SelectObject(dc_.get(), oldBitmap_);
  oldBitmap_ = nullptr;
  bitmap_.reset();
  bits_ = nullptr;
}

void TBitmap::SetSize(int width, int height) {
  if (width == width_ && height == height_) return;
  if (width < 0 || height < 0 || width > kMaxBmpSide || height > kMaxBmpSide ||
      std::int64_t{width} * height > kMaxBmpPixels)
    throw EInvalidGraphic("Invalid bitmap size " + std::to_string(width) + " x " + std::to_string(height));
  if (width == 0 || height == 0) {
    Release();
  } else {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down: row 0 first in memory
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueHbitmap dib(::CreateDIBSection(dc_.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || !bits)
      throw EInvalidGraphic("Cannot create a bitmap of " + std::to_string(width) + " x " + std::to_string(height));
    Release();
    std::memset(bits, 0, static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    oldBitmap_ = ::SelectObject(dc_.get(), dib.get());
    bitmap_ = std::move(dib);
    bits_ = static_cast<std::uint32_t*>(bits);
  }
  width_ = width;
  height_ = height;
  Changed();
}

TCanvas& TBitmap::Canvas() { return *canvas_; }

std::uint32_t* TBitmap::ScanLine(int y) {
  if (!bits_ || y < 0 || y >= height_)
    throw EInvalidOperation("Scan line index out of range (" + std::to_string(y) + ")");
  ::GdiFlush();  // drawing may still be queued
  return bits_ + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
}

TColor TBitmap::Pixel(int x, int y) const {
  if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return clNone;
  ::GdiFlush();
  return static_cast<TColor>(SwapRedBlue(bits_[static_cast<std::size_t>(y) * width_ + x] & 0xFFFFFF));
}

void TBitmap::SetPixel(int x, int y, TColor color) {
  if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return;
  ::GdiFlush();
  bits_[static_cast<std::size_t>(y) * width_ + x] = ColorToDib(color);
}

void TBitmap::Draw(TCanvas& canvas, const RECT& r) const {
  if (Empty()) return;
  canvas.RequireState();
  HDC dest = canvas.Handle();
  const int oldMode = ::SetStretchBltMode(dest, COLORONCOLOR);
  if (transparent_) {
    const TColor key = transparentColor_ == clDefault ? Pixel(0, height_ - 1) : transparentColor_;
    ::TransparentBlt(dest, r.left, r.top, r.right - r.left, r.bottom - r.top, dc_.get(), 0, 0, width_, height_,
                     ColorToRGB(key));
  } else {
    ::StretchBlt(dest, r.left, r.top, r.right - r.left, r.bottom - r.top, dc_.get(), 0, 0, width_, height_,
                 canvas.CopyMode());
  }
  if (oldMode) ::SetStretchBltMode(dest, oldMode);
}

// A JPEG picture is taken too: pictures named in descriptions may be either.
void TBitmap::LoadFromBytes(const std::uint8_t* data, std::size_t size) {
  const Pixels pixels = IsJpeg(data, size) ? DecodeJpegPixels(data, size) : DecodeBmpOrThrow(data, size);
  {
    // Listeners hear of the finished change only, not of the bitmap resized before its
    // pixels arrive.
    const auto quiet = Assigned(OnChange, TNotifyEvent{});
    SetSize(pixels.width, pixels.height);
  }
  ::GdiFlush();
  std::copy(pixels.words.begin(), pixels.words.end(), bits_);
  Changed();
}

void TBitmap::Assign(const TPersistent& source) {
  const TBitmap* other = dynamic_cast<const TBitmap*>(&source);
  if (const auto* jpeg = dynamic_cast<const TJpegImage*>(&source)) other = &jpeg->Bitmap();
  if (!other) return TPersistent::Assign(source);
  if (other == this) return;
  {
    // Listeners hear of the finished change only, not of the bitmap resized before its
    // pixels arrive.
    const auto quiet = Assigned(OnChange, TNotifyEvent{});
    SetSize(other->width_, other->height_);
  }
  if (bits_) {
    ::GdiFlush();
    std::memcpy(bits_, other->bits_, static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4);
  }
  transparent_ = other->transparent_;
  transparentColor_ = other->transparentColor_;
  Changed();
}

// -- TIcon ----------------------------------------------------------------------------

const ClassInfo& TIcon::StaticClass() {
  static const ClassInfo info = ClassBuilder<TIcon>("TIcon", &TGraphic::StaticClass()).Build();
  return info;
}

TIcon::TIcon() { transparent_ = true; }  // an icon draws through its own mask

TIcon::~TIcon() = default;

int TIcon::Width() const { return width_; }
int TIcon::Height() const { return height_; }

void TIcon::SetHandle(HICON icon) {
  if (icon == icon_.get()) return;
  icon_.reset(icon);
  width_ = height_ = 0;
  ICONINFO ii{};
  if (icon && ::GetIconInfo(icon, &ii)) {
    // GetIconInfo hands out copies of the icon's bitmaps.
    const UniqueHbitmap color(ii.hbmColor), mask(ii.hbmMask);
    BITMAP bm{};
    if (color && ::GetObjectW(color.get(), sizeof bm, &bm)) {
      width_ = bm.bmWidth;
      height_ = bm.bmHeight;
    } else if (mask && ::GetObjectW(mask.get(), sizeof bm, &bm)) {
      width_ = bm.bmWidth;
      height_ = bm.bmHeight / 2;
    }
  }
  Changed();
}

void TIcon::LoadProgramIcon(int size) {
  SetHandle(static_cast<HICON>(
      ::LoadImageW(::GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

void TIcon::Draw(TCanvas& canvas, const RECT& r) const {
  if (!icon_) return;
  if (!canvas.HandleAllocated()) throw EInvalidOperation("Canvas does not allow drawing");
  ::DrawIconEx(canvas.Handle(), r.left, r.top, icon_.get(), r.right - r.left, r.bottom - r.top, 0, nullptr,
               DI_NORMAL);
}

namespace {

[[noreturn]] void BadIcon(const std::string& why) { throw EInvalidGraphic("Icon image is not valid: " + why); }

struct IconChoice {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  int width = 0;
  int height = 0;
};

// Checks that an icon image (a DIB with its mask, or a PNG) lies wholly inside its bytes,
// so the system never reads past them; gives its pixel size and depth.
bool CheckIconImage(const std::uint8_t* p, std::size_t size, int& width, int& height, int& bits) {
  static constexpr std::uint8_t png[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (size >= 8 && std::equal(png, png + 8, p)) {
    bits = 32;  // dimensions come from the directory entry
    return true;
  }
  if (size < 40) return false;
  const std::uint32_t headerSize = LittleU32(p);
  const std::int32_t w = LittleI32(p + 4), h2 = LittleI32(p + 8);
  const unsigned planes = LittleU16(p + 12), bpp = LittleU16(p + 14);
  const std::uint32_t compression = LittleU32(p + 16);
  const std::uint32_t used = LittleU32(p + 32);
  if (headerSize < 40 || headerSize > size || planes != 1 || w <= 0 || w > 256 || h2 <= 0 || h2 > 512 ||
      (h2 % 2) != 0)
    return false;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  if (compression != BI_RGB) return false;
  const std::uint64_t colors = bpp <= 8 ? (used ? used : (1u << bpp)) : used;
  if (bpp <= 8 && colors > (1u << bpp)) return false;
  const std::uint64_t h = static_cast<std::uint64_t>(h2) / 2;
  const std::uint64_t xorStride = ((static_cast<std::uint64_t>(w) * bpp + 31) / 32) * 4;
  const std::uint64_t andStride = ((static_cast<std::uint64_t>(w) + 31) / 32) * 4;
  if (headerSize + colors * 4 + (xorStride + andStride) * h > size) return false;
  width = w;
  height = static_cast<int>(h);
  bits = static_cast<int>(bpp);
  return true;
}

// The image to show: sizes 16 to 48 first, the largest of them, then the deepest colour;
// otherwise the size nearest to that range.
IconChoice ChooseIconImage(const std::uint8_t* data, std::size_t size) {
  if (!data || size < 6) BadIcon("too short");
  if (LittleU16(data) != 0 || LittleU16(data + 2) != 1) BadIcon("no icon directory");
  const std::size_t count = LittleU16(data + 4);
  if (count == 0) BadIcon("no images");
  if (6 + count * 16 > size) BadIcon("directory cut short");
  IconChoice best;
  long bestScore = -1;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* e = data + 6 + i * 16;
    const std::uint32_t bytes = LittleU32(e + 8), offset = LittleU32(e + 12);
    if (offset > size || bytes > size - offset) BadIcon("image " + std::to_string(i) + " lies outside the file");
    int w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256, bits = 0;
    int imageW = w, imageH = h;
    if (!CheckIconImage(data + offset, bytes, imageW, imageH, bits))
      BadIcon("image " + std::to_string(i) + " is malformed");
    w = imageW;
    h = imageH;
    const int side = std::max(w, h);
    const int distance = side < 16 ? 16 - side : side > 48 ? side - 48 : 0;
    const long score = distance == 0 ? 100000L + side * 100L + bits : 50000L - distance * 100L + bits;
    if (score > bestScore) {
      bestScore = score;
      best = IconChoice{data + offset, bytes, w, h};
    }
  }
  return best;
}

}  // namespace

void TIcon::LoadFromBytes(const std::uint8_t* data, std::size_t size) {
  const IconChoice choice = ChooseIconImage(data, size);
  // The system wants the image on an aligned buffer of its own.
  std::vector<BYTE> image(choice.data, choice.data + choice.size);
  HICON icon = ::CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE, 0x00030000,
                                          choice.width, choice.height, LR_DEFAULTCOLOR);
  if (!icon) throw EInvalidGraphic("Icon image is not valid: the system cannot read it");
  SetHandle(icon);
}

void TIcon::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TIcon*>(&source);
  if (!other) return TPersistent::Assign(source);
  if (other == this) return;
  SetHandle(other->icon_ ? ::CopyIcon(other->icon_.get()) : nullptr);
}

// -- TJpegImage -----------------------------------------------------------------------

const ClassInfo& TJpegImage::StaticClass() {
  static const ClassInfo info = ClassBuilder<TJpegImage>("TJpegImage", &TGraphic::StaticClass()).Build();
  return info;
}

TJpegImage::TJpegImage() = default;
TJpegImage::~TJpegImage() = default;

void TJpegImage::Draw(TCanvas& canvas, const RECT& r) const { bitmap_.Draw(canvas, r); }

void TJpegImage::LoadFromBytes(const std::uint8_t* data, std::size_t size) {
  if (!IsJpeg(data, size)) throw EInvalidGraphic("JPEG error: Not a JPEG file");
  bitmap_.LoadFromBytes(data, size);
  Changed();
}

// -- TPicture -------------------------------------------------------------------------

namespace {

// A graphic of the kind the bytes' signature tells, loaded from them.
std::unique_ptr<TGraphic> GraphicFromBytes(const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<TGraphic> graphic;
  if (data && size >= 2 && data[0] == 'B' && data[1] == 'M')
    graphic = std::make_unique<TBitmap>();
  else if (IsJpeg(data, size))
    graphic = std::make_unique<TJpegImage>();
  else if (data && size >= 4 && data[0] == 0 && data[1] == 0 && data[2] == 1 && data[3] == 0)
    graphic = std::make_unique<TIcon>();
  else
    throw EInvalidGraphic("Unknown picture format");
  graphic->LoadFromBytes(data, size);
  return graphic;
}

// A copy of a graphic. A JPEG picture is copied as the bitmap it decoded to.
std::unique_ptr<TGraphic> CopyGraphic(const TGraphic& source) {
  std::unique_ptr<TGraphic> copy;
  if (dynamic_cast<const TIcon*>(&source))
    copy = std::make_unique<TIcon>();
  else
    copy = std::make_unique<TBitmap>();
  copy->Assign(source);
  copy->SetTransparent(source.Transparent());
  return copy;
}

}  // namespace

const ClassInfo& TPicture::StaticClass() {
  static const ClassInfo info = ClassBuilder<TPicture>("TPicture", &TPersistent::StaticClass()).Build();
  return info;
}

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
  graphic_ = std::move(graphic);
  if (graphic_) graphic_->OnChange = [this](TObject*) { Changed(); };
  Changed();
}

TBitmap& TPicture::Bitmap() {
  if (auto* bitmap = dynamic_cast<TBitmap*>(graphic_.get())) return *bitmap;
  resourceName_.clear();
  SetGraphic(std::make_unique<TBitmap>());
  return static_cast<TBitmap&>(*graphic_);
}

void TPicture::LoadFromBytes(const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<TGraphic> graphic = GraphicFromBytes(data, size);
  resourceName_.clear();
  SetGraphic(std::move(graphic));
}

void TPicture::LoadFromResourceName(const std::string& name) {
  const std::vector<std::uint8_t> bytes = ResourceBytes(name);
  std::unique_ptr<TGraphic> graphic = GraphicFromBytes(bytes.data(), bytes.size());
  resourceName_ = name;
  SetGraphic(std::move(graphic));
}

void TPicture::Assign(const TPersistent& source) {
  if (const auto* other = dynamic_cast<const TPicture*>(&source)) {
    if (other == this) return;
    std::unique_ptr<TGraphic> copy = other->graphic_ ? CopyGraphic(*other->graphic_) : nullptr;
    resourceName_ = other->resourceName_;
    SetGraphic(std::move(copy));
    return;
  }
  if (const auto* graphic = dynamic_cast<const TGraphic*>(&source)) {
    std::unique_ptr<TGraphic> copy = CopyGraphic(*graphic);
    resourceName_ = graphic->ResourceName();
    SetGraphic(std::move(copy));
    return;
  }
  TPersistent::Assign(source);
}

void TPicture::Changed() { Fire(OnChange, this); }

}  // namespace dorvane
