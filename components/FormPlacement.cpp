#include "components/FormPlacement.h"

#include <string>
#include <vector>

#include "core/ScopeExit.h"
#include "core/Text.h"
#include "framework/ClassBuilder.h"
#include "framework/Forms.h"
#include "framework/PropCodec.h"
#include "framework/PropsStorage.h"
#include "framework/Registry.h"
#include "framework/SysUtils.h"
#include "winapi/Handles.h"

namespace dorvane {
namespace {

const char kFormVersion[] = "FormVersion";
const char kActiveControl[] = "ActiveControl";
// "Component.Property", both parts trimmed and present.
bool SplitEntry(std::string_view entry, std::string& component, std::string& property) {
  const std::size_t dot = entry.find('.');
  if (dot == std::string_view::npos) return false;
  component = Trim(entry.substr(0, dot));
  property = Trim(entry.substr(dot + 1));
  return !component.empty() && !property.empty();
}

// Four comma-separated integers ("MinMaxPos", "NormPos").
std::string FourInts(long a, long b, long c, long d) {
  return std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c) + "," + std::to_string(d);
}

bool ParseFourInts(std::string_view text, int (&out)[4]) {
  for (int i = 0; i < 4; ++i) {
    const std::size_t comma = text.find(',');
    if ((comma == std::string_view::npos) != (i == 3)) return false;
    const auto v = StoredInt32(text.substr(0, comma));
    if (!v) return false;
    out[i] = *v;
    if (comma != std::string_view::npos) text.remove_prefix(comma + 1);
  }
  return true;
}

// Where a form storage's properties go: the placement's own sections.
class PlacementProps final : public TPropsStorage {
 public:
  explicit PlacementProps(TFormPlacement& placement)
      : TPropsStorage(placement.Owner(), placement.Section()), placement_(placement) {}

 protected:
  std::string ReadString(const std::string& section, const std::string& name,
                         const std::string& defaultValue) override {
    return placement_.ReadSectionString(section, name, defaultValue);
  }
  void WriteString(const std::string& section, const std::string& name, const std::string& value) override {
    placement_.WriteSectionString(section, name, value);
  }
  void EraseSection(const std::string& section) override { placement_.EraseSection(section); }

 private:
  TFormPlacement& placement_;
};

}  // namespace

// -- enumerations ---------------------------------------------------------------------------

const EnumType& PlacementOptionType() {
  static const EnumType type{"TPlacementOption", {"fpState", "fpPosition", "fpActiveControl"}};
  return type;
}

const EnumType& PlacementRegRootType() {
  static const EnumType type{"TPlacementRegRoot", {"prCurrentUser", "prLocalMachine", "prCurrentConfig",
                                                   "prClassesRoot", "prUsers", "prDynData"}};
  return type;
}

// -- TWinMinMaxInfo -------------------------------------------------------------------------

const ClassInfo& TWinMinMaxInfo::StaticClass() {
  using M = TWinMinMaxInfo;
  static const ClassInfo info = ClassBuilder<M>("TWinMinMaxInfo", &TPersistent::StaticClass())
                                    .Int("MaxPosLeft", &M::MaxPosLeft, &M::MaxPosLeft, 0)
                                    .Int("MaxPosTop", &M::MaxPosTop, &M::MaxPosTop, 0)
                                    .Int("MaxSizeHeight", &M::MaxSizeHeight, &M::MaxSizeHeight, 0)
                                    .Int("MaxSizeWidth", &M::MaxSizeWidth, &M::MaxSizeWidth, 0)
                                    .Int("MaxTrackHeight", &M::MaxTrackHeight, &M::MaxTrackHeight, 0)
                                    .Int("MaxTrackWidth", &M::MaxTrackWidth, &M::MaxTrackWidth, 0)
                                    .Int("MinTrackHeight", &M::MinTrackHeight, &M::MinTrackHeight, 0)
                                    .Int("MinTrackWidth", &M::MinTrackWidth, &M::MinTrackWidth, 0)
                                    .Build();
  return info;
}

void TWinMinMaxInfo::Assign(const TPersistent& source) { AssignPublished(source); }

// -- TStoredValue(s) --------------------------------------------------------------------------

const ClassInfo& TStoredValue::StaticClass() {
  static const ClassInfo info = ClassBuilder<TStoredValue>("TStoredValue", &TCollectionItem::StaticClass())
                                    .Str("Name", &TStoredValue::Name, &TStoredValue::SetName)
                                    .Str("Value", &TStoredValue::Value, &TStoredValue::SetValue)
                                    .Str("KeyString", &TStoredValue::KeyString, &TStoredValue::SetKeyString)
                                    .Event("OnSave", &TStoredValue::OnSave)
                                    .Event("OnRestore", &TStoredValue::OnRestore)
                                    .Build();
  return info;
}

void TStoredValue::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TStoredValue*>(&source);
  if (!other) return TPersistent::Assign(source);
  name_ = other->name_;
  value_ = other->value_;
  keyString_ = other->keyString_;
  OnSave = other->OnSave;
  OnRestore = other->OnRestore;
}

const ClassInfo& TStoredValues::StaticClass() {
  static const ClassInfo info = ClassBuilder<TStoredValues>("TStoredValues", &TCollection::StaticClass()).Build();
  return info;
}

TStoredValues::TStoredValues()
    : TCollection(TStoredValue::StaticClass(),
                  [](TCollection* c) -> std::unique_ptr<TCollectionItem> { return std::make_unique<TStoredValue>(c); }) {}

TStoredValue* TStoredValues::AddValue(const std::string& name, const std::string& value) {
  auto* item = static_cast<TStoredValue*>(Add());
  item->SetName(name);
  item->SetValue(value);
  return item;
}

TStoredValue* TStoredValues::FindValue(std::string_view name) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(Values(i)->Name(), name)) return Values(i);
  return nullptr;
}

// -- TFormPlacement ---------------------------------------------------------------------------

// The hooks are small named types so that the component can tell its own hook from a
// handler that replaced it (std::function::target).
struct TFormPlacement::ShowHook {
  TFormPlacement* self;
  void operator()(TObject* sender) const { self->FormShow(sender); }
};
struct TFormPlacement::CloseQueryHook {
  TFormPlacement* self;
  void operator()(TObject* sender, bool& canClose) const { self->FormCloseQuery(sender, canClose); }
};
struct TFormPlacement::DestroyHook {
  TFormPlacement* self;
  void operator()(TObject* sender) const { self->FormDestroy(sender); }
};

auto TFormPlacement::OpenedStorage() {
  OpenStorage();
  return OnScopeExit([this] { CloseStorage(); });
}

const ClassInfo& TFormPlacement::StaticClass() {
  using P = TFormPlacement;
  static const ClassInfo info =
      ClassBuilder<P>("TFormPlacement", &TComponent::StaticClass())
          .Bool("Active", &P::Active, &P::SetActive, true)
          .Str("IniFileName", &P::IniFileName, &P::SetIniFileName)
          .Str("IniSection", &P::IniSection, &P::SetIniSection)
          .Object("MinMaxInfo", &P::MinMaxInfo, TWinMinMaxInfo::StaticClass())
          .Set("Options", &P::Options, &P::SetOptions, PlacementOptionType(),
               OptionOf(fpState) | OptionOf(fpPosition))
          .Bool("PreventResize", &P::PreventResize, &P::SetPreventResize, false)
          .Enum("RegistryRoot", &P::RegistryRoot, &P::SetRegistryRoot, PlacementRegRootType(), prCurrentUser)
          .Bool("UseRegistry", &P::UseRegistry, &P::SetUseRegistry, false)
          .Int("Version", &P::Version, &P::SetVersion, 0)
          .Event("OnSavePlacement", &P::OnSavePlacement)
          .Event("OnRestorePlacement", &P::OnRestorePlacement)
          .Build();
  return info;
}

TFormPlacement::TFormPlacement(TComponent* owner)
    : TComponent(owner), minMaxInfo_(std::make_unique<TWinMinMaxInfo>()) {
  if (dynamic_cast<TForm*>(owner)) options_ = OptionOf(fpState) | OptionOf(fpPosition);
}

TFormPlacement::~TFormPlacement() { UnhookForm(); }

void TFormPlacement::BeforeDestruction() {
  UnhookForm();
  storage_.reset();
  openDepth_ = 0;
  TComponent::BeforeDestruction();
}

HKEY TFormPlacement::RootKey() const {
  switch (registryRoot_) {
    case prCurrentUser: return HKEY_CURRENT_USER;
    case prLocalMachine: return HKEY_LOCAL_MACHINE;
    case prCurrentConfig: return HKEY_CURRENT_CONFIG;
    case prClassesRoot: return HKEY_CLASSES_ROOT;
    case prUsers: return HKEY_USERS;
    case prDynData: return HKEY_DYN_DATA;
  }
  return HKEY_CURRENT_USER;
}

std::string TFormPlacement::KeyPath() const {
  if (!iniFileName_.empty()) return iniFileName_;
  return "Software\\" + Application().Desktop().ExeName();
}

std::string TFormPlacement::Section() const {
  if (!iniSection_.empty()) return iniSection_;
  return Owner() ? Owner()->ClassName() : std::string();
}

TForm* TFormPlacement::Form() const { return dynamic_cast<TForm*>(Owner()); }

void TFormPlacement::OpenStorage() {
  if (openDepth_++ > 0 || !useRegistry_) return;
  auto registry = std::make_unique<TRegistry>(KEY_ALL_ACCESS);
  registry->SetRootKey(RootKey());
  // A key path that cannot be opened or created leaves no key: reads give their
  // defaults and writes fail.
  registry->OpenKey(KeyPath(), true);
  storage_ = std::move(registry);
}

void TFormPlacement::CloseStorage() {
  if (openDepth_ > 0 && --openDepth_ == 0) storage_.reset();
}

std::string TFormPlacement::ReadSectionString(const std::string& section, const std::string& name,
                                              const std::string& defaultValue) {
  const auto storage = OpenedStorage();
  if (!storage_ || !storage_->CurrentKey()) return defaultValue;
  TRegistry key(KEY_READ);
  key.SetRootKey(storage_->CurrentKey());
  if (!key.OpenKey(section, false) || !key.ValueExists(name)) return defaultValue;
  try {
    return ReadValueText(key, name);
  } catch (const ERegistryException& error) {
    // Reported, and read as its default: the caller goes on, and so does everything read
    // after it. A value of another registry type than text (damaged, or written by
    // something else) would fail the same way at every read: it is removed, so that it
    // reads as missing from now on. A read that failed for any other reason (for a moment)
    // leaves the user's value where it is.
    HandleException(this);
    if (error.WrongType()) {
      TRegistry writable(KEY_ALL_ACCESS);
      writable.SetRootKey(storage_->CurrentKey());
      if (writable.OpenKey(section, false)) writable.DeleteValue(name);
    }
    return defaultValue;
  }
}

std::string TFormPlacement::ReadValueText(const TRegistry& section, const std::string& name) const {
  return section.ReadString(name);
}

void TFormPlacement::WriteSectionString(const std::string& section, const std::string& name,
                                        const std::string& value) {
  const auto storage = OpenedStorage();
  if (!useRegistry_) return;
  TRegistry key(KEY_ALL_ACCESS);
  if (storage_ && storage_->CurrentKey()) {
    key.SetRootKey(storage_->CurrentKey());
    if (key.OpenKey(section, true)) return key.WriteString(name, value);
  }
  throw ERegistryException("Failed to set data for '" + name + "'");
}

void TFormPlacement::EraseSection(const std::string& section) {
  const auto storage = OpenedStorage();
  if (!storage_ || !storage_->CurrentKey() || section.empty()) return;
  TRegistry key;
  key.SetRootKey(storage_->CurrentKey());
  key.DeleteKey(section);
}

std::string TFormPlacement::ReadString(const std::string& name, const std::string& defaultValue) {
  return ReadSectionString(Section(), name, defaultValue);
}

void TFormPlacement::WriteString(const std::string& name, const std::string& value) {
  WriteSectionString(Section(), name, value);
}

int TFormPlacement::ReadInteger(const std::string& name, int defaultValue) {
  return StoredInt32(ReadString(name, std::string())).value_or(defaultValue);
}

void TFormPlacement::WriteInteger(const std::string& name, int value) { WriteString(name, std::to_string(value)); }

void TFormPlacement::SaveStorage() {
  if (!restored_ && active_) return;
  const auto storage = OpenedStorage();
  WriteInteger(kFormVersion, version_);
  SavePlacement();
  SaveProps();
  Fire(OnSavePlacement, this);
  saved_ = true;
}

bool TFormPlacement::SavedBefore() { return !ReadString(kFormVersion, std::string()).empty(); }

void TFormPlacement::RestoreStorage() {
  saved_ = false;
  const auto storage = OpenedStorage();
  if (ReadInteger(kFormVersion, 0) >= version_) {
    RestorePlacement();
    RestoreProps();
    Fire(OnRestorePlacement, this);
    if (options_ & OptionOf(fpActiveControl)) FocusActiveControl();
  }
  restored_ = true;
}

void TFormPlacement::SavePlacement() {
  TForm* form = Form();
  if (form && form->HandleAllocated() && (options_ & (OptionOf(fpState) | OptionOf(fpPosition)))) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (GetWindowPlacement(form->Handle(), &wp)) {
      const WindowDc screen(nullptr);
      WriteInteger("Flags", static_cast<int>(wp.flags));
      WriteInteger("ShowCmd", static_cast<int>(wp.showCmd));
      WriteInteger("PixelsPerInch", screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96);
      WriteString("MinMaxPos", FourInts(wp.ptMinPosition.x, wp.ptMinPosition.y, wp.ptMaxPosition.x,
                                        wp.ptMaxPosition.y));
      WriteString("NormPos", FourInts(wp.rcNormalPosition.left, wp.rcNormalPosition.top,
                                      wp.rcNormalPosition.right, wp.rcNormalPosition.bottom));
      // A form saved while it is being destroyed is taken as hidden.
      WriteInteger("Visible", form->Visible() && !destroying_ ? 1 : 0);
    }
  }
  if (options_ & OptionOf(fpActiveControl)) {
    std::string name;
    if (TWinControl* focused = TWinControl::FromHandle(GetFocus()); focused && form && focused->Owner() == form)
      name = focused->Name();
    WriteString(kActiveControl, name);
  }
}

void TFormPlacement::RestorePlacement() {
  TForm* form = Form();
  if (!form) return;
  if (options_ & OptionOf(fpPosition)) {
    int r[4];
    if (ParseFourInts(ReadString("NormPos", std::string()), r) && r[2] > r[0] && r[3] > r[1])
      form->SetBounds(r[0], r[1], r[2] - r[0], r[3] - r[1]);
  }
  if ((options_ & OptionOf(fpState)) && ReadInteger("ShowCmd", SW_SHOWNORMAL) == SW_SHOWMAXIMIZED &&
      form->Visible() && form->HandleAllocated())
    ShowWindow(form->Handle(), SW_SHOWMAXIMIZED);
}

void TFormPlacement::FocusActiveControl() {
  TForm* form = Form();
  if (!form) return;
  const std::string name = ReadString(kActiveControl, std::string());
  if (auto* control = dynamic_cast<TWinControl*>(form->FindComponent(name)); control && control->CanFocus())
    control->SetFocus();
}

void TFormPlacement::Loaded() {
  TComponent::Loaded();
  UpdateFormHooks();
}

void TFormPlacement::UpdateFormHooks() {
  TForm* form = Form();
  if (!form || IsDesigning() || IsDestroying() || form->IsDestroying()) return;
  if (!listened_ && form->HandleAllocated() && ListenToWindow(form->Handle(), *this)) listened_ = form->Handle();
  if (const auto* h = form->OnShow.target<ShowHook>(); !h || h->self != this) {
    savedShow_ = std::move(form->OnShow);
    form->OnShow = ShowHook{this};
  }
  if (const auto* h = form->OnCloseQuery.target<CloseQueryHook>(); !h || h->self != this) {
    savedCloseQuery_ = std::move(form->OnCloseQuery);
    form->OnCloseQuery = CloseQueryHook{this};
  }
  if (const auto* h = form->OnDestroy.target<DestroyHook>(); !h || h->self != this) {
    savedDestroy_ = std::move(form->OnDestroy);
    form->OnDestroy = DestroyHook{this};
  }
}

bool TFormPlacement::FormHooked() const {
  const TForm* form = Form();
  if (!form) return false;
  const auto* show = form->OnShow.target<ShowHook>();
  const auto* closeQuery = form->OnCloseQuery.target<CloseQueryHook>();
  const auto* destroy = form->OnDestroy.target<DestroyHook>();
  return show && show->self == this && closeQuery && closeQuery->self == this && destroy && destroy->self == this;
}

// Gives the form its handlers back, where the hook is still in place; a handler that
// replaced the hook stays.
void TFormPlacement::UnhookForm() {
  // The window may outlive this component while its owner is destroyed: the limits go
  // in any case (a window already destroyed has let go of its listeners itself).
  if (listened_) {
    StopListening(listened_, *this);
    listened_ = nullptr;
  }
  if (!Owner() || Owner()->IsDestroying()) return;
  TForm* form = Form();
  if (!form) return;
  if (const auto* h = form->OnShow.target<ShowHook>(); h && h->self == this) form->OnShow = std::move(savedShow_);
  if (const auto* h = form->OnCloseQuery.target<CloseQueryHook>(); h && h->self == this)
    form->OnCloseQuery = std::move(savedCloseQuery_);
  if (const auto* h = form->OnDestroy.target<DestroyHook>(); h && h->self == this)
    form->OnDestroy = std::move(savedDestroy_);
  savedShow_ = nullptr;
  savedCloseQuery_ = nullptr;
  savedDestroy_ = nullptr;
}

void TFormPlacement::MessageAnswered(HWND wnd, UINT msg, WPARAM, LPARAM lp, LRESULT&) {
  if (msg == WM_GETMINMAXINFO && lp) ApplyLimits(wnd, *reinterpret_cast<MINMAXINFO*>(lp));
}

// After the form's own answer, so the component's limits win.
void TFormPlacement::ApplyLimits(HWND wnd, MINMAXINFO& info) const noexcept {
  if (!active_) return;
  const TWinMinMaxInfo& m = *minMaxInfo_;
  auto set = [](LONG& field, int value) {
    if (value != 0) field = value;
  };
  set(info.ptMaxPosition.x, m.MaxPosLeft);
  set(info.ptMaxPosition.y, m.MaxPosTop);
  set(info.ptMaxSize.x, m.MaxSizeWidth);
  set(info.ptMaxSize.y, m.MaxSizeHeight);
  set(info.ptMaxTrackSize.x, m.MaxTrackWidth);
  set(info.ptMaxTrackSize.y, m.MaxTrackHeight);
  set(info.ptMinTrackSize.x, m.MinTrackWidth);
  set(info.ptMinTrackSize.y, m.MinTrackHeight);
  RECT r;
  if (preventResize_ && GetWindowRect(wnd, &r)) {
    info.ptMinTrackSize = info.ptMaxTrackSize = POINT{r.right - r.left, r.bottom - r.top};
  }
}

void TFormPlacement::FormShow(TObject* sender) {
  if (active_) {
    try {
      RestoreStorage();
    } catch (...) {
      HandleException(this);
    }
  }
  Fire(savedShow_, sender);
}

void TFormPlacement::FormCloseQuery(TObject* sender, bool& canClose) {
  Fire(savedCloseQuery_, sender, canClose);
  TForm* form = Form();
  if (canClose && active_ && form && form->HandleAllocated()) {
    try {
      SaveStorage();
    } catch (...) {
      HandleException(this);
    }
  }
}

void TFormPlacement::FormDestroy(TObject* sender) {
  if (active_ && !saved_) {
    destroying_ = true;
    try {
      SaveStorage();
    } catch (...) {
      HandleException(this);
    }
    destroying_ = false;
  }
  Fire(savedDestroy_, sender);
}

// -- TFormStorage ---------------------------------------------------------------------------

const ClassInfo& TFormStorage::StaticClass() {
  static const ClassInfo info = ClassBuilder<TFormStorage>("TFormStorage", &TFormPlacement::StaticClass())
                                    .Object("StoredProps", &TFormStorage::StoredProps, TStrings::StaticClass())
                                    .Object("StoredValues", &TFormStorage::StoredValues, TStoredValues::StaticClass())
                                    .Build();
  return info;
}

TFormStorage::TFormStorage(TComponent* owner)
    : TFormPlacement(owner), storedProps_(std::make_unique<TStringList>()),
      storedValues_(std::make_unique<TStoredValues>()) {}

TFormStorage::~TFormStorage() = default;

void TFormStorage::Loaded() {
  TFormPlacement::Loaded();
  ResolveStoredProps();
}

void TFormStorage::SetStoredProps(std::span<const char* const> entries) {
  std::vector<std::string> lines(entries.begin(), entries.end());
  storedProps_->SetStrings(lines);
  ResolveStoredProps();
}

void TFormStorage::ResolveStoredProps() {
  // Entries that do not name an existing component of the form are dropped; the
  // component is watched so that its entries go when it is freed.
  TComponent* form = Owner();
  for (int i = storedProps_->Count() - 1; i >= 0; --i) {
    std::string component, property;
    TComponent* found = nullptr;
    if (form && SplitEntry(storedProps_->Get(i), component, property)) found = form->FindComponent(component);
    if (found)
      FreeNotification(found);
    else
      storedProps_->Delete(i);
  }
}

void TFormStorage::Notification(TComponent* component, TOperation operation) {
  TFormPlacement::Notification(component, operation);
  if (operation != TOperation::opRemove || !storedProps_ || component == this || component->Name().empty()) return;
  for (int i = storedProps_->Count() - 1; i >= 0; --i) {
    std::string name, property;
    if (SplitEntry(storedProps_->Get(i), name, property) && SameText(name, component->Name())) storedProps_->Delete(i);
  }
}

void TFormStorage::ForEachStoredProp(const std::function<void(TComponent&, const PropInfo&)>& action) {
  TComponent* form = Owner();
  if (!form) return;
  for (const std::string& entry : storedProps_->ToVector()) {
    std::string name, property;
    if (!SplitEntry(entry, name, property)) continue;
    TComponent* component = form->FindComponent(name);
    // An entry naming no property of its component is skipped.
    if (const PropInfo* prop = component ? component->ClassType().FindProp(property) : nullptr)
      action(*component, *prop);
  }
}

void TFormStorage::SaveProps() {
  PlacementProps props(*this);
  ForEachStoredProp([&](TComponent& component, const PropInfo& prop) {
    props.StoreProperty(component, prop, component.Name() + "_");
  });
  for (int i = 0; i < storedValues_->Count(); ++i) {
    TStoredValue* item = storedValues_->Values(i);
    std::string value = item->Value();
    Fire(item->OnSave, item, value);
    item->SetValue(value);
    if (!item->Name().empty()) WriteString(item->Name(), Trim(value));
  }
}

void TFormStorage::RestoreProps() {
  PlacementProps props(*this);
  ForEachStoredProp([&](TComponent& component, const PropInfo& prop) {
    // One property that cannot be restored (a text its setter refuses) is reported and
    // keeps its value; it does not keep the others from being restored.
    try {
      props.LoadProperty(component, prop, component.Name() + "_");
    } catch (...) {
      HandleException(this);
    }
  });
  for (int i = 0; i < storedValues_->Count(); ++i) {
    TStoredValue* item = storedValues_->Values(i);
    if (item->Name().empty()) continue;
    std::string value = Trim(ReadString(item->Name(), item->Value()));
    item->SetValue(value);
    Fire(item->OnRestore, item, value);
    item->SetValue(value);
  }
}

}  // namespace dorvane
