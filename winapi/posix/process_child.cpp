#include "winapi/posix/process_child.h"

#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

namespace qv::standin {
namespace {

struct Orphans {
  std::mutex lock;
  std::vector<pid_t> pids;
};

Orphans& TheOrphans() {
  static Orphans* orphans = new Orphans;  // never destroyed: handles may close during exit
  return *orphans;
}

// True when `pid` has ended and is reaped now, or was reaped by someone else already.
bool ReapIfEnded(pid_t pid) {
  int status = 0;
  pid_t result;
  do {
    result = waitpid(pid, &status, WNOHANG);
  } while (result < 0 && errno == EINTR);
  return result == pid || (result < 0 && errno == ECHILD);
}

void AddOrphan(pid_t pid) {
  Orphans& orphans = TheOrphans();
  std::lock_guard<std::mutex> guard(orphans.lock);
  orphans.pids.push_back(pid);
}

}  // namespace

void ReapOrphans() {
  Orphans& orphans = TheOrphans();
  std::lock_guard<std::mutex> guard(orphans.lock);
  auto& pids = orphans.pids;
  pids.erase(std::remove_if(pids.begin(), pids.end(), ReapIfEnded), pids.end());
}

ChildProcess::~ChildProcess() {
  if (!TryReap()) AddOrphan(pid_);
}

bool ChildProcess::TryReap() {
  std::lock_guard<std::mutex> guard(lock_);
  if (!ended_) ended_ = ReapIfEnded(pid_);
  return ended_;
}

bool ChildProcess::WaitForEnd(DWORD milliseconds) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  auto pause = std::chrono::milliseconds(1);
  while (!TryReap()) {
    if (milliseconds != INFINITE && Clock::now() >= deadline) return false;
    auto nap = pause;
    if (milliseconds != INFINITE)
      nap = std::min(pause, std::chrono::duration_cast<std::chrono::milliseconds>(
                                deadline - Clock::now() + std::chrono::milliseconds(1)));
    std::this_thread::sleep_for(nap);
    pause = std::min(pause * 2, std::chrono::milliseconds(20));
  }
  return true;
}

ChildHandle::ChildHandle(std::shared_ptr<ChildProcess> child, Resource kind)
    : child_(std::move(child)), kind_(kind) {
  Acquire(kind_);
}

ChildHandle::~ChildHandle() {
  Release(kind_);
}

DWORD ChildHandle::Wait(DWORD milliseconds) {
  // The child outlives the handle for as long as the wait holds it.
  std::shared_ptr<ChildProcess> child = child_;
  return child->WaitForEnd(milliseconds) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

}  // namespace qv::standin
