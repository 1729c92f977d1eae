#include "core/HistoryClock.h"

namespace dorvane {
namespace {

std::optional<std::int64_t> Digits(std::string_view text, std::size_t most) {
  if (text.empty() || text.size() > most) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

std::optional<int> ParseClockScale(std::string_view text) {
  const auto value = Digits(text, 4);
  if (!value || *value < 1 || *value > kMaxClockScale) return std::nullopt;
  return static_cast<int>(*value);
}

std::optional<std::int64_t> ParseClockStart(std::string_view text) {
  const auto value = Digits(text, 13);
  if (!value || *value > 1'000'000'000'000) return std::nullopt;
  return value;
}

}  // namespace dorvane
