#pragma once
// The system single-line edit. OnChange follows every change of the text, typed by the
// user or set by the program.
#include "framework/Controls.h"

namespace dorvane {

class TEdit : public TWinControl {
  DORVANE_CLASS(TEdit)
 public:
  explicit TEdit(TComponent* owner);
  ~TEdit() override;

  // The text is Text()/SetText() (the control's caption), kept in step with the window.
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  // At most this many characters can be typed; 0: no limit of ours.
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int value);
  void SelectAll();

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;
  bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  // A click into the box raises OnClick (the system's edit has no click of its own).
  bool WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void TextChanged() override;

 private:
  bool readOnly_ = false;
  int maxLength_ = 0;
  bool settingText_ = false;   // our own WM_SETTEXT: its EN_CHANGE is ours
  bool takingText_ = false;    // copying the user's text from the window
};

}  // namespace dorvane
