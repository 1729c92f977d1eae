#include "framework/TypInfo.h"

#include <map>

#include "core/Text.h"
#include "framework/Classes.h"
#include "framework/SysUtils.h"

namespace dorvane {

int EnumType::IndexOf(std::string_view identifier) const {
  for (std::size_t i = 0; i < names.size(); ++i)
    if (SameText(names[i], identifier)) return static_cast<int>(i);
  return -1;
}

const std::string& EnumType::NameOf(std::int64_t ordinal) const {
  if (ordinal < 0 || ordinal >= static_cast<std::int64_t>(names.size()))
    throw EPropertyError(name + " has no member of ordinal " + std::to_string(ordinal));
  return names[static_cast<std::size_t>(ordinal)];
}

const EnumType& BooleanType() {
  static const EnumType type{"Boolean", {"False", "True"}};
  return type;
}

bool PropInfo::Writable() const {
  switch (kind) {
    case PropKind::Integer:
    case PropKind::Int64:
    case PropKind::Enumeration:
    case PropKind::Set: return static_cast<bool>(setOrd);
    case PropKind::Float: return static_cast<bool>(setFloat);
    case PropKind::Char:
    case PropKind::String: return static_cast<bool>(setStr);
    case PropKind::Class: return static_cast<bool>(setObj);
    case PropKind::Method: return static_cast<bool>(setMethod);
  }
  return false;
}

const PropInfo* ClassInfo::FindProp(std::string_view propName) const {
  for (const ClassInfo* c = this; c; c = c->parent)
    for (const PropInfo& p : c->props)
      if (SameText(p.name, propName)) return &p;
  return nullptr;
}

std::vector<const PropInfo*> ClassInfo::AllProps() const {
  std::vector<const ClassInfo*> chain;
  for (const ClassInfo* c = this; c; c = c->parent) chain.push_back(c);
  std::vector<const PropInfo*> all;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    for (const PropInfo& p : (*it)->props) {
      // A class may redeclare an ancestor's property (another default); the latest wins.
      bool replaced = false;
      for (auto& existing : all)
        if (SameText(existing->name, p.name)) {
          existing = &p;
          replaced = true;
        }
      if (!replaced) all.push_back(&p);
    }
  return all;
}

bool ClassInfo::InheritsFrom(const ClassInfo& other) const {
  for (const ClassInfo* c = this; c; c = c->parent)
    if (c == &other) return true;
  return false;
}

namespace {

struct CaseInsensitiveLess {
  bool operator()(const std::string& a, const std::string& b) const {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
      const int x = std::tolower(static_cast<unsigned char>(a[i]));
      const int y = std::tolower(static_cast<unsigned char>(b[i]));
      if (x != y) return x < y;
    }
    return a.size() < b.size();
  }
};

std::map<std::string, const ClassInfo*, CaseInsensitiveLess>& Registry() {
  static std::map<std::string, const ClassInfo*, CaseInsensitiveLess> registry;
  return registry;
}

const PropInfo& Expect(const TObject& object, std::string_view propName,
                       std::initializer_list<PropKind> kinds) {
  const PropInfo& p = GetPropInfo(object, propName);
  for (PropKind k : kinds)
    if (p.kind == k) return p;
  throw EPropertyError("property " + object.ClassName() + "." + p.name + " is of another kind");
}

}  // namespace

void RegisterComponentClass(const ClassInfo& info) { Registry()[info.name] = &info; }

const ClassInfo* FindClass(std::string_view name) {
  const auto it = Registry().find(std::string(name));
  return it == Registry().end() ? nullptr : it->second;
}

std::vector<const ClassInfo*> RegisteredClasses() {
  std::vector<const ClassInfo*> classes;
  for (const auto& [name, info] : Registry()) classes.push_back(info);
  return classes;
}

const PropInfo& GetPropInfo(const TObject& object, std::string_view propName) {
  const PropInfo* p = object.ClassType().FindProp(propName);
  if (!p) throw EPropertyError(object.ClassName() + " has no property " + std::string(propName));
  return *p;
}

std::int64_t GetOrdProp(const TObject& object, std::string_view propName) {
  const PropInfo& p = Expect(object, propName, {PropKind::Integer, PropKind::Int64,
                                                PropKind::Enumeration, PropKind::Set});
  return p.getOrd(object);
}

void SetOrdProp(TObject& object, std::string_view propName, std::int64_t value) {
  const PropInfo& p = Expect(object, propName, {PropKind::Integer, PropKind::Int64,
                                                PropKind::Enumeration, PropKind::Set});
  if (!p.setOrd) throw EPropertyError("property " + p.name + " is read only");
  if (p.kind == PropKind::Enumeration && (value < 0 || value >= static_cast<std::int64_t>(p.enumType->names.size())))
    throw EPropertyError(std::to_string(value) + " is no member of " + p.enumType->name);
  p.setOrd(object, value);
}

std::string GetStrProp(const TObject& object, std::string_view propName) {
  return Expect(object, propName, {PropKind::String, PropKind::Char}).getStr(object);
}

void SetStrProp(TObject& object, std::string_view propName, const std::string& value) {
  const PropInfo& p = Expect(object, propName, {PropKind::String, PropKind::Char});
  if (!p.setStr) throw EPropertyError("property " + p.name + " is read only");
  p.setStr(object, value);
}

double GetFloatProp(const TObject& object, std::string_view propName) {
  return Expect(object, propName, {PropKind::Float}).getFloat(object);
}

void SetFloatProp(TObject& object, std::string_view propName, double value) {
  const PropInfo& p = Expect(object, propName, {PropKind::Float});
  if (!p.setFloat) throw EPropertyError("property " + p.name + " is read only");
  p.setFloat(object, value);
}

TObject* GetObjectProp(const TObject& object, std::string_view propName) {
  return Expect(object, propName, {PropKind::Class}).getObj(object);
}

void SetObjectProp(TObject& object, std::string_view propName, TObject* value) {
  const PropInfo& p = Expect(object, propName, {PropKind::Class});
  if (!p.setObj) throw EPropertyError("property " + p.name + " is read only");
  p.setObj(object, value);
}

std::string GetEnumProp(const TObject& object, std::string_view propName) {
  const PropInfo& p = Expect(object, propName, {PropKind::Enumeration});
  return p.enumType->NameOf(p.getOrd(object));
}

void SetEnumProp(TObject& object, std::string_view propName, std::string_view identifier) {
  const PropInfo& p = Expect(object, propName, {PropKind::Enumeration});
  const int ordinal = p.enumType->IndexOf(identifier);
  if (ordinal < 0)
    throw EPropertyError("'" + std::string(identifier) + "' is no member of " + p.enumType->name);
  SetOrdProp(object, propName, ordinal);
}

}  // namespace dorvane
