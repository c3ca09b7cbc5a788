// A blocking call that offers no time-out of its own (a host-name lookup) run with one: on a
// thread of its own, waited for until a deadline. A call still running then is abandoned; it
// finishes on its own and its result is dropped with the state it shares with the waiter.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace orvane::serial {

template <typename Result, typename Call>
std::optional<Result> CallWithin(Call call, std::chrono::steady_clock::time_point deadline) {
  struct Shared {
    std::mutex mutex;
    std::condition_variable done;
    std::optional<Result> result;
  };
  auto shared = std::make_shared<Shared>();
  std::thread([shared, call = std::move(call)]() mutable {
    Result result = call();
    std::lock_guard lock(shared->mutex);
    shared->result.emplace(std::move(result));
    shared->done.notify_all();
  }).detach();
  std::unique_lock lock(shared->mutex);
  if (!shared->done.wait_until(lock, deadline, [&] { return shared->result.has_value(); })) {
    return std::nullopt;
  }
  return std::move(shared->result);
}

}  // namespace orvane::serial
