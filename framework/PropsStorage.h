#pragma once
// The property storage: one property of one object kept as text values in named
// sections, driven by the property tables alone, each value spelt by the codec
// (framework/PropCodec.h). Where the sections live is up to the derived class (the form
// storage keeps them in the registry).
//
// Scalars are written under prefix + the property's declared name; a string list or a
// collection gets a subsection of its own (section "." prefix name) holding "Count"
// and "Item<i>" lines or "Item<i>_<property>" item properties; any other owned
// sub-object has its properties written with the prefix "<name>_".
#include <string>

#include "framework/TypInfo.h"

namespace dorvane {

class TComponent;

class TPropsStorage {
 public:
  // root: the form whose components references name.
  TPropsStorage(TComponent* root, std::string section) : root_(root), section_(std::move(section)) {}
  virtual ~TPropsStorage() = default;
  TPropsStorage(const TPropsStorage&) = delete;
  TPropsStorage& operator=(const TPropsStorage&) = delete;

  const std::string& Section() const { return section_; }

  // Saves one property (nothing for events; an empty text only for string and
  // character properties).
  void StoreProperty(const TObject& object, const PropInfo& prop, const std::string& prefix);
  // Restores one property; its current value is the default of the read.
  void LoadProperty(TObject& object, const PropInfo& prop, const std::string& prefix);

 protected:
  virtual std::string ReadString(const std::string& section, const std::string& name,
                                 const std::string& defaultValue) = 0;
  virtual void WriteString(const std::string& section, const std::string& name, const std::string& value) = 0;
  virtual void EraseSection(const std::string& section) = 0;

 private:
  void Store(const TObject& object, const PropInfo& prop, const std::string& section, const std::string& prefix);
  void Load(TObject& object, const PropInfo& prop, const std::string& section, const std::string& prefix);
  void StoreObjectProps(const TObject& object, const std::string& section, const std::string& prefix);
  void LoadObjectProps(TObject& object, const std::string& section, const std::string& prefix);

  TComponent* root_;
  std::string section_;
};

}  // namespace dorvane
