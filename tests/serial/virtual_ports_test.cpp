#include <gtest/gtest.h>

#include "serial/virtual_ports.h"

namespace orvane::serial {
namespace {

TEST(VirtualPorts, OnlyListedPortsAreListedAndUnknownNamesDoNotOpen) {
  RegisterVirtualPort(
      "HIDDEN", [] { return std::unique_ptr<ComDevice>(); }, false);
  RegisterVirtualPort(
      "SHOWN", [] { return std::unique_ptr<ComDevice>(); }, true);
  const auto listed = ListedVirtualPorts();
  EXPECT_EQ(std::count(listed.begin(), listed.end(), "SHOWN"), 1);
  EXPECT_EQ(std::count(listed.begin(), listed.end(), "HIDDEN"), 0);
  EXPECT_EQ(OpenVirtualPort("shown"), nullptr);  // names are exact
  UnregisterVirtualPort("HIDDEN");
  UnregisterVirtualPort("SHOWN");
  EXPECT_TRUE(ListedVirtualPorts().empty());
}

}  // namespace
}  // namespace orvane::serial
