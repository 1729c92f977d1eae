#pragma once
// Makes the service components known to the form loader by class name.

namespace dorvane {

// Registers TNotifyTrayIcon, TFormPlacement, TFormStorage and THTTPGet. Calling it again does no harm.
void RegisterServiceComponents();

}  // namespace dorvane
