// The small interfaces through which the portable logic (board link, transfers, download
// commands, tests of the board) reaches the windows' controls. The Windows program implements
// them with real controls, the command-line tool with console stand-ins, the tests with recording
// fakes.
#pragma once

#include <string>

namespace orvane::ui {

// A combo box whose text can be chosen from its list or typed.
class ComboBoxView {
 public:
  virtual ~ComboBoxView() = default;
  virtual int ItemCount() const = 0;
  virtual std::string Item(int index) const = 0;
  virtual void AddItem(const std::string& text) = 0;
  // The text the box shows, whatever its origin.
  virtual std::string Text() const = 0;
  // Selects an entry; -1 selects none, and the shown text becomes empty.
  virtual void SetItemIndex(int index) = 0;
  virtual int ItemIndex() const = 0;
};

class CheckBoxView {
 public:
  virtual ~CheckBoxView() = default;
  virtual bool Checked() const = 0;
  virtual void SetChecked(bool checked) = 0;
};

class RadioGroupView {
 public:
  virtual ~RadioGroupView() = default;
  virtual int ItemIndex() const = 0;
  virtual void SetItemIndex(int index) = 0;
};

class StatusBarView {
 public:
  virtual ~StatusBarView() = default;
  virtual std::string PanelText(int panel) const = 0;
  virtual void SetPanelText(int panel, const std::string& text) = 0;
  // Repaints at once, without waiting for the message loop.
  virtual void Repaint() = 0;
};

class ProgressBarView {
 public:
  virtual ~ProgressBarView() = default;
  virtual void SetMin(int value) = 0;
  virtual void SetMax(int value) = 0;
  virtual void SetPosition(int value) = 0;
  virtual int Min() const = 0;
  virtual int Max() const = 0;
  virtual int Position() const = 0;
  // Advances the position by the bar's step (1), never past the maximum.
  virtual void StepIt() = 0;
};

// A top-level window as the logic sees it.
class WindowView {
 public:
  virtual ~WindowView() = default;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  virtual void Repaint() = 0;
};

// The progress window ("Downloading Information") as the download run sees it: a bold label, the
// bar, and a Close button that stays hidden while a run is under way.
class ProgressWindowView {
 public:
  virtual ~ProgressWindowView() = default;
  virtual std::string LabelText() const = 0;
  virtual void SetLabelText(const std::string& text) = 0;
  virtual bool CloseButtonVisible() const = 0;
  virtual void SetCloseButtonVisible(bool visible) = 0;
  virtual ProgressBarView& ProgressBar() = 0;
  // Shows the window (not modal) and makes it the active window, which runs its FormActivate.
  virtual void Show() = 0;
  // Runs its FormClose, then hides it; the window is never destroyed.
  virtual void Close() = 0;
  // Repaints at once, without waiting for the message loop.
  virtual void Repaint() = 0;
  virtual bool Visible() const = 0;
};

// The modal "Error" message box (error icon, one OK button); returns when the user closed it.
class ErrorReporter {
 public:
  virtual ~ErrorReporter() = default;
  virtual void ShowError(const std::string& text) = 0;
};

// The Recent Files sub-menu. A click on an item reaches the main window's RecentFileClick with
// the item's group index, its position in the sub-menu.
class RecentFilesMenuView {
 public:
  virtual ~RecentFilesMenuView() = default;
  // Removes and destroys every item.
  virtual void Clear() = 0;
  // Appends an item (the main window owns it); imageIndex -1 means no image.
  virtual void AddItem(const std::string& caption, const std::string& name, int groupIndex,
                       int imageIndex) = 0;
  virtual int ItemCount() const = 0;
  virtual std::string ItemCaption(int position) const = 0;
};

// The owner-drawn menu painter: it hooks the menu items present when it is activated.
class MenuPainterView {
 public:
  virtual ~MenuPainterView() = default;
  virtual void Activate() = 0;
  virtual void Deactivate() = 0;
};

// The file-open dialog.
class OpenDialogView {
 public:
  virtual ~OpenDialogView() = default;
  // The folder the dialog starts in; one that does not exist leaves the choice to the platform.
  virtual void SetInitialDir(const std::string& folder) = 0;
  virtual std::string InitialDir() const = 0;
};

}  // namespace orvane::ui
