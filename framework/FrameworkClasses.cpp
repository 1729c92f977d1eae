// The framework's classes a form description may name, registered in one place.
#include "framework/FrameworkClasses.h"

#include "framework/Bevel.h"
#include "framework/Button.h"
#include "framework/CheckBox.h"
#include "framework/Classes.h"
#include "framework/ComboBox.h"
#include "framework/Edit.h"
#include "framework/Image.h"
#include "framework/ImageList.h"
#include "framework/Label.h"
#include "framework/ListView.h"
#include "framework/Menus.h"
#include "framework/Panel.h"
#include "framework/SpeedButton.h"
#include "framework/Timer.h"
#include "framework/TrackBar.h"

namespace dorvane {

void RegisterFrameworkClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  for (const ClassInfo* info :
       {&TComponent::StaticClass(), &TStringList::StaticClass(), &TImageList::StaticClass(),
        &TMenuItem::StaticClass(), &TPopupMenu::StaticClass(), &TTimer::StaticClass(), &TLabel::StaticClass(),
        &TImage::StaticClass(), &TBevel::StaticClass(), &TSpeedButton::StaticClass(), &TPanel::StaticClass(),
        &TCheckBox::StaticClass(), &TComboBox::StaticClass(), &TTrackBar::StaticClass(),
        &TListView::StaticClass(), &TEdit::StaticClass(), &TButton::StaticClass()})
    RegisterComponentClass(*info);
}

}  // namespace dorvane
