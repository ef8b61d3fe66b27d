/* qvsupport: the plain exports of the installer support library, for C and C++ callers of
 * libqvsupport.so (and of qvsupport.dll, where they use the standard Windows calling
 * convention). Self-contained: it needs no other header of the library. Results are explained
 * in the README's table of exports.
 *
 * The four static members of the class QVEncryption are exported as well; they take the
 * library's own string class and are not declared here. */
#ifndef QVSUPPORT_H
#define QVSUPPORT_H

#if defined(_WIN32) && !defined(QVSUPPORT_CALL)
#define QVSUPPORT_CALL __stdcall
#elif !defined(QVSUPPORT_CALL)
#define QVSUPPORT_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Encrypts a plain system-ID list into "vexasysids.enc" in the current directory:
 * 0 written; 1 the plain list cannot be opened; -1 nothing written. */
int QVSUPPORT_CALL EncryptSysIds(const char* plainListPath);

/* The platform's 16-bit system ID, zero-extended; 0 when the tables are not readable. */
int QVSUPPORT_CALL GetSystemId(void);

/* Line code * 256 + 8-bit device mask for this platform from the encrypted list at listPath
 * (null: "vexasysids.enc"); -2 cannot open, -3 short read, -4 ID not in the list, -5 record
 * cut off, -6 not decryptable. */
int QVSUPPORT_CALL GetDeviceMask(const char* listPath);

/* The 6-bit device mask of systemId in "vexasysids.enc", or -1. */
int QVSUPPORT_CALL GetDeviceMaskDecrypt(int systemId);

/* mask AND deviceBits. */
int QVSUPPORT_CALL IsSupportedDevice(int mask, int deviceBits);

/* 1 when this platform's record carries the Torvane line code, else 0. */
int QVSUPPORT_CALL IsTorvaneSystem(const char* listPath);

/* Adapter makers: 0 or 1 for a maker the tables know, -1 not identified. */
int QVSUPPORT_CALL GetLANManufacturerID(void);
int QVSUPPORT_CALL GetWLANManufacturerID(void);
int QVSUPPORT_CALL GetWWANManufacturerID(void);

/* Takes the product's logon module out of the Winlogon chain; always 0. */
int QVSUPPORT_CALL UninstallQVGina(int unused);

#ifdef __cplusplus
}
#endif

#endif /* QVSUPPORT_H */
