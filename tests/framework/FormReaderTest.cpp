#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "framework/CheckBox.h"
#include "framework/ClassBuilder.h"
#include "framework/FormReader.h"
#include "framework/Forms.h"
#include "framework/ListView.h"
#include "framework/Panel.h"
#include "framework/SysUtils.h"
#include "tests/framework/TestComponents.h"

namespace dorvane {
namespace {

using testing::TThing;
using testing::TThingRoot;

class FormReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::RegisterTestClasses(); }
  static std::string ErrorOf(std::string_view text) {
    TThingRoot root;
    try {
      LoadFormText(root, text);
    } catch (const EReadError& e) {
      return e.what();
    }
    return "no error";
  }
};

constexpr const char* kDescription = R"(# a description with every kind of value
Root: TThingRoot {
  First: TThing {
    Count: -12
    Big: 9000000000000
    Fruit: frPear; Flag: True
    Fruits: {frApple, frPlum}
    Letter: "é"
    Ratio: 0.125
    Text: "say \"hi\"\n\u00e9 数据"
    Color: clBtnFace
    Buddy: Second
    Lines: ["one", "two"]
    Items: [
      { Caption: "name"; Width: 36 }
      { Caption: "label"; Width: 100 }
    ]
    OnPing: PingHandler
    Inner: TThing {
      Count: 0x10
    }
  }
  Second: TThing {
  }
}
)";

TEST_F(FormReaderTest, LoadsEveryKindOfValue) {
  TThingRoot root;
  LoadFormText(root, kDescription);
  EXPECT_EQ(root.Name(), "Root");
  auto* first = root.Require<TThing>("First");
  auto* second = root.Require<TThing>("Second");
  auto* inner = root.Require<TThing>("Inner");
  EXPECT_EQ(first->count, -12);
  EXPECT_EQ(first->big, 9'000'000'000'000);
  EXPECT_EQ(first->fruit, testing::frPear);
  EXPECT_TRUE(first->flag);
  EXPECT_EQ(first->fruits, 0b101u);
  EXPECT_EQ(first->letter, "é");
  EXPECT_DOUBLE_EQ(first->ratio, 0.125);
  EXPECT_EQ(first->text, "say \"hi\"\né 数据");
  EXPECT_EQ(static_cast<std::uint32_t>(first->color), 0xFF00000Fu);
  EXPECT_EQ(first->Buddy(), second);  // a reference to a later object is resolved at the end
  EXPECT_EQ(first->lines->ToVector(), (std::vector<std::string>{"one", "two"}));
  ASSERT_EQ(first->items->Count(), 2);
  EXPECT_EQ(static_cast<testing::TTestItem*>(first->items->Item(1))->caption, "label");
  EXPECT_EQ(static_cast<testing::TTestItem*>(first->items->Item(0))->width, 36);
  EXPECT_EQ(inner->count, 16);
  EXPECT_EQ(inner->Owner(), &root);  // every object belongs to the root
  ASSERT_TRUE(first->OnPing);
  first->OnPing(first);
  EXPECT_EQ(root.pings, 1);
  // Loaded once for each, after the loading state ends.
  EXPECT_EQ(first->loadedCalls, 1);
  EXPECT_FALSE(first->IsLoading());
  EXPECT_FALSE(root.IsLoading());
}

TEST_F(FormReaderTest, RoundTripThroughTheWriter) {
  TThingRoot root;
  LoadFormText(root, kDescription);
  const std::string written = WriteForm(root);
  TThingRoot again;
  LoadFormText(again, written);
  auto* a = root.Require<TThing>("First");
  auto* b = again.Require<TThing>("First");
  for (const PropInfo* p : TThing::StaticClass().AllProps()) {
    if (p->IsOrdinal()) {
      EXPECT_EQ(p->getOrd(*a), p->getOrd(*b)) << p->name;
    } else if (p->kind == PropKind::String || p->kind == PropKind::Char) {
      EXPECT_EQ(p->getStr(*a), p->getStr(*b)) << p->name;
    } else if (p->kind == PropKind::Float) {
      EXPECT_DOUBLE_EQ(p->getFloat(*a), p->getFloat(*b)) << p->name;
    }
  }
  EXPECT_EQ(b->lines->ToVector(), a->lines->ToVector());
  EXPECT_EQ(b->items->Count(), 2);
  EXPECT_EQ(b->Buddy(), again.FindComponent("Second"));
  EXPECT_EQ(again.Require<TThing>("Inner")->count, 16);
  // Default values are not written.
  EXPECT_EQ(WriteForm(again).find("Ratio: 1.5"), std::string::npos);
  EXPECT_EQ(written, WriteForm(again));
}

TEST_F(FormReaderTest, ErrorsNameTheLineAndWhatWasExpected) {
  EXPECT_EQ(ErrorOf("Root: TThingRoot {\n  A: TThing {\n    Count 5\n  }\n}"),
            "line 3: expected ':' after 'Count', found the number 5");
  EXPECT_EQ(ErrorOf("Root: TThingRoot {\n  A: TThing {\n    Count: 5\n"),
            "line 4: expected '}' before the end of the text");
  EXPECT_EQ(ErrorOf("Root: TThingRoot {\n  A: TThing {\n    Text: \"open\n  }\n}"),
            "line 3: unterminated string");
  EXPECT_EQ(ErrorOf("Root: TThingRoot {\n  A: TNoSuchClass {\n  }\n}"), "line 2: unknown class TNoSuchClass");
  EXPECT_EQ(ErrorOf("Root: TThingRoot {\n  A: TThing {\n    Colour: 5\n  }\n}"),
            "line 3: TThing has no property Colour");
  EXPECT_EQ(ErrorOf("Root: TThingRoot {\n  A: TThing {\n    Fruit: frKiwi\n  }\n}"),
            "line 3: 'frKiwi' is no member of TFruit");
  EXPECT_EQ(ErrorOf("Root: TThingRoot {\n  A: TThing {\n    Count: \"7\"\n  }\n}"),
            "line 3: expected an integer for 'Count'");
  EXPECT_EQ(ErrorOf("Root: TThingRoot {\n  A: TThing {\n    Buddy: Nobody\n  }\n}"),
            "line 3: no component named Nobody");
  EXPECT_EQ(ErrorOf("Root: TThingRoot {\n  A: TThing {\n    Buddy: Root\n  }\n}"),
            "line 3: 'Buddy': 'Buddy' needs a TThing");
  EXPECT_EQ(ErrorOf("Root: TThingRoot {\n  A: TThing {\n    OnPing: Missing\n  }\n}"),
            "line 3: TThingRoot has no handler Missing");
  EXPECT_EQ(ErrorOf("Root: TThingRoot {\n  A: TThing {\n    OnPing: WrongHandler\n  }\n}"),
            "line 3: 'OnPing': the handler WrongHandler does not fit the event OnPing");
  EXPECT_EQ(ErrorOf("Root: TThingRoot {\n  A: TThing { }\n  A: TThing { }\n}"),
            "line 3: A component named A already exists");
  EXPECT_EQ(ErrorOf("Root: TThing {\n}"), "line 1: expected the class TThingRoot, found TThing");
  EXPECT_EQ(ErrorOf("Root: TThingRoot {\n  A: TThing {\n    Count: 5 6\n  }\n}"),
            "line 3: expected the end of the line after the value of 'Count', found the number 6");
  EXPECT_EQ(ErrorOf("Root: TThingRoot {\n  A: TThing {\n    Count: 99999999999999999999\n  }\n}"),
            "line 3: number out of range '99999999999999999999'");
  EXPECT_EQ(ErrorOf("Root: TThingRoot {\n  A: TThing {\n    Fruits: {frApple frPear}\n  }\n}"),
            "line 3: expected ',' or '}' in 'Fruits', found 'frPear'");
  EXPECT_EQ(ErrorOf(""), "line 1: expected the form's name, found the end of the text");
}

// A reference is named as the form storage names it: "Owner.Name" reaches a component
// through its owner, here the form itself.
TEST_F(FormReaderTest, AReferenceMayNameItsComponentThroughItsOwner) {
  TThingRoot root;
  LoadFormText(root, "Root: TThingRoot {\n  A: TThing {\n    Buddy: Root.B\n  }\n  B: TThing {\n  }\n}");
  EXPECT_EQ(root.Require<TThing>("A")->Buddy(), root.FindComponent("B"));
  EXPECT_EQ(ErrorOf("Root: TThingRoot {\n  A: TThing {\n    Buddy: Nobody.B\n  }\n  B: TThing {\n  }\n}"),
            "line 3: no component named Nobody.B");
}

TEST_F(FormReaderTest, FailedLoadLeavesNoComponentLoading) {
  TThingRoot root;
  EXPECT_THROW(LoadFormText(root, "Root: TThingRoot {\n  A: TThing {\n  }\n  B: TThing {\n    Count: x\n  }\n}"),
               EReadError);
  EXPECT_FALSE(root.IsLoading());
  for (int i = 0; i < root.ComponentCount(); ++i) EXPECT_FALSE(root.Components(i)->IsLoading());
}


// -- a form laid out once, its folded view's windows made when the view opens ----------------

class TFoldTestForm : public TForm {
  DORVANE_CLASS(TFoldTestForm)
 public:
  using TForm::TForm;
  void Load(std::string_view text) { InitializeFormText(text); }
};

const ClassInfo& TFoldTestForm::StaticClass() {
  static const ClassInfo info = ClassBuilder<TFoldTestForm>("TFoldTestForm", &TForm::StaticClass()).Build();
  return info;
}

class FormLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override { Application().Initialize(); }
  void TearDown() override {
    if (form_) form_->Free();
  }
  TFoldTestForm& Load(std::string_view text) {
    form_ = new TFoldTestForm(nullptr);
    form_->Load(text);
    return *form_;
  }

 private:
  TFoldTestForm* form_ = nullptr;
};

RECT WindowBounds(TWinControl& control) {
  RECT r;
  GetWindowRect(control.Handle(), &r);
  MapWindowPoints(nullptr, GetParent(control.Handle()), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST_F(FormLayoutTest, FoldedViewGetsItsWindowsWhenItOpensWithTheValuesSetBefore) {
  // The strip takes the whole window: the settings view below it starts folded to nothing.
  TFoldTestForm& form = Load(R"(
Form: TFoldTestForm {
  BorderStyle: bsNone; ClientWidth: 300; ClientHeight: 100
  Strip: TPanel {
    Align: alTop; Height: 100; BevelOuter: bvNone
    Left1: TPanel { Align: alLeft; Width: 50; BevelOuter: bvNone }
    Rest: TPanel { Align: alClient; BevelOuter: bvNone }
  }
  Settings: TPanel {
    Align: alClient; BevelOuter: bvNone
    Box: TCheckBox { Left: 8; Top: 4; Width: 100; Height: 17; Checked: True }
    List: TListView {
      Align: alRight; Width: 120
      ViewStyle: vsReport; Checkboxes: True
      Columns: [ { Caption: "name"; Width: 60 } ]
    }
  }
}
)");
  auto* rest = form.Require<TPanel>("Rest");
  auto* settings = form.Require<TPanel>("Settings");
  auto* box = form.Require<TCheckBox>("Box");
  auto* list = form.Require<TListView>("List");
  const RECT restPlace{50, 0, 300, 100};
  const RECT restBounds = rest->BoundsRect(), restWindow = WindowBounds(*rest);
  EXPECT_TRUE(EqualRect(&restBounds, &restPlace));
  EXPECT_TRUE(EqualRect(&restWindow, &restPlace)) << "the window is made where the layout put it";
  EXPECT_EQ(settings->Top(), 100);
  EXPECT_EQ(settings->Height(), 0);
  EXPECT_FALSE(box->HandleAllocated());
  EXPECT_FALSE(list->HandleAllocated());

  // Values the program sets meanwhile are kept and read back.
  box->SetChecked(false);
  EXPECT_FALSE(box->Checked());
  TListItem* row = list->Items().Add();
  row->SetCaption("c:");
  row->SetChecked(true);
  EXPECT_TRUE(row->Checked());

  form.SetClientHeight(250);  // the view opens
  EXPECT_EQ(settings->Height(), 150);
  ASSERT_TRUE(box->HandleAllocated());
  ASSERT_TRUE(list->HandleAllocated());
  EXPECT_EQ(SendMessageW(box->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageW(list->Handle(), LVM_GETITEMCOUNT, 0, 0), 1);
  const auto state = SendMessageW(list->Handle(), LVM_GETITEMSTATE, 0, LVIS_STATEIMAGEMASK);
  EXPECT_EQ(state >> 12, 2) << "the check box image of a ticked row";
  const RECT listPlace{180, 0, 300, 150};
  const RECT listWindow = WindowBounds(*list);
  EXPECT_TRUE(EqualRect(&listWindow, &listPlace));
}

TEST_F(FormLayoutTest, RowSelectedByTheProgramIsReportedBeforeItsViewOpens) {
  TFoldTestForm& form = Load(R"(
Form: TFoldTestForm {
  BorderStyle: bsNone; ClientWidth: 200; ClientHeight: 50
  Strip: TPanel { Align: alTop; Height: 50 }
  Settings: TPanel {
    Align: alClient
    List: TListView { Align: alClient; ViewStyle: vsReport; Columns: [ { Caption: "name" } ] }
  }
}
)");
  auto* list = form.Require<TListView>("List");
  list->Items().Add()->SetCaption("c:");
  list->Items().Add()->SetCaption("d:");
  ASSERT_FALSE(list->HandleAllocated()) << "the view is folded";
  std::vector<std::pair<std::string, bool>> seen;
  list->OnSelectItem = [&seen](TObject*, TListItem* item, bool selected) { seen.emplace_back(item->Caption(), selected); };
  list->Items().Item(1)->SetSelected(true);
  EXPECT_EQ(seen, (std::vector<std::pair<std::string, bool>>{{"d:", true}}));
  EXPECT_TRUE(list->Items().Item(1)->Selected());
}

}  // namespace
}  // namespace dorvane
