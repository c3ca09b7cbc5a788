// Win32 controls behind the portable views of app/window_interfaces.h.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/window_interfaces.h"

namespace orvane::app {

// A combo box with an editable text (CBS_DROPDOWN).
class Win32ComboBox : public ComboBoxView {
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
class Win32CheckBox : public CheckBoxView {
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
class Win32RadioGroup : public RadioGroupView {
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

class Win32StatusBar : public StatusBarView {
 public:
  void Attach(HWND handle) { handle_ = handle; }
  HWND Handle() const { return handle_; }

  std::string PanelText(int panel) const override;
  void SetPanelText(int panel, const std::string& text) override;
  void Repaint() override;

 private:
  HWND handle_ = nullptr;
};

class Win32ProgressBar : public ProgressBarView {
 public:
  void Attach(HWND handle) { handle_ = handle; }
  HWND Handle() const { return handle_; }

  void SetMin(int value) override;
  void SetMax(int value) override;
  void SetPosition(int value) override;
  int Min() const override;
  int Max() const override;
  int Position() const override;
  void StepIt() override;

 private:
  HWND handle_ = nullptr;
};

// Repaints a window and its children at once, without waiting for the message loop.
void RepaintNow(HWND window);

}  // namespace orvane::app
