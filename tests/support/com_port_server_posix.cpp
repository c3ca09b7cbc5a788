#include "support/com_port_server_posix.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>

namespace orvane::test_support {

namespace tn = serial::telnet;

ComPortServer::ComPortServer() : ComPortServer(Behaviour{}) {}

ComPortServer::ComPortServer(Behaviour behaviour) : behaviour_(std::move(behaviour)) {
  listener_.Reset(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(listener_.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(listener_.Get(), 4);
  socklen_t length = sizeof address;
  getsockname(listener_.Get(), reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) == 0) {
    stop_[0].Reset(ends[0]);
    stop_[1].Reset(ends[1]);
  }
  thread_ = std::thread([this] { Serve(); });
}

ComPortServer::~ComPortServer() {
  const char byte = 0;
  (void)!write(stop_[1].Get(), &byte, 1);
  thread_.join();
}

std::string ComPortServer::PortName() const {
  return "rfc2217://127.0.0.1:" + std::to_string(port_);
}

void ComPortServer::Serve() {
  tn::Receiver parser;
  tn::Received received;
  std::array<std::uint8_t, 4096> buffer;
  for (;;) {
    int client = -1;
    bool reading = true;
    int wait = -1;
    {
      std::lock_guard lock(mutex_);
      client = client_.Get();
      reading = reading_;
      wait = SendDueLocked();
    }
    pollfd fds[2] = {{stop_[0].Get(), POLLIN, 0},
                     {client >= 0 ? client : listener_.Get(), POLLIN, 0}};
    const int ready = poll(fds, client >= 0 && !reading ? 1 : 2, wait);
    if (ready < 0 || fds[0].revents) return;
    if (ready == 0 || (client >= 0 && !reading)) continue;
    if (client < 0) {
      std::lock_guard lock(mutex_);
      client_.Reset(accept4(listener_.Get(), nullptr, nullptr, SOCK_CLOEXEC));
      parser = tn::Receiver();
      continue;
    }
    const ssize_t got = read(client, buffer.data(), buffer.size());
    std::lock_guard lock(mutex_);
    if (got <= 0) {
      if (client_.Get() == client) client_.Reset();
      continue;
    }
    received.Clear();
    parser.Feed(buffer.data(), static_cast<std::size_t>(got), received);
    Answer(received);
  }
}

void ComPortServer::Answer(const tn::Received& received) {
  data_.insert(data_.end(), received.data.begin(), received.data.end());
  if (behaviour_.echo) {
    std::vector<std::uint8_t> echo;
    tn::AppendData(echo, received.data.data(), received.data.size());
    SendLocked(echo);
  }
  for (const tn::ComPortMessage& message : received.messages) {
    commands_.push_back(message);
    if (message.code == tn::kSetControl && !behaviour_.answerControls) continue;
    std::vector<std::uint8_t> answer;
    if (message.code == tn::kPurgeData) {
      tn::AppendData(answer, behaviour_.beforePurgeAnswer.data(),
                     behaviour_.beforePurgeAnswer.size());
    }
    tn::AppendCommand(answer, message.code + tn::kServerOffset, message.value,
                      message.code == tn::kSetBaudRate ? 4 : 1);
    if (message.code == tn::kSetControl && behaviour_.controlAnswerDelay.count() > 0) {
      later_.emplace_back(std::chrono::steady_clock::now() + behaviour_.controlAnswerDelay,
                          std::move(answer));
      continue;
    }
    if (message.code == tn::kSetControl) ++controlAnswersSent_;
    SendLocked(answer);
  }
  changed_.notify_all();
}

void ComPortServer::SendLocked(const std::vector<std::uint8_t>& bytes) {
  if (client_.Valid() && !bytes.empty()) {
    (void)!send(client_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
  }
}

int ComPortServer::SendDueLocked() {
  const auto now = std::chrono::steady_clock::now();
  while (!later_.empty() && later_.front().first <= now) {
    SendLocked(later_.front().second);
    ++controlAnswersSent_;
    later_.pop_front();
  }
  if (later_.empty()) return -1;
  return static_cast<int>(
      std::chrono::ceil<std::chrono::milliseconds>(later_.front().first - now).count());
}

void ComPortServer::StopReading() {
  std::lock_guard lock(mutex_);
  reading_ = false;
}

std::size_t ComPortServer::Unread() {
  std::lock_guard lock(mutex_);
  int unread = 0;
  if (!client_.Valid() || ioctl(client_.Get(), FIONREAD, &unread) != 0) return 0;
  return static_cast<std::size_t>(unread);
}

int ComPortServer::ControlAnswersSent() {
  std::lock_guard lock(mutex_);
  return controlAnswersSent_;
}

void ComPortServer::SendData(const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> bytes;
  tn::AppendData(bytes, data.data(), data.size());
  SendRaw(bytes);
}

void ComPortServer::SendRaw(const std::vector<std::uint8_t>& bytes) {
  std::lock_guard lock(mutex_);
  SendLocked(bytes);
}

void ComPortServer::Disconnect() {
  std::lock_guard lock(mutex_);
  if (client_.Valid()) shutdown(client_.Get(), SHUT_RDWR);
}

std::vector<tn::ComPortMessage> ComPortServer::Commands() {
  std::lock_guard lock(mutex_);
  return commands_;
}

std::vector<std::uint8_t> ComPortServer::Data() {
  std::lock_guard lock(mutex_);
  return data_;
}

bool ComPortServer::WaitFor(
    const std::function<bool(const std::vector<tn::ComPortMessage>&)>& predicate,
    std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, limit, [&] { return predicate(commands_); });
}

}  // namespace orvane::test_support
