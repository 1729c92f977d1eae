#pragma once
// Menu items and popup menus. A popup menu builds its system menu from its items when it
// opens; one shared hidden window owns every popup and hands commands, item drawing and
// measuring to the menu an item belongs to.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Classes.h"
#include "framework/Graphics.h"
#include "framework/ImageList.h"

namespace dorvane {

class TMenu;

class TMenuItem : public TComponent {
  DORVANE_CLASS(TMenuItem)
 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption) { caption_ = caption; }
  bool Checked() const { return checked_; }
  void SetChecked(bool checked) { checked_ = checked; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible) { visible_ = visible; }
  bool Default() const { return default_; }
  void SetDefault(bool value) { default_ = value; }
  bool RadioItem() const { return radioItem_; }
  void SetRadioItem(bool value) { radioItem_ = value; }
  bool AutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool value) { autoCheck_ = value; }
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int value) { groupIndex_ = value; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint) { hint_ = hint; }
  int ShortCut() const { return shortCut_; }
  void SetShortCut(int shortCut) { shortCut_ = shortCut; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int index) { imageIndex_ = index; }
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int value) { helpContext_ = value; }
  TBitmap& Bitmap() { return bitmap_; }
  const TBitmap& Bitmap() const { return bitmap_; }
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }
  bool IsLine() const { return caption_ == "-"; }

  // Sub-items.
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const { return items_.at(static_cast<std::size_t>(index)); }
  TMenuItem* Parent() const { return parent_; }
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  // Detaches an item (the caller then owns its lifetime through its owner).
  void Remove(TMenuItem* item);
  // Frees the sub-items.
  void Clear();
  int IndexOf(const TMenuItem* item) const;
  int MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }
  // The menu the item belongs to (through its parents), or null.
  TMenu* GetMenu() const;

  // The identifier of the item in system menus (unique while the item lives).
  UINT Command() const { return command_; }
  static TMenuItem* FromCommand(UINT command);
  // The system submenu last built for this item's sub-items, or null.
  HMENU SubmenuHandle() const { return submenu_; }

  // What a click does: toggles an AutoCheck item, then OnClick.
  virtual void Click();
  TNotifyEvent OnClick;

  void SetParentComponent(TComponent* parent) override;
  TComponent* GetParentComponent() const override;

 private:
  friend class TMenu;
  std::string caption_;
  bool checked_ = false, enabled_ = true, visible_ = true, default_ = false, radioItem_ = false, autoCheck_ = false;
  int groupIndex_ = 0;
  std::string hint_;
  int shortCut_ = 0;
  int imageIndex_ = -1;
  int helpContext_ = 0;
  TBitmap bitmap_;
  int tag_ = 0;
  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;  // set on the root item of a menu
  UINT command_;
  HMENU submenu_ = nullptr;
};

// A menu: a root item whose sub-items are the menu's entries.
class TMenu : public TComponent {
  DORVANE_CLASS(TMenu)
 public:
  explicit TMenu(TComponent* owner);
  ~TMenu() override;
  TMenuItem* Items() const { return items_; }
  TImageList* Images() const { return images_; }
  void SetImages(TImageList* images);

  // Builds the system menu of the current items (visible items only; owner-drawn when
  // OwnerDraw() says so). The caller owns the handle.
  UniqueHmenu BuildMenu();
  // A command of a system menu built by this menu: clicks its item; false when the
  // command is not one of this menu's.
  bool DispatchCommand(UINT command);
  // Finds an item of this menu by command or by submenu handle.
  TMenuItem* FindItem(UINT command) const;
  TMenuItem* FindItemBySubmenu(HMENU submenu) const;

  // Owner drawing (a styled menu overrides these).
  virtual bool OwnerDraw() const { return false; }
  virtual bool MeasureItem(TMenuItem* item, MEASUREITEMSTRUCT& mis) { (void)item; (void)mis; return false; }
  virtual bool DrawItem(TMenuItem* item, DRAWITEMSTRUCT& dis) { (void)item; (void)dis; return false; }

  // The hidden window every popup menu uses as its owner.
  static HWND PopupListWindow();

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void BuildInto(HMENU menu, TMenuItem* parent);
  TMenuItem* items_;
  TImageList* images_ = nullptr;
};

enum TPopupAlignment { paLeft, paRight, paCenter };
enum TTrackButton { tbRightButton, tbLeftButton };

class TPopupMenu : public TMenu {
  DORVANE_CLASS(TPopupMenu)
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;
  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool value) { autoPopup_ = value; }
  TPopupAlignment Alignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment value) { alignment_ = value; }
  TTrackButton TrackButton() const { return trackButton_; }
  void SetTrackButton(TTrackButton value) { trackButton_ = value; }
  TComponent* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(TComponent* component) { popupComponent_ = component; }
  POINT PopupPoint() const { return popupPoint_; }

  // Raises OnPopup, then shows the menu at a screen point and returns when it closes.
  virtual void Popup(int x, int y);
  TNotifyEvent OnPopup;

 protected:
  UINT TrackFlags() const;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  bool autoPopup_ = true;
  TPopupAlignment alignment_ = paLeft;
  TTrackButton trackButton_ = tbRightButton;
  TComponent* popupComponent_ = nullptr;
  POINT popupPoint_{-1, -1};
};

}  // namespace dorvane
