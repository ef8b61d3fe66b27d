#include "devicemask/plain_list.h"

#include "devicemask/sys_id_list.h"
#include "util/qv_encryption.h"

namespace qv::devicemask {
namespace {

PlainListStatus StatusOfUnreadFile(ListFileStatus status) {
  switch (status) {
    case ListFileStatus::kShortRead:
      return PlainListStatus::kShortRead;
    case ListFileStatus::kTooLarge:
      // Too large to be cipher text of any list: it could never have decrypted.
      return PlainListStatus::kNotDecrypted;
    default:
      return PlainListStatus::kCannotOpen;
  }
}

}  // namespace

bool DecryptListText(QVString& text) {
  const QVString passPhrase(qv::sysids::kPassPhrase);
  return QVEncryption::DecryptString(text, passPhrase);
}

PlainList LoadPlainList(const char* path, ShortReadPolicy policy) {
  ListFileContent file = ReadListFile(path, policy);
  PlainList list;
  if (file.status != ListFileStatus::kRead) {
    list.status = StatusOfUnreadFile(file.status);
    return list;
  }
  if (!DecryptListText(file.text)) {
    list.status = PlainListStatus::kNotDecrypted;
    return list;
  }
  list.status = PlainListStatus::kLoaded;
  list.text = file.text;
  return list;
}

}  // namespace qv::devicemask
