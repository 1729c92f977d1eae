#pragma once
// The about box: a small borderless window, shown modally, that names the program and
// its maker and carries a link to the maker's web site.
#include "framework/Button.h"
#include "framework/Forms.h"
#include "framework/Panel.h"
#include "main/OrvikSystemsWeblink.h"

namespace dorvane {

class TForm2 : public TForm {
  DORVANE_CLASS(TForm2)
 public:
  explicit TForm2(TComponent* owner);
  ~TForm2() override;
  TPanel* Panel1 = nullptr;
  TOrvikSystemsWeblink* OrvikSystemsWeblink1 = nullptr;
  TButton* Button1 = nullptr;

 protected:
  void BindFields() override;
};

}  // namespace dorvane
