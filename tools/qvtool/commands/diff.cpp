// qvtool diff OLD NEW: what changes for each platform when NEW replaces OLD, as the installer
// would see it through GetDeviceMask and GetDeviceMaskDecrypt. Exit codes as diff's: 0 no
// platform's answer changes, 1 some do, 2 trouble (a file that cannot be read or decrypted, or
// a wrong command line).
#include <CLI/CLI.hpp>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>

#include "tools/qvtool/commands/commands.h"
#include "tools/qvtool/listcheck/list_diff.h"
#include "tools/qvtool/listcheck/list_source.h"
#include "tools/qvtool/output/decode_names.h"
#include "tools/qvtool/output/hex_text.h"
#include "tools/qvtool/output/json_output.h"
#include "tools/qvtool/tool_error.h"

namespace qvtool {
namespace {

constexpr int kExitSame = 0;
constexpr int kExitDifferent = 1;
constexpr int kExitTrouble = 2;

struct DiffOptions {
  std::string oldPath;
  std::string newPath;
  ListFormat oldFormat = ListFormat::kAuto;
  ListFormat newFormat = ListFormat::kAuto;
  bool json = false;
};

ListText ReadSide(const std::string& path, ListFormat format) {
  try {
    return ReadListText(path, format);
  } catch (const ToolError& error) {
    throw ToolError(error.what(), kExitTrouble);
  }
}

std::string DescribeDeviceMask(int result) {
  std::ostringstream text;
  text << result;
  if (result < 0) {
    text << " (" << DeviceMaskStatusName(result) << ")";
  } else {
    text << " = line " << LineCodeName(result >> 8) << ", mask " << Hex(result & 0xFF, 2);
  }
  return text.str();
}

std::string DescribePlace(const ListAnswers& answers) {
  if (answers.readLine == 0) return "not found";
  std::ostringstream text;
  text << "line " << answers.readLine;
  if (answers.readColumn != 1) text << " column " << answers.readColumn;
  text << " \"" << answers.readLineText << "\"";
  return text.str();
}

std::string MaskBitName(int bit) {
  return "mask bit " + std::to_string(bit) + " (flag column " +
         std::to_string(FlagColumnOfMaskBit(bit)) + ")";
}

void PrintAnswerChange(const PlatformDiff& entry) {
  std::cout << "    GetDeviceMask:        " << DescribeDeviceMask(entry.before.deviceMask)
            << "  ->  " << DescribeDeviceMask(entry.after.deviceMask) << '\n'
            << "    GetDeviceMaskDecrypt: " << entry.before.decryptMask << "  ->  "
            << entry.after.decryptMask << '\n';
  const std::uint8_t bits = entry.ChangedMaskBits();
  for (int bit = 7; bit >= 0; --bit) {
    if ((bits & (1 << bit)) == 0) continue;
    const bool nowSet = (entry.after.deviceMask & (1 << bit)) != 0;
    std::cout << "    " << MaskBitName(bit) << ": " << (nowSet ? "clear -> set" : "set -> clear")
              << '\n';
  }
  const int lineBefore = entry.before.deviceMask >> 8;
  const int lineAfter = entry.after.deviceMask >> 8;
  if (entry.before.deviceMask >= 0 && entry.after.deviceMask >= 0 && lineBefore != lineAfter) {
    std::cout << "    line code: " << LineCodeName(lineBefore) << " -> " << LineCodeName(lineAfter)
              << '\n';
  }
  std::cout << "    read from: " << DescribePlace(entry.before) << "  ->  "
            << DescribePlace(entry.after) << '\n';
}

void PrintSection(const char* title, const char* mark, const std::vector<PlatformDiff>& entries) {
  if (entries.empty()) return;
  std::cout << title << ":\n";
  for (const PlatformDiff& entry : entries) {
    std::cout << "  " << mark << ' ' << entry.systemId;
    if (entry.cause == ChangeCause::kShadowed) {
      std::cout << ": its record is unchanged, but another record now comes first";
    } else if (entry.cause == ChangeCause::kNoLongerShadowed) {
      std::cout << ": its record is unchanged, and the record that came first is gone";
    }
    std::cout << '\n';
    PrintAnswerChange(entry);
  }
}

void PrintText(const DiffOptions& options, const ListText& oldList, const ListText& newList,
               const ListDiff& diff) {
  std::cout << "--- " << options.oldPath << " (" << ListFormatName(oldList.format) << ", "
            << diff.recordsBefore << " records)\n"
            << "+++ " << options.newPath << " (" << ListFormatName(newList.format) << ", "
            << diff.recordsAfter << " records)\n";
  if (diff.Same()) {
    std::cout << "Every platform gets the same answers.\n";
    return;
  }
  PrintSection("Added", "+", diff.added);
  PrintSection("Removed", "-", diff.removed);
  PrintSection("Changed", "~", diff.changed);
  PrintSection("Changed by another record", "!", diff.shadowing);
  std::cout << diff.added.size() << " added, " << diff.removed.size() << " removed, "
            << diff.changed.size() << " changed, " << diff.shadowing.size()
            << " changed by another record\n";
}

Json AnswersJson(const ListAnswers& answers) {
  Json result{{"getDeviceMask", answers.deviceMask}};
  if (answers.deviceMask < 0) {
    result["status"] = DeviceMaskStatusName(answers.deviceMask);
  } else {
    result["mask"] = Hex(answers.deviceMask & 0xFF, 2);
    result["lineCode"] = answers.deviceMask >> 8;
    result["lineCodeName"] = LineCodeName(answers.deviceMask >> 8);
  }
  result["getDeviceMaskDecrypt"] = answers.decryptMask;
  result["readFrom"] = answers.readLine == 0 ? Json(nullptr)
                                             : Json{{"line", answers.readLine},
                                                    {"column", answers.readColumn},
                                                    {"text", answers.readLineText}};
  return result;
}

Json EntriesJson(const std::vector<PlatformDiff>& entries) {
  Json list = Json::array();
  for (const PlatformDiff& entry : entries) {
    Json bits = Json::array();
    for (int bit = 0; bit < 8; ++bit) {
      if ((entry.ChangedMaskBits() & (1 << bit)) == 0) continue;
      bits.push_back({{"bit", bit},
                      {"flagColumn", FlagColumnOfMaskBit(bit)},
                      {"set", (entry.after.deviceMask & (1 << bit)) != 0}});
    }
    list.push_back({{"systemId", entry.systemId},
                    {"cause", ChangeCauseName(entry.cause)},
                    {"old", AnswersJson(entry.before)},
                    {"new", AnswersJson(entry.after)},
                    {"changedBits", bits}});
  }
  return list;
}

Json ToJson(const DiffOptions& options, const ListText& oldList, const ListText& newList,
            const ListDiff& diff) {
  return Json{{"old",
               {{"file", options.oldPath},
                {"format", ListFormatName(oldList.format)},
                {"records", diff.recordsBefore}}},
              {"new",
               {{"file", options.newPath},
                {"format", ListFormatName(newList.format)},
                {"records", diff.recordsAfter}}},
              {"same", diff.Same()},
              {"added", EntriesJson(diff.added)},
              {"removed", EntriesJson(diff.removed)},
              {"changed", EntriesJson(diff.changed)},
              {"changedByAnotherRecord", EntriesJson(diff.shadowing)}};
}

int RunDiff(const DiffOptions& options) {
  const ListText oldList = ReadSide(options.oldPath, options.oldFormat);
  const ListText newList = ReadSide(options.newPath, options.newFormat);
  const ListDiff diff = DiffLists(oldList.plain, newList.plain);
  if (options.json) {
    PrintJson(ToJson(options, oldList, newList, diff));
  } else {
    PrintText(options, oldList, newList, diff);
  }
  return diff.Same() ? kExitSame : kExitDifferent;
}

}  // namespace

void AddDiffCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<DiffOptions>();
  CLI::App* command =
      app.add_subcommand("diff", "What changes for each platform when list NEW replaces list OLD");
  command->footer(
      "Each list is plain text or an encrypted file, told apart by its content unless "
      "--old-format/--new-format says which. Shows platforms added and removed, platforms "
      "whose GetDeviceMask or GetDeviceMaskDecrypt answer changes (each changed mask bit "
      "named with its flag column), and platforms whose answer changes although their own "
      "record does not, because another record now comes first or no longer does. Platform "
      "D's bit 3 is compared as the list gives it.\n"
      "Exit 0 when every platform gets the same answers, 1 when some do not, 2 on trouble.\n\n"
      "Example:\n  qvtool diff vexasysids.enc sysids.txt");
  const std::map<std::string, ListFormat> formats = {{"auto", ListFormat::kAuto},
                                                     {"plain", ListFormat::kPlain},
                                                     {"encrypted", ListFormat::kEncrypted}};
  command->add_option("OLD", options->oldPath, "The list now shipped")->required();
  command->add_option("NEW", options->newPath, "The list to ship instead")->required();
  command->add_option("--old-format", options->oldFormat, "auto, plain or encrypted")
      ->transform(CLI::CheckedTransformer(formats));
  command->add_option("--new-format", options->newFormat, "auto, plain or encrypted")
      ->transform(CLI::CheckedTransformer(formats));
  command->add_flag("--json", options->json, "Print the differences as JSON");
  command->callback([options, &exitCode] { exitCode = RunDiff(*options); });
}

}  // namespace qvtool
