#include "components/ComponentsRegistration.h"

#include "components/DeviceChanged.h"
#include "components/FormPlacement.h"
#include "components/HTTPGet.h"
#include "components/NotifyTrayIcon.h"
#include "components/ShellStarter.h"
#include "components/WaveComp.h"
#include "components/WinDialogs.h"

namespace dorvane {

void RegisterServiceComponents() {
  RegisterComponentClass(TNotifyTrayIcon::StaticClass());
  RegisterComponentClass(TFormPlacement::StaticClass());
  RegisterComponentClass(TFormStorage::StaticClass());
  RegisterComponentClass(TDeviceChanged::StaticClass());
  RegisterComponentClass(TDiskFullDialog::StaticClass());
  RegisterComponentClass(TWaveComp::StaticClass());
  RegisterComponentClass(TShellStarter::StaticClass());
  RegisterComponentClass(THTTPGet::StaticClass());
}

}  // namespace dorvane
