#include "winapi/posix/process.h"

#include <spawn.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>

#include "winapi/posix/last_error.h"
#include "winapi/posix/process_child.h"
#include "winapi/posix/process_command_line.h"
#include "winapi/posix/process_log.h"
#include "winapi/posix/process_path.h"

extern char** environ;

namespace qv::standin {
namespace {

constexpr DWORD kUnsupportedFlags =
    CREATE_SUSPENDED | DEBUG_PROCESS | DEBUG_ONLY_THIS_PROCESS | CREATE_UNICODE_ENVIRONMENT;

struct StartLog {
  std::mutex lock;
  std::vector<ProcessStartRecord> records;
  std::vector<ProcessWaitRecord> waits;
};

StartLog& TheStartLog() {
  static StartLog* log = new StartLog;  // never destroyed: calls may run during exit
  return *log;
}

void RecordStart(const ProcessStartRecord& record) {
  StartLog& log = TheStartLog();
  std::lock_guard<std::mutex> guard(log.lock);
  log.records.push_back(record);
}

void RecordWait(int pid, DWORD milliseconds) {
  StartLog& log = TheStartLog();
  std::lock_guard<std::mutex> guard(log.lock);
  log.waits.push_back({pid, milliseconds});
}

// The argument and environment vectors posix_spawn takes, kept alive with their strings.
class CStringVector {
 public:
  explicit CStringVector(std::vector<std::string> strings) : strings_(std::move(strings)) {
    for (std::string& s : strings_) pointers_.push_back(s.data());
    pointers_.push_back(nullptr);
  }
  char* const* get() { return pointers_.data(); }

 private:
  std::vector<std::string> strings_;
  std::vector<char*> pointers_;
};

// An ANSI environment block: "NAME=value" strings, each NUL-terminated, ending with an empty
// one. Windows's per-drive entries ("=C:=C:\") mean nothing here and are left out.
std::vector<std::string> ParseEnvironmentBlock(const char* block) {
  std::vector<std::string> entries;
  for (const char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1)
    if (entry[0] != '=') entries.emplace_back(entry);
  return entries;
}

DWORD ErrorFromSpawn(int error) {
  switch (error) {
    case ENOEXEC:
      return ERROR_BAD_EXE_FORMAT;
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    default:
      return ERROR_ACCESS_DENIED;
  }
}

class SpawnActions {
 public:
  SpawnActions() { posix_spawn_file_actions_init(&actions_); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

struct SpawnRequest {
  std::string program;
  std::vector<std::string> arguments;
  const char* environment = nullptr;  // ANSI block, or null for ours
  std::optional<std::string> directory;
  bool inheritHandles = false;
};

DWORD Spawn(const SpawnRequest& request, pid_t* pid) {
  SpawnActions actions;
  if (request.directory)
    posix_spawn_file_actions_addchdir_np(actions.get(), request.directory->c_str());
  if (!request.inheritHandles) posix_spawn_file_actions_addclosefrom_np(actions.get(), 3);
  CStringVector argv(request.arguments);
  std::optional<CStringVector> envp;
  if (request.environment != nullptr) envp.emplace(ParseEnvironmentBlock(request.environment));
  const int error = posix_spawn(pid, request.program.c_str(), actions.get(), nullptr, argv.get(),
                                envp ? envp->get() : environ);
  return error == 0 ? 0 : ErrorFromSpawn(error);
}

// The module to run: the application name, or else the command line's first token, to which
// Windows adds ".exe" when it has no extension.
std::string ModuleName(LPCSTR applicationName, const std::vector<std::string>& arguments) {
  if (applicationName != nullptr) return applicationName;
  std::string name = arguments.empty() ? "" : arguments.front();
  const std::size_t fileStart = name.find_last_of("\\/:") + 1;
  if (!name.empty() && name.find('.', fileStart) == std::string::npos) name += ".exe";
  return name;
}

DWORD PrepareRequest(LPCSTR applicationName, LPCSTR commandLine, LPCSTR currentDirectory,
                     SpawnRequest* request) {
  request->arguments = SplitCommandLine(commandLine != nullptr ? commandLine : applicationName);
  DWORD error = 0;
  auto program = HostPathOf(ModuleName(applicationName, request->arguments), &error);
  if (!program) return error;
  request->program = *program;
  if (request->arguments.empty()) request->arguments.push_back(request->program);
  if (currentDirectory != nullptr) {
    request->directory = HostPathOf(currentDirectory, &error);
    if (!request->directory || DirectoryError(*request->directory) != 0) return ERROR_DIRECTORY;
  }
  return ProgramFileError(request->program);
}

void HandOut(pid_t pid, LPPROCESS_INFORMATION info) {
  auto child = std::make_shared<ChildProcess>(pid);
  info->hProcess = RegisterHandle(std::make_unique<ChildHandle>(child, Resource::Process));
  info->hThread = RegisterHandle(std::make_unique<ChildHandle>(child, Resource::Thread));
  info->dwProcessId = static_cast<DWORD>(pid);
  info->dwThreadId = static_cast<DWORD>(pid);  // a Linux process's main thread has its ID
}

DWORD StartProcess(LPCSTR applicationName, LPSTR commandLine, BOOL inheritHandles,
                   DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                   LPPROCESS_INFORMATION info, ProcessStartRecord* record) {
  if (applicationName == nullptr && commandLine == nullptr) return ERROR_INVALID_PARAMETER;
  if ((creationFlags & kUnsupportedFlags) != 0) return ERROR_INVALID_PARAMETER;
  SpawnRequest request;
  request.environment = static_cast<const char*>(environment);
  request.inheritHandles = inheritHandles != FALSE;
  const DWORD error = PrepareRequest(applicationName, commandLine, currentDirectory, &request);
  record->hostPath = request.program;
  if (error != 0) return error;
  pid_t pid = 0;
  if (const DWORD spawnError = Spawn(request, &pid); spawnError != 0) return spawnError;
  HandOut(pid, info);
  record->pid = static_cast<int>(pid);
  return 0;
}

}  // namespace

std::vector<ProcessStartRecord> ProcessStarts() {
  StartLog& log = TheStartLog();
  std::lock_guard<std::mutex> guard(log.lock);
  return log.records;
}

std::vector<ProcessWaitRecord> ProcessWaits() {
  StartLog& log = TheStartLog();
  std::lock_guard<std::mutex> guard(log.lock);
  return log.waits;
}

void ClearProcessStarts() {
  StartLog& log = TheStartLog();
  std::lock_guard<std::mutex> guard(log.lock);
  log.records.clear();
  log.waits.clear();
}

}  // namespace qv::standin

BOOL WINAPI CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES,
                           LPSECURITY_ATTRIBUTES, BOOL inheritHandles, DWORD creationFlags,
                           LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                           LPPROCESS_INFORMATION processInformation) {
  qv::standin::ReapOrphans();
  if (qv::standin::ShouldFail("CreateProcessA")) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (startupInfo == nullptr || processInformation == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  qv::standin::ProcessStartRecord record;
  record.applicationName = applicationName != nullptr ? applicationName : "";
  record.commandLine = commandLine != nullptr ? commandLine : "";
  record.creationFlags = creationFlags;
  record.startupInfoSize = startupInfo->cb;
  record.inheritHandles = inheritHandles;
  record.error =
      qv::standin::StartProcess(applicationName, commandLine, inheritHandles, creationFlags,
                                environment, currentDirectory, processInformation, &record);
  qv::standin::RecordStart(record);
  if (record.error != 0) {
    SetLastError(record.error);
    return FALSE;
  }
  return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  qv::standin::ReapOrphans();
  if (qv::standin::ShouldFail("WaitForSingleObject")) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  auto* waitable = qv::standin::LookupHandleAs<qv::standin::WaitableObject>(handle);
  if (waitable == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  // Waits on a child are logged with their time-outs; mutexes keep their own books.
  if (auto* child = dynamic_cast<qv::standin::ChildHandle*>(waitable)) {
    qv::standin::RecordWait(static_cast<int>(child->child()->pid()), milliseconds);
  }
  return waitable->Wait(milliseconds);
}
