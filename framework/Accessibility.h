#pragma once
// What assistive technology (screen readers, magnifiers, UI automation's proxy) reads of a
// window whose parts are drawn by the program: a list of elements, each with a role, a
// name, a value, a place on the screen and perhaps a default action.
//
// A form given a source of elements answers the system's WM_GETOBJECT for its client
// area with an accessible object (MSAA IAccessible). The object asks the source each time
// it is asked, so the elements follow what the window shows; it outlives the form when
// a reader still holds it, and then answers that it is gone.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace dorvane {

class TControl;

enum TAccessibleRole {
  arPushButton,   // presses; its default action is "Press"
  arProgressBar,  // a gauge: the value says how full
  arStaticText,
};

struct TAccessibleElement {
  TAccessibleRole role = arStaticText;
  std::string name;
  std::string value;
  // Where it is shown (its screen rectangle is the control's); null: nowhere.
  const TControl* control = nullptr;
  // The default action (a button's "Press"), run from the message loop once the reader's
  // call has returned; none without.
  std::function<void()> action;
};

using TAccessibleSource = std::function<std::vector<TAccessibleElement>()>;

class TComponent;
class TAccessibleObject;

// The accessible object of one window, answering WM_GETOBJECT for its client area. The
// owner is what a default action runs for (it is skipped when the owner has gone).
class TAccessibility {
 public:
  TAccessibility(TComponent* owner, TAccessibleSource source);
  // Readers that still hold the object are told it is gone.
  ~TAccessibility();
  TAccessibility(const TAccessibility&) = delete;
  TAccessibility& operator=(const TAccessibility&) = delete;

  // The answer to WM_GETOBJECT (wp, lp) for `wnd`; nullopt for an object other than the
  // client area, which the default handling answers.
  bool Answer(HWND wnd, WPARAM wp, LPARAM lp, LRESULT& result);

 private:
  TComponent* owner_;
  TAccessibleSource source_;
  TAccessibleObject* object_ = nullptr;  // made when first asked for; our reference to it
};

}  // namespace dorvane
