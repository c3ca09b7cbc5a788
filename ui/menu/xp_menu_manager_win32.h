// TXPMenuManager: the one shared object that exists while any painter does. It keeps the list of
// painters and chooses the lead painter (the first that is active and may subclass), and through
// it styles the application's other windows, those without a painter of their own: a window is
// put on the waiting list when it is created (or when a lead appears) and styled at the next
// message the thread takes, when its controls are there.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

namespace orvane::ui::menu {

class TXPMenu;

class TXPMenuManager {
 public:
  // The manager, created with the first painter.
  static TXPMenuManager& Instance();
  // Whether one exists (it is freed with the last painter).
  static bool Exists();
  // A painter leaves; the last one takes the manager with it.
  static void Release(TXPMenu* painter);

  ~TXPMenuManager();
  TXPMenuManager(const TXPMenuManager&) = delete;
  TXPMenuManager& operator=(const TXPMenuManager&) = delete;

  void Register(TXPMenu* painter);
  // A painter was activated or deactivated: the lead is chosen again.
  void PainterChanged(TXPMenu* painter);
  TXPMenu* Lead() const { return lead_; }
  const std::vector<HWND>& Styled() const { return styled_; }
  const std::vector<HWND>& Waiting() const { return waiting_; }
  // Styles the waiting windows now (the next message does it anyway).
  void StyleWaiting();

 private:
  TXPMenuManager();
  static std::unique_ptr<TXPMenuManager>& Slot();
  static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK GetMessageProc(int code, WPARAM wParam, LPARAM lParam);
  void ChooseLead();
  void QueueOpenWindows();
  bool Eligible(HWND window) const;
  void Forget(HWND window);

  std::vector<TXPMenu*> painters_;
  std::vector<HWND> styled_;
  std::vector<HWND> waiting_;
  TXPMenu* lead_ = nullptr;
  HHOOK cbtHook_ = nullptr;
  HHOOK messageHook_ = nullptr;
};

}  // namespace orvane::ui::menu
