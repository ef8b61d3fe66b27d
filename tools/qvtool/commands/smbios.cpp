// qvtool smbios [DUMP]: walks a raw SMBIOS table (the host's when no file is given) and shows
// what the library's parser makes of it.
#include <CLI/CLI.hpp>
#include <iomanip>
#include <iostream>
#include <map>
#include <memory>

#include "platform/smbios_parser.h"
#include "tools/qvtool/commands/commands.h"
#include "tools/qvtool/file_io.h"
#include "tools/qvtool/output/hex_text.h"
#include "tools/qvtool/output/json_output.h"
#include "tools/qvtool/smbios/host_smbios_table.h"
#include "tools/qvtool/smbios/smbios_facts_view.h"
#include "tools/qvtool/smbios/smbios_structure_view.h"
#include "tools/qvtool/smbios/smbios_table_file.h"
#include "tools/qvtool/tool_error.h"

using namespace qv::platform;

namespace qvtool {
namespace {

constexpr std::size_t kMaxDumpSize = 16u << 20;

struct SmbiosOptions {
  std::string path;
  HostSmbiosSource source = HostSmbiosSource::kAny;
  bool json = false;
};

Json StructureJson(const SmbiosStructure& structure) {
  Json entry{{"offset", structure.offset},
             {"type", structure.type},
             {"name", SmbiosTypeName(structure.type)},
             {"length", structure.length},
             {"handle", Hex(static_cast<unsigned>(structure.handle), 4)},
             {"strings", structure.strings}};
  if (structure.truncated) entry["truncated"] = true;
  return entry;
}

void PrintStructure(const SmbiosStructure& structure) {
  std::cout << "  " << Hex(structure.offset, 4) << "  " << std::setw(3) << structure.type << "  "
            << std::left << std::setw(28) << SmbiosTypeName(structure.type) << std::right
            << "  length " << std::setw(3) << structure.length << "  handle "
            << Hex(static_cast<unsigned>(structure.handle), 4);
  if (structure.truncated) std::cout << "  (the table ends inside it)";
  std::cout << '\n';
  for (std::size_t i = 0; i < structure.strings.size(); ++i) {
    std::cout << "        string " << i + 1 << ": \"" << PrintableText(structure.strings[i])
              << "\"\n";
  }
}

SmbiosTableFile LoadTable(const SmbiosOptions& options, std::string& source) {
  if (options.path.empty()) {
    HostSmbiosTable host = ReadHostSmbiosTable(options.source);
    source = host.source;
    return {std::move(host.bytes), std::string()};
  }
  source = options.path;
  return ReadSmbiosTableFile(
      options.path, DecodeTableFile(options.path, ReadFileBytes(options.path, kMaxDumpSize)));
}

// A table in which not one structure ends is not a table: a text file, a profile, a dump format
// qvtool does not know. Refusing it beats reporting flags read from noise.
void RequireStructures(const std::string& source, const SmbiosWalk& walk, std::size_t size) {
  for (const SmbiosStructure& structure : walk.structures) {
    if (!structure.truncated) return;
  }
  throw ToolError(source + ": not an SMBIOS table (no structure ends within its " +
                  std::to_string(size) +
                  " bytes); expected a raw table, its hexadecimal text or a dmidecode --dump-bin "
                  "file");
}

int RunSmbios(const SmbiosOptions& options) {
  std::string source;
  const SmbiosTableFile file = LoadTable(options, source);
  const std::string& table = file.table;
  const SmbiosWalk walk = WalkSmbiosTable(table);
  RequireStructures(source, walk, table.size());
  CSMBIOSParser parser;
  parser.ParseTables(reinterpret_cast<const std::uint8_t*>(table.data()),
                     static_cast<std::uint32_t>(table.size()));
  const std::string walkEnd = DescribeWalkEnd(walk.end, table.size());
  if (options.json) {
    Json walked = Json::array();
    for (const SmbiosStructure& structure : walk.structures) {
      walked.push_back(StructureJson(structure));
    }
    Json result{{"source", source}};
    if (!file.entryPoint.empty()) result["entryPoint"] = file.entryPoint;
    result["size"] = table.size();
    result["structures"] = walked;
    if (!walkEnd.empty()) result["walkEnd"] = walkEnd;
    result["facts"] = SmbiosFactsJson(parser);
    PrintJson(result);
    return kExitOk;
  }
  std::cout << "SMBIOS table:   " << source << " (" << table.size() << " bytes)\n";
  if (!file.entryPoint.empty()) std::cout << "Entry point:    " << file.entryPoint << '\n';
  std::cout << "Structures:     " << walk.structures.size() << " walked\n";
  for (const SmbiosStructure& structure : walk.structures) PrintStructure(structure);
  if (!walkEnd.empty()) std::cout << "  (" << walkEnd << ")\n";
  PrintSmbiosFacts(parser, std::cout);
  return kExitOk;
}

}  // namespace

void AddSmbiosCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<SmbiosOptions>();
  CLI::App* command = app.add_subcommand(
      "smbios", "Walk a raw SMBIOS table and show what the library derives from it");
  command->footer(
      "Shows the structures walked, the maker and BIOS flags, the system ID, the feature words and "
      "the BIOS tokens. Without DUMP, the table of the machine qvtool runs on.");
  command->add_option(
      "DUMP", options->path,
      "Raw table (bytes or hexadecimal text) or dmidecode --dump-bin file (default: this "
      "machine's table)");
  command
      ->add_option("--source", options->source,
                   "Where to read this machine's table: any (the default: the firmware table "
                   "where the system offers it, else WMI), firmware or wmi (Windows only)")
      ->transform(CLI::CheckedTransformer(
          std::map<std::string, HostSmbiosSource>{{"any", HostSmbiosSource::kAny},
                                                  {"firmware", HostSmbiosSource::kFirmware},
                                                  {"wmi", HostSmbiosSource::kWmi}}))
      ->excludes(command->get_option("DUMP"));
  command->add_flag("--json", options->json, "Print the findings as JSON");
  command->callback([options, &exitCode] { exitCode = RunSmbios(*options); });
}

}  // namespace qvtool
