#include "framework/Accessibility.h"

#include <oleacc.h>

#include <new>

#include "core/win32/WideString.h"
#include "framework/Application.h"
#include "framework/Controls.h"
#include "winapi/Handles.h"

namespace dorvane {

namespace {

// The window thread joins a COM apartment the first time a reader asks: handing an
// object to another program goes through COM. Left once at the end of the process.
class ComApartment {
 public:
  ComApartment() : joined_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (joined_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool joined_;
};

void JoinComApartment() { static const ComApartment apartment; }

BSTR NewBstr(const std::string& text) { return SysAllocString(Widen(text).c_str()); }

// Every COM method ends here: no exception crosses into the reader's call.
template <typename Body>
HRESULT Guarded(Body body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

LONG RoleCode(TAccessibleRole role) {
  switch (role) {
    case arPushButton: return ROLE_SYSTEM_PUSHBUTTON;
    case arProgressBar: return ROLE_SYSTEM_PROGRESSBAR;
    case arStaticText: break;
  }
  return ROLE_SYSTEM_STATICTEXT;
}

RECT ScreenRectOf(const TControl& control) {
  const POINT origin = control.ClientToScreen(POINT{0, 0});
  return RECT{origin.x, origin.y, origin.x + control.Width(), origin.y + control.Height()};
}

}  // namespace

// The client area of one window and its elements (simple children, ids 1..n).
class TAccessibleObject final : public IAccessible {
 public:
  TAccessibleObject(HWND wnd, TComponent* owner, TAccessibleSource source)
      : wnd_(wnd), owner_(owner), source_(std::move(source)) {}

  // The window's side has gone: every call answers so from now on.
  void Disconnect() {
    source_ = nullptr;
    owner_ = nullptr;
    CoDisconnectObject(static_cast<IAccessible*>(this), 0);
  }
  void SetWindow(HWND wnd) { wnd_ = wnd; }

  // -- IUnknown --
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible)) {
      *object = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // -- IDispatch: readers use the interface's methods, not late binding --
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // -- IAccessible --
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    if (!source_) return CO_E_OBJNOTCONNECTED;
    return AccessibleObjectFromWindow(wnd_, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                      reinterpret_cast<void**>(parent));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (!count) return E_POINTER;
    return Guarded([&] {
      if (!source_) return CO_E_OBJNOTCONNECTED;
      *count = static_cast<long>(source_().size());
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** dispatch) override {
    if (!dispatch) return E_POINTER;
    *dispatch = nullptr;
    return Guarded([&] {
      TAccessibleElement element;
      const HRESULT found = Element(child, element);
      // The elements are simple children: they have no object of their own.
      return found == S_OK ? S_FALSE : found;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return Text(child, name, [this](const TAccessibleElement* e) { return e ? e->name : WindowCaption(); });
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return Text(child, value, [](const TAccessibleElement* e) { return e ? e->value : std::string(); });
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return Text(child, text, [](const TAccessibleElement*) { return std::string(); });
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
    return Text(child, text, [](const TAccessibleElement*) { return std::string(); });
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
    return Text(child, text, [](const TAccessibleElement*) { return std::string(); });
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* text) override {
    return Text(child, text,
                [](const TAccessibleElement* e) { return e && e->action ? std::string("Press") : std::string(); });
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    return Number(child, role, [](const TAccessibleElement* e) { return e ? RoleCode(e->role) : ROLE_SYSTEM_CLIENT; });
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return Number(child, state, [this](const TAccessibleElement* e) {
      LONG bits = 0;
      if (!IsWindowVisible(wnd_)) bits |= STATE_SYSTEM_INVISIBLE;
      if (e && e->role != arPushButton) bits |= STATE_SYSTEM_READONLY;
      return bits;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (!focus) return E_POINTER;
    VariantInit(focus);
    return S_FALSE;  // no element takes the keyboard focus
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (!selection) return E_POINTER;
    VariantInit(selection);
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    return Guarded([&] {
      TAccessibleElement element;
      const HRESULT found = Element(child, element);
      if (FAILED(found)) return found;
      RECT r{};
      if (found == S_OK) {
        if (!element.control) return S_FALSE;
        r = ScreenRectOf(*element.control);
      } else {
        GetClientRect(wnd_, &r);
        MapWindowPoints(wnd_, nullptr, reinterpret_cast<POINT*>(&r), 2);
      }
      *left = r.left;
      *top = r.top;
      *width = r.right - r.left;
      *height = r.bottom - r.top;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    if (!end) return E_POINTER;
    VariantInit(end);
    return Guarded([&] {
      if (!source_) return CO_E_OBJNOTCONNECTED;
      if (start.vt != VT_I4) return E_INVALIDARG;
      const long count = static_cast<long>(source_().size());
      const long from = start.lVal;
      long to = 0;
      switch (direction) {
        case NAVDIR_FIRSTCHILD: to = from == CHILDID_SELF ? 1 : 0; break;
        case NAVDIR_LASTCHILD: to = from == CHILDID_SELF ? count : 0; break;
        case NAVDIR_NEXT: case NAVDIR_RIGHT: case NAVDIR_DOWN: to = from == CHILDID_SELF ? 0 : from + 1; break;
        case NAVDIR_PREVIOUS: case NAVDIR_LEFT: case NAVDIR_UP: to = from == CHILDID_SELF ? 0 : from - 1; break;
        default: return E_INVALIDARG;
      }
      if (to < 1 || to > count) return S_FALSE;
      end->vt = VT_I4;
      end->lVal = to;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
    if (!hit) return E_POINTER;
    VariantInit(hit);
    return Guarded([&] {
      if (!source_) return CO_E_OBJNOTCONNECTED;
      const std::vector<TAccessibleElement> elements = source_();
      const POINT p{x, y};
      for (std::size_t i = 0; i < elements.size(); ++i) {
        if (!elements[i].control) continue;
        const RECT r = ScreenRectOf(*elements[i].control);
        if (PtInRect(&r, p)) {
          hit->vt = VT_I4;
          hit->lVal = static_cast<LONG>(i + 1);
          return S_OK;
        }
      }
      RECT client{};
      GetClientRect(wnd_, &client);
      MapWindowPoints(wnd_, nullptr, reinterpret_cast<POINT*>(&client), 2);
      if (!PtInRect(&client, p)) return S_FALSE;
      hit->vt = VT_I4;
      hit->lVal = CHILDID_SELF;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return Guarded([&] {
      TAccessibleElement element;
      const HRESULT found = Element(child, element);
      if (FAILED(found)) return found;
      if (found == S_FALSE || !element.action) return DISP_E_MEMBERNOTFOUND;
      // Not inside the reader's call: a button's action may show, hide or close windows.
      Application().Later(owner_, element.action);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }

 private:
  ~TAccessibleObject() = default;

  // S_OK with the element a child id names, S_FALSE for the client area itself, an error
  // for an id of no element.
  HRESULT Element(const VARIANT& child, TAccessibleElement& element) const {
    if (!source_) return CO_E_OBJNOTCONNECTED;
    if (child.vt != VT_I4) return E_INVALIDARG;
    if (child.lVal == CHILDID_SELF) return S_FALSE;
    const std::vector<TAccessibleElement> elements = source_();
    if (child.lVal < 1 || child.lVal > static_cast<long>(elements.size())) return E_INVALIDARG;
    element = elements[static_cast<std::size_t>(child.lVal - 1)];
    return S_OK;
  }

  // A text of an element or of the client area; an empty one is no text (S_FALSE).
  template <typename Of>
  HRESULT Text(const VARIANT& child, BSTR* out, Of of) const {
    if (!out) return E_POINTER;
    *out = nullptr;
    return Guarded([&] {
      TAccessibleElement element;
      const HRESULT found = Element(child, element);
      if (FAILED(found)) return found;
      const std::string text = of(found == S_OK ? &element : nullptr);
      if (text.empty()) return S_FALSE;
      *out = NewBstr(text);
      return *out ? S_OK : E_OUTOFMEMORY;
    });
  }

  // A whole-number property of an element or of the client area.
  template <typename Of>
  HRESULT Number(const VARIANT& child, VARIANT* out, Of of) const {
    if (!out) return E_POINTER;
    VariantInit(out);
    return Guarded([&] {
      TAccessibleElement element;
      const HRESULT found = Element(child, element);
      if (FAILED(found)) return found;
      out->vt = VT_I4;
      out->lVal = of(found == S_OK ? &element : nullptr);
      return S_OK;
    });
  }

  std::string WindowCaption() const {
    wchar_t buffer[256] = {};
    GetWindowTextW(wnd_, buffer, 256);
    return Narrow(buffer);
  }

  LONG refs_ = 1;
  HWND wnd_;
  TComponent* owner_;
  TAccessibleSource source_;
};

TAccessibility::TAccessibility(TComponent* owner, TAccessibleSource source)
    : owner_(owner), source_(std::move(source)) {}

TAccessibility::~TAccessibility() {
  if (!object_) return;
  object_->Disconnect();
  object_->Release();
}

bool TAccessibility::Answer(HWND wnd, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (static_cast<LONG>(static_cast<DWORD>(lp)) != OBJID_CLIENT) return false;
  JoinComApartment();
  if (!object_) object_ = new TAccessibleObject(wnd, owner_, source_);
  else object_->SetWindow(wnd);
  result = LresultFromObject(__uuidof(IAccessible), wp, static_cast<IAccessible*>(object_));
  return true;
}

}  // namespace dorvane
