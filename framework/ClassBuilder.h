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
#include <string>
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

template <typename C>
class ClassBuilder {
 public:
  ClassBuilder(std::string name, const ClassInfo* parent) {
    info_.name = std::move(name);
    info_.parent = parent;
    if constexpr (std::is_base_of_v<TComponent, C> && !std::is_abstract_v<C> &&
                  std::is_constructible_v<C, TComponent*>) {
      info_.create = [](TComponent* owner) -> TComponent* { return new C(owner); };
    }
  }

  template <typename G, typename S>
  ClassBuilder& Int(std::string name, G get, S set, std::optional<std::int64_t> def = std::nullopt,
                    std::span<const IntIdent> idents = {}) {
    PropInfo& p = Add(std::move(name), PropKind::Integer);
    Ordinal(p, get, set);
    p.ordDefault = def;
    p.alwaysStored = !def;
    p.idents = idents;
    return *this;
  }

  template <typename G, typename S>
  ClassBuilder& Int64(std::string name, G get, S set, std::optional<std::int64_t> def = std::nullopt) {
    PropInfo& p = Add(std::move(name), PropKind::Int64);
    Ordinal(p, get, set);
    p.ordDefault = def;
    p.alwaysStored = !def;
    return *this;
  }

  // A colour: an integer that also accepts colour identifiers.
  template <typename G, typename S>
  ClassBuilder& Color(std::string name, G get, S set, std::int64_t def) {
    return Int(std::move(name), get, set, def, ColorIdents());
  }

  template <typename G, typename S>
  ClassBuilder& Bool(std::string name, G get, S set, bool def) {
    PropInfo& p = Add(std::move(name), PropKind::Enumeration);
    p.enumType = &BooleanType();
    p.getOrd = [get](const TObject& o) -> std::int64_t { return detail::Read<C>(o, get) ? 1 : 0; };
    p.setOrd = [set](TObject& o, std::int64_t v) { detail::Write<C>(o, set, v != 0); };
    p.ordDefault = def ? 1 : 0;
    return *this;
  }

  template <typename G, typename S, typename E>
  ClassBuilder& Enum(std::string name, G get, S set, const EnumType& type, E def) {
    PropInfo& p = Add(std::move(name), PropKind::Enumeration);
    p.enumType = &type;
    Ordinal(p, get, set);
    p.ordDefault = static_cast<std::int64_t>(def);
    return *this;
  }

  // A set: a bit mask whose bit n stands for the member of ordinal n.
  template <typename G, typename S>
  ClassBuilder& Set(std::string name, G get, S set, const EnumType& type, std::uint32_t def) {
    PropInfo& p = Add(std::move(name), PropKind::Set);
    p.enumType = &type;
    Ordinal(p, get, set);
    p.ordDefault = def;
    return *this;
  }

  template <typename G, typename S>
  ClassBuilder& Float(std::string name, G get, S set, std::optional<double> def = std::nullopt) {
    PropInfo& p = Add(std::move(name), PropKind::Float);
    p.getFloat = [get](const TObject& o) { return static_cast<double>(detail::Read<C>(o, get)); };
    p.setFloat = [set](TObject& o, double v) { detail::Write<C>(o, set, v); };
    p.floatDefault = def;
    p.alwaysStored = !def;
    return *this;
  }

  template <typename G, typename S>
  ClassBuilder& Str(std::string name, G get, S set, std::optional<std::string> def = std::string()) {
    PropInfo& p = Add(std::move(name), PropKind::String);
    p.getStr = [get](const TObject& o) { return std::string(detail::Read<C>(o, get)); };
    p.setStr = [set](TObject& o, const std::string& v) { detail::Write<C>(o, set, v); };
    p.strDefault = std::move(def);
    p.alwaysStored = !p.strDefault;
    return *this;
  }

  // A single character, held as its UTF-8 text.
  template <typename G, typename S>
  ClassBuilder& Char(std::string name, G get, S set, std::string def) {
    PropInfo& p = Add(std::move(name), PropKind::Char);
    p.getStr = [get](const TObject& o) { return std::string(detail::Read<C>(o, get)); };
    p.setStr = [set](TObject& o, const std::string& v) { detail::Write<C>(o, set, v); };
    p.strDefault = std::move(def);
    return *this;
  }

  // An owned sub-object (font, string list, collection): read only; the loader sets its
  // own properties, storage assigns to it.
  template <typename G>
  ClassBuilder& Object(std::string name, G get, const ClassInfo& type) {
    PropInfo& p = Add(std::move(name), PropKind::Class);
    p.classType = &type;
    p.getObj = [get](const TObject& o) -> TObject* { return detail::Read<C>(o, get); };
    return *this;
  }

  // A reference to another component of the form (none by default). The referenced
  // class is named by its StaticClass function, called only when needed: a class may
  // refer to its own kind while its table is still being built.
  template <typename G, typename S>
  ClassBuilder& Ref(std::string name, G get, S set, const ClassInfo& (*type)()) {
    PropInfo& p = Add(std::move(name), PropKind::Class);
    p.classTypeOf = type;
    p.isReference = true;
    p.getObj = [get](const TObject& o) -> TObject* { return detail::Read<C>(o, get); };
    p.setObj = [set, type, n = p.name](TObject& o, TObject* v) {
      using Arg = typename detail::SetterArg<S>::type;
      Arg typed = v ? dynamic_cast<Arg>(v) : nullptr;
      if (v && !typed) throw EPropertyError("'" + n + "' needs a " + type().name);
      detail::Write<C>(o, set, typed);
    };
    return *this;
  }

  // An event: a std::function data member.
  template <typename Sig>
  ClassBuilder& Event(std::string name, std::function<Sig> C::*field) {
    PropInfo& p = Add(std::move(name), PropKind::Method);
    p.methodSignature = &typeid(std::function<Sig>);
    p.setMethod = [field, n = p.name](TObject& o, const MethodValue& m) {
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

  ClassInfo Build() { return std::move(info_); }

 private:
  PropInfo& Add(std::string name, PropKind kind) {
    PropInfo& p = info_.props.emplace_back();
    p.name = std::move(name);
    p.kind = kind;
    return p;
  }

  template <typename G, typename S>
  void Ordinal(PropInfo& p, G get, S set) {
    p.getOrd = [get](const TObject& o) { return static_cast<std::int64_t>(detail::Read<C>(o, get)); };
    if constexpr (!std::is_same_v<S, std::nullptr_t>) {
      p.setOrd = [set](TObject& o, std::int64_t v) {
        using Arg = typename detail::SetterArg<S>::type;
        detail::Write<C>(o, set, static_cast<Arg>(v));
      };
    }
  }

  ClassInfo info_;
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
