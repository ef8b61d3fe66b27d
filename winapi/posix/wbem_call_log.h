// Where the stand-in's WMI writes down the arguments that wbem_control.h shows to tests.
#pragma once

#include <cstdint>
#include <string>

namespace qv::standin {

void RecordEnumeration(const std::u16string& what, std::int32_t flags);
void RecordNext(std::int32_t timeout, std::uint32_t count);

}  // namespace qv::standin
