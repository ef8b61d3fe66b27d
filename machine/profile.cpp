// Loads a simulated machine from a JSON machine profile (format: docs/MACHINE-PROFILE.md).
#include <cerrno>
#include <cstring>
#include <fstream>

#include "machine/machine.h"
#include "machine/profile_reader.h"
#include "machine/profile_sections.h"

namespace qv::machine {
namespace {

using profile::Json;
using profile::ProfileReader;

constexpr int kSchema = 1;
// Far beyond any real profile; stops a path such as /dev/zero from exhausting memory.
constexpr std::size_t kMaximumProfileSize = 64u << 20;

std::optional<std::string> ReadWholeFile(const std::string& path, std::string* problem) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *problem = std::strerror(errno);
    return std::nullopt;
  }
  std::string text;
  char chunk[4096];
  while (file.read(chunk, sizeof chunk), file.gcount() > 0) {
    text.append(chunk, static_cast<std::size_t>(file.gcount()));
    if (text.size() > kMaximumProfileSize) {
      *problem = "larger than 64 MiB";
      return std::nullopt;
    }
  }
  if (file.bad()) {
    *problem = std::strerror(errno);
    return std::nullopt;
  }
  return text;
}

// nlohmann's messages start with "[json.exception.parse_error.101] "; the tag helps nobody.
std::string WithoutExceptionTag(const std::string& what) {
  const auto end = what.find("] ");
  return what.rfind("[json.exception.", 0) == 0 && end != std::string::npos ? what.substr(end + 2)
                                                                            : what;
}

bool HasSupportedSchema(const Json& root, ProfileReader& reader) {
  if (!root.contains("schema")) {
    reader.Fail("schema", "missing");
    return false;
  }
  const Json& schema = root["schema"];
  if (!schema.is_number_integer() || schema != kSchema) {
    reader.Fail("schema", "expected 1, the only schema this build reads");
    return false;
  }
  return true;
}

void ReadSections(const Json& root, ProfileReader& reader, Machine* machine) {
  reader.CheckKeys(root, "", {"schema", "os", "power", "wmi", "devices", "registry", "faults"});
  if (root.contains("os")) {
    if (auto os = profile::ReadOs(root["os"], reader)) machine->os = *os;
  }
  if (root.contains("power")) machine->acLineStatus = profile::ReadPower(root["power"], reader);
  if (root.contains("wmi")) machine->wmi = profile::ReadWmi(root["wmi"], reader);
  if (root.contains("devices")) {
    if (auto devices = profile::ReadDevices(root["devices"], reader)) {
      machine->devices = std::move(devices->present);
      machine->notPresentDevices = std::move(devices->notPresent);
    }
  }
  if (root.contains("registry")) {
    if (auto registry = profile::ReadRegistry(root["registry"], reader)) {
      machine->registry = std::move(*registry);
    }
  }
  if (root.contains("faults")) {
    if (auto faults = profile::ReadFaults(root["faults"], reader)) {
      machine->faults = std::move(*faults);
    }
  }
}

void ReadProfile(const std::string& path, ProfileReader& reader, Machine* machine) {
  std::string problem;
  const auto text = ReadWholeFile(path, &problem);
  if (!text) {
    reader.Note("cannot read", problem);
    return;
  }
  Json root;
  try {
    root = Json::parse(*text);
  } catch (const Json::exception& error) {
    reader.Note("invalid JSON", WithoutExceptionTag(error.what()));
    return;
  }
  if (!reader.Object(root, "profile")) return;
  if (!HasSupportedSchema(root, reader)) return;
  ReadSections(root, reader, machine);
}

}  // namespace

std::shared_ptr<Machine> LoadProfile(const std::string& path, std::string* error) {
  auto machine = std::make_shared<Machine>();
  machine->description = path;
  ProfileReader reader(path);
  ReadProfile(path, reader, machine.get());
  if (error != nullptr) *error = reader.Message();
  return machine;
}

}  // namespace qv::machine
