// The disk-full dialog, the wave player, the shell starter and the recycle bin helper
// against scripted shell services; wave files are real files written by the tests.
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "components/ComponentsRegistration.h"
#include "components/ShellStarter.h"
#include "components/WaveComp.h"
#include "components/WinDialogs.h"
#include "framework/FormReader.h"
#include "framework/Forms.h"
#include "framework/Resources.h"
#include "framework/SysUtils.h"
#include "tests/support/Pump.h"
#include "tests/support/ScriptedDesktop.h"
#include "tests/support/TestWave.h"

namespace dorvane {
namespace {

using testing::InstalledDesktop;
using testing::ScriptedDesktop;
using testing::ScriptedShellServices;
using Bytes = std::vector<std::uint8_t>;
using testing::PcmWave;

class ShellComponentsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Application().Initialize();
    RegisterServiceComponents();
  }
  ScriptedDesktop desktop;
  InstalledDesktop installed{desktop};
  ScriptedShellServices& shell = desktop.shellServices;
  TComponent owner{nullptr};
};

// -- the disk-full dialog ---------------------------------------------------------------

TEST_F(ShellComponentsTest, DriveCharIsOneLetterStoredInUpperCase) {
  TDiskFullDialog dialog(nullptr);
  EXPECT_EQ(dialog.DriveChar(), "C");
  dialog.SetDriveChar("d");
  EXPECT_EQ(dialog.DriveChar(), "D");
  for (const char* bad : {"1", "", "ab", "é", ":"}) {
    try {
      dialog.SetDriveChar(bad);
      ADD_FAILURE() << "accepted " << bad;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), std::string("Invalid drive (") + bad + ")");
    }
    EXPECT_EQ(dialog.DriveChar(), "D");
  }
}

TEST_F(ShellComponentsTest, TheDiskFullDialogIsAskedForOnlyOnFixedDisks) {
  shell.driveTypes = {{"C:\\", DRIVE_FIXED}, {"E:\\", DRIVE_CDROM}, {"N:\\", DRIVE_REMOTE}, {"A:\\", DRIVE_REMOVABLE}};
  TDiskFullDialog dialog(nullptr);
  EXPECT_TRUE(dialog.Execute());
  ASSERT_EQ(shell.diskFullDialogs.size(), 1u);
  EXPECT_EQ(shell.diskFullDialogs[0].parent, shell.focus);
  EXPECT_EQ(shell.diskFullDialogs[0].drive, 2u);  // C
  for (const char* other : {"e", "n", "a", "q"}) {
    dialog.SetDriveChar(other);
    EXPECT_FALSE(dialog.Execute()) << other;
  }
  EXPECT_EQ(shell.diskFullDialogs.size(), 1u);
  EXPECT_EQ(shell.driveTypeQueries, (std::vector<std::string>{"C:\\", "E:\\", "N:\\", "A:\\", "Q:\\"}));

  shell.diskFullDialogExported = false;
  dialog.SetDriveChar("c");
  try {
    dialog.Execute();
    ADD_FAILURE() << "no error without the shell's export";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "This function is not supported by your version of Windows");
  }
  EXPECT_EQ(shell.diskFullDialogs.size(), 1u);
}

// -- the wave player --------------------------------------------------------------------

class WaveTest : public ShellComponentsTest {
 protected:
  // Writes a file that lives as long as the test.
  std::string Write(const std::string& name, const Bytes& bytes) {
    return files.emplace_back(std::make_unique<testing::TempFile>(name, bytes))->Path();
  }
  std::vector<std::unique_ptr<testing::TempFile>> files;
};

TEST_F(WaveTest, APcmFilePlaysFromMemoryInTheBackground) {
  const Bytes pcm = PcmWave(800);
  TWaveComp wave(nullptr);
  EXPECT_FALSE(wave.Play()) << "nothing sounds by default";
  EXPECT_TRUE(shell.played.empty());
  wave.LoadFromFile(Write("tone.wav", pcm));
  EXPECT_TRUE(wave.Wave()->Format().pcm);
  EXPECT_EQ(wave.Wave()->Format().samplesPerSecond, 8000u);
  EXPECT_TRUE(wave.Play());
  ASSERT_EQ(shell.played.size(), 1u);
  EXPECT_EQ(shell.played[0].flags, 7u);  // asynchronous, no default sound, from memory
  EXPECT_EQ(shell.played[0].image, pcm);

  shell.playAccepted = false;
  EXPECT_FALSE(wave.Play());
  shell.playAccepted = true;
  shell.outputDevices = 0;
  EXPECT_FALSE(wave.Play());
  EXPECT_EQ(shell.played.size(), 2u) << "without an output device nothing is asked for";
}

TEST_F(WaveTest, AnEmptyFileStopsTheSoundAndEmptiesTheWave) {
  TWaveComp wave(nullptr);
  wave.LoadFromFile(Write("tone.wav", PcmWave(100)));
  ASSERT_TRUE(wave.Play());
  wave.LoadFromFile(Write("empty.wav", {}));
  EXPECT_TRUE(wave.Wave()->Empty());
  ASSERT_EQ(shell.played.size(), 2u);
  EXPECT_TRUE(shell.played[1].image.empty()) << "the playing sound was stopped";
  EXPECT_EQ(shell.played[1].flags, static_cast<UINT>(SND_MEMORY));
  EXPECT_FALSE(wave.Play());
  EXPECT_EQ(shell.played.size(), 2u);
}

// A file too short for a header fails naming it; one that is no wave is passed over
// quietly; a missing one fails. The sound loaded (and playing) before stays.
TEST_F(WaveTest, AShortFileFailsNamingItAndKeepsTheSound) {
  TWaveComp wave(nullptr);
  wave.LoadFromFile(Write("tone.wav", PcmWave(100)));
  ASSERT_TRUE(wave.Play());
  const std::string shortFile = Write("short.wav", {'R', 'I', 'F', 'F', 2, 0, 0, 0, 'W', 'A'});
  try {
    wave.LoadFromFile(shortFile);
    ADD_FAILURE() << "a 10-byte file loaded";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "GetWaveData: Cannot open file " + shortFile);
  }
  EXPECT_EQ(wave.Wave()->Bytes(), PcmWave(100));
  Bytes avi = PcmWave(100);
  avi[8] = 'A', avi[9] = 'V', avi[10] = 'I', avi[11] = ' ';
  EXPECT_NO_THROW(wave.LoadFromFile(Write("movie.wav", avi)));
  EXPECT_EQ(wave.Wave()->Bytes(), PcmWave(100));
  EXPECT_EQ(shell.played.size(), 1u) << "the sound playing was left alone";
  EXPECT_THROW(wave.LoadFromFile(Write("x", {}) + ".missing"), EOSError);
}

TEST_F(WaveTest, LyingSizesAreCutBeforeTheSystemSeesThem) {
  Bytes lying = PcmWave(100);
  lying[40] = lying[41] = 0xFF;  // the data chunk claims 65535 bytes more than there are
  TWaveComp wave(nullptr);
  wave.LoadFromFile(Write("lying.wav", lying));
  ASSERT_TRUE(wave.Play());
  EXPECT_EQ(shell.played[0].image, PcmWave(100));
}

TEST_F(WaveTest, ASoundIsStoppedBeforeItsBufferGoes) {
  auto* wave = new TWaveComp(&owner);
  wave->LoadFromFile(Write("tone.wav", PcmWave(100)));
  wave->Play();
  TWaveComp copy(nullptr);
  copy.SetWave(*wave->Wave());
  EXPECT_EQ(copy.Wave()->Bytes(), PcmWave(100));
  // Replacing the sound that plays stops it; a copy that is not playing is freed quietly.
  wave->LoadFromFile(Write("longer.wav", PcmWave(200)));
  ASSERT_EQ(shell.played.size(), 2u);
  EXPECT_TRUE(shell.played[1].image.empty());
  wave->Play();
  wave->Free();
  ASSERT_EQ(shell.played.size(), 4u);
  EXPECT_TRUE(shell.played[3].image.empty());
}

TEST_F(WaveTest, FormDescriptionsTakeASoundFromTheResources) {
  const Bytes pcm = PcmWave(64);
  Bytes block = {static_cast<std::uint8_t>(pcm.size()), 0, 0, 0};
  block.insert(block.end(), pcm.begin(), pcm.end());
  AddTestResource("TESTBEEP", block);
  TComponent root(nullptr);
  LoadFormText(root, "Root: TComponent {\n  Wave: TWaveComp {\n    Wave: @TESTBEEP\n  }\n}\n");
  auto* wave = root.Require<TWaveComp>("Wave");
  EXPECT_EQ(wave->Wave()->Bytes(), pcm);
  EXPECT_EQ(wave->Wave()->DataBlock(), block);
  EXPECT_NE(WriteForm(root).find("@TESTBEEP"), std::string::npos);

  block[0] += 1;  // a count that does not match
  EXPECT_THROW(wave->Wave()->SetDataBlock(block), Exception);
}

// -- the shell starter ------------------------------------------------------------------

TEST_F(ShellComponentsTest, VerbsAndShowCommands) {
  TShellStarter starter(nullptr);
  starter.SetCommand("C:\\Tools\\report.txt");
  starter.SetParameters("/quiet");
  starter.SetDefaultDir("C:\\Tools");
  const struct {
    TStarterOperation op;
    const char* verb;
  } verbs[] = {{smOpen, "open"}, {smPrint, "print"}, {smEdit, "edit"}};
  for (const auto& v : verbs) {
    starter.SetStartOperation(v.op);
    starter.Start();
    const ShellExecuteRequest& r = shell.executed.back();
    EXPECT_EQ(r.verb, v.verb);
    EXPECT_EQ(r.mask, static_cast<DWORD>(SEE_MASK_NOCLOSEPROCESS));
    EXPECT_EQ(r.file, "C:\\Tools\\report.txt");
    EXPECT_EQ(r.parameters, "/quiet");
    EXPECT_EQ(r.directory, "C:\\Tools");
    EXPECT_EQ(r.show, 5) << "soSW_SHOW by default";
  }
  const int shows[] = {0, 3, 6, 9, 5, 3, 2, 7, 8, 1};  // in the order of TStarterOptions
  for (int option = soSW_HIDE; option <= soSW_SHOWNORMAL; ++option) {
    starter.SetStartOption(static_cast<TStarterOptions>(option));
    starter.Start();
    EXPECT_EQ(shell.executed.back().show, shows[option]) << StarterOptionsType().NameOf(option);
  }

  starter.SetStartOperation(smProperties);
  starter.Start();
  const ShellExecuteRequest& p = shell.executed.back();
  EXPECT_EQ(p.verb, "properties");
  EXPECT_EQ(p.mask, 0x20Cu);
  EXPECT_EQ(p.window, nullptr);
  EXPECT_EQ(p.show, 1);
  EXPECT_EQ(p.file, "C:\\Tools\\report.txt");
  EXPECT_EQ(p.parameters, "");
}

TEST_F(ShellComponentsTest, ExploringShowsTheFolderOfTheCommand) {
  const struct {
    const char* command;
    const char* folder;
  } cases[] = {{"C:\\", "C:\\"},
               {"C:\\Tools\\report.txt", "C:\\Tools\\"},
               {"D:", "D:\\"},
               {"D:notes.txt", "D:\\"},
               {"\\\\server\\share\\x", "\\\\server\\share\\"},
               {"notes.txt", "\\"},
               {"", "\\"},
               {"  ", "\\"}};
  TShellStarter starter(nullptr);
  starter.SetStartOperation(smExplore);
  starter.SetParameters("/ignored");
  starter.SetDefaultDir("C:\\ignored");
  for (const auto& c : cases) {
    starter.SetCommand(c.command);
    starter.Start();
    const ShellExecuteRequest& r = shell.executed.back();
    EXPECT_EQ(r.verb, "explore");
    EXPECT_EQ(r.file, c.folder) << c.command;
    EXPECT_EQ(r.parameters, "");
    EXPECT_EQ(r.directory, "");
    EXPECT_EQ(r.show, 5);
  }
}

TEST_F(ShellComponentsTest, ShellErrorCodesReachOnErrorOnly) {
  TShellStarter starter(nullptr);
  starter.SetCommand("C:\\missing.exe");
  std::vector<int> errors;
  int afterStart = 0;
  starter.OnError = [&](TObject*, int code) { errors.push_back(code); };
  starter.OnAfterStart = [&](TObject*) { ++afterStart; };
  const struct {
    bool succeeded;
    INT_PTR instance;
    int error;  // 0: none
  } cases[] = {{false, 2, 2},   {false, 3, 3},   {false, 5, 5},   {false, 8, 8},   {false, 26, 26},
               {false, 27, 27}, {false, 28, 28}, {false, 29, 29}, {false, 30, 30}, {false, 31, 31},
               {false, 32, 32}, {false, 0, 8},   {true, 33, 0},   {true, 42, 0}};
  for (const auto& c : cases) {
    errors.clear();
    shell.reply = {c.succeeded, c.instance, nullptr};
    starter.Start();
    EXPECT_EQ(starter.LastError(), c.error) << c.instance;
    EXPECT_EQ(errors, c.error ? std::vector<int>{c.error} : std::vector<int>{}) << c.instance;
  }
  EXPECT_EQ(afterStart, static_cast<int>(std::size(cases)));
}

TEST_F(ShellComponentsTest, AWatchedProcessIsClosedOnEveryWayOut) {
  const HANDLE first = reinterpret_cast<HANDLE>(0x91), second = reinterpret_cast<HANDLE>(0x92);
  auto* starter = new TShellStarter(&owner);
  starter->SetCommand("C:\\tool.exe");
  int finished = 0;
  starter->OnFinished = [&](TObject*) { ++finished; };
  shell.reply = {true, 42, first};
  shell.exitCodes[first] = STILL_ACTIVE;
  starter->Start();
  EXPECT_EQ(starter->Process(), first);
  testing::PumpFor(1300);  // two or three looks at a process still running
  EXPECT_EQ(finished, 0);
  shell.exitCodes[first] = 0;
  EXPECT_TRUE(testing::PumpUntil([&] { return finished != 0; }, 5000));
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(shell.closed, std::vector<HANDLE>{first});
  EXPECT_EQ(starter->Process(), nullptr);

  // Waiting blocks on the process; the next start closes the handle, so does freeing.
  starter->OnFinished = nullptr;
  starter->SetWait(true);
  shell.reply = {true, 42, second};
  starter->Start();
  EXPECT_EQ(shell.waitedFor, std::vector<HANDLE>{second});
  shell.reply = {true, 42, first};
  starter->Start();
  starter->Free();
  EXPECT_EQ(shell.closed, (std::vector<HANDLE>{first, second, first}));

  // A failed start hands back no process to keep.
  TShellStarter failing(nullptr);
  shell.reply = {false, 2, second};
  failing.Start();
  EXPECT_EQ(failing.Process(), nullptr);
  EXPECT_EQ(shell.closed.back(), second);
}

TEST_F(ShellComponentsTest, AutoStartStartsWhenTheClockAgreesToTheSecond) {
  TShellStarter starter(nullptr);
  starter.SetCommand("C:\\backup.cmd");
  const TDateTime at = 46364.5;  // 8 December 2026, noon
  starter.SetStartTime(at);
  starter.CheckAutoStart(at);
  EXPECT_TRUE(shell.executed.empty()) << "AutoStart is off";
  starter.SetAutoStart(true);
  starter.CheckAutoStart(at - 1.0 / 86400);
  starter.CheckAutoStart(at + 1.0 / 86400);
  EXPECT_TRUE(shell.executed.empty());
  starter.CheckAutoStart(at + 0.3 / 86400);
  EXPECT_EQ(shell.executed.size(), 1u);
  // Dates count days from 30 December 1899, the time of day is the fraction.
  const struct {
    SYSTEMTIME time;
    TDateTime expected;
  } dates[] = {{{1899, 12, 6, 30, 0, 0, 0, 0}, 0.0},
               {{2000, 2, 2, 29, 18, 0, 0, 0}, 36585.75},
               {{2026, 12, 2, 8, 12, 0, 0, 0}, 46364.5},
               {{2026, 12, 2, 8, 0, 0, 1, 500}, 46364.0 + 1.5 / 86400}};
  for (const auto& d : dates) EXPECT_DOUBLE_EQ(DateTimeOf(d.time), d.expected) << d.time.wYear;
}

// -- the recycle bin --------------------------------------------------------------------

TEST_F(ShellComponentsTest, RecycleBinsAreEmptiedSilentlyAndTheLibraryReleased) {
  const HWND owner = reinterpret_cast<HWND>(0x1234);
  EXPECT_TRUE(EmptyAllRecycleBins(shell, owner));
  ASSERT_EQ(shell.emptied.size(), 1u);
  EXPECT_EQ(shell.emptied[0].owner, owner);
  EXPECT_EQ(shell.emptied[0].flags, 7u);
  EXPECT_EQ(shell.librariesFreed, 1);

  shell.libraryHasEmptyBin = false;
  EXPECT_TRUE(EmptyAllRecycleBins(shell, owner)) << "a missing function is not reported";
  EXPECT_EQ(shell.emptied.size(), 1u);
  EXPECT_EQ(shell.librariesFreed, 2);

  shell.libraryLoads = false;
  EXPECT_FALSE(EmptyAllRecycleBins(shell, owner));
  EXPECT_EQ(shell.librariesLoaded, 2);
  EXPECT_EQ(shell.librariesFreed, 2);
}

}  // namespace
}  // namespace dorvane
