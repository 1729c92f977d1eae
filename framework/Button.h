#pragma once
// The system push button. A click raises OnClick; a button with a modal result also
// gives that result to its form (ending a modal display of the form).
#include "framework/Controls.h"

namespace dorvane {

class TButton : public TWinControl {
  DORVANE_CLASS(TButton)
 public:
  explicit TButton(TComponent* owner);
  ~TButton() override;

  int ModalResult() const { return modalResult_; }
  void SetModalResult(int value) { modalResult_ = value; }
  // Drawn as the default button of its form.
  bool Default() const { return default_; }
  void SetDefault(bool value);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }

  void Click() override;

 protected:
  void CreateParams(TCreateParams& params) override;
  bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  int modalResult_ = 0;
  bool default_ = false;
  bool cancel_ = false;
};

}  // namespace dorvane
