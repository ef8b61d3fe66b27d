#include "tests/devicemask/list_files.h"

#include <gtest/gtest.h>

#include "devicemask/list_file.h"
#include "util/qv_encryption.h"

namespace qv::testing {

std::string EncryptedList(const std::string& plainList) {
  QVString text(plainList.c_str());
  const QVString passPhrase(qv::devicemask::kPassPhrase);
  EXPECT_TRUE(QVEncryption::EncryptString(text, passPhrase)) << "list of " << plainList.size();
  return text.GetNarrow();
}

int MaskOfFlags(const std::string& flags) {
  static const int kWeights[] = {32, 16, 8, 4, 2, 1, 64, 128};
  int mask = 0;
  for (int column = 0; column < 8; ++column) mask += (flags[column] - '0') * kWeights[column];
  return mask;
}

std::string Record(int id, const std::string& flags, const std::string& line) {
  return std::to_string(id) + " " + flags + " " + line + "\n";
}

}  // namespace qv::testing
