#include "tools/qvtool/smbios/smbios_structure_view.h"

#include <map>

#include "platform/smbios_blob.h"
#include "tools/qvtool/output/hex_text.h"

using namespace qv::platform;

namespace qvtool {
namespace {

const std::map<int, const char*>& TypeNames() {
  static const std::map<int, const char*> names = {
      {0, "BIOS information"},
      {1, "system information"},
      {2, "baseboard"},
      {3, "chassis"},
      {4, "processor"},
      {7, "cache"},
      {8, "port connector"},
      {9, "system slot"},
      {11, "OEM strings"},
      {12, "configuration options"},
      {16, "memory array"},
      {17, "memory device"},
      {19, "memory array mapped address"},
      {32, "system boot"},
      {127, "end of table"},
      {177, "Vexa feature words"},
      {208, "Vexa system ID"},
      {218, "Vexa BIOS tokens"},
  };
  return names;
}

std::vector<std::string> StringsOf(const qv::platform::BlobView& blob, std::uint64_t offset) {
  std::vector<std::string> strings;
  qv::platform::StringCursor cursor(blob, offset);
  while (auto text = cursor.Next()) strings.emplace_back(*text);
  return strings;
}

}  // namespace

SmbiosWalk WalkSmbiosTable(const std::string& table) {
  const qv::platform::BlobView blob(reinterpret_cast<const std::uint8_t*>(table.data()),
                                    table.size());
  SmbiosWalk walk;
  walk.end = qv::platform::ForEachStructure(blob, [&](const qv::platform::StructureHeader& header) {
    SmbiosStructure structure;
    structure.offset = header.offset;
    structure.type = header.type;
    structure.length = header.length;
    structure.handle = header.handle;
    structure.strings = StringsOf(blob, header.offset);
    structure.truncated = !header.complete;
    walk.structures.push_back(std::move(structure));
  });
  return walk;
}

std::string DescribeWalkEnd(const qv::platform::WalkEnd& end, std::uint64_t size) {
  using qv::platform::WalkStop;
  const std::string where = "the walk stopped at " + Hex(end.offset, 4) + ": ";
  switch (end.reason) {
    case WalkStop::kShortHeader: {
      const std::uint64_t left = size - end.offset;
      return where + std::to_string(left) + (left == 1 ? " byte" : " bytes") +
             " left, too few for a structure header; not read";
    }
    case WalkStop::kShortLength:
      return where + "a declared length below 4 cannot be a structure; the rest is not read";
    case WalkStop::kOpenStringSet:
      return where + "the table ends inside that structure's strings";
    case WalkStop::kTableEnd:
      break;
  }
  return std::string();
}

std::string PrintableText(const std::string& text) {
  std::string shown = text;
  for (char& c : shown) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = '.';
  }
  return shown;
}

std::string SmbiosTypeName(int type) {
  const auto found = TypeNames().find(type);
  return found != TypeNames().end() ? found->second : "type " + std::to_string(type);
}

}  // namespace qvtool
