// The simulated BIOS behind the ACPI-WMI mapper: answers one DoBFn request block.
#pragma once

#include <cstdint>
#include <vector>

#include "machine/machine.h"

namespace qv::standin {

constexpr std::size_t kBiosBlockSize = 44;

// The response to `request` (at least kBiosBlockSize bytes): the request with the status and
// results of the first matching function, or status -2 when none matches. The response has
// the request's length unless the BIOS model asks for another.
std::vector<std::uint8_t> AnswerBiosRequest(const machine::Bios& bios,
                                            const std::vector<std::uint8_t>& request);

// The Bytes array of QDATA: the transfer size at offset 12, or the model's own bytes.
std::vector<std::uint8_t> QueryDataBytes(const machine::Bios& bios);

}  // namespace qv::standin
