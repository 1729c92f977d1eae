#pragma once
// The figures of the one-second tray update: how full the tray drive is, which of the
// tray pictures shows it, the tooltip text and the low-space warning rule.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/DriveCatalog.h"

namespace dorvane {

// Every tooltip line ends with a line feed followed by a carriage return.
inline constexpr const char* kTipLineEnd = "\n\r";
// The hint handed to the tray icon keeps this many characters of the tooltip text.
inline constexpr std::size_t kTrayHintChars = 255;
inline constexpr const char* kLowSpaceTitle = "Dorvane";
inline constexpr const char* kLowSpaceLine = "Low disk space warning!";

// One line per checked row, in row order: root, the free size, " free" (the figures of
// the last refresh of the list).
std::string DriveLines(const std::vector<DriveEntry>& rows);

struct TrayFigures {
  DriveSpace space;
  // Whether the tray drive's figures could be read; when not, the icon shows picture 0
  // and no low-space test is made.
  bool readable = false;
  std::uint64_t round = 0;  // that asked for the reading
  int freePct = 0;
  int usedPct = 100;
  int iconIndex = 0;
  std::string tooltip;  // the whole text: the drive lines and the tray drive's line
};

// The tray drive's figures from its reading (none: the drive has not answered, shown as a
// failed query). Percentages are taken on whole hundreds of bytes, truncated, in 64-bit
// arithmetic.
TrayFigures ComputeTrayFigures(const std::vector<DriveEntry>& rows, const std::string& trayDriveText,
                               const std::optional<DriveReading>& reading);

// The characters of the hint the tray icon shows.
inline constexpr std::size_t kTrayTipChars = 127;

// The tooltip with the drives' time-to-full texts added to their lines (", full in ~5 h"
// before the line end) where the characters the tray shows leave room: `estimates` holds
// one text per line, in line order (empty: nothing to add). The last line, the tray
// drive's own, gets its text first, then the others from the top; a text that would take
// the tooltip beyond `limit` characters is left out, a shorter one after it may still go
// in. With no text to add the tooltip is returned as it is.
std::string TooltipWithEstimates(const std::string& tooltip, const std::vector<std::string>& estimates,
                                 std::size_t limit = kTrayTipChars);

// The first 255 characters of a tooltip text.
std::string TrayHint(const std::string& tooltip);

// The balloon text of a warning: the warning line followed by the whole tooltip.
std::string LowSpaceBalloonText(const std::string& tooltip, const std::string& line = kLowSpaceLine);

// The arming of the low-space test: the test is made once per arming, whether or not it
// fires, and only re-arm events arm it again.
class LowSpaceArming {
 public:
  bool WarningDone() const { return warningDone_; }
  // Arms the test for readings asked for in round `firstRound` or later: a choice made now
  // (another tray drive, say) is tested on the drive as it is now, not on an answer it
  // gave a while ago.
  void Rearm(std::uint64_t firstRound = 0) {
    warningDone_ = false;
    firstRound_ = firstRound;
  }
  // Makes the test when enabled and armed. Returns true when the warning must be given:
  // free share below the threshold (percent of free space). A drive whose figures could
  // not be read, or were asked for before the arming, is not tested and the arming is kept
  // for the next tick.
  bool Test(bool warningEnabled, int thresholdPct, const TrayFigures& figures);
  // Makes the test, leaving the rule to the caller: when WillTest says so, uses up the
  // arming and returns true.
  bool Take(bool warningEnabled, const TrayFigures& figures) {
    if (!WillTest(warningEnabled, figures)) return false;
    warningDone_ = true;
    return true;
  }
  // Whether Test would make the test now (the caller records the activity first).
  bool WillTest(bool warningEnabled, const TrayFigures& figures) const {
    return warningEnabled && !warningDone_ && figures.readable && figures.round >= firstRound_;
  }

 private:
  bool warningDone_ = false;
  std::uint64_t firstRound_ = 0;
};

}  // namespace dorvane
