#include "main/AboutDorvane.h"

#include "framework/ClassBuilder.h"
#include "main/Dorvane.h"

namespace dorvane {

const ClassInfo& TForm2::StaticClass() {
  static const ClassInfo info = ClassBuilder<TForm2>("TForm2", &TForm::StaticClass()).Build();
  return info;
}

TForm2::TForm2(TComponent* owner) : TForm(owner) {
  RegisterWeblinkClasses();
  InitializeForm("Form2");
}

TForm2::~TForm2() {
  if (Form2 == this) Form2 = nullptr;
}

void TForm2::BindFields() {
  BIND(Panel1);
  BIND(OrvikSystemsWeblink1);
  BIND(Button1);
}

}  // namespace dorvane
