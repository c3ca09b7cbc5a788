#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "dap/adapter.h"
#include "dap/byte_stream.h"

namespace orvane::cli {
namespace {

int ServeStandardStreams() {
  const std::unique_ptr<dap::ByteStream> stream = dap::StandardStreams();
  return dap::RunAdapter(*stream, std::cerr) ? kExitOk : kExitFailure;
}

// Serves one client after the other until the listener fails; each gets a session of its own.
int ServeLoopback(int port) {
  std::string error;
  const std::unique_ptr<dap::Listener> listener =
      dap::ListenOnLoopback(static_cast<std::uint16_t>(port), error);
  if (!listener) {
    std::cerr << "orvane dap: cannot listen on 127.0.0.1 port " << port << ": " << error << "\n";
    return kExitFailure;
  }
  // Said on standard error, where a script that asked for port 0 reads the one it got.
  std::cerr << "orvane dap: listening on 127.0.0.1 port " << listener->Port() << std::endl;
  for (;;) {
    const std::unique_ptr<dap::ByteStream> client = listener->Accept(error);
    if (!client) {
      std::cerr << "orvane dap: " << error << "\n";
      return kExitFailure;
    }
    dap::RunAdapter(*client, std::cerr);
  }
}

}  // namespace

void AddDapCommand(CLI::App& app, CliContext& context) {
  auto* command = app.add_subcommand(
      "dap",
      "Debug a program on a virtual board of its own for an editor, by the Debug Adapter "
      "Protocol on standard input and output");
  auto port = std::make_shared<int>(-1);
  command
      ->add_option("--listen", *port,
                   "Serve the protocol on this TCP port of the loopback interface instead, one "
                   "client at a time (0: a free port, said on standard error)")
      ->check(CLI::Range(0, 65535));
  command->callback([&context, port] {
    context.exitCode = *port < 0 ? ServeStandardStreams() : ServeLoopback(*port);
  });
}

}  // namespace orvane::cli
