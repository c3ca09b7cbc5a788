// One command at a time, and the listeners told around it, also when it fails.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "ui/views/command_guard.h"

namespace orvane::ui {
namespace {

struct Journal : CommandListener {
  std::vector<std::string> lines;
  void CommandStarted(const std::string& what) override { lines.push_back("start " + what); }
  void CommandEnded() override { lines.push_back("end"); }
};

TEST(CommandGuardTest, ASecondCommandInsideTheFirstIsRefused) {
  CommandGuard guard;
  Journal journal;
  guard.AddListener(journal);
  int inner = 0;
  const bool ran = guard.Run("downloading", [&] {
    EXPECT_TRUE(guard.Running());
    EXPECT_EQ(guard.What(), "downloading");
    EXPECT_FALSE(guard.Run("testing", [&] { ++inner; }));
  });
  EXPECT_TRUE(ran);
  EXPECT_EQ(inner, 0);
  EXPECT_FALSE(guard.Running());
  EXPECT_EQ(journal.lines, (std::vector<std::string>{"start downloading", "end"}));
  // And the next one starts.
  EXPECT_TRUE(guard.Run("testing", [&] { ++inner; }));
  EXPECT_EQ(inner, 1);
}

TEST(CommandGuardTest, AFailedCommandEndsAndItsErrorPassesThrough) {
  CommandGuard guard;
  Journal journal;
  guard.AddListener(journal);
  EXPECT_THROW(guard.Run("testing", [] { throw std::runtime_error("Read error"); }),
               std::runtime_error);
  EXPECT_FALSE(guard.Running());
  EXPECT_EQ(journal.lines, (std::vector<std::string>{"start testing", "end"}));
  guard.RemoveListener(journal);
  guard.Run("downloading", [] {});
  EXPECT_EQ(journal.lines.size(), 2u);
}

// A listener that, when told, removes another (a window closing another): the removed one, which
// may be gone by then, is not told.
TEST(CommandGuardTest, AListenerRemovedWhileOthersAreToldIsNotTold) {
  CommandGuard guard;
  Journal removed;
  struct Remover : CommandListener {
    CommandGuard* guard;
    Journal* other;
    void CommandStarted(const std::string&) override { guard->RemoveListener(*other); }
    void CommandEnded() override {}
  } remover;
  remover.guard = &guard;
  remover.other = &removed;
  guard.AddListener(remover);
  guard.AddListener(removed);
  guard.Run("downloading", [] {});
  EXPECT_TRUE(removed.lines.empty());
}

}  // namespace
}  // namespace orvane::ui
