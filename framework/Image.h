#pragma once
// A picture drawn by us on the parent's surface: at its own size or stretched to the
// control, centred or at the top left, with its transparent colour left undrawn.
#include <memory>

#include "framework/Controls.h"

namespace dorvane {

class TImage : public TGraphicControl {
  DORVANE_CLASS(TImage)
 public:
  explicit TImage(TComponent* owner);
  ~TImage() override;

  TPicture& Picture() { return *picture_; }
  const TPicture& Picture() const { return *picture_; }
  // Stretched to the whole control.
  bool Stretch() const { return stretch_; }
  void SetStretch(bool value);
  bool Center() const { return center_; }
  void SetCenter(bool value);
  // Stretched (or, when larger than the control, shrunk) keeping its proportions.
  bool Proportional() const { return proportional_; }
  void SetProportional(bool value);
  // Bitmaps are drawn without their transparent colour (their bottom-left pixel's).
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  // The control takes the picture's size when the picture changes.
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);

  // Where the picture is drawn, in the control's coordinates.
  RECT DestRect() const;
  void Paint() override;
  void Loaded() override;

 private:
  void PictureChanged();
  void ApplyTransparency();
  void AdjustSize();

  std::unique_ptr<TPicture> picture_;
  bool stretch_ = false;
  bool center_ = false;
  bool proportional_ = false;
  bool transparent_ = false;
  bool autoSize_ = false;
};

}  // namespace dorvane
