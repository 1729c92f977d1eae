#pragma once
// Small component classes with a property of every kind, for the component model, the
// form loader and the form storage tests.
#include <memory>
#include <string>

#include "framework/ClassBuilder.h"
#include "framework/Classes.h"

namespace dorvane::testing {

enum TFruit { frApple, frPear, frPlum };

inline const EnumType& FruitType() {
  static const EnumType t{"TFruit", {"frApple", "frPear", "frPlum"}};
  return t;
}

class TTestItem : public TCollectionItem {
  DORVANE_CLASS(TTestItem)
 public:
  using TCollectionItem::TCollectionItem;
  std::string caption;
  int width = 0;
};

inline const ClassInfo& TTestItem::StaticClass() {
  static const ClassInfo info = ClassBuilder<TTestItem>("TTestItem", &TCollectionItem::StaticClass())
                                    .Str("Caption", &TTestItem::caption, &TTestItem::caption)
                                    .Int("Width", &TTestItem::width, &TTestItem::width, 0)
                                    .Build();
  return info;
}

class TThing : public TComponent {
  DORVANE_CLASS(TThing)
 public:
  explicit TThing(TComponent* owner)
      : TComponent(owner),
        lines(std::make_unique<TStringList>()),
        items(std::make_unique<TCollection>(TTestItem::StaticClass(), [](TCollection* c) {
          return std::make_unique<TTestItem>(c);
        })) {}

  int count = 7;
  std::int64_t big = 0;
  TFruit fruit = frApple;
  bool flag = false;
  std::uint32_t fruits = 0;
  std::string letter = "a";
  double ratio = 1.5;
  std::string text;
  int color = 0;
  TThing* buddy = nullptr;
  std::unique_ptr<TStringList> lines;
  std::unique_ptr<TCollection> items;
  TNotifyEvent OnPing;

  TThing* Buddy() const { return buddy; }
  void SetBuddy(TThing* b) {
    if (buddy) buddy->RemoveFreeNotification(this);
    buddy = b;
    if (b) b->FreeNotification(this);
  }
  int loadedCalls = 0;
  void Loaded() override {
    TComponent::Loaded();
    ++loadedCalls;
  }

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == TOperation::opRemove && c == buddy) buddy = nullptr;
  }
};

inline const ClassInfo& TThing::StaticClass() {
  static const ClassInfo info =
      ClassBuilder<TThing>("TThing", &TComponent::StaticClass())
          .Int("Count", &TThing::count, &TThing::count, 7)
          .Int64("Big", &TThing::big, &TThing::big, 0)
          .Enum("Fruit", &TThing::fruit, &TThing::fruit, FruitType(), frApple)
          .Bool("Flag", &TThing::flag, &TThing::flag, false)
          .Set("Fruits", &TThing::fruits, &TThing::fruits, FruitType(), 0)
          .Char("Letter", &TThing::letter, &TThing::letter, "a")
          .Float("Ratio", &TThing::ratio, &TThing::ratio, 1.5)
          .Str("Text", &TThing::text, &TThing::text)
          .Color("Color", &TThing::color, &TThing::color, 0)
          .Ref("Buddy", &TThing::Buddy, &TThing::SetBuddy, &TThing::StaticClass)
          .Object("Lines", [](const TThing& t) -> TObject* { return t.lines.get(); }, TStringList::StaticClass())
          .Object("Items", [](const TThing& t) -> TObject* { return t.items.get(); }, TCollection::StaticClass())
          .Event("OnPing", &TThing::OnPing)
          .Build();
  return info;
}

// A root for descriptions, with one handler.
class TThingRoot : public TComponent {
  DORVANE_CLASS(TThingRoot)
 public:
  explicit TThingRoot(TComponent* owner = nullptr) : TComponent(owner) {}
  int pings = 0;
  void PingHandler(TObject*) { ++pings; }
  void WrongHandler(int) {}
  const MethodEntry* FindMethod(std::string_view name) const override {
    static const MethodEntry entries[] = {Method("PingHandler", &TThingRoot::PingHandler),
                                          Method("WrongHandler", &TThingRoot::WrongHandler)};
    for (const auto& m : entries)
      if (m.name == name) return &m;
    return nullptr;
  }
};

inline const ClassInfo& TThingRoot::StaticClass() {
  static const ClassInfo info = ClassBuilder<TThingRoot>("TThingRoot", &TComponent::StaticClass()).Build();
  return info;
}

inline void RegisterTestClasses() {
  RegisterComponentClass(TThing::StaticClass());
  RegisterComponentClass(TThingRoot::StaticClass());
}

}  // namespace dorvane::testing
