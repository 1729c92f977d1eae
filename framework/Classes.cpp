#include "framework/Classes.h"

#include <algorithm>

#include "core/Text.h"
#include "framework/ClassBuilder.h"
#include "framework/SysUtils.h"

namespace dorvane {

const ClassInfo& TObject::StaticClass() {
  static const ClassInfo info{"TObject", nullptr, {}, nullptr};
  return info;
}

const ClassInfo& TPersistent::StaticClass() {
  static const ClassInfo info = ClassBuilder<TPersistent>("TPersistent", &TObject::StaticClass()).Build();
  return info;
}

void TPersistent::Assign(const TPersistent& source) {
  if (source.AssignTo(*this)) return;
  throw EConvertError("Cannot assign a " + source.ClassName() + " to a " + ClassName());
}

bool TPersistent::AssignTo(TPersistent&) const { return false; }

void TPersistent::AssignPublished(const TPersistent& source) {
  if (&source.ClassType() != &ClassType()) return TPersistent::Assign(source);
  for (const PropInfo* p : ClassType().AllProps()) {
    if (p->IsOrdinal() && p->setOrd) p->setOrd(*this, p->getOrd(source));
    else if ((p->kind == PropKind::String || p->kind == PropKind::Char) && p->setStr) p->setStr(*this, p->getStr(source));
    else if (p->kind == PropKind::Float && p->setFloat) p->setFloat(*this, p->getFloat(source));
  }
}

// -- TComponent -----------------------------------------------------------------------

const ClassInfo& TComponent::StaticClass() {
  static const ClassInfo info = ClassBuilder<TComponent>("TComponent", &TPersistent::StaticClass())
                                    .Str("Name", &TComponent::Name, &TComponent::SetName)
                                    .Build();
  return info;
}

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->Insert(this);
}

TComponent::~TComponent() {
  state_ |= csDestroying;
  // Anyone who asked is told first, so references to this component are cleared.
  const auto notifies = std::move(freeNotifies_);
  for (TComponent* c : notifies) {
    auto& theirs = c->freeNotifies_;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
    c->Notification(this, TOperation::opRemove);
  }
  DestroyComponents();
  if (owner_) owner_->Remove(this);
}

void TComponent::Free() {
  BeforeDestruction();
  delete this;
}

void TComponent::BeforeDestruction() {
  state_ |= csDestroying;
  DestroyComponents();
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* last = components_.back();
    last->Free();  // removes itself from components_
  }
}

namespace {

bool IsIdentifier(std::string_view name) {
  if (name.empty()) return false;
  auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!letter(name[0])) return false;
  return std::all_of(name.begin() + 1, name.end(),
                     [&](char c) { return letter(c) || (c >= '0' && c <= '9'); });
}

}  // namespace

void TComponent::SetName(const std::string& name) {
  if (name == name_) return;
  if (!name.empty() && !IsIdentifier(name))
    throw EComponentError("'" + name + "' is not a valid component name");
  if (owner_ && !name.empty()) {
    TComponent* other = owner_->FindComponent(name);
    if (other && other != this)
      throw EComponentError("A component named " + name + " already exists");
  }
  name_ = name;
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameText(c->name_, name)) return c;
  return nullptr;
}

void TComponent::SetLoading(bool loading) {
  if (loading)
    state_ |= csLoading;
  else
    state_ &= ~static_cast<unsigned>(csLoading);
}

void TComponent::Loaded() { SetLoading(false); }

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end()) {
    freeNotifies_.push_back(component);
    component->freeNotifies_.push_back(this);
  }
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component) return;
  freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), component), freeNotifies_.end());
  auto& theirs = component->freeNotifies_;
  theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::SetParentComponent(TComponent*) {}

const MethodEntry* TComponent::FindMethod(std::string_view) const { return nullptr; }

void TComponent::Notification(TComponent*, TOperation) {}

void TComponent::Insert(TComponent* component) {
  components_.push_back(component);
  component->owner_ = this;
  Notification(component, TOperation::opInsert);
}

void TComponent::Remove(TComponent* component) {
  components_.erase(std::remove(components_.begin(), components_.end(), component), components_.end());
  component->owner_ = nullptr;
  // The owner and every sibling hear of it, so their references are cleared.
  if (!IsDestroying()) {
    Notification(component, TOperation::opRemove);
    const auto siblings = components_;
    for (TComponent* c : siblings) c->Notification(component, TOperation::opRemove);
  }
}

void ThrowMissingComponent(std::string_view name, const TComponent* found, const ClassInfo& expected) {
  if (!found) throw EComponentError("the form has no component named " + std::string(name));
  throw EComponentError("component " + std::string(name) + " is a " + found->ClassName() +
                        ", not a " + expected.name);
}

// -- TStrings -------------------------------------------------------------------------

const ClassInfo& TStrings::StaticClass() {
  static const ClassInfo info = ClassBuilder<TStrings>("TStrings", &TPersistent::StaticClass()).Build();
  return info;
}

void TStrings::Put(int index, const std::string& text) {
  BeginUpdate();
  Delete(index);
  Insert(index, text);
  EndUpdate();
}

int TStrings::Add(const std::string& text) {
  const int index = Count();
  Insert(index, text);
  return index;
}

int TStrings::IndexOf(std::string_view text) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(Get(i), text)) return i;
  return -1;
}

std::vector<std::string> TStrings::ToVector() const {
  std::vector<std::string> lines;
  for (int i = 0; i < Count(); ++i) lines.push_back(Get(i));
  return lines;
}

void TStrings::SetStrings(const std::vector<std::string>& lines) {
  BeginUpdate();
  Clear();
  for (const auto& line : lines) Add(line);
  EndUpdate();
}

std::string TStrings::Text() const {
  std::string text;
  for (int i = 0; i < Count(); ++i) text += Get(i) + "\r\n";
  return text;
}

void TStrings::SetText(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    lines.emplace_back(text.substr(start, end - start));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    start = end + 1;
  }
  SetStrings(lines);
}

void TStrings::Assign(const TPersistent& source) {
  if (const auto* other = dynamic_cast<const TStrings*>(&source)) {
    SetStrings(other->ToVector());
    return;
  }
  TPersistent::Assign(source);
}

void TStrings::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

void TStrings::Changed() {
  if (!Updating()) Fire(OnChange, this);
}

const ClassInfo& TStringList::StaticClass() {
  static const ClassInfo info = ClassBuilder<TStringList>("TStringList", &TStrings::StaticClass()).Build();
  return info;
}

namespace {
void CheckListIndex(int index, int limit) {
  if (index < 0 || index >= limit) throw EInvalidOperation("List index out of bounds (" + std::to_string(index) + ")");
}
}  // namespace

std::string TStringList::Get(int index) const {
  CheckListIndex(index, Count());
  return lines_[static_cast<std::size_t>(index)];
}

void TStringList::Put(int index, const std::string& text) {
  CheckListIndex(index, Count());
  // Writing the text a line already has changes nothing and tells nobody.
  if (lines_[static_cast<std::size_t>(index)] == text) return;
  lines_[static_cast<std::size_t>(index)] = text;
  Changed();
}

void TStringList::Insert(int index, const std::string& text) {
  CheckListIndex(index, Count() + 1);
  lines_.insert(lines_.begin() + index, text);
  Changed();
}

void TStringList::Delete(int index) {
  CheckListIndex(index, Count());
  lines_.erase(lines_.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (lines_.empty()) return;
  lines_.clear();
  Changed();
}

// -- TCollection ----------------------------------------------------------------------

const ClassInfo& TCollectionItem::StaticClass() {
  static const ClassInfo info = ClassBuilder<TCollectionItem>("TCollectionItem", &TPersistent::StaticClass()).Build();
  return info;
}

int TCollectionItem::Index() const { return collection_ ? collection_->IndexOf(this) : -1; }

void TCollectionItem::Assign(const TPersistent& source) {
  AssignPublished(source);
  Changed();
}

void TCollectionItem::Changed() {
  if (collection_) collection_->Update(this);
}

const ClassInfo& TCollection::StaticClass() {
  static const ClassInfo info = ClassBuilder<TCollection>("TCollection", &TPersistent::StaticClass()).Build();
  return info;
}

TCollectionItem* TCollection::Add() {
  items_.push_back(factory_(this));
  Update(nullptr);
  return items_.back().get();
}

void TCollection::Delete(int index) {
  if (index < 0 || index >= Count()) throw EInvalidOperation("List index out of bounds (" + std::to_string(index) + ")");
  items_.erase(items_.begin() + index);
  Update(nullptr);
}

void TCollection::Clear() {
  if (items_.empty()) return;
  items_.clear();
  Update(nullptr);
}

int TCollection::IndexOf(const TCollectionItem* item) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == item) return static_cast<int>(i);
  return -1;
}

void TCollection::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TCollection*>(&source);
  if (!other) return TPersistent::Assign(source);
  items_.clear();
  for (int i = 0; i < other->Count(); ++i) Add()->Assign(*other->Item(i));
  Update(nullptr);
}

}  // namespace dorvane
