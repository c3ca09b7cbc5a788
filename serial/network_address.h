// Port names of boards reached over the network: "rfc2217://HOST:PORT", the port number required;
// HOST is a host name, an IPv4 address, or an IPv6 address in brackets ("rfc2217://[::1]:4001").
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvane::serial {

inline constexpr const char* kNetworkPortScheme = "rfc2217://";

struct NetworkAddress {
  std::string host;  // without brackets
  std::uint16_t port = 0;
};

// Whether a port name is meant as a network address (the scheme, in any letter case), well formed
// or not: such a name never goes to the platform's serial devices.
bool IsNetworkPortName(const std::string& name);
// The host and port of a well-formed network port name; none otherwise.
std::optional<NetworkAddress> ParseNetworkPortName(const std::string& name);

}  // namespace orvane::serial
