// Small readers for sysfs attribute files, shared by the host device loaders. Every reader
// reports a missing, unreadable or malformed attribute as absent.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qv::machine::sysfs {

// The first line of the file without surrounding white space.
std::optional<std::string> ReadAttribute(const std::string& path);
// The file's first line read as a hexadecimal number ("0x8086" or "8086"), at most `maximum`.
std::optional<std::uint32_t> ReadHex(const std::string& path, std::uint32_t maximum);
// The names of the entries of a directory, sorted; empty when it cannot be read.
std::vector<std::string> SortedEntries(const std::string& directory);
// A 32-bit FNV-1a hash: stands in for the parent-node numbers of Windows instance IDs.
std::uint32_t StableHash(const std::string& text);
// printf-style formatting into a std::string.
std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace qv::machine::sysfs

namespace qv::machine {

std::vector<std::string> HostPciInstanceIds(const std::string& sysfsRoot);
std::vector<std::string> HostUsbInstanceIds(const std::string& sysfsRoot);

}  // namespace qv::machine
