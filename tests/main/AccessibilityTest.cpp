// The strip as assistive technology reads it: through the system's accessibility library
// (oleacc), as a screen reader asks for it.
#include <oleacc.h>

#include "core/NumberFormat.h"
#include "tests/main/MainWindowFixture.h"
#include "tests/support/Pump.h"
#include "winapi/Handles.h"

namespace dorvane {
namespace {

class AccessibilityTest : public testing::MainWindowTest {
 protected:
  // The drives a (row 0, not monitored), c (row 1: 2 GB of 20 GB free) and e (row 2:
  // 600 of 1000 MB free), c and e monitored; the window shown and refreshed once.
  TForm1& StartWithTwoPanels() {
    SetCurrentSeparators({".", ","});
    machine.drives.drives['e'] = {kDriveFixed, "DATA", true, 600LL << 20, 1000LL << 20};
    Store("1 active", "true");
    Store("2 active", "true");
    TForm1& f = Start();
    f.Timer1Timer(nullptr);
    return f;
  }

  UniqueCom<IAccessible> ClientObject(TForm1& f) {
    UniqueCom<IAccessible> object;
    EXPECT_EQ(AccessibleObjectFromWindow(f.Handle(), static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                         reinterpret_cast<void**>(object.put())),
              S_OK);
    return object;
  }

  static VARIANT Child(long id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
  }

  // A text property of a child, "(none)" when it has none.
  template <typename Getter>
  static std::string Text(IAccessible* object, long id, Getter getter) {
    BSTR text = nullptr;
    const HRESULT hr = (object->*getter)(Child(id), &text);
    std::string result = hr == S_OK && text ? Narrow(text) : "(none)";
    SysFreeString(text);
    return result;
  }

  static long Role(IAccessible* object, long id) {
    VARIANT role;
    VariantInit(&role);
    if (object->get_accRole(Child(id), &role) != S_OK || role.vt != VT_I4) return -1;
    return role.lVal;
  }

  static long Count(IAccessible* object) {
    long count = -1;
    EXPECT_EQ(object->get_accChildCount(&count), S_OK);
    return count;
  }
};

TEST_F(AccessibilityTest, TheStripsElementsWithTheirNamesValuesAndRoles) {
  TForm1& f = StartWithTwoPanels();
  UniqueCom<IAccessible> object = ClientObject(f);
  ASSERT_TRUE(object);
  IAccessible* a = object.get();
  ASSERT_EQ(Count(a), 6);
  const struct {
    const char* name;
    const char* value;
    long role;
    const char* action;
  } expected[] = {
      {"Total Mem: 523,712 KB", "Memory Load: 37 %", ROLE_SYSTEM_PROGRESSBAR, "(none)"},
      {"settings", "(none)", ROLE_SYSTEM_PUSHBUTTON, "Press"},
      {"c:\\", "1.86 Gb free, 10 %", ROLE_SYSTEM_PROGRESSBAR, "(none)"},
      {"e:\\", "600.00 Mb free, 60 %", ROLE_SYSTEM_PROGRESSBAR, "(none)"},
      {"Minimize to tray", "(none)", ROLE_SYSTEM_PUSHBUTTON, "Press"},
      {"Close Dorvane", "(none)", ROLE_SYSTEM_PUSHBUTTON, "Press"},
  };
  for (long id = 1; id <= 6; ++id) {
    const auto& e = expected[id - 1];
    EXPECT_EQ(Text(a, id, &IAccessible::get_accName), e.name) << id;
    EXPECT_EQ(Text(a, id, &IAccessible::get_accValue), e.value) << id;
    EXPECT_EQ(Role(a, id), e.role) << id;
    EXPECT_EQ(Text(a, id, &IAccessible::get_accDefaultAction), e.action) << id;
  }
  // The client area itself carries the window's caption; an id beyond the elements is none.
  EXPECT_EQ(Text(a, CHILDID_SELF, &IAccessible::get_accName), f.Caption());
  EXPECT_EQ(Role(a, CHILDID_SELF), ROLE_SYSTEM_CLIENT);
  EXPECT_EQ(Text(a, 7, &IAccessible::get_accName), "(none)");
  // Each element stands where its control is shown: the hide button's middle hits it.
  long x = 0, y = 0, w = 0, h = 0;
  ASSERT_EQ(a->accLocation(&x, &y, &w, &h, Child(5)), S_OK);
  const POINT origin = f.btHide->ClientToScreen(POINT{0, 0});
  EXPECT_EQ(x, origin.x);
  EXPECT_EQ(y, origin.y);
  EXPECT_EQ(w, f.btHide->Width());
  EXPECT_EQ(h, f.btHide->Height());
  VARIANT hit;
  VariantInit(&hit);
  ASSERT_EQ(a->accHitTest(x + w / 2, y + h / 2, &hit), S_OK);
  EXPECT_EQ(hit.vt, VT_I4);
  EXPECT_EQ(hit.lVal, 5);
}

// Unticking a drive takes its panel out of the tree at the next refresh; the hide
// button's default action hides the window to the tray once the reader's call is back.
TEST_F(AccessibilityTest, ElementsFollowThePanelsAndTheHideButtonHides) {
  TForm1& f = StartWithTwoPanels();
  UniqueCom<IAccessible> object = ClientObject(f);
  ASSERT_TRUE(object);
  TListItem* e = f.DList->Items().Item(2);
  e->SetChecked(false);
  f.DListItemChecked(f.DList, e);  // as the list reports the user's tick
  f.Timer1Timer(nullptr);
  ASSERT_EQ(Count(object.get()), 5);
  EXPECT_EQ(Text(object.get(), 3, &IAccessible::get_accName), "c:\\");
  EXPECT_EQ(Text(object.get(), 4, &IAccessible::get_accName), "Minimize to tray");
  ASSERT_EQ(object.get()->accDoDefaultAction(Child(4)), S_OK);
  EXPECT_TRUE(f.Visible()) << "the action ran inside the reader's call";
  EXPECT_TRUE(testing::PumpUntil([&] { return !f.Visible(); }, 5000));
  EXPECT_NE(object.get()->accDoDefaultAction(Child(1)), S_OK) << "the memory panel has no action";
}

// A reader that still holds the object after the window has gone is told so.
TEST_F(AccessibilityTest, AnObjectHeldBeyondTheWindowAnswersThatItHasGone) {
  TForm1& f = StartWithTwoPanels();
  UniqueCom<IAccessible> object = ClientObject(f);
  ASSERT_TRUE(object);
  Close();
  long count = 0;
  EXPECT_TRUE(FAILED(object.get()->get_accChildCount(&count)));
  EXPECT_EQ(Text(object.get(), 1, &IAccessible::get_accName), "(none)");
}

}  // namespace
}  // namespace dorvane
