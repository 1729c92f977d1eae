#pragma once
// Property tables: every class declares its published properties once (name, kind,
// getter, setter, default, enumeration or set member names). The form loader and the
// registry form storage both work from these tables; nothing else lists property names.
#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

namespace dorvane {

class TObject;
class TComponent;
struct ClassInfo;

enum class PropKind {
  Integer,      // 32-bit signed (colours and cursors included)
  Int64,        // 64-bit signed
  Enumeration,  // an ordinal of an enumeration type (booleans included)
  Set,          // a set of enumeration members, as a bit mask (ordinals below 32)
  Char,         // one character
  Float,        // floating point
  String,       // text
  Class,        // an object: an owned sub-object (font, string list, collection) or a
                // reference to another component of the form
  Method,       // an event
};

// Identifiers of an enumeration type by ordinal (ordinal = index).
struct EnumType {
  std::string name;
  std::vector<std::string> names;
  // The ordinal of an identifier, or -1. Identifiers are matched ignoring letter case.
  int IndexOf(std::string_view identifier) const;
  const std::string& NameOf(std::int64_t ordinal) const;
};

const EnumType& BooleanType();

// Identifiers accepted for integer values (colour names such as clBtnFace).
struct IntIdent {
  std::string_view name;
  std::int64_t value;
};

// Colour identifiers (clBlack, clBtnFace, ...) and their values.
std::span<const IntIdent> ColorIdents();

// A named handler of a form class, bound to the form object when a form description
// assigns it to an event.
struct MethodEntry {
  std::string name;
  const std::type_info* signature;  // of the std::function the handler fits
  std::function<std::any(TObject* self)> bind;
};

// An event value as the loader hands it to an event property.
struct MethodValue {
  std::string name;
  const std::type_info* signature = nullptr;
  std::any function;  // std::function<signature>
};

// A getter or setter of a property: a plain function and the few bytes it was made with
// (a member pointer, mostly), kept as they are. The tables hold hundreds of these; as
// std::function objects each would bring its own manager function and type name into
// the program.
template <typename Sig>
class PropAccessor;

template <typename R, typename... A>
class PropAccessor<R(A...)> {
  static constexpr std::size_t kCapacity = 4 * sizeof(void*);

 public:
  PropAccessor() = default;
  template <typename F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, PropAccessor> && std::is_trivially_copyable_v<F> &&
             sizeof(F) <= kCapacity && alignof(F) <= alignof(void*) && std::is_invocable_r_v<R, const F&, A...>)
  PropAccessor(F f) : call_(&Call<F>) {
    ::new (static_cast<void*>(data_)) F(f);
  }

  // Like an empty std::function, an empty accessor throws std::bad_function_call.
  R operator()(A... args) const {
    if (!call_) throw std::bad_function_call();
    return call_(data_, std::forward<A>(args)...);
  }
  explicit operator bool() const { return call_ != nullptr; }

 private:
  template <typename F>
  static R Call(const void* data, A... args) {
    return (*static_cast<const F*>(data))(std::forward<A>(args)...);
  }

  R (*call_)(const void*, A...) = nullptr;
  alignas(void*) unsigned char data_[kCapacity];  // left as it is while call_ is null
};

struct PropInfo {
  std::string name;
  PropKind kind = PropKind::Integer;
  const EnumType* enumType = nullptr;   // Enumeration and Set
  std::span<const IntIdent> idents;     // Integer: identifiers accepted for values
  const ClassInfo* classType = nullptr; // Class: the class of an owned sub-object
  const ClassInfo& (*classTypeOf)() = nullptr;  // Class: the class a reference names
  bool isReference = false;             // Class: a reference to a component
  const std::type_info* methodSignature = nullptr;  // Method

  // Defaults: a property whose value equals its default is not written by the form
  // writer. alwaysStored properties have no default.
  std::optional<std::int64_t> ordDefault;
  std::optional<double> floatDefault;
  std::optional<std::string> strDefault;
  bool alwaysStored = false;

  PropAccessor<std::int64_t(const TObject&)> getOrd;       // Integer, Int64, Enumeration, Set
  PropAccessor<void(TObject&, std::int64_t)> setOrd;
  PropAccessor<double(const TObject&)> getFloat;           // Float
  PropAccessor<void(TObject&, double)> setFloat;
  PropAccessor<std::string(const TObject&)> getStr;        // String, Char
  PropAccessor<void(TObject&, const std::string&)> setStr;
  PropAccessor<TObject*(const TObject&)> getObj;           // Class
  PropAccessor<void(TObject&, TObject*)> setObj;           // Class references only
  PropAccessor<void(TObject&, const MethodValue&)> setMethod;  // Method
  PropAccessor<bool(const TObject&)> hasMethod;

  bool IsOrdinal() const {
    return kind == PropKind::Integer || kind == PropKind::Int64 ||
           kind == PropKind::Enumeration || kind == PropKind::Set;
  }
  bool Writable() const;
};

struct ClassInfo {
  std::string name;
  const ClassInfo* parent = nullptr;
  std::vector<PropInfo> props;  // this class's own properties, in declaration order
  // Creates an instance for the form loader (components only).
  TComponent* (*create)(TComponent* owner) = nullptr;

  // A property of this class or of its ancestors (names ignore letter case).
  const PropInfo* FindProp(std::string_view propName) const;
  // All properties, ancestors' first, in declaration order.
  std::vector<const PropInfo*> AllProps() const;
  bool InheritsFrom(const ClassInfo& other) const;
};

// The class registry: the form loader creates objects by class name.
void RegisterComponentClass(const ClassInfo& info);
const ClassInfo* FindClass(std::string_view name);
// Every registered class, ordered by name.
std::vector<const ClassInfo*> RegisteredClasses();

// Reads and writes of a published property by name. Unknown names and kind mismatches
// raise EPropertyError.
const PropInfo& GetPropInfo(const TObject& object, std::string_view propName);
std::int64_t GetOrdProp(const TObject& object, std::string_view propName);
void SetOrdProp(TObject& object, std::string_view propName, std::int64_t value);
std::string GetStrProp(const TObject& object, std::string_view propName);
void SetStrProp(TObject& object, std::string_view propName, const std::string& value);
double GetFloatProp(const TObject& object, std::string_view propName);
void SetFloatProp(TObject& object, std::string_view propName, double value);
TObject* GetObjectProp(const TObject& object, std::string_view propName);
void SetObjectProp(TObject& object, std::string_view propName, TObject* value);
// Enumeration properties by identifier ("gkPie", "True").
std::string GetEnumProp(const TObject& object, std::string_view propName);
void SetEnumProp(TObject& object, std::string_view propName, std::string_view identifier);

}  // namespace dorvane
