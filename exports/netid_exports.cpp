// The three network-adapter exports. Each call walks the present devices afresh and keeps
// nothing; anything thrown on the way (memory exhaustion) reads as "not identified".
#include "exports/boundary.h"
#include "exports/qvsupport.h"
#include "netid/manufacturer_id.h"

extern "C" {

int WINAPI GetLANManufacturerID() {
  return qv::GuardExport(qv::netid::kNotIdentified, qv::netid::IdentifyLANManufacturer);
}

int WINAPI GetWLANManufacturerID() {
  return qv::GuardExport(qv::netid::kNotIdentified, qv::netid::IdentifyWLANManufacturer);
}

int WINAPI GetWWANManufacturerID() {
  return qv::GuardExport(qv::netid::kNotIdentified, qv::netid::IdentifyWWANManufacturer);
}
}
