// Layout of windowed controls: bounds, alignment of children, the layout hold of a form
// being read, and the children's windows made where they can be seen.
#include "framework/Controls.h"

#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>

#include "core/DisplayScale.h"
#include "core/ScopeExit.h"

namespace dorvane {

namespace {

// Layout holds of this thread (TWinControl::LayoutHold).
thread_local int g_layoutHolds = 0;

}  // namespace

bool TWinControl::ChildWindowsWanted() const {
  return wnd_ && !LayoutHeld() && ClientWidth() > 0 && ClientHeight() > 0;
}

void TWinControl::CreateChildHandles() {
  if (!ChildWindowsWanted()) return;
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->CreateWnd();
}

TWinControl::LayoutHold::LayoutHold() { ++g_layoutHolds; }
TWinControl::LayoutHold::~LayoutHold() { --g_layoutHolds; }
bool TWinControl::LayoutHeld() { return g_layoutHolds > 0; }

void TWinControl::FinishLayout() {
  AlignTree();
  CreateChildHandles();
}

void TWinControl::CreateAllHandles() {
  if (!wnd_ || LayoutHeld()) return;
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
      w->CreateWnd();
      w->CreateAllHandles();
    }
}

void TWinControl::AlignTree() {
  Realign();
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->AlignTree();
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (left == Left() && top == Top() && width == Width() && height == Height()) return;
  const bool resized = width != Width() || height != Height();
  TControl::left_ = left;
  TControl::top_ = top;
  TControl::width_ = width;
  TControl::height_ = height;
  UpdateWindowBounds();
  BoundsChanged();
  if (resized) {
    Realign();
    CreateChildHandles();
  }
  RequestAlign();
  if (resized && !IsLoading()) Fire(OnResize, this);
}

void TWinControl::UpdateWindowBounds() {
  if (!wnd_) return;
  creating_ = true;  // our own move: WM_SIZE/WM_MOVE need not read it back
  SetWindowPos(wnd_, nullptr, Left(), Top(), Width(), Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  creating_ = false;
}

void TWinControl::BoundsChanged() {}

int TWinControl::ClientWidth() const {
  if (!wnd_) return Width();
  RECT r;
  GetClientRect(wnd_, &r);
  return r.right - r.left;
}

int TWinControl::ClientHeight() const {
  if (!wnd_) return Height();
  RECT r;
  GetClientRect(wnd_, &r);
  return r.bottom - r.top;
}

void TWinControl::AdjustClientRect(RECT& rect) const {
  InflateRect(&rect, -borderWidth_, -borderWidth_);
}

// Aligned children are laid out in the order top, bottom, left, right, client. Within
// one kind they keep the order of their positions; the control whose change caused the
// layout goes first and keeps its place against controls at the same position.
void TWinControl::AlignControls(TControl* changed) {
  // Placing a child asks this control to align again; the pass that placed it is the
  // answer, so such requests are not followed.
  if (IsLoading() || aligning_ || LayoutHeld()) return;
  aligning_ = true;
  const auto done = OnScopeExit([this] { aligning_ = false; });
  AlignPass(changed);
}

void TWinControl::AlignPass(TControl* changed) {
  RECT rect = ClientRect();
  AdjustClientRect(rect);
  auto insertBefore = [](TControl* a, TControl* b, TAlign align) {
    switch (align) {
      case alTop: return a->Top() < b->Top();
      case alBottom: return a->Top() + a->Height() > b->Top() + b->Height();
      case alLeft: return a->Left() < b->Left();
      case alRight: return a->Left() + a->Width() > b->Left() + b->Width();
      default: return false;
    }
  };
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl*> list;
    if (changed && changed->Align() == align && changed->Visible() && changed->Parent() == this) list.push_back(changed);
    for (TControl* c : controls_) {
      if (c->Align() != align || !c->Visible() || c == changed) continue;
      auto it = list.begin();
      while (it != list.end() && !insertBefore(c, *it, align)) ++it;
      list.insert(it, c);
    }
    for (TControl* c : list) {
      const int w = rect.right - rect.left, h = rect.bottom - rect.top;
      switch (align) {
        case alTop:
          c->SetBounds(rect.left, rect.top, w, c->Height());
          rect.top += c->Height();
          break;
        case alBottom:
          rect.bottom -= c->Height();
          c->SetBounds(rect.left, rect.bottom, w, c->Height());
          break;
        case alLeft:
          c->SetBounds(rect.left, rect.top, c->Width(), h);
          rect.left += c->Width();
          break;
        case alRight:
          rect.right -= c->Width();
          c->SetBounds(rect.right, rect.top, c->Width(), h);
          break;
        case alClient:
          c->SetBounds(rect.left, rect.top, w, h);
          break;
        default: break;
      }
    }
  }
}

// The window was moved or sized by someone else (the user, the system): the control's
// bounds follow it.
void TWinControl::SizeMessage() {
  RECT r;
  GetWindowRect(wnd_, &r);
  POINT tl{r.left, r.top};
  if (Parent() && Parent()->HandleAllocated()) ::ScreenToClient(Parent()->wnd_, &tl);
  else if (GetWindowLongW(wnd_, GWL_STYLE) & WS_CHILD) ::ScreenToClient(GetParent(wnd_), &tl);
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (tl.x == Left() && tl.y == Top() && w == Width() && h == Height()) return;
  const bool resized = w != Width() || h != Height();
  TControl::left_ = tl.x;
  TControl::top_ = tl.y;
  TControl::width_ = w;
  TControl::height_ = h;
  if (!resized) return;
  Realign();
  CreateChildHandles();
  if (!IsLoading()) Fire(OnResize, this);
}

// -- display scale -------------------------------------------------------------------------

void TControl::ScaleBounds(int fromDpi, int toDpi) {
  auto scaled = [&](int v) { return RescaleForDpi(v, fromDpi, toDpi); };
  SetBounds(scaled(left_), scaled(top_), scaled(width_), scaled(height_));
}

void TControl::ScaleFont(int fromDpi, int toDpi) {
  if (!parentFont_) font_->SetHeight(RescaleForDpi(font_->Height(), fromDpi, toDpi));
}

void TControl::ChangeScale(int fromDpi, int toDpi) {
  if (fromDpi == toDpi) return;
  ScaleBounds(fromDpi, toDpi);
  ScaleFont(fromDpi, toDpi);
}

void TWinControl::ChangeScale(int fromDpi, int toDpi) {
  if (fromDpi == toDpi) return;
  // The whole tree first, then one alignment: children aligned before they were scaled
  // would be scaled twice.
  {
    const LayoutHold hold;
    ScaleBounds(fromDpi, toDpi);
    SetBorderWidth(RescaleForDpi(borderWidth_, fromDpi, toDpi));
    for (TControl* c : controls_) c->ChangeScale(fromDpi, toDpi);
    // The font last: children that take it and size themselves to their text (labels)
    // measure it at bounds already scaled, and are not scaled again.
    ScaleFont(fromDpi, toDpi);
  }
  if (!LayoutHeld()) FinishLayout();
}

}  // namespace dorvane
