#include "main/Program.h"

#include "components/ComponentsRegistration.h"
#include "controls/ControlsRegistration.h"
#include "core/NumberFormat.h"
#include "framework/Forms.h"
#include "main/AboutDorvane.h"
#include "main/Dorvane.h"

namespace dorvane {

void RegisterProgramClasses() {
  Application().Initialize();  // the framework's classes
  RegisterServiceComponents();
  RegisterVisualControls();
}

void CreateProgramWindows(IMachine& machine) {
  RegisterProgramClasses();
  Application().SetTitle("Dorvane");
  Application().CreateForm<TForm1>(machine);
  Form2 = Application().CreateForm<TForm2>();
}

}  // namespace dorvane
