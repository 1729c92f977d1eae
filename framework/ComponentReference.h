#pragma once
// How a reference property names a component, in form descriptions and in stored values
// alike: by its name, or "Owner.Name" for a component of another owner than the form the
// text belongs to.
#include <string>
#include <string_view>

namespace dorvane {

class TComponent;

// The text that names `component`, seen from `root` (the form).
std::string ReferenceName(const TComponent& component, const TComponent* root);
// The component a text names, seen from `root`: root itself, one of its components, or
// with "Owner.Name" a component of one of its owner's components; null when none is.
TComponent* FindReferenced(std::string_view text, const TComponent* root);

}  // namespace dorvane
