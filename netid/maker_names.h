// The makers behind the manufacturer exports' codes, in words for people: qvtool's reports and
// the custom actions' properties name each maker the same way.
#pragma once

#include <string>

namespace qv::netid {

// Each is empty for a code that names no maker (kNotIdentified among them).
std::string LANMakerName(int code);
std::string WLANMakerName(int code);
// A modem maker is known only by its rows of product IDs: "second modem maker (PID_4B20)".
std::string WWANMakerName(int code);

}  // namespace qv::netid
