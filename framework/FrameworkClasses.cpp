// The classes a form description may name.
#include "framework/Classes.h"
#include "framework/Controls.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/Menus.h"
#include "framework/Timer.h"

namespace dorvane {

void RegisterStandardControls();

void RegisterFrameworkClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterClassesModule();
  RegisterGraphicsClasses();
  RegisterComponentClass(TMenuItem::StaticClass());
  RegisterComponentClass(TPopupMenu::StaticClass());
  RegisterComponentClass(TTimer::StaticClass());
  RegisterStandardControls();
}

}  // namespace dorvane
