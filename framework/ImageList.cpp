#include "framework/ImageList.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/ClassBuilder.h"
#include "framework/SysUtils.h"

namespace dorvane {

namespace {

// By strip name; a program has one or two.
struct SizedPictures {
  std::string name;
  TSizedPicturePainter painter;
};
std::vector<SizedPictures>& SizedPainters() {
  static std::vector<SizedPictures> painters;
  return painters;
}

TSizedPicturePainter SizedPainter(const std::string& name) {
  for (const SizedPictures& entry : SizedPainters())
    if (entry.name == name) return entry.painter;
  return nullptr;
}

// Adds the DIB words of a width x height picture to a list, pixels of maskColor
// transparent. The list reads the pixels from a bitmap that no device context holds, and
// it blacks out the masked pixels of what it is given: it gets a copy.
int AddMaskedWords(HIMAGELIST list, const std::uint32_t* words, int width, int height, TColor maskColor) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const UniqueHbitmap loose(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!loose || !bits) throw EInvalidOperation("Cannot add the bitmap to the image list");
  std::memcpy(bits, words, static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
  const int index = ::ImageList_AddMasked(list, loose.get(), ColorToRGB(maskColor));
  if (index < 0) throw EInvalidOperation("Cannot add the bitmap to the image list");
  return index;
}

}  // namespace

void RegisterSizedPictures(const std::string& name, TSizedPicturePainter painter) {
  auto& painters = SizedPainters();
  std::erase_if(painters, [&](const SizedPictures& entry) { return entry.name == name; });
  if (painter) painters.push_back({name, painter});
}

const ClassInfo& TImageList::StaticClass() {
  static const ClassInfo info =
      ClassBuilder<TImageList>("TImageList", &TComponent::StaticClass())
          .Int("Width", &TImageList::Width, &TImageList::SetWidth, 16)
          .Int("Height", &TImageList::Height, &TImageList::SetHeight, 16)
          .Color("MaskColor", &TImageList::MaskColor, &TImageList::SetMaskColor, clFuchsia)
          .Object("Strip", [](const TImageList& list) -> TObject* { return const_cast<TPicture*>(&list.strip_); },
                  TPicture::StaticClass())
          .Build();
  return info;
}

TImageList::TImageList(TComponent* owner) : TComponent(owner) {
  Recreate();
  strip_.OnChange = [this](TObject*) { StripChanged(); };
}

TImageList::~TImageList() { strip_.OnChange = nullptr; }

void TImageList::Recreate() {
  ForgetSized();
  list_.reset(::ImageList_Create(std::max(width_, 1), std::max(height_, 1), ILC_COLOR32 | ILC_MASK, 4, 4));
  if (!list_) throw EInvalidOperation("Cannot create an image list");
  // The strip is cut at whatever size the list has: a description may set the size after
  // the strip.
  if (strip_.Graphic() && !strip_.Graphic()->Empty())
    StripChanged();
  else
    Fire(OnChange, this);
}

void TImageList::SetWidth(int width) {
  if (width == width_) return;
  if (width <= 0) throw EInvalidOperation("Invalid image list width " + std::to_string(width));
  width_ = width;
  Recreate();
}

void TImageList::SetHeight(int height) {
  if (height == height_) return;
  if (height <= 0) throw EInvalidOperation("Invalid image list height " + std::to_string(height));
  height_ = height;
  Recreate();
}

int TImageList::Count() const { return ::ImageList_GetImageCount(list_.get()); }

HIMAGELIST TImageList::Handle() const { return list_.get(); }

int TImageList::AddMasked(const TBitmap& bitmap, TColor maskColor) {
  if (bitmap.Empty()) throw EInvalidOperation("Cannot add an empty bitmap to an image list");
  TBitmap copy;
  copy.Assign(bitmap);
  const int index = AddMaskedWords(list_.get(), copy.ScanLine(0), copy.Width(), copy.Height(), maskColor);
  ForgetSized();
  Fire(OnChange, this);
  return index;
}

int TImageList::AddIcon(const TIcon& icon) {
  if (icon.Empty()) throw EInvalidOperation("Cannot add an empty icon to an image list");
  const int index = ::ImageList_ReplaceIcon(list_.get(), -1, icon.Handle());
  if (index < 0) throw EInvalidOperation("Cannot add the icon to the image list");
  ForgetSized();
  Fire(OnChange, this);
  return index;
}

void TImageList::Clear() {
  if (Count() == 0) return;
  ::ImageList_Remove(list_.get(), -1);
  ForgetSized();
  Fire(OnChange, this);
}

namespace {

void CheckIndex(const TImageList& list, int index) {
  if (index < 0 || index >= list.Count())
    throw EInvalidOperation("Image list index out of bounds (" + std::to_string(index) + ")");
}

}  // namespace

void TImageList::GetIcon(int index, TIcon& icon) const {
  CheckIndex(*this, index);
  HICON h = ::ImageList_GetIcon(list_.get(), index, ILD_NORMAL);
  if (!h) throw EInvalidOperation("Cannot make an icon of image " + std::to_string(index));
  icon.SetHandle(h);
}

void TImageList::GetIcon(int index, TIcon& icon, int side) const {
  HIMAGELIST sized = side != width_ || side != height_ ? SizedList(side) : nullptr;
  if (!sized) return GetIcon(index, icon);
  CheckIndex(*this, index);
  HICON h = ::ImageList_GetIcon(sized, index, ILD_NORMAL);
  if (!h) throw EInvalidOperation("Cannot make an icon of image " + std::to_string(index));
  icon.SetHandle(h);
}

HIMAGELIST TImageList::SizedList(int side) const {
  if (side <= 0) return nullptr;
  if (sized_ && sizedSide_ == side) return sized_.get();
  const TSizedPicturePainter painter = strip_.ResourceName().empty() ? nullptr : SizedPainter(strip_.ResourceName());
  if (!painter) return nullptr;
  UniqueImageList list(::ImageList_Create(side, side, ILC_COLOR32 | ILC_MASK, Count(), 4));
  if (!list) throw EInvalidOperation("Cannot create an image list");
  const std::uint32_t background = ColorToDib(maskColor_);
  std::vector<std::uint32_t> words;
  for (int i = 0; i < Count(); ++i) {
    words.assign(static_cast<std::size_t>(side) * static_cast<std::size_t>(side), background);
    painter(i, side, words.data());
    AddMaskedWords(list.get(), words.data(), side, side, maskColor_);
  }
  sized_ = std::move(list);
  sizedSide_ = side;
  return sized_.get();
}

// The image over the mask colour, which becomes the bitmap's transparent colour.
void TImageList::GetBitmap(int index, TBitmap& bitmap) const {
  CheckIndex(*this, index);
  bitmap.SetSize(width_, height_);
  const std::uint32_t background = ColorToDib(maskColor_);
  for (int y = 0; y < height_; ++y) std::fill_n(bitmap.ScanLine(y), width_, background);
  ::ImageList_Draw(list_.get(), index, bitmap.Canvas().Handle(), 0, 0, ILD_NORMAL);
  bitmap.SetTransparentColor(maskColor_);
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) const {
  CheckIndex(*this, index);
  if (!canvas.HandleAllocated()) throw EInvalidOperation("Canvas does not allow drawing");
  if (enabled)
    ::ImageList_Draw(list_.get(), index, canvas.Handle(), x, y, ILD_NORMAL);
  else  // washed out towards the button face
    ::ImageList_DrawEx(list_.get(), index, canvas.Handle(), x, y, 0, 0, CLR_NONE, ColorToRGB(clBtnFace),
                       ILD_TRANSPARENT | ILD_BLEND50);
}

void TImageList::StripChanged() {
  ForgetSized();
  if (Count() > 0) ::ImageList_Remove(list_.get(), -1);
  const TGraphic* graphic = strip_.Graphic();
  if (graphic && !graphic->Empty()) {
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(graphic)) {
      AddMasked(*bitmap, maskColor_);
    } else {
      // Other pictures are laid over the mask colour first.
      TBitmap flat(graphic->Width(), graphic->Height());
      flat.Canvas().Brush().SetColor(maskColor_);
      flat.Canvas().FillRect(RECT{0, 0, flat.Width(), flat.Height()});
      flat.Canvas().Draw(0, 0, *graphic);
      AddMasked(flat, maskColor_);
    }
    return;  // AddMasked told the listeners
  }
  Fire(OnChange, this);
}

}  // namespace dorvane
