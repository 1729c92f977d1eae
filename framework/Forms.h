#pragma once
// Forms (top-level windows loaded from form descriptions), the application object with
// its message loop and exception handling, and the screen.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Exceptions.h"
#include "framework/Controls.h"
#include "framework/Desktop.h"
#include "framework/UtilityWindow.h"

namespace dorvane {

// Named bsNone, bsSingle, bsSizeable, ... in form descriptions.
enum TFormBorderStyle { fbsNone, fbsSingle, fbsSizeable, fbsDialog, fbsToolWindow, fbsSizeToolWin };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
                 poDesktopCenter, poMainFormCenter, poOwnerFormCenter };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;  // mrNone 0, mrOk 1, mrCancel 2, ...
constexpr TModalResult mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrYes = IDYES, mrNo = IDNO;

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;

class TForm : public TWinControl {
  DORVANE_CLASS(TForm)
 public:
  explicit TForm(TComponent* owner);
  ~TForm() override;

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle style);
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle style);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition position) { position_ = position; }
  // Constant opacity through a layered window (NT family).
  bool AlphaBlend() const { return alphaBlend_; }
  void SetAlphaBlend(bool value);
  int AlphaBlendValue() const { return alphaValue_; }
  void SetAlphaBlendValue(int value);
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult result) { modalResult_ = result; }
  bool Active() const;

  // Showing and hiding raise OnShow before the window appears and OnHide before it goes.
  void Close();
  bool CloseQuery();
  // Lets the system move the window with the pointer until the button is released, as
  // a drag of a caption would (borderless windows are dragged by their own surfaces).
  // The desktop runs the move loop.
  void BeginMoveByMouse();
  // Shows the form modally until its ModalResult is set; the desktop runs the loop.
  TModalResult ShowModal();
  void BringToFront();
  bool Showing() const override;

  // Gives the window a rounded-rectangle outline over rect with corners rounded by an
  // ellipse of ellipseWidth x ellipseHeight, and invalidates it. The same outline again
  // is not set again: nothing would change, and nothing is repainted. Returns whether
  // the outline changed.
  bool SetRoundedRegion(const RECT& rect, int ellipseWidth, int ellipseHeight);

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;

  const MethodEntry* FindMethod(std::string_view name) const override;

 protected:
  // Loads the form description resource `resourceName`, binds the fields, raises
  // OnCreate. An exception from OnCreate goes to the application's handler.
  void InitializeForm(std::string_view resourceName);
  // Loads a description given as text (tests).
  void InitializeFormText(std::string_view text);
  // The form's named fields are bound to the loaded components here (Bind / BIND).
  virtual void BindFields() {}
  // The form's handlers by name, for events set in its description.
  virtual std::vector<MethodEntry> Methods() const { return {}; }
  template <typename T>
  void Bind(T*& field, std::string_view name) {
    field = Require<T>(name);
  }

  void CreateParams(TCreateParams& params) override;
  bool WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void VisibleChanged() override;
  void BeforeDestruction() override;
  virtual void DoCreate();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& action);

 private:
  friend class Win32Desktop;
  // The modal loop the real desktop runs: the thread's other windows are disabled while it
  // lasts.
  TModalResult ModalLoop();
  void ApplyLayered();
  void Finish();
  TFormBorderStyle borderStyle_ = fbsSizeable;
  TFormStyle formStyle_ = fsNormal;
  TPosition position_ = poDesigned;
  bool alphaBlend_ = false;
  int alphaValue_ = 255;
  TModalResult modalResult_ = mrNone;
  bool inModal_ = false;
  bool changingVisibility_ = false;
  RECT regionRect_{};
  SIZE regionEllipse_{};
  bool hasRegion_ = false;
  mutable std::vector<MethodEntry> methods_;
};

#define BIND(field) Bind(field, #field)

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
  // Makes a terminated application runnable again and drops the pending quit message
  // (a test that closed its main form starts the next one).
  void ClearTerminated();
  // Minimising the application (a minimised main form): hooks see WM_SIZE/SIZE_MINIMIZED
  // on the application window.
  void Minimize();
  void Restore();

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
  std::string title_;
  std::unique_ptr<TUtilityWindow> window_;
  TForm* mainForm_ = nullptr;
  bool showMainForm_ = true;
  bool terminated_ = false;
  TColor hintColor_ = clInfoBk;
  void ShowHintWindow();
  void HideHintWindow();
  void HintTimer();
  TControl* hintControl_ = nullptr;
  std::string hintText_;
  unsigned hintPause_ = 500;
  unsigned hintHidePause_ = 5000;
  UniqueHwnd hintWindow_;
  bool hintTimerRunning_ = false;
  std::vector<std::pair<int, MessageHook>> hooks_;
  int nextHook_ = 1;
  IDesktop* desktop_ = nullptr;
};

// The application object, created on first use.
TApplication& Application();

// The screen's size and the forms that exist.
class TScreen {
 public:
  int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
};
TScreen& Screen();

void RegisterFormClasses();

}  // namespace dorvane
