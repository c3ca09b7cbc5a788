#include <windows.h>
// The common controls' header needs the definitions above.
#include <commctrl.h>

#include <map>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

#include "app/win32/error_box.h"
#include "app/win32/win32_handles.h"
#include "app/win32/win32_window.h"

namespace orvane::app {
namespace {

TopLevelErrorHandler& ErrorHandler() {
  static TopLevelErrorHandler handler;
  return handler;
}

LRESULT CALLBACK ForwardingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                DWORD_PTR) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      if (HWND form = GetAncestor(hwnd, GA_ROOT); form && form != hwnd) {
        return SendMessageA(form, message, wParam, lParam);
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, ForwardingProc, id);
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

void SetTopLevelErrorHandler(TopLevelErrorHandler handler) { ErrorHandler() = std::move(handler); }

std::string ExceptionMessage(std::exception_ptr error) {
  try {
    if (error) std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
  }
  return "An unknown error occurred";
}

void ReportEscapedException(std::exception_ptr error) {
  try {
    if (ErrorHandler()) {
      ErrorHandler()(error);
    } else {
      ShowErrorBox(GetActiveWindow(), ExceptionMessage(error));
    }
  } catch (...) {
    // The report itself failed (out of memory, a broken hook): nothing sensible is left to do,
    // and letting it escape would unwind through the system's frames.
  }
}

Window::~Window() { DestroyHandle(); }

const char* Window::ClassName() {
  static const char* const name = [] {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Window::WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "OrvaneForm";
    RegisterClassExA(&wc);
    return "OrvaneForm";
  }();
  return name;
}

bool Window::CreateTopLevel(const std::string& caption, DWORD style, DWORD exStyle, int left,
                            int top, int clientWidth, int clientHeight, HWND owner, HMENU menu) {
  RECT frame{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&frame, style, menu != nullptr, exStyle);
  HWND hwnd = CreateWindowExA(exStyle, ClassName(), caption.c_str(), style, left, top,
                              frame.right - frame.left, frame.bottom - frame.top, owner, menu,
                              GetModuleHandleA(nullptr), this);
  if (!hwnd) return false;
  // A menu bar that wraps, or a frame the system draws wider than it reported, would shrink the
  // client area: correct the outer size by what is missing.
  RECT client{};
  GetClientRect(hwnd, &client);
  const int dw = clientWidth - (client.right - client.left);
  const int dh = clientHeight - (client.bottom - client.top);
  if (dw != 0 || dh != 0) {
    RECT outer{};
    GetWindowRect(hwnd, &outer);
    SetWindowPos(hwnd, nullptr, 0, 0, outer.right - outer.left + dw, outer.bottom - outer.top + dh,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return true;
}

void Window::DestroyHandle() {
  if (handle_) DestroyWindow(handle_);
  handle_ = nullptr;
}

void Window::Show() {
  if (handle_) ShowWindow(handle_, SW_SHOW);
}

void Window::Hide() {
  if (handle_) ShowWindow(handle_, SW_HIDE);
}

std::string Window::Caption() const { return handle_ ? WindowText(handle_) : std::string(); }

LRESULT Window::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(handle_, message, wParam, lParam);
}

Window* Window::FromHandle(HWND hwnd) {
  if (!hwnd || GetWindowLongPtrA(hwnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&WindowProc)) {
    return nullptr;
  }
  return reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->handle_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->handle_ = nullptr;
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  try {
    return self->Dispatch(message, wParam, lParam);
  } catch (...) {
    ReportEscapedException(std::current_exception());
    return 0;
  }
}

LRESULT Window::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
      break;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (OnNotify(*reinterpret_cast<NMHDR*>(lParam), result)) return result;
      break;
    }
    case WM_DRAWITEM:
      if (OnDrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_MEASUREITEM:
      if (OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_ACTIVATE: {
      // The default gives the focus to the window itself; the handler may then move it.
      const LRESULT result = DefWindowProcA(handle_, message, wParam, lParam);
      OnActivate(LOWORD(wParam) != WA_INACTIVE);
      return result;
    }
    case WM_CLOSE:
      if (OnClose()) return 0;
      break;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      break;
  }
  return OnMessage(message, wParam, lParam);
}

HWND CreateControl(const char* className, const std::string& text, DWORD style, DWORD exStyle,
                   HWND parent, int id, const Bounds& bounds) {
  HWND control = CreateWindowExA(exStyle, className, text.c_str(), style | WS_CHILD, bounds.left,
                                 bounds.top, bounds.width, bounds.height, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
  if (!control) {
    throw std::runtime_error(std::string("Unable to create the control ") + className + " (error " +
                             std::to_string(GetLastError()) + ")");
  }
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont()), FALSE);
  return control;
}

HFONT UiFont(bool bold, int pixelHeight) {
  static std::map<std::pair<bool, int>, UniqueFont> fonts;
  auto& font = fonts[{bold, pixelHeight}];
  if (!font) {
    font.reset(CreateFontA(-pixelHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "MS Sans Serif"));
  }
  return font.get();
}

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

void FitLabelToText(HWND label) {
  const std::string text = WindowText(label);
  const WindowDC dc(label);
  const auto labelFont = reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0));
  const SelectedFont font(dc.get(), labelFont);
  SIZE size{};
  GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc.get(), &metrics);
  SetWindowPos(label, nullptr, 0, 0, size.cx, metrics.tmHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Bounds ChildBounds(HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

void ForwardNotificationsToForm(HWND container) {
  SetWindowSubclass(container, ForwardingProc, 1, 0);
}

}  // namespace orvane::app
