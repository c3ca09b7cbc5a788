#include "ui/menu/xp_menu_manager_win32.h"

#include <algorithm>

#include "ui/menu/tags_win32.h"
#include "ui/menu/xp_menu_win32.h"

namespace orvane::ui::menu {
namespace {

bool Contains(const std::vector<HWND>& list, HWND window) {
  return std::find(list.begin(), list.end(), window) != list.end();
}

void Remove(std::vector<HWND>& list, HWND window) {
  list.erase(std::remove(list.begin(), list.end(), window), list.end());
}

bool SameClass(HWND a, HWND b) {
  char first[64] = {}, second[64] = {};
  GetClassNameA(a, first, sizeof first);
  GetClassNameA(b, second, sizeof second);
  return lstrcmpA(first, second) == 0;
}

}  // namespace

std::unique_ptr<TXPMenuManager>& TXPMenuManager::Slot() {
  static std::unique_ptr<TXPMenuManager> manager;
  return manager;
}

TXPMenuManager& TXPMenuManager::Instance() {
  if (!Slot()) Slot().reset(new TXPMenuManager());
  return *Slot();
}

bool TXPMenuManager::Exists() { return Slot() != nullptr; }

void TXPMenuManager::Release(TXPMenu* painter) {
  if (!Slot()) return;
  auto& painters = Slot()->painters_;
  painters.erase(std::remove(painters.begin(), painters.end(), painter), painters.end());
  Slot()->ChooseLead();
  if (painters.empty()) Slot().reset();
}

TXPMenuManager::TXPMenuManager() {
  // Windows of this thread announce their creation and destruction, and every message the thread
  // takes gives the waiting windows their style.
  const DWORD thread = GetCurrentThreadId();
  cbtHook_ = SetWindowsHookExA(WH_CBT, CbtProc, nullptr, thread);
  messageHook_ = SetWindowsHookExA(WH_GETMESSAGE, GetMessageProc, nullptr, thread);
}

TXPMenuManager::~TXPMenuManager() {
  if (cbtHook_) UnhookWindowsHookEx(cbtHook_);
  if (messageHook_) UnhookWindowsHookEx(messageHook_);
}

void TXPMenuManager::Register(TXPMenu* painter) {
  if (std::find(painters_.begin(), painters_.end(), painter) == painters_.end()) {
    painters_.push_back(painter);
  }
  ChooseLead();
}

void TXPMenuManager::PainterChanged(TXPMenu*) { ChooseLead(); }

void TXPMenuManager::ChooseLead() {
  TXPMenu* next = nullptr;
  for (TXPMenu* painter : painters_) {
    if (painter->Active() && !painter->Properties().DisableSubclassing && painter->Window()) {
      next = painter;
      break;
    }
  }
  if (next == lead_) return;
  // The old lead lets go of the other windows (a deactivated one already has); the new one
  // takes them over at the next message.
  const bool oldLeadAlive =
      lead_ && std::find(painters_.begin(), painters_.end(), lead_) != painters_.end();
  if (oldLeadAlive) {
    for (HWND window : styled_) lead_->UnhookWindow(window);
  }
  lead_ = next;
  if (!lead_) {
    styled_.clear();
    waiting_.clear();
    return;
  }
  for (HWND window : styled_) {
    if (!Contains(waiting_, window)) waiting_.push_back(window);
  }
  styled_.clear();
  QueueOpenWindows();
}

void TXPMenuManager::QueueOpenWindows() {
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM self) -> BOOL {
        auto* manager = reinterpret_cast<TXPMenuManager*>(self);
        if (!Contains(manager->waiting_, window)) manager->waiting_.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(this));
}

bool TXPMenuManager::Eligible(HWND window) const {
  if (!lead_ || !IsWindow(window) || Contains(styled_, window)) return false;
  if (GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD) return false;
  if (Tag(window) == kKeepPlatformLook) return false;
  // The application's own windows only, and only those that have no painter of their own.
  if (!SameClass(window, lead_->Window())) return false;
  return std::none_of(painters_.begin(), painters_.end(),
                      [window](TXPMenu* painter) { return painter->Window() == window; });
}

void TXPMenuManager::StyleWaiting() {
  std::vector<HWND> waiting;
  waiting.swap(waiting_);
  for (HWND window : waiting) {
    if (!Eligible(window)) continue;
    styled_.push_back(window);
    lead_->HookWindow(window);
  }
}

void TXPMenuManager::Forget(HWND window) {
  Remove(styled_, window);
  Remove(waiting_, window);
}

LRESULT CALLBACK TXPMenuManager::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
  if (Slot()) {
    HWND window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_CREATEWND) {
      const auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
      if (Slot()->lead_ && !(create->style & WS_CHILD)) Slot()->waiting_.push_back(window);
    } else if (code == HCBT_DESTROYWND) {
      Slot()->Forget(window);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK TXPMenuManager::GetMessageProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && Slot() && !Slot()->waiting_.empty()) {
    try {
      Slot()->StyleWaiting();
    } catch (...) {
      // Styling is a nicety: a failure leaves the windows in the platform's look.
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace orvane::ui::menu
