#include "framework/Window.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "framework/Application.h"
#include "framework/Classes.h"

namespace dorvane {
namespace {

constexpr UINT_PTR kSubclassId = 1;

// The property that holds a window's object: an atom of our own, so that a window of
// someone else's never carries it by chance.
LPCWSTR TargetProperty() {
  static const ATOM atom = GlobalAddAtomW(L"DorvaneWindowTarget");
  return atom ? MAKEINTATOM(atom) : L"DorvaneWindowTarget";
}

void Bind(HWND wnd, TWindowTarget& target) {
  SetPropW(wnd, TargetProperty(), &target);
  target.WindowBound(wnd);
}

LRESULT CALLBACK SubclassProcedure(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR);

// The one catch: a step of a message's handling that throws is reported for its sender
// (named only while it lives: a handler may free it before it throws) and goes no further.
template <typename Step>
bool Guarded(TObject* sender, Step&& step) {
  const auto* component = dynamic_cast<const TComponent*>(sender);
  const std::weak_ptr<const void> alive = component ? component->AliveToken() : std::weak_ptr<const void>();
  try {
    step();
    return true;
  } catch (...) {
    HandleException(component && alive.expired() ? nullptr : sender);
    return false;
  }
}

}  // namespace

// The one place a message meets its object and the window's listeners.
struct WindowRoute {
  // Whether `listener` is still listed for the window, which still has `target`: any step
  // before may have unbound the window, freed the object or the listener.
  static bool Listening(HWND wnd, TWindowTarget& target, TWindowListener* listener) {
    if (WindowTargetOf(wnd) != &target) return false;
    const auto& listed = target.listeners_;
    return std::find(listed.begin(), listed.end(), listener) != listed.end();
  }

  static LRESULT Deliver(TWindowTarget& target, HWND wnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC byDefault) {
    const std::vector<TWindowListener*> listeners = target.listeners_;  // they may come and go meanwhile
    for (auto it = listeners.rbegin(); it != listeners.rend(); ++it)
      if (Listening(wnd, target, *it))
        Guarded((*it)->MessageSender(), [&] { (*it)->MessageArriving(wnd, msg, wp, lp); });
    LRESULT result = 0;
    bool handled = false;
    if (listeners.empty() || WindowTargetOf(wnd) == &target) {
      const bool done = Guarded(target.MessageSender(), [&] { handled = target.WindowMessage(wnd, msg, wp, lp, result); });
      if (!done) {
        // A paint that failed is not asked for again at once, and again.
        if (msg == WM_PAINT) ValidateRect(wnd, nullptr);
        handled = true;
        result = 0;
      }
    }
    if (!handled) result = byDefault(wnd, msg, wp, lp);
    for (TWindowListener* listener : listeners)
      if (Listening(wnd, target, listener))
        Guarded(listener->MessageSender(), [&] { listener->MessageAnswered(wnd, msg, wp, lp, result); });
    return result;
  }

  // The window goes: its listeners are let go of and told.
  static void ReleaseListeners(HWND wnd, TWindowTarget& target) {
    const std::vector<TWindowListener*> listeners = std::move(target.listeners_);
    target.listeners_.clear();
    for (TWindowListener* listener : listeners) listener->ListenedWindowGone(wnd);
  }

  static bool Listen(HWND wnd, TWindowListener& listener) {
    TWindowTarget* target = WindowTargetOf(wnd);
    if (!target) return false;
    if (std::find(target->listeners_.begin(), target->listeners_.end(), &listener) == target->listeners_.end())
      target->listeners_.push_back(&listener);
    return true;
  }

  static void StopListening(HWND wnd, TWindowListener& listener) {
    if (TWindowTarget* target = WindowTargetOf(wnd)) std::erase(target->listeners_, &listener);
  }
};

namespace {

LRESULT CALLBACK DefaultSubclassed(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DefSubclassProc(wnd, msg, wp, lp);
}

// Every message of a window of ours, or of a subclassed system control on its way to
// the control's own procedure.
LRESULT Route(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, bool subclassed) {
  const WNDPROC byDefault = subclassed ? &DefaultSubclassed : &DefWindowProcW;
  TWindowTarget* target = WindowTargetOf(wnd);
  if (!target) return byDefault(wnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    // The last message of a window the object did not let go of first.
    RemovePropW(wnd, TargetProperty());
    if (subclassed) RemoveWindowSubclass(wnd, &SubclassProcedure, kSubclassId);
    WindowRoute::ReleaseListeners(wnd, *target);
    target->WindowGone(wnd);
    return byDefault(wnd, msg, wp, lp);
  }
  return WindowRoute::Deliver(*target, wnd, msg, wp, lp, byDefault);
}

LRESULT CALLBACK WindowProcedure(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lp);
    if (auto* target = static_cast<TWindowTarget*>(create->lpCreateParams)) Bind(wnd, *target);
  }
  return Route(wnd, msg, wp, lp, false);
}

LRESULT CALLBACK SubclassProcedure(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  return Route(wnd, msg, wp, lp, true);
}

}  // namespace

void RegisterWindowClass(const TWindowClass& windowClass) {
  static std::vector<std::wstring> registered;
  for (const std::wstring& name : registered)
    if (name == windowClass.name) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = windowClass.style;
  wc.lpfnWndProc = &WindowProcedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = windowClass.name;
  if (RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS)
    registered.emplace_back(windowClass.name);
}

HWND CreateBoundWindow(const TWindowArgs& args, TWindowTarget& target) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!args.systemClass) {
    RegisterWindowClass(args.windowClass);
    return CreateWindowExW(args.exStyle, args.windowClass.name, args.caption.c_str(), args.style, args.x, args.y,
                           args.width, args.height, args.parent, nullptr, instance, &target);
  }
  HWND wnd = CreateWindowExW(args.exStyle, args.systemClass, args.caption.c_str(), args.style, args.x, args.y,
                             args.width, args.height, args.parent, nullptr, instance, nullptr);
  if (!wnd) return nullptr;
  Bind(wnd, target);
  SetWindowSubclass(wnd, &SubclassProcedure, kSubclassId, 0);
  return wnd;
}

void UnbindWindow(HWND wnd) {
  TWindowTarget* target = WindowTargetOf(wnd);
  if (!target) return;
  RemovePropW(wnd, TargetProperty());
  RemoveWindowSubclass(wnd, &SubclassProcedure, kSubclassId);
  WindowRoute::ReleaseListeners(wnd, *target);
}

TWindowTarget* WindowTargetOf(HWND wnd) {
  return wnd ? static_cast<TWindowTarget*>(GetPropW(wnd, TargetProperty())) : nullptr;
}

}  // namespace dorvane

namespace dorvane {

bool ListenToWindow(HWND wnd, TWindowListener& listener) { return WindowRoute::Listen(wnd, listener); }

void StopListening(HWND wnd, TWindowListener& listener) { WindowRoute::StopListening(wnd, listener); }

}  // namespace dorvane
