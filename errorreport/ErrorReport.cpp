#include "errorreport/ErrorReport.h"

#include "framework/ClassBuilder.h"
#include "framework/Trace.h"

namespace dorvane {

TErrorForm* ErrorForm = nullptr;

namespace {
std::function<void(std::string_view)>& Observer() {
  static std::function<void(std::string_view)> observer;
  return observer;
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

const ClassInfo& TErrorForm::StaticClass() {
  static const ClassInfo info = ClassBuilder<TErrorForm>("TErrorForm", &TForm::StaticClass()).Build();
  return info;
}

TErrorForm::TErrorForm(TComponent* owner) : TForm(owner) { InitializeForm("ErrorReport"); }

TErrorForm::~TErrorForm() {
  if (ErrorForm == this) ErrorForm = nullptr;
}

void TErrorForm::BindFields() {
  BIND(MessageLabel);
  BIND(EventLabel);
  BIND(CloseButton);
}

std::vector<MethodEntry> TErrorForm::Methods() const {
  return {Method("CloseButtonClick", &TErrorForm::CloseButtonClick)};
}

void TErrorForm::CloseButtonClick(TObject*) { Hide(); }

void TErrorForm::ApplicationException(TObject*, const Exception& error) {
  shownMessage_ = error.Message();
  shownClass_ = error.ClassName();
  shownEvent_ = LastEvent;
  MessageLabel->SetCaption(shownClass_ + ": " + shownMessage_);
  EventLabel->SetCaption("while: " + shownEvent_);
  Show();
  BringToFront();
}

}  // namespace dorvane
