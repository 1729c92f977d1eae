#pragma once
// A scripted desktop: records what the program asked of the interactive desktop and
// answers as the test tells it (nothing can be clicked headless). InstalledDesktop puts
// one (or the real one) on the application for a scope; TickAsUser ticks a list row the
// way a user's click does.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Desktop.h"
#include "framework/Dialogs.h"
#include "framework/Forms.h"
#include "framework/ListView.h"
#include "tests/support/ScriptedShell.h"

namespace dorvane::testing {

class ScriptedDesktop : public IDesktop {
 public:
  struct Popup { TPopupMenu* menu; int x, y; UINT flags; };
  struct ShellCall { DWORD message; NOTIFYICONDATAW data; };

  // -- the answers --
  int messageAnswer = IDOK;
  // Chooses a file (sets the dialog's FileName) and returns true, or returns false for a
  // cancel. Unset: every dialog is cancelled.
  std::function<bool(TOpenDialog&)> openDialog;
  TModalResult modalAnswer = mrOk;
  BOOL shellAnswer = TRUE;
  std::string exeName = "DorvaneTest";
  // Runs while a popup menu would be open (the test may pick an item).
  std::function<void(TPopupMenu&, int x, int y)> onPopup;
  // Runs while the shell handles a tray call (another program's messages may come then).
  std::function<void(DWORD message)> onShellCall;

  // -- what was asked --
  std::vector<MessageRequest> messages;
  std::vector<TForm*> modalForms;
  std::vector<TForm*> moves;
  std::vector<Popup> popups;
  std::vector<ShellCall> shellCalls;
  std::vector<std::string> documents;
  ScriptedShellServices shellServices;

  int ShowMessageBox(const MessageRequest& request) override {
    messages.push_back(request);
    return messageAnswer;
  }
  std::vector<std::string> RunOpenDialog(TOpenDialog& dialog) override {
    if (openDialog && openDialog(dialog)) return {dialog.FileName()};
    return {};
  }
  int RunModal(TForm& form) override {
    modalForms.push_back(&form);
    return modalAnswer;
  }
  void RunMoveLoop(TForm& form) override { moves.push_back(&form); }
  void TrackPopupMenu(TPopupMenu& menu, HMENU, int x, int y, UINT flags) override {
    popups.push_back({&menu, x, y, flags});
    if (onPopup) onPopup(menu, x, y);
  }
  BOOL NotifyIcon(DWORD message, const NOTIFYICONDATAW& data) override {
    shellCalls.push_back({message, data});
    if (onShellCall) onShellCall(message);
    return shellAnswer;
  }
  bool OpenDocument(const std::string& target) override {
    documents.push_back(target);
    return true;
  }
  IShellServices& ShellServices() override { return shellServices; }
  std::string ExeName() override { return exeName; }

  // The texts of the message boxes shown.
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const MessageRequest& m : messages) texts.push_back(m.text);
    return texts;
  }
};

// Installs a desktop on the application for its lifetime, then puts back the one before.
class InstalledDesktop {
 public:
  explicit InstalledDesktop(IDesktop& desktop) : previous_(&Application().Desktop()) {
    Application().SetDesktop(&desktop);
  }
  InstalledDesktop(const InstalledDesktop&) = delete;
  InstalledDesktop& operator=(const InstalledDesktop&) = delete;
  ~InstalledDesktop() { Application().SetDesktop(previous_); }

 private:
  IDesktop* previous_;
};

// Ticks or unticks a row's check box in the list's window, as a user's click does: unlike
// TListItem::SetChecked, this raises OnItemChecked.
inline void TickAsUser(TListView& list, int row, bool checked = true) {
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  SendMessageW(list.Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace dorvane::testing
