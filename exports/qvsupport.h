// The module's plain exports. On Windows they use the standard calling convention and are
// exported undecorated; on POSIX they are extern "C" functions of libqvsupport.so. The four
// static members of QVEncryption (util/qv_encryption.h) are exported as well.
#pragma once

#include "winapi/win32.h"

extern "C" {

// 0 written; 1 the plain list cannot be opened; -1 nothing written (see README).
int WINAPI EncryptSysIds(const char* plainListPath);
// The platform's 16-bit system ID, zero-extended; 0 when unreadable.
int WINAPI GetSystemId();
// Line code * 256 + device mask, or -2..-6.
int WINAPI GetDeviceMask(const char* listPath);
// 6-bit device mask of the given system ID, or -1.
int WINAPI GetDeviceMaskDecrypt(int systemId);
int WINAPI IsSupportedDevice(int mask, int deviceBits);
int WINAPI IsTorvaneSystem(const char* listPath);
int WINAPI GetLANManufacturerID();
int WINAPI GetWLANManufacturerID();
int WINAPI GetWWANManufacturerID();
int WINAPI UninstallQVGina(int unused);
}
