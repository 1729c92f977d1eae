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

bool WarningAwaitsEstimate(int freePct, std::int64_t freeBytes, const FullEstimate& estimate,
                           const WarningSettings& settings) {
  return settings.fullWithinOn && estimate.kind == FullEstimate::Kind::kNotYet &&
         LowSpaceWarning(freePct, freeBytes, estimate, settings) == WarningRule::kNone;
}

int ChoiceAt(std::span<const int> choices, int position) {
  if (choices.empty()) return 0;
  if (position < 0) return choices.front();
  if (static_cast<std::size_t>(position) >= choices.size()) return choices.back();
  return choices[static_cast<std::size_t>(position)];
}

std::string BelowSizeCaption(int gb) { return "and below " + std::to_string(gb) + " GB"; }
std::string FullWithinCaption(int hours) { return "or full within " + std::to_string(hours) + " h"; }

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
