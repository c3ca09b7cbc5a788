// Ownership of one platform resource (a file descriptor, a kernel handle): released when its
// owner goes, on every path. The traits say what "none" is and how to release one.
#pragma once

#include <utility>

namespace orvane::serial {

// Traits: `using Value`, `static Value None()`, `static bool Valid(Value)`,
// `static void Release(Value)`.
template <typename Traits>
class UniqueResource {
 public:
  using Value = typename Traits::Value;

  UniqueResource() = default;
  explicit UniqueResource(Value value) : value_(value) {}
  ~UniqueResource() { Reset(); }
  UniqueResource(UniqueResource&& other) noexcept : value_(other.Release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;

  Value Get() const { return value_; }
  bool Valid() const { return Traits::Valid(value_); }
  // Gives the resource up without releasing it.
  Value Release() { return std::exchange(value_, Traits::None()); }
  void Reset(Value value = Traits::None()) {
    if (Traits::Valid(value_)) Traits::Release(value_);
    value_ = value;
  }

 private:
  Value value_ = Traits::None();
};

}  // namespace orvane::serial
