// The value <-> text codec over every property kind, in both spellings. How the form
// reader reports a value it cannot take and how the storage reads a damaged text are
// held by FormReaderTest and FormPlacementTest.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "framework/FormReader.h"
#include "framework/PropCodec.h"
#include "tests/framework/TestComponents.h"

namespace dorvane {
namespace {

using testing::TThing;
using testing::TThingRoot;

// A root on a form's owner, as the program has them: the form "Root" with two things, and
// "Other" beside the form, owning "Far" (named "Other.Far" from the form).
struct Forms {
  Forms() {
    root->SetName("Root");
    first->SetName("First");
    second->SetName("Second");
    other->SetName("Other");
    far->SetName("Far");
  }
  TThingRoot app;
  TThingRoot* root = new TThingRoot(&app);
  TThing* first = new TThing(root);
  TThing* second = new TThing(root);
  TThing* other = new TThing(&app);
  TThing* far = new TThing(other);
};

// The value a one-line description gives the property, as the form reader has it.
PropLiteral FormLiteral(const std::string& text) {
  const FormObject form = ParseForm("Root: TThingRoot {\n  P: " + text + "\n}\n");
  return form.properties.at(0).value;
}

// Values that no case below has.
void Scramble(TThing& t) {
  t.count = 1;
  t.color = 1;
  t.big = 1;
  t.fruit = testing::frPear;
  t.fruits = 0b010;
  t.letter = "z";
  t.ratio = 9.5;
  t.text = "other";
  t.SetBuddy(&t);
}

struct Case {
  const char* what;
  const char* prop;
  std::function<void(Forms&, TThing&)> set;
  const char* formText;
  const char* storedText;
};

const Case kCases[] = {
    {"integer", "Count", [](Forms&, TThing& t) { t.count = -12; }, "-12", "-12"},
    {"colour, kept signed", "Color", [](Forms&, TThing& t) { t.color = static_cast<int>(0xFF00000Fu); },
     "-16777201", "-16777201"},
    {"64-bit", "Big", [](Forms&, TThing& t) { t.big = 9'000'000'000'000; }, "9000000000000", "9000000000000"},
    {"enumeration", "Fruit", [](Forms&, TThing& t) { t.fruit = testing::frPlum; }, "frPlum", "frPlum"},
    {"boolean", "Flag", [](Forms&, TThing& t) { t.flag = true; }, "True", "True"},
    {"set", "Fruits", [](Forms&, TThing& t) { t.fruits = 0b101; }, "{frApple, frPlum}", "[frApple,frPlum]"},
    {"empty set", "Fruits", [](Forms&, TThing& t) { t.fruits = 0; }, "{}", "[]"},
    {"character", "Letter", [](Forms&, TThing& t) { t.letter = "\xC3\xA9"; }, "\"\xC3\xA9\"", "\xC3\xA9"},
    {"float", "Ratio", [](Forms&, TThing& t) { t.ratio = 0.125; }, "0.125", "0.125"},
    {"whole float", "Ratio", [](Forms&, TThing& t) { t.ratio = 2; }, "2.0", "2"},
    {"string", "Text", [](Forms&, TThing& t) { t.text = "say \"hi\"\n\tor \\"; },
     R"("say \"hi\"\n\tor \\")", "say \"hi\"\n\tor \\"},
    {"reference", "Buddy", [](Forms& f, TThing& t) { t.SetBuddy(f.second); }, "Second", "Second"},
    {"reference to the form's owner's", "Buddy", [](Forms& f, TThing& t) { t.SetBuddy(f.far); }, "Other.Far",
     "Other.Far"},
};

TEST(PropCodec, EveryKindIsSpeltAndReadBackInBothSpellings) {
  testing::RegisterTestClasses();
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    Forms forms;
    const PropInfo& prop = *TThing::StaticClass().FindProp(c.prop);
    c.set(forms, *forms.first);
    EXPECT_EQ(PropValueText(*forms.first, prop, PropSpelling::Form, forms.root), c.formText);
    EXPECT_EQ(PropValueText(*forms.first, prop, PropSpelling::Storage, forms.root), c.storedText);

    // Each text, read into a thing of another form that holds other values, gives the same value.
    Forms fromForm, fromStorage;
    Scramble(*fromForm.first);
    Scramble(*fromStorage.first);
    SetPropValue(*fromForm.first, prop, FormLiteral(c.formText), fromForm.root, c.prop);
    SetPropValue(*fromStorage.first, prop, PropLiteral::Stored(c.storedText), fromStorage.root, c.prop);
    EXPECT_EQ(PropValueText(*fromForm.first, prop, PropSpelling::Storage, fromForm.root), c.storedText);
    EXPECT_EQ(PropValueText(*fromStorage.first, prop, PropSpelling::Form, fromStorage.root), c.formText);
  }
}

// What has no text of its own: an unset reference in a description (not written), an
// event, an owned list; the storage names an unset reference "(null)" and reads it back.
TEST(PropCodec, UnsetReferencesEventsAndOwnedObjects) {
  testing::RegisterTestClasses();
  Forms forms;
  TThing& thing = *forms.first;
  const ClassInfo& type = TThing::StaticClass();
  const PropInfo& buddy = *type.FindProp("Buddy");
  EXPECT_EQ(PropValueText(thing, buddy, PropSpelling::Form, forms.root), "");
  EXPECT_EQ(PropValueText(thing, buddy, PropSpelling::Storage, forms.root), "(null)");
  thing.SetBuddy(forms.second);
  SetPropValue(thing, buddy, PropLiteral::Stored("(null)"), forms.root, "Buddy");
  EXPECT_EQ(thing.Buddy(), nullptr);

  for (const char* name : {"OnPing", "Lines", "Items"}) {
    EXPECT_EQ(PropValueText(thing, *type.FindProp(name), PropSpelling::Form, forms.root), "") << name;
    EXPECT_EQ(PropValueText(thing, *type.FindProp(name), PropSpelling::Storage, forms.root), "") << name;
  }
  const PropInfo& onPing = *type.FindProp("OnPing");
  SetPropValue(thing, onPing, PropLiteral::Stored("PingHandler"), forms.root, "OnPing");
  EXPECT_FALSE(thing.OnPing) << "events are not kept";
  EXPECT_TRUE(HoldsDefault(thing, onPing));
  SetPropValue(thing, onPing, FormLiteral("PingHandler"), forms.root, "OnPing");
  ASSERT_TRUE(thing.OnPing);
  EXPECT_FALSE(HoldsDefault(thing, onPing));
  thing.OnPing(&thing);
  EXPECT_EQ(forms.root->pings, 1);
}

// A new thing holds every declared default but its name; an owned object has none.
TEST(PropCodec, ANewObjectHoldsItsDefaults) {
  Forms forms;
  for (const PropInfo* p : TThing::StaticClass().AllProps()) {
    const bool owned = p->kind == PropKind::Class && !p->isReference;
    const bool named = p->name == "Name";  // "First", not the empty default
    EXPECT_EQ(HoldsDefault(*forms.first, *p), !owned && !named) << p->name;
  }
}

}  // namespace
}  // namespace dorvane
