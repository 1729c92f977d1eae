#pragma once
// The memory readout of the status panel: total physical memory as a text and the
// memory load in percent.
#include <cstdint>
#include <string>

namespace dorvane {

struct MemoryStatus {
  std::uint32_t load = 0;          // percent of physical memory in use
  std::uint64_t totalPhysical = 0; // bytes
};

class IMemoryApi {
 public:
  virtual ~IMemoryApi() = default;
  // Throws when the figures cannot be read.
  virtual MemoryStatus Query() = 0;
};

struct MemoryReadout {
  std::string caption;  // "Total Mem: 523,712 KB" or "Total Mem: unknown"
  int load = 0;
};

// Never throws: any failure reading or formatting the figures gives the fallback
// "Total Mem: unknown" with load 0, and the next tick tries again.
MemoryReadout ReadMemory(IMemoryApi& api) noexcept;

}  // namespace dorvane
