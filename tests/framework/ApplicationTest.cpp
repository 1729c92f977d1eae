#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "framework/Button.h"
#include "framework/Dialogs.h"
#include "framework/HintWindow.h"
#include "framework/Forms.h"
#include "framework/Panel.h"
#include "framework/SysUtils.h"
#include "framework/Timer.h"
#include "framework/UtilityWindow.h"
#include "framework/Window.h"
#include "tests/support/Pump.h"
#include "tests/support/ScriptedDesktop.h"

namespace dorvane {
namespace {

using testing::PumpFor;

// An exception that escapes a timer's handler reaches OnException, and the loop and the
// timer go on.
TEST(ApplicationExceptions, TimerHandlerExceptionReachesOnExceptionAndTheLoopGoesOn) {
  Application().Initialize();
  std::vector<std::string> seen;
  std::vector<TObject*> senders;
  Application().OnException = [&](TObject* sender, const Exception& e) {
    seen.push_back(e.Message());
    senders.push_back(sender);
  };
  TTimer timer(nullptr);
  int ticks = 0;
  timer.OnTimer = [&](TObject*) {
    ++ticks;
    if (ticks == 1) throw EConvertError("'x' is not a valid integer value");
    if (ticks == 2) throw std::runtime_error("plain failure");
  };
  timer.SetInterval(10);
  PumpFor(300);
  EXPECT_GE(ticks, 4);
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen[0], "'x' is not a valid integer value");
  EXPECT_EQ(seen[1], "plain failure");  // not one of ours: wrapped, still reported
  EXPECT_EQ(senders[0], &timer);
  EXPECT_TRUE(timer.Running());
  Application().OnException = nullptr;
}

// A handler that frees its own component and then throws: the exception is still reported,
// without the freed component as its sender (the handler of OnException would read it).
TEST(ApplicationExceptions, AComponentFreedByItsOwnFailingHandlerIsNoSender) {
  Application().Initialize();
  std::vector<TObject*> senders;
  Application().OnException = [&](TObject* sender, const Exception&) { senders.push_back(sender); };

  TForm* form = new TForm(nullptr);
  form->HandleNeeded();
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  panel->SetBounds(0, 0, 50, 50);
  panel->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
    panel->Free();
    throw EInvalidOperation("freed while clicked");
  };
  SendMessageW(panel->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  form->Free();

  auto* timer = new TTimer(nullptr);
  timer->OnTimer = [&](TObject*) {
    timer->Free();
    throw EInvalidOperation("freed while ticking");
  };
  timer->SetInterval(10);
  for (int i = 0; i < 100 && senders.size() < 2; ++i) PumpFor(10);

  EXPECT_EQ(senders, (std::vector<TObject*>{nullptr, nullptr}));
  Application().OnException = nullptr;
}

// Without a handler, an escaping exception is shown in a message box; the program goes on.
TEST(ApplicationExceptions, WithoutAHandlerAMessageBoxShowsIt) {
  Application().Initialize();
  testing::ScriptedDesktop desktop;
  testing::InstalledDesktop installed(desktop);
  try {
    throw EInvalidOperation("Cannot do that");
  } catch (...) {
    Application().HandleException(nullptr);
  }
  EXPECT_EQ(desktop.MessageTexts(), std::vector<std::string>{"Cannot do that."});
}

// Every kind of window of ours meets its object through the one window procedure: an
// exception in any of them reaches OnException with the object as its sender (never the
// system's callback), and the program goes on.
TEST(WindowPlumbing, AnExceptionInAnyKindOfWindowReachesOnException) {
  Application().Initialize();
  std::vector<std::pair<TObject*, std::string>> seen;
  Application().OnException = [&](TObject* sender, const Exception& e) { seen.emplace_back(sender, e.Message()); };
  auto failOnResize = [](TControl& control, const char* what) {
    control.OnResize = [what](TObject*) { throw EInvalidOperation(what); };
  };
  auto resize = [](TWinControl& control) {
    SetWindowPos(control.Handle(), nullptr, 0, 0, control.Width() + 7, control.Height() + 5,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  };

  TForm* form = new TForm(nullptr);
  form->SetBounds(10, 10, 200, 100);
  form->HandleNeeded();
  auto* panel = new TPanel(form);  // a window of our own class
  panel->SetParent(form);
  panel->SetBounds(0, 0, 50, 50);
  auto* button = new TButton(form);  // a wrapped system control
  button->SetParent(form);
  button->SetBounds(60, 0, 50, 20);
  auto* hint = new THintWindow(nullptr);
  hint->ActivateHint("a hint");
  failOnResize(*panel, "panel");
  failOnResize(*button, "button");
  failOnResize(*hint, "hint");
  resize(*panel);
  resize(*button);
  resize(*hint);
  TComponent owner(nullptr);
  TUtilityWindow utility([](UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_APP) throw EInvalidOperation("utility");
    return std::nullopt;
  }, &owner);
  EXPECT_EQ(SendMessageW(utility.Handle(), WM_APP, 0, 0), 0);

  const std::vector<std::pair<TObject*, std::string>> expected{
      {panel, "panel"}, {button, "button"}, {hint, "hint"}, {&owner, "utility"}};
  EXPECT_EQ(seen, expected);
  hint->Free();
  form->Free();
  Application().OnException = nullptr;
}

// A control that notes the messages its window gets.
class TMessageLogger : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  std::vector<UINT> messages;

 protected:
  bool WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    messages.push_back(msg);
    return TCustomControl::WndProc(msg, wp, lp, result);
  }
};

// The object is bound to its window at WM_NCCREATE: the window's first messages reach it.
// A window destroyed with its parent's leaves its control without one, made again when
// next needed.
TEST(WindowPlumbing, TheObjectIsBoundFromTheFirstMessageToTheLast) {
  Application().Initialize();
  TForm* form = new TForm(nullptr);
  form->SetBounds(10, 10, 200, 100);
  form->HandleNeeded();
  auto* holder = new TPanel(form);
  holder->SetParent(form);
  holder->SetBounds(0, 0, 100, 80);
  auto* logger = new TMessageLogger(form);
  logger->SetParent(holder);
  logger->SetBounds(5, 5, 40, 40);
  ASSERT_TRUE(logger->HandleAllocated());
  auto position = [&](UINT msg) {
    return std::find(logger->messages.begin(), logger->messages.end(), msg) - logger->messages.begin();
  };
  ASSERT_FALSE(logger->messages.empty());
  EXPECT_EQ(logger->messages.front(), static_cast<UINT>(WM_NCCREATE));
  EXPECT_LT(position(WM_CREATE), static_cast<std::ptrdiff_t>(logger->messages.size()));
  EXPECT_EQ(TWinControl::FromHandle(logger->Handle()), logger);

  HWND old = logger->Handle();
  DestroyWindow(holder->Handle());  // destroyed by someone else, children with it
  EXPECT_FALSE(logger->HandleAllocated());
  EXPECT_FALSE(holder->HandleAllocated());
  EXPECT_EQ(TWinControl::FromHandle(old), nullptr);
  EXPECT_TRUE(IsWindow(holder->Handle()));  // made again
  form->Free();
}

// A control that answers WM_APP with 10, noting it in a shared log.
class TAnsweringControl : public TCustomControl {
 public:
  TAnsweringControl(TComponent* owner, std::vector<std::string>& log) : TCustomControl(owner), log_(log) {}

 protected:
  bool WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    if (msg != WM_APP) return TCustomControl::WndProc(msg, wp, lp, result);
    log_.push_back("object");
    result = 10;
    return true;
  }

 private:
  std::vector<std::string>& log_;
};

// Takes part in WM_APP: notes it, adds one to the answer, and does what a test asks first.
class TLogListener : public TWindowListener {
 public:
  TLogListener(std::vector<std::string>& log, std::string name, TObject* sender)
      : log_(log), name_(std::move(name)), sender_(sender) {}
  std::function<void()> before;

  void MessageArriving(HWND, UINT msg, WPARAM, LPARAM) override {
    if (msg != WM_APP) return;
    log_.push_back(name_ + " before");
    if (before) before();
  }
  void MessageAnswered(HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) override {
    if (msg != WM_APP) return;
    log_.push_back(name_ + " after " + std::to_string(result));
    ++result;
  }
  void ListenedWindowGone(HWND) override { log_.push_back(name_ + " gone"); }
  TObject* MessageSender() override { return sender_; }

 private:
  std::vector<std::string>& log_;
  std::string name_;
  TObject* sender_;
};

// Components that watch a window of another's (the form storage, the tray icon) listen
// to it through the same procedure: around the object's handling, the later listener
// outside the earlier one, under the same catch; and they are let go of with the window.
TEST(WindowPlumbing, ListenersTakePartAroundTheObjectAndGoWithTheWindow) {
  Application().Initialize();
  std::vector<std::pair<TObject*, std::string>> errors;
  Application().OnException = [&](TObject* sender, const Exception& e) { errors.emplace_back(sender, e.Message()); };
  std::vector<std::string> log;
  TComponent senderA(nullptr), senderB(nullptr);
  TForm* form = new TForm(nullptr);
  auto* control = new TAnsweringControl(form, log);
  control->SetParent(form);
  control->SetBounds(0, 0, 20, 20);
  const HWND wnd = control->Handle();
  TLogListener a(log, "a", &senderA), b(log, "b", &senderB);
  ASSERT_TRUE(ListenToWindow(wnd, a));
  ASSERT_TRUE(ListenToWindow(wnd, b));
  EXPECT_FALSE(ListenToWindow(GetDesktopWindow(), a)) << "a window of someone else's";

  EXPECT_EQ(SendMessageW(wnd, WM_APP, 0, 0), 12);
  EXPECT_EQ(log, (std::vector<std::string>{"b before", "a before", "object", "a after 10", "b after 11"}));

  // A listener that throws is reported for its sender; the message is still answered.
  log.clear();
  a.before = [] { throw EInvalidOperation("a failed"); };
  EXPECT_EQ(SendMessageW(wnd, WM_APP, 0, 0), 12);
  EXPECT_EQ(log, (std::vector<std::string>{"b before", "a before", "object", "a after 10", "b after 11"}));
  EXPECT_EQ(errors, (std::vector<std::pair<TObject*, std::string>>{{&senderA, "a failed"}}));

  // One that stops listening meanwhile is not asked again, not even for the answer.
  log.clear();
  b.before = [&] { StopListening(wnd, a); };
  EXPECT_EQ(SendMessageW(wnd, WM_APP, 0, 0), 11);
  EXPECT_EQ(log, (std::vector<std::string>{"b before", "object", "b after 10"}));

  // Destroyed by someone else, or its object letting go of it: the listeners are told.
  log.clear();
  ASSERT_TRUE(ListenToWindow(wnd, a));
  DestroyWindow(wnd);
  EXPECT_EQ(log, (std::vector<std::string>{"b gone", "a gone"}));
  log.clear();
  const HWND again = control->Handle();
  ASSERT_TRUE(ListenToWindow(again, a));
  control->Free();
  EXPECT_EQ(log, (std::vector<std::string>{"a gone"}));
  form->Free();
  Application().OnException = nullptr;
}

// A control that notes its paints in a shared log.
class TPaintLogger : public TCustomControl {
 public:
  TPaintLogger(TComponent* owner, std::vector<std::string>& log) : TCustomControl(owner), log_(log) {}

 protected:
  void Paint() override { log_.push_back("paint"); }

 private:
  std::vector<std::string>& log_;
};

// Work put off until the loop has handled what waits: it runs after the paint of a window
// shown before it, in the order asked, once; an action asked for by an action waits for
// the next round; an owner freed meanwhile skips its action; a failure reaches
// OnException with the owner and the others still run.
TEST(ApplicationLater, RunsAfterThePaintsInOrderAndOnlyForOwnersStillThere) {
  Application().Initialize();
  std::vector<std::string> log;
  std::vector<TObject*> failedSenders;
  Application().OnException = [&](TObject* sender, const Exception& e) {
    log.push_back("failed: " + e.Message());
    failedSenders.push_back(sender);
  };
  TForm* form = new TForm(nullptr);
  form->SetBounds(10, 10, 120, 80);
  form->HandleNeeded();
  auto* painted = new TPaintLogger(form, log);
  painted->SetParent(form);
  painted->SetBounds(0, 0, 100, 50);
  form->Show();
  ASSERT_TRUE(painted->HandleAllocated());
  ASSERT_TRUE(IsWindowVisible(painted->Handle()));

  auto* gone = new TComponent(nullptr);
  auto* kept = new TComponent(nullptr);
  Application().Later(kept, [&] { log.push_back("first"); });
  Application().Later(gone, [&] { log.push_back("of a freed owner"); });
  Application().Later(kept, [&] {
    log.push_back("second");
    Application().Later(nullptr, [&] { log.push_back("asked by an action"); });
    throw EInvalidOperation("later failure");
  });
  Application().Later(nullptr, [&] { log.push_back("third"); });
  gone->Free();
  EXPECT_TRUE(log.empty()) << "ran before the loop: " << log.front();

  ASSERT_TRUE(testing::PumpUntil([&] { return !log.empty() && log.back() == "asked by an action"; }, 3000));
  PumpFor(50);
  const std::vector<std::string> expected{"paint",  "first", "second", "failed: later failure",
                                          "third",  "asked by an action"};
  EXPECT_EQ(log, expected);
  EXPECT_EQ(failedSenders, std::vector<TObject*>{kept});
  kept->Free();
  form->Free();
  Application().OnException = nullptr;
}

}  // namespace
}  // namespace dorvane
