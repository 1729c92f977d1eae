#include <gtest/gtest.h>

#include <memory>

#include "framework/SysUtils.h"
#include "tests/framework/TestComponents.h"

namespace dorvane {
namespace {

using testing::TThing;
using testing::TThingRoot;

// A handler that replaces its own event keeps what it captured until it returns.
TEST(ComponentModel, AHandlerMayReassignItsOwnEvent) {
  struct Capture {
    bool* gone;
    ~Capture() { *gone = true; }
  };
  bool gone = false, goneWhileRunning = true;
  int replacementCalls = 0;
  TNotifyEvent event;
  event = [&, capture = std::shared_ptr<Capture>(new Capture{&gone})](TObject*) {
    if (*capture->gone) return;
    event = [&](TObject*) { ++replacementCalls; };
    goneWhileRunning = gone;  // what this call captured must still be there
  };
  Fire(event, nullptr);
  EXPECT_FALSE(goneWhileRunning);
  EXPECT_TRUE(gone) << "released once the call is over";
  Fire(event, nullptr);
  EXPECT_EQ(1, replacementCalls);
}

TEST(ComponentModel, OwnerFreesOwnedComponentsLastFirst) {
  std::vector<std::string> freed;
  struct TNoisy : TComponent {
    TNoisy(TComponent* o, std::vector<std::string>& log, std::string n) : TComponent(o), log_(log), n_(std::move(n)) {}
    ~TNoisy() override { log_.push_back(n_); }
    std::vector<std::string>& log_;
    std::string n_;
  };
  auto* root = new TThingRoot();
  new TNoisy(root, freed, "first");
  auto* second = new TNoisy(root, freed, "second");
  new TNoisy(second, freed, "grandchild");
  EXPECT_EQ(root->ComponentCount(), 2);
  root->Free();
  EXPECT_EQ(freed, (std::vector<std::string>{"grandchild", "second", "first"}));
}

TEST(ComponentModel, NamesAndLookup) {
  TThingRoot root;
  auto* a = new TThing(&root);
  a->SetName("Alpha");
  EXPECT_EQ(root.FindComponent("alpha"), a);  // names ignore letter case
  EXPECT_EQ(root.FindComponent("beta"), nullptr);
  auto* b = new TThing(&root);
  EXPECT_THROW(b->SetName("ALPHA"), EComponentError);
  EXPECT_THROW(b->SetName("1abc"), EComponentError);
  EXPECT_THROW(b->SetName("a b"), EComponentError);
  b->SetName("Beta_2");
  EXPECT_EQ(root.Require<TThing>("beta_2"), b);
  EXPECT_THROW(root.Require<TThingRoot>("Beta_2"), EComponentError);
  EXPECT_THROW(root.Require<TThing>("Gamma"), EComponentError);
  b->Free();
  EXPECT_EQ(root.ComponentCount(), 1);
  EXPECT_EQ(root.FindComponent("Beta_2"), nullptr);
}

TEST(ComponentModel, FreeNotificationClearsReferences) {
  TThingRoot root;
  auto* a = new TThing(&root);
  auto* b = new TThing(&root);
  a->SetBuddy(b);
  EXPECT_EQ(a->Buddy(), b);
  b->Free();
  EXPECT_EQ(a->Buddy(), nullptr);
  // Across owners too.
  TThingRoot other;
  auto* c = new TThing(&other);
  a->SetBuddy(c);
  other.DestroyComponents();
  EXPECT_EQ(a->Buddy(), nullptr);
}

TEST(PropertyTables, EveryKindByName) {
  TThingRoot root;
  TThing t(&root);
  EXPECT_EQ(GetOrdProp(t, "count"), 7);
  SetOrdProp(t, "Count", -42);
  EXPECT_EQ(t.count, -42);
  SetOrdProp(t, "Big", 9'000'000'000'000);
  EXPECT_EQ(GetOrdProp(t, "Big"), 9'000'000'000'000);
  SetEnumProp(t, "Fruit", "FRPLUM");
  EXPECT_EQ(t.fruit, testing::frPlum);
  EXPECT_EQ(GetEnumProp(t, "Fruit"), "frPlum");
  EXPECT_THROW(SetEnumProp(t, "Fruit", "frKiwi"), EPropertyError);
  EXPECT_THROW(SetOrdProp(t, "Fruit", 3), EPropertyError);
  SetEnumProp(t, "Flag", "true");
  EXPECT_TRUE(t.flag);
  EXPECT_EQ(GetEnumProp(t, "Flag"), "True");
  SetOrdProp(t, "Fruits", 0b101);
  EXPECT_EQ(t.fruits, 0b101u);
  SetStrProp(t, "Letter", "é");
  EXPECT_EQ(GetStrProp(t, "Letter"), "é");
  SetFloatProp(t, "Ratio", 0.25);
  EXPECT_DOUBLE_EQ(GetFloatProp(t, "Ratio"), 0.25);
  SetStrProp(t, "Text", "Grüße");
  EXPECT_EQ(GetStrProp(t, "Text"), "Grüße");
  TThing other(&root);
  SetObjectProp(t, "Buddy", &other);
  EXPECT_EQ(t.Buddy(), &other);
  EXPECT_EQ(GetObjectProp(t, "Buddy"), &other);
  EXPECT_THROW(SetObjectProp(t, "Buddy", &root), EPropertyError);  // not a TThing
  EXPECT_EQ(GetObjectProp(t, "Lines"), t.lines.get());
  EXPECT_THROW(SetObjectProp(t, "Lines", nullptr), EPropertyError);  // owned: read only
  EXPECT_THROW(GetOrdProp(t, "Missing"), EPropertyError);
  EXPECT_THROW(GetStrProp(t, "Count"), EPropertyError);  // wrong kind
}

TEST(PropertyTables, DeclarationOrderAndInheritance) {
  const auto all = TThing::StaticClass().AllProps();
  ASSERT_GE(all.size(), 14u);
  EXPECT_EQ(all[0]->name, "Name");  // the ancestor's first
  EXPECT_EQ(all[1]->name, "Count");
  EXPECT_EQ(all.back()->name, "OnPing");
  EXPECT_TRUE(TThing::StaticClass().InheritsFrom(TComponent::StaticClass()));
  EXPECT_FALSE(TComponent::StaticClass().InheritsFrom(TThing::StaticClass()));
  const PropInfo* color = TThing::StaticClass().FindProp("Color");
  ASSERT_NE(color, nullptr);
  EXPECT_FALSE(color->idents.empty());  // colours accept identifiers
}

TEST(StringLists, TextAssignAndEvents) {
  TStringList a;
  int changes = 0;
  a.OnChange = [&](TObject*) { ++changes; };
  a.Add("one");
  a.Add("two");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(a.Text(), "one\r\ntwo\r\n");
  EXPECT_EQ(a.IndexOf("TWO"), 1);
  a.BeginUpdate();
  a.Clear();
  a.SetText("x\ny\r\nz");
  a.EndUpdate();
  EXPECT_EQ(changes, 3);  // one change for the whole update
  EXPECT_EQ(a.ToVector(), (std::vector<std::string>{"x", "y", "z"}));
  TStringList b;
  b.Assign(a);
  EXPECT_EQ(b.Count(), 3);
  EXPECT_THROW(a.Delete(5), EInvalidOperation);
  TThingRoot root;
  EXPECT_THROW(b.Assign(root), EConvertError);
}

TEST(Collections, ItemsAndUpdates) {
  TThingRoot root;
  TThing t(&root);
  int updates = 0;
  t.items->OnUpdate = [&](TCollectionItem*) { ++updates; };
  auto* first = static_cast<testing::TTestItem*>(t.items->Add());
  first->caption = "name";
  t.items->Add();
  EXPECT_EQ(t.items->Count(), 2);
  EXPECT_EQ(t.items->Item(1)->Index(), 1);
  EXPECT_EQ(updates, 2);
  t.items->Delete(0);
  EXPECT_EQ(t.items->Count(), 1);
  EXPECT_EQ(t.items->Item(0)->Index(), 0);
}

}  // namespace
}  // namespace dorvane
