#include "core/HistoryStorage.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>

#include "core/LittleEndian.h"

namespace dorvane {
namespace {

constexpr char kMark[4] = {'D', 'v', 'H', 's'};
constexpr int kMaxShift = 40;
constexpr std::int64_t kMaxFigure = std::numeric_limits<std::int64_t>::max();

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

std::uint64_t ZigZag(std::int64_t v) {
  return (static_cast<std::uint64_t>(v) << 1) ^ static_cast<std::uint64_t>(v >> 63);
}
std::int64_t UnZigZag(std::uint64_t u) { return static_cast<std::int64_t>((u >> 1) ^ (~(u & 1) + 1)); }

class Writer {
 public:
  void Byte(std::uint8_t b) { out_.push_back(b); }
  void U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) Byte(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void Varint(std::uint64_t v) {
    while (v >= 0x80) {
      Byte(static_cast<std::uint8_t>(v | 0x80));
      v >>= 7;
    }
    Byte(static_cast<std::uint8_t>(v));
  }
  void Bytes(const void* p, std::size_t n) {
    const auto* b = static_cast<const std::uint8_t*>(p);
    out_.insert(out_.end(), b, b + n);
  }
  std::vector<std::uint8_t>& Out() { return out_; }

 private:
  std::vector<std::uint8_t> out_;
};

// Reads fields off the data; any read past the end, or an over-long varint, makes every
// later read fail, so the caller checks ok() once a field group is read.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> data) : data_(data) {}
  bool ok() const { return ok_; }
  bool AtEnd() const { return at_ == data_.size(); }
  std::uint8_t Byte() {
    if (!ok_ || at_ >= data_.size()) return Fail();
    return data_[at_++];
  }
  std::uint32_t U32() {
    if (!ok_ || data_.size() - at_ < 4) return Fail();
    const std::uint32_t v = LittleU32(data_.data() + at_);
    at_ += 4;
    return v;
  }
  std::uint64_t Varint() {
    std::uint64_t v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      const std::uint8_t b = Byte();
      if (!ok_) return 0;
      // The tenth byte has room for one bit; a group of zeros after the first is a
      // longer form than the writer makes.
      if ((shift == 63 && b > 1) || (shift > 0 && b == 0)) return Fail();
      v |= static_cast<std::uint64_t>(b & 0x7F) << shift;
      if (!(b & 0x80)) return v;
    }
    return Fail();
  }
  std::span<const std::uint8_t> Take(std::size_t n) {
    if (!ok_ || data_.size() - at_ < n) {
      Fail();
      return {};
    }
    const auto part = data_.subspan(at_, n);
    at_ += n;
    return part;
  }

 private:
  std::uint8_t Fail() {
    ok_ = false;
    return 0;
  }
  std::span<const std::uint8_t> data_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

void WriteTier(Writer& w, const std::vector<std::int64_t>& slots, int shift) {
  std::int64_t previous = 0;
  std::size_t at = 0;
  while (at < slots.size()) {
    std::size_t empty = 0;
    while (at + empty < slots.size() && slots[at + empty] == FreeSpaceSeries::kNoPoint) ++empty;
    std::size_t filled = 0;
    while (at + empty + filled < slots.size() && slots[at + empty + filled] != FreeSpaceSeries::kNoPoint) ++filled;
    w.Varint(empty);
    w.Varint(filled);
    for (std::size_t i = at + empty; i < at + empty + filled; ++i) {
      const std::int64_t figure = slots[i] >> shift;
      w.Varint(ZigZag(figure - previous));
      previous = figure;
    }
    at += empty + filled;
  }
}

bool ReadTier(Reader& r, std::vector<std::int64_t>& slots, std::size_t count, int shift) {
  slots.assign(count, FreeSpaceSeries::kNoPoint);
  const std::int64_t most = kMaxFigure >> shift;
  std::int64_t previous = 0;
  std::size_t at = 0;
  while (at < count) {
    const std::uint64_t empty = r.Varint();
    if (!r.ok() || empty > count - at) return false;
    at += static_cast<std::size_t>(empty);
    const std::uint64_t filled = r.Varint();
    if (!r.ok() || filled > count - at || (empty == 0 && filled == 0)) return false;
    for (std::uint64_t i = 0; i < filled; ++i) {
      const std::int64_t step = UnZigZag(r.Varint());
      if (!r.ok() || (step > 0 && previous > most - step)) return false;
      const std::int64_t figure = previous + step;
      if (figure < 0) return false;
      slots[at++] = figure << shift;
      previous = figure;
    }
  }
  return true;
}

// The largest power of two (up to 2^40) dividing every figure.
int CommonShift(const std::vector<std::int64_t>& a, const std::vector<std::int64_t>& b) {
  std::uint64_t bits = 0;
  for (const auto* tier : {&a, &b}) {
    for (std::int64_t v : *tier) {
      if (v > 0) bits |= static_cast<std::uint64_t>(v);
    }
  }
  return bits == 0 ? 0 : std::min(std::countr_zero(bits), kMaxShift);
}

}  // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> data) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::uint8_t b : data) c = kCrcTable[(c ^ b) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::vector<std::uint8_t> EncodeSeries(const FreeSpaceSeries& series) {
  if (series.Empty()) return {};
  const std::vector<std::int64_t> minutes = series.MinutesOldestFirst();
  const std::vector<std::int64_t> blocks = series.BlocksOldestFirst();
  const int shift = CommonShift(minutes, blocks);
  Writer w;
  w.Out().reserve(4096);
  w.Bytes(kMark, sizeof kMark);
  w.Byte(kHistoryFormatVersion);
  w.U32(series.Serial());
  w.Varint(series.Root().size());
  w.Bytes(series.Root().data(), series.Root().size());
  w.Varint(static_cast<std::uint64_t>(series.TotalBytes()));
  w.Varint(ZigZag(series.NewestTime()));
  w.Byte(static_cast<std::uint8_t>(shift));
  WriteTier(w, minutes, shift);
  WriteTier(w, blocks, shift);
  w.U32(Crc32(w.Out()));
  return std::move(w.Out());
}

std::optional<FreeSpaceSeries> DecodeSeries(std::span<const std::uint8_t> data) {
  if (data.size() < sizeof kMark + 1 + 4 || data.size() > kMaxHistoryValueBytes) return std::nullopt;
  if (std::memcmp(data.data(), kMark, sizeof kMark) != 0) return std::nullopt;
  const std::span<const std::uint8_t> body = data.first(data.size() - 4);
  if (Crc32(body) != LittleU32(data.data() + body.size())) return std::nullopt;

  Reader r(body);
  r.Take(sizeof kMark);
  if (r.Byte() != kHistoryFormatVersion) return std::nullopt;
  const std::uint32_t serial = r.U32();
  const std::uint64_t rootBytes = r.Varint();
  if (!r.ok() || rootBytes == 0 || rootBytes > FreeSpaceSeries::kMaxRootBytes) return std::nullopt;
  const std::span<const std::uint8_t> root = r.Take(static_cast<std::size_t>(rootBytes));
  const std::uint64_t total = r.Varint();
  const std::int64_t newestTime = UnZigZag(r.Varint());
  const int shift = r.Byte();
  if (!r.ok() || total > static_cast<std::uint64_t>(kMaxFigure) || shift > kMaxShift) return std::nullopt;
  std::vector<std::int64_t> minutes, blocks;
  if (!ReadTier(r, minutes, FreeSpaceSeries::kMinuteSlots, shift) ||
      !ReadTier(r, blocks, FreeSpaceSeries::kBlockSlots, shift) || !r.AtEnd()) {
    return std::nullopt;
  }
  return FreeSpaceSeries::Restore(std::string(root.begin(), root.end()), serial, static_cast<std::int64_t>(total),
                                  newestTime, minutes, blocks);
}

std::string HistoryValueName(std::string_view root, std::uint32_t serial) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string name(root);
  name += ' ';
  for (int shift = 28; shift >= 0; shift -= 4) name += kHex[(serial >> shift) & 0xF];
  return name;
}

}  // namespace dorvane
