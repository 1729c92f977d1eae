// The HTTP getter against our loopback maker's server: what goes on the wire, which
// event each kind of reply gives, events on the window thread only, and transfers that
// are stopped or outlived by their component.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "components/HTTPGet.h"
#include "framework/Forms.h"
#include "tests/support/MakerServer.h"
#include "tests/support/ProcessCounters.h"

namespace dorvane {
namespace {

using testing::MakerServer;
using testing::PumpFor;
using testing::PumpUntil;
using testing::CountHandles;
using testing::CountThreads;
using testing::PrivateBytes;

constexpr const char* kVersionPath = "/php/versioncheck.php";
constexpr const char* kVersionReply = "You are running the latest version of Dorvane.";

// Everything a getter reported, and on which thread.
struct Outcome {
  std::vector<std::string> done;  // OnDoneString results
  int errors = 0;
  std::vector<std::pair<int, int>> progress;
  bool progressSenderWasGetter = false;
  bool offThread = false;
  int Events() const { return static_cast<int>(done.size()) + errors; }
};

class HTTPGetTest : public testing::MakerServerTest {
 protected:
  void SetUp() override {
    server->Reset();
    windowThread = GetCurrentThreadId();
    getter = new THTTPGet(nullptr);
    Watch(*getter, outcome);
  }
  void TearDown() override { delete getter; }

  void Watch(THTTPGet& g, Outcome& o) {
    g.OnDoneString = [this, &o](TObject*, const std::string& result) {
      o.offThread |= GetCurrentThreadId() != windowThread;
      o.done.push_back(result);
    };
    g.OnError = [this, &o](TObject*) {
      o.offThread |= GetCurrentThreadId() != windowThread;
      ++o.errors;
    };
  }

  bool WaitForEvent(DWORD ms = 20000) {
    return PumpUntil([&] { return outcome.Events() > 0; }, ms);
  }

  DWORD windowThread = 0;
  THTTPGet* getter = nullptr;
  Outcome outcome;
};

TEST(HttpUrlSplit, SchemeHostPortAndPath) {
  struct Case {
    const char* url;
    const char* host;
    unsigned short port;
    const char* path;
  } cases[] = {
      {"http://www.example.org/php/versioncheck.php?program=Dorvane&version=3.3.0.0", "www.example.org", 80,
       "/php/versioncheck.php?program=Dorvane&version=3.3.0.0"},
      {"HTTP://Host.Example/a", "Host.Example", 80, "/a"},
      {"hTtP://h/", "h", 80, "/"},
      {"127.0.0.1:8080/enter.php?ref=a:b", "127.0.0.1", 8080, "/enter.php?ref=a:b"},
      {"http://h:99999/x", "h:99999", 80, "/x"},  // no port that fits: part of the name
      {"http://h:web/x", "h:web", 80, "/x"},
      {"http://host-only", "", 80, "host-only"},
      {"ftp://h/x", "ftp:", 80, "//h/x"},
      {"", "", 80, ""},
  };
  for (const Case& c : cases) {
    const HttpUrlParts parts = SplitHttpUrl(c.url);
    EXPECT_EQ(parts.host, c.host) << c.url;
    EXPECT_EQ(parts.port, c.port) << c.url;
    EXPECT_EQ(parts.path, c.path) << c.url;
  }
}

TEST_F(HTTPGetTest, SendsThePlainRequestAndHandsBackTheBody) {
  getter->URL = "HTTP://" + server->Host() + kVersionPath + "?program=Dorvane&version=3.3.0.0";
  getter->GetString();
  EXPECT_TRUE(getter->Running());
  ASSERT_TRUE(WaitForEvent());
  EXPECT_EQ(outcome.done, std::vector<std::string>{kVersionReply});
  EXPECT_FALSE(outcome.offThread);
  EXPECT_TRUE(getter->Success());
  EXPECT_FALSE(getter->Running());

  const auto requests = server->Requests();
  ASSERT_EQ(requests.size(), 1u);
  const auto& r = requests[0];
  EXPECT_EQ(r.method, "GET");
  EXPECT_EQ(r.target, std::string(kVersionPath) + "?program=Dorvane&version=3.3.0.0");
  EXPECT_EQ(r.version, "HTTP/1.0");
  EXPECT_EQ(r.Header("User-Agent"), "OrvikSystems HTTPGet");
  EXPECT_EQ(r.Header("Accept"), "*/*");
  EXPECT_EQ(r.HeaderCount("Accept"), 1);
  EXPECT_EQ(r.Header("Host").substr(0, 9), "127.0.0.1");

}

// The program's requests bypass the cache: a reply the server allowed any cache to keep
// for a day is asked for again, in full (no question whether it changed), and the new
// reply arrives.
TEST_F(HTTPGetTest, AReplyACacheMayKeepIsFetchedAgainInFull) {
  getter->URL = server->Url(std::string(kVersionPath) + "?program=Dorvane");
  server->Script(kVersionPath, "cacheable", "The first reply");
  getter->GetString();
  ASSERT_TRUE(WaitForEvent());
  server->Script(kVersionPath, "cacheable", "A newer reply");
  outcome = {};
  getter->GetString();
  ASSERT_TRUE(WaitForEvent());
  EXPECT_EQ(outcome.done, std::vector<std::string>{"A newer reply"});
  const auto requests = server->Requests();
  ASSERT_EQ(requests.size(), 2u);
  for (const char* asked : {"If-Modified-Since", "If-None-Match"}) EXPECT_EQ(requests[1].HeaderCount(asked), 0) << asked;
}

// The worker's completion message lost on its way (dropped from the window thread's
// queue here, as a full queue would refuse it): the next request still works, and the
// answer that was lost is delivered first, late rather than never.
TEST_F(HTTPGetTest, ALostCompletionDoesNotWedgeTheGetter) {
  getter->URL = server->Url(kVersionPath);
  getter->GetString();
  // The worker posts its completion to the getters' hidden window once it has ended.
  bool dropped = false;
  const DWORD deadline = GetTickCount() + 20000;
  while (!dropped && GetTickCount() < deadline) {
    MSG msg;
    dropped = PeekMessageW(&msg, nullptr, WM_APP, 0xBFFF, PM_REMOVE) != FALSE;
    if (!dropped) Sleep(10);
  }
  ASSERT_TRUE(dropped);
  PumpFor(100);
  EXPECT_EQ(outcome.Events(), 0);
  EXPECT_TRUE(getter->Running()) << "the getter still waits for the lost completion";
  server->Script(kVersionPath, "normal", "The second reply");
  getter->GetString();
  ASSERT_TRUE(PumpUntil([&] { return outcome.done.size() == 2; }, 20000));
  EXPECT_EQ(outcome.done, (std::vector<std::string>{kVersionReply, "The second reply"}));
  EXPECT_EQ(server->Requests().size(), 2u);
  EXPECT_FALSE(getter->Running());
}

TEST_F(HTTPGetTest, APostQueryIsPostedAsAForm) {
  getter->URL = server->Url("/php/exceptions.php");
  getter->PostQuery = "a=1&b=x y";
  getter->GetString();
  ASSERT_TRUE(WaitForEvent());
  const auto requests = server->Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].Header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(requests[0].body, "\"a=1&b=x y\"");
  EXPECT_EQ(outcome.done.size(), 1u);
}

TEST_F(HTTPGetTest, EachKindOfReplyGivesItsEvent) {
  struct Case {
    const char* mode;
    bool binary;
    bool done;
    std::string body;
  } cases[] = {
      {"normal", false, true, kVersionReply},
      {"delay:1", false, true, kVersionReply},
      {"nolength", false, true, kVersionReply},
      {"404", false, true, kVersionReply},  // any body is an answer, an error page too
      {"cut:5", false, true, "You a"},      // what arrived before the connection closed
      {"empty", false, false, ""},
      {"nolength", true, false, ""},  // binary data needs the length before reading
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.mode << (c.binary ? " binary" : ""));
    server->Script(kVersionPath, c.mode);
    outcome = {};
    getter->BinaryData = c.binary;
    getter->URL = server->Url(kVersionPath);
    getter->GetString();
    ASSERT_TRUE(WaitForEvent());
    PumpFor(50);
    EXPECT_EQ(outcome.Events(), 1);
    EXPECT_FALSE(outcome.offThread);
    if (c.done) EXPECT_EQ(outcome.done, std::vector<std::string>{c.body});
    else EXPECT_EQ(outcome.errors, 1);
  }
}

TEST_F(HTTPGetTest, FailuresBeforeAnyBodyGiveOnError) {
  // Nothing listens on the discard port; a URL without "/" has no host.
  for (const char* url : {"http://127.0.0.1:9/x", "http://nohost"}) {
    outcome = {};
    getter->URL = url;
    getter->GetString();
    ASSERT_TRUE(WaitForEvent()) << url;
    EXPECT_EQ(outcome.errors, 1) << url;
    EXPECT_FALSE(getter->Success());
  }
}

TEST_F(HTTPGetTest, SeveralMegabytesArriveWhole_InChunksOfAtMost1025Bytes) {
  constexpr int kSize = 5'000'000;
  server->Script(kVersionPath, "big:" + std::to_string(kSize));
  DWORD progressThread = 0;
  getter->OnProgress = [&](TObject* sender, int total, int readed) {
    outcome.progressSenderWasGetter |= sender == getter;
    progressThread = GetCurrentThreadId();
    outcome.progress.emplace_back(total, readed);
  };
  getter->URL = server->Url(kVersionPath);
  getter->GetString();
  ASSERT_TRUE(WaitForEvent(60000));
  ASSERT_EQ(outcome.done.size(), 1u);
  const std::string& body = outcome.done[0];
  ASSERT_EQ(body.size(), static_cast<std::size_t>(kSize));
  EXPECT_EQ(body.substr(0, 12), "012345678901");
  EXPECT_EQ(body.substr(kSize - 3), "789");
  ASSERT_FALSE(outcome.progress.empty());
  EXPECT_EQ(progressThread, windowThread);
  EXPECT_FALSE(outcome.progressSenderWasGetter);  // the worker is the sender
  int previous = 0;
  for (const auto& [total, readed] : outcome.progress) {
    EXPECT_EQ(total, kSize);
    ASSERT_GT(readed, previous);
    ASSERT_LE(readed - previous, 1025);
    previous = readed;
  }
  EXPECT_EQ(previous, kSize);
  EXPECT_GE(outcome.progress.size(), static_cast<std::size_t>((kSize + 1024) / 1025));
}

TEST_F(HTTPGetTest, FileModeSucceedsOnlyWithTheAnnouncedLength) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  const std::string file = Narrow(dir) + "dorvane-httpget-test.bin";
  int doneSize = -1;
  std::string doneName;
  getter->OnDoneFile = [&](TObject*, const std::string& name, int size) {
    doneName = name;
    doneSize = size;
    outcome.done.push_back("file");
  };
  getter->FileName = file;
  getter->URL = server->Url(kVersionPath);

  server->Script(kVersionPath, "big:300000");
  getter->GetFile();
  ASSERT_TRUE(WaitForEvent(30000));
  EXPECT_EQ(doneName, file);
  EXPECT_EQ(doneSize, 300000);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExW(Widen(file).c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, 300000u);

  for (const char* mode : {"cut:5", "nolength"}) {
    outcome = {};
    server->Script(kVersionPath, mode);
    getter->GetFile();
    ASSERT_TRUE(WaitForEvent()) << mode;
    EXPECT_EQ(outcome.errors, 1) << mode;
  }
  DeleteFileW(Widen(file).c_str());
}

TEST_F(HTTPGetTest, AStartDuringATransferIsIgnored_AlsoFromInsideTheHandler) {
  server->Script(kVersionPath, "delay:1");
  getter->URL = server->Url(kVersionPath);
  int restarts = 0;
  getter->OnDoneString = [&](TObject*, const std::string& result) {
    outcome.done.push_back(result);
    if (restarts++ == 0) getter->GetString();  // still running: ignored
  };
  getter->GetString();
  getter->URL = server->Url("/enter.php");
  getter->GetString();
  ASSERT_TRUE(WaitForEvent());
  PumpFor(1500);
  EXPECT_EQ(outcome.done, std::vector<std::string>{kVersionReply});
  EXPECT_EQ(server->Requests().size(), 1u);
  // Idle again: the next start goes out.
  getter->GetString();
  ASSERT_TRUE(PumpUntil([&] { return outcome.done.size() == 2; }, 20000));
  EXPECT_EQ(outcome.done[1].substr(0, 6), "<html>");
}

TEST_F(HTTPGetTest, WaitThreadDispatchesWaitingMessagesAndReturnsBeforeTheReply) {
  server->Script(kVersionPath, "delay:1");
  bool dispatched = false;
  TUtilityWindow window([&](UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg != WM_APP + 7) return std::nullopt;
    dispatched = true;
    return 0;
  });
  PostMessageW(window.Handle(), WM_APP + 7, 0, 0);
  getter->WaitThread = true;
  getter->URL = server->Url(kVersionPath);
  getter->GetString();
  EXPECT_TRUE(dispatched);
  EXPECT_EQ(outcome.Events(), 0);
  ASSERT_TRUE(WaitForEvent());
  EXPECT_EQ(outcome.done.size(), 1u);
}

TEST_F(HTTPGetTest, AbortEndsARunningTransferWithOnError) {
  server->Script(kVersionPath, "never");
  getter->URL = server->Url(kVersionPath);
  getter->GetString();
  ASSERT_TRUE(PumpUntil([&] { return server->Requests().size() == 1; }, 20000));
  getter->Abort();
  ASSERT_TRUE(WaitForEvent());
  EXPECT_EQ(outcome.errors, 1);
  EXPECT_FALSE(outcome.offThread);
  EXPECT_FALSE(getter->Running());
  server->Release();
  PumpFor(300);
  EXPECT_EQ(outcome.Events(), 1);  // the worker's own end reaches nobody
}

bool ThreadsBackTo(int count) {
  return PumpUntil([&] { return CountThreads() <= count; }, 20000);
}

// Destroyed while the server holds its request, the getter only asks its worker to stop:
// the destroy returns with the worker still inside the request (nothing closed its handles
// under it, nothing waited for the transfer's end), and the worker ends by itself once the
// server lets go, its end reaching nobody.
TEST_F(HTTPGetTest, DestroyingTheGetterDuringANeverAnsweredTransferLeavesItsWorkerToEndByItself) {
  const int threadsBefore = CountThreads();
  server->Script(kVersionPath, "never");
  getter->URL = server->Url(kVersionPath);
  getter->GetString();
  ASSERT_TRUE(PumpUntil([&] { return server->Requests().size() == 1; }, 20000));
  delete getter;
  getter = nullptr;
  PumpFor(300);
  EXPECT_GT(CountThreads(), threadsBefore) << "the worker ended while the server still held its request";
  server->Release();
  PumpFor(500);
  EXPECT_EQ(outcome.Events(), 0);
  EXPECT_TRUE(ThreadsBackTo(threadsBefore)) << CountThreads() << " threads, " << threadsBefore << " before";
}

TEST_F(HTTPGetTest, AHandlerMayDestroyItsGetter) {
  getter->OnDoneString = [&](TObject*, const std::string& result) {
    outcome.done.push_back(result);
    delete getter;
    getter = nullptr;
  };
  getter->URL = server->Url(kVersionPath);
  getter->GetString();
  ASSERT_TRUE(WaitForEvent());
  EXPECT_EQ(getter, nullptr);
}

TEST_F(HTTPGetTest, AThousandTransfersLeaveNoThreadsHandlesOrMemoryBehind) {
  getter->URL = server->Url("/enter.php");
  auto run = [&](int count) {
    for (int i = 0; i < count; ++i) {
      const std::size_t before = outcome.done.size();
      getter->GetString();
      if (!PumpUntil([&] { return outcome.done.size() > before || outcome.errors; }, 20000)) return false;
    }
    return outcome.errors == 0;
  };
  ASSERT_TRUE(run(30));  // the system's own one-time allocations
  PumpFor(200);
  const int threads = CountThreads();
  const int handles = CountHandles();
  const SIZE_T memory = PrivateBytes();
  ASSERT_TRUE(run(1000));
  PumpFor(200);
  const int threadsAfter = CountThreads();
  const int handlesAfter = CountHandles();
  const SIZE_T memoryAfter = PrivateBytes();
  std::printf("1000 transfers: threads %d -> %d, handles %d -> %d, private bytes %zu -> %zu\n", threads,
              threadsAfter, handles, handlesAfter, static_cast<std::size_t>(memory),
              static_cast<std::size_t>(memoryAfter));
  EXPECT_EQ(outcome.done.size(), 1030u);
  EXPECT_LE(threadsAfter, threads);
  EXPECT_LE(handlesAfter, handles);
  // A leak of even 1 KB per transfer would show as a megabyte.
  EXPECT_LT(static_cast<double>(memoryAfter) - static_cast<double>(memory), 1024.0 * 1024.0);
}

}  // namespace
}  // namespace dorvane
