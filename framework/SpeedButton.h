#pragma once
// A button without a window of its own, drawn by us: a caption and a glyph side by side
// (or one above the other), flat or framed, a toggle within a group when it has a group
// index. The parent routes the mouse to it.
#include <memory>
#include <vector>

#include "framework/Controls.h"

namespace dorvane {

// Where the glyph sits against the caption.
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
const EnumType& ButtonLayoutType();

class TSpeedButton : public TGraphicControl {
  DORVANE_CLASS(TSpeedButton)
 public:
  explicit TSpeedButton(TComponent* owner);
  ~TSpeedButton() override;

  // Up to four images side by side: up, disabled, clicked, down. The colour of the
  // bitmap's bottom-left pixel is transparent.
  TBitmap& Glyph() { return *glyph_; }
  const TBitmap& Glyph() const { return *glyph_; }
  int NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(int count);
  // Flat: no frame until the mouse is over the button.
  bool Flat() const { return flat_; }
  void SetFlat(bool value);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout layout);
  // Pixels between the edge and the glyph; -1 centres glyph and caption together.
  int Margin() const { return margin_; }
  void SetMargin(int value);
  // Pixels between glyph and caption; -1 centres the caption in the room beside the glyph.
  int Spacing() const { return spacing_; }
  void SetSpacing(int value);
  // Buttons of one parent with the same non-zero group index stay down one at a time.
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int value);
  bool Down() const { return down_; }
  void SetDown(bool value);
  // A down button of the group may be clicked up again, leaving none down.
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool value);
  // A flat transparent button paints no background of its own.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);

  // Whether the mouse is over the button / holds it pressed (for tests and painting).
  bool MouseInControl() const { return mouseIn_; }
  bool Pressed() const { return tracking_ && trackInside_; }

  void Paint() override;
  void Click() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void Loaded() override;
  void ChangeScale(int fromDpi, int toDpi) override;

 protected:
  void EnabledChanged() override;

 private:
  void GlyphChanged();
  void BuildGlyphParts();
  const TBitmap* CurrentGlyph();
  void UpdateExclusive();
  std::vector<TSpeedButton*> GroupMembers() const;

  std::unique_ptr<TBitmap> glyph_;
  std::vector<std::unique_ptr<TBitmap>> glyphParts_;  // cut from the glyph when needed
  std::unique_ptr<TBitmap> disabledGlyph_;            // made from the first image
  bool partsValid_ = false;
  int numGlyphs_ = 1;
  bool flat_ = false;
  TButtonLayout layout_ = blGlyphLeft;
  int margin_ = -1;
  int spacing_ = 4;
  int groupIndex_ = 0;
  bool down_ = false;
  bool allowAllUp_ = false;
  bool transparent_ = true;
  bool mouseIn_ = false;
  bool tracking_ = false;     // the left button went down on us and is not released yet
  bool trackInside_ = false;  // ... and the mouse is over us now
};

}  // namespace dorvane
