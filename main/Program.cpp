#include "main/Program.h"

#include "components/ComponentsRegistration.h"
#include "controls/ControlsRegistration.h"
#include "core/NumberFormat.h"
#include "core/TrayPictures.h"
#include "framework/Forms.h"
#include "framework/ImageList.h"
#include "framework/SingleInstance.h"
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
  // The tray's pictures at the small-icon sizes of the other display scales.
  RegisterSizedPictures("TRAY_ICONS", &DrawTrayPicture);
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

void AnswerLaterStarts(TSingleInstance& instance) {
  instance.SetOnLaterStart([] {
    // Not while the program is ending: its main window is going.
    auto* form = dynamic_cast<TForm1*>(Application().MainForm());
    if (form && !Application().Terminated()) form->ComeForward();
  });
}

}  // namespace dorvane
