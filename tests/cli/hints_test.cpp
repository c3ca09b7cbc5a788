// The hints read the numbers that ports give on this platform, the virtual board's included.
#include <gtest/gtest.h>

#include "cli/hints.h"

namespace orvane::cli {
namespace {

TEST(HintsTest, APortsRefusalsAreClassifiedInThePlatformsNumbers) {
  EXPECT_EQ(ClassifyOpenFailure(serial::PortHeldError()), OpenFailure::kHeld);
  EXPECT_EQ(ClassifyOpenFailure(serial::PortAbsentError()), OpenFailure::kAbsent);
}

}  // namespace
}  // namespace orvane::cli
