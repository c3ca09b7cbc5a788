#include "ui/views/progress_bar_model.h"

#include <algorithm>

namespace orvane::ui {

int ProgressBarModel::Clamped(int value) const {
  return max_ > min_ ? std::clamp(value, min_, max_) : min_;
}

void ProgressBarModel::SetMin(int value) {
  min_ = value;
  position_ = Clamped(position_);
  RangeChanged();
}

void ProgressBarModel::SetMax(int value) {
  max_ = value;
  position_ = Clamped(position_);
  RangeChanged();
}

void ProgressBarModel::SetPosition(int value) {
  position_ = Clamped(value);
  PositionChanged();
}

void ProgressBarModel::StepIt() {
  // A step never wraps round past the maximum (the window control's own step would).
  SetPosition(std::min(position_ + 1, max_));
}

void ProgressBarModel::Assume(int min, int max, int position) {
  min_ = min;
  max_ = max;
  position_ = position;
}

}  // namespace orvane::ui
