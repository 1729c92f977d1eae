#pragma once
// Whether the low-space warning fires, and which rule made it: the free share below the
// threshold as always, and two optional rules for big disks, both off by default:
//  - "and below N GB": the share rule fires only when the free bytes are below N GB too
//    (5 % of a 4 TB disk is 200 GB, which nobody calls low);
//  - "or full within N hours": the warning also fires when the drive's estimate says it
//    will be full within N hours (at most N hours, the limit included), whatever its
//    share.
// With both off the decision is exactly the share rule of the tray update: free share
// (whole percent, as the tray computes it) below the threshold. The arming (one test per
// re-arm), the actions and their order stay the caller's (LowSpaceArming).
#include <cstdint>
#include <span>
#include <string>

#include "core/TimeToFull.h"

namespace dorvane {

// "N GB" as the program shows sizes: " Gb" figures are of 2^30 bytes, so that a drive
// shown with "9.99 Gb" free is below 10 GB.
inline constexpr std::int64_t kWarningGigabyte = std::int64_t{1} << 30;

struct WarningSettings {
  int thresholdPct = 5;  // "warning on low space (N%)", 1 to 75
  bool belowSizeOn = false;  // "and below N GB"
  int belowGb = 10;
  bool fullWithinOn = false;  // "or full within N hours"
  int fullWithinHours = 24;
};

// The figures the settings offer for "and below N GB" and "or full within N hours", by
// the position of their track bars, and the positions of the defaults.
inline constexpr int kBelowGbChoices[] = {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000};
inline constexpr int kFullWithinHourChoices[] = {1, 2, 3, 6, 12, 24, 48, 72, 168};
inline constexpr int kBelowGbDefaultPosition = 3;
inline constexpr int kFullWithinDefaultPosition = 5;
// The figure at a track bar position; a position beyond the ends gives the nearest end's.
int ChoiceAt(std::span<const int> choices, int position);
// The check boxes' captions, with the figure chosen: "and below 10 GB", "or full within 24 h".
std::string BelowSizeCaption(int gb);
std::string FullWithinCaption(int hours);

enum class WarningRule {
  kNone,
  kLowShare,         // the free share is below the threshold (the only rule by default)
  kLowShareAndSize,  // ... and the free bytes below the size limit
  kFullSoon,         // the estimate says full within the hours set
};

// The rule that fires for a tray drive's figures, kNone when none does. When the share
// rule and the full-soon rule both hold, the share rule is named: it says what is true now.
WarningRule LowSpaceWarning(int freePct, std::int64_t freeBytes, const FullEstimate& estimate,
                            const WarningSettings& settings);

// Whether the test must wait before it is made: "or full within" is on and the drive has
// no estimate yet (too little history, as at the first start), while the share rule does
// not fire now. A test made then would use up the arming on figures not yet known, as a
// test of an unreadable drive would; with the rule off nothing ever waits.
bool WarningAwaitsEstimate(int freePct, std::int64_t freeBytes, const FullEstimate& estimate,
                           const WarningSettings& settings);

// The first line of the balloon for a rule that fired. The share rule alone keeps the
// line the warning has always had ("Low disk space warning!"); the others say why:
//   "Low disk space warning! (below 5% and 10 GB)"
//   "Low disk space warning! (full in ~5 h)"
std::string WarningLine(WarningRule rule, const WarningSettings& settings, const FullEstimate& estimate);

}  // namespace dorvane
