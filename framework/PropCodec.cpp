#include "framework/PropCodec.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "core/NumberFormat.h"
#include "core/Text.h"
#include "framework/Classes.h"
#include "framework/ComponentReference.h"

namespace dorvane {
namespace {

const char kNull[] = "(null)";

}  // namespace

// -- the form description's spelling ---------------------------------------------------

std::string FormStringText(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

namespace {

// A float as the form reader reads it back as a float, not an integer.
std::string FormFloatText(double d) {
  std::string s = ShortestFloatText(d);
  if (s.find_first_of(".eE") == std::string::npos && s.find("inf") == std::string::npos &&
      s.find("nan") == std::string::npos)
    s += ".0";
  return s;
}

// -- the form storage's spelling -------------------------------------------------------

// Stored floats use "."; it stands for the locale's decimal separator, which is accepted
// as well, so both "1.5" and (with a decimal comma) "1,5" read as 1.5.
double StoredFloat(const std::string& text) {
  std::string t = text;
  const std::string& separator = CurrentSeparators().decimal;
  if (!separator.empty() && separator != ".") {
    for (std::size_t at = t.find(separator); at != std::string::npos; at = t.find(separator, at + 1))
      t.replace(at, separator.size(), ".");
  }
  std::string_view number = t;
  if (!number.empty() && number[0] == '+') number.remove_prefix(1);
  double value = 0;
  if (!ParseFloatText(number, value))
    throw EConvertError("'" + text + "' is not a valid floating point value");
  return value;
}

// Members in ordinal order between the brackets of the spelling.
std::string SetText(const EnumType& type, std::int64_t mask, PropSpelling spelling) {
  const bool form = spelling == PropSpelling::Form;
  std::string text = form ? "{" : "[";
  const std::size_t n = std::min<std::size_t>(type.names.size(), 32);
  for (std::size_t i = 0; i < n; ++i) {
    if (!(mask & (std::int64_t{1} << i))) continue;
    if (text.size() > 1) text += form ? ", " : ",";
    text += type.names[i];
  }
  return text + (form ? "}" : "]");
}

std::uint32_t StoredSet(const EnumType& type, std::string_view text) {
  std::uint32_t mask = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t start = text.find_first_not_of("[], \t\r\n", i);
    if (start == std::string_view::npos) break;
    std::size_t end = text.find_first_of("[], \t\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    const int ordinal = type.IndexOf(text.substr(start, end - start));
    if (ordinal >= 0 && ordinal < 32) mask |= 1u << ordinal;
    i = end;
  }
  return mask;
}

// -- reading a form description's value ------------------------------------------------

[[noreturn]] void Expected(const char* what, std::string_view path) {
  throw EPropValueError("expected " + std::string(what) + " for '" + std::string(path) + "'");
}

void NeedsSetter(bool has, std::string_view path) {
  if (!has) throw EPropValueError("'" + std::string(path) + "' is read only");
}

std::int64_t FormOrdinal(const EnumType& type, const std::string& identifier) {
  const int ordinal = type.IndexOf(identifier);
  if (ordinal < 0) throw EPropValueError("'" + identifier + "' is no member of " + type.name);
  return ordinal;
}

}  // namespace

std::optional<std::int64_t> StoredInteger(std::string_view text) {
  const std::string t = Trim(text);
  const char* b = t.data();
  const char* e = b + t.size();
  if (b != e && *b == '+') {
    ++b;
    if (b != e && *b == '-') return std::nullopt;
  }
  if (b == e) return std::nullopt;
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(b, e, value);
  if (ec != std::errc() || end != e) return std::nullopt;
  return value;
}

std::optional<int> StoredInt32(std::string_view text) {
  const auto v = StoredInteger(text);
  if (!v || *v < INT32_MIN || *v > INT32_MAX) return std::nullopt;
  return static_cast<int>(*v);
}

std::string PropValueText(const TObject& object, const PropInfo& prop, PropSpelling spelling,
                          const TComponent* root) {
  const bool form = spelling == PropSpelling::Form;
  switch (prop.kind) {
    case PropKind::Integer:
    case PropKind::Int64: return std::to_string(prop.getOrd(object));
    case PropKind::Enumeration: return prop.enumType->NameOf(prop.getOrd(object));
    case PropKind::Set: return SetText(*prop.enumType, prop.getOrd(object), spelling);
    case PropKind::Char:
    case PropKind::String: return form ? FormStringText(prop.getStr(object)) : prop.getStr(object);
    case PropKind::Float: return form ? FormFloatText(prop.getFloat(object)) : ShortestFloatText(prop.getFloat(object));
    case PropKind::Class: {
      if (!prop.isReference) return std::string();
      const auto* c = dynamic_cast<const TComponent*>(prop.getObj(object));
      return c ? ReferenceName(*c, root) : form ? std::string() : kNull;
    }
    case PropKind::Method: return std::string();
  }
  return std::string();
}

bool HoldsDefault(const TObject& object, const PropInfo& prop) {
  switch (prop.kind) {
    case PropKind::Integer:
    case PropKind::Int64:
    case PropKind::Enumeration:
    case PropKind::Set: return prop.ordDefault && *prop.ordDefault == prop.getOrd(object);
    case PropKind::Char:
    case PropKind::String: return prop.strDefault && *prop.strDefault == prop.getStr(object);
    case PropKind::Float: return prop.floatDefault && *prop.floatDefault == prop.getFloat(object);
    case PropKind::Class: return prop.isReference && !prop.getObj(object);
    case PropKind::Method: return !prop.hasMethod || !prop.hasMethod(object);
  }
  return false;
}

void SetPropValue(TObject& object, const PropInfo& prop, const PropLiteral& value, TComponent* root,
                  std::string_view path) {
  using T = PropLiteral::Type;
  const bool stored = value.type == T::Stored;
  if (stored && !prop.Writable()) return;
  const std::string& text = value.text;
  switch (prop.kind) {
    case PropKind::Integer:
    case PropKind::Int64: {
      std::int64_t v = 0;
      if (stored) {
        v = prop.kind == PropKind::Integer ? StoredInt32(text).value_or(0) : StoredInteger(text).value_or(0);
      } else if (value.type == T::Integer) {
        v = value.integer;
      } else if (value.type == T::Identifier) {
        const auto ident = std::find_if(prop.idents.begin(), prop.idents.end(),
                                        [&](const IntIdent& id) { return SameText(id.name, text); });
        if (ident == prop.idents.end())
          throw EPropValueError("'" + text + "' is no value for '" + std::string(path) + "'");
        v = ident->value;
      } else {
        Expected("an integer", path);
      }
      NeedsSetter(static_cast<bool>(prop.setOrd), path);
      prop.setOrd(object, v);
      return;
    }
    case PropKind::Enumeration: {
      if (stored) {
        if (const int ordinal = prop.enumType->IndexOf(text); ordinal >= 0) prop.setOrd(object, ordinal);
        return;
      }
      if (value.type != T::Identifier) Expected("an identifier", path);
      const std::int64_t ordinal = FormOrdinal(*prop.enumType, text);
      NeedsSetter(static_cast<bool>(prop.setOrd), path);
      prop.setOrd(object, ordinal);
      return;
    }
    case PropKind::Set: {
      if (stored) return prop.setOrd(object, StoredSet(*prop.enumType, text));
      if (value.type != T::Set) Expected("a set such as {a, b}", path);
      std::uint32_t mask = 0;
      for (const std::string& member : value.items) {
        const std::int64_t ordinal = FormOrdinal(*prop.enumType, member);
        if (ordinal >= 32) throw EPropValueError("'" + member + "' is no member of " + prop.enumType->name);
        mask |= 1u << ordinal;
      }
      NeedsSetter(static_cast<bool>(prop.setOrd), path);
      prop.setOrd(object, mask);
      return;
    }
    case PropKind::Char:
    case PropKind::String: {
      const bool isChar = prop.kind == PropKind::Char;
      if (stored) return prop.setStr(object, isChar ? Utf8Prefix(text, 1) : text);
      if (value.type != T::String) Expected("a string in double quotes", path);
      if (isChar && Utf8Length(text) != 1) Expected("a single character", path);
      NeedsSetter(static_cast<bool>(prop.setStr), path);
      prop.setStr(object, text);
      return;
    }
    case PropKind::Float: {
      double v = 0;
      if (stored)
        v = StoredFloat(text);
      else if (value.type == T::Float)
        v = value.number;
      else if (value.type == T::Integer)
        v = static_cast<double>(value.integer);
      else
        Expected("a number", path);
      NeedsSetter(static_cast<bool>(prop.setFloat), path);
      prop.setFloat(object, v);
      return;
    }
    case PropKind::Class: {
      if (!prop.isReference) return;  // an owned sub-object: set through its own properties
      if (stored && SameText(text, kNull)) return prop.setObj(object, nullptr);
      if (!stored && value.type != T::Identifier) Expected("a component name", path);
      TComponent* found = FindReferenced(text, root);
      if (!found) {
        const std::string message = "no component named " + text;
        if (stored) throw EPropertyError(message);
        throw EPropValueError(message);
      }
      NeedsSetter(static_cast<bool>(prop.setObj), path);
      prop.setObj(object, found);
      return;
    }
    case PropKind::Method: {
      if (stored) return;  // events are not kept
      if (value.type != T::Identifier) Expected("a handler name", path);
      const MethodEntry* m = root ? root->FindMethod(text) : nullptr;
      if (!m) throw EPropValueError((root ? root->ClassName() : std::string("the form")) + " has no handler " + text);
      NeedsSetter(static_cast<bool>(prop.setMethod), path);
      prop.setMethod(object, MethodValue{m->name, m->signature, m->bind(root)});
      return;
    }
  }
}

}  // namespace dorvane
