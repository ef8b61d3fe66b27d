// Throughput of CSMBIOSParser::ParseTables on raw tables of 1, 4, 16 and 64 KiB (64 KiB is the
// size limit of an SMBIOS 2.x structure table); the fitted growth is printed as BigO.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/smbios_parser.h"

using namespace qv::platform;

namespace {

using Bytes = std::vector<std::uint8_t>;

void Append(Bytes* table, std::uint8_t type, const Bytes& fields,
            const std::vector<std::string>& strings) {
  table->push_back(type);
  table->push_back(static_cast<std::uint8_t>(4 + fields.size()));
  table->insert(table->end(), {0x00, 0x01});
  table->insert(table->end(), fields.begin(), fields.end());
  for (const auto& text : strings) {
    table->insert(table->end(), text.begin(), text.end());
    table->push_back(0);
  }
  if (strings.empty()) table->push_back(0);
  table->push_back(0);
}

// The structures a Vexa machine reports, then filler of ordinary types (memory devices,
// ports, slots) with strings of realistic length, repeated up to `size` bytes.
Bytes BuildTable(std::size_t size) {
  Bytes table;
  Append(&table, 0, {1, 2, 0, 0}, {"Vexa Technologies", "1.07.2"});
  Append(&table, 1, {1, 2, 3, 4}, {"Vexa Computer Corp.", "Q-400", "1.0", "SN0001"});
  Append(&table, 11, {3}, {"Vexa System Board", "unrelated", "1[1C3]"});
  Append(&table, 177, {1, 0, 0, 0, 2, 0, 0, 0}, {});
  Append(&table, 208, {0, 0, 0xFE, 0, 0xC3, 0x01}, {});
  Bytes tokens(7, 0);
  for (std::uint16_t id = 0x0100; id < 0x0200; id += 3) {
    tokens.insert(tokens.end(),
                  {static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8), 1, 0, 1, 0});
  }
  tokens.insert(tokens.end(), {0xFF, 0xFF, 0, 0, 0, 0});
  Append(&table, 218, tokens, {});
  for (int i = 0; table.size() + 128 < size; ++i) {
    const std::string index = std::to_string(i);
    Append(&table, static_cast<std::uint8_t>(8 + i % 10), Bytes(20, static_cast<std::uint8_t>(i)),
           {"DIMM_" + index, "Bank " + index, "Manufacturer " + index, "PN 0000-" + index});
  }
  Append(&table, 127, {}, {});
  return table;
}

void BM_ParseTables(benchmark::State& state) {
  const Bytes table = BuildTable(static_cast<std::size_t>(state.range(0)) * 1024);
  CSMBIOSParser check;
  check.ParseTables(table.data(), static_cast<std::uint32_t>(table.size()));
  if (check.SystemId() != 0x01C3) state.SkipWithError("the table does not parse as built");
  for (auto _ : state) {
    CSMBIOSParser parser;
    parser.ParseTables(table.data(), static_cast<std::uint32_t>(table.size()));
    benchmark::DoNotOptimize(parser.SystemId());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(table.size()));
  state.SetComplexityN(static_cast<std::int64_t>(table.size()));
}
BENCHMARK(BM_ParseTables)->Arg(1)->Arg(4)->Arg(16)->Arg(64)->Complexity(benchmark::oN);

}  // namespace
