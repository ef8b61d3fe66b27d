// The content of root\wmi on the current machine model: the classes and instances that the
// stand-in's IWbemServices hands out. Every call builds fresh objects, as WMI does.
#pragma once

#include <optional>
#include <vector>

#include "winapi/posix/wbem_object.h"

namespace qv::standin {

// "Class" or "Class.Key=\"value\"" with WMI's backslash escapes removed from the value.
struct ObjectPath {
  WideText className;
  std::optional<WideText> keyName;
  WideText keyValue;
};

std::optional<ObjectPath> ParseObjectPath(const WideText& path);

// The instance name of the ACPI-WMI mapper, unescaped.
extern const char16_t kMapperInstance[];

// A new class object or keyed instance (one reference for the caller), or null when the
// namespace holds no such object.
WbemObject* LookUpObject(const ObjectPath& path);

// The instances of a class, or nullopt when the namespace has no such class.
std::optional<std::vector<WbemObject*>> EnumerateInstances(const WideText& className);

}  // namespace qv::standin
