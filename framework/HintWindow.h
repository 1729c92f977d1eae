#pragma once
// The hint window: a small topmost window with a control's hint, brought up by the
// application after the mouse rests on the control. It never takes the mouse or the
// activation.
#include "framework/Controls.h"

namespace dorvane {

class THintWindow : public TWinControl {
  DORVANE_CLASS(THintWindow)
 public:
  explicit THintWindow(TComponent* owner);
  ~THintWindow() override;

  // Shows `text` below the cursor (above it at the screen's bottom), sized to the text
  // and at most a third of the screen wide.
  void ActivateHint(const std::string& text);
  void ReleaseHandle();

 protected:
  void CreateParams(TCreateParams& params) override;
  bool WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void PaintWindow(HDC dc) override;
};

}  // namespace dorvane
