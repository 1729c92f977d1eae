#pragma once
// Checks on the pixels of rendered bitmaps: single points from a table, the four edges of
// a frame, and counts of a colour.
#include <gtest/gtest.h>

#include <initializer_list>
#include <ios>

#include "framework/Graphics.h"

namespace dorvane::testing {

struct PixelAt {
  int x, y;
  TColor colour;
};

// Every listed point has its colour; a failure names the point.
inline void ExpectPixels(const TBitmap& b, std::initializer_list<PixelAt> points) {
  for (const PixelAt& p : points)
    EXPECT_EQ(b.Pixel(p.x, p.y), p.colour) << std::hex << "0x" << p.colour << std::dec << " expected at " << p.x << ","
                                           << p.y;
}

// The one-pixel frame of `r` (right and bottom exclusive): `topLeft` along the top row and
// left column, `bottomRight` along the bottom row and right column, which own the corners
// they share with the others.
inline void ExpectFrame(const TBitmap& b, RECT r, TColor topLeft, TColor bottomRight) {
  const int right = r.right - 1, bottom = r.bottom - 1;
  for (int x = r.left; x <= right; ++x) {
    if (x < right) {
      EXPECT_EQ(b.Pixel(x, r.top), topLeft) << "top " << x << "," << r.top;
    }
    EXPECT_EQ(b.Pixel(x, bottom), bottomRight) << "bottom " << x << "," << bottom;
  }
  for (int y = r.top; y <= bottom; ++y) {
    if (y < bottom) {
      EXPECT_EQ(b.Pixel(r.left, y), topLeft) << "left " << r.left << "," << y;
    }
    EXPECT_EQ(b.Pixel(right, y), bottomRight) << "right " << right << "," << y;
  }
}

// How many pixels of `r` (right and bottom exclusive) have the colour.
inline int CountPixels(const TBitmap& b, TColor colour, RECT r) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) n += b.Pixel(x, y) == colour;
  return n;
}

inline void Fill(TBitmap& b, TColor c) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) b.SetPixel(x, y, c);
}

}  // namespace dorvane::testing
