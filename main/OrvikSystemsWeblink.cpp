#include "main/OrvikSystemsWeblink.h"

#include "framework/Application.h"
#include "framework/ClassBuilder.h"
#include "core/MakerServer.h"

namespace dorvane {

const ClassInfo& TOrvikSystemsWeblink::StaticClass() {
  using T = TOrvikSystemsWeblink;
  static const ClassInfo info = ClassBuilder<T>("TOrvikSystemsWeblink", &TLabel::StaticClass())
                                    .Str("webadress", &T::webadress, &T::Setwebadress)
                                    // A link starts without auto-size and with the hand cursor.
                                    .Bool("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize, false)
                                    .Int("Cursor", &TControl::Cursor, &TControl::SetCursor, crHandPoint)
                                    .Build();
  return info;
}

void RegisterWeblinkClasses() { RegisterComponentClass(TOrvikSystemsWeblink::StaticClass()); }

TOrvikSystemsWeblink::TOrvikSystemsWeblink(TComponent* owner) : TLabel(owner) {
  SetAutoSize(false);
  SetCursor(crHandPoint);
}

void TOrvikSystemsWeblink::Setwebadress(const std::string& value) {
  if (value != webadress_) webadress_ = value;
}

std::string TOrvikSystemsWeblink::Url() const { return "http://" + MakerServer() + webadress_; }

void TOrvikSystemsWeblink::MouseEnter() {
  TLabel::MouseEnter();
  Font().SetStyle(TFontStyles{1} << fsUnderline);
}

void TOrvikSystemsWeblink::MouseLeave() {
  TLabel::MouseLeave();
  Font().SetStyle(0);
}

void TOrvikSystemsWeblink::Click() {
  TLabel::Click();
  Application().Desktop().OpenDocument(Url());  // a failure is silent
}

}  // namespace dorvane
