// The settings view and the settings that survive a restart, against the registry.
#include "framework/FormReader.h"
#include "framework/Resources.h"
#include "framework/SysUtils.h"
#include "main/Form1Settings.h"
#include "tests/main/MainWindowFixture.h"
#include "tests/support/TabKeys.h"

namespace dorvane {
namespace {

class SettingsTest : public testing::MainWindowTest {
 protected:
  // Closes the window through its closing steps (settings saved) and starts it again.
  TForm1& Restart() {
    form->Close();
    Close();
    Application().ClearTerminated();
    return Start();
  }
};

// A first start: nothing stored, not even a save's version. The drives: a floppy (row 0),
// the system disk c: (row 1, 10 % free), a CD-ROM (ignored at start), a second disk e:
// (row 2).
class FirstStartTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    machine.drives.drives['e'] = {kDriveFixed, "DATA", true, 600'000'000, 1'000'000'000};
    ForgetSettings();
  }
  // What the first start chose, as the window shows it and as it is stored.
  void ExpectTheFirstStartsChoice(TForm1& f) {
    ASSERT_EQ(f.Rows().size(), 3u);
    EXPECT_FALSE(f.Rows()[0].active);
    EXPECT_TRUE(f.Rows()[1].active);
    EXPECT_TRUE(f.Rows()[2].active);
    EXPECT_TRUE(f.CbShowTray->Checked());
    EXPECT_TRUE(f.TrayDriveList->Enabled());
    EXPECT_EQ(f.TrayDriveList->ItemIndex(), 1);
    EXPECT_EQ(f.trayDriveNumber, 3);  // c
    EXPECT_TRUE(f.CbWarning->Checked());
    EXPECT_EQ(f.TbWT->Position(), 5);
    EXPECT_EQ(f.TrayIcon->IconIndex(), 15);  // 90 % used
    EXPECT_EQ(Stored("0 active"), "false");
    EXPECT_EQ(Stored("1 active"), "true");
    EXPECT_EQ(Stored("2 active"), "true");
    EXPECT_EQ(Stored("1 root"), "c:\\");
    EXPECT_EQ(Stored("CbShowTray_Checked"), "True");
    EXPECT_EQ(Stored("CbWarning_Checked"), "True");
    EXPECT_EQ(Stored("TrayDriveList_ItemIndex"), "1");
    EXPECT_EQ(Stored("TrayDriveList_Text"), "c:\\ SYSTEM");
    EXPECT_EQ(Stored("TbWT_Position"), "5");
    EXPECT_EQ(Stored("FormVersion"), "0");
  }
};

TEST_F(FirstStartTest, MonitorsTheFixedDrivesFollowsTheSystemDriveAndStoresThat) {
  TForm1& f = Start();
  f.Timer1Timer(nullptr);
  ExpectTheFirstStartsChoice(f);
  EXPECT_FALSE(f.DrivePanels[0]->Visible());
  EXPECT_TRUE(f.DrivePanels[1]->Visible());
  EXPECT_TRUE(f.DrivePanels[2]->Visible());
  EXPECT_EQ(f.Width(), 257 + 2 * 64);
  EXPECT_TRUE(Balloons().empty());  // 10 % free is above the threshold
  // The next start reads the choice back like any other; it is no first start.
  TForm1& g = Restart();
  g.Timer1Timer(nullptr);
  ExpectTheFirstStartsChoice(g);
  // What the user changes then stays changed.
  g.SpeedButton4Click(nullptr);
  g.CbShowTray->SetChecked(false);
  g.GradButton1Click(nullptr);
  g.GradButton1Click(nullptr);  // collapsed again: saved
  TForm1& h = Restart();
  h.Timer1Timer(nullptr);
  for (const DriveEntry& row : h.Rows()) EXPECT_FALSE(row.active) << row.root;
  EXPECT_FALSE(h.CbShowTray->Checked());
}

// A key with values but without a save's version is a first start too; the system drive
// low on space is warned of at the first tick, once.
TEST_F(FirstStartTest, AKeyWithoutAVersionIsAFirstStartAndTheWarningIsArmed) {
  Store("pos_x", "40");
  machine.drives.SetSpace('c', 400'000'000, 20'000'000'000);  // 2 %
  TForm1& f = Start();
  f.Timer1Timer(nullptr);
  f.Timer1Timer(nullptr);
  EXPECT_TRUE(f.Rows()[1].active);
  EXPECT_TRUE(f.Rows()[2].active);
  ASSERT_FALSE(Balloons().empty());
  EXPECT_NE(Balloons()[0].second.find("c:\\"), std::string::npos);
  EXPECT_EQ(Stored("pos_x"), "40");
  // Armed as any start with these settings stored is: as many warnings, and none more
  // until a re-arm event.
  const std::size_t warnings = Balloons().size();
  f.Timer1Timer(nullptr);
  EXPECT_EQ(Balloons().size(), warnings);
  Close();
  desktop.shellCalls.clear();
  TForm1& g = Start();
  g.Timer1Timer(nullptr);
  g.Timer1Timer(nullptr);
  EXPECT_EQ(Balloons().size(), warnings);
}

// Without a system drive in the list the first start monitors the fixed drives and
// leaves the tray and the warning as designed.
TEST_F(FirstStartTest, WithoutTheSystemDriveInTheListTheTrayStaysOff) {
  machine.systemRoot = "s:\\";
  TForm1& f = Start();
  f.Timer1Timer(nullptr);
  EXPECT_TRUE(f.Rows()[1].active);
  EXPECT_TRUE(f.Rows()[2].active);
  EXPECT_FALSE(f.CbShowTray->Checked());
  EXPECT_FALSE(f.CbWarning->Checked());
  EXPECT_EQ(Stored("1 active"), "true");
  EXPECT_EQ(Stored("CbShowTray_Checked"), "False");
}

// Settings with nothing chosen (an earlier run stored its version): the designed defaults.
TEST_F(SettingsTest, DefaultsWithNothingChosen) {
  TForm1& f = Start();
  EXPECT_EQ(f.TbWT->Position(), 5);
  EXPECT_EQ(f.TbWT->Min(), 1);
  EXPECT_EQ(f.TbWT->Max(), 75);
  EXPECT_EQ(f.CbWarning->Caption(), "warning on low space (5%)");
  EXPECT_FALSE(f.CbShowTray->Checked());
  EXPECT_FALSE(f.TrayDriveList->Enabled());
  // The build of the drive list at start empties the combo's text; nothing selected.
  EXPECT_EQ(f.TrayDriveList->ItemIndex(), -1);
  EXPECT_TRUE(f.CbIgnore->Checked());
  EXPECT_TRUE(f.CheckBox1->Checked());
  EXPECT_EQ(f.GradientFill1->StartColor(), 15446654);
  EXPECT_EQ(f.SpeedButton5->Caption(), "Version 3.3.0.0");
  f.TbWT->SetPosition(75);
  EXPECT_EQ(f.CbWarning->Caption(), "warning on low space (75%)");
}

TEST_F(SettingsTest, StoredThresholdOutsideTheBoundsIsClamped) {
  Store("TbWT_Position", "0");
  TForm1& f = Start();
  EXPECT_EQ(f.TbWT->Position(), 1);
  EXPECT_EQ(f.CbWarning->Caption(), "warning on low space (1%)");
  Close();
  Store("TbWT_Position", "99");
  TForm1& g = Start();
  EXPECT_EQ(g.TbWT->Position(), 75);
}

TEST_F(SettingsTest, ExpandAndCollapseWithTheScreenEdges) {
  machine.screen = {1024, 768};
  TForm1& f = Start();
  f.SetBounds(700, 500, 261, 143);
  f.GradButton1Click(nullptr);
  EXPECT_EQ(f.Width(), 759);
  EXPECT_EQ(f.Height(), 448);
  EXPECT_EQ(f.Left(), 1024 - 759 - 10);  // exactly 10 pixels left to the right edge
  EXPECT_EQ(f.Top(), 768 - 448 - 40);    // and 40 to the bottom
  EXPECT_EQ(Stored("form left"), "700");
  EXPECT_EQ(Stored("form top"), "500");
  EXPECT_GT(f.PanelSettings->Height(), 250);
  f.GradButton1Click(nullptr);
  EXPECT_EQ(f.Width(), f.requiredWidth);
  EXPECT_EQ(f.Height(), 143);
  EXPECT_EQ(f.Left(), 700);
  EXPECT_EQ(f.Top(), 500);
  EXPECT_TRUE(Saw("saver_save"));
  EXPECT_EQ(Stored("TbWT_Position"), "5");  // saved on collapsing
  // With room to the edges the expanded window keeps its place.
  machine.screen = {1600, 1200};
  f.SetBounds(100, 100, 261, 143);
  f.GradButton1Click(nullptr);
  EXPECT_EQ(f.Left(), 100);
  EXPECT_EQ(f.Top(), 100);
}

TEST_F(SettingsTest, ChecksAreStoredByPositionAndCheckAllSurvivesClosing) {
  TForm1& f = Start();
  f.SpeedButton1Click(nullptr);  // check all, no click in the list afterwards
  TForm1& g = Restart();
  EXPECT_EQ(Stored("0 active"), "true");
  EXPECT_EQ(Stored("1 active"), "true");
  EXPECT_EQ(Stored("0 root"), "a:\\");
  EXPECT_EQ(Stored("1 root"), "c:\\");
  EXPECT_TRUE(g.DList->Items().Item(0)->Checked());
  EXPECT_TRUE(g.DList->Items().Item(1)->Checked());
  g.SpeedButton4Click(nullptr);
  for (TPanel* p : g.DrivePanels) EXPECT_FALSE(p->Visible());
}

// Each mark is stored with its drive's root and goes back to that drive, wherever its row
// stands; marks stored without roots (by an older version) go by position.
TEST_F(SettingsTest, StoredMarksGoToTheirDrives) {
  const struct {
    const char* what;
    std::vector<std::pair<const char*, const char*>> stored;
    std::vector<char> drives;  // beside a: and c:, or instead of them when listed
    std::vector<std::string> checked;
  } cases[] = {
      {"by position, as an older version stored them", {{"1 active", "true"}}, {}, {"c:\\"}},
      {"a drive come in front",
       {{"0 root", "a:\\"}, {"0 active", "false"}, {"1 root", "c:\\"}, {"1 active", "true"}},
       {'a', 'b', 'c'},
       {"c:\\"}},
      {"a drive gone in front",
       {{"0 root", "a:\\"}, {"0 active", "true"}, {"1 root", "c:\\"}, {"1 active", "false"}, {"2 root", "e:\\"},
        {"2 active", "true"}},
       {'c', 'e'},
       {"e:\\"}},
      {"the latest mark of a drive counts",
       {{"0 root", "a:\\"}, {"0 active", "false"}, {"1 root", "e:\\"}, {"1 active", "false"}, {"2 root", "e:\\"},
        {"2 active", "true"}},
       {'a', 'e'},
       {}},
      {"marks without roots after those with roots are an older version's",
       {{"0 root", "c:\\"}, {"0 active", "false"}, {"1 active", "true"}},
       {'a', 'c'},
       {}},
      {"a root in capitals", {{"0 root", "C:\\"}, {"0 active", "true"}}, {}, {"c:\\"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Close();
    DeleteSettings();
    if (!c.drives.empty()) {
      machine.drives.drives.clear();
      for (char l : c.drives) machine.drives.drives[l] = {kDriveFixed, std::string(1, l), true, 1, 2};
    }
    for (const auto& [name, value] : c.stored) Store(name, value);
    TForm1& f = Start();
    std::vector<std::string> checked;
    for (const DriveEntry& row : f.Rows())
      if (row.active) checked.push_back(row.root);
    EXPECT_EQ(checked, c.checked);
    machine.drives = testing::ScriptedDriveApi::FloppyHardDiskCdRom();
  }
}

// A drive that is away for a run (a stick) gets its mark back when it returns.
TEST_F(SettingsTest, AMarkWaitsForItsDriveToComeBack) {
  machine.drives.drives['e'] = {kDriveRemovable, "STICK", true, 1, 2};
  TForm1& f = Start();
  testing::TickAsUser(*f.DList, 2);  // e:
  machine.drives.drives.erase('e');
  TForm1& g = Restart();
  ASSERT_EQ(g.DList->Items().Count(), 2);
  EXPECT_EQ(Stored("2 root"), "e:\\");
  testing::TickAsUser(*g.DList, 1);  // c: too now
  machine.drives.drives['e'] = {kDriveRemovable, "STICK", true, 1, 2};
  TForm1& h = Restart();
  ASSERT_EQ(h.DList->Items().Count(), 3);
  EXPECT_FALSE(h.DList->Items().Item(0)->Checked());
  EXPECT_TRUE(h.DList->Items().Item(1)->Checked());
  EXPECT_TRUE(h.DList->Items().Item(2)->Checked());
}

TEST_F(SettingsTest, OnlyExactlyTrueTicksARow) {
  Store("0 active", "True");
  Store("1 active", "true");
  TForm1& f = Start();
  EXPECT_FALSE(f.DList->Items().Item(0)->Checked());
  EXPECT_TRUE(f.DList->Items().Item(1)->Checked());
}

TEST_F(SettingsTest, TrayComboFollowsItsCheckBox) {
  TForm1& f = Start();
  f.CbShowTray->SetChecked(true);
  EXPECT_TRUE(f.TrayDriveList->Enabled());
  EXPECT_TRUE(Saw("set_tray"));  // the tray was updated at once
  f.CbShowTray->SetChecked(false);
  EXPECT_FALSE(f.TrayDriveList->Enabled());
  EXPECT_EQ(f.TrayIcon->IconIndex(), 0);
}

TEST_F(SettingsTest, UnsavedChoicesAreReplacedWhenShownAgain) {
  TForm1& f = Start();
  f.GradButton1Click(nullptr);
  f.GradButton1Click(nullptr);  // collapsing saves the threshold of 5
  f.GradButton1Click(nullptr);
  f.TbWT->SetPosition(40);
  f.hide1Click(nullptr);
  f.show1Click(nullptr);
  EXPECT_EQ(f.TbWT->Position(), 5);
  EXPECT_EQ(f.CbWarning->Caption(), "warning on low space (5%)");
}

TEST_F(SettingsTest, EverySettingSurvivesARestart) {
  TForm1& f = Start();
  f.GradButton1Click(nullptr);
  f.CbHidden->SetChecked(true);
  f.CbShowTray->SetChecked(true);
  f.CbWarning->SetChecked(true);
  f.TbWT->SetPosition(12);
  f.CbSnd->SetChecked(true);
  f.CbExec->SetChecked(true);
  f.cbSD->SetChecked(true);
  f.CheckBox1->SetChecked(false);
  f.SoundEdit->SetFilename("C:\\Sounds\\Ding ß.wav");
  f.SoundEdit->SetInitialDir("C:\\Sounds");
  f.SoundEditBrowse(nullptr);
  f.ExecEdit->SetFilename("C:\\Tools\\cleanup.exe");
  f.ExecEditBrowse(nullptr);
  f.TrayDriveList->SetItemIndex(1);
  f.TrayDriveListChange(nullptr);
  f.GradButton1Click(nullptr);  // collapse: saved
  EXPECT_EQ(Stored("CbHidden_Checked"), "True");
  EXPECT_EQ(Stored("TbWT_Position"), "12");
  EXPECT_EQ(Stored("CbWarning_Caption"), "warning on low space (12%)");
  EXPECT_EQ(Stored("TrayDriveList_Text"), "c:\\ SYSTEM");
  EXPECT_EQ(Stored("TrayDriveList_ItemIndex"), "1");
  EXPECT_EQ(Stored("SoundEdit_Filename"), "C:\\Sounds\\Ding ß.wav");
  EXPECT_EQ(Stored("SoundEdit_Hint"), "C:\\Sounds\\Ding ß.wav");
  EXPECT_EQ(Stored("GradientFill1_StartColor"), "15446654");
  EXPECT_EQ(Stored("CheckBox1_Checked"), "False");
  EXPECT_EQ(Stored("FormVersion"), "0");
  EXPECT_EQ(Stored("CbIgnore_Checked"), "(none)");     // not stored
  EXPECT_EQ(Stored("CbAutoStart_Checked"), "(none)");  // not stored
  TForm1& g = Restart();
  EXPECT_TRUE(g.CbShowTray->Checked());
  EXPECT_TRUE(g.CbWarning->Checked());
  EXPECT_EQ(g.TbWT->Position(), 12);
  EXPECT_TRUE(g.CbSnd->Checked());
  EXPECT_TRUE(g.CbExec->Checked());
  EXPECT_TRUE(g.cbSD->Checked());
  EXPECT_FALSE(g.CheckBox1->Checked());
  EXPECT_EQ(g.SoundEdit->Filename(), "C:\\Sounds\\Ding ß.wav");
  EXPECT_EQ(g.SoundEdit->InitialDir(), "C:\\Sounds");
  EXPECT_EQ(g.ExecEdit->Hint(), "C:\\Tools\\cleanup.exe");
  EXPECT_EQ(g.TrayDriveList->ItemIndex(), 1);
  EXPECT_TRUE(g.CbHidden->Checked());
}

// The window's list of what it stores, one entry each: component, property, designed
// value (as stored), another value.
struct StoredProp {
  const char* component;
  const char* property;
  const char* designed;
  const char* other;
};
constexpr StoredProp kStoredProps[] = {
#define DORVANE_STORED_PROP_ROW(component, property, designed, other) {#component, #property, designed, other},
    DORVANE_FORM1_STORED_PROPS(DORVANE_STORED_PROP_ROW)
#undef DORVANE_STORED_PROP_ROW
};

// The named values, each with another value than its default: value name, other value.
std::vector<std::pair<std::string, std::string>> NamedValuesWithOthers() {
  std::vector<std::pair<std::string, std::string>> values;
#define DORVANE_TEXT_ROW(id, name, fallback, other) values.emplace_back(name, other);
#define DORVANE_PLACE_ROW(id, name, other) values.emplace_back(name, other);
#define DORVANE_ROWS_ROW(id, suffix, fallback, other) \
  for (int row : {0, 1}) values.emplace_back(std::to_string(row) + suffix, other);
  // The drives of rows 0 and 1 of the scripted machine.
#define DORVANE_DRIVE_ROW(id, suffix)                   \
  values.emplace_back(std::string("0") + suffix, "a:\\"); \
  values.emplace_back(std::string("1") + suffix, "c:\\");
  DORVANE_FORM1_VALUES(DORVANE_TEXT_ROW, DORVANE_TEXT_ROW, DORVANE_PLACE_ROW, DORVANE_ROWS_ROW, DORVANE_DRIVE_ROW)
#undef DORVANE_TEXT_ROW
#undef DORVANE_PLACE_ROW
#undef DORVANE_ROWS_ROW
#undef DORVANE_DRIVE_ROW
  return values;
}

const FormObject* FindObject(const FormObject& parent, std::string_view name) {
  for (const FormObject& child : parent.children) {
    if (SameText(child.name, name)) return &child;
    if (const FormObject* found = FindObject(child, name)) return found;
  }
  return nullptr;
}

// A property's value as the form description gives it, or its class's default, as text.
std::string DesignedText(const FormObject& object, const PropInfo& prop) {
  for (const FormProperty& p : object.properties) {
    if (!SameText(p.path, prop.name)) continue;
    switch (p.value.type) {
      case FormValue::Type::Integer: return std::to_string(p.value.integer);
      case FormValue::Type::String:
      case FormValue::Type::Identifier: return p.value.text;
      default: return "(a value of another type)";
    }
  }
  if (prop.enumType && prop.ordDefault) return prop.enumType->NameOf(*prop.ordDefault);
  if (prop.ordDefault) return std::to_string(*prop.ordDefault);
  return prop.strDefault.value_or("");
}

// Every stored property names a component of the form and one of its properties, and its
// designed value is the list's default: a typo in the list, which the storage would drop
// without a word, fails here.
TEST_F(SettingsTest, EveryStoredPropertyIsAPartOfTheFormWithItsDesignedValue) {
  const std::vector<std::uint8_t> bytes = ResourceBytes("Form1");
  const FormObject description = ParseForm(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  TForm1& f = Start();
  std::vector<std::string> listed;
  for (const StoredProp& entry : kStoredProps) {
    const std::string path = std::string(entry.component) + "." + entry.property;
    listed.push_back(path);
    TComponent* component = f.FindComponent(entry.component);
    ASSERT_NE(component, nullptr) << path;
    const PropInfo* prop = component->ClassType().FindProp(entry.property);
    ASSERT_NE(prop, nullptr) << path;
    EXPECT_EQ(prop->name, entry.property) << "spelled as the class spells it: " << path;
    const FormObject* object = FindObject(description, entry.component);
    ASSERT_NE(object, nullptr) << path;
    EXPECT_EQ(DesignedText(*object, *prop), entry.designed) << path;
    EXPECT_STRNE(entry.other, entry.designed) << path;
  }
  EXPECT_EQ(f.Saver->StoredProps()->ToVector(), listed) << "none dropped, in the list's order";
}

// Every stored value, set to another value than its default, is read back after a restart
// (and written again at the close) as it was: no start-up or closing step overwrites one
// with a default or loses it.
TEST_F(SettingsTest, EveryStoredValueSurvivesARestartWithAnotherValue) {
  machine.screen = {1000, 700};
  std::vector<std::pair<std::string, std::string>> values = NamedValuesWithOthers();
  for (const StoredProp& entry : kStoredProps)
    values.emplace_back(std::string(entry.component) + "_" + entry.property, entry.other);
  for (const auto& [name, other] : values) Store(name, other);
  Start();
  Restart();
  form->Close();
  Close();
  for (const auto& [name, other] : values) EXPECT_EQ(Stored(name), other) << name;
}

TEST_F(SettingsTest, BrowsingASoundPlaysItOnlyWhenItExists) {
  TForm1& f = Start();
  f.SoundEdit->SetFilename("C:\\nothing.wav");
  f.SoundEditBrowse(nullptr);
  EXPECT_TRUE(desktop.shellServices.played.empty());
  EXPECT_EQ(f.SoundEdit->Hint(), "C:\\nothing.wav");
  const testing::TempFile ding("ding.wav", testing::PcmWave(100));
  machine.shell.existingFiles = {ding.Path()};
  f.SoundEdit->SetFilename(ding.Path());
  f.SoundEditBrowse(nullptr);
  ASSERT_EQ(desktop.shellServices.played.size(), 1u);
  EXPECT_EQ(desktop.shellServices.played[0].image, testing::PcmWave(100));
  // A file that is not a wave leaves the sound loaded before, which plays again.
  const testing::TempFile text("notes.wav", std::vector<std::uint8_t>(64, 'x'));
  machine.shell.existingFiles.push_back(text.Path());
  f.SoundEdit->SetFilename(text.Path());
  f.SoundEditBrowse(nullptr);
  ASSERT_EQ(desktop.shellServices.played.size(), 2u);
  EXPECT_EQ(desktop.shellServices.played[1].image, testing::PcmWave(100));
}

TEST_F(SettingsTest, AutostartEntry) {
  TForm1& f = Start();
  const auto& entries = machine.autostart.entries;
  f.CbAutoStart->SetChecked(true);
  ASSERT_EQ(entries.count("Dorvane"), 1u);
  EXPECT_EQ(entries.at("Dorvane"), "\"" + ExecutablePath() + "\"");
  f.CbAutoStart->SetChecked(false);
  EXPECT_EQ(entries.count("Dorvane"), 0u);
  f.RemoveFromAutostart("Dorvane");  // already absent: nothing happens, nothing shown
  EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(SettingsTest, SettingsViewLayout) {
  TForm1& f = Start();
  f.GradButton1Click(nullptr);
  auto inside = [](TControl* c, TControl* outer) {
    return c->Left() >= 0 && c->Top() >= 0 && c->Left() + c->Width() <= outer->ClientWidth() &&
           c->Top() + c->Height() <= outer->ClientHeight();
  };
  TControl* strip = f.GradientFill1->Parent();
  EXPECT_EQ(strip->Width(), 44);
  EXPECT_EQ(strip->Left() + strip->Width(), f.Panel5->ClientWidth());
  EXPECT_GT(strip->Height(), 120);
  EXPECT_TRUE(inside(f.SpeedButton1, strip));
  EXPECT_EQ(f.GradientFill1->Width(), 42);
  EXPECT_EQ(f.Panel7->Height(), 180);
  // The list fills the rest, over the history strip.
  TControl* drives = f.DList->Parent();
  EXPECT_EQ(drives->Left(), 193);
  EXPECT_EQ(drives->Width(), f.PanelSettings->ClientWidth() - 193);
  EXPECT_EQ(f.DList->Width(), drives->Width());
  EXPECT_EQ(f.DList->Height() + f.CbBelowSize->Parent()->Height(), drives->Height());
}

// Tab through the open settings view, in the order read off the form by hand: the left
// column top to bottom (the start options, then the tray and warning options, the two
// file edits beside their boxes), then the drive list and the rules below it. The tray's
// drive choice only while the tray shows a drive (it is disabled otherwise).
TEST_F(SettingsTest, TabWalksTheSettingsViewInReadingOrder) {
  using testing::PressTab;
  using Names = std::vector<std::string>;
  TForm1& f = Start();
  EXPECT_EQ(PressTab(f, 1), Names{"Form1"}) << "the settings folded away: nothing to reach";
  f.GradButton1Click(nullptr);
  const Names column = {"CbAutoStart", "CbHidden", "CbIgnore", "CheckBox1", "CbShowTray"};
  const Names rest = {"CbWarning", "TbWT", "CbSnd", "SoundEdit", "CbExec", "ExecEdit", "cbSD",
                      "DList", "CbBelowSize", "TbBelowSize", "CbFullWithin", "TbFullWithin"};
  Names all = column;
  all.insert(all.end(), rest.begin(), rest.end());
  Names round = all;
  round.push_back("CbAutoStart");  // and round again
  EXPECT_EQ(PressTab(f, round.size()), round);
  // Shift+Tab: the same round backwards, through the file edits too (their edit parts are
  // not stops of their own, or the way back would stop at them).
  EXPECT_EQ(PressTab(*f.CbAutoStart, all.size(), true), Names(all.rbegin(), all.rend()));

  f.CbShowTray->SetChecked(true);
  all.insert(all.begin() + static_cast<std::ptrdiff_t>(column.size()), "TrayDriveList");
  Names fromStart(all.begin() + 1, all.end());
  EXPECT_EQ(PressTab(*f.CbAutoStart, fromStart.size()), fromStart);

  // Folding the view away takes the focus out of it: no key reaches a box out of sight.
  ASSERT_TRUE(testing::Refocus(f.CbHidden->Handle()));
  f.GradButton1Click(nullptr);
  EXPECT_FALSE(f.CbHidden->Focused());
  EXPECT_EQ(PressTab(f, 1), Names{"Form1"}) << "and Tab does not reach them";
}

}  // namespace
}  // namespace dorvane
