#include "sim/view/live_view.h"

#include <cmath>

namespace orvane::sim {

namespace {

constexpr Micros kFrame{1000000 / kFramesPerSecond};

// The loop's state between frames.
class ViewLoop {
 public:
  ViewLoop(LiveBoard& board, ViewScreen& screen, Clock& clock, const LiveViewOptions& options)
      : board_(board), screen_(screen), clock_(clock), options_(options), start_(clock.Now()) {
    if (options.seconds) {
      end_ = start_ + Micros(static_cast<std::int64_t>(std::llround(*options.seconds * 1e6)));
    }
  }

  ViewEnd Run() {
    Micros next = start_;
    for (;;) {
      const Micros deadline = end_ ? std::min(next, *end_) : next;
      const ViewInput input = screen_.Wait(clock_, deadline);
      Act(input);
      const Micros now = clock_.Now();
      if (input.stop) return Finish(now, ViewEnd::Stopped);
      if (end_ && now >= *end_) return Finish(now, ViewEnd::Seconds);
      if (now < next && !input.redraw) continue;
      if (const auto end = Frame(now, input.redraw)) return *end;
      next = now + kFrame;
    }
  }

 private:
  void Act(const ViewInput& input) {
    if (!input.typed.empty()) board_.Type(input.typed);
    const Micros now = clock_.Now();
    for (int button = 0; button < 2; ++button) {
      if (input.buttons[button]) {
        board_.SetButton(button, true);
        releaseAt_[button] = now + kButtonPress;
      } else if (releaseAt_[button] && now >= *releaseAt_[button]) {
        board_.SetButton(button, false);
        releaseAt_[button].reset();
      }
    }
  }

  // Looks, shows what changed, and says whether the view ends here.
  std::optional<ViewEnd> Frame(Micros now, bool redraw) {
    const BoardSnapshot look = looker_.Look(board_.Read(now));
    Show(look, redraw);
    if (options_.cycles && look.cycles >= *options_.cycles) return ViewEnd::Cycles;
    if (options_.endWithProgram && look.programEnded) return ViewEnd::ProgramEnded;
    return std::nullopt;
  }

  void Show(const BoardSnapshot& look, bool redraw) {
    if (shown_ && !redraw && look.serial.empty() && ShowsSame(look, *shown_)) return;
    screen_.Show(look, board_.Status(look));
    shown_ = look;
    shown_->serial.clear();
  }

  // The last look, so that nothing that happened since the last frame is lost.
  ViewEnd Finish(Micros now, ViewEnd end) {
    Show(looker_.Look(board_.Read(now)), false);
    return end;
  }

  LiveBoard& board_;
  ViewScreen& screen_;
  Clock& clock_;
  LiveViewOptions options_;
  Micros start_;
  std::optional<Micros> end_;
  BoardLooker looker_;
  std::optional<BoardSnapshot> shown_;
  std::optional<Micros> releaseAt_[2];
};

}  // namespace

void ParseKeys(std::string_view bytes, ViewInput& input) {
  static constexpr std::string_view kF1[] = {"\x1bOP", "\x1b[11~", "\x1b[[A"};
  static constexpr std::string_view kF2[] = {"\x1bOQ", "\x1b[12~", "\x1b[[B"};
  while (!bytes.empty()) {
    bool matched = false;
    for (int button = 0; button < 2 && !matched; ++button) {
      for (const std::string_view key : button == 0 ? kF1 : kF2) {
        if (bytes.starts_with(key)) {
          input.buttons[button] = true;
          bytes.remove_prefix(key.size());
          matched = true;
          break;
        }
      }
    }
    if (matched) continue;
    input.typed += bytes.front();
    bytes.remove_prefix(1);
  }
}

ViewEnd RunLiveView(LiveBoard& board, ViewScreen& screen, Clock& clock,
                    const LiveViewOptions& options) {
  return ViewLoop(board, screen, clock, options).Run();
}

int ViewExitStatus(ViewEnd end, bool drawn) { return end == ViewEnd::Stopped && !drawn ? 130 : 0; }

}  // namespace orvane::sim
