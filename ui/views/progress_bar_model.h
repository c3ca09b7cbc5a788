// The state of a progress bar, the same behind every bar (the window's control, the console's
// line, the in-memory one): a range, and a position that always stays within it, as the
// window's control keeps it. A bar that shows the state somewhere hears of each change.
#pragma once

#include "ui/views/views.h"

namespace orvane::ui {

class ProgressBarModel : public ProgressBarView {
 public:
  void SetMin(int value) override;
  void SetMax(int value) override;
  // Kept within the range; an empty or reversed range holds the position at its minimum.
  void SetPosition(int value) override;
  int Min() const override { return min_; }
  int Max() const override { return max_; }
  int Position() const override { return position_; }
  void StepIt() override;

 protected:
  // Takes the state a control already shows, without telling anyone.
  void Assume(int min, int max, int position);
  // After the range changed (the position is already kept within the new one).
  virtual void RangeChanged() {}
  // After SetPosition or StepIt, whether or not the position moved.
  virtual void PositionChanged() {}

 private:
  int Clamped(int value) const;

  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
};

}  // namespace orvane::ui
