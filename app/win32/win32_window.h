// A C++ object bound to a Win32 window: one window procedure finds the object at WM_NCCREATE and
// turns messages into typed calls. Every exception that a handler lets escape is caught here and
// handed to the top-level error handler, so it never unwinds through the system's frames.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>

namespace orvane::app {

// Receives every exception that escapes a message handler. Set once by the application.
using TopLevelErrorHandler = std::function<void(std::exception_ptr)>;
void SetTopLevelErrorHandler(TopLevelErrorHandler handler);
// Calls the handler with the current exception (or, without a handler, shows its message).
void ReportEscapedException(std::exception_ptr error);
// The message of an exception: what() of a std::exception, a fixed text for anything else.
std::string ExceptionMessage(std::exception_ptr error);

// Position and size in pixels: left, top, width, height.
struct Bounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND Handle() const { return handle_; }
  // The object of one of our top-level windows; null for any other window.
  static Window* FromHandle(HWND hwnd);
  // Keys this window claims for itself: translated for it before the main window's shortcuts,
  // while it is the active window (null: none).
  virtual HACCEL OwnAccelerators() const { return nullptr; }

  bool Visible() const { return handle_ && IsWindowVisible(handle_); }
  void Show();  // shows and activates
  void Hide();
  std::string Caption() const;

  // Registers the window class of every Window (once per process).
  static const char* ClassName();

 protected:
  // Creates the top-level window. `clientWidth`/`clientHeight` are the client area; the outer
  // size follows from the styles (and the menu, when one is given).
  bool CreateTopLevel(const std::string& caption, DWORD style, DWORD exStyle, int left, int top,
                      int clientWidth, int clientHeight, HWND owner, HMENU menu);
  void DestroyHandle();

  // The typed handlers. Return true when the message was handled.
  virtual bool OnCommand(int /*id*/, int /*code*/, HWND /*control*/) { return false; }
  virtual bool OnNotify(const NMHDR& /*header*/, LRESULT& /*result*/) { return false; }
  virtual bool OnDrawItem(DRAWITEMSTRUCT& /*item*/) { return false; }
  virtual bool OnMeasureItem(MEASUREITEMSTRUCT& /*item*/) { return false; }
  virtual void OnActivate(bool /*active*/) {}
  // Return true to keep the default handling (which destroys the window) from running.
  virtual bool OnClose() { return false; }
  virtual void OnDestroy() {}
  // Anything else; the default passes the message to DefWindowProc.
  virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  HWND handle_ = nullptr;
};

// Creates a child control with the shared user-interface font. Throws std::runtime_error when the
// system refuses.
HWND CreateControl(const char* className, const std::string& text, DWORD style, DWORD exStyle,
                   HWND parent, int id, const Bounds& bounds);

// The windows' font, "MS Sans Serif" 11 pixels high; bold and height variants on request.
HFONT UiFont(bool bold = false, int pixelHeight = 11);

// Sizes a label (a static control) to its one-line text in its font; the position stays.
void FitLabelToText(HWND label);

// The text of any window.
std::string WindowText(HWND window);

// Position and size of a child window relative to its parent's client area.
Bounds ChildBounds(HWND child);

// Forwards the notifications that controls send to their parent (WM_COMMAND, WM_NOTIFY,
// WM_DRAWITEM, colours) from a container control, such as a group box, to the top-level window,
// so that controls can live inside a container and still reach the form's handlers.
void ForwardNotificationsToForm(HWND container);

}  // namespace orvane::app
