#include "components/ComponentsRegistration.h"

#include "components/FormPlacement.h"
#include "components/NotifyTrayIcon.h"

namespace dorvane {

void RegisterServiceComponents() {
  RegisterComponentClass(TNotifyTrayIcon::StaticClass());
  RegisterComponentClass(TFormPlacement::StaticClass());
  RegisterComponentClass(TFormStorage::StaticClass());
}

}  // namespace dorvane
