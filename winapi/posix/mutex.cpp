// Mutexes on the stand-in's named sections. Each process keeps one ProcessMutex per mutex,
// shared by all its handles to it, which knows the owning thread of this process and its
// depth. Ownership across processes is an OFD write lock on byte 0 of the mutex's section,
// taken through the ProcessMutex's own open description; the lock dies with the description,
// so with the process. Byte 0 holds 1 while the mutex is owned: a lock won while it still
// holds 1 was left by an owner that ended without releasing, and the wait is abandoned.
#include "winapi/posix/mutex.h"

#include <fcntl.h>
#include <sys/mman.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "winapi/posix/handle_table.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/ledger.h"
#include "winapi/posix/named_section.h"

namespace qv::standin {
namespace {

using Clock = std::chrono::steady_clock;

constexpr char kMutexKind[] = ".mutex";
constexpr std::size_t kMutexBytes = 8;
constexpr unsigned char kOwnedMark = 1;
constexpr unsigned char kFreeMark = 0;
constexpr auto kPollInterval = std::chrono::milliseconds(1);

Clock::time_point DeadlineOf(DWORD milliseconds) {
  return milliseconds == INFINITE ? Clock::time_point::max()
                                  : Clock::now() + std::chrono::milliseconds(milliseconds);
}

bool WriteMark(int fd, unsigned char mark) {
  return pwrite(fd, &mark, 1, 0) == 1;
}

bool LockByteZero(int fd, short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 1;
  return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

class ProcessMutex {
 public:
  explicit ProcessMutex(int fd) : fd_(fd), pid_(getpid()) {}
  ProcessMutex(const ProcessMutex&) = delete;
  ProcessMutex& operator=(const ProcessMutex&) = delete;
  // An owner that closes its last handle abandons the mutex: the lock goes with the
  // description, and byte 0 still says "owned".
  ~ProcessMutex() = default;

  pid_t pid() const { return pid_; }

  DWORD Acquire(DWORD milliseconds) {
    const Clock::time_point deadline = DeadlineOf(milliseconds);
    std::unique_lock<std::mutex> guard(lock_);
    const std::thread::id self = std::this_thread::get_id();
    if (depth_ > 0 && owner_ == self) {
      ++depth_;
      return WAIT_OBJECT_0;
    }
    auto free = [this] { return depth_ == 0 && !claiming_; };
    if (deadline == Clock::time_point::max())
      changed_.wait(guard, free);
    else if (!changed_.wait_until(guard, deadline, free))
      return WAIT_TIMEOUT;
    claiming_ = true;
    guard.unlock();
    const DWORD result = TakeAcrossProcesses(deadline);
    guard.lock();
    claiming_ = false;
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) {
      owner_ = self;
      depth_ = 1;
    }
    changed_.notify_all();
    return result;
  }

  bool Release() {
    std::lock_guard<std::mutex> guard(lock_);
    if (depth_ == 0 || owner_ != std::this_thread::get_id()) return false;
    if (--depth_ > 0) return true;
    if (fd_.valid()) {
      WriteMark(fd_.get(), kFreeMark);
      LockByteZero(fd_.get(), F_UNLCK);
    }
    owner_ = std::thread::id();
    changed_.notify_all();
    return true;
  }

 private:
  DWORD TakeAcrossProcesses(Clock::time_point deadline) {
    if (!fd_.valid()) return WAIT_OBJECT_0;  // an unnamed mutex lives in this process only
    while (!LockByteZero(fd_.get(), F_WRLCK)) {
      if (errno != EAGAIN && errno != EACCES && errno != EINTR) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
      }
      if (Clock::now() >= deadline) return WAIT_TIMEOUT;
      std::this_thread::sleep_for(kPollInterval);
    }
    unsigned char mark = kFreeMark;
    const bool leftOwned = pread(fd_.get(), &mark, 1, 0) == 1 && mark == kOwnedMark;
    WriteMark(fd_.get(), kOwnedMark);
    return leftOwned ? WAIT_ABANDONED : WAIT_OBJECT_0;
  }

  FileDescriptor fd_;  // this process's own description of the section, or none
  pid_t pid_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::thread::id owner_;
  int depth_ = 0;
  bool claiming_ = false;  // a thread is taking the lock across processes
};

// This process's ProcessMutex of each named mutex it holds a handle to. Entries made by the
// parent before a fork belong to the parent and are not reused by the child.
class ProcessMutexes {
 public:
  static ProcessMutexes& Instance() {
    static ProcessMutexes* table = new ProcessMutexes;  // never destroyed: used during exit
    return *table;
  }

  std::shared_ptr<ProcessMutex> For(const SharedSection& section) {
    std::lock_guard<std::mutex> guard(lock_);
    std::weak_ptr<ProcessMutex>& entry = entries_[section.shmName()];
    std::shared_ptr<ProcessMutex> existing = entry.lock();
    if (existing && existing->pid() == getpid()) return existing;
    FileDescriptor fd(shm_open(section.shmName().c_str(), O_RDWR | O_CLOEXEC, 0600));
    if (!fd.valid()) return nullptr;
    auto created = std::make_shared<ProcessMutex>(fd.release());
    entry = created;
    return created;
  }

 private:
  std::mutex lock_;
  std::map<std::string, std::weak_ptr<ProcessMutex>> entries_;
};

class MutexObject : public WaitableObject {
 public:
  MutexObject(std::shared_ptr<SharedSection> section, std::shared_ptr<ProcessMutex> mutex)
      : section_(std::move(section)), mutex_(std::move(mutex)) {
    Acquire(Resource::Mutex);
  }
  ~MutexObject() override { Release(Resource::Mutex); }

  DWORD Wait(DWORD milliseconds) override { return mutex_->Acquire(milliseconds); }
  bool ReleaseOwnership() { return mutex_->Release(); }

 private:
  std::shared_ptr<SharedSection> section_;  // keeps the name; outlives mutex_
  std::shared_ptr<ProcessMutex> mutex_;
};

}  // namespace
}  // namespace qv::standin

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCSTR name) {
  using namespace qv::standin;
  if (ShouldFail("CreateMutexA")) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  bool existed = false;
  std::shared_ptr<SharedSection> section;
  std::shared_ptr<ProcessMutex> mutex;
  if (name != nullptr) {
    section = OpenNamedSection(name, kMutexKind, kMutexBytes, &existed);
    if (section) mutex = ProcessMutexes::Instance().For(*section);
  } else {
    mutex = std::make_shared<ProcessMutex>(-1);
  }
  if (!mutex) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto object = std::make_unique<MutexObject>(std::move(section), mutex);
  // A fresh mutex has no other holder, so the first wait cannot block.
  if (initialOwner && !existed) object->Wait(0);
  HANDLE handle = RegisterHandle(std::move(object));
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

BOOL WINAPI ReleaseMutex(HANDLE mutex) {
  using namespace qv::standin;
  if (ShouldFail("ReleaseMutex")) {
    SetLastError(ERROR_NOT_OWNER);
    return FALSE;
  }
  auto* object = LookupHandleAs<MutexObject>(mutex);
  if (object == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!object->ReleaseOwnership()) {
    SetLastError(ERROR_NOT_OWNER);
    return FALSE;
  }
  return TRUE;
}
