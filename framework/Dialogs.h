#pragma once
// Message boxes and the file-open dialog. The desktop (Application().Desktop()) shows
// them, so tests script what the user would answer (nothing can be clicked headless).
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Classes.h"

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

// -- the file-open dialog ---------------------------------------------------------------

// Options of the file dialogs; bit n of TOpenOptions stands for the option of ordinal n.
enum TOpenOption {
  ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate,
  ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt,
  ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames,
  ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing
};
using TOpenOptions = std::uint32_t;
constexpr TOpenOptions OpenOptionOf(TOpenOption o) { return 1u << o; }
const EnumType& OpenOptionType();

// The OFN_ flags of a set of options (OFN_EXPLORER unless ofOldStyleDialog).
DWORD OpenOptionsToFlags(TOpenOptions options);
// "Text files|*.txt|All|*.*" as the dialog wants it: each part ended by a zero and the
// whole ended by a second zero. An unpaired last description is dropped; an empty
// filter gives an empty text (the dialog then shows no file types).
std::wstring FilterToWide(std::string_view filter);

// The system's file-open dialog, owned by the active window.
class TOpenDialog : public TComponent {
  DORVANE_CLASS(TOpenDialog)
 public:
  explicit TOpenDialog(TComponent* owner);
  ~TOpenDialog() override;

  TOpenOptions Options() const { return options_; }
  void SetOptions(TOpenOptions options) { options_ = options; }
  // Empty: the system's caption.
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title) { title_ = title; }
  const std::string& InitialDir() const { return initialDir_; }
  void SetInitialDir(const std::string& dir) { initialDir_ = dir; }
  const std::string& Filter() const { return filter_; }
  void SetFilter(const std::string& filter) { filter_ = filter; }
  // 1-based index of the file type shown first.
  int FilterIndex() const { return filterIndex_; }
  void SetFilterIndex(int index) { filterIndex_ = index; }
  // Without a leading dot ("wav"); appended when the user types a name without one.
  const std::string& DefaultExt() const { return defaultExt_; }
  void SetDefaultExt(const std::string& ext) { defaultExt_ = ext; }
  // The name shown when the dialog opens and, after a confirmation, the file chosen
  // (the first one with ofAllowMultiSelect).
  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& name) { fileName_ = name; }
  // Every file chosen at the last confirmation, full paths.
  const std::vector<std::string>& Files() const { return files_; }

  // Shows the dialog modally; true when the user confirmed a file. Cancelling leaves
  // FileName as it was.
  bool Execute();

 private:
  TOpenOptions options_ = OpenOptionOf(ofHideReadOnly);
  std::string title_;
  std::string initialDir_;
  std::string filter_;
  int filterIndex_ = 1;
  std::string defaultExt_;
  std::string fileName_;
  std::vector<std::string> files_;
};

// The system's file-open dialog for a dialog's settings, owned by the active window (what
// the real desktop shows): the files chosen, none when cancelled. Sets the dialog's
// FilterIndex and the options the system reports back.
std::vector<std::string> RunSystemOpenDialog(TOpenDialog& dialog);

}  // namespace dorvane
