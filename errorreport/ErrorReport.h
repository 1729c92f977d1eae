#pragma once
// The activity trail and the error report window. Every operation of the main window
// records a short tag here when it begins; an exception that escapes an event reaches
// this window, which shows its message with the last tag.
#include <functional>
#include <string>
#include <string_view>

#include "core/Activity.h"
#include "framework/Forms.h"
#include "framework/Label.h"
#include "framework/Button.h"

namespace dorvane {

class TErrorForm : public TForm, public IActivitySink {
  DORVANE_CLASS(TErrorForm)
 public:
  explicit TErrorForm(TComponent* owner);
  ~TErrorForm() override;

  // The last activity tag; only the last one exists.
  std::string LastEvent;
  void Record(std::string_view tag) override { LastEvent = tag; }

  // The application's exception event: shows the message and the activity that was
  // running when it was raised. The program keeps running.
  void ApplicationException(TObject* sender, const Exception& error);
  // What the window shows now.
  const std::string& ShownMessage() const { return shownMessage_; }
  const std::string& ShownEvent() const { return shownEvent_; }
  const std::string& ShownClass() const { return shownClass_; }

  TLabel* MessageLabel = nullptr;
  TLabel* EventLabel = nullptr;
  TButton* CloseButton = nullptr;

 protected:
  void BindFields() override;
  std::vector<MethodEntry> Methods() const override;
  void CloseButtonClick(TObject* sender);

 private:
  std::string shownMessage_;
  std::string shownEvent_;
  std::string shownClass_;
};

// The program's one error-report window, reachable for the whole run.
extern TErrorForm* ErrorForm;

// Records an activity tag in the error-report window (nothing before it exists).
void RecordEvent(std::string_view tag);
// Tests watch every tag as it is recorded (null: nobody watches).
void SetActivityObserver(std::function<void(std::string_view tag)> observer);

// The trail as a sink for the core's operations: forwards to RecordEvent.
IActivitySink& ActivityTrail();

}  // namespace dorvane
