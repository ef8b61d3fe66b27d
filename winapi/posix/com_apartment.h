// Identities of the stand-in's COM apartments. Every single-threaded apartment is new each time
// a thread initialises COM from nothing; all threads in the multithreaded apartment share one,
// which lives while any of them holds it. An apartment ends with its last CoUninitialize.
#pragma once

#include <cstdint>

namespace qv::standin {

using ApartmentId = std::uint64_t;
constexpr ApartmentId kNoApartment = 0;

// The apartment of the calling thread, or kNoApartment when it has not initialised COM.
ApartmentId CurrentApartment();
bool ApartmentAlive(ApartmentId apartment);
bool AnyApartmentAlive();

}  // namespace qv::standin
