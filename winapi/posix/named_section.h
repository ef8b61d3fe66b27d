// Named kernel objects of the stand-in that other processes can open by name, on POSIX shared
// memory, with Windows lifetime semantics: a name stays bound to one object while any process
// holds a handle to it, and the next creator after the last holder (even one that crashed)
// gets a fresh, zeroed object.
//
// Each name owns two shm objects: the object's bytes and a gate that serialises creators.
// Every process that holds the object keeps a shared flock on its own open description of it;
// a creator that can take the exclusive lock knows that no other holder is alive and starts
// afresh. Locks die with their process, so a holder that crashes keeps nothing alive.
//
// Names live in a per-user namespace; the environment variable QV_SHM_NAMESPACE, when set,
// separates the objects of one test run from those of any other. Each kind of object (mapping,
// mutex) has its own names.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <cstddef>
#include <memory>
#include <string>

namespace qv::standin {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void reset(int fd) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

// One process's hold on a named object: the open description that carries the shared lock.
// It belongs to one handle alone. As on Windows, a name goes with the last handle: memory
// mapped from it outlives the handle (mmap keeps it) but not the name.
class SharedSection {
 public:
  SharedSection(int fd, std::string shmName, std::string gateName, std::size_t size);
  SharedSection(const SharedSection&) = delete;
  SharedSection& operator=(const SharedSection&) = delete;
  ~SharedSection();

  // Gives up the hold; the last holder removes the names, so no stale object outlives its
  // holders. Only the process that opened the section may: a forked child shares the
  // parent's open description, and with it the parent's lock.
  void ReleaseName();

  int fd() const { return fd_.get(); }
  std::size_t size() const { return size_; }
  // The shm name of the object's bytes, for a second open description of them; empty when
  // the section is anonymous.
  const std::string& shmName() const { return shmName_; }

 private:
  FileDescriptor fd_;
  std::string shmName_;
  std::string gateName_;
  std::size_t size_;
  pid_t owner_;
  bool released_ = false;
};

// Opens or creates the object `name` of the given kind ("" for mappings) with at least `size`
// bytes; sets `existed` when another holder is alive. Null when the host refuses.
std::shared_ptr<SharedSection> OpenNamedSection(const std::string& name, const char* kind,
                                                std::size_t size, bool* existed);

// A section that no other process can open by name.
std::shared_ptr<SharedSection> OpenAnonymousSection(std::size_t size);

}  // namespace qv::standin
