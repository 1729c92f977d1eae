#include "framework/TrackBar.h"
#include "core/DisplayScale.h"

#include <algorithm>

#include "framework/ClassBuilder.h"

namespace dorvane {

const EnumType& TrackBarOrientationType() {
  static const EnumType t{"TTrackBarOrientation", {"trHorizontal", "trVertical"}};
  return t;
}

const EnumType& TickStyleType() {
  static const EnumType t{"TTickStyle", {"tsNone", "tsAuto", "tsManual"}};
  return t;
}

const EnumType& TickMarkType() {
  static const EnumType t{"TTickMark", {"tmBottomRight", "tmTopLeft", "tmBoth"}};
  return t;
}

const ClassInfo& TTrackBar::StaticClass() {
  static const ClassInfo info =
      ClassBuilder<TTrackBar>("TTrackBar", &TWinControl::StaticClass())
          .Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, true)
          .Int("Max", &TTrackBar::Max, &TTrackBar::SetMax, 10)
          .Int("Min", &TTrackBar::Min, &TTrackBar::SetMin, 0)
          .Enum("Orientation", &TTrackBar::Orientation, &TTrackBar::SetOrientation, TrackBarOrientationType(),
                trHorizontal)
          .Int("Frequency", &TTrackBar::Frequency, &TTrackBar::SetFrequency, 1)
          .Int("LineSize", &TTrackBar::LineSize, &TTrackBar::SetLineSize, 1)
          .Int("PageSize", &TTrackBar::PageSize, &TTrackBar::SetPageSize, 2)
          .Int("Position", &TTrackBar::Position, &TTrackBar::SetPosition, 0)
          .Int("ThumbLength", &TTrackBar::ThumbLength, &TTrackBar::SetThumbLength, 20)
          .Enum("TickMarks", &TTrackBar::TickMarks, &TTrackBar::SetTickMarks, TickMarkType(), tmBottomRight)
          .Enum("TickStyle", &TTrackBar::TickStyle, &TTrackBar::SetTickStyle, TickStyleType(), tsAuto)
          .Event("OnChange", &TTrackBar::OnChange)
          .Build();
  return info;
}

TTrackBar::TTrackBar(TComponent* owner) : TWinControl(owner) {
  SetParentColor(true);
  SetTabStop(true);
}

TTrackBar::~TTrackBar() = default;

void TTrackBar::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.className = TRACKBAR_CLASSW;
  p.style |= WS_TABSTOP | TBS_FIXEDLENGTH;
  p.style |= orientation_ == trVertical ? TBS_VERT : TBS_HORZ;
  switch (tickStyle_) {
    case tsNone: p.style |= TBS_NOTICKS; break;
    case tsAuto: p.style |= TBS_AUTOTICKS; break;
    case tsManual: break;
  }
  switch (tickMarks_) {
    case tmBottomRight: p.style |= orientation_ == trVertical ? TBS_RIGHT : TBS_BOTTOM; break;
    case tmTopLeft: p.style |= orientation_ == trVertical ? TBS_LEFT : TBS_TOP; break;
    case tmBoth: p.style |= TBS_BOTH; break;
  }
}

void TTrackBar::HandleCreated() {
  HWND wnd = Handle();
  SendMessageW(wnd, TBM_SETTHUMBLENGTH, static_cast<WPARAM>(thumbLength_), 0);
  SendMessageW(wnd, TBM_SETRANGEMIN, FALSE, min_);
  SendMessageW(wnd, TBM_SETRANGEMAX, FALSE, max_);
  SendMessageW(wnd, TBM_SETLINESIZE, 0, lineSize_);
  SendMessageW(wnd, TBM_SETPAGESIZE, 0, pageSize_);
  if (tickStyle_ == tsAuto) SendMessageW(wnd, TBM_SETTICFREQ, static_cast<WPARAM>(frequency_), 0);
  SendMessageW(wnd, TBM_SETPOS, TRUE, position_);
}

void TTrackBar::RecreateWindow() {
  if (!HandleAllocated()) return;
  DestroyHandle();
  CreateWnd();
}

void TTrackBar::SetParams(int min, int max, int position) {
  if (IsLoading()) {  // Min, Max and Position come in any order; Loaded settles them
    min_ = min;
    max_ = max;
    position_ = position;
    return;
  }
  if (max < min) max = min;
  position = std::clamp(position, min, max);
  const bool moved = position != position_;
  min_ = min;
  max_ = max;
  position_ = position;
  if (HandleAllocated()) {
    HWND wnd = Handle();
    SendMessageW(wnd, TBM_SETRANGEMIN, FALSE, min_);
    SendMessageW(wnd, TBM_SETRANGEMAX, FALSE, max_);
    SendMessageW(wnd, TBM_SETPOS, TRUE, position_);
  }
  if (moved) Fire(OnChange, this);
}

// Outside loading a minimum above the maximum takes the maximum along, and the other way
// round.
void TTrackBar::SetMin(int value) {
  if (value == min_) return;
  if (IsLoading()) {
    min_ = value;
    return;
  }
  SetParams(value, std::max(max_, value), position_);
}

void TTrackBar::SetMax(int value) {
  if (value == max_) return;
  if (IsLoading()) {
    max_ = value;
    return;
  }
  SetParams(std::min(min_, value), value, position_);
}

void TTrackBar::SetPosition(int value) { SetParams(min_, max_, value); }

void TTrackBar::Loaded() {
  TWinControl::Loaded();
  if (max_ < min_) max_ = min_;
  position_ = std::clamp(position_, min_, max_);
  if (HandleAllocated()) HandleCreated();
}

void TTrackBar::SetOrientation(TTrackBarOrientation value) {
  if (value == orientation_) return;
  orientation_ = value;
  RecreateWindow();
}

void TTrackBar::SetTickStyle(TTickStyle value) {
  if (value == tickStyle_) return;
  tickStyle_ = value;
  RecreateWindow();
}

void TTrackBar::SetTickMarks(TTickMark value) {
  if (value == tickMarks_) return;
  tickMarks_ = value;
  RecreateWindow();
}

void TTrackBar::SetThumbLength(int value) {
  if (value == thumbLength_) return;
  thumbLength_ = value;
  if (HandleAllocated()) SendMessageW(Handle(), TBM_SETTHUMBLENGTH, static_cast<WPARAM>(value), 0);
}

void TTrackBar::SetFrequency(int value) {
  if (value == frequency_) return;
  frequency_ = value;
  if (HandleAllocated() && tickStyle_ == tsAuto) SendMessageW(Handle(), TBM_SETTICFREQ, static_cast<WPARAM>(value), 0);
}

void TTrackBar::SetPageSize(int value) {
  if (value == pageSize_) return;
  pageSize_ = value;
  if (HandleAllocated()) SendMessageW(Handle(), TBM_SETPAGESIZE, 0, value);
}

void TTrackBar::SetLineSize(int value) {
  if (value == lineSize_) return;
  lineSize_ = value;
  if (HandleAllocated()) SendMessageW(Handle(), TBM_SETLINESIZE, 0, value);
}

bool TTrackBar::Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_HSCROLL || msg == WM_VSCROLL) {
    result = 0;
    const int position = static_cast<int>(SendMessageW(Handle(), TBM_GETPOS, 0, 0));
    if (position != position_) {
      position_ = position;
      Fire(OnChange, this);
    }
    return true;
  }
  return TWinControl::Reflected(msg, wp, lp, result);
}

void TTrackBar::ChangeScale(int fromDpi, int toDpi) {
  TWinControl::ChangeScale(fromDpi, toDpi);
  SetThumbLength(RescaleForDpi(thumbLength_, fromDpi, toDpi));
}

}  // namespace dorvane
