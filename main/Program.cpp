#include "main/Program.h"

#include "components/ComponentsRegistration.h"
#include "controls/ControlsRegistration.h"
#include "core/NumberFormat.h"
#include "framework/Forms.h"
#include "framework/Trace.h"
#include "main/Dorvane.h"
#include "main/OrvikSystemsWeblink.h"

namespace dorvane {

void RegisterProgramClasses() {
  const TraceScope trace("register classes");
  Application().Initialize();  // the framework's classes
  RegisterServiceComponents();
  RegisterVisualControls();
  RegisterWeblinkClasses();
}

void CreateProgramWindows(IMachine& machine) {
  RegisterProgramClasses();
  Application().SetTitle("Dorvane");
  const TraceScope trace("create main window");
  Application().CreateForm<TForm1>(machine);
}

void RunProgram() {
  TraceMark("message loop");
  Application().Run();
  TraceMark("message loop ended");
  FreeApplication();
  TraceMark("application freed");
}

}  // namespace dorvane
