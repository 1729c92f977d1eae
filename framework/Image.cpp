#include "framework/Image.h"

#include <algorithm>

#include "framework/ClassBuilder.h"

namespace dorvane {

const ClassInfo& TImage::StaticClass() {
  static const ClassInfo info =
      ClassBuilder<TImage>("TImage", &TGraphicControl::StaticClass())
          .Object("Picture", [](const TImage& i) -> TObject* { return const_cast<TPicture*>(&i.Picture()); },
                  TPicture::StaticClass())
          .Bool("Stretch", &TImage::Stretch, &TImage::SetStretch, false)
          .Bool("Center", &TImage::Center, &TImage::SetCenter, false)
          .Bool("Proportional", &TImage::Proportional, &TImage::SetProportional, false)
          .Bool("Transparent", &TImage::Transparent, &TImage::SetTransparent, false)
          .Bool("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize, false)
          .Build();
  return info;
}

TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(std::make_unique<TPicture>()) {
  picture_->OnChange = [this](TObject*) { PictureChanged(); };
}

TImage::~TImage() { picture_->OnChange = nullptr; }

void TImage::SetStretch(bool value) {
  if (value == stretch_) return;
  stretch_ = value;
  Invalidate();
}

void TImage::SetCenter(bool value) {
  if (value == center_) return;
  center_ = value;
  Invalidate();
}

void TImage::SetProportional(bool value) {
  if (value == proportional_) return;
  proportional_ = value;
  Invalidate();
}

void TImage::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  ApplyTransparency();
  Invalidate();
}

void TImage::SetAutoSize(bool value) {
  if (value == autoSize_) return;
  autoSize_ = value;
  AdjustSize();
}

void TImage::Loaded() {
  TGraphicControl::Loaded();
  AdjustSize();
}

// Only bitmaps take the setting: icons draw through their own mask, JPEG pictures have
// no transparent colour.
void TImage::ApplyTransparency() {
  if (auto* bitmap = dynamic_cast<TBitmap*>(picture_->Graphic()))
    if (bitmap->Transparent() != transparent_) bitmap->SetTransparent(transparent_);
}

void TImage::AdjustSize() {
  if (!autoSize_ || IsLoading()) return;
  const TGraphic* g = picture_->Graphic();
  if (!g || g->Empty()) return;
  SetBounds(Left(), Top(), g->Width(), g->Height());
}

void TImage::PictureChanged() {
  ApplyTransparency();  // a new graphic changes again at most once, then this is a no-op
  AdjustSize();
  Invalidate();
}

RECT TImage::DestRect() const {
  const TGraphic* g = picture_->Graphic();
  int w = g ? g->Width() : 0, h = g ? g->Height() : 0;
  const int cw = Width(), ch = Height();
  if (w > 0 && h > 0 && (stretch_ || (proportional_ && (w > cw || h > ch)))) {
    if (proportional_) {
      const double scale = std::min(static_cast<double>(cw) / w, static_cast<double>(ch) / h);
      w = static_cast<int>(w * scale);
      h = static_cast<int>(h * scale);
    } else {
      w = cw;
      h = ch;
    }
  }
  int x = 0, y = 0;
  if (center_) {
    x = (cw - w) / 2;
    y = (ch - h) / 2;
  }
  return RECT{x, y, x + w, y + h};
}

void TImage::Paint() {
  const TGraphic* g = picture_->Graphic();
  if (!g || g->Empty()) return;
  Canvas().StretchDraw(DestRect(), *g);
}

}  // namespace dorvane
