#pragma once
// Everything the main window keeps in its registry section (HKCU\Software\<program>\TForm1,
// every value text), each named once here with its default.
//
// To add a setting, add one line here: a control's property to DORVANE_FORM1_STORED_PROPS
// (and the control to the form description), any other value to DORVANE_FORM1_VALUES.
// Nothing else lists them: Saver's stored properties are made from the first list, the
// window's constants from the second, and the tests hold every line against the form and
// take each value through a restart (the last column: a value other than the default).
#include <string>

namespace dorvane {

// Control properties that Saver stores as "Component_Property" and restores, in this
// order: component, property, the designed value as it is stored, another value.
#define DORVANE_FORM1_STORED_PROPS(X)                                              \
  X(CbHidden, Checked, "False", "True")                                            \
  X(CbShowTray, Checked, "False", "True")                                          \
  X(CbWarning, Checked, "False", "True")                                           \
  X(TrayDriveList, Text, "no drive selected", "c:\\ SYSTEM")                       \
  X(TrayDriveList, ItemIndex, "-1", "1")                                           \
  X(TbWT, Position, "5", "40")                                                     \
  X(CbWarning, Caption, "warning on low space (5%)", "warning on low space (40%)") \
  X(CbExec, Checked, "False", "True")                                              \
  X(CbSnd, Checked, "False", "True")                                               \
  X(SoundEdit, Filename, "", "C:\\Sounds\\Ding.wav")                               \
  X(ExecEdit, Filename, "", "C:\\Tools\\cleanup.exe")                              \
  X(ExecEdit, InitialDir, "", "C:\\Tools")                                         \
  X(SoundEdit, InitialDir, "", "C:\\Sounds")                                       \
  X(ExecEdit, Hint, "", "C:\\Tools\\cleanup.exe")                                  \
  X(SoundEdit, Hint, "", "C:\\Sounds\\Ding.wav")                                   \
  X(GradientFill1, StartColor, "15446654", "255")                                  \
  X(cbSD, Checked, "False", "True")                                                \
  X(CheckBox1, Checked, "True", "False")                                           \
  X(CbBelowSize, Checked, "False", "True")                                         \
  X(TbBelowSize, Position, "3", "6")                                               \
  X(CbFullWithin, Checked, "False", "True")                                        \
  X(TbFullWithin, Position, "5", "7")

// Values the window reads and writes itself through Saver. One line each:
//   TEXT(constant, value name, default, another value)
//   NUMBER(constant, value name, default, another value)
//   PLACE(constant, value name, another value): an edge of the window; the reader gives
//     the default (the screen's centre at start-up, the window's own edge otherwise)
//   ROW(constant, name after the row's number, default, another value): one value per
//     row of the drive list, "0 active", "1 active", ...
//   DRIVE(constant, name after the row's number): the root of that row's drive, stored
//     beside the row's values ("0 root", ...) so that they go back to their drive when
//     other drives come or go; absent in settings of an older version (default empty)
#define DORVANE_FORM1_VALUES(TEXT, NUMBER, PLACE, ROW, DRIVE) \
  PLACE(kPosX, "pos_x", "40")                                 \
  PLACE(kPosY, "pos_y", "30")                                 \
  NUMBER(kAlpha, "alpha", 255, "190")                         \
  TEXT(kLabels, "Labels", "labels", "values")                 \
  NUMBER(kTrayDriveIndex, "tray drive index", 0, "1")         \
  PLACE(kFormTop, "form top", "60")                           \
  PLACE(kFormLeft, "form left", "70")                         \
  ROW(kRowActive, " active", "false", "true")                 \
  DRIVE(kRowRoot, " root")

template <typename T>
struct NamedValue {
  const char* name;
  T fallback;
  const char* other;
};

struct PlaceValue {
  const char* name;
  const char* other;
};

struct RowValue {
  const char* suffix;
  const char* fallback;
  const char* other;
  std::string Name(int row) const { return std::to_string(row) + suffix; }
};

namespace form1 {
#define DORVANE_TEXT_VALUE(id, name, fallback, other) inline constexpr NamedValue<const char*> id{name, fallback, other};
#define DORVANE_NUMBER_VALUE(id, name, fallback, other) inline constexpr NamedValue<int> id{name, fallback, other};
#define DORVANE_PLACE_VALUE(id, name, other) inline constexpr PlaceValue id{name, other};
#define DORVANE_ROW_VALUE(id, suffix, fallback, other) inline constexpr RowValue id{suffix, fallback, other};
#define DORVANE_DRIVE_VALUE(id, suffix) inline constexpr RowValue id{suffix, "", ""};
DORVANE_FORM1_VALUES(DORVANE_TEXT_VALUE, DORVANE_NUMBER_VALUE, DORVANE_PLACE_VALUE, DORVANE_ROW_VALUE,
                     DORVANE_DRIVE_VALUE)
#undef DORVANE_TEXT_VALUE
#undef DORVANE_NUMBER_VALUE
#undef DORVANE_PLACE_VALUE
#undef DORVANE_ROW_VALUE
#undef DORVANE_DRIVE_VALUE

// Saver's stored properties, "Component.Property", in the list's order.
inline constexpr const char* kStoredProps[] = {
#define DORVANE_STORED_PROP_ENTRY(component, property, fallback, other) #component "." #property,
    DORVANE_FORM1_STORED_PROPS(DORVANE_STORED_PROP_ENTRY)
#undef DORVANE_STORED_PROP_ENTRY
};
}  // namespace form1

}  // namespace dorvane
