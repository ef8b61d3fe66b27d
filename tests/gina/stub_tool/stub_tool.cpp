// A stand-in for an external tool. It appends one line describing how it was started to the
// file named by QV_STUB_LOG (or "<its own path>.log"): its own path, its process ID, its
// working directory and its arguments, separated by tabs. QV_STUB_HANG=<seconds> makes it
// stay alive that long before exiting, to play a tool that does not end.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

std::string OwnPath() {
  char path[4096] = {};
  const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
  return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string("?");
}

std::string WorkingDirectory() {
  char path[4096] = {};
  return getcwd(path, sizeof(path)) != nullptr ? std::string(path) : std::string("?");
}

std::string Describe(int argc, char** argv) {
  std::string line = OwnPath() + "\t" + std::to_string(getpid()) + "\t" + WorkingDirectory();
  for (int i = 0; i < argc; ++i) line += std::string("\t") + argv[i];
  return line + "\n";
}

void Append(const std::string& path, const std::string& line) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  // One write per line keeps lines whole when several copies run.
  const ssize_t written = write(fd, line.data(), line.size());
  (void)written;
  close(fd);
}

}  // namespace

int main(int argc, char** argv) {
  const char* log = std::getenv("QV_STUB_LOG");
  Append(log != nullptr && *log != '\0' ? log : OwnPath() + ".log", Describe(argc, argv));
  if (const char* hang = std::getenv("QV_STUB_HANG"))
    for (int second = std::atoi(hang); second > 0; --second) sleep(1);
  return 0;
}
