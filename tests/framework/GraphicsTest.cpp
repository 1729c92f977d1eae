// Colours, fonts, canvas drawing, pictures and image lists, checked on the pixels of
// bitmaps under the real GDI.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

#include "framework/FormReader.h"
#include "framework/FrameworkClasses.h"
#include "framework/Graphics.h"
#include "framework/ImageList.h"
#include "framework/Resources.h"
#include "tests/support/ProcessCounters.h"
#include "tests/support/Pixels.h"
#include "tests/support/TestBmp.h"
#include "tests/support/TestJpeg.h"
#include "framework/SysUtils.h"

namespace dorvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

using testing::MakeBmp;
using testing::Put16;
using testing::Put32;

// A picture with a distinct colour in every pixel region: quadrants of red, lime, blue, white.
std::vector<TColor> Quadrants(int w, int h) {
  std::vector<TColor> px;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) px.push_back(y < h / 2 ? (x < w / 2 ? clRed : clLime) : (x < w / 2 ? clBlue : clWhite));
  return px;
}

// An icon file with one 32-bit image per size: red left half, blue right half, the
// top-left 4x4 transparent.
Bytes MakeIco(const std::vector<int>& sizes) {
  Bytes dir, images;
  Put16(dir, 0);
  Put16(dir, 1);
  Put16(dir, static_cast<unsigned>(sizes.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * sizes.size());
  for (int s : sizes) {
    Bytes img;
    for (std::uint32_t v : {40u, static_cast<std::uint32_t>(s), static_cast<std::uint32_t>(2 * s)}) Put32(img, v);
    Put16(img, 1);
    Put16(img, 32);
    for (int i = 0; i < 6; ++i) Put32(img, 0);
    const std::size_t andStride = ((static_cast<std::size_t>(s) + 31) / 32) * 4;
    Bytes mask(andStride * s, 0);
    for (int row = 0; row < s; ++row) {
      const int y = s - 1 - row;
      for (int x = 0; x < s; ++x) {
        const bool clear = x < 4 && y < 4;
        Put32(img, clear ? 0u : (x < s / 2 ? 0xFFFF0000u : 0xFF0000FFu));  // BGRA words: A R G B
        if (clear) mask[row * andStride + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      }
    }
    img.insert(img.end(), mask.begin(), mask.end());
    dir.insert(dir.end(), {static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(s), 0, 0});
    Put16(dir, 1);
    Put16(dir, 32);
    Put32(dir, static_cast<std::uint32_t>(img.size()));
    Put32(dir, offset);
    offset += static_cast<std::uint32_t>(img.size());
    images.insert(images.end(), img.begin(), img.end());
  }
  dir.insert(dir.end(), images.begin(), images.end());
  return dir;
}

// A 32 x 16 JPEG: left half red, right half blue.
Bytes MakeJpeg() {
  const auto jpeg = testing::MakeTwoColourJpeg();
  return Bytes(jpeg.begin(), jpeg.end());
}

using testing::ExpectPixels;
using testing::Fill;

bool Inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

TEST(GraphicsColors, ResolvesSystemColorsAndKeepsPlainOnes) {
  EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(clHighlight), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(ColorToRGB(clInfoBk), GetSysColor(COLOR_INFOBK));
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FFu);
  EXPECT_EQ(ColorToRGB(RGBColor(1, 2, 3)), static_cast<COLORREF>(RGB(1, 2, 3)));
  EXPECT_EQ(ColorToRGB(clNone), 0u);
  EXPECT_EQ(ColorToRGB(clDefault), 0u);
}

TEST(GraphicsColors, IdentifiersRoundTrip) {
  std::set<std::string> names;
  for (const IntIdent& id : ColorIdents()) {
    EXPECT_EQ(ColorToIdent(static_cast<TColor>(id.value)), id.name);
    names.insert(std::string(id.name));
  }
  EXPECT_EQ(names.size(), ColorIdents().size());
  EXPECT_EQ(names.size(), 16u + 25u + 2u);  // plain, system, clNone/clDefault
  EXPECT_EQ(ColorToIdent(clBtnFace), "clBtnFace");
  EXPECT_EQ(ColorToIdent(cl3DDkShadow), "cl3DDkShadow");
  EXPECT_EQ(ColorToIdent(RGBColor(1, 2, 3)), "");
}

TEST(GraphicsObjects, ChangeEventsAndHandleRecreation) {
  TFont font;
  int events = 0;
  font.OnChange = [&](TObject*) { ++events; };
  LOGFONTW lf{};
  ASSERT_TRUE(GetObjectW(font.Handle(), sizeof lf, &lf));
  EXPECT_EQ(lf.lfHeight, -11);
  font.SetName("MS Sans Serif");
  font.SetHeight(-11);
  font.SetStyle(0);
  EXPECT_EQ(events, 0);
  font.SetStyle((1u << fsBold) | (1u << fsItalic));
  font.SetSize(12);
  EXPECT_EQ(events, 2);
  EXPECT_EQ(font.Height(), -16);
  EXPECT_EQ(font.Size(), 12);
  ASSERT_TRUE(GetObjectW(font.Handle(), sizeof lf, &lf));
  EXPECT_EQ(lf.lfHeight, -16);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_TRUE(lf.lfItalic);
  font.SetColor(clRed);
  EXPECT_EQ(events, 3);

  TPen pen;
  pen.OnChange = [&](TObject*) { ++events; };
  pen.SetWidth(1);
  pen.SetWidth(3);
  pen.SetColor(clBlue);
  pen.SetMode(pmXor);
  LOGPEN lp{};
  ASSERT_TRUE(GetObjectW(pen.Handle(), sizeof lp, &lp));
  EXPECT_EQ(lp.lopnWidth.x, 3);
  EXPECT_EQ(lp.lopnColor, 0xFF0000u);
  EXPECT_EQ(events, 6);

  TBrush brush;
  brush.OnChange = [&](TObject*) { ++events; };
  brush.SetColor(clBtnFace);
  LOGBRUSH lb{};
  ASSERT_TRUE(GetObjectW(brush.Handle(), sizeof lb, &lb));
  EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_BTNFACE));
  brush.SetStyle(bsClear);
  ASSERT_TRUE(GetObjectW(brush.Handle(), sizeof lb, &lb));
  EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_HOLLOW));
  EXPECT_EQ(events, 8);

  TFont copy;
  int copyEvents = 0;
  copy.OnChange = [&](TObject*) { ++copyEvents; };
  copy.Assign(font);
  copy.Assign(font);
  EXPECT_EQ(copyEvents, 1);
  EXPECT_EQ(copy.Height(), -16);
  EXPECT_EQ(copy.Color(), clRed);
  EXPECT_THROW(copy.Assign(pen), EConvertError);
}

TEST(GraphicsObjects, PropertyTables) {
  TFont font;
  EXPECT_EQ(GetOrdProp(font, "Size"), 8);
  SetOrdProp(font, "Style", 1u << fsUnderline);
  EXPECT_EQ(font.Style(), 1u << fsUnderline);
  EXPECT_EQ(GetPropInfo(font, "Color").idents.size(), ColorIdents().size());
  EXPECT_EQ(FontStyleType().names[fsStrikeOut], "fsStrikeOut");
  TPen pen;
  SetEnumProp(pen, "Style", "psDashDotDot");
  SetEnumProp(pen, "Mode", "pmNotXor");
  EXPECT_EQ(pen.Style(), psDashDotDot);
  EXPECT_EQ(pen.Mode(), pmNotXor);
  TBrush brush;
  SetEnumProp(brush, "Style", "bsDiagCross");
  EXPECT_EQ(GetEnumProp(brush, "Style"), "bsDiagCross");
  EXPECT_THROW(SetEnumProp(brush, "Style", "bsNothing"), EPropertyError);
}

class CanvasTest : public ::testing::Test {
 protected:
  CanvasTest() : bmp(40, 30) {
    Fill(bmp, clWhite);
  }
  TCanvas& C() { return bmp.Canvas(); }
  // Every pixel: `inside` where pred holds, white elsewhere.
  template <typename Pred>
  void ExpectRegion(Pred pred, TColor inside) {
    for (int y = 0; y < bmp.Height(); ++y)
      for (int x = 0; x < bmp.Width(); ++x) ASSERT_EQ(bmp.Pixel(x, y), pred(x, y) ? inside : clWhite) << x << "," << y;
  }
  TBitmap bmp;
};

TEST_F(CanvasTest, FillAndFrameExactPixels) {
  C().Brush().SetColor(clRed);
  C().FillRect(RECT{2, 3, 8, 9});
  ExpectRegion([](int x, int y) { return Inside(RECT{2, 3, 8, 9}, x, y); }, clRed);
  Fill(bmp, clWhite);
  C().Brush().SetColor(clBlue);
  const RECT f{10, 10, 15, 16};
  C().FrameRect(f);
  ExpectRegion([&](int x, int y) { return Inside(f, x, y) && !Inside(RECT{11, 11, 14, 15}, x, y); }, clBlue);
}

TEST_F(CanvasTest, RectangleEllipseAndPie) {
  C().Brush().SetColor(clLime);
  C().Rectangle(1, 1, 9, 7);
  ExpectPixels(bmp, {{1, 1, clBlack}, {8, 4, clBlack}, {4, 6, clBlack}, {4, 3, clLime}, {9, 4, clWhite}, {4, 7, clWhite}});

  Fill(bmp, clWhite);
  C().Pen().SetColor(clNavy);
  C().Brush().SetColor(clNavy);
  C().Ellipse(0, 0, 40, 30);
  ExpectPixels(bmp, {{20, 15, clNavy}, {2, 15, clNavy}, {0, 0, clWhite}, {39, 0, clWhite}, {0, 29, clWhite},
                     {39, 29, clWhite}, {3, 3, clWhite}});

  // Counter-clockwise from the right (0 degrees) to the top (90 degrees): the upper-right quarter.
  Fill(bmp, clWhite);
  C().Pen().SetColor(clMaroon);
  C().Brush().SetColor(clMaroon);
  C().Pie(0, 0, 37, 26, 36, 13, 18, 0);
  ExpectPixels(bmp, {{27, 6, clMaroon}, {22, 9, clMaroon}, {31, 11, clMaroon}, {20, 3, clMaroon}, {9, 19, clWhite},
                     {9, 6, clWhite}, {27, 19, clWhite}, {14, 8, clWhite}, {22, 17, clWhite}});
}

TEST_F(CanvasTest, LinesPenModesAndClearBrush) {
  C().Pen().SetColor(clGreen);
  C().MoveTo(2, 5);
  C().LineTo(10, 5);
  EXPECT_EQ(C().PenPos().x, 10);
  EXPECT_EQ(C().PenPos().y, 5);
  ExpectRegion([](int x, int y) { return y == 5 && x >= 2 && x < 10; }, clGreen);

  // XOR with white inverts what is there.
  C().Pen().SetColor(clWhite);
  C().Pen().SetMode(pmXor);
  C().MoveTo(0, 5);
  C().LineTo(40, 5);
  ExpectPixels(bmp, {{5, 5, static_cast<TColor>(0xFFFFFF ^ clGreen)}, {0, 5, clBlack}});

  // A clear brush leaves the inside of a rectangle alone; a hatched one its gaps.
  C().Pen().SetMode(pmCopy);
  C().Pen().SetColor(clBlack);
  C().Brush().SetStyle(bsClear);
  C().Rectangle(10, 10, 20, 20);
  ExpectPixels(bmp, {{10, 10, clBlack}, {15, 15, clWhite}});
  C().Brush().SetStyle(bsCross);
  C().Brush().SetColor(clRed);
  C().FillRect(RECT{20, 0, 40, 20});
  const int red = testing::CountPixels(bmp, clRed, RECT{20, 0, 40, 20});
  const int white = testing::CountPixels(bmp, clWhite, RECT{20, 0, 40, 20});
  EXPECT_GT(red, 20);
  EXPECT_GT(white, 200);
}

TEST_F(CanvasTest, CopyModes) {
  TBitmap source(10, 10);
  Fill(source, clWhite);
  Fill(bmp, RGBColor(0x12, 0x80, 0xF0));
  C().SetCopyMode(SRCINVERT);
  C().CopyRect(RECT{0, 0, 10, 10}, source.Canvas(), RECT{0, 0, 10, 10});
  C().SetCopyMode(BLACKNESS);
  C().CopyRect(RECT{20, 20, 25, 25}, source.Canvas(), RECT{0, 0, 5, 5});
  ExpectPixels(bmp, {{3, 3, RGBColor(0xED, 0x7F, 0x0F)}, {10, 3, RGBColor(0x12, 0x80, 0xF0)}, {22, 22, clBlack},
                     {25, 22, RGBColor(0x12, 0x80, 0xF0)}});
  // SRCCOPY of a 2x2 source stretched to 4x4.
  source.SetPixel(0, 0, clRed);
  source.SetPixel(1, 1, clBlue);
  C().SetCopyMode(SRCCOPY);
  C().CopyRect(RECT{30, 0, 34, 4}, source.Canvas(), RECT{0, 0, 2, 2});
  ExpectPixels(bmp, {{31, 1, clRed}, {33, 3, clBlue}, {33, 0, clWhite}});
  C().SetPixel(39, 29, clBtnShadow);
  EXPECT_EQ(static_cast<COLORREF>(C().Pixel(39, 29)), GetSysColor(COLOR_BTNSHADOW));
}

TEST_F(CanvasTest, Text) {
  C().Font().SetColor(clRed);
  C().Font().SetName("Tahoma");
  C().Brush().SetColor(clYellow);
  const SIZE one = C().TextExtent("W"), two = C().TextExtent("WW");
  ASSERT_GT(one.cx, 0);
  ASSERT_GT(one.cy, 0);
  EXPECT_GT(two.cx, one.cx);
  EXPECT_EQ(two.cy, one.cy);
  // UTF-8 reaches the wide API as one character.
  SIZE wide{};
  GetTextExtentPoint32W(C().Handle(), L"\u00C4", 1, &wide);
  EXPECT_EQ(C().TextWidth("\xC3\x84"), wide.cx);
  C().Font().SetHeight(-20);
  EXPECT_GT(C().TextHeight("W"), one.cy);
  C().Font().SetHeight(-11);

  // Opaque text: the text cell shows the font colour over the brush colour.
  C().TextOut(2, 2, "WW");
  std::set<TColor> seen;
  for (int y = 2; y < 2 + two.cy; ++y)
    for (int x = 2; x < 2 + two.cx; ++x) seen.insert(bmp.Pixel(x, y));
  EXPECT_TRUE(seen.count(clRed));
  EXPECT_TRUE(seen.count(clYellow));
  EXPECT_EQ(bmp.Pixel(2 + two.cx, 2), clWhite);

  // Transparent text clipped to a rectangle.
  Fill(bmp, clWhite);
  C().Brush().SetStyle(bsClear);
  const RECT clip{6, 0, 16, 30};
  C().TextRect(clip, 0, 4, "WWWWWWWWWW");
  int inside = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const TColor c = bmp.Pixel(x, y);
      if (!Inside(clip, x, y)) ASSERT_EQ(c, clWhite) << x << "," << y;
      else if (c != clWhite) ++inside;
    }
  EXPECT_GT(inside, 5);

  RECT r{0, 0, 200, 0};
  const int h = C().DrawText("WW", r, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(h, one.cy);
  EXPECT_EQ(r.right, two.cx);
}

TEST(CanvasHandles, PutsTheDeviceContextsObjectsBack) {
  TBitmap target(4, 4);
  HDC dc = target.Canvas().Handle();
  const HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT), pen = GetCurrentObject(dc, OBJ_PEN),
                brush = GetCurrentObject(dc, OBJ_BRUSH);
  {
    TCanvas canvas;
    EXPECT_THROW(canvas.FillRect(RECT{0, 0, 1, 1}), EInvalidOperation);
    canvas.SetHandle(dc);
    canvas.Brush().SetColor(clRed);
    canvas.FillRect(RECT{0, 0, 2, 2});
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), canvas.Brush().Handle());
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), canvas.Font().Handle());
    // A font changed while selected lets go of its old handle, which is then deleted.
    const HFONT before = canvas.Font().Handle();
    canvas.Font().SetHeight(-30);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
    EXPECT_EQ(GetObjectType(before), 0u);
    canvas.TextExtent("x");
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), canvas.Font().Handle());
    canvas.SetHandle(nullptr);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
    canvas.SetHandle(dc);
    canvas.Rectangle(0, 0, 3, 3);
  }  // destroyed while attached
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
  EXPECT_EQ(target.Pixel(1, 1), clRed);
}

TEST(Bitmaps, PixelsScanLinesAndSize) {
  TBitmap b;
  EXPECT_TRUE(b.Empty());
  int events = 0;
  b.OnChange = [&](TObject*) { ++events; };
  b.SetSize(5, 3);
  EXPECT_EQ(events, 1);
  EXPECT_EQ(b.Pixel(4, 2), clBlack);
  b.SetPixel(1, 0, RGBColor(0x11, 0x22, 0x33));
  EXPECT_EQ(b.ScanLine(0)[1] & 0xFFFFFF, 0x112233u);  // DIB words are 0x00RRGGBB, top row first
  b.ScanLine(2)[4] = 0x00ABCDEF;
  EXPECT_EQ(b.Pixel(4, 2), RGBColor(0xAB, 0xCD, 0xEF));
  EXPECT_EQ(b.Pixel(5, 0), clNone);
  EXPECT_THROW(b.ScanLine(3), EInvalidOperation);
  EXPECT_THROW(b.SetSize(-1, 4), EInvalidGraphic);
  TBitmap copy;
  copy.Assign(b);
  EXPECT_EQ(copy.Width(), 5);
  EXPECT_EQ(copy.Pixel(4, 2), RGBColor(0xAB, 0xCD, 0xEF));
  copy.SetPixel(4, 2, clRed);
  EXPECT_EQ(b.Pixel(4, 2), RGBColor(0xAB, 0xCD, 0xEF));
}

TEST(Bitmaps, DrawStretchedAndTransparent) {
  TBitmap src(2, 2);
  src.SetPixel(0, 0, clRed);
  src.SetPixel(1, 0, clLime);
  src.SetPixel(0, 1, clFuchsia);  // bottom-left: the default transparent colour
  src.SetPixel(1, 1, clBlue);
  TBitmap dst(12, 12);
  Fill(dst, clGray);
  dst.Canvas().Draw(10, 10, src);
  ExpectPixels(dst, {{10, 10, clRed}, {11, 11, clBlue}, {9, 9, clGray}});
  dst.Canvas().StretchDraw(RECT{0, 0, 8, 8}, src);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      ASSERT_EQ(dst.Pixel(x, y), y < 4 ? (x < 4 ? clRed : clLime) : (x < 4 ? clFuchsia : clBlue)) << x << "," << y;

  Fill(dst, clGray);
  src.SetTransparent(true);
  dst.Canvas().StretchDraw(RECT{0, 0, 8, 8}, src);
  src.SetTransparentColor(clLime);
  dst.Canvas().Draw(10, 0, src);
  ExpectPixels(dst, {{1, 1, clRed}, {1, 6, clGray}, {6, 6, clBlue}, {11, 0, clGray}, {10, 1, clFuchsia}});
}

// The decoding itself is tested natively (BmpDecoderTest); a bitmap takes the pixels, or
// refuses a damaged file as an invalid graphic and keeps its picture.
TEST(BitmapFiles, LoadPixelsOrRaiseAndKeepThePicture) {
  const std::vector<TColor> px = Quadrants(6, 4);
  const Bytes good = MakeBmp(8, 6, 4, px);
  TBitmap b(1, 1);
  b.SetPixel(0, 0, clAqua);
  for (std::size_t n : {std::size_t{0}, std::size_t{40}, good.size() - 1})
    EXPECT_THROW(b.LoadFromBytes(good.data(), n), EInvalidGraphic) << n;
  EXPECT_EQ(b.Width(), 1);
  EXPECT_EQ(b.Pixel(0, 0), clAqua);
  b.LoadFromBytes(good.data(), good.size());
  ASSERT_EQ(b.Width(), 6);
  ASSERT_EQ(b.Height(), 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) ASSERT_EQ(b.Pixel(x, y), px[y * 6 + x]) << x << "," << y;
}

// Damaged files of every kind either load or raise EInvalidGraphic; none ends the process.
TEST(BitmapFiles, DamagedPicturesNeverCrash) {
  std::mt19937 random(7);
  const std::vector<Bytes> files{MakeBmp(4, 7, 5, Quadrants(7, 5)), MakeBmp(24, 7, 5, Quadrants(7, 5)),
                                 MakeIco({16, 32}), MakeJpeg()};
  int loaded = 0, refused = 0;
  for (const Bytes& good : files)
    for (int round = 0; round < 300; ++round) {
      Bytes bad = good;
      for (int k = 0; k < 3; ++k)
        bad[random() % std::min<std::size_t>(bad.size(), 120)] = static_cast<std::uint8_t>(random());
      TPicture pic;
      try {
        pic.LoadFromBytes(bad.data(), bad.size());
      } catch (const EInvalidGraphic&) {
        ++refused;
        continue;
      }
      ++loaded;
      ASSERT_NE(pic.Graphic(), nullptr);
      TBitmap target(20, 20);
      target.Canvas().StretchDraw(RECT{0, 0, 20, 20}, *pic.Graphic());
    }
  EXPECT_GT(loaded, 0);
  EXPECT_GT(refused, 0);
}

TEST(PictureFormats, JpegThroughPicture) {
  const Bytes jpeg = MakeJpeg();
  TPicture pic;
  int events = 0;
  pic.OnChange = [&](TObject*) { ++events; };
  pic.LoadFromBytes(jpeg.data(), jpeg.size());
  EXPECT_EQ(events, 1);
  auto* image = dynamic_cast<TJpegImage*>(pic.Graphic());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(pic.Width(), 32);
  EXPECT_EQ(pic.Height(), 16);
  for (POINT p : {POINT{3, 3}, POINT{12, 12}, POINT{20, 3}, POINT{29, 14}}) {
    const TColor c = image->Bitmap().Pixel(p.x, p.y);
    EXPECT_NEAR(GetRValue32(c), p.x < 16 ? 255 : 0, 8);
    EXPECT_NEAR(GetGValue32(c), 0, 8);
    EXPECT_NEAR(GetBValue32(c), p.x < 16 ? 0 : 255, 8);
  }
  TBitmap direct(32, 16);
  direct.Canvas().Draw(0, 0, *image);
  EXPECT_NEAR(GetRValue32(direct.Pixel(4, 4)), 255, 8);
  direct.LoadFromBytes(jpeg.data(), jpeg.size());  // a bitmap takes JPEG data too
  EXPECT_NEAR(GetBValue32(direct.Pixel(28, 4)), 255, 8);

  Bytes corrupt = jpeg;
  corrupt.resize(corrupt.size() / 3);
  for (std::size_t i = 200; i < corrupt.size(); ++i) corrupt[i] = static_cast<std::uint8_t>(i * 37);
  EXPECT_THROW(pic.LoadFromBytes(corrupt.data(), corrupt.size()), EInvalidGraphic);
  EXPECT_EQ(pic.Graphic(), image);  // the old picture stays
  const Bytes noise{0x00, 0x11, 0x22, 0x33};
  EXPECT_THROW(pic.LoadFromBytes(noise.data(), noise.size()), EInvalidGraphic);
  pic.LoadFromBytes(jpeg.data(), jpeg.size());
  EXPECT_EQ(pic.Width(), 32);
  TPicture copy;
  copy.Assign(pic);
  EXPECT_NEAR(GetBValue32(dynamic_cast<TBitmap&>(*copy.Graphic()).Pixel(28, 8)), 255, 8);
  EXPECT_EQ(pic.Bitmap().Width(), 0);  // asked for a bitmap, a JPEG picture gives way
}

TEST(PictureFormats, IconsAndResources) {
  const Bytes ico = MakeIco({16, 32, 64});
  TIcon icon;
  icon.LoadFromBytes(ico.data(), ico.size());
  ASSERT_FALSE(icon.Empty());
  EXPECT_EQ(icon.Width(), 32);  // the largest from 16 to 48
  EXPECT_EQ(icon.Height(), 32);
  TBitmap b(40, 40);
  Fill(b, clLime);
  b.Canvas().Draw(4, 4, icon);
  ExpectPixels(b, {{5, 5, clLime} /* transparent corner */, {10, 20, clRed}, {30, 20, clBlue}, {37, 37, clLime}});
  TIcon copy;
  copy.Assign(icon);
  EXPECT_NE(copy.Handle(), icon.Handle());
  EXPECT_EQ(copy.Width(), 32);
  for (std::size_t n = 0; n < ico.size(); n += 7) {
    TIcon broken;
    ASSERT_THROW(broken.LoadFromBytes(ico.data(), n), EInvalidGraphic) << n;
  }

  AddTestResource("GraphicsTestIcon", ico);
  TPicture pic;
  pic.LoadFromResourceName("GRAPHICSTESTICON");
  EXPECT_NE(dynamic_cast<TIcon*>(pic.Graphic()), nullptr);
  EXPECT_EQ(pic.ResourceName(), "GRAPHICSTESTICON");
  try {
    pic.LoadFromResourceName("NoSuchPicture");
    ADD_FAILURE() << "a missing resource loaded";
  } catch (const EResNotFound& e) {
    EXPECT_NE(std::string(e.what()).find("NoSuchPicture"), std::string::npos);
  }
  EXPECT_EQ(pic.ResourceName(), "GRAPHICSTESTICON");
}

// Three 16x16 images side by side: red, lime, blue squares on magenta, each square inset by 4.
void MakeStrip(TBitmap& strip) {
  strip.SetSize(48, 16);
  Fill(strip, clFuchsia);
  const TColor colors[] = {clRed, clLime, clBlue};
  for (int i = 0; i < 3; ++i)
    for (int y = 4; y < 12; ++y)
      for (int x = 4; x < 12; ++x) strip.SetPixel(i * 16 + x, y, colors[i]);
}

TEST(ImageLists, AddGetAndDraw) {
  TImageList list(nullptr);
  TBitmap strip;
  MakeStrip(strip);
  EXPECT_EQ(list.AddMasked(strip, clFuchsia), 0);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(strip.Pixel(0, 0), clFuchsia);  // the source is left alone

  TIcon icon;
  list.GetIcon(2, icon);
  ASSERT_NE(icon.Handle(), nullptr);
  EXPECT_EQ(icon.Width(), 16);
  EXPECT_THROW(list.GetIcon(3, icon), EInvalidOperation);
  EXPECT_EQ(list.AddIcon(icon), 3);

  TBitmap image;
  list.GetBitmap(1, image);
  EXPECT_EQ(image.Width(), 16);
  ExpectPixels(image, {{8, 8, clLime}, {1, 1, clFuchsia}});

  TBitmap target(40, 20);
  Fill(target, clGreen);
  list.Draw(target.Canvas(), 2, 2, 0);
  list.Draw(target.Canvas(), 20, 2, 3);  // the icon of image 2
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) {
      const bool red = Inside(RECT{6, 6, 14, 14}, x, y), blue = Inside(RECT{24, 6, 32, 14}, x, y);
      ASSERT_EQ(target.Pixel(x, y), red ? clRed : blue ? clBlue : clGreen) << x << "," << y;
    }
  Fill(target, clGreen);
  list.Draw(target.Canvas(), 2, 2, 0, false);  // washed out: the square changes, the rest stays
  int changed = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      if (!Inside(RECT{6, 6, 14, 14}, x, y)) ASSERT_EQ(target.Pixel(x, y), clGreen) << x << "," << y;
      else if (target.Pixel(x, y) != clRed) ++changed;
    }
  EXPECT_GE(changed, 32);
  list.SetWidth(24);
  EXPECT_EQ(list.Count(), 0);
}

TEST(ImageLists, StripFromResourcesAndDescriptions) {
  TBitmap strip;
  MakeStrip(strip);
  std::vector<TColor> px;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 48; ++x) px.push_back(strip.Pixel(x, y));
  AddTestResource("GraphicsTestStrip", MakeBmp(24, 48, 16, px));

  TImageList list(nullptr);
  int events = 0;
  list.OnChange = [&](TObject*) { ++events; };
  list.Strip().LoadFromResourceName("GraphicsTestStrip");
  EXPECT_EQ(list.Count(), 3);
  EXPECT_GT(events, 0);
  list.Strip().LoadFromResourceName("GraphicsTestStrip");  // replaces the images, adds none
  EXPECT_EQ(list.Count(), 3);
  TBitmap image;
  list.GetBitmap(2, image);
  ExpectPixels(image, {{4, 4, clBlue}, {3, 3, clFuchsia}});
  list.SetWidth(24);  // the strip is cut again at the new size
  EXPECT_EQ(list.Count(), 2);

  RegisterFrameworkClasses();
  TComponent root(nullptr);
  LoadFormText(root, "Root: TComponent {\n  Images: TImageList {\n    Height: 16\n    Strip: @GraphicsTestStrip\n"
                     "    MaskColor: clLime\n  }\n}\n");
  auto* loaded = root.Require<TImageList>("Images");
  EXPECT_EQ(loaded->Count(), 3);
  EXPECT_EQ(loaded->MaskColor(), clLime);
  const std::string text = WriteForm(root);
  EXPECT_NE(text.find("Strip: @GraphicsTestStrip"), std::string::npos) << text;
  EXPECT_NE(text.find("MaskColor: "), std::string::npos) << text;
  EXPECT_EQ(text.find("Width:"), std::string::npos) << text;
}

TEST(GdiLeaks, CreateDrawDestroyLeavesNoObjects) {
  const Bytes bmpFile = MakeBmp(8, 6, 4, Quadrants(6, 4));
  const Bytes ico = MakeIco({16});
  TBitmap strip;
  MakeStrip(strip);
  auto round = [&](int i) {
    TBitmap b(8 + i % 5, 8);
    b.Canvas().Font().SetHeight(-9 - i % 7);
    b.Canvas().Font().SetStyle(i % 2 ? 1u << fsBold : 0);
    b.Canvas().Pen().SetWidth(1 + i % 3);
    b.Canvas().Brush().SetStyle(i % 3 ? bsSolid : bsCross);
    b.Canvas().Ellipse(0, 0, 8, 8);
    b.Canvas().TextOut(0, 0, "Ab");
    b.Canvas().Brush().SetColor(RGBColor(i % 256, 0, 0));
    b.Canvas().FillRect(RECT{0, 0, 3, 3});
    TBitmap loaded;
    loaded.LoadFromBytes(bmpFile.data(), bmpFile.size());
    loaded.SetTransparent(i % 2 == 0);
    b.Canvas().StretchDraw(RECT{0, 0, 8, 8}, loaded);
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    TCanvas canvas;
    canvas.SetHandle(dc.get());
    canvas.Font().SetName(i % 2 ? "Tahoma" : "Arial");
    canvas.TextExtent("xyz");
    canvas.Rectangle(0, 0, 2, 2);
    TIcon icon;
    icon.LoadFromBytes(ico.data(), ico.size());
    b.Canvas().Draw(0, 0, icon);
    if (i % 10 == 0) {
      TImageList list(nullptr);
      list.AddMasked(strip, clFuchsia);
      list.GetIcon(1, icon);
      list.Draw(b.Canvas(), 0, 0, 2);
    }
  };
  round(0);  // anything made once per process (stock objects, caches) exists from here on
  const int before = testing::CountGdiObjects();
  {
    std::vector<UniqueHbrush> probe;
    for (int i = 0; i < 10; ++i) probe.emplace_back(CreateSolidBrush(RGB(i, 1, 2)));
    ASSERT_EQ(testing::CountGdiObjects(), before + 10) << "the count must see new objects";
  }
  for (int i = 1; i <= 1000; ++i) round(i);
  EXPECT_NEAR(testing::CountGdiObjects(), before, 2);
}

}  // namespace
}  // namespace dorvane
