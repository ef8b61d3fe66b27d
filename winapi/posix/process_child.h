// A child process started by the stand-in, shared by its process and thread handles.
#pragma once

#include <sys/types.h>

#include <memory>
#include <mutex>

#include "winapi/posix/handle_table.h"
#include "winapi/posix/ledger.h"

namespace qv::standin {

class ChildProcess {
 public:
  explicit ChildProcess(pid_t pid) : pid_(pid) {}
  // A child that has not been reaped yet is handed to the orphan list.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // True once the child has ended (and been reaped); waits at most `milliseconds`
  // (INFINITE: without limit).
  bool WaitForEnd(DWORD milliseconds);
  pid_t pid() const { return pid_; }

 private:
  bool TryReap();

  const pid_t pid_;
  std::mutex lock_;
  bool ended_ = false;
};

// A process or thread handle: both name the same child.
class ChildHandle : public WaitableObject {
 public:
  ChildHandle(std::shared_ptr<ChildProcess> child, Resource kind);
  ~ChildHandle() override;
  std::shared_ptr<ChildProcess> child() const { return child_; }
  DWORD Wait(DWORD milliseconds) override;

 private:
  std::shared_ptr<ChildProcess> child_;
  Resource kind_;
};

// Reaps orphaned children that have ended since; never blocks.
void ReapOrphans();

}  // namespace qv::standin
