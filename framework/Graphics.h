#pragma once
// Colours, fonts, pens, brushes, the canvas over a device context, and pictures: bitmaps
// (DIB sections with pixel access), icons, JPEG pictures.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Classes.h"
#include "framework/FormReader.h"
#include "winapi/Handles.h"

namespace dorvane {

// -- colours --------------------------------------------------------------------------
// 0x00BBGGRR; a value with the top byte 0xFF is a system colour whose low byte is the
// system colour index, resolved when drawn.
using TColor = std::int32_t;

constexpr TColor SystemColor(int index) { return static_cast<TColor>(0xFF000000u | static_cast<unsigned>(index)); }
constexpr TColor RGBColor(int r, int g, int b) { return r | (g << 8) | (b << 16); }

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF;
constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR), clBackground = SystemColor(COLOR_BACKGROUND),
                 clActiveCaption = SystemColor(COLOR_ACTIVECAPTION), clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION),
                 clMenu = SystemColor(COLOR_MENU), clWindow = SystemColor(COLOR_WINDOW),
                 clWindowFrame = SystemColor(COLOR_WINDOWFRAME), clMenuText = SystemColor(COLOR_MENUTEXT),
                 clWindowText = SystemColor(COLOR_WINDOWTEXT), clCaptionText = SystemColor(COLOR_CAPTIONTEXT),
                 clActiveBorder = SystemColor(COLOR_ACTIVEBORDER), clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER),
                 clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE), clHighlight = SystemColor(COLOR_HIGHLIGHT),
                 clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT), clBtnFace = SystemColor(COLOR_BTNFACE),
                 clBtnShadow = SystemColor(COLOR_BTNSHADOW), clGrayText = SystemColor(COLOR_GRAYTEXT),
                 clBtnText = SystemColor(COLOR_BTNTEXT), clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT),
                 clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT), cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW),
                 cl3DLight = SystemColor(COLOR_3DLIGHT), clInfoText = SystemColor(COLOR_INFOTEXT),
                 clInfoBk = SystemColor(COLOR_INFOBK);

// A colour as the display shows it (0x00BBGGRR): system colours looked up; clNone and
// clDefault give black.
COLORREF ColorToRGB(TColor color);
// A colour as a DIB section's word (0x00RRGGBB).
std::uint32_t ColorToDib(TColor color);
// The identifier of a colour ("clBtnFace"), or an empty text.
std::string ColorToIdent(TColor color);
// Red, green and blue parts of a plain (resolved) colour.
inline int GetRValue32(TColor c) { return c & 0xFF; }
inline int GetGValue32(TColor c) { return (c >> 8) & 0xFF; }
inline int GetBValue32(TColor c) { return (c >> 16) & 0xFF; }

// -- fonts, pens, brushes -------------------------------------------------------------

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = std::uint32_t;  // bit n = TFontStyle n
const EnumType& FontStyleType();

// Common state of fonts, pens and brushes: a lazily created GDI object and a change
// event. Setters that do not change the value do nothing.
class TGraphicsObject : public TPersistent {
  DORVANE_CLASS(TGraphicsObject)
 public:
  TNotifyEvent OnChange;

 protected:
  void Changed();
};

class TFont : public TGraphicsObject {
  DORVANE_CLASS(TFont)
 public:
  TFont();
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  // Height in pixels; negative: the character height (without internal leading).
  int Height() const { return height_; }
  void SetHeight(int height);
  // Size in points at 96 dots per inch (Size = -Height * 72 / 96).
  int Size() const;
  void SetSize(int points);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);
  int Charset() const { return charset_; }
  void SetCharset(int charset);
  HFONT Handle() const;  // created on first use; owned by the font
  void Assign(const TPersistent& source) override;

 private:
  void Invalidate();
  std::string name_ = "MS Sans Serif";
  int height_ = -11;
  TColor color_ = clWindowText;
  TFontStyles style_ = 0;
  int charset_ = DEFAULT_CHARSET;
  mutable UniqueHfont handle_;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
                pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor };

class TPen : public TGraphicsObject {
  DORVANE_CLASS(TPen)
 public:
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  int Width() const { return width_; }
  void SetWidth(int width);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle style);
  TPenMode Mode() const { return mode_; }  // applied to the canvas as its ROP2 mode
  void SetMode(TPenMode mode);
  HPEN Handle() const;
  void Assign(const TPersistent& source) override;

 private:
  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
  mutable UniqueHpen handle_;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
  DORVANE_CLASS(TBrush)
 public:
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle style);
  HBRUSH Handle() const;  // a hollow brush for bsClear
  void Assign(const TPersistent& source) override;

 private:
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
  mutable UniqueHbrush handle_;
};

// -- canvas ---------------------------------------------------------------------------

class TGraphic;

// Raster operations of CopyRect and Draw.
using TCopyMode = DWORD;  // SRCCOPY, SRCINVERT, BLACKNESS, ...

// Drawing on a device context with the canvas's font, pen and brush. The canvas does not
// own the device context unless it was created by a bitmap; objects it selects are
// deselected again before the device context is released or replaced.
class TCanvas : public TPersistent {
  DORVANE_CLASS(TCanvas)
 public:
  TCanvas();
  ~TCanvas() override;

  HDC Handle() const { return dc_; }
  // Attaches a device context (null detaches, deselecting our objects first).
  void SetHandle(HDC dc);
  bool HandleAllocated() const { return dc_ != nullptr; }

  TFont& Font() { return font_; }
  TPen& Pen() { return pen_; }
  TBrush& Brush() { return brush_; }
  TCopyMode CopyMode() const { return copyMode_; }
  void SetCopyMode(TCopyMode mode) { copyMode_ = mode; }

  // Rectangles are left, top, right, bottom with right and bottom exclusive, as GDI has.
  void FillRect(const RECT& r);                 // brush, no outline
  void FrameRect(const RECT& r);                // one-pixel frame in the brush colour
  void Rectangle(int x1, int y1, int x2, int y2);  // outlined with the pen, filled with the brush
  void Ellipse(int x1, int y1, int x2, int y2);
  void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  POINT PenPos() const;

  // Text in the canvas font and font colour; the background is the brush colour unless
  // the brush style is bsClear (then transparent).
  void TextOut(int x, int y, std::string_view text);
  // Text at (x, y) clipped to r.
  void TextRect(const RECT& r, int x, int y, std::string_view text);
  // DrawText with its DT_ flags; returns the height drawn.
  int DrawText(std::string_view text, RECT& r, UINT format);
  SIZE TextExtent(std::string_view text);
  int TextWidth(std::string_view text) { return TextExtent(text).cx; }
  int TextHeight(std::string_view text) { return TextExtent(text).cy; }

  // Copies a rectangle of another canvas with the current CopyMode.
  void CopyRect(const RECT& dest, TCanvas& source, const RECT& sourceRect);
  // Draws a picture at its own size / stretched into a rectangle.
  void Draw(int x, int y, const TGraphic& graphic);
  void StretchDraw(const RECT& r, const TGraphic& graphic);

  TColor Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor color);

  // Selects font, pen and brush as they are now (drawing operations call this).
  void RequireState();

 private:
  void Deselect();
  HDC dc_ = nullptr;
  TFont font_;
  TPen pen_;
  TBrush brush_;
  TCopyMode copyMode_ = SRCCOPY;
  HGDIOBJ oldFont_ = nullptr, oldPen_ = nullptr, oldBrush_ = nullptr;
};

// -- pictures -------------------------------------------------------------------------

class TGraphic : public TPersistent, public IResourceLoadable {
  DORVANE_CLASS(TGraphic)
 public:
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual bool Empty() const = 0;
  // Draws the picture stretched into r.
  virtual void Draw(TCanvas& canvas, const RECT& r) const = 0;
  // Reads the picture from file bytes (BMP, JPEG, ICO as fits the class).
  virtual void LoadFromBytes(const std::uint8_t* data, std::size_t size) = 0;
  void LoadFromResourceName(const std::string& name) override;
  const std::string& ResourceName() const override { return resourceName_; }
  // Transparent pictures leave pixels of their transparent colour undrawn (bitmaps: the
  // colour of the bottom-left pixel unless TransparentColor is set).
  bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool transparent);
  TNotifyEvent OnChange;

 protected:
  void Changed();
  std::string resourceName_;
  bool transparent_ = false;
};

// A 32-bit top-down DIB section with its own memory device context and canvas.
class TBitmap : public TGraphic {
  DORVANE_CLASS(TBitmap)
 public:
  TBitmap();
  TBitmap(int width, int height);
  ~TBitmap() override;

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  bool Empty() const override { return width_ == 0 || height_ == 0; }
  void SetSize(int width, int height);  // contents become black
  void SetWidth(int width) { SetSize(width, height_); }
  void SetHeight(int height) { SetSize(width_, height); }
  TCanvas& Canvas();
  HBITMAP Handle() const { return bitmap_.get(); }

  // Pixels as 0x00RRGGBB words of the DIB (top row first); the TColor view swaps.
  std::uint32_t* ScanLine(int y);
  TColor Pixel(int x, int y) const;  // 0x00BBGGRR
  void SetPixel(int x, int y, TColor color);

  // Transparent drawing leaves pixels of this colour undrawn (clDefault: bottom-left pixel).
  TColor TransparentColor() const { return transparentColor_; }
  void SetTransparentColor(TColor color) { transparentColor_ = color; }

  void Draw(TCanvas& canvas, const RECT& r) const override;
  void LoadFromBytes(const std::uint8_t* data, std::size_t size) override;  // a BMP file image
  void Assign(const TPersistent& source) override;

 private:
  void Release();
  int width_ = 0;
  int height_ = 0;
  std::uint32_t* bits_ = nullptr;
  UniqueHbitmap bitmap_;
  UniqueMemoryDc dc_;
  HGDIOBJ oldBitmap_ = nullptr;
  std::unique_ptr<TCanvas> canvas_;
  TColor transparentColor_ = clDefault;
};

class TIcon : public TGraphic {
  DORVANE_CLASS(TIcon)
 public:
  TIcon();
  ~TIcon() override;
  int Width() const override;
  int Height() const override;
  bool Empty() const override { return !icon_; }
  HICON Handle() const { return icon_.get(); }
  // Takes ownership of an icon handle (null empties the icon).
  void SetHandle(HICON icon);
  // The program's own icon (MAINICON) at size x size: its image of that size, or the
  // system's scaling of the nearest one. Empty when the program has none.
  void LoadProgramIcon(int size);
  void Draw(TCanvas& canvas, const RECT& r) const override;
  void LoadFromBytes(const std::uint8_t* data, std::size_t size) override;  // an ICO file image
  void Assign(const TPersistent& source) override;

 private:
  UniqueHicon icon_;
  int width_ = 0;
  int height_ = 0;
};

// A JPEG picture, decoded once into a bitmap. A corrupt JPEG raises EInvalidGraphic.
class TJpegImage : public TGraphic {
  DORVANE_CLASS(TJpegImage)
 public:
  TJpegImage();
  ~TJpegImage() override;
  int Width() const override { return bitmap_.Width(); }
  int Height() const override { return bitmap_.Height(); }
  bool Empty() const override { return bitmap_.Empty(); }
  void Draw(TCanvas& canvas, const RECT& r) const override;
  void LoadFromBytes(const std::uint8_t* data, std::size_t size) override;
  const TBitmap& Bitmap() const { return bitmap_; }

 private:
  TBitmap bitmap_;
};

// Holds one picture of whatever kind its data is (BMP, JPEG or ICO, told by signature).
class TPicture : public TPersistent, public IResourceLoadable {
  DORVANE_CLASS(TPicture)
 public:
  TPicture();
  ~TPicture() override;
  TGraphic* Graphic() const { return graphic_.get(); }
  void SetGraphic(std::unique_ptr<TGraphic> graphic);
  // The picture as a bitmap (made empty of another kind when asked for).
  TBitmap& Bitmap();
  int Width() const { return graphic_ ? graphic_->Width() : 0; }
  int Height() const { return graphic_ ? graphic_->Height() : 0; }
  void LoadFromBytes(const std::uint8_t* data, std::size_t size);
  void LoadFromResourceName(const std::string& name) override;
  const std::string& ResourceName() const override { return resourceName_; }
  void Assign(const TPersistent& source) override;
  TNotifyEvent OnChange;

 private:
  void Changed();
  std::unique_ptr<TGraphic> graphic_;
  std::string resourceName_;
};

}  // namespace dorvane
