#pragma once
// One window plumbing for every window of ours: controls and forms, wrapped system
// controls, the hint window and the hidden utility windows.
//
// - A class of ours is registered once (RegisterWindowClass); its procedure is the one
//   window procedure.
// - The object is bound to its window once, by one mechanism (a window property):
//   at WM_NCCREATE for a class of ours (the object comes through CreateWindowExW, so
//   WM_NCCREATE and WM_CREATE reach it), right after creation for a system control,
//   whose messages then come to the same procedure through a subclass. WindowTargetOf
//   finds the object again in O(1).
// - The one procedure hands every message to the object and has the one catch: an
//   exception goes to the application's handler, never across the system's callback.
//
// - Another object that takes part in a bound window's messages (a component watching
//   its form) listens to the window (ListenToWindow): the same procedure shows it each
//   message before the object and the answer after it, under the same catch.
//
// A window kind takes a new message by handling it in its WindowMessage (a control's
// WndProc): nothing else needs to change.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace dorvane {

class TObject;
class TWindowListener;

class TWindowTarget {
 public:
  TWindowTarget() = default;
  TWindowTarget(const TWindowTarget&) = delete;
  TWindowTarget& operator=(const TWindowTarget&) = delete;

  // One message of the bound window; false leaves it to the default handling. May
  // throw: the one window procedure reports the exception for MessageSender().
  virtual bool WindowMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) = 0;
  // The window is bound from now on (WM_NCCREATE, or a system control just made).
  virtual void WindowBound(HWND) {}
  // The window went away by itself (WM_NCDESTROY: destroyed with its parent, say); no
  // message reaches the object after this.
  virtual void WindowGone(HWND) {}
  // Whom an exception of a handler is reported for; null for nobody in particular.
  // A component that is freed by its own handler is not named.
  virtual TObject* MessageSender() { return nullptr; }

 protected:
  ~TWindowTarget() = default;

 private:
  friend struct WindowRoute;
  std::vector<TWindowListener*> listeners_;  // in the order they came
};

// Takes part in the messages of a window whose object is another's. Listeners that came
// later see a message first and its answer last, as if each wrapped those before it.
class TWindowListener {
 public:
  // Before the window's object has the message.
  virtual void MessageArriving(HWND, UINT, WPARAM, LPARAM) {}
  // After the window's answer (the object's, or the default one), which may be changed.
  virtual void MessageAnswered(HWND, UINT, WPARAM, LPARAM, LRESULT&) {}
  // The window was unbound or destroyed: the listener is no longer listed.
  virtual void ListenedWindowGone(HWND) {}
  // Whom an exception of the listener is reported for.
  virtual TObject* MessageSender() { return nullptr; }

 protected:
  TWindowListener() = default;
  TWindowListener(const TWindowListener&) = delete;
  TWindowListener& operator=(const TWindowListener&) = delete;
  ~TWindowListener() = default;
};

// A window class of ours: a name and its class styles (the cursor is the arrow).
struct TWindowClass {
  const wchar_t* name;
  UINT style = 0;
};

// Registers the class once per process, with the one window procedure.
void RegisterWindowClass(const TWindowClass& windowClass);

// What a window is made with; the defaults make a hidden, parentless, empty window.
struct TWindowArgs {
  TWindowClass windowClass{L"DorvaneControl", CS_DBLCLKS};  // a class of ours ...
  const wchar_t* systemClass = nullptr;                     // ... or a system control's
  std::wstring caption;
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;
  HWND parent = nullptr;
};

// Makes a window bound to `target`; null when the system refuses (GetLastError says why).
HWND CreateBoundWindow(const TWindowArgs& args, TWindowTarget& target);
// Lets go of a window before its owner destroys it: no message reaches the object any more.
void UnbindWindow(HWND wnd);
// The object bound to a window, or null (a window of someone else's).
TWindowTarget* WindowTargetOf(HWND wnd);
// Lists `listener` for the messages of a bound window; false for a window of someone
// else's. A listener stops listening before it goes (or is told the window went).
bool ListenToWindow(HWND wnd, TWindowListener& listener);
void StopListening(HWND wnd, TWindowListener& listener);

}  // namespace dorvane
