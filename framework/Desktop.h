#pragma once
// Everything the program asks of the interactive desktop that a test must script: message
// boxes, the file-open dialog, modal loops, the move loop, popup-menu tracking, the
// shell's notification-area and "open" calls, the shell services of the components
// (framework/ShellServices.h), and the executable's name. One object
// answers all of it; the application holds it (TApplication::Desktop), the real one by
// default, a scripted one in tests. New system services the program needs join here (or
// the machine seam, for what the main window asks of the machine).
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace dorvane {

class IShellServices;
class TForm;
class TOpenDialog;
class TPopupMenu;
struct MessageRequest;

class IDesktop {
 public:
  virtual ~IDesktop() = default;

  // -- windows and dialogs --
  // Shows a message box; returns the button pressed (IDOK, IDYES, ...).
  virtual int ShowMessageBox(const MessageRequest& request) = 0;
  // Runs the file-open dialog with the dialog's settings; the files chosen (full paths),
  // none when the user cancelled. The dialog's FilterIndex and Options may come back
  // changed.
  virtual std::vector<std::string> RunOpenDialog(TOpenDialog& dialog) = 0;
  // Runs a form's modal loop until its ModalResult is set; returns that result.
  virtual int RunModal(TForm& form) = 0;
  // Lets the system move a form with the pointer until the button is released.
  virtual void RunMoveLoop(TForm& form) = 0;
  // Shows a popup menu at a screen point and returns when it closes (a chosen item's
  // command reaches the menus' own window).
  virtual void TrackPopupMenu(TPopupMenu& menu, HMENU handle, int x, int y, UINT flags) = 0;

  // -- the shell --
  // Shell_NotifyIconW.
  virtual BOOL NotifyIcon(DWORD message, const NOTIFYICONDATAW& data) = 0;
  // Opens a file, folder or URL with the shell's default verb; false when the shell
  // could not.
  virtual bool OpenDocument(const std::string& target) = 0;
  // Starting things through the shell, sound, the disk-full dialog, the recycle bin.
  virtual IShellServices& ShellServices() = 0;

  // -- the process --
  // The executable's file name without folder and extension ("dorvane").
  virtual std::string ExeName() = 0;
};

// The desktop the program really runs on.
IDesktop& RealDesktop();

}  // namespace dorvane
