// The Telnet com-port protocol (RFC 2217) that network serial servers speak: the commands a client
// sends, and one parser for everything a server sends. Data bytes travel inside the Telnet stream
// with 0xFF doubled; negotiations and sub-negotiations are mixed in anywhere, even between the two
// bytes of a doubled 0xFF, so the parser keeps its state from one piece of the stream to the next.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvane::serial::telnet {

// Telnet commands and options.
inline constexpr std::uint8_t kIac = 255;
inline constexpr std::uint8_t kWill = 251;
inline constexpr std::uint8_t kWont = 252;
inline constexpr std::uint8_t kDo = 253;
inline constexpr std::uint8_t kDont = 254;
inline constexpr std::uint8_t kSb = 250;
inline constexpr std::uint8_t kSe = 240;
inline constexpr std::uint8_t kOptionBinary = 0;
inline constexpr std::uint8_t kOptionSuppressGoAhead = 3;
inline constexpr std::uint8_t kOptionComPort = 44;

// Com-port commands of the client; the server answers each with the code plus kServerOffset.
inline constexpr std::uint8_t kSetBaudRate = 1;  // four bytes, network order
inline constexpr std::uint8_t kSetDataSize = 2;
inline constexpr std::uint8_t kSetParity = 3;    // 1 none, 2 odd, 3 even, 4 mark, 5 space
inline constexpr std::uint8_t kSetStopSize = 4;  // 1 one, 2 two, 3 one and a half
inline constexpr std::uint8_t kSetControl = 5;
inline constexpr std::uint8_t kNotifyLineState = 6;
inline constexpr std::uint8_t kNotifyModemState = 7;
inline constexpr std::uint8_t kSetLineStateMask = 10;
inline constexpr std::uint8_t kSetModemStateMask = 11;
inline constexpr std::uint8_t kPurgeData = 12;
inline constexpr std::uint8_t kServerOffset = 100;
inline constexpr std::uint8_t kCommandCount = 13;  // client codes run from 0 to 12

// Values of kSetControl.
inline constexpr std::uint8_t kControlNoFlowControl = 1;
inline constexpr std::uint8_t kControlBreakOn = 5;
inline constexpr std::uint8_t kControlBreakOff = 6;
inline constexpr std::uint8_t kControlDtrOn = 8;
inline constexpr std::uint8_t kControlDtrOff = 9;
inline constexpr std::uint8_t kControlRtsOn = 11;
inline constexpr std::uint8_t kControlRtsOff = 12;

// Values of kPurgeData.
inline constexpr std::uint8_t kPurgeReceive = 1;
inline constexpr std::uint8_t kPurgeTransmit = 2;
inline constexpr std::uint8_t kPurgeBoth = 3;

// Bits of a line-state notification, and the mask that asks for the ones a port reports as line
// errors. Modem-state bits are the platform's modem-status bits (CTS 0x10, DSR 0x20, RI 0x40,
// CD 0x80); their mask asks for those four.
inline constexpr std::uint8_t kLineOverrun = 0x02;
inline constexpr std::uint8_t kLineParity = 0x04;
inline constexpr std::uint8_t kLineFraming = 0x08;
inline constexpr std::uint8_t kLineBreak = 0x10;
inline constexpr std::uint8_t kLineErrorMask =
    kLineOverrun | kLineParity | kLineFraming | kLineBreak;
inline constexpr std::uint8_t kModemLineMask = 0xF0;

// What the client says first: binary both ways, no go-ahead both ways, and the com-port option.
std::vector<std::uint8_t> OpeningNegotiation();

// Appends one com-port command whose value is `width` bytes of `value`, most significant first.
void AppendCommand(std::vector<std::uint8_t>& out, std::uint8_t command, std::uint32_t value,
                   int width = 1);
// Appends data bytes with 0xFF doubled.
void AppendData(std::vector<std::uint8_t>& out, const std::uint8_t* data, std::size_t count);

// One com-port sub-negotiation as it came: a client's command, or a server's answer or
// notification (code plus kServerOffset). The value is up to four bytes, most significant first
// (the baud rate has four, the others one).
struct ComPortMessage {
  std::uint8_t code = 0;
  std::uint32_t value = 0;
};

// What a piece of the other side's stream held, appended to by Receiver::Feed.
struct Received {
  std::vector<std::uint8_t> data;              // the serial line's bytes, undoubled
  std::vector<ComPortMessage> messages;        // in stream order
  std::vector<std::size_t> dataBeforeMessage;  // data.size() when each message came
  std::vector<std::uint8_t> replies;           // negotiation answers owed to the other side
  void Clear();
};

// The parser of the other side's stream (the server's, or a client's in a server). Its memory is
// fixed: a sub-negotiation longer than any the protocol defines is skipped to its end, whatever
// its length.
class Receiver {
 public:
  Receiver();
  void Feed(const std::uint8_t* bytes, std::size_t count, Received& out);

 private:
  enum class State {
    kData,
    kCommand,
    kOption,
    kSubOption,
    kSub,
    kSubCommand,
    kSkipSub,
    kSkipSubCommand
  };
  static constexpr std::size_t kMaxSub = 8;  // command plus the longest value, with room to spare

  void Negotiate(std::uint8_t verb, std::uint8_t option, Received& out);
  void EndSub(Received& out);

  State state_ = State::kData;
  std::uint8_t verb_ = 0;
  std::array<std::uint8_t, kMaxSub> sub_{};
  std::size_t subLength_ = 0;
  // What each side has agreed to (or offered at the opening), by option number; an option is
  // answered only when a request would change it, so two parties never answer each other for ever.
  std::array<bool, 256> localOn_{};
  std::array<bool, 256> remoteOn_{};
  std::array<bool, 256> refusedLocal_{};
  std::array<bool, 256> refusedRemote_{};
};

}  // namespace orvane::serial::telnet
