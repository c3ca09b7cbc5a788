#include "serial/hand_over.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>

#include "serial/ui_wakeup.h"

namespace orvane::serial {
namespace {

struct Pending {
  const std::function<void()>* work = nullptr;
  std::thread::id from;  // the thread that waits for it
  std::exception_ptr error;
  bool done = false;
};

// One queue for the process: there is one user-interface thread.
struct Queue {
  std::mutex mutex;
  std::condition_variable done;  // event threads wait here for their action to have run
  std::deque<Pending*> pending;
  std::function<void()> waker;
  bool wakerSet = false;
  UiWakeup wakeup;
};

// Never destroyed: an event thread may still wake the user-interface thread while the program
// ends.
Queue& TheQueue() {
  static Queue* const queue = new Queue;
  return *queue;
}

// The hand-overs running on this thread, innermost first: an action may serve more while it
// waits for something.
struct Running {
  std::thread::id from;
  const Running* outer;
};
thread_local const Running* tRunning = nullptr;

}  // namespace

void SetHandOverWaker(std::function<void()> waker) {
  Queue& queue = TheQueue();
  std::lock_guard lock(queue.mutex);
  queue.waker = std::move(waker);
  queue.wakerSet = true;
}

void PrepareHandOvers() {
  Queue& queue = TheQueue();
  {
    std::lock_guard lock(queue.mutex);
    if (queue.wakerSet) return;
  }
  std::function<void()> waker = DefaultHandOverWaker();
  std::lock_guard lock(queue.mutex);
  if (!queue.wakerSet) {
    queue.waker = std::move(waker);
    queue.wakerSet = true;
  }
}

void RunOnUiThread(const std::function<void()>& work) {
  Queue& queue = TheQueue();
  Pending pending;
  pending.work = &work;
  pending.from = std::this_thread::get_id();
  std::function<void()> waker;
  {
    std::lock_guard lock(queue.mutex);
    queue.pending.push_back(&pending);
    waker = queue.waker;
  }
  queue.wakeup.Signal();
  if (waker) waker();
  {
    std::unique_lock lock(queue.mutex);
    queue.done.wait(lock, [&] { return pending.done; });
  }
  if (pending.error) std::rethrow_exception(pending.error);
}

int ServeHandOvers() {
  Queue& queue = TheQueue();
  int served = 0;
  for (;;) {
    Pending* pending = nullptr;
    {
      std::lock_guard lock(queue.mutex);
      if (queue.pending.empty()) return served;
      pending = queue.pending.front();
      queue.pending.pop_front();
    }
    const Running running{pending->from, tRunning};
    tRunning = &running;
    try {
      (*pending->work)();
    } catch (...) {
      pending->error = std::current_exception();
    }
    tRunning = running.outer;
    {
      std::lock_guard lock(queue.mutex);
      pending->done = true;
    }
    queue.done.notify_all();
    ++served;
  }
}

bool RunningHandOverOf(std::thread::id thread) {
  for (const Running* running = tRunning; running != nullptr; running = running->outer) {
    if (running->from == thread) return true;
  }
  return false;
}

void WaitServing(const std::function<bool()>& finished) {
  WaitServingUntil(finished, std::chrono::steady_clock::time_point::max());
}

bool WaitServingUntil(const std::function<bool()>& finished,
                      std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    ServeHandOvers();
    if (finished()) return true;
    if (!TheQueue().wakeup.WaitUntil(deadline)) {
      ServeHandOvers();
      return finished();
    }
  }
}

void WakeUiThread() { TheQueue().wakeup.Signal(); }

}  // namespace orvane::serial
