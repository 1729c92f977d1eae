#include "components/ShellStarter.h"

#include <shellapi.h>

#include <cmath>
#include <utility>

#include "framework/Application.h"
#include "framework/ClassBuilder.h"
#include "framework/Forms.h"
#include "framework/ShellServices.h"

namespace dorvane {
namespace {

constexpr int kShowCommands[] = {SW_HIDE, SW_MAXIMIZE, SW_MINIMIZE, SW_RESTORE, SW_SHOW,
                                 SW_SHOWMAXIMIZED, SW_SHOWMINIMIZED, SW_SHOWMINNOACTIVE, SW_SHOWNA,
                                 SW_SHOWNORMAL};
constexpr const char* kVerbs[] = {"open", "print", "explore", "edit"};

bool IsShellError(INT_PTR code) {
  return code == SE_ERR_FNF || code == SE_ERR_PNF || code == SE_ERR_ACCESSDENIED || code == SE_ERR_OOM ||
         (code >= SE_ERR_SHARE && code <= SE_ERR_DLLNOTFOUND);
}

// Days from 1 January 1970 of a civil date (proleptic Gregorian calendar).
long long DaysFromCivil(int y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

long long ToSeconds(TDateTime t) { return std::llround(t * 86400.0); }

}  // namespace

const EnumType& StarterOperationType() {
  static const EnumType type{"TStarterOperation", {"smOpen", "smPrint", "smExplore", "smEdit", "smProperties"}};
  return type;
}

const EnumType& StarterOptionsType() {
  static const EnumType type{"TStarterOptions",
                             {"soSW_HIDE", "soSW_MAXIMIZE", "soSW_MINIMIZE", "soSW_RESTORE", "soSW_SHOW",
                              "soSW_SHOWMAXIMIZED", "soSW_SHOWMINIMIZED", "soSW_SHOWMINNOACTIVE", "soSW_SHOWNA",
                              "soSW_SHOWNORMAL"}};
  return type;
}

int ShowCommandOf(TStarterOptions option) { return kShowCommands[option]; }

std::string ExploredFolderOf(const std::string& command) {
  const auto cut = command.find_last_of("\\:");
  std::string folder = cut == std::string::npos ? std::string() : command.substr(0, cut + 1);
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

TDateTime DateTimeOf(const SYSTEMTIME& t) {
  const long long days = DaysFromCivil(t.wYear, t.wMonth, t.wDay) - DaysFromCivil(1899, 12, 30);
  const double seconds = t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + t.wMilliseconds / 1000.0;
  return static_cast<double>(days) + seconds / 86400.0;
}

TDateTime NowDateTime() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return DateTimeOf(t);
}

const ClassInfo& TShellStarter::StaticClass() {
  using T = TShellStarter;
  static const ClassInfo info =
      ClassBuilder<T>("TShellStarter", &TComponent::StaticClass())
          .Enum("StartOperation", &T::StartOperation, &T::SetStartOperation, StarterOperationType(), smOpen)
          .Enum("StartOption", &T::StartOption, &T::SetStartOption, StarterOptionsType(), soSW_SHOW)
          .Str("Command", &T::Command, &T::SetCommand)
          .Str("Parameters", &T::Parameters, &T::SetParameters)
          .Str("DefaultDir", &T::DefaultDir, &T::SetDefaultDir)
          .Bool("AutoStart", &T::AutoStart, &T::SetAutoStart, false)
          .Float("StartTime", &T::StartTime, &T::SetStartTime, 0.0)
          .Bool("Wait", &T::Wait, &T::SetWait, false)
          .Bool("UseGlobalTimer", &T::UseGlobalTimer, &T::SetUseGlobalTimer, false)
          .Event("OnBeforeStart", &T::OnBeforeStart)
          .Event("OnAfterStart", &T::OnAfterStart)
          .Event("OnError", &T::OnError)
          .Event("OnFinished", &T::OnFinished)
          .Build();
  return info;
}

TShellStarter::TShellStarter(TComponent* owner)
    : TComponent(owner),
      autoTimer_(this, [this](TObject*) {
        try {
          CheckAutoStart(NowDateTime());
        } catch (...) {
          HandleException(this);
        }
      }),
      pollTimer_(this, [this](TObject*) {
        try {
          PollProcess();
        } catch (...) {
          HandleException(this);
        }
      }) {}

TShellStarter::~TShellStarter() { CloseProcess(); }

void TShellStarter::SetCommand(const std::string& value) {
  if (value != command_) command_ = value;
}
void TShellStarter::SetParameters(const std::string& value) {
  if (value != parameters_) parameters_ = value;
}
void TShellStarter::SetDefaultDir(const std::string& value) {
  if (value != defaultDir_) defaultDir_ = value;
}

void TShellStarter::SetAutoStart(bool value) {
  autoStart_ = value;
  if (value) autoTimer_.Start(1000);
  else autoTimer_.Stop();
}

void TShellStarter::CheckAutoStart(TDateTime now) {
  if (autoStart_ && ToSeconds(now) == ToSeconds(startTime_)) Start();
}

void TShellStarter::CloseProcess() {
  pollTimer_.Stop();
  if (process_) Application().Desktop().ShellServices().CloseProcess(std::exchange(process_, nullptr));
}

void TShellStarter::Start() {
  CloseProcess();
  Fire(OnBeforeStart, this);
  ShellExecuteRequest request;
  if (operation_ == smProperties) {
    request.mask = SEE_MASK_INVOKEIDLIST | SEE_MASK_DOENVSUBST;
    request.verb = "properties";
    request.file = command_;
    request.show = SW_SHOWNORMAL;
  } else {
    request.mask = SEE_MASK_NOCLOSEPROCESS;
    TForm* main = Application().MainForm();
    request.window = main ? main->Handle() : nullptr;
    request.verb = kVerbs[operation_];
    request.show = ShowCommandOf(option_);
    if (operation_ == smExplore) {
      request.file = ExploredFolderOf(command_);
    } else {
      request.file = command_;
      request.parameters = parameters_;
      request.directory = defaultDir_;
    }
  }
  IShellServices& shell = Application().Desktop().ShellServices();
  const ShellExecuteReply reply = shell.ExecuteShell(request);
  process_ = reply.process;
  if (IsShellError(reply.instance) || (!reply.succeeded && reply.instance <= 32)) {
    // Nothing was started. A failed call that names no code of its own ran out of
    // memory or resources, as the shell's 0 means.
    lastError_ = reply.instance > 0 ? static_cast<int>(reply.instance) : SE_ERR_OOM;
    CloseProcess();
    Fire(OnError, this, lastError_);
  } else {
    lastError_ = 0;
    if (OnFinished) pollTimer_.Start(500);
    if (wait_ && process_) shell.WaitForProcess(process_);
  }
  Fire(OnAfterStart, this);
}

void TShellStarter::PollProcess() {
  DWORD code = 0;
  // A start that gave no process (a folder shown by a running shell) has nothing to
  // wait for: it counts as finished at the first look.
  if (process_ && Application().Desktop().ShellServices().ProcessExitCode(process_, code) && code == STILL_ACTIVE) return;
  CloseProcess();
  Fire(OnFinished, this);
}

}  // namespace dorvane
