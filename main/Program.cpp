#include "main/Program.h"

#include "components/FormPlacement.h"
#include "components/HTTPGet.h"
#include "components/NotifyTrayIcon.h"
#include "controls/ControlsRegistration.h"
#include "core/NumberFormat.h"
#include "framework/Forms.h"
#include "main/AboutDorvane.h"
#include "main/Dorvane.h"
#include "main/OrvikSystemsWeblink.h"

namespace dorvane {


void RegisterProgramClasses() {
  Application().Initialize();
  RegisterFormPlacementClasses();
  RegisterTrayIconClasses();
  RegisterHttpGetClasses();
  RegisterVisualControls();
  RegisterWeblinkClasses();
  RegisterMainWindowClasses();
}

void CreateProgramWindows(IMachine& machine) {
  RegisterProgramClasses();
  Application().SetTitle("Dorvane");
  Application().CreateForm<TForm1>(machine);
  Form2 = Application().CreateForm<TForm2>();
}

}  // namespace dorvane
