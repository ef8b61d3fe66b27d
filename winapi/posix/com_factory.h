// In-process classes of the stand-in's COM runtime, created by CoCreateInstance.
#pragma once

#include "winapi/posix/com.h"

namespace qv::standin {

HRESULT CreateGlobalInterfaceTable(REFIID iid, void** object);
// Fails with REGDB_E_CLASSNOTREG when the machine model has no WMI.
HRESULT CreateWbemLocator(REFIID iid, void** object);

// True when the calling thread has initialised COM.
bool ThreadHasApartment();

}  // namespace qv::standin
