#pragma once
// The free-space chart of the settings view: a drive's series (the last day of minute
// points, or the last 30 days of ten-minute points) as lines in a plot of a given size,
// the free share going up, with the warning's threshold as a level.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/FreeSpaceSeries.h"

namespace dorvane {

enum class ChartSpan { kDay, kMonth };

struct ChartPoint {
  int x = 0;
  int y = 0;
  bool operator==(const ChartPoint&) const = default;
};

struct ChartPlot {
  // Lines, each a run of points without a gap; a pixel column without any point (the
  // machine was off, the drive away) ends a run.
  std::vector<std::vector<ChartPoint>> runs;
  int levelY = -1;      // the threshold's row; -1 without a series
  std::string caption;  // "c:\ last day", "c:\ last 30 days", "c:\ no history yet"
};

// The plot of `series` (null: no history) over `span` in a `width` by `height` area:
// column x covers an equal share of the span's slots, oldest at the left, and shows the
// last point among them; row y = (height - 1) - round(share * (height - 1)), share being
// free over the newest total, so an empty drive lies on the bottom row and a free one on
// the top. The level is the row of `thresholdPct`.
ChartPlot PlotHistory(const FreeSpaceSeries* series, std::string_view root, ChartSpan span, int width, int height,
                      int thresholdPct);

}  // namespace dorvane
