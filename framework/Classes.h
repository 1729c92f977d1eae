#pragma once
// The component model: objects with class information and published properties,
// components with a name and an owner that frees them, string lists and collections.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/TypInfo.h"

// Declares the class information of a class; its table is defined in the .cpp file with
// ClassBuilder.
#define DORVANE_CLASS(Class)                                           \
 public:                                                               \
  static const ::dorvane::ClassInfo& StaticClass();                    \
  const ::dorvane::ClassInfo& ClassType() const override { return StaticClass(); }

namespace dorvane {

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
  static const ClassInfo& StaticClass();
  virtual const ClassInfo& ClassType() const { return StaticClass(); }
  const std::string& ClassName() const { return ClassType().name; }
  bool InheritsFrom(const ClassInfo& info) const { return ClassType().InheritsFrom(info); }
};

// An event with the sender only.
using TNotifyEvent = std::function<void(TObject* sender)>;

// Calls an event when it is set. The call goes to a copy: a handler may reassign or clear
// its own event (or free the object that holds it) while it runs.
template <typename F, typename... A>
void Fire(const F& event, A&&... args) {
  if (!event) return;
  const F handler = event;
  handler(std::forward<A>(args)...);
}

class TPersistent : public TObject {
  DORVANE_CLASS(TPersistent)
 public:
  // Copies another object's state; raises EConvertError when the kinds do not fit.
  virtual void Assign(const TPersistent& source);

 protected:
  virtual bool AssignTo(TPersistent& dest) const;
  // Copies every published value (ordinal, text, number) of an object of the same
  // class; raises EConvertError for another class.
  void AssignPublished(const TPersistent& source);
};

enum class TOperation { opInsert, opRemove };

enum TComponentStateFlag : unsigned {
  csLoading = 1,
  csReading = 2,
  csDestroying = 4,
  csDesigning = 8,
};

class TComponent : public TPersistent {
  DORVANE_CLASS(TComponent)
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  // Frees the component: BeforeDestruction (while the whole object is alive: events,
  // owned components freed, last first), then the destructor. Owners free what they own
  // this way; prefer it to delete.
  void Free();
  // Frees every owned component, the last created first.
  void DestroyComponents();

  const std::string& Name() const { return name_; }
  // An identifier, unique (ignoring case) among the owner's components.
  void SetName(const std::string& name);
  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const { return components_.at(static_cast<std::size_t>(index)); }
  // An owned component by name (ignoring case), or null.
  TComponent* FindComponent(std::string_view name) const;

  unsigned ComponentState() const { return state_; }
  bool IsLoading() const { return (state_ & csLoading) != 0; }
  bool IsDestroying() const { return (state_ & csDestroying) != 0; }
  bool IsDesigning() const { return (state_ & csDesigning) != 0; }
  void SetLoading(bool loading);

  // Called once after the form description has been read and every reference resolved.
  virtual void Loaded();

  // Expires when the component is freed: code that runs handlers which may free it (an
  // exception path that would name it as the sender, say) checks this afterwards.
  std::weak_ptr<const void> AliveToken() const { return alive_; }

  // Asks to be told (Notification with opRemove) when `component` is freed.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  // The form loader nests objects; controls take the enclosing control as their parent.
  virtual void SetParentComponent(TComponent* parent);
  virtual TComponent* GetParentComponent() const { return nullptr; }
  // Form classes name their handlers; the loader binds events to them.
  virtual const MethodEntry* FindMethod(std::string_view name) const;

  // A named owned component must be of class T; raises EComponentError otherwise.
  template <typename T>
  T* Require(std::string_view name) const;

 protected:
  virtual void Notification(TComponent* component, TOperation operation);
  // Runs before the destructors, with virtual calls still reaching the whole object.
  virtual void BeforeDestruction();

 private:
  void Insert(TComponent* component);
  void Remove(TComponent* component);

  std::string name_;
  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
  unsigned state_ = 0;
  std::shared_ptr<const char> alive_ = std::make_shared<const char>('\0');
};

[[noreturn]] void ThrowMissingComponent(std::string_view name, const TComponent* found,
                                        const ClassInfo& expected);

// Text lines. Controls that show lists (combo box items) derive their own.
class TStrings : public TPersistent {
  DORVANE_CLASS(TStrings)
 public:
  virtual int Count() const = 0;
  virtual std::string Get(int index) const = 0;
  virtual void Put(int index, const std::string& text);
  virtual void Insert(int index, const std::string& text) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;

  int Add(const std::string& text);
  int IndexOf(std::string_view text) const;  // ignoring case, as list lookups do
  std::vector<std::string> ToVector() const;
  void SetStrings(const std::vector<std::string>& lines);
  // The lines joined with CR LF, each line ended.
  std::string Text() const;
  void SetText(std::string_view text);
  std::string operator[](int index) const { return Get(index); }

  void Assign(const TPersistent& source) override;

  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  TNotifyEvent OnChange;

 protected:
  void Changed();
  bool Updating() const { return updateCount_ > 0; }

 private:
  int updateCount_ = 0;
};

class TStringList : public TStrings {
  DORVANE_CLASS(TStringList)
 public:
  TStringList() = default;
  explicit TStringList(std::vector<std::string> lines) : lines_(std::move(lines)) {}
  int Count() const override { return static_cast<int>(lines_.size()); }
  std::string Get(int index) const override;
  void Put(int index, const std::string& text) override;
  void Insert(int index, const std::string& text) override;
  void Delete(int index) override;
  void Clear() override;

 private:
  std::vector<std::string> lines_;
};

class TCollection;

class TCollectionItem : public TPersistent {
  DORVANE_CLASS(TCollectionItem)
 public:
  explicit TCollectionItem(TCollection* collection) : collection_(collection) {}
  TCollection* Collection() const { return collection_; }
  int Index() const;
  // Copies the published values of an item of the same class.
  void Assign(const TPersistent& source) override;

 protected:
  // Tells the collection (and through it its owner) that this item changed.
  void Changed();

 private:
  TCollection* collection_;
};

// Items of one class, created by a factory, owned by the collection.
class TCollection : public TPersistent {
  DORVANE_CLASS(TCollection)
 public:
  using Factory = std::function<std::unique_ptr<TCollectionItem>(TCollection*)>;
  TCollection(const ClassInfo& itemClass, Factory factory)
      : itemClass_(itemClass), factory_(std::move(factory)) {}

  const ClassInfo& ItemClass() const { return itemClass_; }
  int Count() const { return static_cast<int>(items_.size()); }
  TCollectionItem* Item(int index) const { return items_.at(static_cast<std::size_t>(index)).get(); }
  TCollectionItem* Add();
  void Delete(int index);
  void Clear();
  int IndexOf(const TCollectionItem* item) const;
  void Assign(const TPersistent& source) override;

  // Called after items are added, removed or changed (null: the whole collection).
  std::function<void(TCollectionItem*)> OnUpdate;

 private:
  friend class TCollectionItem;
  void Update(TCollectionItem* item) { Fire(OnUpdate, item); }

  const ClassInfo& itemClass_;
  Factory factory_;
  std::vector<std::unique_ptr<TCollectionItem>> items_;
};

template <typename T>
T* TComponent::Require(std::string_view name) const {
  TComponent* c = FindComponent(name);
  T* typed = dynamic_cast<T*>(c);
  if (!typed) ThrowMissingComponent(name, c, T::StaticClass());
  return typed;
}

}  // namespace dorvane
