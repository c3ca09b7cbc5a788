#include "serial/telnet_com_port.h"

namespace orvane::serial::telnet {
namespace {

bool WeOffer(std::uint8_t option) {
  return option == kOptionBinary || option == kOptionSuppressGoAhead || option == kOptionComPort;
}
// A server that offers the com-port option itself (some do, beside answering ours) is let be.
bool WeAccept(std::uint8_t option) { return WeOffer(option); }

// Byte by byte: GCC 12 at -O3 warns falsely about inserting a short list into an empty vector.
void Append(std::vector<std::uint8_t>& out, std::uint8_t a, std::uint8_t b) {
  out.push_back(a);
  out.push_back(b);
}

void AppendNegotiation(std::vector<std::uint8_t>& out, std::uint8_t verb, std::uint8_t option) {
  Append(out, kIac, verb);
  out.push_back(option);
}

}  // namespace

std::vector<std::uint8_t> OpeningNegotiation() {
  std::vector<std::uint8_t> out;
  AppendNegotiation(out, kWill, kOptionBinary);
  AppendNegotiation(out, kDo, kOptionBinary);
  AppendNegotiation(out, kWill, kOptionSuppressGoAhead);
  AppendNegotiation(out, kDo, kOptionSuppressGoAhead);
  AppendNegotiation(out, kWill, kOptionComPort);
  return out;
}

void AppendCommand(std::vector<std::uint8_t>& out, std::uint8_t command, std::uint32_t value,
                   int width) {
  Append(out, kIac, kSb);
  Append(out, kOptionComPort, command);
  for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) {
    const auto byte = static_cast<std::uint8_t>(value >> shift);
    out.push_back(byte);
    if (byte == kIac) out.push_back(kIac);
  }
  Append(out, kIac, kSe);
}

void AppendData(std::vector<std::uint8_t>& out, const std::uint8_t* data, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    out.push_back(data[i]);
    if (data[i] == kIac) out.push_back(kIac);
  }
}

void Received::Clear() {
  data.clear();
  messages.clear();
  dataBeforeMessage.clear();
  replies.clear();
}

Receiver::Receiver() {
  // The opening negotiation has offered these already.
  localOn_[kOptionBinary] = localOn_[kOptionSuppressGoAhead] = localOn_[kOptionComPort] = true;
  remoteOn_[kOptionBinary] = remoteOn_[kOptionSuppressGoAhead] = true;
}

void Receiver::Negotiate(std::uint8_t verb, std::uint8_t option, Received& out) {
  switch (verb) {
    case kDo:
      if (WeOffer(option)) {
        if (!localOn_[option]) AppendNegotiation(out.replies, kWill, option);
        localOn_[option] = true;
      } else if (!refusedLocal_[option]) {
        AppendNegotiation(out.replies, kWont, option);
        refusedLocal_[option] = true;  // refused once; asked again, not answered again
      }
      break;
    case kDont:
      if (localOn_[option]) AppendNegotiation(out.replies, kWont, option);
      localOn_[option] = false;
      break;
    case kWill:
      if (WeAccept(option)) {
        if (!remoteOn_[option]) AppendNegotiation(out.replies, kDo, option);
        remoteOn_[option] = true;
      } else if (!refusedRemote_[option]) {
        AppendNegotiation(out.replies, kDont, option);
        refusedRemote_[option] = true;
      }
      break;
    default:  // kWont
      if (remoteOn_[option]) AppendNegotiation(out.replies, kDont, option);
      remoteOn_[option] = false;
      break;
  }
}

void Receiver::EndSub(Received& out) {
  if (subLength_ == 0) return;
  ComPortMessage message;
  message.code = sub_[0];
  for (std::size_t i = 1; i < subLength_ && i <= 4; ++i)
    message.value = message.value << 8 | sub_[i];
  out.dataBeforeMessage.push_back(out.data.size());
  out.messages.push_back(message);
}

void Receiver::Feed(const std::uint8_t* bytes, std::size_t count, Received& out) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t b = bytes[i];
    switch (state_) {
      case State::kData:
        if (b == kIac) {
          state_ = State::kCommand;
        } else {
          out.data.push_back(b);
        }
        continue;
      case State::kOption:
        Negotiate(verb_, b, out);
        state_ = State::kData;
        continue;
      case State::kSubOption:
        subLength_ = 0;
        if (b == kIac) {
          state_ = State::kSkipSubCommand;  // no option at all: an empty sub-negotiation
        } else {
          state_ = b == kOptionComPort ? State::kSub : State::kSkipSub;
        }
        continue;
      case State::kSub:
      case State::kSkipSub:
        if (b == kIac) {
          state_ = state_ == State::kSub ? State::kSubCommand : State::kSkipSubCommand;
        } else if (state_ == State::kSub) {
          if (subLength_ < kMaxSub) {
            sub_[subLength_++] = b;
          } else {
            state_ = State::kSkipSub;  // longer than any message: skipped
          }
        }
        continue;
      case State::kSubCommand:
      case State::kSkipSubCommand:
        if (b == kIac) {  // a doubled 0xFF inside the sub-negotiation
          const bool keep = state_ == State::kSubCommand && subLength_ < kMaxSub;
          if (keep) sub_[subLength_++] = kIac;
          state_ = keep ? State::kSub : State::kSkipSub;
          continue;
        }
        if (b == kSe) {
          if (state_ == State::kSubCommand) EndSub(out);
          state_ = State::kData;
          continue;
        }
        // Any other command ends a sub-negotiation that lacks its end: the sub is dropped and
        // the command taken as it stands.
        break;
      case State::kCommand:
        break;
    }
    // b follows an IAC.
    if (b == kIac) {
      out.data.push_back(kIac);
      state_ = State::kData;
    } else if (b == kWill || b == kWont || b == kDo || b == kDont) {
      verb_ = b;
      state_ = State::kOption;
    } else if (b == kSb) {
      state_ = State::kSubOption;
    } else {
      state_ = State::kData;  // no operation, go ahead, a stray end of sub-negotiation, ...
    }
  }
}

}  // namespace orvane::serial::telnet
