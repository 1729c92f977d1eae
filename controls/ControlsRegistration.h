#pragma once
// Makes the custom-drawn controls known to the form loader by class name.

namespace dorvane {

// Registers the custom-drawn controls of this folder (gauge, progress bar, gradient fill,
// file browse edit, gradient button, styled popup menu). Calling it again does no harm.
void RegisterVisualControls();

}  // namespace dorvane
