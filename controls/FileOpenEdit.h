#pragma once
// A single-line edit with a browse button at its right end. The button opens the
// system's file-open dialog and the chosen path goes into the edit. The edit keeps the
// full path even while it shows only the file name or a shortened path.
//
//   TCustomButtonEdit   an edit (a system EDIT child) beside a button we draw ourselves
//   TCustomBrowseEdit   the button shows the browse picture and browses when pressed
//   TCustomFileEdit     the file name, the dialog settings and the browse sequence
//   TFileOpenEdit       publishes all of it
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "framework/Controls.h"
#include "framework/Dialogs.h"
#include "framework/Edit.h"
#include "framework/Graphics.h"

namespace dorvane {

// Looks of the built-in button: drawn on the edit's own background with a frame only
// under the mouse, on the button face with a frame only under the mouse, or always raised.
enum TButtonEditStyle { ubsIntegrated, ubsFlat, ubsRaised };
const EnumType& ButtonEditStyleType();

// The path shortened to fit `maxWidth` as `measure` counts widths: the end of the folder
// part gives way to "..." while the file name stays; a name that does not fit on its own
// loses its end to "...". Characters are never cut in two.
std::string MinimizePath(std::string_view path, int maxWidth, const std::function<int(std::string_view)>& measure);

class TButtonEditField;

class TCustomButtonEdit : public TCustomControl {
  DORVANE_CLASS(TCustomButtonEdit)
 public:
  explicit TCustomButtonEdit(TComponent* owner);
  ~TCustomButtonEdit() override;

  int CustomButtonWidth() const { return buttonWidth_; }
  void SetCustomButtonWidth(int width);
  TButtonEditStyle CustomButtonsStyle() const { return buttonStyle_; }
  void SetCustomButtonsStyle(TButtonEditStyle style);
  // The button takes the parent's colour instead of the edit's, blending into a themed parent.
  bool CustomButtonParentCtlXP() const { return buttonParentLook_; }
  void SetCustomButtonParentCtlXP(bool value);
  bool ReadOnly() const;
  void SetReadOnly(bool value);

  // The button in client coordinates: CustomButtonWidth wide at the right end, or the
  // whole client area when that is narrower.
  RECT ButtonRect() const;
  bool ButtonPressed() const { return pressed_; }
  // The edit part; its window text is what the user sees.
  TEdit& EditField();
  // The edit part has the keyboard focus.
  bool EditFocused() const;

  TNotifyEvent OnChange;

  void ChangeScale(int fromDpi, int toDpi) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 protected:
  // What a press of the button does.
  virtual void ButtonClick() {}
  // The text changed (typed or set); raises OnChange.
  virtual void Change();
  // The edit part gained / lost the keyboard focus.
  virtual void EditEnter() {}
  virtual void EditExit() {}
  // Puts a text into the edit that only changes how the value is shown: no OnChange.
  void SetDisplayText(const std::string& text);
  // Width in pixels available to text inside the edit part.
  int TextAreaWidth();
  TBitmap& ButtonGlyph() { return *glyph_; }

  void CreateParams(TCreateParams& params) override;
  bool WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void AlignControls(TControl* changed) override;
  void TextChanged() override;
  void EnabledChanged() override;
  void Paint() override;

 private:
  friend class TButtonEditField;
  void EditTextChanged();
  void LayoutEdit();
  bool InButton(int x, int y) const;
  void SetHot(bool hot);

  std::unique_ptr<TButtonEditField, void (*)(TButtonEditField*)> edit_;
  std::unique_ptr<TBitmap> glyph_;
  int buttonWidth_ = 16;
  TButtonEditStyle buttonStyle_ = ubsIntegrated;
  bool buttonParentLook_ = false;
  bool tracking_ = false;  // the left button went down on our button and is still down
  bool pressed_ = false;   // ... and the mouse is over the button now
  bool hot_ = false;       // the mouse is over the button
  bool syncing_ = false;   // copying text between the control and its edit part
  bool quiet_ = false;     // a display-only text change: no OnChange
};

class TCustomBrowseEdit : public TCustomButtonEdit {
  DORVANE_CLASS(TCustomBrowseEdit)
 public:
  // Takes the browse picture from the program's resources (GLYPH_BROWSE).
  explicit TCustomBrowseEdit(TComponent* owner);
  ~TCustomBrowseEdit() override;
  // What a press of the button does; the program and tests may call it directly.
  virtual void Browse() = 0;

 protected:
  void ButtonClick() override { Browse(); }
};

class TCustomFileEdit : public TCustomBrowseEdit {
  DORVANE_CLASS(TCustomFileEdit)
 public:
  explicit TCustomFileEdit(TComponent* owner);
  ~TCustomFileEdit() override;

  // While the edit has the focus, or without MinimizeName, the edit's text; otherwise the
  // full path kept behind the shortened display.
  std::string Filename() const;
  void SetFilename(const std::string& name);
  const std::string& InitialDir() const { return initialDir_; }
  void SetInitialDir(const std::string& dir) { initialDir_ = dir; }
  const std::string& Filter() const { return filter_; }
  void SetFilter(const std::string& filter) { filter_ = filter; }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title) { title_ = title; }
  const std::string& DefaultExt() const { return defaultExt_; }
  void SetDefaultExt(const std::string& ext) { defaultExt_ = ext; }
  TOpenOptions Options() const { return options_; }
  void SetOptions(TOpenOptions options) { options_ = options; }
  bool FilenameOnly() const { return filenameOnly_; }
  void SetFilenameOnly(bool value);
  bool MinimizeName() const { return minimizeName_; }
  void SetMinimizeName(bool value);
  // The full path as last stored.
  const std::string& FullPath() const { return fullPath_; }

  // Focus the edit, run the file-open dialog with this edit's settings, take a confirmed
  // file, and report through the events.
  void Browse() override;

  // The dialog is the sender; handlers may adjust it before it opens.
  TNotifyEvent OnBeforeBrowse;
  // A file was confirmed and is in the edit; the edit is the sender.
  TNotifyEvent OnDlgChange;
  // The dialog has closed, whether or not a file was chosen; the dialog is the sender.
  TNotifyEvent OnBrowse;

  void Loaded() override;

 protected:
  void EditEnter() override;
  void EditExit() override;
  void Change() override;

 private:
  void RefreshDisplay();

  std::string initialDir_;
  std::string filter_;
  std::string title_;
  std::string defaultExt_;
  TOpenOptions options_ = OpenOptionOf(ofHideReadOnly);
  bool filenameOnly_ = false;
  bool minimizeName_ = false;
  std::string fullPath_;
  bool showingDisplay_ = false;  // the text is our rendering of fullPath_, not a value of its own
};

class TFileOpenEdit : public TCustomFileEdit {
  DORVANE_CLASS(TFileOpenEdit)
 public:
  explicit TFileOpenEdit(TComponent* owner);
  ~TFileOpenEdit() override;
};

}  // namespace dorvane
