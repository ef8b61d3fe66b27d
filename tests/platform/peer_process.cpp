#include "tests/platform/peer_process.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "winapi/posix/ledger.h"

namespace qv::testing {
namespace {

constexpr char kHeld = 'H';
constexpr char kGo = 'G';

PeerProcess* heldPeer = nullptr;  // the child's own PeerProcess, for the call hook

bool ReadAll(int fd, void* bytes, std::size_t length) {
  auto* out = static_cast<char*>(bytes);
  while (length > 0) {
    ssize_t got = recv(fd, out, length, 0);
    if (got <= 0) return false;
    out += got;
    length -= static_cast<std::size_t>(got);
  }
  return true;
}

void WriteAll(int fd, const void* bytes, std::size_t length) {
  const auto* in = static_cast<const char*>(bytes);
  while (length > 0) {
    // A child that has already ended must not take the test down with SIGPIPE.
    ssize_t put = send(fd, in, length, MSG_NOSIGNAL);
    if (put <= 0) return;
    in += put;
    length -= static_cast<std::size_t>(put);
  }
}

}  // namespace

PeerProcess::PeerProcess(std::function<int(PeerProcess&)> body, Hold hold) : hold_(hold) {
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, sockets_) != 0) return;
  pid_ = fork();
  if (pid_ != 0) {
    close(sockets_[1]);
    sockets_[1] = -1;
    return;
  }
  close(sockets_[0]);
  sockets_[0] = -1;
  if (hold_.call != nullptr) {
    heldPeer = this;
    standin::SetCallHook(&PeerProcess::HoldHook);
  }
  _exit(body(*this));
}

PeerProcess::~PeerProcess() {
  if (pid_ > 0) Kill();
  if (sockets_[0] >= 0) close(sockets_[0]);
}

void PeerProcess::HoldHook(const char* call) {
  PeerProcess* peer = heldPeer;
  if (peer == nullptr || std::strcmp(call, peer->hold_.call) != 0) return;
  if (++peer->seen_ != peer->hold_.occurrence) return;
  WriteAll(peer->sockets_[1], &kHeld, 1);
  peer->WaitForParent();
}

void PeerProcess::WaitForParent() {
  char go = 0;
  ReadAll(sockets_[1], &go, 1);  // a closed pipe lets the child go as well
}

bool PeerProcess::AwaitHeld() {
  char held = 0;
  return ReadAll(sockets_[0], &held, 1) && held == kHeld;
}

void PeerProcess::Resume() {
  WriteAll(sockets_[0], &kGo, 1);
}

bool PeerProcess::Receive(void* bytes, std::size_t length) {
  return ReadAll(sockets_[0], bytes, length);
}

void PeerProcess::Send(const void* bytes, std::size_t length) {
  WriteAll(sockets_[1], bytes, length);
}

int PeerProcess::Finish() {
  if (pid_ <= 0) return -1;
  Resume();
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void PeerProcess::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

}  // namespace qv::testing
