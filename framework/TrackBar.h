#pragma once
// The system track bar. Its position always lies within Min..Max; every change of the
// position raises OnChange, whether the user moved the thumb or the program (or a change
// of Min or Max) moved it.
#include "framework/Controls.h"

namespace dorvane {

enum TTrackBarOrientation { trHorizontal, trVertical };
const EnumType& TrackBarOrientationType();
enum TTickStyle { tsNone, tsAuto, tsManual };
const EnumType& TickStyleType();
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
const EnumType& TickMarkType();

class TTrackBar : public TWinControl {
  DORVANE_CLASS(TTrackBar)
 public:
  explicit TTrackBar(TComponent* owner);
  ~TTrackBar() override;

  int Min() const { return min_; }
  void SetMin(int value);
  int Max() const { return max_; }
  void SetMax(int value);
  int Position() const { return position_; }
  void SetPosition(int value);
  TTrackBarOrientation Orientation() const { return orientation_; }
  void SetOrientation(TTrackBarOrientation value);
  TTickStyle TickStyle() const { return tickStyle_; }
  void SetTickStyle(TTickStyle value);
  TTickMark TickMarks() const { return tickMarks_; }
  void SetTickMarks(TTickMark value);
  int ThumbLength() const { return thumbLength_; }
  void SetThumbLength(int value);
  // Every Frequency-th value gets a tick mark (tsAuto).
  int Frequency() const { return frequency_; }
  void SetFrequency(int value);
  int PageSize() const { return pageSize_; }
  void SetPageSize(int value);
  int LineSize() const { return lineSize_; }
  void SetLineSize(int value);

  TNotifyEvent OnChange;

  void Loaded() override;
  void ChangeScale(int fromDpi, int toDpi) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;
  bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  // Applies a range and position, clamped, and raises OnChange when the position moved.
  void SetParams(int min, int max, int position);
  void RecreateWindow();

  int min_ = 0;
  int max_ = 10;
  int position_ = 0;
  TTrackBarOrientation orientation_ = trHorizontal;
  TTickStyle tickStyle_ = tsAuto;
  TTickMark tickMarks_ = tmBottomRight;
  int thumbLength_ = 20;
  int frequency_ = 1;
  int pageSize_ = 2;
  int lineSize_ = 1;
};

}  // namespace dorvane
