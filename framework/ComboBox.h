#pragma once
// The system combo box: a drop-down list (the default) or an edit with a drop-down list.
// Its items live here as well as in the window, so they can be set before the window
// exists. A drop-down list can show a text that is none of its items (with no item
// selected): the program shows "no drive selected" that way.
#include <memory>
#include <string>
#include <vector>

#include "framework/Controls.h"

namespace dorvane {

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };
const EnumType& ComboBoxStyleType();

class TComboBox;

// The items of a combo box; changes go to the window at once.
class TComboBoxStrings : public TStrings {
 public:
  explicit TComboBoxStrings(TComboBox& combo) : combo_(combo) {}
  int Count() const override { return static_cast<int>(items_.size()); }
  std::string Get(int index) const override;
  void Put(int index, const std::string& text) override;
  // In a sorted combo box the item goes to its sorted place, whatever the index.
  void Insert(int index, const std::string& text) override;
  void Delete(int index) override;
  void Clear() override;

 private:
  friend class TComboBox;
  void CheckIndex(int index, bool insert) const;
  TComboBox& combo_;
  std::vector<std::string> items_;
};

class TComboBox : public TWinControl {
  DORVANE_CLASS(TComboBox)
 public:
  explicit TComboBox(TComponent* owner);
  ~TComboBox() override;

  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle style);
  TStrings& Items() { return *items_; }
  const TStrings& Items() const { return *items_; }
  // The selected item, -1 for none. Setting it by program raises no OnChange; an index
  // out of range selects nothing.
  int ItemIndex() const;
  void SetItemIndex(int index);
  // The selected item's text, or the text shown without a selection. Setting it selects
  // the item of that text (ignoring case) or, when there is none, shows the text with no
  // item selected.
  std::string Text() const;
  void SetText(const std::string& text);
  int DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int count);
  // Items kept in alphabetical order (ignoring case).
  bool Sorted() const { return sorted_; }
  void SetSorted(bool value);
  // Empties the items and the text.
  void Clear();

  // The user picked an item (or typed, in an editable combo box).
  TNotifyEvent OnChange;

  void Loaded() override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;
  void HandleDestroying() override;
  bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void FontChanged() override;

 private:
  friend class TComboBoxStrings;
  bool OwnerDrawn() const { return style_ == csDropDownList; }
  void SetItemHeights();
  void DrawItem(const DRAWITEMSTRUCT& item);
  void ShowText();
  // Called by the items after a change.
  void ItemInserted(int index);
  void ItemDeleted(int index);
  void ItemsCleared();

  std::unique_ptr<TComboBoxStrings> items_;
  TComboBoxStyle style_ = csDropDownList;
  int itemIndex_ = -1;
  std::string text_;  // shown without a selection (drop-down list) / the edit's text
  int dropDownCount_ = 8;
  bool sorted_ = false;
};

}  // namespace dorvane
