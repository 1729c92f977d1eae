#include "core/PictureScale.h"

#include <algorithm>

namespace dorvane {
namespace {

struct Share {
  int source;
  double weight;  // the part of the new pixel's span that this old pixel covers
};

// For each of `to` new pixels along an axis of `from` old ones: the old pixels under it.
std::vector<std::vector<Share>> Shares(int from, int to) {
  std::vector<std::vector<Share>> shares(static_cast<std::size_t>(to));
  const double step = static_cast<double>(from) / to;
  for (int i = 0; i < to; ++i) {
    const double begin = i * step, end = (i + 1) * step;
    for (int s = static_cast<int>(begin); s < from && s < end; ++s) {
      const double covered = std::min<double>(end, s + 1) - std::max<double>(begin, s);
      if (covered > 1e-9) shares[static_cast<std::size_t>(i)].push_back({s, covered / step});
    }
  }
  return shares;
}

}  // namespace

std::vector<std::uint32_t> ResizeKeyed(std::span<const std::uint32_t> pixels, int width, int height, int toWidth,
                                       int toHeight, std::uint32_t key) {
  std::vector<std::uint32_t> out;
  if (width <= 0 || height <= 0 || toWidth <= 0 || toHeight <= 0 ||
      pixels.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
    return out;
  out.reserve(static_cast<std::size_t>(toWidth) * static_cast<std::size_t>(toHeight));
  const auto columns = Shares(width, toWidth), rows = Shares(height, toHeight);
  for (const auto& row : rows)
    for (const auto& column : columns) {
      double opaque = 0, sum[3] = {0, 0, 0};
      for (const Share& r : row)
        for (const Share& c : column) {
          const std::uint32_t p = pixels[static_cast<std::size_t>(r.source) * static_cast<std::size_t>(width) +
                                         static_cast<std::size_t>(c.source)];
          if (p == key) continue;
          const double w = r.weight * c.weight;
          opaque += w;
          for (int k = 0; k < 3; ++k) sum[k] += w * ((p >> (16 - 8 * k)) & 0xFF);
        }
      if (opaque < 0.5) {
        out.push_back(key);
        continue;
      }
      std::uint32_t mean = 0;
      for (int k = 0; k < 3; ++k)
        mean |= static_cast<std::uint32_t>(std::clamp(static_cast<int>(sum[k] / opaque + 0.5), 0, 255)) << (16 - 8 * k);
      if (mean == key) mean = (mean & 0xFF0000) ? mean - 0x010000 : mean + 0x010000;
      out.push_back(mean);
    }
  return out;
}

}  // namespace dorvane
