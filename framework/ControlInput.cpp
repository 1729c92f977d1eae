// Mouse input of windowed controls: routed to the graphic child under the mouse (or the
// one that took it on a button press), the context menu, the cursor, shift states.
#include "framework/Controls.h"

#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>

#include "framework/Application.h"

namespace dorvane {

TShiftState ShiftFromKeys(WPARAM keys) {
  TShiftState s = 0;
  if (keys & MK_SHIFT) s |= ShiftOf(ssShift);
  if (keys & MK_CONTROL) s |= ShiftOf(ssCtrl);
  if (keys & MK_LBUTTON) s |= ShiftOf(ssLeft);
  if (keys & MK_RBUTTON) s |= ShiftOf(ssRight);
  if (keys & MK_MBUTTON) s |= ShiftOf(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s |= ShiftOf(ssAlt);
  return s;
}

TShiftState CurrentShiftState() {
  TShiftState s = 0;
  if (GetAsyncKeyState(VK_SHIFT) & 0x8000) s |= ShiftOf(ssShift);
  if (GetAsyncKeyState(VK_MENU) & 0x8000) s |= ShiftOf(ssAlt);
  if (GetAsyncKeyState(VK_CONTROL) & 0x8000) s |= ShiftOf(ssCtrl);
  return s;
}

TControl* TWinControl::ControlAtPos(POINT p, bool allowDisabled) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (!c->Visible() || (!allowDisabled && !c->Enabled())) continue;
    const RECT r = c->BoundsRect();
    if (PtInRect(&r, p)) return c;
  }
  return nullptr;
}

void TWinControl::RouteMouse(UINT msg, WPARAM wp, LPARAM lp) {
  const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  TShiftState shift = ShiftFromKeys(wp);
  TControl* target = captured_;
  if (!target) {
    TControl* at = ControlAtPos(p);
    target = (at && !dynamic_cast<TWinControl*>(at)) ? at : this;
  }
  const POINT origin = target == this ? POINT{0, 0} : POINT{target->Left(), target->Top()};
  const int x = p.x - origin.x, y = p.y - origin.y;
  auto buttonOf = [](UINT m) {
    switch (m) {
      case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK: return mbRight;
      case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK: return mbMiddle;
      default: return mbLeft;
    }
  };
  switch (msg) {
    case WM_MOUSEMOVE: {
      if (!trackingLeave_ && !systemClass_) {
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, wnd_, 0};
        trackingLeave_ = TrackMouseEvent(&tme) != FALSE;
      }
      if (!captured_) UpdateMouseOver(target);
      Application().HintMouseMove(target);
      target->MouseMove(shift, x, y);
      break;
    }
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
      Application().CancelHint();
      if (!systemClass_) {
        // The control pressed keeps the mouse until the buttons are up, so its release
        // comes back to it wherever the mouse went meanwhile.
        if (target != this) captured_ = target;
        SetCapture(wnd_);
      }
      if (msg == WM_LBUTTONDOWN) leftPressed_ = target;
      target->MouseDown(buttonOf(msg), shift, x, y);
      break;
    case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK:
      if (msg == WM_LBUTTONDBLCLK) {
        leftPressed_ = target;
        target->DblClick();
      }
      target->MouseDown(buttonOf(msg), shift | ShiftOf(ssDouble), x, y);
      break;
    case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP: {
      const bool inside = x >= 0 && y >= 0 && x < target->Width() && y < target->Height();
      // A click is a press and a release on the same control: a release that ends a
      // press begun elsewhere (on another control, in another window) clicks nothing.
      const bool clicked = msg == WM_LBUTTONUP && inside && !systemClass_ && leftPressed_ == target;
      if (msg == WM_LBUTTONUP) leftPressed_ = nullptr;
      // A system control keeps and lets go of the mouse itself (its click needs it); a
      // control of ours that pressed on itself lets go once its release has been seen
      // (losing the mouse before would end its press unclicked).
      const bool lastButton = !systemClass_ && !(wp & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON));
      if (lastButton && captured_) {
        captured_ = nullptr;
        if (GetCapture() == wnd_) ReleaseCapture();
      }
      const std::weak_ptr<const void> alive = AliveToken();
      if (clicked) target->Click();
      if (alive.expired()) break;
      if (target->Parent() == this || target == this) target->MouseUp(buttonOf(msg), shift, x, y);
      if (lastButton && !alive.expired() && wnd_ && GetCapture() == wnd_) ReleaseCapture();
      break;
    }
    default: break;
  }
}

void TWinControl::UpdateMouseOver(TControl* over) {
  if (over == mouseOver_) return;
  TControl* old = mouseOver_;
  mouseOver_ = over;
  if (old) old->MouseLeave();
  if (over) over->MouseEnter();
}

// A context menu asked for over this window (lp: the screen point, or -1, -1 from the
// keyboard): the graphic child's popup menu under the point, else this control's. True
// when one opened.
bool TWinControl::ContextMenuMessage(LPARAM lp) {
  POINT screen{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  if (screen.x == -1 && screen.y == -1) {
    screen = {0, 0};
    ::ClientToScreen(wnd_, &screen);
  }
  POINT client = screen;
  ::ScreenToClient(wnd_, &client);
  TControl* target = ControlAtPos(client);
  if (target && !dynamic_cast<TWinControl*>(target) && target->ContextPopup(screen)) return true;
  return ContextPopup(screen);
}

// The cursor of the graphic child under the mouse, or this control's; true when one of
// ours was set (crDefault leaves it to the system).
bool TWinControl::SetCursorMessage(LPARAM lp) {
  if (LOWORD(lp) != HTCLIENT || systemClass_) return false;
  POINT p;
  GetCursorPos(&p);
  ::ScreenToClient(wnd_, &p);
  TControl* c = ControlAtPos(p);
  const TCursor cursor = (c && !dynamic_cast<TWinControl*>(c)) ? c->Cursor() : Cursor();
  if (cursor == crDefault) return false;
  ::SetCursor(CursorHandle(cursor));
  return true;
}
}  // namespace dorvane
