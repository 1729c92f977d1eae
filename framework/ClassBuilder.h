#pragma once
// Declaring a class's property table, once, in its .cpp file:
//
//   const ClassInfo& TGauge::StaticClass() {
//     static const ClassInfo info = ClassBuilder<TGauge>("TGauge", &TGraphicControl::StaticClass())
//         .Int("MinValue", &TGauge::MinValue, &TGauge::SetMinValue, 0)
//         .Enum("Kind", &TGauge::Kind, &TGauge::SetKind, GaugeKindType(), gkHorizontalBar)
//         .Event("OnClick", &TGauge::OnClick)
//         .Build();
//     return info;
//   }
//
// Getters may be const member functions or data members; setters member functions taking
// the value or data members.
#include <concepts>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "framework/Classes.h"
#include "framework/SysUtils.h"

namespace dorvane {

namespace detail {

template <typename S>
struct SetterArg;
template <typename C, typename R, typename A>
struct SetterArg<R (C::*)(A)> {
  using type = std::remove_cvref_t<A>;
};
template <typename C, typename M>
struct SetterArg<M C::*> {
  using type = M;
};

template <typename C, typename G>
decltype(auto) Read(const TObject& o, G getter) {
  return std::invoke(getter, static_cast<const C&>(o));
}

template <typename C, typename S, typename V>
void Write(TObject& o, S setter, V&& value) {
  using Arg = typename SetterArg<S>::type;
  if constexpr (std::is_member_object_pointer_v<S>) {
    static_cast<C&>(o).*setter = static_cast<Arg>(std::forward<V>(value));
  } else {
    (static_cast<C&>(o).*setter)(static_cast<Arg>(std::forward<V>(value)));
  }
}

}  // namespace detail

// What every class table shares; ClassBuilder<C> only makes the getters and setters,
// so each property costs the program little more than those.
class ClassTableBuilder {
 public:
  ClassInfo Build() { return std::move(info_); }

 protected:
  using OrdGetter = PropAccessor<std::int64_t(const TObject&)>;
  using OrdSetter = PropAccessor<void(TObject&, std::int64_t)>;
  using StrGetter = PropAccessor<std::string(const TObject&)>;
  using StrSetter = PropAccessor<void(TObject&, const std::string&)>;

  using Creator = TComponent* (*)(TComponent* owner);

  ClassTableBuilder(std::string_view name, const ClassInfo* parent, Creator create);

  PropInfo& Add(std::string_view name, PropKind kind);
  // An ordinal property; it is always stored when it has no default.
  void AddOrdinal(std::string_view name, PropKind kind, const OrdGetter& get, const OrdSetter& set,
                  std::optional<std::int64_t> def, const EnumType* type = nullptr,
                  std::span<const IntIdent> idents = {});
  void AddText(std::string_view name, PropKind kind, const StrGetter& get, const StrSetter& set,
               std::optional<std::string_view> def);
  // Names for the setters' messages: they outlive every table.
  static const char* KeptName(std::string_view name);

  ClassInfo info_;
};

template <typename C>
class ClassBuilder : public ClassTableBuilder {
 public:
  ClassBuilder(std::string_view name, const ClassInfo* parent) : ClassTableBuilder(name, parent, CreatorOf()) {}

  template <typename G, typename S>
  ClassBuilder& Int(std::string_view name, G get, S set, std::optional<std::int64_t> def = std::nullopt,
                    std::span<const IntIdent> idents = {}) {
    AddOrdinal(name, PropKind::Integer, Getter(get), Setter(set), def, nullptr, idents);
    return *this;
  }

  template <typename G, typename S>
  ClassBuilder& Int64(std::string_view name, G get, S set, std::optional<std::int64_t> def = std::nullopt) {
    AddOrdinal(name, PropKind::Int64, Getter(get), Setter(set), def);
    return *this;
  }

  // A colour: an integer that also accepts colour identifiers.
  template <typename G, typename S>
  ClassBuilder& Color(std::string_view name, G get, S set, std::int64_t def) {
    return Int(name, get, set, def, ColorIdents());
  }

  template <typename G, typename S>
  ClassBuilder& Bool(std::string_view name, G get, S set, bool def) {
    AddOrdinal(name, PropKind::Enumeration,
               OrdGetter([get](const TObject& o) -> std::int64_t { return detail::Read<C>(o, get) ? 1 : 0; }),
               OrdSetter([set](TObject& o, std::int64_t v) { detail::Write<C>(o, set, v != 0); }), def ? 1 : 0,
               &BooleanType());
    return *this;
  }

  template <typename G, typename S, typename E>
  ClassBuilder& Enum(std::string_view name, G get, S set, const EnumType& type, E def) {
    AddOrdinal(name, PropKind::Enumeration, Getter(get), Setter(set), static_cast<std::int64_t>(def), &type);
    return *this;
  }

  // A set: a bit mask whose bit n stands for the member of ordinal n.
  template <typename G, typename S>
  ClassBuilder& Set(std::string_view name, G get, S set, const EnumType& type, std::uint32_t def) {
    AddOrdinal(name, PropKind::Set, Getter(get), Setter(set), def, &type);
    return *this;
  }

  template <typename G, typename S>
  ClassBuilder& Float(std::string_view name, G get, S set, std::optional<double> def = std::nullopt) {
    PropInfo& p = Add(name, PropKind::Float);
    p.getFloat = [get](const TObject& o) { return static_cast<double>(detail::Read<C>(o, get)); };
    p.setFloat = [set](TObject& o, double v) { detail::Write<C>(o, set, v); };
    p.floatDefault = def;
    p.alwaysStored = !def;
    return *this;
  }

  // Always stored when the default is std::nullopt.
  template <typename G, typename S>
  ClassBuilder& Str(std::string_view name, G get, S set, std::optional<std::string_view> def = std::string_view()) {
    AddText(name, PropKind::String, TextGetter(get), TextSetter(set), def);
    return *this;
  }

  // A single character, held as its UTF-8 text.
  template <typename G, typename S>
  ClassBuilder& Char(std::string_view name, G get, S set, std::string_view def) {
    AddText(name, PropKind::Char, TextGetter(get), TextSetter(set), def);
    return *this;
  }

  // An owned sub-object (font, string list, collection): read only; the loader sets its
  // own properties, storage assigns to it.
  template <typename G>
  ClassBuilder& Object(std::string_view name, G get, const ClassInfo& type) {
    PropInfo& p = Add(name, PropKind::Class);
    p.classType = &type;
    p.getObj = [get](const TObject& o) -> TObject* { return detail::Read<C>(o, get); };
    return *this;
  }

  // A reference to another component of the form (none by default). The referenced
  // class is named by its StaticClass function, called only when needed: a class may
  // refer to its own kind while its table is still being built.
  template <typename G, typename S>
  ClassBuilder& Ref(std::string_view name, G get, S set, const ClassInfo& (*type)()) {
    PropInfo& p = Add(name, PropKind::Class);
    p.classTypeOf = type;
    p.isReference = true;
    p.getObj = [get](const TObject& o) -> TObject* { return detail::Read<C>(o, get); };
    p.setObj = [set, type, n = KeptName(name)](TObject& o, TObject* v) {
      using Arg = typename detail::SetterArg<S>::type;
      Arg typed = v ? dynamic_cast<Arg>(v) : nullptr;
      if (v && !typed) throw EPropertyError("'" + std::string(n) + "' needs a " + type().name);
      detail::Write<C>(o, set, typed);
    };
    return *this;
  }

  // An event: a std::function data member.
  template <typename Sig>
  ClassBuilder& Event(std::string_view name, std::function<Sig> C::*field) {
    PropInfo& p = Add(name, PropKind::Method);
    p.methodSignature = &typeid(std::function<Sig>);
    p.setMethod = [field, n = KeptName(name)](TObject& o, const MethodValue& m) {
      if (!m.function.has_value()) {
        static_cast<C&>(o).*field = nullptr;
        return;
      }
      const auto* fn = std::any_cast<std::function<Sig>>(&m.function);
      if (!fn) throw EPropertyError("the handler " + m.name + " does not fit the event " + n);
      static_cast<C&>(o).*field = *fn;
    };
    p.hasMethod = [field](const TObject& o) { return static_cast<bool>(static_cast<const C&>(o).*field); };
    return *this;
  }

 private:
  static constexpr Creator CreatorOf() {
    if constexpr (std::is_base_of_v<TComponent, C> && !std::is_abstract_v<C> &&
                  std::is_constructible_v<C, TComponent*>) {
      return [](TComponent* owner) -> TComponent* { return new C(owner); };
    } else {
      return nullptr;
    }
  }

  template <typename G>
  static OrdGetter Getter(G get) {
    return [get](const TObject& o) { return static_cast<std::int64_t>(detail::Read<C>(o, get)); };
  }

  template <typename S>
  static OrdSetter Setter(S set) {
    if constexpr (std::is_same_v<S, std::nullptr_t>) {
      return {};
    } else {
      return [set](TObject& o, std::int64_t v) {
        using Arg = typename detail::SetterArg<S>::type;
        detail::Write<C>(o, set, static_cast<Arg>(v));
      };
    }
  }

  template <typename G>
  static StrGetter TextGetter(G get) {
    return [get](const TObject& o) { return std::string(detail::Read<C>(o, get)); };
  }

  template <typename S>
  static StrSetter TextSetter(S set) {
    return [set](TObject& o, const std::string& v) { detail::Write<C>(o, set, v); };
  }
};

// A named handler of a form class for its method table.
template <typename C, typename R, typename... A>
MethodEntry Method(std::string name, R (C::*handler)(A...)) {
  using Fn = std::function<R(A...)>;
  return MethodEntry{std::move(name), &typeid(Fn), [handler](TObject* self) -> std::any {
                       C* target = static_cast<C*>(self);
                       return Fn([target, handler](A... args) -> R {
                         return (target->*handler)(std::forward<A>(args)...);
                       });
                     }};
}

}  // namespace dorvane
