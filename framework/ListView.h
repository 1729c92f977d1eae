#pragma once
// The system list view: columns, rows with a caption and sub-item texts, check boxes,
// small images. Rows live here and in the window; a row's text reaches the window only
// when it really changed, so rewriting every row each second costs nothing while the
// figures stay the same.
#include <memory>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/ImageList.h"
#include "framework/ControlDrawing.h"

namespace dorvane {

class TListView;
class TListItems;
class TListItem;

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
const EnumType& ViewStyleType();
enum TItemChange { ctText, ctImage, ctState };

using TLVSelectItemEvent = std::function<void(TObject* sender, TListItem* item, bool selected)>;
using TLVChangeEvent = std::function<void(TObject* sender, TListItem* item, TItemChange change)>;
using TLVCheckedItemEvent = std::function<void(TObject* sender, TListItem* item)>;

class TListColumn : public TCollectionItem {
  DORVANE_CLASS(TListColumn)
 public:
  explicit TListColumn(TCollection* collection);

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  // The width in the window (the user may have dragged it).
  int Width() const;
  void SetWidth(int width);
  // Limits of the width (0: none).
  int MinWidth() const { return minWidth_; }
  void SetMinWidth(int width);
  int MaxWidth() const { return maxWidth_; }
  void SetMaxWidth(int width);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  // Auto-sized columns share the room the other columns leave.
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);

 private:
  friend class TListView;
  TListView* ListView() const;
  int Clamp(int width) const;

  std::string caption_;
  int width_ = 50;
  int minWidth_ = 0;
  int maxWidth_ = 0;
  TAlignment alignment_ = taLeftJustify;
  bool autoSize_ = false;
};

class TListColumns : public TCollection {
 public:
  explicit TListColumns(TListView& owner);
  TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
  TListColumn* Items(int index) const { return static_cast<TListColumn*>(Item(index)); }
  TListView& Owner() const { return owner_; }

 private:
  TListView& owner_;
};

// The sub-item texts of a row (column 1 on). Its change event belongs to the row.
class TListSubItems : public TStringList {};

class TListItem : public TPersistent {
  DORVANE_CLASS(TListItem)
 public:
  explicit TListItem(TListItems& owner);
  ~TListItem() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  TStrings& SubItems() { return *subItems_; }
  const TStrings& SubItems() const { return *subItems_; }
  // The row's check box. Setting it by program raises no OnItemChecked.
  bool Checked() const { return checked_; }
  void SetChecked(bool value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int index);
  bool Selected() const { return selected_; }
  void SetSelected(bool value);
  void* Data() const { return data_; }
  void SetData(void* data) { data_ = data; }
  int Index() const;
  TListItems& Owner() const { return owner_; }
  TListView& ListView() const;
  void Delete();

 private:
  friend class TListView;
  friend class TListItems;
  // Brings the window's texts of this row in line with ours, touching only what differs.
  void SyncSubItems();

  TListItems& owner_;
  std::string caption_;
  std::unique_ptr<TListSubItems> subItems_;
  std::vector<std::string> shown_;  // sub-item texts the window has, one per existing column after the first
  bool checked_ = false;
  bool selected_ = false;
  int imageIndex_ = -1;
  void* data_ = nullptr;
};

class TListItems : public TPersistent {
  DORVANE_CLASS(TListItems)
 public:
  explicit TListItems(TListView& owner);
  ~TListItems() override;

  TListItem* Add();
  TListItem* Insert(int index);
  void Delete(int index);
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  TListItem* Item(int index) const;
  TListItem* operator[](int index) const { return Item(index); }
  int IndexOf(const TListItem* item) const;
  TListView& Owner() const { return owner_; }

 private:
  friend class TListView;
  friend class TListItem;
  TListView& owner_;
  std::vector<std::unique_ptr<TListItem>> items_;
};

class TListView : public TWinControl {
  DORVANE_CLASS(TListView)
 public:
  explicit TListView(TComponent* owner);
  ~TListView() override;

  TListColumns& Columns() { return *columns_; }
  const TListColumns& Columns() const { return *columns_; }
  TListItems& Items() { return *items_; }
  const TListItems& Items() const { return *items_; }

  TViewStyle ViewStyle() const { return viewStyle_; }
  void SetViewStyle(TViewStyle style);
  bool Checkboxes() const { return checkboxes_; }
  void SetCheckboxes(bool value);
  bool RowSelect() const { return rowSelect_; }
  void SetRowSelect(bool value);
  // No editing of the captions in place.
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  bool FlatScrollBars() const { return flatScrollBars_; }
  void SetFlatScrollBars(bool value);
  // The selection is shown only while the list has the focus.
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool value);
  bool GridLines() const { return gridLines_; }
  void SetGridLines(bool value);
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool value);
  // The system list view draws its rows off screen first.
  void SetDoubleBuffered(bool value) override;
  TImageList* SmallImages() const { return smallImages_; }
  void SetSmallImages(TImageList* images);
  // The first selected row, or null.
  TListItem* Selected() const;

  // A row was selected or deselected (also by program).
  TLVSelectItemEvent OnSelectItem;
  // A row's state, text or image changed in the window.
  TLVChangeEvent OnChange;
  // The user ticked or unticked a row's check box.
  TLVCheckedItemEvent OnItemChecked;

 protected:
  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;
  void HandleDestroying() override;
  bool WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void Notification(TComponent* component, TOperation operation) override;
  void ColorChanged() override;
  void FontChanged() override;

 public:
  void ChangeScale(int fromDpi, int toDpi) override;

 private:
  friend class TListItem;
  friend class TListItems;
  friend class TListColumn;
  DWORD ListStyle() const;
  DWORD ExtendedStyle() const;
  void UpdateStyle();
  void UpdateExtendedStyle();
  void UpdateColors();
  void ColumnsChanged(TCollectionItem* column);
  void SetWindowColumn(int index, bool insert);
  void SyncColumns();
  void AutoSizeColumns();
  void InsertWindowItem(int index);
  void SetItemText(int index, int column, const std::string& text);
  void SetItemState(int index, UINT state, UINT mask);
  void ItemChanged(const NMLISTVIEW& change);
  int WindowColumns() const { return windowColumns_; }

  std::unique_ptr<TListColumns> columns_;
  std::unique_ptr<TListItems> items_;
  TViewStyle viewStyle_ = vsIcon;
  bool checkboxes_ = false;
  bool rowSelect_ = false;
  bool readOnly_ = false;
  bool flatScrollBars_ = false;
  bool hideSelection_ = true;
  bool gridLines_ = false;
  bool multiSelect_ = false;
  TImageList* smallImages_ = nullptr;
  int windowColumns_ = 0;   // columns the window has
  int quiet_ = 0;           // our own insertions and deletions: their notifications are ours
};

}  // namespace dorvane
