#pragma once
// The activity trail and the error report window. Every operation of the main window
// records a short tag here when it begins; an exception that escapes an event reaches
// this window, which shows its message and offers to send a report (with the last tag)
// to the maker's web server. Once the server has answered, the program ends.
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "components/HTTPGet.h"
#include "core/Activity.h"
#include "framework/Button.h"
#include "framework/CheckBox.h"
#include "framework/Edit.h"
#include "framework/Forms.h"
#include "framework/Label.h"

namespace dorvane {

class TErrorForm : public TForm, public IActivitySink {
  DORVANE_CLASS(TErrorForm)
 public:
  // atOnce builds the window with the object. whenNeeded installs the exception hook at
  // once and builds the window when the first exception comes or, at the latest, once the
  // message loop has run after the start: a window that stays hidden is no reason to keep
  // a user waiting for the main one.
  enum class TBuild { atOnce, whenNeeded };
  // description: the form description's resource (tests name one that cannot be built).
  explicit TErrorForm(TComponent* owner, TBuild build = TBuild::atOnce, std::string description = "ErrorReport");
  ~TErrorForm() override;

  // Builds the window unless it is built; false while it cannot be (it is being built).
  // A build that fails leaves nothing of itself behind (the next one starts afresh) and
  // raises.
  bool EnsureBuilt();
  bool Built() const { return built_; }

  // The last activity tag; only the last one exists.
  std::string LastEvent;
  void Record(std::string_view tag) override { LastEvent = tag; }

  TLabel* Label3 = nullptr;
  TLabel* TimeLabel = nullptr;
  TLabel* Label4 = nullptr;
  TLabel* ErrLabel = nullptr;
  TLabel* Label1 = nullptr;
  TCheckBox* cbEMAIL = nullptr;
  TEdit* EMAIL = nullptr;
  TButton* BtOk = nullptr;
  TLabel* OSLabel = nullptr;
  THTTPGet* HTTP = nullptr;

  void FormCreate(TObject* sender);
  // The application's exception event: shows the message; the program keeps running.
  void HandleAppException(TObject* sender, const Exception& error);
  void FormShow(TObject* sender);
  void EMAILClick(TObject* sender);
  // Sends the report (once per run).
  void BtOkClick(TObject* sender);
  // The server's answer: shown, then the application ends.
  void HTTPDoneString(TObject* sender, const std::string& result);

  // The message shown now, and the activity tag that was the last one when it came.
  std::string ShownMessage() const { return ErrLabel ? ErrLabel->Caption() : std::string(); }
  const std::string& ShownEvent() const { return shownEvent_; }

 protected:
  void BindFields() override;
  std::vector<MethodEntry> Methods() const override;

 private:
  void InstallHook();

  std::string description_;
  std::string shownEvent_;
  bool built_ = false;
  bool building_ = false;
};

// The operating system's name and version from the registry, joined by one blank
// ("Microsoft Windows 7 6.1"); parts that cannot be read are empty.
std::string GetOSName();

// The report's query text: "?" and key=value pairs joined by "&", in the order given.
// In every value blanks, slashes and backslashes become "_"; then every byte that is not
// an ASCII letter or digit or one of - . _ ~ ' ( ) is percent-encoded, so "&", "#", "%",
// line breaks and letters beyond ASCII reach the server as the text they are.
std::string BuildReportQuery(const std::vector<std::pair<std::string, std::string>>& fields);

// The program's one error-report window, reachable for the whole run.
extern TErrorForm* ErrorForm;

// Records an activity tag in the error-report window (nothing before it exists).
void RecordEvent(std::string_view tag);
// Tests watch every tag as it is recorded (null: nobody watches).
void SetActivityObserver(std::function<void(std::string_view tag)> observer);

// The trail as a sink for the core's operations: forwards to RecordEvent.
IActivitySink& ActivityTrail();

}  // namespace dorvane
