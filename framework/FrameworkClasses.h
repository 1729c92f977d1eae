#pragma once

namespace dorvane {

// Makes the framework's classes known to the form loader and the registry storage (once;
// later calls do nothing).
void RegisterFrameworkClasses();

}  // namespace dorvane
