#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "netid/adapter_tables.h"
#include "netid/device_snapshot.h"
#include "netid/hardware_id_match.h"
#include "netid/manufacturer_id.h"
#include "winapi/win32.h"

// The wireless-LAN identification walks the PCI devices once, device by device, trying every
// table row against each device; the first matching device in device order is the result.

namespace qv::netid {
namespace {

// A narrow buffer for instance IDs that is replaced, never extended, when a longer ID comes.
// Its capacity is always the size last passed to the platform.
class InstanceIdBuffer {
 public:
  char* data() const { return data_.get(); }
  DWORD capacity() const { return capacity_; }

  // Gives back the old buffer and takes one of exactly `chars` characters; false without memory.
  bool Replace(DWORD chars) {
    data_.reset();
    data_.reset(new (std::nothrow) char[chars]);
    capacity_ = data_ ? chars : 0;
    return data_ != nullptr;
  }

 private:
  std::unique_ptr<char[]> data_;
  DWORD capacity_ = 0;
};

// Fetches the instance ID of the device `record` describes, growing the buffer once when the
// platform reports that it needs more room.
bool FetchInstanceId(HDEVINFO devices, SP_DEVINFO_DATA& record, InstanceIdBuffer& buffer) {
  DWORD requiredSize = 0;  // stays 0 unless the platform reports a size
  if (SetupDiGetDeviceInstanceIdA(devices, &record, buffer.data(), buffer.capacity(),
                                  &requiredSize))
    return true;
  if (buffer.capacity() >= requiredSize) return false;
  if (!buffer.Replace(requiredSize)) return false;
  return SetupDiGetDeviceInstanceIdA(devices, &record, buffer.data(), buffer.capacity(),
                                     &requiredSize) != FALSE;
}

// The rows up to the table's empty row, prepared once for the whole walk: each as its ASCII
// image when it has one, else upper-cased for the wide comparison.
struct PreparedRow {
  std::optional<std::string> image;
  QVString upper;
};

std::vector<PreparedRow> PrepareRows(const PatternTable& table) {
  std::vector<PreparedRow> rows;
  for (const QVString& row : table) {
    if (row.IsEmpty()) break;
    PreparedRow prepared{AsciiRowImage(row), QVString()};
    if (!prepared.image) prepared.upper = UpperCased(row);
    rows.push_back(std::move(prepared));
  }
  return rows;
}

// The upper-cased instance ID when it contains one of the rows, else the empty string.
QVString MatchAgainstRows(const char* instanceId, const std::vector<PreparedRow>& rows) {
  const std::string idImage = AsciiImage(instanceId);
  for (const PreparedRow& row : rows) {
    const bool found = row.image ? ImageContainsRow(idImage, *row.image)
                                 : ContainsRow(UpperCased(instanceId), row.upper);
    if (found) return UpperCased(instanceId);
  }
  return QVString();
}

QVString FindFirstMatchingDevice(const win::ScopedDeviceInfoSet& devices,
                                 const std::vector<PreparedRow>& rows) {
  SP_DEVINFO_DATA record{};
  record.cbSize = sizeof(SP_DEVINFO_DATA);
  InstanceIdBuffer buffer;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(devices.Get(), index, &record); ++index) {
    if (!FetchInstanceId(devices.Get(), record, buffer)) break;
    QVString match = MatchAgainstRows(buffer.data(), rows);
    if (!match.IsEmpty()) return match;
  }
  return QVString();
}

}  // namespace

int IdentifyWLANManufacturer() {
  const win::ScopedDeviceInfoSet devices = OpenPresentDevices("PCI");
  if (!devices.IsValid()) return kNotIdentified;
  const QVString match = FindFirstMatchingDevice(devices, PrepareRows(WLANDeviceIDs()));
  // Tested first: an empty (wide) result would "contain" a vendor text whose conversion failed.
  if (match.IsEmpty()) return kNotIdentified;
  return match.Find("VEN_14E4", 0) != -1 ? kWLANBroadcom : kNotIdentified;
}

}  // namespace qv::netid
