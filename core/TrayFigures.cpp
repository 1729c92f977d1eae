#include "core/TrayFigures.h"

#include "core/DriveTexts.h"
#include "core/NumberFormat.h"
#include "core/Text.h"

namespace dorvane {

std::string DriveLines(const std::vector<DriveEntry>& rows) {
  std::string text;
  for (const DriveEntry& row : rows) {
    if (!row.active) continue;
    text += row.root + " " + FreeSizeText(row) + " free" + kTipLineEnd;
  }
  return text;
}

TrayFigures ComputeTrayFigures(const std::vector<DriveEntry>& rows, const std::string& trayDriveText,
                               const std::optional<DriveReading>& reading) {
  TrayFigures f;
  const DriveSpace space = reading ? reading->value : DriveSpace{};
  f.space = space;
  f.round = reading ? reading->round : 0;
  f.readable = !space.Failed() && space.totalBytes > 0;
  f.freePct = PercentOf(space.freeBytes / 100, space.totalBytes / 100);
  f.usedPct = 100 - f.freePct;
  f.iconIndex = f.readable ? f.usedPct / 6 : 0;
  if (f.iconIndex < 0) f.iconIndex = 0;
  if (f.iconIndex > 16) f.iconIndex = 16;
  f.tooltip = DriveLines(rows) + trayDriveText + " " + FormatSize(space.freeBytes) + " (" +
              std::to_string(f.freePct) + "%) free" + kTipLineEnd;
  return f;
}

std::string TrayHint(const std::string& tooltip) { return Utf8Prefix(tooltip, kTrayHintChars); }

std::string LowSpaceBalloonText(const std::string& tooltip) {
  return std::string(kLowSpaceLine) + kTipLineEnd + tooltip;
}

bool LowSpaceArming::Test(bool warningEnabled, int thresholdPct, const TrayFigures& figures) {
  if (!WillTest(warningEnabled, figures)) return false;
  warningDone_ = true;
  return 100 - thresholdPct < figures.usedPct;
}

}  // namespace dorvane
