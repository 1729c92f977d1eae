#pragma once
// One value <-> text codec for every property kind: how a property's value is written as
// text and read back, in the two places the program keeps values as text. The form
// reader and writer and the form storage go through it and nothing else.
//
//   kind           in a form description         in the form storage
//   Integer        -12, 0x10, clBtnFace           -12 (a text that is no number reads as 0)
//   Int64          9000000000000                  the same
//   Enumeration    frPear, True                   frPear (an unknown name leaves the value)
//   Set            {frApple, frPlum}              [frApple,frPlum] (unknown members ignored)
//   Char           "é"                            é (the first character of a longer text)
//   Float          0.125, 2.0                     0.125, 2 (the locale's separator is read too)
//   String         "say \"hi\""                   say "hi"
//   reference      Owner.Name (framework/ComponentReference.h)   the same; "(null)" for none
//   event          a handler of the form          not kept
//
// Owned sub-objects (fonts, string lists, collections) have no text of their own: the
// form reader and the form storage take them apart into their own properties.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/SysUtils.h"
#include "framework/TypInfo.h"

namespace dorvane {

class TComponent;

// The two ways a value is spelt.
enum class PropSpelling {
  Form,     // a form description's
  Storage,  // the form storage's
};

// A value on its way into a property, as it was written: a form description's values come
// typed by its grammar (List, Collection and Resource are values only owned sub-objects
// take); a stored value is its plain text.
struct PropLiteral {
  enum class Type { Stored, Integer, Float, String, Identifier, Set, List, Collection, Resource };
  Type type = Type::Stored;
  std::int64_t integer = 0;
  double number = 0;
  std::string text;                // Stored, String, Identifier, Resource
  std::vector<std::string> items;  // Set members, List lines

  static PropLiteral Stored(std::string text) {
    PropLiteral literal;
    literal.text = std::move(text);
    return literal;
  }
};

// A form description's value that the property cannot take; the message says what was
// expected (the form reader adds the line). A stored text the property cannot take
// raises what the storage reports instead (EConvertError, EPropertyError).
class EPropValueError : public EPropertyError {
 public:
  using EPropertyError::EPropertyError;
  const char* ClassName() const noexcept override { return "EPropValueError"; }
};

// The text of a property's value. References are named as seen from `root` (the form).
// Empty for an event and an owned sub-object, and in a form description for a reference
// that is unset.
std::string PropValueText(const TObject& object, const PropInfo& prop, PropSpelling spelling,
                          const TComponent* root);

// A text as a form description writes a string: in double quotes, with escapes.
std::string FormStringText(std::string_view text);

// Whether the property holds its default (a reference: none; an event: no handler). A
// property without a default never does.
bool HoldsDefault(const TObject& object, const PropInfo& prop);

// Sets a property from a value as it was written: a Stored literal is read as the form
// storage reads, any other as a form description's value. `root` is the form whose
// components references name and whose handlers events name; `path` is what messages call
// the property ("Font.Color"). A read-only property is left alone by a stored text. A
// setter's own exception passes through unchanged.
void SetPropValue(TObject& object, const PropInfo& prop, const PropLiteral& value, TComponent* root,
                  std::string_view path);

// The integer a stored text holds: a whole signed decimal number, blanks around it
// allowed; nothing for any other text or one out of range.
std::optional<std::int64_t> StoredInteger(std::string_view text);
std::optional<int> StoredInt32(std::string_view text);

}  // namespace dorvane
