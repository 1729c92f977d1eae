#pragma once
// A list of pictures of one size, with masks, over a system image list: menu glyphs, list
// view images, the tray's icons.
#include <windows.h>
#include <commctrl.h>

#include "winapi/Handles.h"
#include "framework/Graphics.h"

namespace dorvane {

// A list of pictures of one size, with masks, over a system image list.
class TImageList : public TComponent {
  DORVANE_CLASS(TImageList)
 public:
  explicit TImageList(TComponent* owner);
  ~TImageList() override;

  int Width() const { return width_; }
  void SetWidth(int width);    // clears the list
  int Height() const { return height_; }
  void SetHeight(int height);  // clears the list
  int Count() const;
  HIMAGELIST Handle() const;

  // Adds a bitmap (several images when it is a multiple of Width wide), pixels of
  // maskColor transparent. Returns the index of the first image added.
  int AddMasked(const TBitmap& bitmap, TColor maskColor);
  int AddIcon(const TIcon& icon);
  void Clear();
  // A copy of image index as an icon (the caller's icon takes ownership of it).
  void GetIcon(int index, TIcon& icon) const;
  void GetBitmap(int index, TBitmap& bitmap) const;
  void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true) const;

  // A strip among the resources, cut into images of Width x Height, MaskColor transparent
  // (set in form descriptions as Strip: @name).
  TColor MaskColor() const { return maskColor_; }
  void SetMaskColor(TColor color) { maskColor_ = color; }
  TPicture& Strip() { return strip_; }

  TNotifyEvent OnChange;

 private:
  void Recreate();
  void StripChanged();
  int width_ = 16;
  int height_ = 16;
  TColor maskColor_ = clFuchsia;
  TPicture strip_;
  UniqueImageList list_;
};

}  // namespace dorvane
