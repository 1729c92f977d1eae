// The program's end, by every way out: the loop ends, the windows are destroyed in order
// and the application object is freed, so the tray icon leaves the notification area and
// the form storage saves; the end of the session does the same from its messages.
#include "tests/main/MainWindowFixture.h"

namespace dorvane {
namespace {

using ShutdownTest = testing::MainWindowTest;

class ShutdownTestWays : public ShutdownTest {
 protected:
  // The shell calls after the last add: what became of the icon.
  std::vector<DWORD> CallsAfterLastAdd() const {
    std::vector<DWORD> after;
    for (const auto& call : desktop.shellCalls) {
      if (call.message == NIM_ADD) after.clear();
      else after.push_back(call.message);
    }
    return after;
  }
  bool IconRemoved() const {
    const std::vector<DWORD> after = CallsAfterLastAdd();
    return !after.empty() && after.back() == NIM_DELETE;
  }
};

TEST_F(ShutdownTestWays, EveryWayOutRemovesTheIconStoresTheSettingsAndFreesTheApplication) {
  struct Way {
    const char* name;
    bool closingSteps;  // the main window's own closing steps run (pos_x, Labels)
    std::function<void(TForm1&, testing::ScriptedDesktop&)> take;
  };
  const Way ways[] = {
      {"Exit in the tray menu", true, [](TForm1& f, auto&) { f.close1Click(nullptr); }},
      {"Exit in the window's menu", true, [](TForm1& f, auto&) { f.exit1Click(nullptr); }},
      {"the close button", true, [](TForm1& f, auto&) { f.btCloseClick(nullptr); }},
      {"the window's close message", true, [](TForm1& f, auto&) { SendMessageW(f.Handle(), WM_CLOSE, 0, 0); }},
      {"the download offer taken", true,
       [](TForm1& f, testing::ScriptedDesktop& d) {
         d.messageAnswer = IDYES;
         f.UPDATERDoneString(nullptr, "http://127.0.0.1/dorvane-setup.exe");
       }},
      {"the error report answered", false,
       [](TForm1&, auto&) {
         ASSERT_NE(ErrorForm, nullptr);
         ErrorForm->HTTPDoneString(nullptr, "Thank you");
       }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    desktop.shellCalls.clear();
    desktop.messageAnswer = IDOK;
    TForm1& f = Start();
    f.BtSwitch->SetCaption("letters");
    testing::TickAsUser(*f.DList, 0);
    // Taken from inside the message loop, as a click would be.
    Application().Later(&f, [&] { way.take(f, desktop); });
    RunProgram();
    form = nullptr;  // freed with the application
    EXPECT_EQ(ErrorForm, nullptr);
    EXPECT_EQ(Form2, nullptr);
    EXPECT_EQ(Application().MainForm(), nullptr);  // a new, empty application object
    EXPECT_EQ(Application().ComponentCount(), 0);
    EXPECT_TRUE(IconRemoved()) << "shell calls after the last add: " << CallsAfterLastAdd().size();
    // The form storage saved the stored properties and the check marks.
    EXPECT_EQ(Stored("CheckBox1_Checked"), "True");
    EXPECT_EQ(Stored("TbWT_Position"), "5");
    EXPECT_EQ(Stored("0 active"), "true");
    EXPECT_EQ(Stored("Labels"), way.closingSteps ? "letters" : "(none)");
    // Back to a fresh start for the next way, on the new application object.
    Application().SetDesktop(&desktop);
    Application().ClearTerminated();  // the quit message the last way left
    RegisterProgramClasses();
    DeleteSettings();
  }
}

TEST_F(ShutdownTestWays, TheEndOfTheSessionStoresTheSettingsAndRemovesTheIcon) {
  TForm1& f = Start();
  testing::TickAsUser(*f.DList, 0);
  HWND window = f.Handle();
  DeleteSettings();
  // Asked whether the session may end: yes, and the settings are stored.
  EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_EQ(Stored("CheckBox1_Checked"), "True");
  EXPECT_EQ(Stored("0 active"), "true");
  // A session that goes on after all changes nothing.
  SendMessageW(window, WM_ENDSESSION, FALSE, 0);
  EXPECT_EQ(Application().MainForm(), &f);
  EXPECT_FALSE(IconRemoved());
  SendMessageW(window, WM_ENDSESSION, TRUE, 0);
  form = nullptr;  // destroyed in its own message
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(ErrorForm, nullptr);
  EXPECT_EQ(Application().MainForm(), nullptr);
  EXPECT_TRUE(Application().Terminated());
  EXPECT_TRUE(IconRemoved());
}

// The application window hears of the session's end too (the main window may be hidden,
// or hear of it later), and a forced end asks nothing first: whichever window hears
// first ends the program, and the settings are stored as the window is destroyed.
TEST_F(ShutdownTestWays, TheEndOfTheSessionReachingTheApplicationWindowFirstEndsItAll) {
  TForm1& f = Start();
  testing::TickAsUser(*f.DList, 0);
  DeleteSettings();
  SendMessageW(Application().Handle(), WM_ENDSESSION, TRUE, 0);
  form = nullptr;
  EXPECT_EQ(Application().MainForm(), nullptr);
  EXPECT_EQ(Application().ComponentCount(), 0);
  EXPECT_TRUE(IconRemoved());
  EXPECT_EQ(Stored("CheckBox1_Checked"), "True");
  EXPECT_EQ(Stored("0 active"), "true");
}

}  // namespace
}  // namespace dorvane
