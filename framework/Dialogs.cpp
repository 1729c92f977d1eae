#include "framework/Dialogs.h"

#include "framework/Forms.h"
#include "framework/WideString.h"

namespace dorvane {
namespace {

MessageAnswerer& Answerer() {
  static MessageAnswerer answerer;
  return answerer;
}

}  // namespace

MessageAnswerer SetMessageAnswerer(MessageAnswerer answerer) {
  MessageAnswerer previous = std::move(Answerer());
  Answerer() = std::move(answerer);
  return previous;
}

int MessageDlg(const std::string& text, TMsgDlgType type, UINT buttons) {
  MessageRequest request{text, Application().Title(), type, buttons};
  if (Answerer()) return Answerer()(request);
  UINT icon = 0;
  switch (type) {
    case mtWarning: icon = MB_ICONWARNING; break;
    case mtError: icon = MB_ICONERROR; break;
    case mtInformation: icon = MB_ICONINFORMATION; break;
    case mtConfirmation: icon = MB_ICONQUESTION; break;
    case mtCustom: break;
  }
  HWND owner = GetActiveWindow();
  return MessageBoxW(owner, Widen(text).c_str(), Widen(request.caption).c_str(), buttons | icon | MB_TASKMODAL);
}

void ShowMessage(const std::string& text) { MessageDlg(text, mtCustom, MB_OK); }

}  // namespace dorvane
