#include "main/Program.h"

#include "components/FormPlacement.h"
#include "components/DeviceChanged.h"
#include "components/NotifyTrayIcon.h"
#include "components/ShellStarter.h"
#include "components/WaveComp.h"
#include "components/WinDialogs.h"
#include "controls/ControlsRegistration.h"
#include "core/NumberFormat.h"
#include "framework/Forms.h"
#include "main/AboutDorvane.h"
#include "main/Dorvane.h"

namespace dorvane {


void RegisterProgramClasses() {
  Application().Initialize();
  RegisterFormPlacementClasses();
  RegisterTrayIconClasses();
  RegisterDeviceChangedClasses();
  RegisterWinDialogsClasses();
  RegisterWaveClasses();
  RegisterShellStarterClasses();
  RegisterVisualControls();
  RegisterMainWindowClasses();
}

void CreateProgramWindows(IMachine& machine) {
  RegisterProgramClasses();
  Application().SetTitle("Dorvane");
  Application().CreateForm<TForm1>(machine);
  Form2 = Application().CreateForm<TForm2>();
}

}  // namespace dorvane
