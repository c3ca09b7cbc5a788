// The Telnet com-port codec: what the client sends, and the parser of the server's stream, fed
// each case whole and byte by byte (a negotiation or a doubled 0xFF may be split anywhere).
#include <gtest/gtest.h>

#include "serial/network_address.h"
#include "serial/telnet_com_port.h"

namespace orvane::serial {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace tn = telnet;

TEST(TelnetCommands, EncodeValuesAndDoubleTheEscape) {
  Bytes out;
  tn::AppendCommand(out, tn::kSetBaudRate, 57600, 4);
  EXPECT_EQ(out, (Bytes{255, 250, 44, 1, 0, 0, 0xE1, 0x00, 255, 240}));
  out.clear();
  tn::AppendCommand(out, tn::kSetBaudRate, 0x0001FFFF, 4);
  EXPECT_EQ(out, (Bytes{255, 250, 44, 1, 0, 1, 255, 255, 255, 255, 255, 240}));
  out.clear();
  tn::AppendCommand(out, tn::kSetControl, tn::kControlDtrOff);
  EXPECT_EQ(out, (Bytes{255, 250, 44, 5, 9, 255, 240}));
  out.clear();
  const Bytes data{1, 255, 2, 255};
  tn::AppendData(out, data.data(), data.size());
  EXPECT_EQ(out, (Bytes{1, 255, 255, 2, 255, 255}));
  EXPECT_EQ(tn::OpeningNegotiation(),
            (Bytes{255, 251, 0, 255, 253, 0, 255, 251, 3, 255, 253, 3, 255, 251, 44}));
}

struct ParseCase {
  const char* name;
  Bytes stream;
  Bytes data;
  std::vector<std::pair<std::uint8_t, std::uint32_t>> messages;  // code, value
  Bytes replies;
};

const std::vector<ParseCase>& ParseCases() {
  static const std::vector<ParseCase> cases = {
      {"plain data", {1, 2, 3}, {1, 2, 3}, {}, {}},
      {"doubled escape", {7, 255, 255, 8}, {7, 255, 8}, {}, {}},
      {"baud answer", {255, 250, 44, 101, 0, 0, 0x4B, 0, 255, 240}, {}, {{101, 19200}}, {}},
      {"answer amid data", {1, 255, 250, 44, 112, 1, 255, 240, 2}, {1, 2}, {{112, 1}}, {}},
      {"escape inside a value", {255, 250, 44, 105, 255, 255, 255, 240}, {}, {{105, 255}}, {}},
      {"notifications",
       {255, 250, 44, 106, 0x18, 255, 240, 255, 250, 44, 107, 0x30, 255, 240},
       {},
       {{106, 0x18}, {107, 0x30}},
       {}},
      {"over-long sub skipped",
       {255, 250, 44, 101, 1, 2, 3, 4, 5, 6, 7, 8, 9, 255, 240, 5},
       {5},
       {},
       {}},
      {"other option's sub skipped", {255, 250, 24, 1, 255, 255, 255, 240, 6}, {6}, {}, {}},
      {"sub without its end",
       {255, 250, 44, 112, 1, 255, 255, 255, 251, 1, 9},
       {9},
       {},
       {255, 254, 1}},
      {"empty sub", {255, 250, 255, 240, 4}, {4}, {}, {}},
      {"no operation and go ahead", {255, 241, 3, 255, 249, 255, 240}, {3}, {}, {}},
      // What the server says on connecting: only its offer to echo is refused.
      {"server opening",
       {255, 251, 3, 255, 253, 3, 255, 251, 1, 255, 254, 1, 255, 253, 0, 255, 251, 0, 255, 253, 44},
       {},
       {},
       {255, 254, 1}},
      {"unknown request refused once",
       {255, 253, 24, 255, 253, 24, 255, 251, 24},
       {},
       {},
       {255, 252, 24, 255, 254, 24}},
      {"binary turned off and on",
       {255, 254, 0, 255, 254, 0, 255, 253, 0, 255, 252, 3},
       {},
       {},
       {255, 252, 0, 255, 251, 0, 255, 254, 3}},
  };
  return cases;
}

tn::Received Parse(const Bytes& stream, bool byteByByte) {
  tn::Receiver receiver;
  tn::Received out;
  if (!byteByByte) {
    receiver.Feed(stream.data(), stream.size(), out);
  } else {
    for (std::uint8_t b : stream) receiver.Feed(&b, 1, out);
  }
  return out;
}

TEST(TelnetReceiver, SeparatesDataMessagesAndNegotiation) {
  for (const ParseCase& c : ParseCases()) {
    for (const bool byteByByte : {false, true}) {
      const std::string what = std::string(c.name) + (byteByByte ? ", byte by byte" : ", whole");
      const tn::Received out = Parse(c.stream, byteByByte);
      EXPECT_EQ(out.data, c.data) << what;
      std::vector<std::pair<std::uint8_t, std::uint32_t>> messages;
      for (const auto& m : out.messages) messages.emplace_back(m.code, m.value);
      EXPECT_EQ(messages, c.messages) << what;
      EXPECT_EQ(out.replies, c.replies) << what;
    }
  }
}

TEST(TelnetReceiver, MarksWhereEachMessageCameInTheData) {
  const tn::Received out = Parse({1, 2, 255, 250, 44, 112, 1, 255, 240, 3}, false);
  ASSERT_EQ(out.dataBeforeMessage.size(), 1u);
  EXPECT_EQ(out.dataBeforeMessage[0], 2u);
}

TEST(NetworkPortName, ParsesHostAndPort) {
  struct Case {
    const char* name;
    bool network;
    const char* host;  // null: not well formed
    std::uint16_t port;
  };
  const Case cases[] = {
      {"rfc2217://lab1:4001", true, "lab1", 4001},
      {"RFC2217://10.0.0.7:65535", true, "10.0.0.7", 65535},
      {"rfc2217://[::1]:4001", true, "::1", 4001},
      {"rfc2217://[fe80::1%eth0]:7000", true, "fe80::1%eth0", 7000},
      {"rfc2217://lab1", true, nullptr, 0},
      {"rfc2217://lab1:", true, nullptr, 0},
      {"rfc2217://lab1:0", true, nullptr, 0},
      {"rfc2217://lab1:65536", true, nullptr, 0},
      {"rfc2217://lab1:40x1", true, nullptr, 0},
      {"rfc2217://:4001", true, nullptr, 0},
      {"rfc2217://::1:4001", true, nullptr, 0},
      {"rfc2217://[]:4001", true, nullptr, 0},
      {"rfc2217://[::1]4001", true, nullptr, 0},
      {"rfc2217://lab 1:4001", true, nullptr, 0},
      {"rfc2217://lab1:4001/", true, nullptr, 0},
      {"COM3", false, nullptr, 0},
      {"/dev/ttyUSB0", false, nullptr, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsNetworkPortName(c.name), c.network) << c.name;
    const auto address = ParseNetworkPortName(c.name);
    ASSERT_EQ(address.has_value(), c.host != nullptr) << c.name;
    if (!address) continue;
    EXPECT_EQ(address->host, c.host) << c.name;
    EXPECT_EQ(address->port, c.port) << c.name;
  }
}

}  // namespace
}  // namespace orvane::serial
