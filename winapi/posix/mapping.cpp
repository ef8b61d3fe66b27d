// Named mappings on POSIX shared memory. Each name owns two shm objects: the record itself and
// a gate that serialises creators. Every process that holds the record keeps a shared flock on
// its own open description of it; a creator that can take the exclusive lock knows that no
// other holder is alive and starts a fresh record. Locks die with their process, so a holder
// that crashes keeps nothing alive.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "winapi/posix/handle_table.h"
#include "winapi/posix/ledger.h"
#include "winapi/posix/mapping.h"

namespace {

using qv::standin::Resource;

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

std::string PosixNameOf(const std::string& name, const char* suffix) {
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

// One process's hold on a named record: the open description that carries the shared lock.
// It belongs to the mapping handle alone. As on Windows, a name goes with the last handle: a
// view that outlives its handle keeps its memory (mmap does) but not the name, so the next
// creator then gets a fresh record.
class SharedSection {
 public:
  SharedSection(int fd, std::string shmName, std::string gateName, std::size_t size);
  SharedSection(const SharedSection&) = delete;
  SharedSection& operator=(const SharedSection&) = delete;
  ~SharedSection();

  // Gives up the hold; the last holder removes the names, so no stale record outlives its
  // holders. Only the process that opened the section may: a forked child shares the
  // parent's open description, and with it the parent's lock.
  void ReleaseName();

  int fd() const { return fd_.get(); }
  std::size_t size() const { return size_; }

 private:
  FileDescriptor fd_;
  std::string shmName_;
  std::string gateName_;
  std::size_t size_;
  pid_t owner_;
  bool released_ = false;
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

struct MappingObject : qv::standin::KernelObject {
  explicit MappingObject(std::shared_ptr<SharedSection> s) : section(std::move(s)) {
    qv::standin::Acquire(Resource::Mapping);
  }
  ~MappingObject() override { qv::standin::Release(Resource::Mapping); }
  std::shared_ptr<SharedSection> section;
};

struct View {
  std::size_t length;
};

struct ViewTable {
  std::mutex lock;
  std::map<const void*, View> views;
};

ViewTable& Views() {
  static ViewTable* table = new ViewTable;  // never destroyed: views may be unmapped at exit
  return *table;
}

bool Resize(int fd, std::size_t size) {
  struct stat info {};
  if (fstat(fd, &info) != 0) return false;
  if (static_cast<std::size_t>(info.st_size) >= size) return true;
  return ftruncate(fd, static_cast<off_t>(size)) == 0;
}

// Opens or creates the record of `name`; sets `existed` when another holder is alive.
std::shared_ptr<SharedSection> OpenNamedSection(const std::string& name, std::size_t size,
                                                bool* existed) {
  std::string shmName = PosixNameOf(name, "");
  std::string gateName = PosixNameOf(name, ".gate");
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

}  // namespace

HANDLE WINAPI CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES, DWORD protect,
                                 DWORD maximumSizeHigh, DWORD maximumSizeLow, LPCSTR name) {
  if (qv::standin::ShouldFail("CreateFileMappingA")) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (file != INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_INVALID_HANDLE);  // file-backed mappings are not part of the stand-in
    return nullptr;
  }
  std::uint64_t size = (static_cast<std::uint64_t>(maximumSizeHigh) << 32) | maximumSizeLow;
  if (size == 0 || (protect != PAGE_READWRITE && protect != PAGE_READONLY)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  bool existed = false;
  std::shared_ptr<SharedSection> section =
      name != nullptr ? OpenNamedSection(name, size, &existed) : OpenAnonymousSection(size);
  if (!section) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  HANDLE handle = qv::standin::RegisterHandle(std::make_unique<MappingObject>(section));
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

LPVOID WINAPI MapViewOfFile(HANDLE mapping, DWORD desiredAccess, DWORD offsetHigh, DWORD offsetLow,
                            SIZE_T bytesToMap) {
  if (qv::standin::ShouldFail("MapViewOfFile")) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto* object = qv::standin::LookupHandleAs<MappingObject>(mapping);
  if (object == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  std::shared_ptr<SharedSection> section = object->section;
  std::size_t length = bytesToMap == 0 ? section->size() : bytesToMap;
  if (offsetHigh != 0 || offsetLow != 0 || length > section->size()) {
    SetLastError(ERROR_ACCESS_DENIED);  // views start at 0 in this stand-in
    return nullptr;
  }
  int protection = PROT_READ | ((desiredAccess & FILE_MAP_WRITE) ? PROT_WRITE : 0);
  void* address = mmap(nullptr, length, protection, MAP_SHARED, section->fd(), 0);
  if (address == MAP_FAILED) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  ViewTable& table = Views();
  std::lock_guard<std::mutex> guard(table.lock);
  table.views.emplace(address, View{length});
  qv::standin::Acquire(Resource::View);
  return address;
}

BOOL WINAPI UnmapViewOfFile(LPCVOID baseAddress) {
  if (qv::standin::ShouldFail("UnmapViewOfFile")) {
    SetLastError(ERROR_INVALID_ADDRESS);
    return FALSE;
  }
  View view;
  {
    ViewTable& table = Views();
    std::lock_guard<std::mutex> guard(table.lock);
    auto it = table.views.find(baseAddress);
    if (it == table.views.end()) {
      SetLastError(ERROR_INVALID_ADDRESS);
      return FALSE;
    }
    view = std::move(it->second);
    table.views.erase(it);
  }
  munmap(const_cast<void*>(baseAddress), view.length);
  qv::standin::Release(Resource::View);
  return TRUE;
}
