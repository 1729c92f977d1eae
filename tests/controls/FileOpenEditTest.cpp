// The file browse edit and the file-open dialog under it: the browse sequence and its
// events, the full path behind a name-only or shortened display, the narrow button-only
// instance, the form description, and the real dialog driven through its own window.
#include <gtest/gtest.h>
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "ControlTestSupport.h"
#include "controls/FileOpenEdit.h"
#include "core/Text.h"
#include "framework/ClassBuilder.h"
#include "framework/Dialogs.h"
#include "framework/Edit.h"
#include "framework/FormReader.h"
#include "framework/Resources.h"
#include "core/win32/WideString.h"
#include "tests/support/ScriptedDesktop.h"
#include "tests/support/TabKeys.h"

namespace dorvane {
namespace {

using testing::ControlTest;

// A file of the source tree, read at run time (the tests are not linked with the resources).
std::vector<std::uint8_t> SourceFile(const std::string& relative) {
  std::string root = DORVANE_SOURCE_DIR;
  if (!root.empty() && root.front() == '/') root = "Z:" + root;  // the whole Unix tree under Wine
  std::ifstream in(root + relative, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::wstring WindowText(HWND wnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(wnd)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(wnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

using OpenDialogAnswer = std::function<bool(TOpenDialog&)>;

// Answers the file dialog for one scope, on a scripted desktop.
class ScopedAnswerer {
 public:
  explicit ScopedAnswerer(OpenDialogAnswer answer) { desktop_.openDialog = std::move(answer); }

 private:
  testing::ScriptedDesktop desktop_;
  testing::InstalledDesktop installed_{desktop_};
};

OpenDialogAnswer Choose(const std::string& file) {
  return [file](TOpenDialog& d) {
    d.SetFileName(file);
    return true;
  };
}

class FileOpenEditTest : public ControlTest {
 protected:
  static void SetUpTestSuite() {
    ControlTest::SetUpTestSuite();
    AddTestResource("GLYPH_BROWSE", SourceFile("resources/glyph_browse.bmp"));
  }

  void SetUp() override {
    ControlTest::SetUp();
    edit_ = Make<TFileOpenEdit>(200, 21);
    other_ = Make<TEdit>(100, 21);
    other_->SetTop(40);
    edit_->OnChange = [this](TObject* s) { log_.push_back(s == edit_ ? "change" : "change?"); };
    edit_->OnDlgChange = [this](TObject* s) { log_.push_back(s == edit_ ? "dlgchange" : "dlgchange?"); };
    edit_->OnBrowse = [this](TObject* s) {
      auto* d = dynamic_cast<TOpenDialog*>(s);
      log_.push_back(d ? "browse:" + d->FileName() : "browse?");
    };
  }

  void Focus(TWinControl& control) {
    control.SetFocus();
    ASSERT_EQ(GetFocus(), control.Handle());
  }

  TFileOpenEdit* edit_ = nullptr;
  TEdit* other_ = nullptr;
  std::vector<std::string> log_;
};

// -- the browse sequence --------------------------------------------------------------------

TEST_F(FileOpenEditTest, CancelKeepsTheFileAndStillReportsTheBrowseOnce) {
  edit_->SetFilename("C:\\old.wav");
  log_.clear();
  int asked = 0;
  ScopedAnswerer cancel([&](TOpenDialog&) {
    ++asked;
    return false;
  });
  edit_->Browse();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(edit_->Filename(), "C:\\old.wav");
  EXPECT_EQ(log_, (std::vector<std::string>{"browse:"}));
}

TEST_F(FileOpenEditTest, ConfirmedFileIsTakenThenReportedInOrder) {
  ShowForm();
  Focus(*other_);
  bool focusedDuringDialog = false;
  ScopedAnswerer choose([&](TOpenDialog& d) {
    focusedDuringDialog = edit_->EditFocused();
    d.SetFileName("C:\\Sounds\\ding.wav");
    return true;
  });
  edit_->Browse();
  EXPECT_TRUE(focusedDuringDialog) << "the edit takes the focus before the dialog opens";
  EXPECT_EQ(edit_->Filename(), "C:\\Sounds\\ding.wav");
  EXPECT_EQ(log_, (std::vector<std::string>{"change", "dlgchange", "browse:C:\\Sounds\\ding.wav"}));
}

TEST_F(FileOpenEditTest, BeforeBrowseSeesTheEditsSettingsAndMayAdjustThem) {
  edit_->SetInitialDir("C:\\Media");
  edit_->SetFilter("Sounds|*.wav|All|*.*");
  edit_->SetTitle("Pick a sound");
  edit_->SetDefaultExt("wav");
  edit_->SetOptions(OpenOptionOf(ofFileMustExist) | OpenOptionOf(ofPathMustExist));
  edit_->OnBeforeBrowse = [this](TObject* s) {
    auto* d = dynamic_cast<TOpenDialog*>(s);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->InitialDir(), "C:\\Media");
    EXPECT_EQ(d->Filter(), "Sounds|*.wav|All|*.*");
    EXPECT_EQ(d->Title(), "Pick a sound");
    EXPECT_EQ(d->DefaultExt(), "wav");
    EXPECT_EQ(d->Options(), OpenOptionOf(ofFileMustExist) | OpenOptionOf(ofPathMustExist));
    log_.push_back("before");
    d->SetTitle("Adjusted");
  };
  std::string titleShown;
  ScopedAnswerer cancel([&](TOpenDialog& d) {
    titleShown = d.Title();
    return false;
  });
  edit_->Browse();
  EXPECT_EQ(titleShown, "Adjusted");
  EXPECT_EQ(edit_->Title(), "Pick a sound") << "the edit's own setting is not changed";
  EXPECT_EQ(log_, (std::vector<std::string>{"before", "browse:"}));
}

TEST_F(FileOpenEditTest, PathBeyondAsciiRoundTripsThroughDialogAndWindow) {
  const std::string path = "C:\\M\xC3\xBCsik\\\xE3\x82\x86\xE3\x81\x8D\\\xF0\x9F\x8E\xB5 ding.wav";  // Müsik, ゆき, 🎵
  ScopedAnswerer choose(Choose(path));
  edit_->Browse();
  EXPECT_EQ(edit_->Filename(), path);
  EXPECT_EQ(WindowText(edit_->EditField().Handle()), Widen(path));
  EXPECT_EQ(Narrow(WindowText(edit_->EditField().Handle())), path);
}

// -- what the edit shows --------------------------------------------------------------------

TEST_F(FileOpenEditTest, FilenameOnlyShowsTheNameAndFilenameReadsIt) {
  ShowForm();
  edit_->SetFilenameOnly(true);
  ScopedAnswerer choose(Choose("C:\\Data\\sub\\alarm.wav"));
  edit_->Browse();
  Focus(*other_);  // leaving the edit refreshes what it shows
  EXPECT_EQ(WindowText(edit_->EditField().Handle()), L"alarm.wav");
  EXPECT_EQ(edit_->Filename(), "alarm.wav");
  EXPECT_EQ(edit_->FullPath(), "C:\\Data\\sub\\alarm.wav");

  edit_->SetFilenameOnly(false);  // the folder comes back: the shown name was not a path of its own
  EXPECT_EQ(edit_->Filename(), "C:\\Data\\sub\\alarm.wav");
}

TEST_F(FileOpenEditTest, MinimizeNameShortensOnlyWhileUnfocused) {
  ShowForm();
  edit_->SetMinimizeName(true);
  const std::string path = "C:\\Program Files\\Some Long Folder Name\\Another Level\\warning-tone.wav";
  edit_->SetFilename(path);
  HWND field = edit_->EditField().Handle();
  const std::string shown = Narrow(WindowText(field));
  EXPECT_NE(shown, path);
  EXPECT_EQ(shown.substr(0, 3), "C:\\");
  EXPECT_NE(shown.find("...\\warning-tone.wav"), std::string::npos) << shown;
  EXPECT_LE(testing::TextSize(edit_->EditField().Font(), shown).cx, edit_->EditField().ClientWidth());
  EXPECT_EQ(edit_->Filename(), path);

  Focus(edit_->EditField());
  EXPECT_EQ(Narrow(WindowText(field)), path);
  EXPECT_EQ(edit_->Filename(), path);
  Focus(*other_);
  EXPECT_EQ(Narrow(WindowText(field)), shown);
  EXPECT_EQ(edit_->Filename(), path);
  EXPECT_EQ(log_, (std::vector<std::string>{"change"})) << "showing the path differently is no change";
}

TEST(MinimizePath, KeepsTheNameAndNeverCutsACharacter) {
  const auto chars = [](std::string_view s) { return static_cast<int>(Utf8Length(s)); };
  EXPECT_EQ(MinimizePath("C:\\a\\b.wav", 10, chars), "C:\\a\\b.wav");
  EXPECT_EQ(MinimizePath("C:\\abc\\def\\name.wav", 15, chars), "C:\\...\\name.wav");
  EXPECT_EQ(MinimizePath("C:\\abc\\def\\name.wav", 17, chars), "C:\\ab...\\name.wav");
  EXPECT_EQ(MinimizePath("C:\\dir\\averyverylongname.wav", 10, chars), "averyve...");
  // ゆきの歌.wav: four three-byte characters.
  EXPECT_EQ(MinimizePath("C:\\M\xC3\xBCsik\\\xE3\x82\x86\xE3\x81\x8D\xE3\x81\xAE\xE6\xAD\x8C.wav", 7, chars),
            "\xE3\x82\x86\xE3\x81\x8D\xE3\x81\xAE\xE6\xAD\x8C...");
  EXPECT_EQ(MinimizePath("C:\\M\xC3\xBCsikalien\\xyz.wav", 15, chars), "C:\\M...\\xyz.wav");
  EXPECT_EQ(MinimizePath("C:\\M\xC3\xBCsikalien\\xyz.wav", 16, chars), "C:\\M\xC3\xBC...\\xyz.wav");
  EXPECT_EQ(MinimizePath("C:\\dir\\name.wav", 0, chars), "");
}

// -- the narrow instance of the settings panel ----------------------------------------------

TEST_F(FileOpenEditTest, NarrowInstanceIsAllButtonAndAClickBrowses) {
  TFileOpenEdit* narrow = Make<TFileOpenEdit>(22, 21);
  int browses = 0;
  narrow->OnBrowse = [&](TObject*) { ++browses; };
  ShowForm();
  const RECT button = narrow->ButtonRect();
  EXPECT_EQ(button.left, 0);
  EXPECT_EQ(button.right, narrow->ClientWidth());
  EXPECT_EQ(narrow->EditField().Width(), 0);

  // The button shows the left half (the folder) of the browse picture, its magenta clear.
  TBitmap strip;
  const std::vector<std::uint8_t> bmp = ResourceBytes("GLYPH_BROWSE");
  strip.LoadFromBytes(bmp.data(), bmp.size());
  TBitmap shot(narrow->ClientWidth(), narrow->ClientHeight());
  narrow->PaintTo(shot.Canvas().Handle());
  const int x0 = (button.right - button.left - 14) / 2, y0 = (button.bottom - button.top - 13) / 2;
  for (int y = 0; y < 13; ++y)
    for (int x = 0; x < 14; ++x) {
      const TColor want = strip.Pixel(x, y) == clFuchsia ? static_cast<TColor>(ColorToRGB(clWindow)) : strip.Pixel(x, y);
      ASSERT_EQ(shot.Pixel(x0 + x, y0 + y), want) << x << "," << y;
    }

  ScopedAnswerer choose(Choose("C:\\Windows\\Media\\chord.wav"));
  const LPARAM centre = MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
  SendMessageW(narrow->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, centre);
  EXPECT_TRUE(narrow->ButtonPressed());
  SendMessageW(narrow->Handle(), WM_LBUTTONUP, 0, centre);
  EXPECT_FALSE(narrow->ButtonPressed());
  EXPECT_EQ(browses, 1);
  EXPECT_EQ(narrow->Filename(), "C:\\Windows\\Media\\chord.wav");

  // A press released away from the button is taken back.
  SendMessageW(narrow->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, centre);
  SendMessageW(narrow->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 60));
  SendMessageW(narrow->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(60, 60));
  EXPECT_EQ(browses, 1);
}

// From the keyboard: Tab stops at the control (its edit part takes the keys), the button
// shows the focus, and F4 or Alt+Down browse as a mouse press of the button does.
TEST_F(FileOpenEditTest, NarrowInstanceIsReachedWithTabAndBrowsesWithF4OrAltDown) {
  TFileOpenEdit* narrow = Make<TFileOpenEdit>(22, 21);
  narrow->SetLeft(220);  // beside edit_, before other_ below them
  narrow->SetName("Narrow");
  int browses = 0;
  narrow->OnBrowse = [&](TObject*) { ++browses; };
  ShowForm();
  TBitmap before(narrow->ClientWidth(), narrow->ClientHeight());
  narrow->PaintTo(before.Canvas().Handle());
  EXPECT_EQ(testing::PressTab(*edit_, 1), std::vector<std::string>{"Narrow"});
  ASSERT_TRUE(narrow->EditFocused());
  TBitmap focused(narrow->ClientWidth(), narrow->ClientHeight());
  narrow->PaintTo(focused.Canvas().Handle());
  int changed = 0;
  for (int y = 0; y < narrow->ClientHeight(); ++y)
    for (int x = 0; x < narrow->ClientWidth(); ++x) changed += before.Pixel(x, y) != focused.Pixel(x, y);
  EXPECT_GT(changed, 0) << "the focus frame on the button";

  ScopedAnswerer cancel([](TOpenDialog&) { return false; });
  HWND field = narrow->EditField().Handle();
  SendMessageW(field, WM_KEYDOWN, VK_F4, 0);
  EXPECT_EQ(browses, 1);
  SendMessageW(field, WM_SYSKEYDOWN, VK_DOWN, 1 << 29);
  EXPECT_EQ(browses, 2);
  SendMessageW(field, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(browses, 2) << "Down alone moves in the edit";
}

TEST_F(FileOpenEditTest, TypingChangesTheTextOnceUnlessReadOnly) {
  HWND field = edit_->EditField().Handle();
  SendMessageW(field, WM_CHAR, L'x', 0);
  EXPECT_EQ(edit_->Text(), "x");
  EXPECT_EQ(edit_->Filename(), "x");
  EXPECT_EQ(log_, (std::vector<std::string>{"change"}));
  edit_->SetReadOnly(true);
  SendMessageW(field, WM_CHAR, L'y', 0);
  EXPECT_EQ(edit_->Text(), "x");
  EXPECT_NE(GetWindowLongW(field, GWL_STYLE) & ES_READONLY, 0);
}

// -- the form description -------------------------------------------------------------------

class TFileEditTestForm : public TForm {
  DORVANE_CLASS(TFileEditTestForm)
 public:
  using TForm::TForm;
  void Load(std::string_view text) { InitializeFormText(text); }
  int browses = 0;
  void SoundEditBrowse(TObject*) { ++browses; }

 protected:
  std::vector<MethodEntry> Methods() const override {
    return {Method("SoundEditBrowse", &TFileEditTestForm::SoundEditBrowse)};
  }
};

const ClassInfo& TFileEditTestForm::StaticClass() {
  static const ClassInfo info = ClassBuilder<TFileEditTestForm>("TFileEditTestForm", &TForm::StaticClass()).Build();
  return info;
}

TEST_F(FileOpenEditTest, PropertiesRoundTripThroughAFormDescription) {
  const std::string longPath = "C:\\Program Files\\Some Long Folder Name\\Another Level\\warning-tone.wav";
  auto form = std::unique_ptr<TFileEditTestForm, void (*)(TForm*)>(new TFileEditTestForm(nullptr), [](TForm* f) { f->Free(); });
  form->Load(R"(
Form1: TFileEditTestForm {
  ClientWidth: 300; ClientHeight: 200
  SoundEdit: TFileOpenEdit {
    Left: 123; Top: 112; Width: 22; Height: 21
    Filename: "C:\\Sounds\\ding.wav"
    InitialDir: "C:\\Sounds"
    Filter: "*.wav|*.wav"
    Title: "Pick"
    DefaultExt: "wav"
    Options: {ofHideReadOnly, ofFileMustExist}
    CustomButtonWidth: 20
    CustomButtonsStyle: ubsRaised
    CustomButtonParentCtlXP: True
    ReadOnly: True
    Hint: "C:\\Sounds\\ding.wav"
    ShowHint: True
    OnBrowse: SoundEditBrowse
  }
  LongEdit: TFileOpenEdit {
    Left: 0; Top: 0; Width: 150; Height: 21
    MinimizeName: True
    Text: "C:\\Program Files\\Some Long Folder Name\\Another Level\\warning-tone.wav"
  }
}
)");
  auto* sound = form->Require<TFileOpenEdit>("SoundEdit");
  auto* shortened = form->Require<TFileOpenEdit>("LongEdit");
  EXPECT_EQ(sound->Filename(), "C:\\Sounds\\ding.wav");
  EXPECT_EQ(sound->Options(), OpenOptionOf(ofHideReadOnly) | OpenOptionOf(ofFileMustExist));
  EXPECT_EQ(sound->ButtonRect().right - sound->ButtonRect().left, std::min(20, sound->ClientWidth()));
  EXPECT_EQ(shortened->FullPath(), longPath) << "the text is the full path once loaded";
  EXPECT_EQ(shortened->Filename(), longPath);
  EXPECT_NE(shortened->Text(), longPath) << "and shown shortened";

  const std::string written = WriteForm(*form);
  auto again = std::unique_ptr<TFileEditTestForm, void (*)(TForm*)>(new TFileEditTestForm(nullptr), [](TForm* f) { f->Free(); });
  again->Load(written);
  EXPECT_EQ(WriteForm(*again), written);
  EXPECT_EQ(again->Require<TFileOpenEdit>("LongEdit")->Filename(), longPath) << "the shortened text did not win";

  ScopedAnswerer cancel([](TOpenDialog&) { return false; });
  sound->Browse();
  EXPECT_EQ(form->browses, 1) << "the event named in the description is bound";
}

// -- the dialog -------------------------------------------------------------------------------

TEST(OpenDialog, FilterBecomesZeroSeparatedPairs) {
  using namespace std::string_literals;
  EXPECT_EQ(FilterToWide("*.wav|*.wav"), L"*.wav\0*.wav\0\0"s);
  EXPECT_EQ(FilterToWide("Sounds|*.wav|All files|*.*"), L"Sounds\0*.wav\0All files\0*.*\0\0"s);
  EXPECT_EQ(FilterToWide("Kl\xC3\xA4nge|*.wav|orphan"), L"Kl\u00E4nge\0*.wav\0\0"s);
  EXPECT_EQ(FilterToWide(""), L""s);
  EXPECT_EQ(FilterToWide("orphan"), L""s);
}

TEST(OpenDialog, OptionsBecomeDialogFlags) {
  EXPECT_EQ(OpenOptionsToFlags(OpenOptionOf(ofHideReadOnly)), static_cast<DWORD>(OFN_EXPLORER | OFN_HIDEREADONLY));
  EXPECT_EQ(OpenOptionsToFlags(OpenOptionOf(ofOldStyleDialog) | OpenOptionOf(ofFileMustExist)),
            static_cast<DWORD>(OFN_FILEMUSTEXIST));
  EXPECT_EQ(OpenOptionsToFlags(OpenOptionOf(ofAllowMultiSelect) | OpenOptionOf(ofEnableSizing) |
                               OpenOptionOf(ofNoDereferenceLinks)),
            static_cast<DWORD>(OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_ENABLESIZING | OFN_NODEREFERENCELINKS));
}

struct RobotState {
  bool confirm = false;
  std::wstring file;
  int created = 0;
  HWND dialog = nullptr;
  bool acted = false;
  std::wstring title;
};

// Drives a real file dialog from inside its modal loop: notes every window the thread
// creates, and once the dialog shows, types a file name and confirms, or cancels.
class DialogRobot {
 public:
  DialogRobot(bool confirm, std::wstring file) {
    state_ = RobotState{};
    state_.confirm = confirm;
    state_.file = std::move(file);
    hook_ = SetWindowsHookExW(WH_CBT, &DialogRobot::Cbt, nullptr, GetCurrentThreadId());
    timer_ = SetTimer(nullptr, 0, 30, &DialogRobot::Tick);
  }
  DialogRobot(const DialogRobot&) = delete;
  DialogRobot& operator=(const DialogRobot&) = delete;
  ~DialogRobot() {
    KillTimer(nullptr, timer_);
    UnhookWindowsHookEx(hook_);
  }
  int WindowsCreated() const { return state_.created; }
  const std::wstring& DialogTitle() const { return state_.title; }

 private:
  static inline RobotState state_;

  static LRESULT CALLBACK Cbt(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND) {
      ++state_.created;
      wchar_t cls[16] = {};
      GetClassNameW(reinterpret_cast<HWND>(wp), cls, 16);
      if (!state_.dialog && std::wstring(cls) == L"#32770") state_.dialog = reinterpret_cast<HWND>(wp);
    }
    return CallNextHookEx(nullptr, code, wp, lp);
  }

  static BOOL CALLBACK FindEdit(HWND wnd, LPARAM found) {
    wchar_t cls[16] = {};
    GetClassNameW(wnd, cls, 16);
    if (std::wstring(cls) != L"Edit") return TRUE;
    *reinterpret_cast<HWND*>(found) = wnd;
    return FALSE;
  }

  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (state_.acted || !state_.dialog || !IsWindowVisible(state_.dialog)) return;
    state_.acted = true;
    state_.title = WindowText(state_.dialog);
    HWND edit = nullptr;
    EnumChildWindows(state_.dialog, &DialogRobot::FindEdit, reinterpret_cast<LPARAM>(&edit));
    if (state_.confirm && edit) SetWindowTextW(edit, state_.file.c_str());
    PostMessageW(state_.dialog, WM_COMMAND, state_.confirm ? IDOK : IDCANCEL, 0);
  }

  HHOOK hook_ = nullptr;
  UINT_PTR timer_ = 0;
};

TEST(OpenDialog, AnswererStandsInForTheSystemDialog) {
  TOpenDialog dialog(nullptr);
  dialog.SetFileName("C:\\before.wav");
  int asked = 0;
  DialogRobot robot(false, L"");
  {
    ScopedAnswerer cancel([&](TOpenDialog& d) {
      ++asked;
      EXPECT_EQ(&d, &dialog);
      return false;
    });
    EXPECT_FALSE(dialog.Execute());
  }
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(robot.WindowsCreated(), 0) << "no system dialog was made";
  EXPECT_EQ(dialog.FileName(), "C:\\before.wav");
}

TEST(OpenDialog, SystemDialogReturnsTheTypedFileOrNothingOnCancel) {
  const std::string typed = "C:\\windows\\Kl\xC3\xA4nge \xE3\x82\x86\xE3\x81\x8D.wav";  // Klänge ゆき
  TOpenDialog dialog(nullptr);
  dialog.SetTitle("Pick a sound");
  dialog.SetFilter("Sounds|*.wav");
  dialog.SetInitialDir("C:\\windows");
  {
    DialogRobot robot(true, Widen(typed));
    ASSERT_TRUE(dialog.Execute());
    EXPECT_GT(robot.WindowsCreated(), 0);
    EXPECT_EQ(robot.DialogTitle(), L"Pick a sound");
  }
  EXPECT_EQ(dialog.FileName(), typed);
  EXPECT_EQ(dialog.Files(), std::vector<std::string>{typed});
  {
    DialogRobot robot(false, L"");
    EXPECT_FALSE(dialog.Execute());
  }
  EXPECT_EQ(dialog.FileName(), typed);
}

}  // namespace
}  // namespace dorvane
