// Allocation failure on demand for this test program, which replaces the global operator new.
// Once armed, the first allocation at or after the n-th (1-based, counted from arming) that the
// library's own code makes throws std::bad_alloc (or returns null for the nothrow forms).
//
// Allocations that the Win32 stand-in makes are never failed: the real API reports exhaustion
// through its return values, which the fault-injection sweep covers, and never throws into
// its caller. Where an allocation comes from is told by the code that called operator new,
// found in the link map of this program.
#pragma once

#include <optional>
#include <string>

namespace qv::oom {

// Reads the link map; false (with the reason in `problem`) when it cannot be used.
bool LoadCodeMap(std::string* problem);

void ArmFailureAt(long n);
void Disarm();

// The allocation number (counted from arming) that was failed, if any.
std::optional<long> FailedAllocation();

}  // namespace qv::oom
