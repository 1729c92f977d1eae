#pragma once
// The about box: a small borderless window shown modally over the main window.
#include "framework/Button.h"
#include "framework/Forms.h"
#include "framework/Label.h"
#include "framework/Panel.h"

namespace dorvane {

class TForm2 : public TForm {
  DORVANE_CLASS(TForm2)
 public:
  explicit TForm2(TComponent* owner);
  TPanel* Panel1 = nullptr;
  TLabel* VersionLabel = nullptr;
  TButton* Button1 = nullptr;

 protected:
  void BindFields() override;
};

}  // namespace dorvane
