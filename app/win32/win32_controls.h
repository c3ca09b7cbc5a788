// Win32 controls behind the portable views of ui/views/views.h.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/views/progress_bar_model.h"
#include "ui/views/views.h"

namespace orvane::app {

// A combo box with an editable text (CBS_DROPDOWN).
class Win32ComboBox : public ui::ComboBoxView {
 public:
  void Attach(HWND handle) { handle_ = handle; }
  HWND Handle() const { return handle_; }

  int ItemCount() const override;
  std::string Item(int index) const override;
  void AddItem(const std::string& text) override;
  std::string Text() const override;
  void SetItemIndex(int index) override;
  int ItemIndex() const override;

 private:
  HWND handle_ = nullptr;
};

// A check box. Every change of the state, by the user or by SetChecked, calls OnChange.
class Win32CheckBox : public ui::CheckBoxView {
 public:
  void Attach(HWND handle) { handle_ = handle; }
  HWND Handle() const { return handle_; }
  std::function<void()> OnChange;

  bool Checked() const override;
  void SetChecked(bool checked) override;

 private:
  HWND handle_ = nullptr;
};

// A group box holding one radio button per item, in one column.
class Win32RadioGroup : public ui::RadioGroupView {
 public:
  void Attach(HWND groupBox, std::vector<HWND> buttons);
  HWND Handle() const { return groupBox_; }
  int ItemCount() const { return static_cast<int>(buttons_.size()); }
  HWND Button(int index) const { return buttons_.at(static_cast<std::size_t>(index)); }

  int ItemIndex() const override;
  // -1 clears every button; an index out of range is ignored.
  void SetItemIndex(int index) override;

 private:
  HWND groupBox_ = nullptr;
  std::vector<HWND> buttons_;
};

class Win32StatusBar : public ui::StatusBarView {
 public:
  void Attach(HWND handle) { handle_ = handle; }
  HWND Handle() const { return handle_; }

  std::string PanelText(int panel) const override;
  void SetPanelText(int panel, const std::string& text) override;
  void Repaint() override;

 private:
  HWND handle_ = nullptr;
};

// The model keeps the range and the position, and the control is told a new position only when its
// picture changes: the control repaints at once for every position it gets (under Wine about
// half a millisecond), which for one step per downloaded byte took longer than the transfer.
// The range is kept as the control's (0 to 100 when it is made); set it through this object.
class Win32ProgressBar : public ui::ProgressBarModel {
 public:
  void Attach(HWND handle);
  HWND Handle() const { return handle_; }

 protected:
  void RangeChanged() override;
  void PositionChanged() override;

 private:
  // The filled width in pixels that `position` gives.
  int FilledPixels(int position) const;

  HWND handle_ = nullptr;
  int shownPosition_ = 0;
};

// Repaints a window and its children at once, without waiting for the message loop.
void RepaintNow(HWND window);

}  // namespace orvane::app
