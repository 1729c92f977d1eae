#include "controls/FileOpenEdit.h"
#include "core/DisplayScale.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/ScopeExit.h"
#include "framework/ClassBuilder.h"
#include "framework/Resources.h"
#include "core/win32/WideString.h"

namespace dorvane {

namespace {

// The start of the character before byte `i` of a UTF-8 text.
std::size_t PreviousChar(std::string_view s, std::size_t i) {
  if (i == 0) return 0;
  --i;
  while (i > 0 && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) --i;
  return i;
}

std::string ExtractFileName(const std::string& path) {
  const std::size_t sep = path.find_last_of("\\/:");
  return sep == std::string::npos ? path : path.substr(sep + 1);
}

constexpr std::string_view kDots = "...";

}  // namespace

std::string MinimizePath(std::string_view path, int maxWidth, const std::function<int(std::string_view)>& measure) {
  if (measure(path) <= maxWidth) return std::string(path);
  const std::size_t sep = path.find_last_of("\\/");
  if (sep != std::string_view::npos && sep > 0) {
    // The folder loses characters from its end; its start (the drive) stays longest.
    const std::string_view folder = path.substr(0, sep);
    const std::string_view name = path.substr(sep);  // with its separator
    for (std::size_t n = PreviousChar(folder, folder.size());; n = PreviousChar(folder, n)) {
      std::string candidate = std::string(folder.substr(0, n)).append(kDots).append(name);
      if (measure(candidate) <= maxWidth) return candidate;
      if (n == 0) break;
    }
  }
  const std::string_view name = sep == std::string_view::npos ? path : path.substr(sep + 1);
  for (std::size_t n = PreviousChar(name, name.size());; n = PreviousChar(name, n)) {
    std::string candidate = std::string(name.substr(0, n)).append(kDots);
    if (measure(candidate) <= maxWidth) return candidate;
    if (n == 0) break;
  }
  return {};  // not even the dots fit
}

const EnumType& ButtonEditStyleType() {
  static const EnumType t{"TButtonEditStyle", {"ubsIntegrated", "ubsFlat", "ubsRaised"}};
  return t;
}

// -- the edit part ------------------------------------------------------------------------

// The system edit inside a button edit: borderless (the control draws the frame around
// edit and button together), and it tells the control when it gains or loses the focus.
class TButtonEditField : public TEdit {
 public:
  explicit TButtonEditField(TCustomButtonEdit* host) : TEdit(nullptr), host_(host) {}
  void Detach() { host_ = nullptr; }

 protected:
  void CreateParams(TCreateParams& params) override {
    TEdit::CreateParams(params);
    params.exStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
  }

  bool WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    if ((msg == WM_SETFOCUS || msg == WM_KILLFOCUS) && host_) {
      result = DefaultHandler(msg, wp, lp);  // the caret first, then our display rules
      if (msg == WM_SETFOCUS) host_->EditEnter();
      else host_->EditExit();
      host_->Invalidate();  // the button shows where the keyboard is
      return true;
    }
    // F4 or Alt+Down press the button, as they open a combo box's list.
    if (host_ && ((msg == WM_KEYDOWN && wp == VK_F4) || (msg == WM_SYSKEYDOWN && wp == VK_DOWN))) {
      host_->ButtonClick();
      result = 0;
      return true;
    }
    return TEdit::WndProc(msg, wp, lp, result);
  }

 private:
  TCustomButtonEdit* host_;
};

namespace {
void FreeField(TButtonEditField* field) {
  if (field) field->Free();
}
}  // namespace

// -- TCustomButtonEdit ----------------------------------------------------------------------

const ClassInfo& TCustomButtonEdit::StaticClass() {
  static const ClassInfo info = ClassBuilder<TCustomButtonEdit>("TCustomButtonEdit", &TCustomControl::StaticClass())
                                    .Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, true)
                                    .Build();
  return info;
}

TCustomButtonEdit::TCustomButtonEdit(TComponent* owner)
    : TCustomControl(owner), edit_(nullptr, &FreeField), glyph_(std::make_unique<TBitmap>()) {
  SetColor(clWindow);
  edit_.reset(new TButtonEditField(this));
  edit_->SetParentColor(true);
  // The control is the tab stop; its edit part takes the keyboard when it gets the focus.
  SetTabStop(true);
  edit_->SetTabStop(false);
  edit_->SetParent(this);
  edit_->OnChange = [this](TObject*) { EditTextChanged(); };
}

TCustomButtonEdit::~TCustomButtonEdit() {
  // The edit's window goes first; its last focus message must not reach a half-destroyed control.
  edit_->Detach();
  edit_->OnChange = nullptr;
  edit_.reset();
}

TEdit& TCustomButtonEdit::EditField() { return *edit_; }

bool TCustomButtonEdit::EditFocused() const { return edit_->Focused(); }

bool TCustomButtonEdit::ReadOnly() const { return edit_->ReadOnly(); }

void TCustomButtonEdit::SetReadOnly(bool value) { edit_->SetReadOnly(value); }

void TCustomButtonEdit::SetCustomButtonWidth(int width) {
  width = std::max(width, 0);
  if (width == buttonWidth_) return;
  buttonWidth_ = width;
  LayoutEdit();
  Invalidate();
}

void TCustomButtonEdit::SetCustomButtonsStyle(TButtonEditStyle style) {
  if (style == buttonStyle_) return;
  buttonStyle_ = style;
  Invalidate();
}

void TCustomButtonEdit::SetCustomButtonParentCtlXP(bool value) {
  if (value == buttonParentLook_) return;
  buttonParentLook_ = value;
  Invalidate();
}

RECT TCustomButtonEdit::ButtonRect() const {
  const int cw = ClientWidth(), ch = ClientHeight();
  const int bw = std::min(buttonWidth_, cw);
  return RECT{cw - bw, 0, cw, ch};
}

bool TCustomButtonEdit::InButton(int x, int y) const {
  const RECT r = ButtonRect();
  const POINT p{x, y};
  return PtInRect(&r, p) != FALSE;
}

void TCustomButtonEdit::LayoutEdit() {
  // One pixel of the control's background around the text keeps it off the frame.
  const int cw = ClientWidth(), ch = ClientHeight();
  const int bw = std::min(buttonWidth_, cw);
  edit_->SetBounds(1, 1, std::max(cw - bw - 1, 0), std::max(ch - 2, 0));
}

void TCustomButtonEdit::AlignControls(TControl* changed) {
  TCustomControl::AlignControls(changed);
  LayoutEdit();
}

int TCustomButtonEdit::TextAreaWidth() {
  if (!edit_->HandleAllocated()) return std::max(edit_->Width(), 0);
  RECT r;
  GetClientRect(edit_->Handle(), &r);
  const DWORD margins = static_cast<DWORD>(SendMessageW(edit_->Handle(), EM_GETMARGINS, 0, 0));
  return std::max(static_cast<int>(r.right - r.left) - LOWORD(margins) - HIWORD(margins), 0);
}

void TCustomButtonEdit::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.exStyle |= WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT;
}

// The control's text and its edit's text are one value: a change on either side is
// copied to the other, and OnChange is raised once.
void TCustomButtonEdit::TextChanged() {
  if (syncing_) return;
  const auto syncing = Assigned(syncing_, true);
  edit_->SetText(Text());
}

void TCustomButtonEdit::EditTextChanged() {
  if (!syncing_) {
    const auto syncing = Assigned(syncing_, true);
    SetCaption(edit_->Text());
  }
  if (!quiet_) Change();
}

void TCustomButtonEdit::Change() {
  if (!IsLoading()) Fire(OnChange, this);
}

void TCustomButtonEdit::SetDisplayText(const std::string& text) {
  const auto quiet = Assigned(quiet_, true);
  SetText(text);
}

void TCustomButtonEdit::EnabledChanged() {
  TCustomControl::EnabledChanged();
  edit_->SetEnabled(Enabled());
  if (!Enabled()) tracking_ = pressed_ = hot_ = false;
  Invalidate();
}

void TCustomButtonEdit::SetHot(bool hot) {
  if (hot == hot_) return;
  hot_ = hot;
  Invalidate();
}

void TCustomButtonEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && Enabled() && InButton(x, y)) {
    tracking_ = pressed_ = true;
    SetCapture(Handle());
    Invalidate();
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomButtonEdit::MouseMove(TShiftState shift, int x, int y) {
  const bool inside = InButton(x, y);
  if (tracking_ && inside != pressed_) {
    pressed_ = inside;
    Invalidate();
  }
  SetHot(inside && Enabled());
  TCustomControl::MouseMove(shift, x, y);
}

void TCustomButtonEdit::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  bool click = false;
  if (button == mbLeft && tracking_) {
    // Settle the button before the press runs: a dialog or an exception may follow.
    click = pressed_ && InButton(x, y);
    tracking_ = pressed_ = false;
    if (GetCapture() == Handle()) ReleaseCapture();
    Invalidate();
  }
  TCustomControl::MouseUp(button, shift, x, y);
  if (click) ButtonClick();
}

bool TCustomButtonEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_SETFOCUS:  // the edit part takes the keyboard
      if (edit_->HandleAllocated() && edit_->CanFocus()) ::SetFocus(edit_->Handle());
      result = 0;
      return true;
    case WM_MOUSELEAVE:
      SetHot(false);
      break;
    case WM_CAPTURECHANGED:
      if (tracking_ && reinterpret_cast<HWND>(lp) != Handle()) {
        tracking_ = pressed_ = false;
        Invalidate();
      }
      break;
    default:
      break;
  }
  return TCustomControl::WndProc(msg, wp, lp, result);
}

void TCustomButtonEdit::Paint() {
  const RECT button = ButtonRect();
  if (IsRectEmpty(&button)) return;
  TCanvas& canvas = Canvas();
  TColor face = buttonStyle_ == ubsIntegrated ? Color() : clBtnFace;
  if (buttonParentLook_ && Parent()) face = Parent()->Color();
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(face);
  canvas.FillRect(button);

  HDC dc = canvas.Handle();
  RECT edge = button;
  if (pressed_) DrawEdge(dc, &edge, buttonStyle_ == ubsRaised ? EDGE_SUNKEN : BDR_SUNKENOUTER, BF_RECT);
  else if (buttonStyle_ == ubsRaised) DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
  else if (hot_) DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
  if (EditFocused()) {
    RECT focus = button;
    InflateRect(&focus, -2, -2);
    DrawFocusRect(dc, &focus);
  }

  if (glyph_->Empty()) return;
  const int shift = pressed_ ? 1 : 0;
  const int x = button.left + (button.right - button.left - glyph_->Width()) / 2 + shift;
  const int y = button.top + (button.bottom - button.top - glyph_->Height()) / 2 + shift;
  if (Enabled()) {
    canvas.Draw(x, y, *glyph_);
    return;
  }
  // Disabled: the picture's shape in the shadow colour.
  TBitmap shape(glyph_->Width(), glyph_->Height());
  const TColor key = glyph_->TransparentColor() == clDefault ? glyph_->Pixel(0, glyph_->Height() - 1)
                                                              : glyph_->TransparentColor();
  for (int py = 0; py < glyph_->Height(); ++py)
    for (int px = 0; px < glyph_->Width(); ++px)
      shape.SetPixel(px, py, glyph_->Pixel(px, py) == key ? key : clBtnShadow);
  shape.SetTransparentColor(key);
  shape.SetTransparent(true);
  canvas.Draw(x, y, shape);
}

// -- TCustomBrowseEdit ----------------------------------------------------------------------

const ClassInfo& TCustomBrowseEdit::StaticClass() {
  static const ClassInfo info = ClassBuilder<TCustomBrowseEdit>("TCustomBrowseEdit", &TCustomButtonEdit::StaticClass()).Build();
  return info;
}

TCustomBrowseEdit::TCustomBrowseEdit(TComponent* owner) : TCustomButtonEdit(owner) {
  SetCustomButtonWidth(18);
  // The picture holds an open folder (left half) and a disk (right half); browsing shows the folder.
  const std::vector<std::uint8_t> bytes = ResourceBytes("GLYPH_BROWSE");
  TBitmap strip;
  strip.LoadFromBytes(bytes.data(), bytes.size());
  const int w = strip.Width() / 2, h = strip.Height();
  TBitmap& glyph = ButtonGlyph();
  glyph.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    std::memcpy(glyph.ScanLine(y), strip.ScanLine(y), static_cast<std::size_t>(w) * sizeof(std::uint32_t));
  glyph.SetTransparentColor(clFuchsia);
  glyph.SetTransparent(true);
}

TCustomBrowseEdit::~TCustomBrowseEdit() = default;

// -- TCustomFileEdit ------------------------------------------------------------------------

const ClassInfo& TCustomFileEdit::StaticClass() {
  static const ClassInfo info = ClassBuilder<TCustomFileEdit>("TCustomFileEdit", &TCustomBrowseEdit::StaticClass()).Build();
  return info;
}

TCustomFileEdit::TCustomFileEdit(TComponent* owner) : TCustomBrowseEdit(owner) {}

TCustomFileEdit::~TCustomFileEdit() = default;

std::string TCustomFileEdit::Filename() const {
  if (EditFocused() || !minimizeName_) return Text();
  return fullPath_;
}

void TCustomFileEdit::SetFilename(const std::string& name) {
  showingDisplay_ = false;  // whatever the edit shows now, this is the value
  SetText(name);
  if (!IsLoading() && !EditFocused()) RefreshDisplay();
}

void TCustomFileEdit::SetFilenameOnly(bool value) {
  if (value == filenameOnly_) return;
  filenameOnly_ = value;
  if (!IsLoading()) RefreshDisplay();
}

void TCustomFileEdit::SetMinimizeName(bool value) {
  if (value == minimizeName_) return;
  minimizeName_ = value;
  if (!IsLoading() && !EditFocused()) RefreshDisplay();
}

void TCustomFileEdit::Change() {
  showingDisplay_ = false;  // typed or set: the text is a value of its own now
  TCustomBrowseEdit::Change();
}

// Stores the text as the full path and shows it as the options ask. While the text is
// still our own rendering (a name without its folder, a shortened path), it is not a path
// of its own: the stored path stays, so showing it never loses the folder.
void TCustomFileEdit::RefreshDisplay() {
  if (!showingDisplay_) fullPath_ = Text();
  std::string shown = fullPath_;
  if (filenameOnly_) shown = ExtractFileName(shown);
  if (minimizeName_) {
    const WindowDc dc(nullptr);
    const auto font = SelectInto(dc.get(), EditField().Font().Handle());
    const auto measure = [&dc](std::string_view text) {
      const std::wstring wide = Widen(text);
      SIZE size{};
      GetTextExtentPoint32W(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &size);
      return static_cast<int>(size.cx);
    };
    shown = MinimizePath(shown, TextAreaWidth(), measure);
  }
  SetDisplayText(shown);
  showingDisplay_ = shown != fullPath_;
}

void TCustomFileEdit::EditEnter() {
  if (!minimizeName_) return;
  SetDisplayText(fullPath_);
  showingDisplay_ = false;
}

void TCustomFileEdit::EditExit() { RefreshDisplay(); }

void TCustomFileEdit::Loaded() {
  TCustomBrowseEdit::Loaded();
  showingDisplay_ = false;
  fullPath_ = Text();
  if ((filenameOnly_ || minimizeName_) && !EditFocused()) RefreshDisplay();
}

void TCustomFileEdit::Browse() {
  TEdit& edit = EditField();
  if (!EditFocused() && edit.HandleAllocated() && edit.CanFocus()) edit.SetFocus();

  TOpenDialog dialog(nullptr);
  dialog.SetOptions(options_);
  dialog.SetTitle(title_);
  dialog.SetInitialDir(initialDir_);
  dialog.SetFilter(filter_);
  dialog.SetDefaultExt(defaultExt_);
  Fire(OnBeforeBrowse, &dialog);
  if (dialog.Execute()) {
    // Taken as a Filename write: should the edit not have got the focus (a hidden
    // window), the display rules still hold.
    SetFilename(dialog.FileName());
    Fire(OnDlgChange, this);
  }
  // OnBrowse is raised once per press, after the dialog has closed and with the dialog as
  // the sender, whether or not a file was chosen. A second call with the edit as the
  // sender would tell the handlers nothing new: ours ignore the sender and read the
  // edit's file name, so running them twice only repeats the same work (the sound
  // preview would play twice).
  Fire(OnBrowse, &dialog);
}

// -- TFileOpenEdit --------------------------------------------------------------------------

const ClassInfo& TFileOpenEdit::StaticClass() {
  using Notify = void(TObject*);
  static const ClassInfo info =
      ClassBuilder<TFileOpenEdit>("TFileOpenEdit", &TCustomFileEdit::StaticClass())
          // Text before Filename: a description read back sets the full path last, over a
          // shortened or name-only text written from the display.
          .Str("Text", &TFileOpenEdit::Text, &TFileOpenEdit::SetText)
          .Str("Filename", &TFileOpenEdit::Filename, &TFileOpenEdit::SetFilename)
          .Str("InitialDir", &TFileOpenEdit::InitialDir, &TFileOpenEdit::SetInitialDir)
          .Str("Filter", &TFileOpenEdit::Filter, &TFileOpenEdit::SetFilter)
          .Str("Title", &TFileOpenEdit::Title, &TFileOpenEdit::SetTitle)
          .Str("DefaultExt", &TFileOpenEdit::DefaultExt, &TFileOpenEdit::SetDefaultExt)
          .Set("Options", &TFileOpenEdit::Options, &TFileOpenEdit::SetOptions, OpenOptionType(),
               OpenOptionOf(ofHideReadOnly))
          .Bool("FilenameOnly", &TFileOpenEdit::FilenameOnly, &TFileOpenEdit::SetFilenameOnly, false)
          .Bool("MinimizeName", &TFileOpenEdit::MinimizeName, &TFileOpenEdit::SetMinimizeName, false)
          .Int("CustomButtonWidth", &TFileOpenEdit::CustomButtonWidth, &TFileOpenEdit::SetCustomButtonWidth, 18)
          .Enum("CustomButtonsStyle", &TFileOpenEdit::CustomButtonsStyle, &TFileOpenEdit::SetCustomButtonsStyle,
                ButtonEditStyleType(), ubsIntegrated)
          .Bool("CustomButtonParentCtlXP", &TFileOpenEdit::CustomButtonParentCtlXP,
                &TFileOpenEdit::SetCustomButtonParentCtlXP, false)
          .Bool("ReadOnly", &TFileOpenEdit::ReadOnly, &TFileOpenEdit::SetReadOnly, false)
          .Event<Notify>("OnChange", &TFileOpenEdit::OnChange)
          .Event<Notify>("OnBeforeBrowse", &TFileOpenEdit::OnBeforeBrowse)
          .Event<Notify>("OnDlgChange", &TFileOpenEdit::OnDlgChange)
          .Event<Notify>("OnBrowse", &TFileOpenEdit::OnBrowse)
          .Build();
  return info;
}

TFileOpenEdit::TFileOpenEdit(TComponent* owner) : TCustomFileEdit(owner) {}

TFileOpenEdit::~TFileOpenEdit() = default;

void TCustomButtonEdit::ChangeScale(int fromDpi, int toDpi) {
  TCustomControl::ChangeScale(fromDpi, toDpi);
  SetCustomButtonWidth(RescaleForDpi(buttonWidth_, fromDpi, toDpi));
}

}  // namespace dorvane
