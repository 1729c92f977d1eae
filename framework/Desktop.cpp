#include "framework/Desktop.h"

#include "framework/Dialogs.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/ShellServices.h"
#include "framework/SysUtils.h"
#include "framework/Trace.h"
#include "core/win32/WideString.h"

namespace dorvane {

// The system's own answers: each call goes straight to the Win32 service it stands for.
class Win32Desktop final : public IDesktop {
 public:
  int ShowMessageBox(const MessageRequest& request) override {
    UINT icon = 0;
    switch (request.type) {
      case mtWarning: icon = MB_ICONWARNING; break;
      case mtError: icon = MB_ICONERROR; break;
      case mtInformation: icon = MB_ICONINFORMATION; break;
      case mtConfirmation: icon = MB_ICONQUESTION; break;
      case mtCustom: break;
    }
    return MessageBoxW(GetActiveWindow(), Widen(request.text).c_str(), Widen(request.caption).c_str(),
                       request.buttons | icon | MB_TASKMODAL);
  }

  std::vector<std::string> RunOpenDialog(TOpenDialog& dialog) override { return RunSystemOpenDialog(dialog); }

  int RunModal(TForm& form) override { return form.ModalLoop(); }

  void RunMoveLoop(TForm& form) override {
    ReleaseCapture();
    // The move command combined with the caption hit code: the system's caption drag.
    SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
  }

  void TrackPopupMenu(TPopupMenu&, HMENU handle, int x, int y, UINT flags) override {
    ::TrackPopupMenu(handle, flags, x, y, 0, TMenu::PopupListWindow(), nullptr);
  }

  BOOL NotifyIcon(DWORD message, const NOTIFYICONDATAW& data) override {
    NOTIFYICONDATAW copy = data;  // the system call takes a mutable record
    // Each call is a round trip to the shell's process: worth seeing in a start-up trace.
    const TraceScope trace(message == NIM_ADD ? "shell: add" : message == NIM_DELETE ? "shell: delete" : "shell: modify");
    return Shell_NotifyIconW(message, &copy);
  }

  bool OpenDocument(const std::string& target) override {
    const HINSTANCE result = ShellExecuteW(nullptr, nullptr, Widen(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // Values above 32 mean success.
    return reinterpret_cast<INT_PTR>(result) > 32;
  }

  IShellServices& ShellServices() override { return RealShellServices(); }

  std::string ExeName() override {
    std::string name = ExecutablePath();
    const std::size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
  }
};

IDesktop& RealDesktop() {
  static Win32Desktop desktop;
  return desktop;
}

IDesktop& TApplication::Desktop() const { return desktop_ ? *desktop_ : RealDesktop(); }

}  // namespace dorvane
