// A window of the program with one glyph button that ends it: the progress window's Close and the
// testing window's OK. Both are created hidden at start-up and kept until the end.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "app/icons.h"
#include "app/win32/bitmaps.h"
#include "app/win32/win32_window.h"

namespace orvane::app {

// Draws the button with its glyph, runs FormActivate on the activation that follows the window's
// being shown (not when the user comes back to it from another program or window), and takes the
// system's close (Alt+F4) as a click on the button, and only while the button is
// shown: the button's handler is what enables the main window again. Enter (IDOK from the
// keyboard navigation) presses the button too when it is the window's default button and shown.
class OneButtonWindow : public Window {
 public:
  HWND BitBtn1 = nullptr;

  bool ButtonVisible() const;
  void SetButtonVisible(bool visible);

  virtual void FormActivate() = 0;  // when the window becomes active after being shown
  virtual void BitBtn1Click() = 0;  // the button

 protected:
  OneButtonWindow(int buttonId, Picture glyph, bool defaultButton)
      : buttonId_(buttonId),
        glyph_(std::move(glyph)),
        icon_(MakeIcon(glyph_)),
        defaultButton_(defaultButton) {}
  // Makes the button, shown or hidden; once the window exists.
  void CreateButton(const std::string& caption, const Bounds& bounds, bool visible);

  bool OnCommand(int id, int code, HWND control) override;
  bool OnDrawItem(DRAWITEMSTRUCT& item) override;
  void OnActivate(bool active) override;
  bool OnClose() override;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  int buttonId_;
  Picture glyph_;
  // The glyph as the button carries it, for painters that draw the button anew.
  UniqueIcon icon_;
  bool defaultButton_;
  // Shown and not yet activated since.
  bool activationPending_ = false;
};

}  // namespace orvane::app
