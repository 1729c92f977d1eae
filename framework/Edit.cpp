#include "framework/Edit.h"

#include <algorithm>

#include "core/ScopeExit.h"
#include "framework/ClassBuilder.h"
#include "core/win32/WideString.h"

namespace dorvane {

namespace {

// Sets a flag for the length of a scope; it is clear afterwards.
[[nodiscard]] auto Raised(bool& flag) {
  flag = true;
  return OnScopeExit([&flag] { flag = false; });
}

}  // namespace

const ClassInfo& TEdit::StaticClass() {
  static const ClassInfo info = ClassBuilder<TEdit>("TEdit", &TWinControl::StaticClass())
                                    .Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, true)
                                    .Bool("ReadOnly", &TEdit::ReadOnly, &TEdit::SetReadOnly, false)
                                    .Int("MaxLength", &TEdit::MaxLength, &TEdit::SetMaxLength, 0)
                                    .Str("Text", &TEdit::Text, &TEdit::SetText)
                                    .Event("OnChange", &TEdit::OnChange)
                                    .Build();
  return info;
}

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
  SetColor(clWindow);
  SetTabStop(true);
}

bool TEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_LBUTTONUP) Click();
  return TWinControl::WndProc(msg, wp, lp, result);
}

TEdit::~TEdit() = default;

void TEdit::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.className = L"EDIT";
  p.style |= WS_TABSTOP | ES_AUTOHSCROLL;
  if (readOnly_) p.style |= ES_READONLY;
  p.exStyle |= WS_EX_CLIENTEDGE;
}

void TEdit::HandleCreated() {
  SendMessageW(Handle(), EM_SETLIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

void TEdit::SetReadOnly(bool value) {
  if (value == readOnly_) return;
  readOnly_ = value;
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETREADONLY, value, 0);
}

void TEdit::SetMaxLength(int value) {
  if (value < 0) value = 0;
  if (value == maxLength_) return;
  maxLength_ = value;
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETLIMITTEXT, static_cast<WPARAM>(value), 0);
}

void TEdit::SelectAll() {
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

void TEdit::TextChanged() {
  if (takingText_) return;  // the window has it already
  if (HandleAllocated()) {
    const auto setting = Raised(settingText_);
    SetWindowTextW(Handle(), Widen(Text()).c_str());
  }
  if (!IsLoading()) Fire(OnChange, this);
}

bool TEdit::Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wp) != EN_CHANGE) return false;
      result = 0;
      if (settingText_) return true;  // TextChanged raises OnChange itself
      {
        const int length = GetWindowTextLengthW(Handle());
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        text.resize(static_cast<std::size_t>(std::max(GetWindowTextW(Handle(), text.data(), length + 1), 0)));
        const auto taking = Raised(takingText_);
        SetText(Narrow(text));
      }
      Fire(OnChange, this);
      return true;
    default:  // colours: a read-only edit asks for the static ones; the base answers both
      return TWinControl::Reflected(msg, wp, lp, result);
  }
}

}  // namespace dorvane
