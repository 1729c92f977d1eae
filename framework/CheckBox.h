#pragma once
// The system check box. A change of its state raises OnClick, whether the user clicked it
// or the program set it (except while its form is being loaded); setting the state it
// already has raises nothing.
#include "framework/Controls.h"
#include "framework/ControlDrawing.h"

namespace dorvane {

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
const EnumType& CheckBoxStateType();

class TCheckBox : public TWinControl {
  DORVANE_CLASS(TCheckBox)
 public:
  explicit TCheckBox(TComponent* owner);
  ~TCheckBox() override;

  bool Checked() const { return state_ == cbChecked; }
  void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const { return state_; }
  void SetState(TCheckBoxState state);
  // taRightJustify: the box left of the caption; taLeftJustify: the box right of it.
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  // A click then cycles through the grayed state too.
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool value);

 protected:
  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;
  bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  DWORD ButtonStyle() const;
  void UpdateStyle();

  TCheckBoxState state_ = cbUnchecked;
  TAlignment alignment_ = taRightJustify;
  bool allowGrayed_ = false;
};

}  // namespace dorvane
