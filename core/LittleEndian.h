#pragma once
// Little-endian fields of file images (bitmaps, icons, resources), read without alignment
// assumptions.
#include <cstdint>

namespace dorvane {

inline std::uint16_t LittleU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t LittleU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::int32_t LittleI32(const std::uint8_t* p) { return static_cast<std::int32_t>(LittleU32(p)); }

}  // namespace dorvane
