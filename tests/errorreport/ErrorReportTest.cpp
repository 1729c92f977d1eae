// The error report window: what it shows for an exception, the report the maker's
// server receives, and how the program ends once the server has answered.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/win32/WideString.h"
#include "errorreport/ErrorReport.h"
#include "framework/Dialogs.h"
#include "framework/Forms.h"
#include "framework/SysUtils.h"
#include "tests/support/MakerServer.h"
#include "tests/support/ScriptedDesktop.h"

namespace dorvane {
namespace {

using testing::MakerServer;
using testing::PumpFor;
using testing::PumpUntil;

constexpr const char* kReportPath = "/php/exceptions.php";

TEST(ReportQuery, KeepsTheUnderscoreRuleAndEscapesEverythingElse) {
  struct Case {
    const char* value;
    const char* sent;
  } cases[] = {
      {"List index out of bounds (5)", "List_index_out_of_bounds_(5)"},
      {"Microsoft Windows XP 5.1", "Microsoft_Windows_XP_5.1"},
      {"C:\\dir/file it's~-", "C%3A_dir_file_it's~-"},
      {"a&b=c?d#e%f", "a%26b%3Dc%3Fd%23e%25f"},
      {"line\r\nbreak", "line%0D%0Abreak"},
      {"\xC3\x9C" "ber+", "%C3%9Cber%2B"},  // "Über+"
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(BuildReportQuery({{"exception", c.value}}), std::string("?exception=") + c.sent);
  // The example of a tray failure, byte for byte.
  EXPECT_EQ(BuildReportQuery({{"program", "Dorvane"},
                              {"version", "3.3.0.0"},
                              {"exception", "List index out of bounds (5)"},
                              {"event", "set_tray"},
                              {"os", "Microsoft Windows XP 5.1"},
                              {"email", "anonymous"}}),
            "?program=Dorvane&version=3.3.0.0&exception=List_index_out_of_bounds_(5)&event=set_tray"
            "&os=Microsoft_Windows_XP_5.1&email=anonymous");
}

// A text value of the system's version key, read with the system's own call.
std::string SystemValue(const wchar_t* name) {
  wchar_t value[256] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", name, RRF_RT_REG_SZ,
                   nullptr, value, &size) != ERROR_SUCCESS)
    return {};
  return Narrow(value);
}

class ErrorReportTest : public testing::MakerServerTest {
 protected:
  void SetUp() override {
    Application().SetTitle("Dorvane");
    server->Reset();
    _putenv_s("DORVANE_SERVER", server->Host().c_str());
    Application().ClearTerminated();
    ErrorForm = new TErrorForm(&Application());
  }
  void TearDown() override {
    if (ErrorForm) ErrorForm->Free();
    Application().OnException = nullptr;
    Application().ClearTerminated();
  }

  // An exception escaping an event handler, as the framework hands it on.
  static void Raise(const std::string& message) {
    try {
      throw Exception(message);
    } catch (...) {
      Application().HandleException(nullptr);
    }
  }

  testing::ScriptedDesktop desktop;
  testing::InstalledDesktop installed{desktop};
};

TEST_F(ErrorReportTest, TheWindowAsDescribed) {
  TErrorForm& f = *ErrorForm;
  EXPECT_EQ(f.Caption(), "OrvikSystems Error Report");
  EXPECT_EQ(f.ClientWidth(), 351);
  EXPECT_EQ(f.ClientHeight(), 247);
  EXPECT_EQ(f.FormStyle(), fsStayOnTop);
  EXPECT_FALSE(f.Visible());
  EXPECT_EQ(f.ErrLabel->Caption(), "Unknown error");
  EXPECT_EQ(f.BtOk->Caption(), "Ok");
  EXPECT_FALSE(f.OSLabel->Visible());
  EXPECT_TRUE(f.HTTP->WaitThread);
  EXPECT_EQ(f.HTTP->Agent, "OrvikSystems HTTPGet");
  EXPECT_FALSE(static_cast<bool>(f.HTTP->OnError));
}

// Made at start without its window: the first exception builds and shows it with the tag
// recorded before; left alone, it is built once the message loop has run.
TEST_F(ErrorReportTest, AWindowMadeWhenNeededReportsTheFirstException) {
  ErrorForm->Free();
  ErrorForm = new TErrorForm(&Application(), TErrorForm::TBuild::whenNeeded);
  TErrorForm& f = *ErrorForm;
  EXPECT_FALSE(f.Built());
  EXPECT_FALSE(f.HandleAllocated());
  EXPECT_EQ(f.ErrLabel, nullptr);
  f.Record("program_start");
  Raise("Invalid data type for 'alpha'");
  ASSERT_TRUE(f.Built());
  EXPECT_TRUE(f.Visible());
  EXPECT_EQ(f.ShownMessage(), "Invalid data type for 'alpha'");
  EXPECT_EQ(f.ShownEvent(), "program_start");
  EXPECT_EQ(f.Caption(), "OrvikSystems Error Report");
  f.Free();

  ErrorForm = new TErrorForm(&Application(), TErrorForm::TBuild::whenNeeded);
  ErrorForm->Record("timer1");
  ASSERT_TRUE(PumpUntil([] { return ErrorForm->Built(); }, 5000));
  EXPECT_FALSE(ErrorForm->Visible());
  EXPECT_EQ(ErrorForm->LastEvent, "timer1");
  EXPECT_EQ(ErrorForm->ErrLabel->Caption(), "Unknown error");

  // Once the window has gone, an exception is shown in the plain message box.
  ErrorForm->Free();
  Raise("after the window");
  EXPECT_EQ(desktop.MessageTexts(), std::vector<std::string>{"after the window."});
}

// A window that cannot be built hands each report to the plain message box, the first
// and every later one, whether the build was tried at once or once the loop ran.
TEST_F(ErrorReportTest, AWindowThatCannotBeBuiltLeavesEveryExceptionToTheMessageBox) {
  ErrorForm->Free();
  ErrorForm = new TErrorForm(&Application(), TErrorForm::TBuild::whenNeeded, "NoSuchDescription");
  Raise("first");
  Raise("second");
  EXPECT_FALSE(ErrorForm->Built());
  EXPECT_EQ(ErrorForm->ComponentCount(), 0);
  EXPECT_EQ(desktop.MessageTexts(), (std::vector<std::string>{"first.", "second."}));
  // The deferred build fails as well (reported so), and the next exception is still shown.
  PumpFor(50);
  Raise("third");
  ASSERT_GE(desktop.messages.size(), 3u);
  EXPECT_EQ(desktop.MessageTexts().back(), "third.");
}

// A window whose showing fails stays hidden (not marked visible): that report goes to the
// message box, and the next exception shows the window.
TEST_F(ErrorReportTest, AWindowThatFailsToShowStaysHiddenAndTheNextReportShowsIt) {
  TErrorForm& f = *ErrorForm;
  const TNotifyEvent show = f.OnShow;
  f.OnShow = [](TObject*) { throw Exception("no room to show"); };
  Raise("first");
  EXPECT_FALSE(f.Visible());
  EXPECT_FALSE(IsWindowVisible(f.Handle()));
  EXPECT_EQ(desktop.MessageTexts(), std::vector<std::string>{"first."});
  f.OnShow = show;
  Raise("second");
  EXPECT_TRUE(f.Visible());
  EXPECT_TRUE(IsWindowVisible(f.Handle()));
  EXPECT_EQ(f.ShownMessage(), "second");
  EXPECT_EQ(desktop.messages.size(), 1u);
}

TEST_F(ErrorReportTest, TheReportCarriesTheMessageAndTheLastActivity_ThenTheReplyEndsTheProgram) {
  TErrorForm& f = *ErrorForm;
  f.Record("timer1");
  f.Record("set_tray");
  const std::string message = "50% of a&b #1 / c:\\x\nis \xC3\x9C" "ber";  // "... Über"
  Raise(message);
  ASSERT_TRUE(f.Visible());
  EXPECT_EQ(f.ErrLabel->Caption(), message);
  EXPECT_NE(f.TimeLabel->Caption(), "Date/time");
  // The system's own name for itself, read here from the two values the report names.
  const std::string os = SystemValue(L"ProductName") + " " + SystemValue(L"CurrentVersion");
  ASSERT_GT(os.size(), 2u);
  EXPECT_EQ(f.OSLabel->Caption(), os);

  // The server's reply is shown as it came, blanks and line breaks around it included.
  const std::string reply = "  Thank you,\r\n your report has been received. \n";
  server->Script(kReportPath, "normal", reply);
  f.BtOkClick(nullptr);
  EXPECT_EQ(f.BtOk->Caption(), "Connecting...");
  EXPECT_FALSE(f.BtOk->Enabled());
  ASSERT_TRUE(PumpUntil([&] { return Application().Terminated(); }, 20000));
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, reply);
  EXPECT_EQ(desktop.messages[0].buttons, static_cast<UINT>(MB_OK));

  const auto requests = server->Requests();
  ASSERT_EQ(requests.size(), 1u);
  const auto& r = requests[0];
  EXPECT_EQ(r.target.substr(0, std::string(kReportPath).size() + 1), std::string(kReportPath) + "?");
  EXPECT_EQ(r.queryKeys, (std::vector<std::string>{"program", "version", "exception", "event", "os", "email"}));
  EXPECT_EQ(r.query.at("program"), "\"Dorvane\"");
  EXPECT_EQ(r.query.at("version"), "\"" + FileVersionText(ExecutablePath()) + "\"");
  // What the server decodes is the message with its blanks and slashes underscored.
  EXPECT_EQ(r.query.at("exception"), "\"50%_of_a&b_#1___c:_x\\nis_\xC3\x9C" "ber\"");
  EXPECT_EQ(r.query.at("event"), "\"set_tray\"");
  std::string sentOs = os;
  for (char& c : sentOs)
    if (c == ' ') c = '_';
  EXPECT_EQ(r.query.at("os"), "\"" + sentOs + "\"");
  EXPECT_EQ(r.query.at("email"), "\"anonymous\"");
}

TEST_F(ErrorReportTest, ASecondExceptionReplacesTheMessage_TheTimeOnlyWhenShownAfresh) {
  TErrorForm& f = *ErrorForm;
  Raise("first");
  f.TimeLabel->SetCaption("shown");
  Raise("second");
  EXPECT_EQ(f.ErrLabel->Caption(), "second");
  EXPECT_EQ(f.TimeLabel->Caption(), "shown");  // still visible: not shown again
  f.Hide();
  Raise("third");
  EXPECT_TRUE(f.Visible());
  EXPECT_EQ(f.ErrLabel->Caption(), "third");
  EXPECT_NE(f.TimeLabel->Caption(), "shown");
}

TEST_F(ErrorReportTest, TheAddressIsSentWhenTicked_AClickIntoItTicks) {
  struct Case {
    bool click;
    const char* address;
    const char* sent;
  } cases[] = {
      {true, "jo doe/x@example.org", "\"jo_doe_x@example.org\""},
      {true, "", "\"\""},
      {false, "ignored@example.org", "\"anonymous\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    if (!ErrorForm) ErrorForm = new TErrorForm(&Application());
    server->Reset();
    Application().ClearTerminated();
    TErrorForm& f = *ErrorForm;
    Raise("boom");
    f.EMAIL->SetText(c.address);
    if (c.click) {
      // A real click into the box, as the window gets it.
      SendMessageW(f.EMAIL->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
      SendMessageW(f.EMAIL->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
    EXPECT_EQ(f.cbEMAIL->Checked(), c.click);
    f.BtOkClick(nullptr);
    ASSERT_TRUE(PumpUntil([&] { return Application().Terminated(); }, 20000));
    const auto requests = server->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].query.at("email"), c.sent);
    f.Free();
    ErrorForm = nullptr;
  }
}

TEST_F(ErrorReportTest, AFailedReportLeavesConnectingAndTheProgramRunning) {
  TErrorForm& f = *ErrorForm;
  server->Script(kReportPath, "empty");
  Raise("boom");
  f.BtOkClick(nullptr);
  ASSERT_TRUE(PumpUntil([&] { return server->Requests().size() == 1; }, 20000));
  PumpFor(500);
  EXPECT_FALSE(Application().Terminated());
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_EQ(f.BtOk->Caption(), "Connecting...");
  EXPECT_FALSE(f.BtOk->Enabled());
  EXPECT_TRUE(f.Visible());
}

}  // namespace
}  // namespace dorvane
