// The instance IDs of the present devices of one bus enumerator ("PCI", "USB"), read in one
// pass over the device set and kept upper-cased, so that any number of table rows can be
// tried against them without enumerating the devices again.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "util/qv_string.h"
#include "win/scoped_device_info_set.h"

namespace qv::netid {

// Opens the set of present devices of one bus enumerator, of every setup class.
win::ScopedDeviceInfoSet OpenPresentDevices(const char* enumerator);

class DeviceSnapshot {
 public:
  // Opens the enumerator's set of present devices, reads the instance ID of each device in
  // device order and destroys the set. A device whose instance ID cannot be fetched ends the
  // snapshot: it and the devices after it are left out. A set that cannot be opened, or no
  // memory for the device record, gives an empty snapshot.
  static DeviceSnapshot Take(const char* enumerator);

  // True when a device's instance ID contains `row` under the matching rule.
  bool AnyContains(const QVString& row) const;

  std::size_t size() const { return instanceIds_.size(); }

 private:
  std::vector<std::string> instanceIds_;  // as fetched
  std::vector<std::string> idImages_;     // AsciiImage of each, in the same order
};

}  // namespace qv::netid
