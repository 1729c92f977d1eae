#pragma once
// A component that hands a command to the shell with a verb (open, print, explore, edit,
// properties), can watch the process started until it ends, and can start it by itself
// at a set date and time.
#include <windows.h>

#include <functional>
#include <string>

#include "components/SimpleTimer.h"
#include "framework/Classes.h"

namespace dorvane {

enum TStarterOperation { smOpen, smPrint, smExplore, smEdit, smProperties };
enum TStarterOptions {
  soSW_HIDE, soSW_MAXIMIZE, soSW_MINIMIZE, soSW_RESTORE, soSW_SHOW, soSW_SHOWMAXIMIZED,
  soSW_SHOWMINIMIZED, soSW_SHOWMINNOACTIVE, soSW_SHOWNA, soSW_SHOWNORMAL
};
const EnumType& StarterOperationType();
const EnumType& StarterOptionsType();

// The shell's show command (SW_...) of the option of the same name.
int ShowCommandOf(TStarterOptions option);

// The folder part of a command, as explored: everything up to its last "\" or ":",
// ended by a "\".
std::string ExploredFolderOf(const std::string& command);

// A date and time: days since 30 December 1899, the time of day as the fraction.
using TDateTime = double;
// A calendar date and time of day as a TDateTime.
TDateTime DateTimeOf(const SYSTEMTIME& time);
// The local date and time now.
TDateTime NowDateTime();

// Called with the shell's error code (file not found 2, path not found 3, access denied
// 5, out of memory 8, sharing violation 26, incomplete association 27, DDE time-out 28,
// DDE failure 29, DDE busy 30, no association 31, library not found 32).
using TStarterErrorEvent = std::function<void(TObject* sender, int code)>;

class TShellStarter : public TComponent {
  DORVANE_CLASS(TShellStarter)
 public:
  explicit TShellStarter(TComponent* owner);
  ~TShellStarter() override;

  // -- published properties --
  TStarterOperation StartOperation() const { return operation_; }
  void SetStartOperation(TStarterOperation value) { operation_ = value; }
  TStarterOptions StartOption() const { return option_; }
  void SetStartOption(TStarterOptions value) { option_ = value; }
  const std::string& Command() const { return command_; }
  void SetCommand(const std::string& value);
  const std::string& Parameters() const { return parameters_; }
  void SetParameters(const std::string& value);
  const std::string& DefaultDir() const { return defaultDir_; }
  void SetDefaultDir(const std::string& value);
  // Start by itself when the clock reaches StartTime (checked once a second).
  bool AutoStart() const { return autoStart_; }
  void SetAutoStart(bool value);
  TDateTime StartTime() const { return startTime_; }
  void SetStartTime(TDateTime value) { startTime_ = value; }
  // Block the window thread until the started process ends.
  bool Wait() const { return wait_; }
  void SetWait(bool value) { wait_ = value; }
  bool UseGlobalTimer() const { return useGlobalTimer_; }
  void SetUseGlobalTimer(bool value) { useGlobalTimer_ = value; }

  TNotifyEvent OnBeforeStart;
  TNotifyEvent OnAfterStart;
  TStarterErrorEvent OnError;
  // Raised once the watched process has ended (checked every 500 ms).
  TNotifyEvent OnFinished;

  // Runs the shell action. Shell errors are reported only through OnError and
  // LastError.
  void Start();
  // The shell error code of the last start that failed, 0 after one that did not.
  int LastError() const { return lastError_; }
  // The process of the last start while it is held, else null.
  HANDLE Process() const { return process_; }
  // One check of the automatic start against a clock reading: starts when the two
  // agree to the second.
  void CheckAutoStart(TDateTime now);

 private:
  void CloseProcess();
  void PollProcess();

  TStarterOperation operation_ = smOpen;
  TStarterOptions option_ = soSW_SHOW;
  std::string command_;
  std::string parameters_;
  std::string defaultDir_;
  bool autoStart_ = false;
  TDateTime startTime_ = 0;
  bool wait_ = false;
  bool useGlobalTimer_ = false;
  HANDLE process_ = nullptr;
  int lastError_ = 0;
  TSimpleTimer autoTimer_;
  TSimpleTimer pollTimer_;
};

}  // namespace dorvane
