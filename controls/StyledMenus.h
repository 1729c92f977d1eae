#pragma once
// A popup menu that measures and draws its own items: glyphs from an image list or from a
// graphic an event supplies, check marks, shortcut texts, separators, and the item under
// the mouse marked either with the highlight colours or, in the button styles, with a
// one-pixel 3-D frame around an item that keeps the menu's colours. The framework's shared
// popup window delivers the drawing, measuring and command messages to the menu an item
// belongs to.
#include <cstdint>
#include <functional>
#include <string>

#include "framework/Graphics.h"
#include "framework/Menus.h"

namespace dorvane {

enum TMenuStyle { msStandard, msOwnerDraw, msBtnLowered, msBtnRaised };
const EnumType& MenuStyleType();

// ODS_ bits of the system's item state (ODS_SELECTED, ODS_GRAYED, ODS_DISABLED,
// ODS_CHECKED, ODS_DEFAULT, ...).
using TOwnerDrawState = std::uint32_t;

using TMenuGetImageIndexEvent =
    std::function<void(TObject* sender, TMenuItem* item, TOwnerDrawState state, int& imageIndex)>;
using TMenuDrawItemEvent =
    std::function<void(TObject* sender, TCanvas& canvas, TMenuItem* item, const RECT& rect, TOwnerDrawState state)>;
using TMenuDrawMarginEvent = std::function<void(TObject* sender, TCanvas& canvas, const RECT& rect)>;
using TMenuGetItemParamsEvent = std::function<void(TObject* sender, TMenuItem* item, TOwnerDrawState state,
                                                   TFont& font, TColor& color, TGraphic*& graphic, int& numGlyphs)>;
using TMenuMeasureItemEvent = std::function<void(TObject* sender, TMenuItem* item, int& width, int& height)>;

// The text of a shortcut value (key code with 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt):
// "Ctrl+S", "Shift+F2", "Del"; empty for 0.
std::string ShortCutToText(int shortCut);

class TStyledPopupMenu : public TPopupMenu {
  DORVANE_CLASS(TStyledPopupMenu)
 public:
  explicit TStyledPopupMenu(TComponent* owner);
  ~TStyledPopupMenu() override;

  TMenuStyle Style() const { return style_; }
  void SetStyle(TMenuStyle style) { style_ = style; }  // takes effect at the next popup
  bool ShowCheckMarks() const { return showCheckMarks_; }
  void SetShowCheckMarks(bool value) { showCheckMarks_ = value; }
  unsigned LeftMargin() const { return leftMargin_; }
  void SetLeftMargin(unsigned value) { leftMargin_ = value; }
  unsigned MinTextOffset() const { return minTextOffset_; }
  void SetMinTextOffset(unsigned value) { minTextOffset_ = value; }
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor) { cursor_ = cursor; }

  // Owner drawn exactly when the style is not msStandard or the image list holds an image.
  bool OwnerDraw() const override;
  bool MeasureItem(TMenuItem* item, MEASUREITEMSTRUCT& mis) override;
  bool DrawItem(TMenuItem* item, DRAWITEMSTRUCT& dis) override;
  TCursor MenuCursor() const override { return cursor_; }

  // Size of an item as the system will be told it (measured on the screen).
  SIZE MeasureItem(TMenuItem* item);
  // Draws an item into a device context as the system asks for it.
  void DrawItem(TMenuItem* item, HDC dc, const RECT& rect, TOwnerDrawState state, bool entire = true);

  TMenuGetImageIndexEvent OnGetImageIndex;
  TMenuDrawItemEvent OnDrawItem;
  TMenuDrawMarginEvent OnDrawMargin;
  TMenuGetItemParamsEvent OnGetItemParams;
  TMenuMeasureItemEvent OnMeasureItem;

 private:
  struct ItemParams;
  void Params(TMenuItem* item, TOwnerDrawState state, bool drawing, ItemParams& params);
  bool IsFirstLevel(const TMenuItem* item) const;
  int GlyphColumn() const;
  int CaptionColumn(TCanvas& canvas, TMenuItem* item);
  void DrawMargin(TCanvas& canvas, const RECT& rect);

  TMenuStyle style_ = msStandard;
  bool showCheckMarks_ = true;
  unsigned leftMargin_ = 0;
  unsigned minTextOffset_ = 0;
  TCursor cursor_ = crDefault;
};

}  // namespace dorvane
