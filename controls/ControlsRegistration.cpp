#include "controls/ControlsRegistration.h"

#include "controls/FileOpenEdit.h"
#include "controls/Gauges.h"
#include "controls/GradientButton.h"
#include "controls/GradientFill.h"
#include "controls/SpecialProgress.h"
#include "controls/StyledMenus.h"

namespace dorvane {

void RegisterVisualControls() {
  RegisterComponentClass(TGauge::StaticClass());
  RegisterComponentClass(TSpecialProgress::StaticClass());
  RegisterComponentClass(TGradientFill::StaticClass());
  RegisterComponentClass(TFileOpenEdit::StaticClass());
  RegisterComponentClass(TGradientButton::StaticClass());
  RegisterComponentClass(TStyledPopupMenu::StaticClass());
}

}  // namespace dorvane
