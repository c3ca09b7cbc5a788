#include "serial/network_address.h"

#include <cstring>

#include "serial/ascii.h"

namespace orvane::serial {
namespace {

bool HostNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_';
}

bool Ipv6Char(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == ':' ||
         c == '.' || c == '%' || HostNameChar(c);  // '%' and a name: the zone of a link address
}

std::optional<std::uint16_t> PortNumber(const std::string& text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  if (value == 0 || value > 65535) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

}  // namespace

bool IsNetworkPortName(const std::string& name) {
  const std::size_t length = std::strlen(kNetworkPortScheme);
  return name.size() >= length &&
         EqualIgnoringAsciiCase(std::string_view(name).substr(0, length), kNetworkPortScheme);
}

std::optional<NetworkAddress> ParseNetworkPortName(const std::string& name) {
  if (!IsNetworkPortName(name)) return std::nullopt;
  const std::string rest = name.substr(std::strlen(kNetworkPortScheme));
  NetworkAddress address;
  std::size_t colon = 0;
  if (!rest.empty() && rest.front() == '[') {
    const std::size_t close = rest.find(']');
    if (close == std::string::npos || close + 1 >= rest.size() || rest[close + 1] != ':') {
      return std::nullopt;
    }
    address.host = rest.substr(1, close - 1);
    if (address.host.empty() || address.host.find(':') == std::string::npos) return std::nullopt;
    for (char c : address.host) {
      if (!Ipv6Char(c)) return std::nullopt;
    }
    colon = close + 1;
  } else {
    colon = rest.find(':');
    if (colon == std::string::npos || colon == 0) return std::nullopt;
    address.host = rest.substr(0, colon);
    for (char c : address.host) {
      if (!HostNameChar(c)) return std::nullopt;
    }
  }
  const auto port = PortNumber(rest.substr(colon + 1));
  if (!port) return std::nullopt;
  address.port = *port;
  return address;
}

}  // namespace orvane::serial
