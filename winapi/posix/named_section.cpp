#include "winapi/posix/named_section.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <set>

namespace qv::standin {
namespace {

std::string PosixNameOf(const std::string& name, const std::string& suffix) {
  std::string posixName = "/qv-" + std::to_string(getuid()) + "-";
  if (const char* ns = std::getenv("QV_SHM_NAMESPACE"); ns != nullptr && *ns != '\0') {
    posixName += ns;
    posixName += "-";
  }
  for (char c : name) posixName += (c == '/' || c == '\\') ? '_' : c;
  return posixName + suffix;
}

// Holds the gate of one name exclusively while a creator or the last holder decides. The last
// holder removes the gate with the record, so a gate whose lock was won after its name went
// away is stale and the lock is taken again on the current one.
class GateLock {
 public:
  explicit GateLock(const std::string& gateName) {
    for (int attempt = 0; attempt < kAttempts && !held(); ++attempt) {
      FileDescriptor fd(shm_open(gateName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
      if (!fd.valid()) return;
      while (flock(fd.get(), LOCK_EX) != 0)
        if (errno != EINTR) return;
      if (StillNamed(fd.get(), gateName)) fd_.reset(fd.release());
    }
  }
  bool held() const { return fd_.valid(); }

 private:
  static constexpr int kAttempts = 100;

  static bool StillNamed(int fd, const std::string& gateName) {
    FileDescriptor named(shm_open(gateName.c_str(), O_RDONLY | O_CLOEXEC, 0600));
    struct stat held;
    struct stat current;
    return named.valid() && fstat(fd, &held) == 0 && fstat(named.get(), &current) == 0 &&
           held.st_ino == current.st_ino && held.st_dev == current.st_dev;
  }

  FileDescriptor fd_;  // closing it drops the lock
};

// The named sections this process holds. Windows closes a process's handles when it exits;
// at a normal exit the stand-in likewise gives up every hold still open, so the names of a
// process that never closed its handles do not linger.
class HeldSections {
 public:
  static HeldSections& Instance() {
    static HeldSections* held = new HeldSections;  // never destroyed: used during exit
    return *held;
  }

  void Add(SharedSection* section) {
    std::lock_guard<std::mutex> guard(lock_);
    sections_.insert(section);
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit(ReleaseAllAtExit); });
  }

  void Remove(SharedSection* section) {
    std::lock_guard<std::mutex> guard(lock_);
    sections_.erase(section);
  }

 private:
  static void ReleaseAllAtExit() {
    HeldSections& held = Instance();
    std::lock_guard<std::mutex> guard(held.lock_);
    for (SharedSection* section : held.sections_) section->ReleaseName();
  }

  std::mutex lock_;
  std::set<SharedSection*> sections_;
};

bool Resize(int fd, std::size_t size) {
  struct stat info {};
  if (fstat(fd, &info) != 0) return false;
  if (static_cast<std::size_t>(info.st_size) >= size) return true;
  return ftruncate(fd, static_cast<off_t>(size)) == 0;
}

}  // namespace

SharedSection::SharedSection(int fd, std::string shmName, std::string gateName, std::size_t size)
    : fd_(fd),
      shmName_(std::move(shmName)),
      gateName_(std::move(gateName)),
      size_(size),
      owner_(getpid()) {
  if (!shmName_.empty()) HeldSections::Instance().Add(this);
}

SharedSection::~SharedSection() {
  if (shmName_.empty()) return;  // anonymous
  HeldSections::Instance().Remove(this);
  ReleaseName();
}

void SharedSection::ReleaseName() {
  if (released_ || getpid() != owner_) return;
  released_ = true;
  GateLock gate(gateName_);
  if (gate.held() && flock(fd_.get(), LOCK_EX | LOCK_NB) == 0) {
    shm_unlink(shmName_.c_str());
    shm_unlink(gateName_.c_str());
  }
}

std::shared_ptr<SharedSection> OpenNamedSection(const std::string& name, const char* kind,
                                                std::size_t size, bool* existed) {
  std::string shmName = PosixNameOf(name, kind);
  std::string gateName = PosixNameOf(name, std::string(kind) + ".gate");
  GateLock gate(gateName);
  if (!gate.held()) return nullptr;
  FileDescriptor fd(shm_open(shmName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (!fd.valid()) return nullptr;
  *existed = flock(fd.get(), LOCK_EX | LOCK_NB) != 0;
  if (*existed) {
    if (flock(fd.get(), LOCK_SH) != 0 || !Resize(fd.get(), size)) return nullptr;
  } else {
    // Nobody holds the name: whatever a dead holder left behind is discarded.
    if (ftruncate(fd.get(), 0) != 0 || ftruncate(fd.get(), static_cast<off_t>(size)) != 0)
      return nullptr;
    if (flock(fd.get(), LOCK_SH) != 0) return nullptr;
  }
  return std::make_shared<SharedSection>(fd.release(), shmName, gateName, size);
}

std::shared_ptr<SharedSection> OpenAnonymousSection(std::size_t size) {
  FileDescriptor fd(memfd_create("qv-mapping", MFD_CLOEXEC));
  if (!fd.valid() || ftruncate(fd.get(), static_cast<off_t>(size)) != 0) return nullptr;
  return std::make_shared<SharedSection>(fd.release(), "", "", size);
}

}  // namespace qv::standin
