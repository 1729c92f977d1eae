#include "framework/Button.h"

#include "framework/ClassBuilder.h"
#include "framework/Forms.h"

namespace dorvane {

const ClassInfo& TButton::StaticClass() {
  static const ClassInfo info = ClassBuilder<TButton>("TButton", &TWinControl::StaticClass())
                                    .Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, true)
                                    .Int("ModalResult", &TButton::ModalResult, &TButton::SetModalResult, 0)
                                    .Bool("Default", &TButton::Default, &TButton::SetDefault, false)
                                    .Bool("Cancel", &TButton::Cancel, &TButton::SetCancel, false)
                                    .Build();
  return info;
}

TButton::TButton(TComponent* owner) : TWinControl(owner) { SetTabStop(true); }

TButton::~TButton() = default;

void TButton::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.className = L"BUTTON";
  p.style |= WS_TABSTOP | (default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

void TButton::SetDefault(bool value) {
  if (value == default_) return;
  default_ = value;
  if (HandleAllocated()) SendMessageW(Handle(), BM_SETSTYLE, value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
  if (modalResult_ != mrNone) {
    for (TWinControl* p = Parent(); p; p = p->Parent()) {
      if (auto* form = dynamic_cast<TForm*>(p)) {
        form->SetModalResult(modalResult_);
        break;
      }
    }
  }
  TWinControl::Click();
}

bool TButton::Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
    result = 0;
    Click();
    return true;
  }
  return TWinControl::Reflected(msg, wp, lp, result);
}

}  // namespace dorvane
