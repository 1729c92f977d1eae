// Every class a form description may name: a fresh instance holds the defaults its
// property table declares (the writer leaves out values equal to them, so a wrong default
// loses a setting on the way through a description), the defaults the program relies on
// are the declared ones, and a form with one of each, set away from the defaults, comes
// back from the writer and the loader unchanged.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Dialogs.h"
#include "framework/FormReader.h"
#include "framework/Forms.h"
#include "framework/TypInfo.h"
#include "main/Program.h"

namespace dorvane {
namespace {

std::vector<const ClassInfo*> CreatableClasses() {
  RegisterProgramClasses();
  std::vector<const ClassInfo*> classes;
  for (const ClassInfo* info : RegisteredClasses())
    if (info->create) classes.push_back(info);
  return classes;
}

// Edit-like controls start in the window colour rather than their parent's, unlike the
// ancestor whose table declares Color and ParentColor; the writer then writes both out,
// so nothing is lost.
bool WindowColoured(const ClassInfo& info, const PropInfo& p) {
  return (p.name == "Color" || p.name == "ParentColor") &&
         (info.name == "TEdit" || info.name == "TComboBox" || info.name == "TListView" ||
          info.name == "TFileOpenEdit");
}

TEST(RegisteredClasses, FreshInstancesHoldTheirDeclaredDefaults) {
  const std::vector<const ClassInfo*> classes = CreatableClasses();
  ASSERT_GE(classes.size(), 20u);
  TForm* form = new TForm(nullptr);  // owned by a form, as the loader creates them
  for (const ClassInfo* info : classes) {
    TComponent* object = info->create(form);
    for (const PropInfo* p : info->AllProps()) {
      if (WindowColoured(*info, *p)) continue;
      if (p->IsOrdinal() && p->ordDefault) {
        EXPECT_EQ(p->getOrd(*object), *p->ordDefault) << info->name << "." << p->name;
      } else if (p->kind == PropKind::String && p->strDefault) {
        EXPECT_EQ(p->getStr(*object), *p->strDefault) << info->name << "." << p->name;
      } else if (p->kind == PropKind::Float && p->floatDefault) {
        EXPECT_EQ(p->getFloat(*object), *p->floatDefault) << info->name << "." << p->name;
      }
    }
    object->Free();
  }
  form->Free();
}

// Defaults the program's forms rely on by leaving them out of their descriptions.
TEST(RegisteredClasses, DefaultsTheFormsRelyOn) {
  CreatableClasses();
  struct Expected {
    const char* className;
    const char* property;
    std::string value;  // an identifier, or the number
  };
  const Expected table[] = {
      {"TGradientFill", "Align", "alClient"},
      {"TGradientFill", "Steps", "100"},
      {"TGradientFill", "StartColor", "16711680"},  // blue
      {"TSpecialProgress", "Width", "150"},
      {"TSpecialProgress", "Height", "15"},
      {"TSpecialProgress", "TextOption", "toNoText"},
      {"TGauge", "Width", "100"},
      {"TGauge", "Height", "100"},
      {"TGauge", "Kind", "gkHorizontalBar"},
      {"TGauge", "BorderStyle", "bsSingle"},
      {"TFileOpenEdit", "CustomButtonWidth", "18"},
      {"TFileOpenEdit", "Options", std::to_string(OpenOptionOf(ofHideReadOnly))},
  };
  for (const Expected& e : table) {
    const ClassInfo* info = FindClass(e.className);
    ASSERT_NE(info, nullptr) << e.className;
    TComponent* object = info->create(nullptr);
    const PropInfo& p = GetPropInfo(*object, e.property);
    const std::string value =
        p.kind == PropKind::Enumeration ? GetEnumProp(*object, e.property) : std::to_string(p.getOrd(*object));
    EXPECT_EQ(value, e.value) << e.className << "." << e.property;
    object->Free();
  }
  const ClassInfo* gauge = FindClass("TGauge");
  ASSERT_NE(gauge, nullptr);
  EXPECT_TRUE(gauge->FindProp("Progress")->alwaysStored);
}

// Moves every plain value a step away from its default (properties that refuse the new
// value keep theirs).
void SetAwayFromDefaults(TComponent& object) {
  for (const PropInfo* p : object.ClassType().AllProps()) {
    if (p->name == "Name" || p->name == "Visible") continue;
    try {
      if (p->setOrd && p->ordDefault) {
        std::int64_t v = *p->ordDefault;
        if (p->kind == PropKind::Enumeration) v = (v + 1) % static_cast<std::int64_t>(p->enumType->names.size());
        else if (p->kind == PropKind::Set) v ^= 1;
        else v += 1;
        p->setOrd(object, v);
      } else if (p->setStr && p->strDefault && p->kind == PropKind::String) {
        p->setStr(object, *p->strDefault + "x");
      }
    } catch (const Exception&) {
    }
  }
}

TEST(RegisteredClasses, AFormOfEveryClassRoundTripsThroughWriterAndLoader) {
  const std::vector<const ClassInfo*> classes = CreatableClasses();
  TForm* form = new TForm(nullptr);
  form->SetName("Every");
  form->SetBounds(0, 0, 600, 400);
  int n = 0;
  for (const ClassInfo* info : classes) {
    TComponent* object = info->create(form);
    object->SetName("Item" + std::to_string(++n));
    if (auto* control = dynamic_cast<TControl*>(object)) {
      control->SetParent(form);
      control->SetBounds(10 + n, 20 + n, 40 + n, 30 + n);
    }
    SetAwayFromDefaults(*object);
  }
  const std::string written = WriteForm(*form);
  EXPECT_NE(written.find("Kind: gkVerticalBar"), std::string::npos) << "the gauge's kind was moved off its default";
  TForm* again = new TForm(nullptr);
  LoadFormText(*again, written);
  EXPECT_EQ(WriteForm(*again), written);
  EXPECT_EQ(again->ComponentCount(), form->ComponentCount());
  again->Free();
  form->Free();
}

}  // namespace
}  // namespace dorvane
