// The walk over a host's addresses: the connect time shared among them.
#include <gtest/gtest.h>

#include <vector>

#include "serial/net_connect.h"

namespace orvane::serial {
namespace {

using std::chrono::milliseconds;

TEST(ConnectToFirst, SharesTheTimeLeftAmongTheAddresses) {
  struct Case {
    const char* name;
    std::vector<bool> neverAnswers;  // else refused at once
    std::vector<milliseconds> shares;
  };
  const Case cases[] = {
      {"the first never answers", {true, true}, {milliseconds(1500), milliseconds(1500)}},
      {"the first refused",
       {false, true, true},
       {milliseconds(1000), milliseconds(1500), milliseconds(1500)}},
  };
  for (const Case& c : cases) {
    NetClock::time_point now{};
    std::vector<milliseconds> shares;
    const auto attempt = [&](std::size_t index, NetClock::time_point until, SysError* error) {
      shares.push_back(std::chrono::duration_cast<milliseconds>(until - now));
      if (c.neverAnswers[index]) now = until;
      *error = c.neverAnswers[index] ? TimedOutError() : InvalidParameterError();
      return std::unique_ptr<NetSocket>();
    };
    SysError error = kSuccess;
    EXPECT_EQ(ConnectToFirst(
                  c.shares.size(), now + milliseconds(3000), attempt, [&] { return now; }, &error),
              nullptr);
    EXPECT_EQ(shares, c.shares) << c.name;
    EXPECT_EQ(error, TimedOutError()) << c.name;
  }
}

}  // namespace
}  // namespace orvane::serial
