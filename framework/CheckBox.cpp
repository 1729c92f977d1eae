#include "framework/CheckBox.h"

#include "framework/ClassBuilder.h"

namespace dorvane {

namespace {

WPARAM CheckOf(TCheckBoxState state) {
  switch (state) {
    case cbChecked: return BST_CHECKED;
    case cbGrayed: return BST_INDETERMINATE;
    default: return BST_UNCHECKED;
  }
}

TCheckBoxState StateOf(LRESULT check) {
  if (check == BST_CHECKED) return cbChecked;
  if (check == BST_INDETERMINATE) return cbGrayed;
  return cbUnchecked;
}

}  // namespace

const EnumType& CheckBoxStateType() {
  static const EnumType t{"TCheckBoxState", {"cbUnchecked", "cbChecked", "cbGrayed"}};
  return t;
}

const ClassInfo& TCheckBox::StaticClass() {
  static const ClassInfo info =
      ClassBuilder<TCheckBox>("TCheckBox", &TWinControl::StaticClass())
          .Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, true)
          .Enum("Alignment", &TCheckBox::Alignment, &TCheckBox::SetAlignment, AlignmentType(), taRightJustify)
          .Bool("AllowGrayed", &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed, false)
          .Bool("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked, false)
          .Enum("State", &TCheckBox::State, &TCheckBox::SetState, CheckBoxStateType(), cbUnchecked)
          .Build();
  return info;
}

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) {
  SetParentColor(true);  // the box sits on its parent's colour
  SetTabStop(true);
}

TCheckBox::~TCheckBox() = default;

// A two-state box cannot show the grayed state: while grayed it is a three-state box.
DWORD TCheckBox::ButtonStyle() const {
  DWORD style = allowGrayed_ || state_ == cbGrayed ? BS_AUTO3STATE : BS_AUTOCHECKBOX;
  if (alignment_ == taLeftJustify) style |= BS_LEFTTEXT;
  return style;
}

void TCheckBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.className = L"BUTTON";
  p.style |= ButtonStyle() | WS_TABSTOP;
}

void TCheckBox::HandleCreated() {
  SendMessageW(Handle(), BM_SETCHECK, CheckOf(state_), 0);
}

void TCheckBox::UpdateStyle() {
  if (!HandleAllocated()) return;
  HWND wnd = Handle();
  const LONG_PTR old = GetWindowLongPtrW(wnd, GWL_STYLE);
  SetWindowLongPtrW(wnd, GWL_STYLE, (old & ~static_cast<LONG_PTR>(BS_TYPEMASK | BS_LEFTTEXT)) | ButtonStyle());
  InvalidateRect(wnd, nullptr, TRUE);
}

void TCheckBox::SetAlignment(TAlignment alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  UpdateStyle();
}

void TCheckBox::SetAllowGrayed(bool value) {
  if (value == allowGrayed_) return;
  allowGrayed_ = value;
  UpdateStyle();
}

void TCheckBox::SetState(TCheckBoxState state) {
  if (state == state_) return;
  const bool grayedBefore = state_ == cbGrayed;
  state_ = state;
  if (grayedBefore != (state == cbGrayed)) UpdateStyle();
  if (HandleAllocated()) SendMessageW(Handle(), BM_SETCHECK, CheckOf(state), 0);
  // A change by program counts as a click, as in a restore of saved settings.
  if (!IsLoading()) Click();
}

bool TCheckBox::Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
    // The box has already changed its check; the handler reads the new state.
    const bool grayedBefore = state_ == cbGrayed;
    state_ = StateOf(SendMessageW(Handle(), BM_GETCHECK, 0, 0));
    if (grayedBefore && state_ != cbGrayed) UpdateStyle();
    result = 0;
    Click();
    return true;
  }
  return TWinControl::Reflected(msg, wp, lp, result);
}

}  // namespace dorvane
