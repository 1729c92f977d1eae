// The registry form storage on real forms and Wine's registry. Every test writes under
// its own HKEY_CURRENT_USER\Software\DorvaneTest_<process>_<n> and deletes it afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "components/ComponentsRegistration.h"
#include "components/FormPlacement.h"
#include "core/NumberFormat.h"
#include "framework/ClassBuilder.h"
#include "framework/Forms.h"
#include "framework/Registry.h"
#include "tests/framework/TestComponents.h"
#include "tests/support/ScriptedDesktop.h"

namespace dorvane {
namespace {

using testing::frApple;
using testing::frPear;
using testing::frPlum;
using testing::TTestItem;

// The component model's test class, with a property of every kind the storage knows, and
// a Number that counts its assignments.
class TProbe : public testing::TThing {
  DORVANE_CLASS(TProbe)
 public:
  using TThing::TThing;
  int Number() const { return number_; }
  void SetNumber(int value) {
    number_ = value;
    ++numberSets;
  }
  TTestItem* Item(int i) const { return static_cast<TTestItem*>(items->Item(i)); }
  int numberSets = 0;

 private:
  int number_ = 7;
};

const ClassInfo& TProbe::StaticClass() {
  static const ClassInfo info =
      ClassBuilder<TProbe>("TProbe", &TThing::StaticClass()).Int("Number", &TProbe::Number, &TProbe::SetNumber, 7).Build();
  return info;
}

constexpr std::uint32_t Fruits(std::initializer_list<testing::TFruit> fruits) {
  std::uint32_t set = 0;
  for (auto f : fruits) set |= 1u << f;
  return set;
}

class TStoreTestForm : public TForm {
  DORVANE_CLASS(TStoreTestForm)
 public:
  TStoreTestForm(TComponent* owner, const std::string& description) : TForm(owner) {
    InitializeFormText(description);
    saver = Require<TFormStorage>("Saver");
    probe = Require<TProbe>("Probe");
  }
  void FormShow(TObject*) {
    shows.push_back(probe->Number());  // what the restore left, before the form's own code
  }
  void FormCloseQuery(TObject*, bool& canClose) {
    ++closeQueries;
    canClose = allowClose;
  }
  void FormDestroy(TObject*) { ++*destroyed; }

  TFormStorage* saver = nullptr;
  TProbe* probe = nullptr;
  std::vector<int> shows;
  int closeQueries = 0;
  bool allowClose = true;
  int* destroyed = nullptr;

 protected:
  std::vector<MethodEntry> Methods() const override {
    return {Method("FormShow", &TStoreTestForm::FormShow), Method("FormCloseQuery", &TStoreTestForm::FormCloseQuery),
            Method("FormDestroy", &TStoreTestForm::FormDestroy)};
  }
};

const ClassInfo& TStoreTestForm::StaticClass() {
  static const ClassInfo info = ClassBuilder<TStoreTestForm>("TStoreTestForm", &TForm::StaticClass()).Build();
  return info;
}

std::vector<std::string>& Errors() {
  static std::vector<std::string> errors;
  return errors;
}

const char kAllProps[] =
    "\"Probe.Number\", \"Probe.Big\", \"Probe.Flag\", \"Probe.Fruit\", \"Probe.Fruits\", \"Probe.Letter\", "
    "\"Probe.Ratio\", \"Probe.Text\", \"Probe.Color\", \"Probe.Lines\", \"Probe.Items\", \"Probe.Buddy\"";

class FormStorageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Application().Initialize();
    RegisterServiceComponents();
    RegisterComponentClass(TProbe::StaticClass());
    Application().OnException = [](TObject*, const Exception& e) { Errors().push_back(e.Message()); };
  }

  void SetUp() override {
    static int run = 0;
    exeName_ = "DorvaneTest_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++run);
    desktop_.exeName = exeName_;
    key_ = "Software\\" + exeName_;
    Errors().clear();
    SetCurrentSeparators({".", ","});
  }

  void TearDown() override {
    for (TStoreTestForm* form : forms_) form->Free();
    TRegistry reg;
    reg.DeleteKey(key_);
    EXPECT_FALSE(reg.KeyExists(key_));
    EXPECT_TRUE(Errors().empty()) << Errors().front();
  }

  TStoreTestForm* NewForm(const std::string& storedProps = kAllProps, const std::string& saverProps = "") {
    static int n = 0;
    const std::string text = "StoreForm" + std::to_string(++n) +
                             ": TStoreTestForm {\n"
                             "  OnShow: FormShow; OnCloseQuery: FormCloseQuery; OnDestroy: FormDestroy\n"
                             "  Saver: TFormStorage {\n"
                             "    UseRegistry: True; Options: {}\n"
                             "    StoredProps: [" + storedProps + "]\n" + saverProps +
                             "  }\n"
                             "  Probe: TProbe { Buddy: Other; Big: 1; Letter: \"x\"; Ratio: 0.5; Text: \"designed\" }\n"
                             "  Other: TProbe {}\n"
                             "}\n";
    auto* form = new TStoreTestForm(&Application(), text);
    form->destroyed = &destroyed_;
    forms_.push_back(form);
    return form;
  }

  void Free(TStoreTestForm* form) {
    std::erase(forms_, form);
    form->Free();
  }

  // A value of a section as stored, or "<none>".
  std::string Raw(const std::string& name, const std::string& section = "TStoreTestForm") {
    TRegistry reg(KEY_READ);
    if (!reg.OpenKey(key_ + "\\" + section, false) || !reg.ValueExists(name)) return "<none>";
    EXPECT_EQ(TRegDataType::rdString, reg.GetDataType(name)) << name;
    return reg.ReadString(name);
  }

  void Put(const std::string& name, const std::string& text) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(key_ + "\\TStoreTestForm", true));
    reg.WriteString(name, text);
  }

  testing::ScriptedDesktop desktop_;
  testing::InstalledDesktop installed_{desktop_};
  std::string exeName_;
  std::string key_;
  std::vector<TStoreTestForm*> forms_;
  int destroyed_ = 0;
};

TEST_F(FormStorageTest, PublishedPropertiesAndRegistryLayout) {
  std::vector<std::string> names;
  for (const PropInfo* p : TFormStorage::StaticClass().AllProps()) names.push_back(p->name);
  EXPECT_EQ((std::vector<std::string>{"Name", "Active", "IniFileName", "IniSection", "MinMaxInfo", "Options",
                                      "PreventResize", "RegistryRoot", "UseRegistry", "Version", "OnSavePlacement",
                                      "OnRestorePlacement", "StoredProps", "StoredValues"}),
            names);

  TStoreTestForm* form = NewForm();
  TFormPlacement loose(nullptr);
  TFormPlacement onForm(form);
  EXPECT_EQ(0u, loose.Options());
  EXPECT_EQ(OptionOf(fpState) | OptionOf(fpPosition), onForm.Options());
  EXPECT_EQ(HKEY_CURRENT_USER, onForm.RootKey());
  onForm.SetRegistryRoot(prCurrentConfig);
  EXPECT_EQ(HKEY_CURRENT_CONFIG, onForm.RootKey());

  EXPECT_EQ(key_, form->saver->KeyPath());
  EXPECT_EQ("TStoreTestForm", form->saver->Section());
  {
    testing::InstalledDesktop real(RealDesktop());
    EXPECT_EQ("Software\\components_tests", form->saver->KeyPath());
  }
  form->saver->SetIniSection("Other");
  form->saver->SetIniFileName(key_ + "\\Elsewhere");
  form->saver->WriteInteger("x", 1);
  TRegistry reg;
  EXPECT_TRUE(reg.KeyExists(key_ + "\\Elsewhere\\Other"));
}

TEST_F(FormStorageTest, FirstRunGivesDefaultsAndCreatesTheKeyEmpty) {
  TStoreTestForm* form = NewForm();
  TRegistry reg;
  EXPECT_FALSE(reg.KeyExists(key_));
  form->saver->SaveStorage();  // never restored: writes nothing
  EXPECT_FALSE(reg.KeyExists(key_));

  EXPECT_EQ(42, form->saver->ReadInteger("pos_x", 42));
  EXPECT_EQ("labels", form->saver->ReadString("Labels", "labels"));
  form->probe->lines->SetStrings({"designed line"});
  form->saver->RestoreStorage();
  EXPECT_TRUE(form->saver->Restored());
  EXPECT_EQ(7, form->probe->Number());
  EXPECT_EQ("designed", form->probe->text);
  EXPECT_EQ(0.5, form->probe->ratio);
  EXPECT_EQ(std::vector<std::string>{"designed line"}, form->probe->lines->ToVector());
  EXPECT_EQ(form->Require<TProbe>("Other"), form->probe->Buddy());
  ASSERT_TRUE(reg.OpenKey(key_, false));
  EXPECT_TRUE(reg.GetValueNames().empty());
  EXPECT_TRUE(reg.GetKeyNames().empty());
}

TEST_F(FormStorageTest, EveryKindIsSavedAsTextAndRestored) {
  SetCurrentSeparators({",", "."});  // saved floats still use "."
  TStoreTestForm* form = NewForm(kAllProps, "    Version: 3\n");
  TProbe* p = form->probe;
  form->saver->RestoreStorage();
  p->SetNumber(-12);
  p->big = -9000000000;
  p->flag = true;
  p->fruit = frPlum;
  p->fruits = Fruits({frApple, frPlum});
  p->letter = "\xC3\xA9";
  p->ratio = 0.1;
  p->text = "  \xE6\x97\xA5\xE6\x9C\xAC text  ";
  p->color = 255;
  p->lines->SetStrings({"one", " two "});
  static_cast<TTestItem*>(p->items->Add())->caption = "first";
  static_cast<TTestItem*>(p->items->Add())->width = 9;
  p->SetBuddy(p);
  form->saver->SaveStorage();

  EXPECT_EQ("3", Raw("FormVersion"));
  EXPECT_EQ("-12", Raw("Probe_Number"));
  EXPECT_EQ("-9000000000", Raw("Probe_Big"));
  EXPECT_EQ("True", Raw("Probe_Flag"));
  EXPECT_EQ("frPlum", Raw("Probe_Fruit"));
  EXPECT_EQ("[frApple,frPlum]", Raw("Probe_Fruits"));
  EXPECT_EQ("\xC3\xA9", Raw("Probe_Letter"));
  EXPECT_EQ("0.1", Raw("Probe_Ratio"));
  EXPECT_EQ("\xE6\x97\xA5\xE6\x9C\xAC text", Raw("Probe_Text"));
  EXPECT_EQ("255", Raw("Probe_Color"));
  EXPECT_EQ("Probe", Raw("Probe_Buddy"));
  EXPECT_EQ("<none>", Raw("Probe_Lines"));
  EXPECT_EQ("2", Raw("Count", "TStoreTestForm.Probe_Lines"));
  EXPECT_EQ("two", Raw("Item1", "TStoreTestForm.Probe_Lines"));
  EXPECT_EQ("2", Raw("Count", "TStoreTestForm.Probe_Items"));
  EXPECT_EQ("first", Raw("Item0_Caption", "TStoreTestForm.Probe_Items"));
  EXPECT_EQ("9", Raw("Item1_Width", "TStoreTestForm.Probe_Items"));
  EXPECT_EQ("<none>", Raw("Probe_OnPing"));

  // A second form restores all of it; a shorter list replaces the saved subsection.
  TStoreTestForm* second = NewForm(kAllProps, "    Version: 3\n");
  second->saver->RestoreStorage();
  TProbe* q = second->probe;
  EXPECT_EQ(-12, q->Number());
  EXPECT_EQ(-9000000000, q->big);
  EXPECT_TRUE(q->flag);
  EXPECT_EQ(frPlum, q->fruit);
  EXPECT_EQ(p->fruits, q->fruits);
  EXPECT_EQ("\xC3\xA9", q->letter);
  EXPECT_EQ(0.1, q->ratio);
  EXPECT_EQ("\xE6\x97\xA5\xE6\x9C\xAC text", q->text);
  EXPECT_EQ(255, q->color);
  EXPECT_EQ((std::vector<std::string>{"one", "two"}), q->lines->ToVector());
  ASSERT_EQ(2, q->items->Count());
  EXPECT_EQ("first", q->Item(0)->caption);
  EXPECT_EQ(9, q->Item(1)->width);
  EXPECT_EQ(q, q->Buddy());
  q->lines->SetStrings({"only"});
  second->saver->SaveStorage();
  EXPECT_EQ("<none>", Raw("Item1", "TStoreTestForm.Probe_Lines"));
  Put("Probe_Ratio", "2,5");  // the locale's separator is read too
  second->saver->RestoreStorage();
  EXPECT_EQ(2.5, q->ratio);
}

TEST_F(FormStorageTest, StoredTextsAreDecodedLeniently) {
  TStoreTestForm* form = NewForm();
  TProbe* p = form->probe;
  Put("Probe_Flag", "true");
  Put("Probe_Fruit", " FRPEAR ");
  Put("Probe_Fruits", "[frPlum, bogus ,frApple]");
  Put("Probe_Letter", "xyz");
  Put("Probe_Number", "12ab");
  Put("Probe_Big", "many");
  Put("Probe_Text", "  padded  ");
  Put("Probe_Buddy", "(null)");
  form->saver->RestoreStorage();
  EXPECT_TRUE(p->flag);
  EXPECT_EQ(frPear, p->fruit);
  EXPECT_EQ(Fruits({frApple, frPlum}), p->fruits);
  EXPECT_EQ("x", p->letter);
  EXPECT_EQ(0, p->Number());
  EXPECT_EQ(77, form->saver->ReadInteger("Probe_Number", 77));
  EXPECT_EQ(0, p->big);
  EXPECT_EQ("padded", p->text);
  EXPECT_EQ(nullptr, p->Buddy());

  // Identifiers that name nothing leave the property alone; so does an unreadable float.
  // A float or reference that cannot be read is reported; the others are restored.
  Put("Probe_Flag", "yes");
  Put("Probe_Fruit", "frKiwi");
  Put("Probe_Ratio", "half");
  Put("Probe_Buddy", "Nobody");
  p->SetBuddy(p);
  form->saver->RestoreStorage();
  EXPECT_EQ((std::vector<std::string>{"'half' is not a valid floating point value", "no component named Nobody"}),
            Errors());
  Errors().clear();
  EXPECT_TRUE(p->flag);
  EXPECT_EQ(frPear, p->fruit);
  EXPECT_EQ(0.5, p->ratio);
  EXPECT_EQ(p, p->Buddy());

  // A missing value assigns the property its own current value.
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(key_ + "\\TStoreTestForm", false));
  reg.DeleteValue("Probe_Number");
  p->SetNumber(31);
  const int sets = p->numberSets;
  form->saver->RestoreStorage();
  EXPECT_EQ(31, p->Number());
  EXPECT_EQ(sets + 1, p->numberSets);
  EXPECT_EQ(2u, Errors().size()) << "the two unreadable texts again";
  Errors().clear();
}

// A stored value of another registry type is reported once, then read as missing (its
// default) from then on; whatever is read after it is read as usual.
TEST_F(FormStorageTest, ValueOfAnotherRegistryTypeIsReportedOnceAndReadsAsMissing) {
  TStoreTestForm* form = NewForm();
  Put("Probe_Text", "restored");
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(key_ + "\\TStoreTestForm", false));
  reg.WriteInteger("Probe_Number", 5);  // REG_DWORD
  reg.WriteInteger("named", 6);
  EXPECT_EQ("fallback", form->saver->ReadString("named", "fallback"));
  EXPECT_EQ(std::vector<std::string>{"Invalid data type for 'named'"}, Errors());
  EXPECT_EQ(41, form->saver->ReadInteger("named", 41));
  EXPECT_EQ("<none>", Raw("named"));
  Errors().clear();

  form->saver->RestoreStorage();
  EXPECT_EQ(std::vector<std::string>{"Invalid data type for 'Probe_Number'"}, Errors());
  EXPECT_EQ(7, form->probe->Number()) << "keeps its value, as with nothing stored";
  EXPECT_EQ("restored", form->probe->text);
  form->saver->RestoreStorage();
  EXPECT_EQ(1u, Errors().size()) << "reported once";
  Errors().clear();

  // Writes that cannot create their section fail with the value's name.
  form->saver->SetIniSection(std::string(300, 's'));
  try {
    form->saver->WriteString("X", "y");
    ADD_FAILURE() << "no error";
  } catch (const ERegistryException& e) {
    EXPECT_EQ("Failed to set data for 'X'", e.Message());
  }
  form->saver->SetIniSection("");
}

// A storage whose reads of the values named in `failing` fail as a registry read can
// fail for a moment (the value is there, of the right type).
class TFlakyStorage : public TFormStorage {
  DORVANE_CLASS(TFlakyStorage)
 public:
  using TFormStorage::TFormStorage;
  std::vector<std::string> failing;

 protected:
  std::string ReadValueText(const TRegistry& section, const std::string& name) const override {
    if (std::find(failing.begin(), failing.end(), name) != failing.end())
      throw ERegistryException("Failed to get data for '" + name + "'");
    return TFormStorage::ReadValueText(section, name);
  }
};

const ClassInfo& TFlakyStorage::StaticClass() {
  static const ClassInfo info = ClassBuilder<TFlakyStorage>("TFlakyStorage", &TFormStorage::StaticClass()).Build();
  return info;
}

// A read that fails for another reason than the value's type is reported and reads as the
// default, but the user's value stays: the next read, once the failure has passed, finds it.
TEST_F(FormStorageTest, AValueThatFailsToReadIsReportedAndKept) {
  RegisterComponentClass(TFlakyStorage::StaticClass());
  TStoreTestForm* form = NewForm("\"Probe.Number\"");
  auto* flaky = new TFlakyStorage(form);
  flaky->SetUseRegistry(true);
  flaky->SetOptions(0);
  flaky->SetIniSection("TStoreTestForm");
  flaky->StoredProps()->Add("Probe.Number");
  flaky->Loaded();
  Put("named", "kept");
  Put("Probe_Number", "23");
  flaky->failing = {"named", "Probe_Number"};
  EXPECT_EQ("fallback", flaky->ReadString("named", "fallback"));
  EXPECT_EQ(41, flaky->ReadInteger("named", 41));
  flaky->RestoreStorage();
  EXPECT_EQ(7, form->probe->Number()) << "keeps its value, as with nothing stored";
  EXPECT_EQ((std::vector<std::string>{"Failed to get data for 'named'", "Failed to get data for 'named'",
                                      "Failed to get data for 'Probe_Number'"}),
            Errors());
  Errors().clear();
  EXPECT_EQ("kept", Raw("named"));
  EXPECT_EQ("23", Raw("Probe_Number"));

  flaky->failing.clear();
  EXPECT_EQ("kept", flaky->ReadString("named", "fallback"));
  flaky->RestoreStorage();
  EXPECT_EQ(23, form->probe->Number());
  EXPECT_TRUE(Errors().empty());
}

TEST_F(FormStorageTest, StoredPropsAreResolvedOnceAtLoadAndFollowFreedComponents) {
  TStoreTestForm* form = NewForm(
      "\"probe.number\", \" Probe . Text \", \"Ghost.Number\", \"NoDot\", \".Number\", \"Probe.\", "
      "\"Probe.NoSuchProp\", \"Other.Flag\"");
  EXPECT_EQ((std::vector<std::string>{"probe.number", " Probe . Text ", "Probe.NoSuchProp", "Other.Flag"}),
            form->saver->StoredProps()->ToVector());
  form->saver->RestoreStorage();
  form->saver->SaveStorage();
  EXPECT_EQ("7", Raw("Probe_Number"));  // the component's and the property's own spelling
  EXPECT_EQ("designed", Raw("Probe_Text"));
  EXPECT_EQ("False", Raw("Other_Flag"));
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(key_ + "\\TStoreTestForm", false));
  EXPECT_EQ(4u, reg.GetValueNames().size());  // and FormVersion

  form->probe->SetBuddy(nullptr);
  form->Require<TProbe>("Other")->Free();
  EXPECT_EQ((std::vector<std::string>{"probe.number", " Probe . Text ", "Probe.NoSuchProp"}),
            form->saver->StoredProps()->ToVector());
}

TEST_F(FormStorageTest, FormEventsRestoreOnEveryShowAndSaveOnCloseAndDestroy) {
  TStoreTestForm* form = NewForm();
  EXPECT_TRUE(form->saver->FormHooked());
  Put("Probe_Number", "21");
  form->Show();
  form->probe->SetNumber(99);
  form->Hide();
  form->Show();
  EXPECT_EQ((std::vector<int>{21, 21}), form->shows);  // restored before the form's own OnShow

  form->probe->SetNumber(55);
  form->allowClose = false;
  form->Close();
  EXPECT_EQ(1, form->closeQueries);
  EXPECT_EQ("21", Raw("Probe_Number"));
  form->allowClose = true;
  form->Close();
  EXPECT_EQ(2, form->closeQueries);
  EXPECT_EQ("55", Raw("Probe_Number"));

  form->probe->SetNumber(56);  // already saved: destroying does not save again
  Free(form);
  EXPECT_EQ(1, destroyed_);
  EXPECT_EQ("55", Raw("Probe_Number"));

  TStoreTestForm* unsaved = NewForm();
  unsaved->Show();
  unsaved->probe->SetNumber(57);
  Free(unsaved);
  EXPECT_EQ(2, destroyed_);
  EXPECT_EQ("57", Raw("Probe_Number"));
}

TEST_F(FormStorageTest, HookErrorsGoToTheApplicationAndHandlersChain) {
  TStoreTestForm* form = NewForm();
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(key_ + "\\TStoreTestForm", true));
  reg.WriteInteger("FormVersion", 1);
  Put("Probe_Number", "12");
  form->Show();
  ASSERT_EQ(std::vector<std::string>{"Invalid data type for 'FormVersion'"}, Errors());
  Errors().clear();
  EXPECT_EQ(1u, form->shows.size());  // the form's own OnShow still ran
  EXPECT_EQ(12, form->probe->Number()) << "restored all the same";
  form->Hide();
  form->Show();
  EXPECT_TRUE(Errors().empty()) << "shown once";
  // Saving is not blocked: the settings changed in this run are kept.
  form->probe->SetNumber(13);
  form->saver->SaveStorage();
  EXPECT_EQ("13", Raw("Probe_Number"));
  EXPECT_EQ("0", Raw("FormVersion"));
  form->Hide();

  // A handler assigned by code after loading displaces the hook until it is put back.
  int codeShows = 0;
  form->OnShow = [&](TObject*) { ++codeShows; };
  EXPECT_FALSE(form->saver->FormHooked());
  form->saver->UpdateFormHooks();
  EXPECT_TRUE(form->saver->FormHooked());
  Put("Probe_Number", "8");
  form->Show();
  EXPECT_EQ(1, codeShows);
  EXPECT_EQ(8, form->probe->Number());

  // Freeing the storage gives the form its handlers back.
  form->saver->Free();
  form->Hide();
  form->Show();
  EXPECT_EQ(2, codeShows);
  bool canClose = form->CloseQuery();
  EXPECT_TRUE(canClose);
  EXPECT_EQ(1, form->closeQueries);
}

TEST_F(FormStorageTest, NamedAndStoredValuesAndPlacementEvents) {
  TStoreTestForm* form = NewForm("\"Probe.Number\"", "    Options: {fpState, fpPosition, fpActiveControl}\n");
  TFormStorage* saver = form->saver;
  TStoredValue* counter = saver->StoredValues()->AddValue("Counter", "1");
  counter->OnSave = [](TStoredValue*, std::string& value) { value = " " + value + "0 "; };
  std::string restoredText;
  counter->OnRestore = [&](TStoredValue*, std::string& value) { restoredText = value; };
  bool openInside = false;
  saver->OnSavePlacement = [&](TObject*) {
    openInside = saver->IsStorageOpen();
    saver->WriteString("0 active", "true");
  };
  const std::string utf8 = "Gr\xC3\xBC\xC3\x9F" "e, \xE6\x97\xA5\xE6\x9C\xAC \xE2\x9C\x93";
  saver->WriteString("Labels", utf8);
  EXPECT_FALSE(saver->IsStorageOpen());
  EXPECT_EQ(utf8, saver->ReadString("labels", ""));
  saver->WriteInteger("pos_x", -40);
  EXPECT_EQ(-40, saver->ReadInteger("pos_x", 0));

  saver->RestoreStorage();
  form->SetBounds(10, 20, 300, 200);
  saver->SaveStorage();
  EXPECT_TRUE(openInside);
  EXPECT_TRUE(saver->Saved());
  EXPECT_EQ("true", Raw("0 active"));
  EXPECT_EQ("10", Raw("Counter"));
  for (const char* name : {"Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos", "Visible"})
    EXPECT_NE("<none>", Raw(name)) << name;
  EXPECT_EQ("10,20,310,220", Raw("NormPos"));
  EXPECT_EQ("", Raw("ActiveControl"));

  Put("Counter", "  25 ");
  Put("NormPos", "30,40,330,240");
  int restores = 0;
  saver->OnRestorePlacement = [&](TObject*) { ++restores; };
  saver->RestoreStorage();
  EXPECT_FALSE(saver->Saved());
  EXPECT_EQ("25", restoredText);
  EXPECT_EQ("25", counter->Value());
  EXPECT_EQ(1, restores);
  EXPECT_EQ(30, form->Left());
  EXPECT_EQ(40, form->Top());

  // A newer Version ignores what an older one stored, and still counts as restored.
  Put("Probe_Number", "3");
  saver->SetVersion(2);
  saver->RestoreStorage();
  EXPECT_EQ(1, restores);
  EXPECT_EQ(7, form->probe->Number());
  EXPECT_TRUE(saver->Restored());
}

TEST_F(FormStorageTest, MinMaxInfoAndPreventResizeLimitTheWindow) {
  TStoreTestForm* form = NewForm();
  const HWND wnd = form->Handle();
  auto sizeAfter = [&](int width, int height) {
    SetWindowPos(wnd, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT r;
    GetWindowRect(wnd, &r);
    return std::make_pair(static_cast<int>(r.right - r.left), static_cast<int>(r.bottom - r.top));
  };
  form->saver->MinMaxInfo()->MinTrackWidth = 250;
  form->saver->MinMaxInfo()->MaxTrackHeight = 180;
  EXPECT_EQ(std::make_pair(250, 180), sizeAfter(100, 400));
  form->saver->SetPreventResize(true);
  EXPECT_EQ(std::make_pair(250, 180), sizeAfter(400, 150));
  form->saver->SetActive(false);
  EXPECT_EQ(std::make_pair(400, 150), sizeAfter(400, 150));
}

}  // namespace
}  // namespace dorvane
