#pragma once
// A push button that draws itself completely: a face shaded top to bottom (or flat), a
// one-pixel border, optional highlight and shadow lines, a glyph beside the caption and a
// focus rectangle. Four colour sets (normal, mouse over, pressed, disabled) and a focus
// colour; twelve named schemes set them all at once. Every paint is built off-screen and
// copied in one operation, so state changes do not flicker.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "framework/Controls.h"
#include "framework/Graphics.h"
#include "framework/SpeedButton.h"  // TButtonLayout

namespace dorvane {

enum TColorScheme { csNeoDesert, csNeoSky, csNeoGrass, csNeoSilver, csNeoRose, csNeoSun,
                    csDesert, csGrass, csSky, csSun, csRose, csSilver, csCustom };
const EnumType& ColorSchemeType();

// The colours by index, as the single colour setter numbers them: six per state (face,
// gradient end, shadow line, highlight line, border, text) for normal, over, down and
// disabled, then the focus rectangle.
enum TButtonColor {
  bcFace, bcGrad, bcDark, bcLight, bcBorder, bcText,
  bcOverFace, bcOverGrad, bcOverDark, bcOverLight, bcOverBorder, bcOverText,
  bcDownFace, bcDownGrad, bcDownDark, bcDownLight, bcDownBorder, bcDownText,
  bcDisabledFace, bcDisabledGrad, bcDisabledDark, bcDisabledLight, bcDisabledBorder, bcDisabledText,
  bcFocusRect
};
constexpr int kButtonColorCount = 25;

// What the button shows apart from the disabled look.
enum TButtonVisualState { vsNormal, vsOver, vsDown };

using TKeyEvent = std::function<void(TObject* sender, WORD& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, char32_t& key)>;

class TGradientButton : public TCustomControl {
  DORVANE_CLASS(TGradientButton)
 public:
  explicit TGradientButton(TComponent* owner);
  ~TGradientButton() override;

  // Any single colour: stored, the scheme becomes csCustom, the button repaints.
  TColor ColorAt(TButtonColor index) const { return colors_[static_cast<std::size_t>(index)]; }
  void SetColorAt(TButtonColor index, TColor color);
  template <int I>
  TColor ColorOf() const { return colors_[I]; }
  template <int I>
  void SetColorOf(TColor color) { SetColorAt(static_cast<TButtonColor>(I), color); }

  TColorScheme ColorScheme() const { return scheme_; }
  // A named scheme sets every colour it defines and the Gradient switch; csCustom
  // changes nothing.
  void SetColorScheme(TColorScheme scheme);
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool value);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout layout);
  TBitmap& Glyph() { return *glyph_; }
  const TBitmap& Glyph() const { return *glyph_; }
  void SetGlyph(const TBitmap& glyph);  // a copy is kept
  int Spacing() const { return spacing_; }
  void SetSpacing(int value);
  bool TransparentGlyph() const { return transparentGlyph_; }
  void SetTransparentGlyph(bool value);
  bool Gradient() const { return gradient_; }
  void SetGradient(bool value);
  bool HotTrack() const { return hotTrack_; }
  void SetHotTrack(bool value) { hotTrack_ = value; }
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int value) { modalResult_ = value; }
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  bool Default() const { return default_; }
  void SetDefault(bool value);
  // The button's own tab-stop flag: it gives the window WS_TABSTOP and lets a click take
  // the focus. Tab moving the focus goes by the framework's flag (TWinControl::TabStop),
  // which stays off for the drawn buttons: Tab keeps to the standard controls.
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value);
  int TabOrder() const { return tabOrder_; }
  void SetTabOrder(int value) { tabOrder_ = value; }

  TButtonVisualState State() const { return state_; }
  // The left button went down on the button and has not been released.
  bool Pressed() const { return pressed_; }
  bool HasFocus() const { return focused_; }

  // Copies the parent form's modal result, shows the normal state, then OnClick.
  void Click() override;
  // A key the form offers its controls (Return, Escape): true when the button took it.
  // Return clicks a focused button, Escape a Cancel button (neither with Shift, Ctrl or
  // Alt); a Default button takes Return whatever has the focus, and no other key.
  bool DialogKey(WORD key, TShiftState shift) override;
  // A typed character: the caption's accelerator clicks an enabled button.
  bool DialogChar(char32_t ch);

  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;

  void ChangeScale(int fromDpi, int toDpi) override;

 protected:
  void Paint() override;
  void PaintWindow(HDC dc) override;
  void CreateParams(TCreateParams& params) override;
  bool WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void EnabledChanged() override;

 private:
  void SetState(TButtonVisualState state);
  void KeyDown(WORD key, TShiftState shift);
  void KeyUp(WORD key, TShiftState shift);
  void GlyphChanged();

  std::array<TColor, kButtonColorCount> colors_{};
  TColorScheme scheme_ = csNeoDesert;
  bool ctl3D_ = true;
  TButtonLayout layout_ = blGlyphLeft;
  std::unique_ptr<TBitmap> glyph_;
  int spacing_ = 4;
  bool transparentGlyph_ = true;
  bool gradient_ = true;
  bool hotTrack_ = true;
  int modalResult_ = 0;
  bool cancel_ = false;
  bool default_ = false;
  bool tabStop_ = true;
  int tabOrder_ = -1;

  TButtonVisualState state_ = vsNormal;
  bool pressed_ = false;
  bool focused_ = false;
  bool mouseInside_ = false;
};

}  // namespace dorvane
