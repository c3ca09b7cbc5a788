// Event actions handed from a port's event thread to the user-interface thread (smThreadSync).
// The event thread queues an action and blocks until the user-interface thread has run it; the
// user-interface thread runs what is queued when it processes its messages (ServeHandOvers).
// A program says how its user-interface thread is nudged (SetHandOverWaker); on Windows the
// default is a hidden window of the thread that opened the port, whose message serves the queue.
// A program without a message loop uses smNone instead, or serves the queue itself.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace orvane::serial {

// The nudge: called on an event thread after it queued an action (must not block).
void SetHandOverWaker(std::function<void()> waker);
// On the user-interface thread, as a port starts its event thread: installs the platform's
// default nudge when the program set none.
void PrepareHandOvers();

// Event thread: runs `work` on the user-interface thread; returns once it has run there, with
// the exception it raised, if any.
void RunOnUiThread(const std::function<void()>& work);

// User-interface thread: runs every queued action; returns how many ran.
int ServeHandOvers();
// User-interface thread: an action that `thread` handed over is running on this thread now (the
// innermost one or one it was called from). That thread waits for it, so this thread must not
// wait for that one.
bool RunningHandOverOf(std::thread::id thread);
// User-interface thread: waits until `finished` is true, running queued actions meanwhile (and on
// Windows the messages sent to this thread's windows), so that an event thread blocked in a
// hand-over can end. `finished` is checked again after every WakeUiThread.
void WaitServing(const std::function<bool()>& finished);
// The same with a deadline: false when it passed before `finished` became true.
bool WaitServingUntil(const std::function<bool()>& finished,
                      std::chrono::steady_clock::time_point deadline);
// Any thread: a waiting WaitServing checks again.
void WakeUiThread();

}  // namespace orvane::serial
