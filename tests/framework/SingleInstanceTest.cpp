#include "framework/SingleInstance.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "framework/Forms.h"
#include "tests/support/Pump.h"

namespace dorvane {
namespace {

using namespace std::chrono_literals;
using testing::PumpUntil;

// A name of this process's own: test programs run side by side in one Wine session.
std::string NameFor(const char* test) {
  return "DorvaneTest." + std::to_string(GetCurrentProcessId()) + "." + test;
}

// The first start holds the name; a later start hands over and the first runs the
// request from its message loop, once per later start, not inside the later one's call.
TEST(SingleInstance, LaterStartsHandOverToTheFirst) {
  Application().Initialize();
  const std::string name = NameFor("handover");
  TSingleInstance first(name);
  int requests = 0;
  first.SetOnLaterStart([&] { ++requests; });
  ASSERT_TRUE(first.Holds());
  EXPECT_FALSE(first.HandedOver());
  {
    TSingleInstance later(name);
    EXPECT_TRUE(later.HandedOver());
    EXPECT_FALSE(later.Holds());
    EXPECT_EQ(requests, 0) << "the request ran inside the later start's call";
  }
  { const TSingleInstance again(name); EXPECT_TRUE(again.HandedOver()); }
  EXPECT_TRUE(PumpUntil([&] { return requests == 2; }, 5000)) << requests << " requests ran";

  // Another name is another program.
  const TSingleInstance other(NameFor("other"));
  EXPECT_TRUE(other.Holds());
  EXPECT_FALSE(other.HandedOver());
}

// A later start that comes before the first has set its action is answered all the same;
// the action runs as soon as it is set.
TEST(SingleInstance, ARequestBeforeTheActionRunsWhenItIsSet) {
  Application().Initialize();
  const std::string name = NameFor("early");
  TSingleInstance first(name);
  { const TSingleInstance later(name); EXPECT_TRUE(later.HandedOver()); }
  Application().ProcessMessages();
  int requests = 0;
  first.SetOnLaterStart([&] { ++requests; });
  EXPECT_TRUE(PumpUntil([&] { return requests == 1; }, 5000));
  Application().ProcessMessages();
  EXPECT_EQ(requests, 1);
}

// A first copy that has gone leaves the name free: the next start is the first again.
TEST(SingleInstance, AFirstCopyThatHasGoneLeavesTheNameToTheNext) {
  Application().Initialize();
  const std::string name = NameFor("gone");
  { const TSingleInstance first(name); ASSERT_TRUE(first.Holds()); }
  const TSingleInstance next(name);
  EXPECT_TRUE(next.Holds());
  EXPECT_FALSE(next.HandedOver());
}

// A first copy that does not answer (its thread is stuck) keeps a new start waiting no
// longer than its wait: the new one runs, and takes the name once the stuck copy ends.
TEST(SingleInstance, AFirstCopyThatDoesNotAnswerDoesNotStopANewStart) {
  Application().Initialize();
  const std::string name = NameFor("stuck");
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread stuck([&] {
    const TSingleInstance first(name);
    SetEvent(ready);
    WaitForSingleObject(release, INFINITE);  // no messages are handled meanwhile
  });
  WaitForSingleObject(ready, INFINITE);
  {
    const TSingleInstance later(name, 300ms);
    EXPECT_FALSE(later.HandedOver());
    EXPECT_FALSE(later.Holds());
  }
  SetEvent(release);
  stuck.join();
  CloseHandle(ready);
  CloseHandle(release);
  const TSingleInstance next(name, 300ms);
  EXPECT_TRUE(next.Holds());
  EXPECT_FALSE(next.HandedOver());
}

// A copy that ends while a later start waits for its window (it has taken the name but
// not yet made the window, or is going away) passes the name to the later start.
TEST(SingleInstance, TheNameComesFreeWhileALaterStartWaits) {
  Application().Initialize();
  const std::string name = NameFor("ending");
  const std::wstring object = L"Local\\" + std::wstring(name.begin(), name.end()) + L".Instance";
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  // Holds the object the way a first copy does, without a window, for a moment.
  std::thread ending([&] {
    HANDLE held = CreateMutexW(nullptr, TRUE, object.c_str());
    SetEvent(ready);
    Sleep(200);
    ReleaseMutex(held);
    CloseHandle(held);
  });
  WaitForSingleObject(ready, INFINITE);
  const TSingleInstance later(name, 20s);
  ending.join();
  CloseHandle(ready);
  EXPECT_TRUE(later.Holds());
  EXPECT_FALSE(later.HandedOver());
}

}  // namespace
}  // namespace dorvane
