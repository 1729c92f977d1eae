#include "core/TrayFigures.h"

#include <algorithm>
#include <string_view>

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

std::string TooltipWithEstimates(const std::string& tooltip, const std::vector<std::string>& estimates,
                                 std::size_t limit) {
  // Where each line ends (its line end begins).
  std::vector<std::size_t> ends;
  const std::string_view lineEnd = kTipLineEnd;
  for (std::size_t at = tooltip.find(lineEnd); at != std::string::npos; at = tooltip.find(lineEnd, at + lineEnd.size()))
    ends.push_back(at);
  const std::size_t lines = std::min(ends.size(), estimates.size());
  if (lines == 0) return tooltip;
  std::vector<bool> added(lines);
  std::size_t length = Utf8Length(tooltip);
  const auto consider = [&](std::size_t line) {
    const std::string& text = estimates[line];
    if (text.empty()) return;
    const std::size_t more = 2 + Utf8Length(text);
    if (length + more > limit) return;
    length += more;
    added[line] = true;
  };
  if (lines == ends.size()) consider(lines - 1);
  for (std::size_t line = 0; line < lines; ++line)
    if (!added[line]) consider(line);
  std::string out;
  out.reserve(tooltip.size() + 64);
  std::size_t from = 0;
  for (std::size_t line = 0; line < lines; ++line) {
    out.append(tooltip, from, ends[line] - from);
    if (added[line]) out += ", " + estimates[line];
    from = ends[line];
  }
  out.append(tooltip, from, std::string::npos);
  return out;
}

std::string TrayHint(const std::string& tooltip) { return Utf8Prefix(tooltip, kTrayHintChars); }

std::string LowSpaceBalloonText(const std::string& tooltip, const std::string& line) {
  return line + kTipLineEnd + tooltip;
}

bool LowSpaceArming::Test(bool warningEnabled, int thresholdPct, const TrayFigures& figures) {
  return Take(warningEnabled, figures) && 100 - thresholdPct < figures.usedPct;
}

}  // namespace dorvane
