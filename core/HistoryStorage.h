#pragma once
// A free-space series as the data of one registry value (binary), and back.
//
// Layout, version 1 (multi-byte fields little-endian; "varint" is 7 bits a byte, low
// group first, the top bit set on every byte but the last; "zigzag" maps a signed figure
// to a varint as 0, -1, 1, -2, ... -> 0, 1, 2, 3, ...):
//
//   "DvHs"        4 bytes, the mark of a history value
//   version       1 byte, 1
//   serial        4 bytes, the volume serial number
//   root          varint byte count (1 to 1024), then the root in UTF-8
//   total         varint, total bytes of the newest reading
//   newest time   zigzag, seconds of the newest reading
//   shift         1 byte (0 to 40): every free figure below is stored divided by 2^shift
//                 (the largest power of two dividing them all: a volume's free space is a
//                 whole number of clusters, so this is exact and saves a byte a point)
//   minute tier   runs over the 1440 minutes ending with the newest one, oldest first
//   block tier    runs over the 4320 ten-minute blocks ending with the newest one
//   CRC-32        4 bytes, of every byte before it (the polynomial of zip and PNG)
//
// A tier is a sequence of runs until its slots are covered: varint count of empty slots,
// varint count of filled slots, then each filled slot's figure as a zigzag difference
// from the tier's previous filled slot (the first from zero). A series of a steady drive
// takes two or three bytes a point, under 20 KB when every slot is filled; the most any
// series can take is kMaxHistoryValueBytes (about 80 KB: figures leaping across the whole
// 64-bit range in every slot), so 26 drives never store more than about 2.1 MB.
//
// Decoding accepts only what encoding could have written: a damaged, truncated, foreign,
// future-version or over-long value gives no series at all, never a part of one.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/FreeSpaceSeries.h"

namespace dorvane {

inline constexpr std::uint8_t kHistoryFormatVersion = 1;
// Header, the longest root, and per slot at worst a run of its own (two counts of at most
// two bytes) with a full-width difference, plus a closing run of empty slots per tier.
inline constexpr std::size_t kMaxHistoryValueBytes =
    4 + 1 + 4 + 2 + FreeSpaceSeries::kMaxRootBytes + 10 + 10 + 1 +
    (FreeSpaceSeries::kMinuteSlots + FreeSpaceSeries::kBlockSlots) * (2 + 2 + 10) + 2 * (2 + 2) + 4;

std::vector<std::uint8_t> EncodeSeries(const FreeSpaceSeries& series);
std::optional<FreeSpaceSeries> DecodeSeries(std::span<const std::uint8_t> data);

// The registry value name of a volume's series: the root, a blank and the serial as eight
// upper-case hexadecimal digits ("c:\ 0A1B2C3D"). Registry value names may hold a
// backslash; two volumes on one root, or one volume on two roots, get two names.
std::string HistoryValueName(std::string_view root, std::uint32_t serial);

// CRC-32 as zip and PNG compute it (reflected polynomial 0xEDB88320).
std::uint32_t Crc32(std::span<const std::uint8_t> data);

}  // namespace dorvane
