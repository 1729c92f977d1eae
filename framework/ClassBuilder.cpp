#include "framework/ClassBuilder.h"

#include <deque>
#include <mutex>

namespace dorvane {

ClassTableBuilder::ClassTableBuilder(std::string_view name, const ClassInfo* parent, Creator create) {
  info_.name = name;
  info_.parent = parent;
  info_.create = create;
}

PropInfo& ClassTableBuilder::Add(std::string_view name, PropKind kind) {
  PropInfo& p = info_.props.emplace_back();
  p.name = name;
  p.kind = kind;
  return p;
}

void ClassTableBuilder::AddOrdinal(std::string_view name, PropKind kind, const OrdGetter& get,
                                   const OrdSetter& set, std::optional<std::int64_t> def,
                                   const EnumType* type, std::span<const IntIdent> idents) {
  PropInfo& p = Add(name, kind);
  p.getOrd = get;
  p.setOrd = set;
  p.ordDefault = def;
  p.alwaysStored = !def;
  p.enumType = type;
  p.idents = idents;
}

void ClassTableBuilder::AddText(std::string_view name, PropKind kind, const StrGetter& get,
                                const StrSetter& set, std::optional<std::string_view> def) {
  PropInfo& p = Add(name, kind);
  p.getStr = get;
  p.setStr = set;
  if (def) p.strDefault = std::string(*def);
  p.alwaysStored = !def;
}

const char* ClassTableBuilder::KeptName(std::string_view name) {
  // A deque never moves what it holds; tables may be built on several threads.
  static std::mutex lock;
  static std::deque<std::string> names;
  const std::lock_guard<std::mutex> guard(lock);
  return names.emplace_back(name).c_str();
}

}  // namespace dorvane
