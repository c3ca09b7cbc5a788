// Entry point of the Windows program.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = instance;
  wc.lpszClassName = "TForm1";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  RegisterClassA(&wc);
  HWND window = CreateWindowA("TForm1", "Orvane Windows Downloader", WS_OVERLAPPED | WS_SYSMENU,
                              165, 102, 487, 285, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, show);
  DestroyWindow(window);
  return 0;
}
