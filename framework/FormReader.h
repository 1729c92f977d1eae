#pragma once
// Form descriptions: a small text format of our own describing a tree of named, typed
// objects with property values. A form loads its description when it is created.
//
//   Form1: TForm1 {
//     Caption: "Dorvane"            # strings in double quotes (UTF-8; \" \\ \n \t \uXXXX)
//     ClientWidth: 261              # integers (also 0x1F), floats (1.5)
//     Color: clBtnFace              # identifiers: enumeration members, colours, booleans,
//     PopupMenu: PopupMenu2         #   component references and event handlers
//     Font.Name: "Tahoma"           # properties of sub-objects by path
//     Options: {fpState, fpPosition}        # sets
//     Items: ["a", "b"]                     # string lists
//     Columns: [ { Width: 36 } { Caption: "name" } ]   # collections
//     Picture: @ITL                         # a picture among the program's resources
//     MainPanel: TPanel {                   # a child object: name, class, block
//       Align: alClient
//     }
//   }
//
// Properties end at the end of a line or at ";". A malformed description raises
// EReadError naming the line and what was expected.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Classes.h"
#include "framework/PropCodec.h"

namespace dorvane {

struct FormItem;

// A value as the description writes it (its type and contents: framework/PropCodec.h),
// with the items of a collection.
struct FormValue : PropLiteral {
  std::vector<FormItem> collection;  // Collection items
  int line = 0;
};

struct FormProperty {
  std::string path;  // "Caption", "Font.Name"
  FormValue value;
  int line = 0;
};

struct FormItem {
  std::vector<FormProperty> properties;
};

struct FormObject {
  std::string name;
  std::string className;
  std::vector<FormProperty> properties;
  std::vector<FormObject> children;
  int line = 0;
};

FormObject ParseForm(std::string_view text);

// Objects that take a picture or data named in a description ("@name").
class IResourceLoadable {
 public:
  virtual void LoadFromResourceName(const std::string& name) = 0;
  // The name last loaded, for writing the description back; empty when none.
  virtual const std::string& ResourceName() const = 0;

 protected:
  ~IResourceLoadable() = default;
};

// Builds root's components from a description: each nested object is created by class
// name with root as owner, named, given its enclosing object as parent component, and
// its properties are set in order; references are resolved when everything exists, then
// every created component and the root get Loaded().
void LoadForm(TComponent& root, const FormObject& description);
void LoadFormText(TComponent& root, std::string_view text);

// Writes root and its components back as a description (properties that differ from
// their defaults; events are not written).
std::string WriteForm(const TComponent& root);

}  // namespace dorvane
