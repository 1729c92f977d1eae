#include "framework/Window.h"

#include <commctrl.h>

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

// The one place a message meets its object, with the one catch.
LRESULT Deliver(TWindowTarget& target, HWND wnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC byDefault) {
  // A handler may free the sender before it throws: it is named only while it lives.
  TObject* sender = target.MessageSender();
  const auto* component = dynamic_cast<const TComponent*>(sender);
  const std::weak_ptr<const void> alive = component ? component->AliveToken() : std::weak_ptr<const void>();
  try {
    LRESULT result = 0;
    if (target.WindowMessage(wnd, msg, wp, lp, result)) return result;
  } catch (...) {
    HandleException(component && alive.expired() ? nullptr : sender);
    // A paint that failed is not asked for again at once, and again.
    if (msg == WM_PAINT) ValidateRect(wnd, nullptr);
    return 0;
  }
  return byDefault(wnd, msg, wp, lp);
}

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
    target->WindowGone(wnd);
    return byDefault(wnd, msg, wp, lp);
  }
  return Deliver(*target, wnd, msg, wp, lp, byDefault);
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
  if (!wnd || !RemovePropW(wnd, TargetProperty())) return;
  RemoveWindowSubclass(wnd, &SubclassProcedure, kSubclassId);
}

TWindowTarget* WindowTargetOf(HWND wnd) {
  return wnd ? static_cast<TWindowTarget*>(GetPropW(wnd, TargetProperty())) : nullptr;
}

}  // namespace dorvane
