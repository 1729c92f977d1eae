#pragma once
// Forms: top-level windows loaded from form descriptions.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Exceptions.h"
#include "framework/Accessibility.h"
#include "framework/Application.h"
#include "framework/Controls.h"
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
  // Shows the form; one minimised while it stayed shown comes back as it was before.
  void Show();
  // Raises the form above the others (restored when it was minimised) and activates it.
  void BringToFront();
  bool Showing() const override;

  // Gives the window a rounded-rectangle outline over rect with corners rounded by an
  // ellipse of ellipseWidth x ellipseHeight, and invalidates it. The same outline again
  // is not set again: nothing would change, and nothing is repainted. Returns whether
  // the outline changed.
  bool SetRoundedRegion(const RECT& rect, int ellipseWidth, int ellipseHeight);

  // -- display scale --
  // The DPI the form's pixels are at: the figures of its description are 96-dpi figures,
  // and the form is scaled to its window's DPI once it is read, and again whenever the
  // window's DPI changes (another monitor, another scale).
  int Dpi() const { return dpi_; }
  // A 96-dpi figure in pixels at the form's DPI.
  int Scaled(int figure) const;
  // Takes the form and everything on it to `dpi`. OnDpiChanged: after the window's DPI
  // changed and the form followed it.
  void ScaleToDpi(int dpi);
  void ChangeScale(int fromDpi, int toDpi) override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDpiChanged;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  // Escape pressed in the form and taken by none of its controls (no cancel button).
  TNotifyEvent OnEscape;
  bool DialogKey(WORD key, TShiftState shift) override;

  const MethodEntry* FindMethod(std::string_view name) const override;

  // What assistive technology reads of the window's client area (see Accessibility.h);
  // without a source the system's default answer stands.
  void SetAccessibleSource(TAccessibleSource source);

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
  void ScaleBounds(int fromDpi, int toDpi) override;
  bool WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void VisibleChanged() override;
  void BeforeDestruction() override;
  virtual void DoCreate();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& action);
  // The session may end (the form agreed when asked): what must outlast an end that
  // follows without another word is written here.
  virtual void SessionMayEnd() {}

 private:
  friend class Win32Desktop;
  // The modal loop the real desktop runs: the thread's other windows are disabled while it
  // lasts.
  TModalResult ModalLoop();
  void ApplyLayered();
  void RestoreIfMinimised();
  void Finish();
  TFormBorderStyle borderStyle_ = fbsSizeable;
  TFormStyle formStyle_ = fsNormal;
  TPosition position_ = poDesigned;
  bool alphaBlend_ = false;
  int alphaValue_ = 255;
  TModalResult modalResult_ = mrNone;
  bool inModal_ = false;
  bool changingVisibility_ = false;
  bool restOfWindowsScheduled_ = false;
  RECT regionRect_{};
  SIZE regionEllipse_{};
  bool hasRegion_ = false;
  int dpi_ = 96;
  mutable std::vector<MethodEntry> methods_;
  std::unique_ptr<TAccessibility> accessibility_;
};

#define BIND(field) Bind(field, #field)

}  // namespace dorvane
