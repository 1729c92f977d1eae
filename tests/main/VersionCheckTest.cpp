// The version check against our maker's server: the quiet start-up check, the interactive
// one, the download offer, and a window that keeps running while the server takes its
// time.
#include <cstdio>
#include <cstdlib>

#include "tests/main/MainWindowFixture.h"
#include "tests/support/MakerServer.h"

namespace dorvane {
namespace {

constexpr const char* kVersionPath = "/php/versioncheck.php";
constexpr const char* kPlain = "You are running the latest version of Dorvane.";
constexpr const char* kQuestion =
    "A newer version is available, do you want to close this program and download the installer now?";

class VersionCheckTest : public testing::MainWindowTest {
 protected:
  static void SetUpTestSuite() { server = new testing::MakerServer(); }
  static void TearDownTestSuite() {
    delete server;
    server = nullptr;
  }
  void SetUp() override {
    MainWindowTest::SetUp();
    server->Reset();
    _putenv_s("DORVANE_SERVER", server->Host().c_str());
  }
  void TearDown() override {
    MainWindowTest::TearDown();
    _putenv_s("DORVANE_SERVER", "127.0.0.1:9");
  }
  // Waits until the server has seen `count` version requests and the window has handled
  // the last reply.
  bool Answered(std::size_t count) {
    return testing::PumpUntil([&] { return server->Requests().size() >= count && !form->UPDATER->Running(); },
                              30000);
  }
  static inline testing::MakerServer* server = nullptr;
};

TEST_F(VersionCheckTest, APlainReplyIsShownOnlyWhenAskedFor) {
  TForm1& f = Start();  // "auto version check" is ticked by default
  // Its transfer begins once the loop has run: nothing of it holds up the window.
  EXPECT_FALSE(f.UPDATER->Running());
  EXPECT_TRUE(server->Requests().empty());
  ASSERT_TRUE(Answered(1));
  EXPECT_TRUE(desktop.messages.empty());
  const auto first = server->Requests()[0];
  EXPECT_EQ(first.target, std::string(kVersionPath) + "?program=Dorvane&version=3.3.0.0");

  f.checkfornewerversion1Click(nullptr);
  const std::vector<std::string> trail(tags.end() - 2, tags.end());
  EXPECT_EQ(trail, (std::vector<std::string>{"version_check_0", "get_version"}));
  EXPECT_EQ(ErrorForm->LastEvent, "get_version");  // until another operation records its own
  ASSERT_TRUE(Answered(2));
  EXPECT_EQ(desktop.MessageTexts(), std::vector<std::string>{kPlain});
  f.SpeedButton5Click(nullptr);
  ASSERT_TRUE(Answered(3));
  EXPECT_EQ(desktop.messages.size(), 2u);
}

TEST_F(VersionCheckTest, ADownloadAddressIsOffered_NoKeepsRunning_YesOpensItAndCloses) {
  const std::string address = "http://127.0.0.1:1/setup.exe";
  server->Script(kVersionPath, "normal", "  " + address + "\r\n");
  desktop.messageAnswer = IDNO;
  TForm1& f = Start();
  ASSERT_TRUE(Answered(1));
  ASSERT_EQ(desktop.MessageTexts(), std::vector<std::string>{kQuestion});
  EXPECT_EQ(desktop.messages[0].type, mtConfirmation);
  EXPECT_EQ(desktop.messages[0].buttons, static_cast<UINT>(MB_YESNO));
  EXPECT_TRUE(desktop.documents.empty());
  EXPECT_TRUE(f.Visible());
  // A box closed without an answer (Escape, closed from outside: 0 or IDCANCEL) is no Yes.
  for (const int answer : {IDCANCEL, 0}) {
    desktop.messageAnswer = answer;
    const std::size_t asked = desktop.messages.size();
    f.checkfornewerversion1Click(nullptr);
    ASSERT_TRUE(testing::PumpUntil([&] { return desktop.messages.size() > asked; }, 30000)) << answer;
    EXPECT_TRUE(desktop.documents.empty()) << answer;
    EXPECT_FALSE(Application().Terminated()) << answer;
    EXPECT_TRUE(f.Visible()) << answer;
  }

  desktop.messageAnswer = IDYES;
  f.checkfornewerversion1Click(nullptr);
  ASSERT_TRUE(testing::PumpUntil([&] { return Application().Terminated(); }, 30000));
  EXPECT_EQ(desktop.documents, std::vector<std::string>{address});
  EXPECT_EQ(Stored("pos_x"), std::to_string(f.Left()));  // closed through its closing steps
}

TEST_F(VersionCheckTest, AnAddressInCapitalsIsOnlyAMessage) {
  server->Script(kVersionPath, "normal", "HTTP://127.0.0.1:1/setup.exe");
  TForm1& f = Start();
  ASSERT_TRUE(Answered(1));
  EXPECT_TRUE(desktop.messages.empty());  // quiet: dropped
  f.SpeedButton5Click(nullptr);
  ASSERT_TRUE(Answered(2));
  EXPECT_EQ(desktop.MessageTexts(), std::vector<std::string>{"HTTP://127.0.0.1:1/setup.exe"});
}

TEST_F(VersionCheckTest, AskingWhileTheStartUpCheckRunsSendsNothingNew_TheReplyIsShown) {
  server->Script(kVersionPath, "delay:3");
  TForm1& f = Start();
  // The deferred start-up check has begun: its request is with the server, which holds it.
  ASSERT_TRUE(testing::PumpUntil([&] { return f.UPDATER->Running() && server->Requests().size() == 1; }, 30000));
  f.checkfornewerversion1Click(nullptr);
  EXPECT_TRUE(f.UPDATER->Running());
  ASSERT_TRUE(Answered(1));
  testing::PumpFor(300);
  EXPECT_EQ(server->Requests().size(), 1u);
  EXPECT_EQ(desktop.MessageTexts(), std::vector<std::string>{kPlain});
}

TEST_F(VersionCheckTest, TheWindowKeepsTickingWhileTheServerTakesTenSeconds) {
  server->Script(kVersionPath, "delay:10");
  TForm1& f = Start();
  const int before = CountTag("timer1");
  f.checkfornewerversion1Click(nullptr);
  ASSERT_TRUE(Answered(1));
  const int ticks = CountTag("timer1") - before;
  std::printf("refresh ticks while the version check waited 10 s: %d\n", ticks);
  EXPECT_EQ(desktop.MessageTexts(), std::vector<std::string>{kPlain});
  EXPECT_GE(ticks, 2);  // a blocked window would not tick at all
}

}  // namespace
}  // namespace dorvane
