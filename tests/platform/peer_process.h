// A second process for the tests of what processes share: a forked child that runs a body,
// can be held just before a chosen stand-in call, and stays alive (holding what it opened)
// until the test lets it end. The child never returns into the test framework.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>

namespace qv::testing {

class PeerProcess {
 public:
  struct Hold {
    const char* call = nullptr;  // none: the child is never held
    int occurrence = 1;          // held before this call of `call`, counted in the child
  };

  // Forks; the child runs `body`, which may Send results and WaitForParent to keep what it
  // opened, and exits with body's result.
  PeerProcess(std::function<int(PeerProcess&)> body, Hold hold);
  explicit PeerProcess(std::function<int(PeerProcess&)> body)
      : PeerProcess(std::move(body), Hold{nullptr, 1}) {}
  PeerProcess(const PeerProcess&) = delete;
  PeerProcess& operator=(const PeerProcess&) = delete;
  ~PeerProcess();  // kills a child that is still there

  // Parent side.
  bool AwaitHeld();  // true once the child stands before the held call
  void Resume();     // lets a held child go on
  bool Receive(void* bytes, std::size_t length);
  int Finish();  // resumes the child and waits for its end: its exit code, or -1
  void Kill();   // SIGKILL, as a crash would end it

  // Child side.
  void Send(const void* bytes, std::size_t length);
  void WaitForParent();  // until the parent resumes or finishes it

 private:
  static void HoldHook(const char* call);

  pid_t pid_ = -1;
  int sockets_[2] = {-1, -1};  // the parent's end, the child's end
  Hold hold_;
  int seen_ = 0;
};

}  // namespace qv::testing
