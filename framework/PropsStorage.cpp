#include "framework/PropsStorage.h"

#include <vector>

#include "core/Text.h"
#include "framework/Classes.h"
#include "framework/PropCodec.h"

namespace dorvane {
namespace {

const char kCount[] = "Count";

std::string ItemName(int index) { return "Item" + std::to_string(index); }

}  // namespace

void TPropsStorage::StoreProperty(const TObject& object, const PropInfo& prop, const std::string& prefix) {
  Store(object, prop, section_, prefix);
}

void TPropsStorage::LoadProperty(TObject& object, const PropInfo& prop, const std::string& prefix) {
  Load(object, prop, section_, prefix);
}

void TPropsStorage::Store(const TObject& object, const PropInfo& prop, const std::string& section,
                          const std::string& prefix) {
  const std::string name = prefix + prop.name;
  if (prop.kind == PropKind::Method) return;
  if (prop.kind == PropKind::Class && !prop.isReference) {
    const TObject* sub = prop.getObj(object);
    if (const auto* strings = dynamic_cast<const TStrings*>(sub)) {
      const std::string subsection = section + "." + name;
      EraseSection(subsection);
      WriteString(subsection, kCount, std::to_string(strings->Count()));
      for (int i = 0; i < strings->Count(); ++i) WriteString(subsection, ItemName(i), Trim(strings->Get(i)));
    } else if (const auto* collection = dynamic_cast<const TCollection*>(sub)) {
      const std::string subsection = section + "." + name;
      EraseSection(subsection);
      WriteString(subsection, kCount, std::to_string(collection->Count()));
      for (int i = 0; i < collection->Count(); ++i)
        StoreObjectProps(*collection->Item(i), subsection, ItemName(i) + "_");
    } else if (sub && !dynamic_cast<const TComponent*>(sub)) {
      StoreObjectProps(*sub, section, name + "_");
    }
    return;
  }
  const std::string text = Trim(PropValueText(object, prop, PropSpelling::Storage, root_));
  if (text.empty() && prop.kind != PropKind::String && prop.kind != PropKind::Char) return;
  WriteString(section, name, text);
}

void TPropsStorage::Load(TObject& object, const PropInfo& prop, const std::string& section,
                         const std::string& prefix) {
  const std::string name = prefix + prop.name;
  if (prop.kind == PropKind::Method) return;
  if (prop.kind == PropKind::Class && !prop.isReference) {
    TObject* sub = prop.getObj(object);
    if (auto* strings = dynamic_cast<TStrings*>(sub)) {
      const std::string subsection = section + "." + name;
      const auto count = StoredInt32(ReadString(subsection, kCount, std::string()));
      if (!count || *count < 0) return;  // never saved: the lines stay as they are
      std::vector<std::string> lines;
      for (int i = 0; i < *count; ++i) lines.push_back(Trim(ReadString(subsection, ItemName(i), std::string())));
      strings->SetStrings(lines);
    } else if (auto* collection = dynamic_cast<TCollection*>(sub)) {
      const std::string subsection = section + "." + name;
      const auto count = StoredInt32(ReadString(subsection, kCount, std::string()));
      if (!count || *count < 0) return;
      if (collection->Count() != *count) {
        collection->Clear();
        for (int i = 0; i < *count; ++i) collection->Add();
      }
      for (int i = 0; i < *count; ++i) LoadObjectProps(*collection->Item(i), subsection, ItemName(i) + "_");
    } else if (sub && !dynamic_cast<TComponent*>(sub)) {
      LoadObjectProps(*sub, section, name + "_");
    }
    return;
  }
  if (!prop.Writable()) return;
  const std::string current = Trim(PropValueText(object, prop, PropSpelling::Storage, root_));
  SetPropValue(object, prop, PropLiteral::Stored(Trim(ReadString(section, name, current))), root_, prop.name);
}

void TPropsStorage::StoreObjectProps(const TObject& object, const std::string& section, const std::string& prefix) {
  for (const PropInfo* p : object.ClassType().AllProps()) Store(object, *p, section, prefix);
}

void TPropsStorage::LoadObjectProps(TObject& object, const std::string& section, const std::string& prefix) {
  // Like the stored properties themselves, one property that fails does not stop the rest.
  for (const PropInfo* p : object.ClassType().AllProps()) {
    try {
      Load(object, *p, section, prefix);
    } catch (const std::exception&) {
    }
  }
}

}  // namespace dorvane
