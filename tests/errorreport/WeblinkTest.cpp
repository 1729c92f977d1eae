// The web-link label and the about box that carries one.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "framework/Forms.h"
#include "main/AboutDorvane.h"
#include "main/OrvikSystemsWeblink.h"
#include "tests/support/ScriptedDesktop.h"

namespace dorvane {
namespace {

constexpr TFontStyles kUnderline = TFontStyles{1} << fsUnderline;

class WeblinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application().Initialize();
    _putenv_s("DORVANE_SERVER", "127.0.0.1:8765");
    about = new TForm2(&Application());
  }
  void TearDown() override {
    if (about) about->Free();
  }
  TForm2* about = nullptr;
};

TEST_F(WeblinkTest, TheAboutBoxLinksToTheMakersPage) {
  EXPECT_EQ(about->ClientWidth(), 277);
  EXPECT_EQ(about->ClientHeight(), 161);
  EXPECT_EQ(about->BorderStyle(), fbsNone);
  EXPECT_EQ(about->Button1->Caption(), "Ok");
  TOrvikSystemsWeblink& link = *about->OrvikSystemsWeblink1;
  EXPECT_EQ(link.webadress(), "/enter.php?ref=Dorvane");
  EXPECT_EQ(link.Url(), "http://127.0.0.1:8765/enter.php?ref=Dorvane");
  EXPECT_EQ(link.Cursor(), crHandPoint);
  EXPECT_FALSE(link.AutoSize());
  EXPECT_EQ(link.Font().Style(), kUnderline);  // as the description starts it
}

TEST_F(WeblinkTest, TheAboutBoxIsCentredOverTheMainWindow) {
  TForm* main = new TForm(&Application());
  main->SetBounds(100, 60, 401, 143);
  Application().SetMainForm(main);
  about->Show();
  EXPECT_EQ(about->Left(), 100 + (401 - about->Width()) / 2);
  EXPECT_EQ(about->Top(), 60 + (143 - about->Height()) / 2);
  about->Hide();
  Application().SetMainForm(nullptr);
  main->Free();
}

TEST_F(WeblinkTest, UnderlinedOnlyWhileTheMouseIsOver_EventsFirst) {
  TOrvikSystemsWeblink& link = *about->OrvikSystemsWeblink1;
  TFontStyles styleInEvent = 99;
  link.OnMouseLeave = [&](TObject*) { styleInEvent = link.Font().Style(); };
  link.MouseLeave();
  EXPECT_EQ(styleInEvent, kUnderline);  // the label's own handling comes first
  EXPECT_EQ(link.Font().Style(), 0u);
  link.MouseEnter();
  EXPECT_EQ(link.Font().Style(), kUnderline);
  link.MouseLeave();
  EXPECT_EQ(link.Font().Style(), 0u);
  EXPECT_EQ(link.Font().Color(), clBlack);
}

TEST_F(WeblinkTest, AClickRunsOnClickBeforeTheBrowserOpensThePage) {
  testing::ScriptedDesktop desktop;
  testing::InstalledDesktop installed(desktop);
  TOrvikSystemsWeblink& link = *about->OrvikSystemsWeblink1;
  std::size_t openedBeforeOnClick = 99;
  link.OnClick = [&](TObject*) { openedBeforeOnClick = desktop.documents.size(); };
  link.Click();
  EXPECT_EQ(openedBeforeOnClick, 0u);
  EXPECT_EQ(desktop.documents, std::vector<std::string>{"http://127.0.0.1:8765/enter.php?ref=Dorvane"});
}

TEST(Weblink, AnEmptyAddressIsTheBareServer) {
  _putenv_s("DORVANE_SERVER", "127.0.0.1:8765");
  TOrvikSystemsWeblink link(nullptr);
  EXPECT_EQ(link.Url(), "http://127.0.0.1:8765");
  EXPECT_EQ(link.Cursor(), crHandPoint);
  EXPECT_FALSE(link.AutoSize());
}

}  // namespace
}  // namespace dorvane
