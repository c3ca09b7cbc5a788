// Soak on Windows (and under Wine): the board behind a COM port named on the command line; the
// working set, the C runtime's heap and the open handles. The port stays open between downloads as
// in the window: the DTR pulse of each connection returns the board to its monitor.
//   soak_win32_bench COM7 [downloads]
#include <windows.h>
// windows.h first: psapi.h needs its types.
#include <malloc.h>
#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "soak_bench.h"

namespace {

using namespace orvane;

// Serves what the port's event thread hands over, as the window's message loop does.
class WindowMessages final : public ui::MessagePump {
 public:
  void ProcessMessages() override {
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
};

long WorkingSetKb() {
  PROCESS_MEMORY_COUNTERS counters{};
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return -1;
  return static_cast<long>(counters.WorkingSetSize / 1024);
}

// The bytes in use in the C runtime's heap, where new and malloc allocate; the system's own data
// for the process (per-thread data among it) lies in the process heap and counts only in the
// working set.
long HeapInUseKb() {
  const HANDLE heap = reinterpret_cast<HANDLE>(_get_heap_handle());
  unsigned long long inUse = 0;
  PROCESS_HEAP_ENTRY entry{};
  if (!HeapLock(heap)) return -1;
  while (HeapWalk(heap, &entry)) {
    if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) inUse += entry.cbData;
  }
  HeapUnlock(heap);
  return static_cast<long>(inUse / 1024);
}

// Where GetProcessHandleCount reports nothing (a running process holds handles: Wine answers 0),
// the handles are counted by asking after every handle value up to a limit far above the count.
long ProbedHandles() {
  constexpr std::uintptr_t kLastValue = 0x10000;
  long count = 0;
  for (std::uintptr_t value = 4; value <= kLastValue; value += 4) {
    DWORD flags = 0;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  }
  return count;
}

long ReportedHandles() {
  DWORD count = 0;
  return GetProcessHandleCount(GetCurrentProcess(), &count) ? static_cast<long>(count) : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: soak_win32_bench <port, e.g. COM7> [downloads]\n");
    return 2;
  }
  const int downloads = argc > 2 ? std::atoi(argv[2]) : bench::kSoakDownloads;
  if (downloads <= 0) {
    std::fprintf(stderr, "the number of downloads must be positive\n");
    return 2;
  }
  const bool probe = ReportedHandles() == 0;
  if (probe) std::printf("handles counted by probing (the system reports none)\n");
  WindowMessages pump;
  const bench::SoakPlatform platform{"working set KB", "handles",
                                     [probe] {
                                       return bench::SoakFigures{
                                           WorkingSetKb(), HeapInUseKb(),
                                           probe ? ProbedHandles() : ReportedHandles()};
                                     },
                                     [](serial::TComPort&) {}};
  return bench::RunSoak(argv[1], downloads, pump, platform) == 0 ? 0 : 1;
}
