#pragma once
// Controls: windowless graphic controls painted by their parent, windowed controls with
// their own window (our own window class or a wrapped system control), alignment,
// mouse events, and the message plumbing between them.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Classes.h"
#include "framework/Graphics.h"
#include "framework/TypInfo.h"
#include "framework/Window.h"

namespace dorvane {

class TWinControl;
class TPopupMenu;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
const EnumType& AlignType();

enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = std::uint32_t;
const EnumType& AnchorKindType();

// A one-pixel frame or none (gauges, bars).
enum TBorderStyle { bsNone, bsSingle };
const EnumType& BorderStyleType();

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = std::uint32_t;  // bit n = TShiftFlag n
inline constexpr TShiftState ShiftOf(TShiftFlag f) { return 1u << f; }

using TCursor = int;
constexpr TCursor crDefault = 0, crArrow = -2, crCross = -3, crIBeam = -4, crSizeAll = -22,
                  crHandPoint = -21, crHourGlass = -11;

// Whether ch is the accelerator of a caption: the character after a single "&" ("&&" is
// a plain ampersand), letter case ignored.
bool IsAccel(wchar_t ch, std::string_view caption);

// Cursor identifiers (crDefault, crHandPoint, ...) and their values.
std::span<const IntIdent> CursorIdents();

// The system cursor shown for a cursor value (shared, never freed).
HCURSOR CursorHandle(TCursor cursor);

using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;

// Counts every paint of every control, for tests and the benchmark.
std::uint64_t PaintCount();

class TControl : public TComponent {
  DORVANE_CLASS(TControl)
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  // -- position and size (relative to the parent's client area) --
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
  virtual int ClientWidth() const { return width_; }
  virtual int ClientHeight() const { return height_; }
  void SetClientWidth(int v);
  void SetClientHeight(int v);
  RECT ClientRect() const { return RECT{0, 0, ClientWidth(), ClientHeight()}; }
  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors anchors) { anchors_ = anchors; }

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);
  void SetParentComponent(TComponent* parent) override;
  TComponent* GetParentComponent() const override;

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible and every parent up to a shown window visible.
  virtual bool Showing() const;
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);
  TFont& Font() { return *font_; }
  const TFont& Font() const { return *font_; }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool value);

  const std::string& Caption() const { return text_; }
  void SetCaption(const std::string& text);
  const std::string& Text() const { return text_; }
  void SetText(const std::string& text) { SetCaption(text); }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool value);
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* menu);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor) { cursor_ = cursor; }
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  // -- painting --
  virtual void Invalidate();
  // Paints what is invalid at once.
  virtual void Update();
  // Invalidate and Update: the control is painted before this returns.
  void Repaint();
  void Refresh() { Repaint(); }

  // -- coordinates --
  POINT ClientToScreen(POINT p) const;
  POINT ScreenToClient(POINT p) const;
  // The control's origin in its nearest windowed ancestor's client area.
  POINT OriginInWindow() const;

  // -- events --
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnResize;

  // Mouse input as the parent window routes it (coordinates in this control's client
  // area). Overrides call the base, which raises the events.
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual void Click();
  virtual void DblClick();
  // Opens the control's popup menu (or its parent's) at a screen point; true when one opened.
  virtual bool ContextPopup(POINT screen);
  // Return or Escape, offered to every control of the form before the focused control
  // sees it: true when this control took it (a default or cancel button does).
  virtual bool DialogKey(WORD key, TShiftState shift) {
    (void)key;
    (void)shift;
    return false;
  }

  void Loaded() override;
  bool IsControl() const { return true; }

  // -- display scale --
  // Takes the control from pixels at one DPI to pixels at another, each figure through
  // its 96-dpi value (core/DisplayScale.h): its place and size, its own font (a font
  // taken from the parent follows the parent's), and the pixel figures of its kind
  // (a kind adds them and calls the base). A windowed control takes its children along.
  virtual void ChangeScale(int fromDpi, int toDpi);

 protected:
  // Notifications of changed properties (the framework's, for derived controls).
  virtual void ColorChanged();
  virtual void FontChanged();
  virtual void TextChanged();
  virtual void EnabledChanged();
  virtual void VisibleChanged();
  virtual void BoundsChanged();
  virtual void ParentColorChanged();
  virtual void ParentFontChanged();
  void Notification(TComponent* component, TOperation operation) override;
  void RequestAlign();
  // The place and size part of ChangeScale (a form keeps its place on the screen).
  virtual void ScaleBounds(int fromDpi, int toDpi);
  // The font part: the control's own font (one taken from the parent follows it).
  void ScaleFont(int fromDpi, int toDpi);
  // Opaque controls cover their whole rectangle; the parent does not paint behind them.
  bool opaque_ = false;

 private:
  friend class TWinControl;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = alNone;
  TAnchors anchors_ = (1u << akLeft) | (1u << akTop);
  TWinControl* parent_ = nullptr;
  bool visible_ = true;
  bool enabled_ = true;
  TColor color_ = clBtnFace;
  bool parentColor_ = true;
  std::unique_ptr<TFont> font_;
  bool parentFont_ = true;
  std::string text_;
  std::string hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  TPopupMenu* popupMenu_ = nullptr;
  TCursor cursor_ = crDefault;
  int tag_ = 0;
};

// A control without a window of its own: its parent paints it (in z-order, over the
// parent's background and over the controls beneath it) and routes mouse input to it.
class TGraphicControl : public TControl {
  DORVANE_CLASS(TGraphicControl)
 public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;
  TCanvas& Canvas() { return *canvas_; }
  // Paints onto the canvas (set up by the parent with the control's origin at 0, 0).
  virtual void Paint() {}
  // Called by the parent with a device context whose origin is this control's.
  void PaintTo(HDC dc);

 private:
  std::unique_ptr<TCanvas> canvas_;
};

struct TCreateParams {
  std::wstring className;       // a wrapped system control's class; empty: windowClass
  TWindowClass windowClass{L"DorvaneControl", CS_DBLCLKS};
  std::wstring caption;
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;
  HWND parent = nullptr;
};

// A control with a window. Children: graphic controls it paints, windowed controls with
// their own windows. Its messages come through the one window procedure (framework/
// Window.h) to WndProc; exceptions from message handling go to the application's handler.
class TWinControl : public TControl, private TWindowTarget {
  DORVANE_CLASS(TWinControl)
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  HWND Handle();  // creates the window when it does not exist yet
  bool HandleAllocated() const { return wnd_ != nullptr; }
  void HandleNeeded() { (void)Handle(); }
  // The object of one of our windows, or null.
  static TWinControl* FromHandle(HWND wnd);

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const { return controls_.at(static_cast<std::size_t>(index)); }
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  // The topmost visible child control (graphic or windowed) at a client point, or null.
  TControl* ControlAtPos(POINT p, bool allowDisabled = false) const;

  bool DoubleBuffered() const { return doubleBuffered_; }
  virtual void SetDoubleBuffered(bool value) { doubleBuffered_ = value; }
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int value);

  bool Focused() const;
  // This control or one of its children has the keyboard focus.
  bool ContainsFocus() const;
  virtual bool CanFocus() const;
  void SetFocus();

  // -- moving the focus with Tab --
  // Whether Tab stops at this control (the kinds that take the keyboard do by default),
  // and its place among its parent's stops: -1 (the default) orders by place, rows top to
  // bottom and left to right within a row; controls given a place come first, by place.
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value) { tabStop_ = value; }
  int TabOrder() const { return tabOrder_; }
  void SetTabOrder(int value) { tabOrder_ = value; }
  // The controls inside this one that Tab visits, in order: stops that can take the focus
  // now (visible and enabled up to here, with a window, not outside their parents' areas).
  // A control's own stops follow it.
  std::vector<TWinControl*> TabOrderList() const;
  // Focuses the stop after (or before) `current` (or the stop it lies inside) in
  // TabOrderList, wrapping around; the first (last) when `current` is in none of them.
  // Returns it, or null when there is none.
  TWinControl* SelectNext(TWinControl* current, bool forward);
  void Realign() { AlignControls(nullptr); }
  bool Showing() const override;

  // While a hold lasts, the thread's controls neither align their children nor give
  // newly loaded children their windows: a form description is read whole, then laid out
  // once (FinishLayout) and its windows are made at their final places.
  class LayoutHold {
   public:
    LayoutHold();
    ~LayoutHold();
    LayoutHold(const LayoutHold&) = delete;
    LayoutHold& operator=(const LayoutHold&) = delete;
  };
  static bool LayoutHeld();
  // After a hold: aligns this control's children and theirs, parents before children,
  // then makes the children's windows where they can be seen.
  void FinishLayout();
  // Makes the windows of all children and theirs, those of folded views too.
  void CreateAllHandles();

  void Invalidate() override;
  void Update() override;
  void SetBounds(int left, int top, int width, int height) override;
  void SetParent(TWinControl* parent) override;
  int ClientWidth() const override;
  int ClientHeight() const override;
  void SetEnabled(bool enabled) override;
  void ChangeScale(int fromDpi, int toDpi) override;

  // Paints this window's background and graphic children into dc (the whole client
  // area or the clip rectangle); used by WM_PAINT and for rendering to bitmaps.
  void PaintTo(HDC dc);
  void Loaded() override;

 protected:
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  void DestroyHandle();
  // After the window exists: push cached state into it.
  virtual void HandleCreated() {}
  virtual void HandleDestroying() {}
  // Message handling, from the window's creation (WM_NCCREATE) on. Return true when
  // handled (result set); otherwise default handling. A control kind takes a new
  // message by overriding this and calling the base for the rest.
  virtual bool WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  LRESULT DefaultHandler(UINT msg, WPARAM wp, LPARAM lp);
  // Painting of our own window: background (Color) then Paint of a custom control.
  virtual void PaintWindow(HDC dc);
  void PaintControls(HDC dc, const RECT& clip);
  // The area children are aligned in (the client area less borders).
  virtual void AdjustClientRect(RECT& rect) const;
  virtual void AlignControls(TControl* changed);
  // Messages a system control sends its parent (WM_COMMAND, WM_NOTIFY, WM_HSCROLL,
  // WM_VSCROLL, WM_CTLCOLOR..., WM_DRAWITEM, WM_MEASUREITEM), handed back to the control
  // they concern. The default colours a control's text and background with its own Font
  // and Color.
  virtual bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

  void ColorChanged() override;
  void TextChanged() override;
  void EnabledChanged() override;
  void VisibleChanged() override;
  void FontChanged() override;
  void BoundsChanged() override;

  HBRUSH BackgroundBrush();

 private:
  friend class TControl;
  // The window's side of the plumbing.
  bool WindowMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void WindowBound(HWND wnd) override { wnd_ = wnd; }
  void WindowGone(HWND wnd) override;
  TObject* MessageSender() override { return this; }
  // Messages a child control sends its parent (WM_COMMAND, WM_NOTIFY, ...): handed to
  // the child they concern, true when it took one.
  bool ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  bool ContextMenuMessage(LPARAM lp);
  bool SetCursorMessage(LPARAM lp);
  void SizeMessage();
  void RouteMouse(UINT msg, WPARAM wp, LPARAM lp);
  void UpdateMouseOver(TControl* over);
  void PaintMessage();
  // Children get their windows once this control has a window and an area to show them
  // in: the controls of a view folded to nothing (the settings below the main window's
  // edge) cost nothing until the view opens.
  bool ChildWindowsWanted() const;
  void CreateChildHandles();
  void AlignTree();
  void UpdateWindowBounds();
  void AlignPass(TControl* changed);

  HWND wnd_ = nullptr;
  bool systemClass_ = false;
  bool creating_ = false;
  std::vector<TControl*> controls_;
  bool doubleBuffered_ = false;
  int borderWidth_ = 0;
  bool tabStop_ = false;
  int tabOrder_ = -1;
  bool aligning_ = false;
  TControl* captured_ = nullptr;     // graphic child that took the mouse on a button press
  TControl* mouseOver_ = nullptr;    // graphic child under the mouse
  TControl* leftPressed_ = nullptr;  // this control or a graphic child: the left button's press
  bool trackingLeave_ = false;
  UniqueHbrush backBrush_;
  TColor backBrushColor_ = clNone;
  UniqueHfont fontHandle_;           // the font given to a system control
};

// A windowed control that paints itself on its canvas.
class TCustomControl : public TWinControl {
  DORVANE_CLASS(TCustomControl)
 public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;
  TCanvas& Canvas() { return *canvas_; }

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC dc) override;

 private:
  std::unique_ptr<TCanvas> canvas_;
};

// Shift state of the keyboard and mouse buttons of a mouse message's wParam.
TShiftState ShiftFromKeys(WPARAM keys);
// Shift, Alt and Ctrl as the keyboard is now.
TShiftState CurrentShiftState();

}  // namespace dorvane
