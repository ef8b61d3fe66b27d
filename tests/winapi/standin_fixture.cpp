#include "tests/winapi/standin_fixture.h"

#include <stdlib.h>
#include <unistd.h>

namespace qv::testing {
namespace {

std::string SharedMemoryNamespace() {
  return "winapi-test-" + std::to_string(getpid());
}

}  // namespace

void StandinTest::SetUp() {
  setenv("QV_SHM_NAMESPACE", SharedMemoryNamespace().c_str(), 1);
  FreshBooksTest::SetUp();
}

std::string StandinTest::SharedMemoryPath(const std::string& name) {
  return "/dev/shm/qv-" + std::to_string(getuid()) + "-" + SharedMemoryNamespace() + "-" + name;
}

}  // namespace qv::testing
