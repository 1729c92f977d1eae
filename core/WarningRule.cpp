#include "core/WarningRule.h"

#include "core/TrayFigures.h"

namespace dorvane {

WarningRule LowSpaceWarning(int freePct, std::int64_t freeBytes, const FullEstimate& estimate,
                            const WarningSettings& settings) {
  // As the tray update has always put it: (100 - threshold) < usedPct.
  const bool lowShare = 100 - settings.thresholdPct < 100 - freePct;
  if (lowShare) {
    if (!settings.belowSizeOn) return WarningRule::kLowShare;
    if (freeBytes < std::int64_t{settings.belowGb} * kWarningGigabyte) return WarningRule::kLowShareAndSize;
  }
  if (settings.fullWithinOn && estimate.kind == FullEstimate::Kind::kFilling &&
      estimate.seconds <= std::int64_t{settings.fullWithinHours} * 3600) {
    return WarningRule::kFullSoon;
  }
  return WarningRule::kNone;
}

std::string WarningLine(WarningRule rule, const WarningSettings& settings, const FullEstimate& estimate) {
  switch (rule) {
    case WarningRule::kLowShareAndSize:
      return std::string(kLowSpaceLine) + " (below " + std::to_string(settings.thresholdPct) + "% and " +
             std::to_string(settings.belowGb) + " GB)";
    case WarningRule::kFullSoon:
      return std::string(kLowSpaceLine) + " (" + FullEstimateText(estimate) + ")";
    case WarningRule::kNone:
    case WarningRule::kLowShare:
      break;
  }
  return kLowSpaceLine;
}

}  // namespace dorvane
