#include "core/HistoryChart.h"

#include <algorithm>
#include <cmath>

namespace dorvane {
namespace {

int RowOf(double share, int height) {
  share = std::clamp(share, 0.0, 1.0);
  return (height - 1) - static_cast<int>(std::lround(share * (height - 1)));
}

}  // namespace

ChartPlot PlotHistory(const FreeSpaceSeries* series, std::string_view root, ChartSpan span, int width, int height,
                      int thresholdPct) {
  ChartPlot plot;
  const std::string name(root);
  if (!series || series->Empty() || series->TotalBytes() <= 0 || width < 2 || height < 2) {
    plot.caption = name + " no history yet";
    return plot;
  }
  plot.caption = name + (span == ChartSpan::kDay ? " last day" : " last 30 days");
  plot.levelY = RowOf(thresholdPct / 100.0, height);
  const std::vector<std::int64_t> slots =
      span == ChartSpan::kDay ? series->MinutesOldestFirst() : series->BlocksOldestFirst();
  const auto total = static_cast<double>(series->TotalBytes());
  const std::size_t n = slots.size();
  std::vector<ChartPoint> run;
  for (int x = 0; x < width; ++x) {
    // The slots of column x: [x * n / width, (x + 1) * n / width).
    const std::size_t from = static_cast<std::size_t>(x) * n / static_cast<std::size_t>(width);
    const std::size_t to = std::max(from + 1, static_cast<std::size_t>(x + 1) * n / static_cast<std::size_t>(width));
    std::int64_t last = FreeSpaceSeries::kNoPoint;
    for (std::size_t i = from; i < to && i < n; ++i)
      if (slots[i] != FreeSpaceSeries::kNoPoint) last = slots[i];
    if (last == FreeSpaceSeries::kNoPoint) {
      if (!run.empty()) plot.runs.push_back(std::move(run));
      run.clear();
      continue;
    }
    run.push_back({x, RowOf(static_cast<double>(last) / total, height)});
  }
  if (!run.empty()) plot.runs.push_back(std::move(run));
  return plot;
}

}  // namespace dorvane
