#pragma once
// A list of pictures of one size, with masks, over a system image list: menu glyphs, list
// view images, the tray's icons.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

#include "winapi/Handles.h"
#include "framework/Graphics.h"

namespace dorvane {

// Draws picture `index` of a strip at side x side pixels into `pixels` (DIB words
// 0x00RRGGBB, top row first), which arrive filled with the list's mask colour: what it
// leaves untouched is transparent.
using TSizedPicturePainter = void (*)(int index, int side, std::uint32_t* pixels);

// The pictures of the strip resource `name` at sides other than the list's own are drawn
// by `painter` (a stretched copy would blur). Registered before the lists that use the
// strip are asked for another size.
void RegisterSizedPictures(const std::string& name, TSizedPicturePainter painter);

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
  // The same at side x side pixels: drawn at that size when the strip's pictures have a
  // painter, otherwise the list's own picture (which the shell then stretches).
  void GetIcon(int index, TIcon& icon, int side) const;
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
  // The list's pictures drawn at `side`, made on the first request for that side.
  HIMAGELIST SizedList(int side) const;
  void ForgetSized() {
    sized_.reset();
    sizedSide_ = 0;
  }
  int width_ = 16;
  int height_ = 16;
  TColor maskColor_ = clFuchsia;
  TPicture strip_;
  UniqueImageList list_;
  mutable UniqueImageList sized_;
  mutable int sizedSide_ = 0;
};

}  // namespace dorvane
