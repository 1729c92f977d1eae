#pragma once
// Resources compiled into the running program, looked up by name: form descriptions,
// pictures, icons.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Exceptions.h"

namespace dorvane {

// No resource of that name.
class EResNotFound : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EResNotFound"; }
};

// Bytes of a resource by name: RT_RCDATA, else RT_BITMAP as a file image, else
// RT_GROUP_ICON as an icon file image. Raises EResNotFound when absent and
// EInvalidGraphic when a bitmap or icon resource is malformed.
std::vector<std::uint8_t> ResourceBytes(std::string_view name);
// Tests add resources of their own under a name; they are found before the program's.
void AddTestResource(const std::string& name, std::vector<std::uint8_t> bytes);

}  // namespace dorvane
