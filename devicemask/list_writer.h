// Writes "vexasysids.enc" in the current directory from a plain system-ID list.
#pragma once

namespace qv::devicemask {

// 0 written; 1 the plain list cannot be opened; -1 nothing written: the list is empty or longer
// than kMaxPlainListLength, encryption failed, or the file could not be created or completed.
// An existing "vexasysids.enc" is replaced in one step or left as it was.
int WriteEncryptedList(const char* plainListPath);

}  // namespace qv::devicemask
