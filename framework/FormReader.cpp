#include "framework/FormReader.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>

#include "core/Text.h"
#include "framework/SysUtils.h"
#include "framework/Trace.h"

namespace dorvane {
namespace {

// -- tokens ---------------------------------------------------------------------------

struct Token {
  enum Kind { End, Newline, Identifier, Integer, Float, String, Punct } kind = End;
  std::string text;  // identifier, string contents, or the punctuation character
  std::int64_t integer = 0;
  double number = 0;
  int line = 1;
};

std::string Describe(const Token& t) {
  switch (t.kind) {
    case Token::End: return "the end of the text";
    case Token::Newline: return "the end of the line";
    case Token::Identifier: return "'" + t.text + "'";
    case Token::Integer:
    case Token::Float: return "the number " + t.text;
    case Token::String: return "a string";
    case Token::Punct: return "'" + t.text + "'";
  }
  return "?";
}

[[noreturn]] void Fail(int line, const std::string& what) {
  throw EReadError("line " + std::to_string(line) + ": " + what);
}

class Lexer {
 public:
  explicit Lexer(std::string_view text) : s_(text) {}

  Token Next() {
    SkipBlanks();
    Token t;
    t.line = line_;
    if (i_ >= s_.size()) return t;
    const char c = s_[i_];
    if (c == '\n') {
      ++i_;
      ++line_;
      t.kind = Token::Newline;
      return t;
    }
    if (IsIdentStart(c)) {
      std::size_t b = i_;
      while (i_ < s_.size() && (IsIdentStart(s_[i_]) || IsDigit(s_[i_]) || s_[i_] == '.')) ++i_;
      t.kind = Token::Identifier;
      t.text = std::string(s_.substr(b, i_ - b));
      if (t.text.back() == '.') Fail(line_, "a name cannot end with '.'");
      return t;
    }
    if (IsDigit(c) || ((c == '-' || c == '+') && i_ + 1 < s_.size() && IsDigit(s_[i_ + 1]))) return Number();
    if (c == '"') return Str();
    if (std::string_view(":{}[],;@").find(c) != std::string_view::npos) {
      ++i_;
      t.kind = Token::Punct;
      t.text = std::string(1, c);
      return t;
    }
    Fail(line_, "unexpected character '" + std::string(1, c) + "'");
  }

 private:
  static bool IsIdentStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
  }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

  void SkipBlanks() {
    while (i_ < s_.size()) {
      const char c = s_[i_];
      if (c == ' ' || c == '\t' || c == '\r') {
        ++i_;
      } else if (c == '#') {
        while (i_ < s_.size() && s_[i_] != '\n') ++i_;
      } else {
        break;
      }
    }
  }

  Token Number() {
    Token t;
    t.line = line_;
    std::size_t b = i_;
    if (s_[i_] == '-' || s_[i_] == '+') ++i_;
    bool hex = false, isFloat = false;
    if (i_ + 1 < s_.size() && s_[i_] == '0' && (s_[i_ + 1] == 'x' || s_[i_ + 1] == 'X')) {
      hex = true;
      i_ += 2;
      while (i_ < s_.size() && std::isxdigit(static_cast<unsigned char>(s_[i_]))) ++i_;
    } else {
      while (i_ < s_.size() && (IsDigit(s_[i_]) || s_[i_] == '.' || s_[i_] == 'e' || s_[i_] == 'E' ||
                                ((s_[i_] == '-' || s_[i_] == '+') && (s_[i_ - 1] == 'e' || s_[i_ - 1] == 'E')))) {
        if (s_[i_] == '.' || s_[i_] == 'e' || s_[i_] == 'E') isFloat = true;
        ++i_;
      }
    }
    t.text = std::string(s_.substr(b, i_ - b));
    if (i_ < s_.size() && (IsIdentStart(s_[i_]) || IsDigit(s_[i_])))
      Fail(line_, "malformed number '" + t.text + std::string(1, s_[i_]) + "'");
    if (isFloat) {
      t.kind = Token::Float;
      std::size_t used = 0;
      try {
        t.number = std::stod(t.text, &used);
      } catch (const std::exception&) {
        used = 0;
      }
      if (used != t.text.size()) Fail(line_, "malformed number '" + t.text + "'");
      return t;
    }
    t.kind = Token::Integer;
    std::string_view digits = t.text;
    bool negative = false;
    if (digits[0] == '-' || digits[0] == '+') {
      negative = digits[0] == '-';
      digits.remove_prefix(1);
    }
    if (hex) digits.remove_prefix(2);
    std::uint64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, hex ? 16 : 10);
    if (ec == std::errc::result_out_of_range) Fail(line_, "number out of range '" + t.text + "'");
    if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty())
      Fail(line_, "malformed number '" + t.text + "'");
    if (hex && !negative && magnitude <= 0xFFFFFFFFull) {
      t.integer = static_cast<std::int64_t>(magnitude);  // 0xFF00000F: a colour, unsigned
    } else if (negative ? magnitude > 9223372036854775808ull : magnitude > 9223372036854775807ull) {
      Fail(line_, "number out of range '" + t.text + "'");
    } else {
      t.integer = negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    }
    return t;
  }

  Token Str() {
    Token t;
    t.kind = Token::String;
    t.line = line_;
    ++i_;
    for (;;) {
      if (i_ >= s_.size() || s_[i_] == '\n') Fail(t.line, "unterminated string");
      const char c = s_[i_++];
      if (c == '"') break;
      if (c != '\\') {
        t.text += c;
        continue;
      }
      if (i_ >= s_.size()) Fail(t.line, "unterminated string");
      const char e = s_[i_++];
      switch (e) {
        case '"': t.text += '"'; break;
        case '\\': t.text += '\\'; break;
        case 'n': t.text += '\n'; break;
        case 'r': t.text += '\r'; break;
        case 't': t.text += '\t'; break;
        case 'u': {
          if (i_ + 4 > s_.size()) Fail(t.line, "malformed \\u escape");
          unsigned cp = 0;
          const auto [end, ec] = std::from_chars(s_.data() + i_, s_.data() + i_ + 4, cp, 16);
          if (ec != std::errc() || end != s_.data() + i_ + 4) Fail(t.line, "malformed \\u escape");
          i_ += 4;
          const std::u16string one(1, static_cast<char16_t>(cp));
          t.text += Utf16ToUtf8(one);
          break;
        }
        default: Fail(t.line, std::string("unknown escape \\") + e);
      }
    }
    return t;
  }

  std::string_view s_;
  std::size_t i_ = 0;
  int line_ = 1;
};

// -- parser ---------------------------------------------------------------------------

class Parser {
 public:
  explicit Parser(std::string_view text) : lex_(text) { Advance(); }

  FormObject Form() {
    SkipNewlines();
    if (tok_.kind != Token::Identifier) Fail(tok_.line, "expected the form's name, found " + Describe(tok_));
    FormObject root;
    root.line = tok_.line;
    root.name = Take().text;
    ExpectPunct(":", "after '" + root.name + "'");
    if (tok_.kind != Token::Identifier) Fail(tok_.line, "expected a class name after '" + root.name + ":'");
    root.className = Take().text;
    ExpectPunct("{", "after '" + root.className + "'");
    Body(root.properties, &root.children);
    SkipNewlines();
    if (tok_.kind != Token::End) Fail(tok_.line, "expected the end of the text, found " + Describe(tok_));
    return root;
  }

 private:
  void Advance() { tok_ = lex_.Next(); }
  Token Take() {
    Token t = tok_;
    Advance();
    return t;
  }
  bool IsPunct(const char* p) const { return tok_.kind == Token::Punct && tok_.text == p; }
  void ExpectPunct(const char* p, const std::string& where) {
    if (!IsPunct(p)) Fail(tok_.line, std::string("expected '") + p + "' " + where + ", found " + Describe(tok_));
    Advance();
  }
  void SkipNewlines() {
    while (tok_.kind == Token::Newline || IsPunct(";")) Advance();
  }

  // Members up to the closing '}'. children is null inside collection items.
  void Body(std::vector<FormProperty>& props, std::vector<FormObject>* children) {
    for (;;) {
      SkipNewlines();
      if (IsPunct("}")) {
        Advance();
        return;
      }
      if (tok_.kind == Token::End) Fail(tok_.line, "expected '}' before the end of the text");
      if (tok_.kind != Token::Identifier) Fail(tok_.line, "expected a property or object name, found " + Describe(tok_));
      const Token name = Take();
      ExpectPunct(":", "after '" + name.text + "'");
      if (tok_.kind == Token::Identifier) {
        Token ident = Take();
        if (IsPunct("{")) {
          if (!children) Fail(ident.line, "collection items cannot hold objects");
          if (name.text.find('.') != std::string::npos) Fail(name.line, "an object name cannot contain '.'");
          Advance();
          FormObject child;
          child.name = name.text;
          child.className = ident.text;
          child.line = name.line;
          Body(child.properties, &child.children);
          children->push_back(std::move(child));
          continue;
        }
        FormValue v;
        v.type = FormValue::Type::Identifier;
        v.text = ident.text;
        v.line = ident.line;
        props.push_back({name.text, std::move(v), name.line});
      } else {
        props.push_back({name.text, Value(name.text), name.line});
      }
      if (!(tok_.kind == Token::Newline || IsPunct(";") || IsPunct("}") || tok_.kind == Token::End))
        Fail(tok_.line, "expected the end of the line after the value of '" + name.text + "', found " + Describe(tok_));
    }
  }

  FormValue Value(const std::string& prop) {
    FormValue v;
    v.line = tok_.line;
    switch (tok_.kind) {
      case Token::Integer:
        v.type = FormValue::Type::Integer;
        v.integer = Take().integer;
        return v;
      case Token::Float:
        v.type = FormValue::Type::Float;
        v.number = Take().number;
        return v;
      case Token::String:
        v.type = FormValue::Type::String;
        v.text = Take().text;
        return v;
      default: break;
    }
    if (IsPunct("@")) {
      Advance();
      if (tok_.kind != Token::Identifier) Fail(tok_.line, "expected a resource name after '@'");
      v.type = FormValue::Type::Resource;
      v.text = Take().text;
      return v;
    }
    if (IsPunct("{")) {
      Advance();
      v.type = FormValue::Type::Set;
      SkipNewlinesOnly();
      while (!IsPunct("}")) {
        if (tok_.kind != Token::Identifier) Fail(tok_.line, "expected a set member or '}' in '" + prop + "', found " + Describe(tok_));
        v.items.push_back(Take().text);
        SkipNewlinesOnly();
        if (IsPunct(",")) {
          Advance();
          SkipNewlinesOnly();
        } else if (!IsPunct("}")) {
          Fail(tok_.line, "expected ',' or '}' in '" + prop + "', found " + Describe(tok_));
        }
      }
      Advance();
      return v;
    }
    if (IsPunct("[")) {
      Advance();
      SkipNewlinesOnly();
      v.type = FormValue::Type::List;
      if (IsPunct("{")) {
        v.type = FormValue::Type::Collection;
        while (IsPunct("{")) {
          Advance();
          FormItem item;
          Body(item.properties, nullptr);
          v.collection.push_back(std::move(item));
          SkipNewlinesOnly();
          if (IsPunct(",")) {
            Advance();
            SkipNewlinesOnly();
          }
        }
        if (!IsPunct("]")) Fail(tok_.line, "expected '{' or ']' in '" + prop + "', found " + Describe(tok_));
        Advance();
        return v;
      }
      while (!IsPunct("]")) {
        if (tok_.kind != Token::String) Fail(tok_.line, "expected a string or ']' in '" + prop + "', found " + Describe(tok_));
        v.items.push_back(Take().text);
        SkipNewlinesOnly();
        if (IsPunct(",")) {
          Advance();
          SkipNewlinesOnly();
        } else if (!IsPunct("]")) {
          Fail(tok_.line, "expected ',' or ']' in '" + prop + "', found " + Describe(tok_));
        }
      }
      Advance();
      return v;
    }
    Fail(tok_.line, "expected a value for '" + prop + "', found " + Describe(tok_));
  }

  void SkipNewlinesOnly() {
    while (tok_.kind == Token::Newline) Advance();
  }

  Lexer lex_;
  Token tok_;
};

// -- loading --------------------------------------------------------------------------

// A reference, set once every component of the description exists.
struct Fixup {
  TObject* object;
  const PropInfo* prop;
  PropLiteral target;
  int line;
};

class Loader {
 public:
  explicit Loader(TComponent& root) : root_(root) {}

  void Load(const FormObject& d) {
    if (!SameText(d.className, root_.ClassName()))
      Fail(d.line, "expected the class " + root_.ClassName() + ", found " + d.className);
    if (root_.Name().empty()) root_.SetName(d.name);
    root_.SetLoading(true);
    try {
      Apply(root_, d.properties);
      for (const FormObject& child : d.children) Create(child, &root_);
      for (const Fixup& f : fixups_) Resolve(f);
      TraceMark("loaded: references resolved");
    } catch (...) {
      root_.SetLoading(false);
      for (TComponent* c : created_) c->SetLoading(false);
      throw;
    }
    for (TComponent* c : created_) {
      if (TraceEnabled()) TraceMark("loaded " + c->Name());
      c->Loaded();
    }
    TraceMark("loaded: the form");
    root_.Loaded();
  }

 private:
  void Create(const FormObject& d, TComponent* parent) {
    const ClassInfo* info = FindClass(d.className);
    if (!info) Fail(d.line, "unknown class " + d.className);
    if (!info->create) Fail(d.line, "the class " + d.className + " cannot be created by a form");
    if (TraceEnabled()) TraceMark("create " + d.name + ": " + d.className);
    TComponent* c = info->create(&root_);
    created_.push_back(c);
    c->SetLoading(true);
    try {
      c->SetName(d.name);
    } catch (const Exception& e) {
      Fail(d.line, e.Message());
    }
    c->SetParentComponent(parent);
    Apply(*c, d.properties);
    for (const FormObject& child : d.children) Create(child, c);
  }

  void Apply(TObject& object, const std::vector<FormProperty>& props) {
    for (const FormProperty& p : props) {
      try {
        Set(object, p);
      } catch (const EReadError&) {
        throw;
      } catch (const Exception& e) {
        Fail(p.line, "'" + p.path + "': " + e.Message());
      }
    }
  }

  void Set(TObject& object, const FormProperty& p) {
    TObject* target = &object;
    std::string_view path = p.path;
    std::size_t dot;
    while ((dot = path.find('.')) != std::string_view::npos) {
      const std::string_view part = path.substr(0, dot);
      const PropInfo* sub = target->ClassType().FindProp(part);
      if (!sub) Fail(p.line, target->ClassName() + " has no property " + std::string(part));
      if (sub->kind != PropKind::Class || sub->isReference)
        Fail(p.line, "'" + std::string(part) + "' has no properties of its own");
      target = sub->getObj(*target);
      if (!target) Fail(p.line, "'" + std::string(part) + "' is empty");
      path.remove_prefix(dot + 1);
    }
    const PropInfo* prop = target->ClassType().FindProp(path);
    if (!prop) Fail(p.line, target->ClassName() + " has no property " + std::string(path));
    if (prop->kind == PropKind::Class) return SetObject(*target, *prop, p);
    try {
      SetPropValue(*target, *prop, p.value, &root_, p.path);
    } catch (const EPropValueError& e) {
      Fail(p.line, e.Message());
    }
  }

  void SetObject(TObject& target, const PropInfo& prop, const FormProperty& p) {
    const FormValue& v = p.value;
    using T = FormValue::Type;
    if (prop.isReference) {
      if (v.type != T::Identifier) Fail(p.line, "expected a component name for '" + p.path + "'");
      fixups_.push_back({&target, &prop, v, p.line});
      return;
    }
    TObject* sub = prop.getObj(target);
    if (!sub) Fail(p.line, "'" + p.path + "' is empty");
    if (v.type == T::List && dynamic_cast<TStrings*>(sub)) {
      dynamic_cast<TStrings*>(sub)->SetStrings(v.items);
    } else if (v.type == T::List && !v.items.empty()) {
      Fail(p.line, "'" + p.path + "' takes no list of strings");
    } else if (v.type == T::Collection || (v.type == T::List && v.items.empty())) {
      auto* collection = dynamic_cast<TCollection*>(sub);
      if (!collection) Fail(p.line, "'" + p.path + "' is no collection");
      collection->Clear();
      for (const FormItem& item : v.collection) Apply(*collection->Add(), item.properties);
    } else if (v.type == T::Resource) {
      auto* loadable = dynamic_cast<IResourceLoadable*>(sub);
      if (!loadable) Fail(p.line, "'" + p.path + "' takes no resource");
      loadable->LoadFromResourceName(v.text);
    } else {
      Fail(p.line, "expected a list, collection or @resource for '" + p.path + "'");
    }
  }

  void Resolve(const Fixup& f) {
    try {
      SetPropValue(*f.object, *f.prop, f.target, &root_, f.prop->name);
    } catch (const EPropValueError& e) {
      Fail(f.line, e.Message());
    } catch (const Exception& e) {
      Fail(f.line, "'" + f.prop->name + "': " + e.Message());
    }
  }

  TComponent& root_;
  std::vector<TComponent*> created_;
  std::vector<Fixup> fixups_;
};

// -- writing --------------------------------------------------------------------------

class Writer {
 public:
  explicit Writer(const TComponent& root) : root_(root) {}

  std::string Write() {
    out_ += root_.Name() + ": " + root_.ClassName() + " {\n";
    Props(root_, "", 1);
    for (int i = 0; i < root_.ComponentCount(); ++i) {
      const TComponent* c = root_.Components(i);
      const TComponent* parent = c->GetParentComponent();
      if (!parent || parent == &root_) Object(*c, 1);
    }
    out_ += "}\n";
    return out_;
  }

 private:
  void Indent(int depth) { out_.append(static_cast<std::size_t>(depth) * 2, ' '); }

  void Object(const TComponent& c, int depth) {
    Indent(depth);
    out_ += c.Name() + ": " + c.ClassName() + " {\n";
    Props(c, "", depth + 1);
    for (int i = 0; i < root_.ComponentCount(); ++i) {
      const TComponent* child = root_.Components(i);
      if (child->GetParentComponent() == &c) Object(*child, depth + 1);
    }
    Indent(depth);
    out_ += "}\n";
  }

  void Line(int depth, const std::string& path, const std::string& value) {
    Indent(depth);
    out_ += path + ": " + value + "\n";
  }

  // A value taken from the parent (ParentColor, ParentFont, ParentShowHint) is not the
  // object's own: writing it would turn the following off when read back.
  static bool Inherited(const TObject& o, const PropInfo& p) {
    const char* flag = SameText(p.name, "Color") ? "ParentColor"
                       : SameText(p.name, "Font") ? "ParentFont"
                       : SameText(p.name, "ShowHint") ? "ParentShowHint" : nullptr;
    if (!flag) return false;
    const PropInfo* parent = o.ClassType().FindProp(flag);
    return parent && parent->getOrd && parent->getOrd(o) != 0;
  }

  void Props(const TObject& o, const std::string& prefix, int depth) {
    for (const PropInfo* p : o.ClassType().AllProps()) {
      if (SameText(p->name, "Name") || Inherited(o, *p)) continue;
      const std::string path = prefix + p->name;
      if (p->kind == PropKind::Class && !p->isReference) {
        if (const TObject* sub = p->getObj(o)) SubObject(*sub, path, depth);
        continue;
      }
      if (p->kind == PropKind::Method || !p->Writable() || (!p->alwaysStored && HoldsDefault(o, *p))) continue;
      Line(depth, path, PropValueText(o, *p, PropSpelling::Form, &root_));
    }
  }

  // An owned sub-object: its lines, items, picture or properties.
  void SubObject(const TObject& sub, const std::string& path, int depth) {
    if (const auto* strings = dynamic_cast<const TStrings*>(&sub)) {
      if (strings->Count() == 0) return;
      std::string text = "[";
      for (int i = 0; i < strings->Count(); ++i) text += (i ? ", " : "") + FormStringText(strings->Get(i));
      Line(depth, path, text + "]");
    } else if (const auto* collection = dynamic_cast<const TCollection*>(&sub)) {
      if (collection->Count() == 0) return;
      Indent(depth);
      out_ += path + ": [\n";
      for (int i = 0; i < collection->Count(); ++i) {
        Indent(depth + 1);
        out_ += "{\n";
        Props(*collection->Item(i), "", depth + 2);
        Indent(depth + 1);
        out_ += "}\n";
      }
      Indent(depth);
      out_ += "]\n";
    } else if (const auto* res = dynamic_cast<const IResourceLoadable*>(&sub)) {
      if (!res->ResourceName().empty()) Line(depth, path, "@" + res->ResourceName());
    } else if (!dynamic_cast<const TComponent*>(&sub)) {
      Props(sub, path + ".", depth);
    }
  }

  const TComponent& root_;
  std::string out_;
};

}  // namespace

FormObject ParseForm(std::string_view text) {
  const TraceScope trace("parse form");
  return Parser(text).Form();
}

void LoadForm(TComponent& root, const FormObject& description) {
  const TraceScope trace(TraceEnabled() ? "load form " + description.name : std::string());
  Loader(root).Load(description);
}

void LoadFormText(TComponent& root, std::string_view text) { LoadForm(root, ParseForm(text)); }

std::string WriteForm(const TComponent& root) { return Writer(root).Write(); }

}  // namespace dorvane
