#include "core/MemoryReadout.h"

#include "core/NumberFormat.h"

namespace dorvane {

MemoryReadout ReadMemory(IMemoryApi& api) noexcept {
  try {
    const MemoryStatus status = api.Query();
    MemoryReadout readout;
    readout.caption = "Total Mem: " + FormatKilobytes(status.totalPhysical);
    readout.load = static_cast<int>(status.load > 100 ? 100 : status.load);
    return readout;
  } catch (...) {
    MemoryReadout fallback;
    try {
      fallback.caption = "Total Mem: unknown";
    } catch (...) {
    }
    return fallback;
  }
}

}  // namespace dorvane
