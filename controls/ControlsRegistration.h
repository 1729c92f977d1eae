#pragma once
// Makes the custom-drawn controls known to the form loader by class name.

namespace dorvane {

// Registers TGauge, TSpecialProgress and TGradientFill. Calling it again does no harm.
void RegisterVisualControls();

}  // namespace dorvane
