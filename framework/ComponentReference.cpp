#include "framework/ComponentReference.h"

#include "core/Text.h"
#include "framework/Classes.h"

namespace dorvane {

std::string ReferenceName(const TComponent& component, const TComponent* root) {
  const TComponent* owner = component.Owner();
  const bool foreign = &component != root && owner && owner != root;
  return foreign ? owner->Name() + "." + component.Name() : component.Name();
}

TComponent* FindReferenced(std::string_view text, const TComponent* root) {
  if (!root) return nullptr;
  const std::size_t dot = text.find('.');
  if (dot == std::string_view::npos) {
    if (SameText(root->Name(), text)) return const_cast<TComponent*>(root);
    return root->FindComponent(text);
  }
  const std::string_view ownerName = text.substr(0, dot);
  const TComponent* owner = nullptr;
  if (SameText(root->Name(), ownerName))
    owner = root;
  else if (root->Owner())
    owner = root->Owner()->FindComponent(ownerName);
  return owner ? owner->FindComponent(text.substr(dot + 1)) : nullptr;
}

}  // namespace dorvane
