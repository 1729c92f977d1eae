#include "errorreport/ErrorReport.h"

#include <windows.h>

#include "components/ComponentsRegistration.h"
#include "framework/ClassBuilder.h"
#include "framework/Trace.h"
#include "framework/Dialogs.h"
#include "framework/Registry.h"
#include "framework/SysUtils.h"
#include "winapi/SystemLibrary.h"
#include "core/win32/WideString.h"
#include "core/MakerServer.h"
#include "core/ScopeExit.h"

namespace dorvane {

TErrorForm* ErrorForm = nullptr;

namespace {

std::function<void(std::string_view)>& Observer() {
  static std::function<void(std::string_view)> observer;
  return observer;
}

bool KeptAsItIs(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~' || c == '\'' || c == '(' || c == ')';
}

std::string ReportValue(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == ' ' || c == '/' || c == '\\') {
      out += '_';
    } else if (KeptAsItIs(c)) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

// The user's short date and long time, as the system formats them.
std::string LocalDateTimeText() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t date[128] = {}, time[128] = {};
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 128);
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, 128);
  return Narrow(date) + " " + Narrow(time);
}

std::string ReadRegistryText(const TRegistry& reg, const char* name) {
  try {
    return reg.ValueExists(name) ? reg.ReadString(name) : std::string();
  } catch (const Exception&) {
    return {};
  }
}

}  // namespace

void SetActivityObserver(std::function<void(std::string_view tag)> observer) { Observer() = std::move(observer); }

void RecordEvent(std::string_view tag) {
  TraceMark(tag);
  if (ErrorForm) ErrorForm->Record(tag);
  if (Observer()) Observer()(tag);
}

IActivitySink& ActivityTrail() {
  struct Trail final : IActivitySink {
    void Record(std::string_view tag) override { RecordEvent(tag); }
  };
  static Trail trail;
  return trail;
}

std::string BuildReportQuery(const std::vector<std::pair<std::string, std::string>>& fields) {
  std::string query;
  for (const auto& [key, value] : fields) query += (query.empty() ? "?" : "&") + key + "=" + ReportValue(value);
  return query;
}

std::string GetOSName() {
  const SystemVersion& system = TheSystemVersion();
  const DWORD platform = system.known ? system.platform : 0xFFFFFFFF;
  // Read access is all this needs (and all a limited account has under HKLM).
  TRegistry reg(KEY_READ);
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  std::string name, version;
  switch (platform) {
    case VER_PLATFORM_WIN32s:
      name = "Windows 3.1";
      break;
    case VER_PLATFORM_WIN32_WINDOWS:
      if (reg.OpenKeyReadOnly("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion")) {
        name = ReadRegistryText(reg, "ProductName");
        version = ReadRegistryText(reg, "VersionNumber");
      }
      break;
    case VER_PLATFORM_WIN32_NT:
      if (reg.OpenKeyReadOnly("\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion")) {
        name = ReadRegistryText(reg, "ProductName");
        version = ReadRegistryText(reg, "CurrentVersion");
      }
      break;
    default:
      break;
  }
  return name + " " + version;
}

const ClassInfo& TErrorForm::StaticClass() {
  static const ClassInfo info = ClassBuilder<TErrorForm>("TErrorForm", &TForm::StaticClass()).Build();
  return info;
}

TErrorForm::TErrorForm(TComponent* owner, TBuild build, std::string description)
    : TForm(owner), description_(std::move(description)) {
  RegisterServiceComponents();  // its getter
  if (build == TBuild::atOnce) {
    EnsureBuilt();
    return;
  }
  InstallHook();
  Application().Later(this, [this] { EnsureBuilt(); });
}

bool TErrorForm::EnsureBuilt() {
  if (built_) return true;
  if (building_) return false;
  building_ = true;
  const auto done = OnScopeExit([this] { building_ = false; });
  try {
    InitializeForm(description_);
  } catch (...) {
    // What was made of it goes: the next attempt reads the description afresh.
    DestroyComponents();
    DestroyHandle();
    throw;
  }
  built_ = true;
  return true;
}

namespace {
// The error window whose handler the application's exception event holds.
TErrorForm*& HookOwner() {
  static TErrorForm* owner = nullptr;
  return owner;
}
}  // namespace

TErrorForm::~TErrorForm() {
  if (ErrorForm == this) ErrorForm = nullptr;
  // An exception after this goes to the plain message box, not to a window that is gone.
  if (HookOwner() == this) {
    Application().OnException = nullptr;
    HookOwner() = nullptr;
  }
}

void TErrorForm::BindFields() {
  BIND(Label3);
  BIND(TimeLabel);
  BIND(Label4);
  BIND(ErrLabel);
  BIND(Label1);
  BIND(cbEMAIL);
  BIND(EMAIL);
  BIND(BtOk);
  BIND(OSLabel);
  BIND(HTTP);
}

std::vector<MethodEntry> TErrorForm::Methods() const {
  return {
      Method("FormCreate", &TErrorForm::FormCreate),
      Method("FormShow", &TErrorForm::FormShow),
      Method("EMAILClick", &TErrorForm::EMAILClick),
      Method("BtOkClick", &TErrorForm::BtOkClick),
      Method("HTTPDoneString", &TErrorForm::HTTPDoneString),
  };
}

void TErrorForm::FormCreate(TObject*) { InstallHook(); }

void TErrorForm::InstallHook() {
  Application().OnException = [this](TObject* sender, const Exception& e) { HandleAppException(sender, e); };
  HookOwner() = this;
}

void TErrorForm::HandleAppException(TObject*, const Exception& error) {
  try {
    if (!EnsureBuilt()) {
      // Failing while the window itself is being made: the plain message box.
      Application().ShowException(error);
      return;
    }
    ErrLabel->SetCaption(error.Message());
    shownEvent_ = LastEvent;
    if (!Visible()) Show();
    BringToFront();
  } catch (...) {
    // The window cannot be built or shown: the report still reaches the user, and the
    // next exception tries the window again.
    Application().ShowException(error);
  }
}

void TErrorForm::FormShow(TObject*) {
  TimeLabel->SetCaption(LocalDateTimeText());
  OSLabel->SetCaption(GetOSName());
}

void TErrorForm::EMAILClick(TObject*) { cbEMAIL->SetChecked(true); }

void TErrorForm::BtOkClick(TObject*) {
  BtOk->SetCaption("Connecting...");
  BtOk->SetEnabled(false);
  const std::string query = BuildReportQuery({
      {"program", Application().Title()},
      {"version", FileVersionText(ExecutablePath())},
      {"exception", ErrLabel->Caption()},
      {"event", LastEvent},
      {"os", OSLabel->Caption()},
      {"email", cbEMAIL->Checked() ? EMAIL->Text() : std::string("anonymous")},
  });
  HTTP->URL = "http://" + MakerServer() + "/php/exceptions.php" + query;
  HTTP->GetString();
}

void TErrorForm::HTTPDoneString(TObject*, const std::string& result) {
  ShowMessage(result);
  // Not the main window's closing steps: the message loop ends and with it the program.
  Application().Terminate();
}

}  // namespace dorvane
