#pragma once
// Makes the service components known to the form loader by class name.

namespace dorvane {

// Registers TNotifyTrayIcon, TFormPlacement, TFormStorage, TDeviceChanged, TDiskFullDialog,
// TWaveComp, TShellStarter and THTTPGet. Calling it again does no harm.
void RegisterServiceComponents();

}  // namespace dorvane
