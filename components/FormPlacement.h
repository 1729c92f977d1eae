#pragma once
// Form storage: a component placed on a form that keeps chosen properties of the form's
// components, named values and (optionally) the window's placement under one registry
// key, and reads them back when the form is shown.
//
// Layout: <RegistryRoot>\<key path>\<section>, every value a REG_SZ text.
//   key path = IniFileName, or "Software\" + the executable's name without extension;
//   section  = IniSection, or the owner form's class name.
//
// Hooks: once the form is loaded, the component takes over the form's OnShow,
// OnCloseQuery and OnDestroy and chains to the handlers that were there at that moment
// (those set by the form description, or by code that ran before Loaded). A handler
// assigned by code afterwards replaces the hook; call UpdateFormHooks() after such an
// assignment to put the hook back in front of the new handler (not after code that
// wrapped the hook in its own handler: the hook would then run twice). FormHooked()
// tells whether all three hooks are in place. A storage created by code on a form that
// is already loaded hooks the form when its Loaded() is called.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "framework/Classes.h"
#include "framework/Window.h"

namespace dorvane {

class TForm;
class TRegistry;

enum TPlacementOption { fpState, fpPosition, fpActiveControl };
using TPlacementOptions = std::uint32_t;  // bit n = TPlacementOption n
inline constexpr TPlacementOptions OptionOf(TPlacementOption o) { return 1u << o; }
const EnumType& PlacementOptionType();

enum TPlacementRegRoot { prCurrentUser, prLocalMachine, prCurrentConfig, prClassesRoot, prUsers, prDynData };
const EnumType& PlacementRegRootType();

// Size and position limits of the form's window while the placement is Active (zero:
// the system's own); they answer the window's WM_GETMINMAXINFO.
class TWinMinMaxInfo : public TPersistent {
  DORVANE_CLASS(TWinMinMaxInfo)
 public:
  int MaxPosLeft = 0;
  int MaxPosTop = 0;
  int MaxSizeHeight = 0;
  int MaxSizeWidth = 0;
  int MaxTrackHeight = 0;
  int MaxTrackWidth = 0;
  int MinTrackHeight = 0;
  int MinTrackWidth = 0;
  void Assign(const TPersistent& source) override;
};

// A named value of a form storage, saved with it and restored with it.
class TStoredValue : public TCollectionItem {
  DORVANE_CLASS(TStoredValue)
 public:
  // The handler may change the text about to be written (OnSave) or just read (OnRestore).
  using TStoredValueEvent = std::function<void(TStoredValue* sender, std::string& value)>;

  explicit TStoredValue(TCollection* collection) : TCollectionItem(collection) {}
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name) { name_ = name; }
  const std::string& Value() const { return value_; }
  void SetValue(const std::string& value) { value_ = value; }
  // Kept for descriptions that set it; values are stored as plain text.
  const std::string& KeyString() const { return keyString_; }
  void SetKeyString(const std::string& key) { keyString_ = key; }
  void Assign(const TPersistent& source) override;

  TStoredValueEvent OnSave;
  TStoredValueEvent OnRestore;

 private:
  std::string name_;
  std::string value_;
  std::string keyString_;
};

class TStoredValues : public TCollection {
  DORVANE_CLASS(TStoredValues)
 public:
  TStoredValues();
  TStoredValue* Values(int index) const { return static_cast<TStoredValue*>(Item(index)); }
  TStoredValue* AddValue(const std::string& name, const std::string& value = std::string());
  // By name, ignoring letter case; null when there is none.
  TStoredValue* FindValue(std::string_view name) const;
};

class TFormPlacement : public TComponent, private TWindowListener {
  DORVANE_CLASS(TFormPlacement)
 public:
  explicit TFormPlacement(TComponent* owner);
  ~TFormPlacement() override;

  bool Active() const { return active_; }
  void SetActive(bool value) { active_ = value; }
  const std::string& IniFileName() const { return iniFileName_; }
  void SetIniFileName(const std::string& value) { iniFileName_ = value; }
  const std::string& IniSection() const { return iniSection_; }
  void SetIniSection(const std::string& value) { iniSection_ = value; }
  TWinMinMaxInfo* MinMaxInfo() const { return minMaxInfo_.get(); }
  TPlacementOptions Options() const { return options_; }
  void SetOptions(TPlacementOptions value) { options_ = value; }
  // Keeps the window at its current size while Active.
  bool PreventResize() const { return preventResize_; }
  void SetPreventResize(bool value) { preventResize_ = value; }
  TPlacementRegRoot RegistryRoot() const { return registryRoot_; }
  void SetRegistryRoot(TPlacementRegRoot value) { registryRoot_ = value; }
  // Without the registry (the file variant) values are neither kept nor read:
  // reads give their defaults and writes are dropped.
  bool UseRegistry() const { return useRegistry_; }
  void SetUseRegistry(bool value) { useRegistry_ = value; }
  int Version() const { return version_; }
  void SetVersion(int value) { version_ = value; }

  TNotifyEvent OnSavePlacement;
  TNotifyEvent OnRestorePlacement;

  // Where the values live.
  HKEY RootKey() const;
  std::string KeyPath() const;
  std::string Section() const;
  TForm* Form() const;

  // Named values of the section. Inside OnSavePlacement/OnRestorePlacement they use the
  // open storage; otherwise each opens it for the one operation. A missing section or
  // value reads as the default; ReadInteger also gives the default for a text that is
  // no integer. Registry failures raise ERegistryException.
  std::string ReadString(const std::string& name, const std::string& defaultValue);
  void WriteString(const std::string& name, const std::string& value);
  int ReadInteger(const std::string& name, int defaultValue);
  void WriteInteger(const std::string& name, int value);
  // The same for any section under the key path; EraseSection deletes a section.
  std::string ReadSectionString(const std::string& section, const std::string& name,
                                const std::string& defaultValue);
  void WriteSectionString(const std::string& section, const std::string& name, const std::string& value);
  void EraseSection(const std::string& section);

  // Saves only after a restore (or when not Active): a form that never read its values
  // does not overwrite them.
  void SaveStorage();
  void RestoreStorage();
  // Whether a save of an earlier run is stored (its "FormVersion"): false for a section,
  // or a whole key, that does not exist yet.
  bool SavedBefore();

  bool Restored() const { return restored_; }
  bool Saved() const { return saved_; }
  bool IsStorageOpen() const { return openDepth_ > 0; }

  // Puts the hooks back in front of handlers assigned to the form after Loaded.
  void UpdateFormHooks();
  bool FormHooked() const;

  void Loaded() override;

 protected:
  // What a save and a restore add after the placement (the derived storage's
  // properties and values). Called with the storage open.
  virtual void SaveProps() {}
  virtual void RestoreProps() {}
  // Reads one text value of an open section; every read of the storage comes here.
  virtual std::string ReadValueText(const TRegistry& section, const std::string& name) const;
  void BeforeDestruction() override;

 private:
  struct ShowHook;
  struct CloseQueryHook;
  struct DestroyHook;
  // Keeps the storage open until the guard ends; nested guards share one opening.
  [[nodiscard]] auto OpenedStorage();
  void OpenStorage();
  void CloseStorage();
  void SavePlacement();
  void RestorePlacement();
  void FocusActiveControl();
  void FormShow(TObject* sender);
  void FormCloseQuery(TObject* sender, bool& canClose);
  void FormDestroy(TObject* sender);
  void UnhookForm();
  // The form's window: its size limits, after the form's own answer so that this
  // component's limits win.
  void MessageAnswered(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void ListenedWindowGone(HWND) override { listened_ = nullptr; }
  TObject* MessageSender() override { return this; }
  void ApplyLimits(HWND wnd, MINMAXINFO& info) const noexcept;

  bool active_ = true;
  std::string iniFileName_;
  std::string iniSection_;
  std::unique_ptr<TWinMinMaxInfo> minMaxInfo_;
  TPlacementOptions options_ = 0;
  bool preventResize_ = false;
  TPlacementRegRoot registryRoot_ = prCurrentUser;
  bool useRegistry_ = false;
  int version_ = 0;

  std::unique_ptr<TRegistry> storage_;
  int openDepth_ = 0;
  bool restored_ = false;
  bool saved_ = false;
  bool destroying_ = false;

  TNotifyEvent savedShow_;
  std::function<void(TObject*, bool&)> savedCloseQuery_;
  TNotifyEvent savedDestroy_;
  HWND listened_ = nullptr;  // the form window whose size limits this component sets
};

class TFormStorage : public TFormPlacement {
  DORVANE_CLASS(TFormStorage)
 public:
  explicit TFormStorage(TComponent* owner);
  ~TFormStorage() override;

  // "Component.Property" entries; resolved once in Loaded.
  TStrings* StoredProps() const { return storedProps_.get(); }
  // Replaces the entries with `entries` and resolves them as Loaded does (for a form that
  // lists what it stores in code rather than in its description).
  void SetStoredProps(std::span<const char* const> entries);
  TStoredValues* StoredValues() const { return storedValues_.get(); }

  void Loaded() override;

 protected:
  void SaveProps() override;
  void RestoreProps() override;
  // Each StoredProps entry, in list order, whose component and property exist.
  void ForEachStoredProp(const std::function<void(TComponent&, const PropInfo&)>& action);
  void Notification(TComponent* component, TOperation operation) override;

 private:
  // Drops the entries that name no component of the form and watches the others.
  void ResolveStoredProps();
  std::unique_ptr<TStringList> storedProps_;
  std::unique_ptr<TStoredValues> storedValues_;
};

}  // namespace dorvane
