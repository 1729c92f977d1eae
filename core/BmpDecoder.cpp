#include "core/BmpDecoder.h"

#include <bit>
#include <utility>

#include "core/LittleEndian.h"

namespace dorvane {
namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

// One colour channel described by a bit mask, scaled to 0..255.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t max = 0;
  explicit Channel(std::uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    max = m >> shift;
    // A mask with holes is treated as its lowest run of bits.
    max = (max & (max + 1)) == 0 ? max : (1u << std::countr_one(max)) - 1;
  }
  std::uint32_t operator()(std::uint32_t v) const {
    if (max == 0) return 0;
    return static_cast<std::uint32_t>(std::uint64_t{((v & mask) >> shift) & max} * 255 / max);
  }
};

BmpDecoding Failure(std::string why) { return {Pixels{}, std::move(why)}; }

}  // namespace

BmpDecoding DecodeBmp(std::span<const std::uint8_t> file) {
  const std::uint8_t* data = file.data();
  const std::size_t size = file.size();
  if (!data || size < 14 + 12) return Failure("too short");
  if (data[0] != 'B' || data[1] != 'M') return Failure("no BM signature");
  const std::uint32_t pixelOffset = LittleU32(data + 10);
  const std::uint8_t* h = data + 14;
  const std::uint32_t headerSize = LittleU32(h);
  if (headerSize != 12 && headerSize < 40) return Failure("unknown header");
  if (headerSize > size - 14) return Failure("header cut short");

  std::int64_t width = 0, height = 0;
  unsigned bits = 0, planes = 0;
  std::uint32_t compression = kBiRgb, colorsUsed = 0;
  std::size_t paletteEntry = 4;
  if (headerSize == 12) {
    width = LittleU16(h + 4);
    height = static_cast<std::int16_t>(LittleU16(h + 6));
    planes = LittleU16(h + 8);
    bits = LittleU16(h + 10);
    paletteEntry = 3;
  } else {
    width = LittleI32(h + 4);
    height = LittleI32(h + 8);
    planes = LittleU16(h + 12);
    bits = LittleU16(h + 14);
    compression = LittleU32(h + 16);
    colorsUsed = LittleU32(h + 32);
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (planes != 1) return Failure("planes must be 1");
  if (width <= 0 || height <= 0 || width > kMaxBmpSide || height > kMaxBmpSide || width * height > kMaxBmpPixels)
    return Failure("size " + std::to_string(width) + " x " + std::to_string(height));
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    return Failure(std::to_string(bits) + " bits per pixel");

  // Colour masks of 16- and 32-bit pictures.
  std::uint32_t masks[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};
  if (bits == 16) {
    masks[0] = 0x7C00;
    masks[1] = 0x03E0;
    masks[2] = 0x001F;
  }
  std::size_t tablePos = 14 + headerSize;
  if (compression == kBiBitfields) {
    if (bits != 16 && bits != 32) return Failure("bit fields need 16 or 32 bits per pixel");
    // The three masks follow the 40 bytes of the basic header: inside a longer header or
    // after it (then the palette comes after them).
    const std::uint8_t* m = h + 40;
    if (size < 14 + 40 + 12) return Failure("colour masks cut short");
    if (headerSize < 40 + 12) tablePos = 14 + 40 + 12;
    masks[0] = LittleU32(m);
    masks[1] = LittleU32(m + 4);
    masks[2] = LittleU32(m + 8);
  } else if (compression != kBiRgb) {
    return Failure("compression " + std::to_string(compression) + " is not supported");
  }

  std::vector<std::uint32_t> palette;
  if (bits <= 8) {
    const std::uint32_t maxColors = 1u << bits;
    const std::uint32_t count = colorsUsed == 0 ? maxColors : colorsUsed;
    if (count > maxColors) return Failure("palette of " + std::to_string(count) + " colours");
    if (tablePos + count * paletteEntry > size) return Failure("palette cut short");
    palette.resize(maxColors, 0);  // indices past the palette draw black
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint8_t* e = data + tablePos + i * paletteEntry;
      palette[i] = (std::uint32_t{e[2]} << 16) | (std::uint32_t{e[1]} << 8) | e[0];
    }
  }

  const std::size_t stride = ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
  const std::size_t rows = static_cast<std::size_t>(height);
  if (pixelOffset > size || stride * rows > size - pixelOffset) return Failure("pixel data cut short");

  Pixels out;
  out.width = static_cast<int>(width);
  out.height = static_cast<int>(height);
  out.words.resize(static_cast<std::size_t>(width) * rows);
  const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
  for (std::size_t row = 0; row < rows; ++row) {
    const std::uint8_t* src = data + pixelOffset + stride * (topDown ? row : rows - 1 - row);
    std::uint32_t* dst = out.words.data() + row * static_cast<std::size_t>(width);
    for (std::size_t x = 0; x < static_cast<std::size_t>(width); ++x) {
      switch (bits) {
        case 1: dst[x] = palette[(src[x / 8] >> (7 - x % 8)) & 1]; break;
        case 4: dst[x] = palette[(src[x / 2] >> (x % 2 ? 0 : 4)) & 0xF]; break;
        case 8: dst[x] = palette[src[x]]; break;
        case 16: {
          const std::uint32_t v = LittleU16(src + x * 2);
          dst[x] = (red(v) << 16) | (green(v) << 8) | blue(v);
          break;
        }
        case 24: {
          const std::uint8_t* p = src + x * 3;
          dst[x] = (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
          break;
        }
        default: {
          const std::uint32_t v = LittleU32(src + x * 4);
          dst[x] = (red(v) << 16) | (green(v) << 8) | blue(v);
        }
      }
    }
  }
  return {std::move(out), {}};
}

}  // namespace dorvane
