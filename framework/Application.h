#pragma once
// The application object with its message loop, hints and exception handling, and the
// screen.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/Exceptions.h"
#include "winapi/Handles.h"
#include "framework/Controls.h"
#include "framework/Desktop.h"
#include "framework/UtilityWindow.h"

namespace dorvane {

class TForm;
class THintWindow;

using TExceptionEvent = std::function<void(TObject* sender, const Exception& error)>;

class TApplication : public TComponent {
  DORVANE_CLASS(TApplication)
 public:
  TApplication();
  ~TApplication() override;

  // Registers window classes and the framework's classes; common controls 6.
  void Initialize();
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title);
  // The hidden application window (owner of the forms' taskbar presence).
  HWND Handle() const { return window_ ? window_->Handle() : nullptr; }
  TForm* MainForm() const { return mainForm_; }
  bool ShowMainForm() const { return showMainForm_; }
  void SetShowMainForm(bool value) { showMainForm_ = value; }
  bool Terminated() const { return terminated_; }
  TColor HintColor() const { return hintColor_; }
  void SetHintColor(TColor color) { hintColor_ = color; }

  // Hints: the mouse resting over a control that shows a hint brings up a small window
  // with the hint's text after HintPause milliseconds; it goes when the mouse leaves
  // the control, a button is pressed, or after HintHidePause.
  void HintMouseMove(TControl* control);
  void CancelHint();
  TControl* HintControl() const { return hintControl_; }
  unsigned HintPause() const { return hintPause_; }
  void SetHintPause(unsigned ms) { hintPause_ = ms; }
  unsigned HintHidePause() const { return hintHidePause_; }
  void SetHintHidePause(unsigned ms) { hintHidePause_ = ms; }
  bool HintShowing() const;
  const std::string& HintText() const { return hintText_; }
  // The hint window, once a hint has been shown.
  THintWindow* HintWindow() const { return hintWindow_.get(); }

  // Creates a form owned by the application; the first one becomes the main form.
  template <typename T, typename... A>
  T* CreateForm(A&&... args) {
    T* form = new T(this, std::forward<A>(args)...);
    if (!mainForm_) mainForm_ = form;
    return form;
  }
  void SetMainForm(TForm* form) { mainForm_ = form; }

  // Shows the main form (unless told not to) and runs the message loop until Terminate.
  void Run();
  // Handles one message (waits for one when none is pending). False after WM_QUIT.
  bool HandleMessage();
  // Handles every pending message and returns.
  void ProcessMessages();
  void Terminate();
  // The session ends (WM_ENDSESSION): the system may end the process as soon as the
  // message has been answered, so everything the application owns is destroyed now, as
  // at the end of the program (the settings stored, the tray icons removed), and the
  // message loop ends.
  void EndSession();
  bool SessionEnded() const { return sessionEnded_; }
  // Makes a terminated application runnable again and drops the pending quit message
  // (a test that closed its main form starts the next one).
  void ClearTerminated();
  // Minimising the application (a minimised main form): hooks see WM_SIZE/SIZE_MINIMIZED
  // on the application window.
  void Minimize();
  void Restore();

  // Runs `action` from the message loop once the messages waiting now, the paints of a
  // window just shown included, have been handled: work that need not hold up the first
  // sight of the main window. Skipped when `owner` has gone by then; an exception goes to
  // HandleException with the owner. Before Initialize (no application window) it runs
  // at once.
  void Later(TComponent* owner, std::function<void()> action);

  // The exception being handled (inside a catch block) goes to OnException, or, without
  // a handler, to a message box. The program keeps running.
  void HandleException(TObject* sender) noexcept;
  void ShowException(const Exception& error);
  TExceptionEvent OnException;

  // Message hooks on the application window: each sees every message first; a hook
  // that returns true stops further handling.
  using MessageHook = std::function<bool(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)>;
  int AddMessageHook(MessageHook hook);
  void RemoveMessageHook(int id);

  // The interactive desktop the program talks to (message boxes, dialogs, modal and move
  // loops, menus, the shell): the real one unless another is installed (tests). Null
  // installs the real one again.
  IDesktop& Desktop() const;
  void SetDesktop(IDesktop* desktop) { desktop_ = desktop; }

 private:
  std::optional<LRESULT> AppMessage(UINT msg, WPARAM wp, LPARAM lp);
  // The hint timers' messages; true when msg was one of them.
  bool HintMessage(UINT msg, WPARAM wp);
  void RunLater();
  struct LaterAction {
    TComponent* owner;
    std::weak_ptr<const void> alive;
    std::function<void()> action;
  };
  std::vector<LaterAction> later_;
  std::string title_;
  std::unique_ptr<TUtilityWindow> window_;
  TForm* mainForm_ = nullptr;
  bool showMainForm_ = true;
  bool terminated_ = false;
  bool sessionEnded_ = false;
  TColor hintColor_ = clInfoBk;
  void ShowHintWindow();
  void HideHintWindow();
  void HintTimer();
  TControl* hintControl_ = nullptr;
  std::string hintText_;
  unsigned hintPause_ = 500;
  unsigned hintHidePause_ = 5000;
  struct FreeHintWindow {
    void operator()(THintWindow* window) const;
  };
  std::unique_ptr<THintWindow, FreeHintWindow> hintWindow_;
  bool hintTimerRunning_ = false;
  std::vector<std::pair<int, MessageHook>> hooks_;
  int nextHook_ = 1;
  IDesktop* desktop_ = nullptr;
};

// The application object, created on first use.
TApplication& Application();
// The program's end: destroys the application object with everything it owns, the forms
// in the reverse order of their creation (each with its components: a tray icon leaves
// the notification area, a form storage saves), then its own windows. Every way out of
// the program ends here before the entry point returns. A later Application() makes a
// new one.
void FreeApplication();

// The screen's size and the forms that exist.
class TScreen {
 public:
  int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
};
TScreen& Screen();

// Hands the exception being handled (call inside a catch block) to the application's
// exception handling. Every window procedure, timer and hook ends in this instead of
// letting an exception cross a system callback.
void HandleException(TObject* sender) noexcept;

}  // namespace dorvane
