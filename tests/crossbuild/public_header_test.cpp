// exports/public/qvsupport.h, the header shipped with libqvsupport.so, against the module's
// own declarations and export list. Including both headers in one translation unit makes the
// compiler reject any declaration whose types differ; the tests below catch a function the
// header forgets or one that the module does not export.
#include "exports/public/qvsupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>

#include "exports/qvsupport.h"

namespace {

std::string SourceText(const std::string& relative) {
  std::ifstream in(std::string(QV_SOURCE_DIR) + "/" + relative);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::set<std::string> Matches(const std::string& text, const std::regex& pattern) {
  std::set<std::string> names;
  for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
    names.insert((*it)[1]);
  return names;
}

TEST(PublicHeader, DeclaresExactlyThePlainExportsOfTheLibrary) {
  const std::string header = SourceText("exports/public/qvsupport.h");
  const std::string versionScript = SourceText("exports/qvsupport.map");
  const std::size_t cBlock = versionScript.find("extern \"C\" {");
  ASSERT_NE(cBlock, std::string::npos);
  const std::string cNames = versionScript.substr(cBlock, versionScript.find('}', cBlock) - cBlock);

  const auto declared = Matches(header, std::regex(R"(int QVSUPPORT_CALL (\w+)\()"));
  const auto exported = Matches(cNames, std::regex(R"((\w+);)"));
  EXPECT_EQ(declared.size(), 10u);
  EXPECT_EQ(declared, exported);
}

TEST(PublicHeader, DeclarationsReachTheLibrary) {
  EXPECT_EQ(IsSupportedDevice(5, 4), 4);
  EXPECT_EQ(IsSupportedDevice(5, 2), 0);
}

}  // namespace
