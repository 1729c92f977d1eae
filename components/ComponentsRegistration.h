#pragma once
// Makes the service components known to the form loader by class name.

namespace dorvane {

// Registers TNotifyTrayIcon, TFormPlacement and TFormStorage. Calling it again does no harm.
void RegisterServiceComponents();

}  // namespace dorvane
