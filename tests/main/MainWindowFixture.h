#pragma once
// Starts the main window on a scripted machine and a scripted desktop with its settings
// under a registry key of its own, and watches what it does: activity tags, and what the
// desktop was asked (message boxes, moves, popups, the shell's tray calls).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "components/FormPlacement.h"
#include "errorreport/ErrorReport.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/Registry.h"
#include "core/win32/WideString.h"
#include "main/AboutDorvane.h"
#include "main/Dorvane.h"
#include "main/Program.h"
#include "tests/support/ScriptedDesktop.h"
#include "tests/support/ScriptedMachine.h"
#include "tests/support/TestWave.h"

namespace dorvane::testing {

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterProgramClasses();
    static int counter = 0;
    appKey = "DorvaneTest_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
    desktop.exeName = appKey;
    DeleteSettings();
    SetActivityObserver([this](std::string_view tag) { tags.emplace_back(tag); });
    Application().ClearTerminated();
  }

  void TearDown() override {
    Close();
    SetActivityObserver(nullptr);
    ForgetSettings();
    Application().ClearTerminated();
  }

  // Creates the main window (FormCreate runs) without showing it.
  TForm1& Create() {
    if (!Form2) Form2 = new TForm2(&Application());
    form = new TForm1(&Application(), machine);
    Application().SetMainForm(form);
    return *form;
  }
  // Creates and shows it, as the program's start does.
  TForm1& Start() {
    Create();
    form->Show();
    return *form;
  }
  // Frees the window (and the error form it made) without the closing steps.
  void Close() {
    if (form) {
      form->Free();
      form = nullptr;
    }
    if (ErrorForm) ErrorForm->Free();
    Application().SetMainForm(nullptr);
  }

  std::string SectionPath() const { return "Software\\" + appKey + "\\TForm1"; }
  // A stored value of the main window's section, or "(none)".
  std::string Stored(const std::string& name) const {
    TRegistry reg(KEY_READ);
    if (!reg.OpenKeyReadOnly(SectionPath()) || !reg.ValueExists(name)) return "(none)";
    return reg.ReadString(name);
  }
  void Store(const std::string& name, const std::string& value) {
    TRegistry reg;
    reg.OpenKey(SectionPath(), true);
    reg.WriteString(name, value);
  }
  // Settings as an earlier run leaves them with nothing chosen: the storage's version
  // alone. (A start without even that is a first start, which chooses drives itself.)
  void DeleteSettings() {
    ForgetSettings();
    Store("FormVersion", "0");
  }
  // Nothing stored: the next start is a first start.
  void ForgetSettings() {
    TRegistry reg;
    reg.DeleteKey("Software\\" + appKey);
  }
  // The balloons the tray icon asked the shell to show (title, text).
  std::vector<std::pair<std::string, std::string>> Balloons() const {
    std::vector<std::pair<std::string, std::string>> balloons;
    for (const auto& [message, data] : desktop.shellCalls)
      if ((data.uFlags & NIF_INFO) && data.szInfo[0] != 0)
        balloons.emplace_back(Narrow(data.szInfoTitle), Narrow(data.szInfo));
    return balloons;
  }
  int CountTag(const std::string& tag) const {
    return static_cast<int>(std::count(tags.begin(), tags.end(), tag));
  }
  bool Saw(const std::string& tag) const {
    for (const auto& t : tags)
      if (t == tag) return true;
    return false;
  }

  ScriptedMachine machine;
  ScriptedDesktop desktop;
  InstalledDesktop installed{desktop};
  TForm1* form = nullptr;
  std::string appKey;
  std::vector<std::string> tags;
};

}  // namespace dorvane::testing
