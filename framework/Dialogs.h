#pragma once
// Message boxes and the file-open dialog. Tests replace what the user would answer
// (nothing can be clicked headless).
#include <windows.h>

#include <functional>
#include <string>

namespace dorvane {

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

struct MessageRequest {
  std::string text;
  std::string caption;
  TMsgDlgType type;
  UINT buttons;  // MB_OK, MB_YESNO, ...
};

// Shows a message box owned by the active window; returns the button pressed (IDOK,
// IDYES, ...). The caption is the application's title.
int MessageDlg(const std::string& text, TMsgDlgType type, UINT buttons);
void ShowMessage(const std::string& text);

// Replaces the message box (tests); an empty function restores it. The previous
// answerer is returned.
using MessageAnswerer = std::function<int(const MessageRequest&)>;
MessageAnswerer SetMessageAnswerer(MessageAnswerer answerer);

}  // namespace dorvane
