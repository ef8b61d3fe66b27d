#include "tools/qvtool/smbios/smbios_facts_view.h"

#include "tools/qvtool/output/hex_text.h"

using namespace qv::platform;

namespace qvtool {
namespace {

Json TokensJson(const CSMBIOSParser& parser) {
  Json tokens = Json::array();
  for (const SmbiosToken& token : parser.Tokens()) {
    tokens.push_back({{"id", Hex(token.id, 4)},
                      {"location", Hex(token.location, 4)},
                      {"value", Hex(token.value, 4)}});
  }
  return tokens;
}

}  // namespace

Json SmbiosFactsJson(const CSMBIOSParser& parser) {
  return Json{{"makerFlag", parser.MakerFlag()},
              {"biosFlag", parser.BiosFlag()},
              {"systemId", parser.SystemId()},
              {"systemIdHex", Hex(parser.SystemId(), 4)},
              {"featureWords", {Hex(parser.FeatureWord1(), 8), Hex(parser.FeatureWord2(), 8)}},
              {"tokens", TokensJson(parser)}};
}

void PrintSmbiosFacts(const CSMBIOSParser& parser, std::ostream& out) {
  out << "System ID:      " << parser.SystemId() << " (" << Hex(parser.SystemId(), 4) << ")\n"
      << "Maker flag:     " << parser.MakerFlag()
      << (parser.MakerFlag() ? " (a Vexa machine)" : " (not a Vexa machine)") << '\n'
      << "BIOS flag:      " << parser.BiosFlag()
      << (parser.BiosFlag() ? " (a Vexa BIOS)" : " (not a Vexa BIOS)") << '\n'
      << "Feature words:  " << Hex(parser.FeatureWord1(), 8) << ' ' << Hex(parser.FeatureWord2(), 8)
      << '\n'
      << "BIOS tokens:    " << parser.Tokens().size() << '\n';
  for (const SmbiosToken& token : parser.Tokens()) {
    out << "  token " << Hex(token.id, 4) << "  location " << Hex(token.location, 4)
        << "  active value " << Hex(token.value, 4) << '\n';
  }
}

}  // namespace qvtool
