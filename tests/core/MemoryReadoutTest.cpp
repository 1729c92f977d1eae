#include <gtest/gtest.h>

#include "core/MemoryReadout.h"
#include "core/NumberFormat.h"
#include "tests/support/ScriptedDrives.h"

namespace dorvane {
namespace {

using testing::ScriptedMemoryApi;

TEST(MemoryReadoutTest, CaptionAndLoad) {
  SetCurrentSeparators({".", ","});
  ScriptedMemoryApi api;
  api.status = {37, 536'281'088};
  MemoryReadout r = ReadMemory(api);
  EXPECT_EQ(r.caption, "Total Mem: 523,712 KB");
  EXPECT_EQ(r.load, 37);
  api.status = {0, 2'147'483'647};
  EXPECT_EQ(ReadMemory(api).caption, "Total Mem: 2,097,152 KB");
  api.status = {100, 4'294'967'295};
  r = ReadMemory(api);
  EXPECT_EQ(r.caption, "Total Mem: 4,194,304 KB");
  EXPECT_EQ(r.load, 100);
}

TEST(MemoryReadoutTest, MoreThanFourGigabytesShowsTheRealTotal) {
  SetCurrentSeparators({",", "."});
  ScriptedMemoryApi api;
  api.status = {12, 34'359'738'368};  // 32 GB
  EXPECT_EQ(ReadMemory(api).caption, "Total Mem: 33.554.432 KB");
  SetCurrentSeparators({".", ","});
}

TEST(MemoryReadoutTest, FailureGivesUnknownAndZero) {
  ScriptedMemoryApi api;
  api.fail = true;
  const MemoryReadout r = ReadMemory(api);
  EXPECT_EQ(r.caption, "Total Mem: unknown");
  EXPECT_EQ(r.load, 0);
  // The next reading tries again.
  api.fail = false;
  EXPECT_EQ(ReadMemory(api).load, 37);
}

}  // namespace
}  // namespace dorvane
