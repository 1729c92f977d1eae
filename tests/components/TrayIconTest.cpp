// The tray icon component against Wine's user32: the shell is replaced by a recorder
// (headless Wine has no notification area), the shell's notifications are sent to the
// real shared handler window, timers and hooks are real.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <new>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "components/ComponentsRegistration.h"
#include "components/NotifyTrayIcon.h"
#include "components/SimpleTimer.h"
#include "core/Text.h"
#include "framework/ClassBuilder.h"
#include "framework/DisplayMetrics.h"
#include "framework/Edit.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/Resources.h"
#include "tests/support/ProcessCounters.h"
#include "tests/support/ScriptedDesktop.h"
#include "tests/support/Pump.h"
#include "tests/support/TestBmp.h"

namespace dorvane {
namespace {

std::vector<std::string>& Errors() {
  static std::vector<std::string> errors;
  return errors;
}

using testing::PumpFor;
using testing::PumpUntil;

constexpr TColor kColors[] = {RGBColor(200, 30, 30), RGBColor(30, 200, 30), RGBColor(30, 30, 200),
                              RGBColor(200, 200, 30)};

// A BMP file of 16x16 blocks side by side, one per colour.
std::vector<std::uint8_t> StripBmp() {
  std::vector<TColor> pixels;
  for (int y = 0; y < 16; ++y)
    for (TColor c : kColors) pixels.insert(pixels.end(), 16, c);
  return testing::MakeBmp(24, 16 * static_cast<int>(std::size(kColors)), 16, pixels);
}

TColor IconColor(const TIcon& icon) {
  TBitmap bitmap(16, 16);
  icon.Draw(bitmap.Canvas(), RECT{0, 0, 16, 16});
  return bitmap.Pixel(8, 8);
}

template <std::size_t N>
bool AllZero(const WCHAR (&field)[N]) {
  for (WCHAR c : field)
    if (c != 0) return false;
  return true;
}

class TTrayTestForm : public TForm {
  DORVANE_CLASS(TTrayTestForm)
 public:
  TTrayTestForm(TComponent* owner, const std::string& text, bool answer) : TForm(owner), startupAnswer(answer) {
    InitializeFormText(text);
  }
  void TrayStartup(TObject*, bool& showMainForm) {
    ++startups;
    showMainForm = startupAnswer;
  }
  bool startupAnswer;
  int startups = 0;

 protected:
  std::vector<MethodEntry> Methods() const override { return {Method("TrayStartup", &TTrayTestForm::TrayStartup)}; }
};

const ClassInfo& TTrayTestForm::StaticClass() {
  static const ClassInfo info = ClassBuilder<TTrayTestForm>("TTrayTestForm", &TForm::StaticClass()).Build();
  return info;
}

class TrayIconTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Application().Initialize();
    RegisterServiceComponents();
    AddTestResource("TRAYTESTSTRIP", StripBmp());
    Application().OnException = [](TObject*, const Exception& e) { Errors().push_back(e.Message()); };
  }

  void SetUp() override {
    Errors().clear();
    form = new TForm(&Application());
    form->SetBounds(0, 0, 200, 100);
    form->HandleNeeded();
    tray = new TNotifyTrayIcon(form);
  }

  void TearDown() override {
    if (form) form->Free();
    Application().SetMainForm(nullptr);
    Application().SetShowMainForm(true);
    EXPECT_TRUE(Errors().empty()) << Errors().front();
  }

  LRESULT Notify(LPARAM mouseMessage, TNotifyTrayIcon* icon = nullptr) {
    return SendMessageW(TTrayIconHandler::CurrentWindow(), kTrayCallbackMessage, (icon ? icon : tray)->Id(),
                        mouseMessage);
  }

  TImageList* MakeList() {
    auto* list = new TImageList(form);
    list->Strip().LoadFromResourceName("TRAYTESTSTRIP");
    return list;
  }

  std::vector<DWORD> Messages() const {
    std::vector<DWORD> m;
    for (const auto& c : calls) m.push_back(c.message);
    return m;
  }

  testing::ScriptedDesktop desktop;
  testing::InstalledDesktop installed{desktop};
  std::vector<testing::ScriptedDesktop::ShellCall>& calls = desktop.shellCalls;
  TForm* form = nullptr;
  TNotifyTrayIcon* tray = nullptr;
};

TEST_F(TrayIconTest, RecordHoldsTheHandlerWindowAndAUniqueIdentity) {
  auto* other = new TNotifyTrayIcon(form);
  const NOTIFYICONDATAW& d = tray->Data();
  EXPECT_EQ(TTrayIconHandler::CurrentWindow(), d.hWnd);
  EXPECT_EQ(other->Data().hWnd, d.hWnd);  // one handler window for both
  EXPECT_NE(other->Id(), tray->Id());
  EXPECT_EQ(UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP), d.uFlags);
  EXPECT_EQ(2048u, d.uCallbackMessage);
  // A notification for one icon reaches that icon only.
  int clicks = 0, otherClicks = 0;
  tray->OnClick = [&](TObject* s) { clicks += s == tray; };
  other->OnClick = [&](TObject* s) { otherClicks += s == other; };
  Notify(WM_LBUTTONDOWN, other);
  Notify(WM_LBUTTONUP, other);
  EXPECT_EQ(0, clicks);
  EXPECT_EQ(1, otherClicks);
  other->Free();
}

TEST_F(TrayIconTest, HintIsCutTo127CharactersAndSentOnlyWhenItChanges) {
  tray->SetHint(std::string(200, 'x'));
  EXPECT_EQ(std::string(127, 'x'), tray->Hint());
  ASSERT_EQ(1u, calls.size());
  EXPECT_EQ(DWORD(NIM_MODIFY), calls[0].message);
  EXPECT_EQ(std::wstring(127, L'x'), calls[0].data.szTip);

  tray->SetHint(std::string(300, 'x'));  // the same after the cut
  EXPECT_EQ(1u, calls.size());

  // Counted as the shell counts its tooltip, in UTF-16 units: e-acute takes one, the
  // emoji two. The hint kept is the tooltip shown, and no pair is split.
  const std::string pair = "\xC3\xA9\xF0\x9F\x98\x80";  // 3 units
  std::string wide;
  for (int i = 0; i < 100; ++i) wide += pair;  // 300 units
  std::string kept;
  for (int i = 0; i < 42; ++i) kept += pair;  // 126 units
  tray->SetHint(wide);
  EXPECT_EQ(kept + "\xC3\xA9", tray->Hint()) << "127 units: 42 pairs and an e-acute";
  std::wstring tip = calls.back().data.szTip;
  std::wstring expectedTip;
  for (int i = 0; i < 42; ++i) expectedTip += L"\u00E9\xD83D\xDE00";
  EXPECT_EQ(expectedTip + L"\u00E9", tip);
  tray->SetHint("\xC3\xA9" + wide);  // the 127th unit would be half an emoji
  EXPECT_EQ("\xC3\xA9" + kept, tray->Hint());
  EXPECT_EQ(L"\u00E9" + expectedTip, std::wstring(calls.back().data.szTip));
  tray->SetHint(wide);
  tip = calls.back().data.szTip;

  tray->SetShowHint(false);
  EXPECT_TRUE(AllZero(calls.back().data.szTip));
  tray->SetShowHint(true);
  EXPECT_EQ(tip, calls.back().data.szTip);
  tray->SetHint("");
  EXPECT_TRUE(AllZero(calls.back().data.szTip));
}

TEST_F(TrayIconTest, IconIndexSelectsAListPictureAndIsClamped) {
  tray->SetIconIndex(3);
  EXPECT_EQ(0, tray->IconIndex());  // no list
  EXPECT_TRUE(tray->Icon()->Empty());

  TImageList* list = MakeList();
  ASSERT_EQ(4, list->Count());
  tray->SetIconList(list);
  tray->SetIconIndex(1);
  EXPECT_EQ(kColors[1], IconColor(*tray->Icon()));
  tray->SetIconIndex(4);
  EXPECT_EQ(3, tray->IconIndex());
  EXPECT_EQ(kColors[3], IconColor(*tray->Icon()));
  tray->SetIconIndex(100);
  EXPECT_EQ(3, tray->IconIndex());
  EXPECT_EQ(tray->Icon()->Handle(), calls.back().data.hIcon);

  // The same picture again: no new icon handle, no shell call.
  const HICON shown = tray->Icon()->Handle();
  const std::size_t sent = calls.size();
  tray->SetIconIndex(3);
  EXPECT_EQ(shown, tray->Icon()->Handle());
  EXPECT_EQ(sent, calls.size());

  list->Free();
  EXPECT_EQ(nullptr, tray->IconList());
  EXPECT_EQ(0, tray->IconIndex());
}

// The periodic refresh changes picture and tooltip together: one shell call carries both,
// none when neither changed, and a failed call is made again the next time.
TEST_F(TrayIconTest, PictureAndHintTogetherAreOneShellCall) {
  tray->SetIconList(MakeList());
  tray->SetIconIndexAndHint(2, "C: 10 GB free");
  ASSERT_EQ((std::vector<DWORD>{NIM_MODIFY}), Messages());
  EXPECT_EQ(std::wstring(L"C: 10 GB free"), calls[0].data.szTip);
  EXPECT_EQ(tray->Icon()->Handle(), calls[0].data.hIcon);
  EXPECT_EQ(kColors[2], IconColor(*tray->Icon()));

  tray->SetIconIndexAndHint(2, "C: 10 GB free");
  EXPECT_EQ(1u, calls.size());
  tray->SetIconIndexAndHint(2, "C: 9 GB free");  // only the tooltip: still one call
  ASSERT_EQ(2u, calls.size());
  EXPECT_EQ(std::wstring(L"C: 9 GB free"), calls[1].data.szTip);

  // A shown icon whose change the shell refused gets it again at the next refresh.
  tray->SetIconVisible(true);
  calls.clear();
  desktop.shellAnswer = FALSE;
  tray->SetIconIndexAndHint(3, "C: 1 GB free");
  tray->SetIconIndexAndHint(3, "C: 1 GB free");
  EXPECT_EQ(2u, calls.size());
  desktop.shellAnswer = TRUE;
  tray->SetIconIndexAndHint(3, "C: 1 GB free");
  tray->SetIconIndexAndHint(3, "C: 1 GB free");
  ASSERT_EQ(3u, calls.size());
  EXPECT_EQ(std::wstring(L"C: 1 GB free"), calls[2].data.szTip);
  EXPECT_EQ(tray->Icon()->Handle(), calls[2].data.hIcon);
  EXPECT_EQ(kColors[3], IconColor(*tray->Icon()));
}

TEST_F(TrayIconTest, BalloonClearsTheShownOneAndCutsItsTexts) {
  EXPECT_TRUE(tray->ShowBalloon(std::string(80, 't'), std::string(300, 'b'), bitWarning, 20));
  ASSERT_EQ(2u, calls.size());
  const NOTIFYICONDATAW& clear = calls[0].data;
  EXPECT_EQ(DWORD(NIM_MODIFY), calls[0].message);
  EXPECT_TRUE(clear.uFlags & NIF_INFO);
  EXPECT_TRUE(AllZero(clear.szInfo));
  const NOTIFYICONDATAW& shown = calls[1].data;
  EXPECT_EQ(UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO), shown.uFlags);
  EXPECT_EQ(std::wstring(63, L't'), shown.szInfoTitle);
  EXPECT_EQ(std::wstring(255, L'b'), shown.szInfo);
  EXPECT_EQ(20000u, shown.uTimeout);
  EXPECT_EQ(DWORD(NIIF_WARNING), shown.dwInfoFlags);
  EXPECT_EQ(UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP), tray->Data().uFlags);

  // A second balloon removes the first before it appears.
  calls.clear();
  desktop.shellAnswer = FALSE;
  EXPECT_FALSE(tray->ShowBalloon("Dorvane", "again", bitError, 5));
  ASSERT_EQ(2u, calls.size());
  EXPECT_TRUE(AllZero(calls[0].data.szInfo));
  EXPECT_TRUE(calls[0].data.uFlags & NIF_INFO);
  EXPECT_EQ(std::wstring(L"again"), calls[1].data.szInfo);
  EXPECT_EQ(DWORD(NIIF_ERROR), calls[1].data.dwInfoFlags);
  EXPECT_EQ(5000u, calls[1].data.uTimeout);

  // A silent one keeps its icon and tells the shell to play no sound; the next one plays
  // the shell's again.
  calls.clear();
  tray->ShowBalloon("Dorvane", "quiet", bitWarning, 20, TNotifyTrayIcon::bsSilent);
  ASSERT_EQ(2u, calls.size());
  EXPECT_EQ(DWORD(0x02 | 0x10), calls[1].data.dwInfoFlags);  // warning, no sound
  calls.clear();
  tray->ShowBalloon("Dorvane", "loud", bitInfo, 20);
  ASSERT_EQ(2u, calls.size());
  EXPECT_EQ(DWORD(0x01), calls[1].data.dwInfoFlags);
}

TEST_F(TrayIconTest, FailedShellCallIsRepeatedAndAnAcceptedRecordIsNot) {
  desktop.shellAnswer = FALSE;
  tray->SetHint("a");
  EXPECT_FALSE(tray->UpdateIcon());  // same record, but the last call failed
  EXPECT_EQ(2u, calls.size());
  EXPECT_EQ("a", tray->Hint());  // the record keeps its values
  desktop.shellAnswer = TRUE;
  EXPECT_TRUE(tray->UpdateIcon());
  EXPECT_EQ(3u, calls.size());
  EXPECT_TRUE(tray->UpdateIcon());
  tray->SetShowHint(true);
  EXPECT_EQ(3u, calls.size());
  tray->SetHint("b");
  EXPECT_EQ(4u, calls.size());
  // Adding always asks the shell (the taskbar may have lost the icon).
  tray->AddIcon();
  tray->AddIcon();
  EXPECT_EQ(6u, calls.size());

  // The real shell (no notification area headless): its refusal is seen, so the record
  // goes to the shell again at the next update once the shell answers.
  {
    testing::InstalledDesktop real(RealDesktop());
    tray->SetHint("real");
  }
  EXPECT_EQ(6u, calls.size());
  EXPECT_TRUE(tray->UpdateIcon());
  ASSERT_EQ(7u, calls.size());
  EXPECT_EQ(DWORD(NIM_MODIFY), calls.back().message);
  EXPECT_EQ(std::wstring(L"real"), calls.back().data.szTip);
}

// At log-on the shell may refuse the first add (it is not ready yet): the icon's
// updates, the refresh's every tick, add it until the shell takes it, then change it.
// A second add the shell refuses because it holds the icon already changes nothing; a
// new taskbar starts empty, so a failed add there is retried as well.
TEST_F(TrayIconTest, AnAddTheShellRefusedIsRetriedByTheUpdatesThatFollow) {
  desktop.shellAnswer = FALSE;
  tray->SetIconVisible(true);
  tray->SetHint("C: 10 GB free");
  tray->SetHint("C: 10 GB free");
  EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_ADD, NIM_ADD}));
  desktop.shellAnswer = TRUE;
  tray->SetHint("C: 10 GB free");
  tray->SetHint("C: 9 GB free");
  EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_ADD, NIM_ADD, NIM_ADD, NIM_MODIFY}));
  EXPECT_EQ(std::wstring(L"C: 9 GB free"), calls.back().data.szTip);

  calls.clear();
  desktop.shellAnswer = FALSE;
  tray->AddIcon();  // refused: the shell has it
  tray->SetHint("C: 8 GB free");
  EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_MODIFY}));

  calls.clear();
  SendMessageW(TTrayIconHandler::CurrentWindow(), TTrayIconHandler::TaskbarCreatedMessage(), 0, 0);
  desktop.shellAnswer = TRUE;
  tray->SetHint("C: 7 GB free");
  tray->SetHint("C: 6 GB free");
  EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_ADD, NIM_MODIFY}));

  // Hidden: nothing is added behind the user's back.
  calls.clear();
  tray->SetIconVisible(false);
  tray->SetHint("C: 5 GB free");
  EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_DELETE, NIM_MODIFY}));
}

TEST_F(TrayIconTest, LeftClickWithoutDoubleClickHandlerFiresOnRelease) {
  std::vector<std::string> log;
  tray->OnClick = [&](TObject*) { log.push_back("click"); };
  tray->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState s, int x, int y) {
    POINT p{};
    GetCursorPos(&p);
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.y, y);
    log.push_back("down" + std::to_string(b) + ((s & ShiftOf(ssLeft)) ? "L" : "") + ((s & ShiftOf(ssRight)) ? "R" : "") +
                  ((s & ShiftOf(ssMiddle)) ? "M" : ""));
  };
  tray->OnMouseUp = [&](TObject*, TMouseButton b, TShiftState, int, int) { log.push_back("up" + std::to_string(b)); };
  Notify(WM_LBUTTONDOWN);
  EXPECT_EQ(std::vector<std::string>{"down0L"}, log);
  Notify(WM_LBUTTONUP);
  Notify(WM_LBUTTONDBLCLK);  // the second click of a double click: no second OnClick
  Notify(WM_LBUTTONUP);
  Notify(WM_MBUTTONDOWN);
  Notify(WM_MBUTTONUP);
  EXPECT_EQ((std::vector<std::string>{"down0L", "click", "up0", "up0", "down2M", "up2"}), log);
}

TEST_F(TrayIconTest, DoubleClickHandlerDelaysTheSingleClickAndSuppressesIt) {
  int clicks = 0, doubles = 0;
  tray->OnClick = [&](TObject*) { ++clicks; };
  tray->OnDblClick = [&](TObject*) { ++doubles; };
  const ULONGLONG start = GetTickCount64();
  Notify(WM_LBUTTONDOWN);
  Notify(WM_LBUTTONUP);
  EXPECT_EQ(0, clicks);
  ASSERT_TRUE(PumpUntil([&] { return clicks == 1; }, 5000));
  EXPECT_GE(GetTickCount64() - start + 20, ULONGLONG(GetDoubleClickTime()));

  Notify(WM_LBUTTONDOWN);
  Notify(WM_LBUTTONUP);
  Notify(WM_LBUTTONDBLCLK);
  Notify(WM_LBUTTONUP);
  EXPECT_EQ(1, doubles);
  PumpFor(GetDoubleClickTime() + 200);
  EXPECT_EQ(1, clicks);
}

TEST_F(TrayIconTest, PopupMenuOpensOnTheButtonPressAndDoubleClickRunsTheDefaultItem) {
  auto* menu = new TPopupMenu(form);
  std::vector<std::string> log;
  for (const char* name : {"a", "b", "c"}) {
    auto* item = new TMenuItem(form);
    item->SetCaption(name);
    item->SetDefault(name[0] != 'a');
    item->OnClick = [&log, name](TObject*) { log.push_back(std::string("item ") + name); };
    menu->Items()->Add(item);
  }
  desktop.onPopup = [&](TPopupMenu& m, int x, int y) {
    POINT p{};
    GetCursorPos(&p);
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.y, y);
    EXPECT_EQ(tray, m.PopupComponent());
    log.push_back("popup");
  };
  tray->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { log.push_back("down"); };
  tray->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { log.push_back("up"); };
  Notify(WM_RBUTTONDOWN);  // no menu yet
  tray->SetPopupMenu(menu);
  Notify(WM_RBUTTONDOWN);
  EXPECT_EQ((std::vector<std::string>{"down", "down", "popup"}), log);
  Notify(WM_RBUTTONUP);
  log.clear();
  Notify(WM_LBUTTONDOWN);
  Notify(WM_LBUTTONDBLCLK);
  EXPECT_EQ((std::vector<std::string>{"down", "item b"}), log);

  log.clear();
  tray->SetLeftPopup(true);  // the left button opens the menu; a double click does not pick
  Notify(WM_LBUTTONDOWN);
  Notify(WM_LBUTTONDBLCLK);
  EXPECT_EQ((std::vector<std::string>{"down", "popup"}), log);

  log.clear();
  menu->SetAutoPopup(false);
  Notify(WM_RBUTTONDOWN);
  EXPECT_EQ(std::vector<std::string>{"down"}, log);
  menu->Free();
  EXPECT_EQ(nullptr, tray->PopupMenu());
}

TEST_F(TrayIconTest, DisabledIconIgnoresEveryNotification) {
  auto* menu = new TPopupMenu(form);
  tray->SetPopupMenu(menu);
  int events = 0;
  desktop.onPopup = [&](TPopupMenu&, int, int) { ++events; };
  tray->OnClick = tray->OnDblClick = tray->OnMouseEnter = tray->OnBalloonHintClick = [&](TObject*) { ++events; };
  tray->OnMouseDown = tray->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++events; };
  tray->OnMouseMove = [&](TObject*, TShiftState, int, int) { ++events; };
  tray->SetWantEnterExitEvents(true);
  tray->SetEnabled(false);
  for (UINT m : {UINT(WM_MOUSEMOVE), UINT(WM_LBUTTONDOWN), UINT(WM_LBUTTONUP), UINT(WM_LBUTTONDBLCLK),
                 UINT(WM_RBUTTONDOWN), UINT(WM_RBUTTONUP), UINT(WM_MBUTTONDOWN), UINT(WM_MBUTTONUP),
                 UINT(NIN_BALLOONUSERCLICK)})
    Notify(m);
  EXPECT_EQ(0, events);
  tray->SetEnabled(true);
  Notify(WM_RBUTTONDOWN);
  EXPECT_EQ(2, events);  // mouse down and the menu
}

TEST_F(TrayIconTest, BalloonAndEnterExitNotificationsBecomeEvents) {
  std::vector<std::string> log;
  tray->OnBalloonHintClick = [&](TObject*) { log.push_back("click"); };
  tray->OnBalloonHintHide = [&](TObject*) { log.push_back("hide"); };
  tray->OnBalloonHintTimeout = [&](TObject*) { log.push_back("timeout"); };
  tray->OnMouseEnter = [&](TObject*) { log.push_back("enter"); };
  tray->OnMouseExit = [&](TObject*) { log.push_back("exit"); };
  tray->OnMouseMove = [&](TObject*, TShiftState, int, int) { log.push_back("move"); };
  Notify(NIN_BALLOONUSERCLICK);
  Notify(NIN_BALLOONHIDE);
  Notify(NIN_BALLOONTIMEOUT);
  Notify(WM_MOUSEMOVE);  // enter/exit events not wanted
  EXPECT_EQ((std::vector<std::string>{"click", "hide", "timeout", "move"}), log);

  log.clear();
  ASSERT_TRUE(SetCursorPos(40, 40));
  tray->SetWantEnterExitEvents(true);
  Notify(WM_MOUSEMOVE);
  Notify(WM_MOUSEMOVE);
  PumpFor(100);  // the cursor stays on the icon
  EXPECT_EQ((std::vector<std::string>{"enter", "move", "move"}), log);
  ASSERT_TRUE(SetCursorPos(300, 200));
  ASSERT_TRUE(PumpUntil([&] { return log.size() == 4; }, 2000));
  EXPECT_EQ("exit", log.back());
  Notify(WM_MOUSEMOVE);
  EXPECT_EQ("enter", log[4]);
}

TEST_F(TrayIconTest, TaskbarRecreationAddsTheVisibleIconsAgain) {
  const UINT taskbarCreated = TTrayIconHandler::TaskbarCreatedMessage();
  ASSERT_NE(0u, taskbarCreated);
  auto* hidden = new TNotifyTrayIcon(form);
  tray->SetIconVisible(true);
  hidden->SetIconVisible(false);
  calls.clear();
  SendMessageW(TTrayIconHandler::CurrentWindow(), taskbarCreated, 0, 0);
  ASSERT_EQ(1u, calls.size());
  EXPECT_EQ(DWORD(NIM_ADD), calls[0].message);
  EXPECT_EQ(tray->Id(), calls[0].data.uID);
  hidden->Free();
}

// The shell announces a new taskbar to every top-level window: sent as a broadcast, the
// message must reach the icons' window (a message-only window would miss it). Run alone
// (RUN_SERIAL): the broadcast reaches every program of the session.
class TrayIconBroadcastTest : public TrayIconTest {};

TEST_F(TrayIconBroadcastTest, ANewTaskbarAnnouncedToAllWindowsAddsTheIconAgain) {
  tray->SetIconVisible(true);
  calls.clear();
  DWORD_PTR answer = 0;
  ASSERT_NE(SendMessageTimeoutW(HWND_BROADCAST, TTrayIconHandler::TaskbarCreatedMessage(), 0, 0, SMTO_ABORTIFHUNG,
                                5000, &answer),
            0);
  ASSERT_EQ(1u, calls.size());
  EXPECT_EQ(DWORD(NIM_ADD), calls[0].message);
  EXPECT_EQ(tray->Id(), calls[0].data.uID);
}

TEST_F(TrayIconTest, MinimisingHidesTheMainFormIntoTheTray) {
  Application().SetMainForm(form);
  form->Show();
  Application().Minimize();  // MinimizeToTray is off
  EXPECT_TRUE(form->Visible());
  EXPECT_TRUE(calls.empty());

  tray->SetMinimizeToTray(true);
  ASSERT_FALSE(tray->IconVisible());
  Application().Minimize();
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(IsWindowVisible(Application().Handle()));
  EXPECT_TRUE(tray->IconVisible());
  EXPECT_EQ(std::vector<DWORD>{NIM_ADD}, Messages());

  // Shown again from the tray: the application window is restored with it.
  form->Show();
  EXPECT_TRUE(IsWindowVisible(Application().Handle()));
  form->Hide();
}

TEST_F(TrayIconTest, ActivationGivesTheFocusBackToTheFormsControl) {
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetBounds(10, 10, 100, 20);
  form->Show();
  auto* other = new TForm(&Application());
  other->SetBounds(300, 0, 100, 100);
  other->Show();
  SetActiveWindow(form->Handle());
  edit->SetFocus();
  ASSERT_EQ(edit->Handle(), GetFocus());
  SetActiveWindow(other->Handle());
  ASSERT_NE(edit->Handle(), GetFocus());
  SetActiveWindow(form->Handle());
  EXPECT_EQ(edit->Handle(), GetFocus());
  other->Free();
}

TEST_F(TrayIconTest, SharedHandlerWindowLivesWhileAnIconDoes) {
  const HWND window = TTrayIconHandler::CurrentWindow();
  ASSERT_TRUE(IsWindow(window));
  EXPECT_EQ(1, SendMessageW(window, WM_CLOSE, 0, 0));  // the window does not close itself
  EXPECT_EQ(1, SendMessageW(window, WM_QUERYENDSESSION, 0, 0));
  auto* second = new TNotifyTrayIcon(form);
  const UINT id = tray->Id();
  tray->Free();
  EXPECT_EQ(window, TTrayIconHandler::CurrentWindow());
  ASSERT_EQ(1u, calls.size());
  EXPECT_EQ(DWORD(NIM_DELETE), calls[0].message);
  EXPECT_EQ(id, calls[0].data.uID);
  Notify(WM_LBUTTONUP, second);
  SendMessageW(window, kTrayCallbackMessage, id, WM_LBUTTONDOWN);  // a freed icon's id is ignored
  second->Free();
  EXPECT_EQ(nullptr, TTrayIconHandler::CurrentWindow());
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(TrayIconTest, CyclingStepsThroughTheList) {
  tray->SetIconList(MakeList());
  tray->SetIconIndex(2);
  std::vector<int> next;
  tray->OnCycle = [&](TObject*, int n) {
    next.push_back(n);
    EXPECT_EQ(kColors[tray->IconIndex()], IconColor(*tray->Icon()));
  };
  tray->SetCycleInterval(15);
  tray->SetCycleIcons(true);
  EXPECT_EQ(0, tray->IconIndex());
  ASSERT_TRUE(PumpUntil([&] { return next.size() >= 5; }, 5000));
  tray->SetCycleIcons(false);
  EXPECT_EQ((std::vector<int>{1, 2, 3, 0, 1}), std::vector<int>(next.begin(), next.begin() + 5));
  const std::size_t steps = next.size();
  PumpFor(80);
  EXPECT_EQ(steps, next.size());
}

TEST_F(TrayIconTest, ThousandUpdatesLeakNoHandles) {
  tray->SetIconList(MakeList());
  tray->SetIconVisible(true);
  const int gdi = testing::CountGdiObjects();
  ASSERT_GT(gdi, 0) << "the count is measured";
  for (int i = 0; i < 1000; ++i) {
    tray->SetIconIndex(i % 4);
    tray->SetHint("tick " + std::to_string(i % 7));
  }
  EXPECT_LE(testing::CountGdiObjects(), gdi + 2);
  // Every icon handed to the shell but the current one has been destroyed.
  auto alive = [](HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return false;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return true;
  };
  ASSERT_TRUE(alive(tray->Icon()->Handle()));
  std::set<HICON> sent;
  for (const auto& c : calls) sent.insert(c.data.hIcon);
  EXPECT_GE(sent.size(), 2u);
  sent.erase(nullptr);
  sent.erase(tray->Icon()->Handle());
  for (HICON icon : sent) EXPECT_FALSE(alive(icon)) << "icon " << icon << " leaked";
}

TEST_F(TrayIconTest, FormDescriptionSetsTheIconAndAsksAboutTheMainForm) {
  auto* mainForm = new TForm(&Application());
  Application().SetMainForm(mainForm);
  mainForm->Show();
  calls.clear();
  auto* loaded = new TTrayTestForm(&Application(),
                                   "TrayForm1: TTrayTestForm {\n"
                                   "  Icons: TImageList { Strip: @TRAYTESTSTRIP }\n"
                                   "  Menu: TPopupMenu {}\n"
                                   "  Tray: TNotifyTrayIcon {\n"
                                   "    Hint: \"Dorvane3\"; IconVisible: True; IconIndex: 2; IconList: Icons\n"
                                   "    PopupMenu: Menu; MinimizeToTray: True; OnStartup: TrayStartup\n"
                                   "  }\n"
                                   "}\n",
                                   false);
  auto* icon = loaded->Require<TNotifyTrayIcon>("Tray");
  EXPECT_EQ(loaded->FindComponent("Icons"), icon->IconList());
  EXPECT_EQ(loaded->FindComponent("Menu"), icon->PopupMenu());
  EXPECT_EQ(2, icon->IconIndex());
  EXPECT_EQ(kColors[2], IconColor(*icon->Icon()));
  // One call to the shell: added once loaded, with the hint and the list's picture (each
  // call is a round trip to the shell's process, and a change before the add is lost).
  ASSERT_EQ((std::vector<DWORD>{NIM_ADD}), Messages());
  EXPECT_EQ(std::wstring(L"Dorvane3"), calls[0].data.szTip);
  ASSERT_NE(nullptr, calls[0].data.hIcon);
  EXPECT_EQ(icon->Icon()->Handle(), calls[0].data.hIcon);
  EXPECT_EQ(1, loaded->startups);
  EXPECT_FALSE(Application().ShowMainForm());
  EXPECT_FALSE(mainForm->Visible());
  loaded->Free();
  EXPECT_EQ(DWORD(NIM_DELETE), calls.back().message);
  mainForm->Free();
}

// -- the picture at the display scale (the suites run in a prefix at each DPI) --

// The DPI ctest gave this run's prefix.
int PrefixDpi() {
  const char* given = std::getenv("DORVANE_TEST_DPI");
  return given ? std::atoi(given) : 96;
}

// The small-icon side at each DPI the prefixes are given (x 1.25, 1.5, 2).
int PrefixIconSide() {
  const int dpi = PrefixDpi();
  switch (dpi) {
    case 96: return 16;
    case 120: return 20;
    case 144: return 24;
    case 192: return 32;
    default: ADD_FAILURE() << "no icon side for " << dpi << " dpi"; return 0;
  }
}

// The pictures the sized-picture painter draws: one colour each, unlike the strip's.
constexpr TColor kDrawnColors[] = {RGBColor(10, 10, 10), RGBColor(60, 60, 60), RGBColor(110, 110, 110),
                                   RGBColor(160, 160, 160)};
void DrawSolid(int index, int side, std::uint32_t* pixels) {
  std::fill_n(pixels, side * side, ColorToDib(kDrawnColors[index]));
}

struct IconPicture {
  int side = 0;
  TColor centre = 0;
};
IconPicture PictureOf(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return {};
  BITMAP bm{};
  GetObjectW(info.hbmColor, sizeof bm, &bm);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  TBitmap bitmap(bm.bmWidth, bm.bmHeight);
  DrawIconEx(bitmap.Canvas().Handle(), 0, 0, icon, bm.bmWidth, bm.bmHeight, 0, nullptr, DI_NORMAL);
  return {bm.bmWidth, bitmap.Pixel(bm.bmWidth / 2, bm.bmHeight / 2)};
}

class TrayIconScaleTest : public TrayIconTest {
 protected:
  static void SetUpTestSuite() {
    TrayIconTest::SetUpTestSuite();
    AddTestResource("TRAYSCALESTRIP", StripBmp());
    RegisterSizedPictures("TRAYSCALESTRIP", &DrawSolid);
  }
  void SetUp() override {
    TrayIconTest::SetUp();
    auto* list = new TImageList(form);
    list->Strip().LoadFromResourceName("TRAYSCALESTRIP");
    tray->SetIconList(list);
    tray->SetIconIndex(2);
    tray->SetIconVisible(true);
  }
  // The colour of picture 2 at `side`: the strip's at its own size, else the painter's.
  static TColor Picture2At(int side) { return side == 16 ? kColors[2] : kDrawnColors[2]; }
  // A DPI whose small icons differ from the prefix's.
  static int OtherDpi() { return PrefixIconSide() == 32 ? 120 : 192; }
  static int OtherSide() { return PrefixIconSide() == 32 ? 20 : 32; }
  void ChangeFormDpi(int dpi) {
    RECT suggested{0, 0, 200, 100};
    SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  }
  // The last call handed the shell the current picture: its side and colour.
  IconPicture Sent() const {
    EXPECT_EQ(tray->Icon()->Handle(), calls.back().data.hIcon);
    return PictureOf(calls.back().data.hIcon);
  }
};

TEST_F(TrayIconScaleTest, TheShellGetsThePictureAtThePrefixsSmallIconSize) {
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(PrefixIconSide(), SmallIconSize(NotificationAreaDpi()));
  EXPECT_EQ(PrefixIconSide(), tray->IconSide());
  const IconPicture sent = Sent();
  EXPECT_EQ(PrefixIconSide(), sent.side);
  EXPECT_EQ(Picture2At(PrefixIconSide()), sent.centre);
}

TEST_F(TrayIconScaleTest, ADpiChangeOfTheFormMakesThePictureAgainAtTheNewSize) {
  calls.clear();
  ChangeFormDpi(OtherDpi());
  ASSERT_EQ((std::vector<DWORD>{NIM_MODIFY}), Messages());
  IconPicture sent = Sent();
  EXPECT_EQ(OtherSide(), sent.side);
  EXPECT_EQ(kDrawnColors[2], sent.centre);
  // The same scale again changes nothing; the picture chosen next comes at the new size.
  ChangeFormDpi(OtherDpi());
  EXPECT_EQ(1u, calls.size());
  tray->SetIconIndex(1);
  ASSERT_EQ(2u, calls.size());
  sent = Sent();
  EXPECT_EQ(OtherSide(), sent.side);
  EXPECT_EQ(kDrawnColors[1], sent.centre);
  // Back at the prefix's scale.
  ChangeFormDpi(PrefixDpi());
  ASSERT_EQ(3u, calls.size());
  EXPECT_EQ(PrefixIconSide(), Sent().side);
}

TEST_F(TrayIconScaleTest, TheNewTaskbarAndADisplayChangeGetTheNotificationAreasSize) {
  const struct {
    const char* what;
    UINT message;
    DWORD call;
  } cases[] = {
      {"taskbar created", TTrayIconHandler::TaskbarCreatedMessage(), NIM_ADD},
      {"display change", WM_DISPLAYCHANGE, NIM_MODIFY},
      {"setting change", WM_SETTINGCHANGE, NIM_MODIFY},
  };
  for (const auto& c : cases) {
    ChangeFormDpi(OtherDpi());
    ASSERT_EQ(OtherSide(), Sent().side) << c.what;
    calls.clear();
    SendMessageW(TTrayIconHandler::CurrentWindow(), c.message, 0, 0);
    ASSERT_EQ((std::vector<DWORD>{c.call}), Messages()) << c.what;
    const IconPicture sent = Sent();
    EXPECT_EQ(PrefixIconSide(), sent.side) << c.what;
    EXPECT_EQ(Picture2At(PrefixIconSide()), sent.centre) << c.what;
  }
  // Nothing changed: no call.
  calls.clear();
  SendMessageW(TTrayIconHandler::CurrentWindow(), WM_DISPLAYCHANGE, 0, 0);
  EXPECT_TRUE(calls.empty());
}

TEST_F(TrayIconScaleTest, APictureSetDirectlyOrWithoutAPainterIsNotRemade) {
  // A list without drawn sizes hands its own 16-pixel pictures at every scale.
  tray->SetIconList(MakeList());
  tray->SetIconIndex(3);
  ChangeFormDpi(OtherDpi());
  EXPECT_EQ(16, Sent().side);
  EXPECT_EQ(kColors[3], Sent().centre);
  // An icon set directly stays as it is.
  TIcon own;
  tray->IconList()->GetIcon(0, own);
  tray->SetIcon(&own);
  calls.clear();
  ChangeFormDpi(PrefixDpi());
  EXPECT_TRUE(calls.empty());
}

// -- the light timer --

TEST(SimpleTimerTest, CallsBackWithItsObjectUntilStopped) {
  TStringList object;
  int calls = 0;
  TObject* seen = nullptr;
  TSimpleTimer timer(&object, [&](TObject* o) {
    seen = o;
    ++calls;
  });
  EXPECT_FALSE(timer.Active());
  ASSERT_TRUE(timer.Start(5000));
  ASSERT_TRUE(timer.Start(10));  // a restart replaces the running timer
  EXPECT_TRUE(timer.Active());
  EXPECT_EQ(10u, timer.Interval());
  ASSERT_TRUE(PumpUntil([&] { return calls >= 3; }, 3000));
  EXPECT_EQ(&object, seen);
  timer.Stop();
  EXPECT_FALSE(timer.Active());
  const int stopped = calls;
  PumpFor(60);
  EXPECT_EQ(stopped, calls);
}

// A WM_TIMER still queued for a stopped or freed timer must not fire another one: not the
// same timer started again, and not a new timer built where the freed one lived.
TEST(SimpleTimerTest, AStaleTimerMessageFiresNothing) {
  int first = 0, second = 0;
  alignas(TSimpleTimer) unsigned char place[sizeof(TSimpleTimer)];
  auto* timer = new (place) TSimpleTimer(nullptr, [&](TObject*) { ++first; });
  ASSERT_TRUE(timer->Start(100000));
  const UINT_PTR firstRun = timer->Id();
  ASSERT_TRUE(timer->Start(100000));
  const UINT_PTR secondRun = timer->Id();
  EXPECT_NE(firstRun, secondRun);
  const HWND window = TSimpleTimerHandler::CurrentWindow();
  PostMessageW(window, WM_TIMER, firstRun, 0);
  PumpFor(30);
  EXPECT_EQ(0, first) << "the earlier run's message";
  PostMessageW(window, WM_TIMER, secondRun, 0);
  ASSERT_TRUE(PumpUntil([&] { return first == 1; }, 3000)) << "the current run's message is taken";

  TSimpleTimer keepsTheWindow(nullptr, [](TObject*) {});
  timer->~TSimpleTimer();
  timer = new (place) TSimpleTimer(nullptr, [&](TObject*) { ++second; });  // the same address
  ASSERT_TRUE(timer->Start(100000));
  EXPECT_NE(secondRun, timer->Id());
  PostMessageW(window, WM_TIMER, secondRun, 0);
  PumpFor(30);
  EXPECT_EQ(0, second) << "the freed timer's message";
  timer->~TSimpleTimer();
}

TEST(SimpleTimerTest, SwallowsCallbackExceptionsAndSharesOneWindow) {
  Application().Initialize();
  int reported = 0;
  Application().OnException = [&](TObject*, const Exception&) { ++reported; };
  HWND window = nullptr;
  {
    int throws = 0, ticks = 0;
    TSimpleTimer failing(nullptr, [&](TObject*) {
      ++throws;
      throw Exception("timer failure");
    });
    TSimpleTimer plain(nullptr, [&](TObject*) { ++ticks; });
    window = TSimpleTimerHandler::CurrentWindow();
    ASSERT_TRUE(IsWindow(window));
    failing.Start(10);
    plain.Start(10);
    ASSERT_TRUE(PumpUntil([&] { return throws >= 3 && ticks >= 3; }, 3000));
    EXPECT_TRUE(failing.Active());
  }
  EXPECT_EQ(0, reported);
  EXPECT_EQ(nullptr, TSimpleTimerHandler::CurrentWindow());
  EXPECT_FALSE(IsWindow(window));
  Application().OnException = nullptr;
}

}  // namespace
}  // namespace dorvane
