// COM as the subsystems use it: per-thread apartments, process-wide call security, in-process
// object creation for the global interface table and the WMI locator, and proxy blankets.
// Interfaces are pure virtual classes with the method order and signatures of the Windows
// headers, so the same subsystem source compiles against either.
#pragma once

#include "winapi/posix/types.h"

#define STDMETHOD(method) virtual HRESULT STDMETHODCALLTYPE method
#define STDMETHOD_(type, method) virtual type STDMETHODCALLTYPE method

#define RPC_E_CHANGED_MODE QV_HRESULT(0x80010106u)
#define RPC_E_TOO_LATE QV_HRESULT(0x80010119u)
#define CO_E_NOTINITIALIZED QV_HRESULT(0x800401F0u)
#define REGDB_E_CLASSNOTREG QV_HRESULT(0x80040154u)
#define CLASS_E_NOAGGREGATION QV_HRESULT(0x80040110u)

enum COINIT {
  COINIT_MULTITHREADED = 0x0,
  COINIT_APARTMENTTHREADED = 0x2,
  COINIT_DISABLE_OLE1DDE = 0x4,
  COINIT_SPEED_OVER_MEMORY = 0x8,
};

#define CLSCTX_INPROC_SERVER 0x1
#define CLSCTX_INPROC_HANDLER 0x2
#define CLSCTX_LOCAL_SERVER 0x4
#define CLSCTX_ALL 0x17

#define RPC_C_AUTHN_NONE 0
#define RPC_C_AUTHN_WINNT 10
#define RPC_C_AUTHN_DEFAULT 0xFFFFFFFFu
#define RPC_C_AUTHZ_NONE 0
#define RPC_C_AUTHN_LEVEL_DEFAULT 0
#define RPC_C_AUTHN_LEVEL_NONE 1
#define RPC_C_AUTHN_LEVEL_CONNECT 2
#define RPC_C_AUTHN_LEVEL_CALL 3
#define RPC_C_IMP_LEVEL_DEFAULT 0
#define RPC_C_IMP_LEVEL_ANONYMOUS 1
#define RPC_C_IMP_LEVEL_IDENTIFY 2
#define RPC_C_IMP_LEVEL_IMPERSONATE 3
#define EOAC_NONE 0

using PSECURITY_DESCRIPTOR = void*;
using RPC_AUTH_IDENTITY_HANDLE = void*;
struct SOLE_AUTHENTICATION_SERVICE;

struct IUnknown {
  STDMETHOD(QueryInterface)(REFIID riid, void** ppvObject) = 0;
  STDMETHOD_(ULONG, AddRef)() = 0;
  STDMETHOD_(ULONG, Release)() = 0;

 protected:
  ~IUnknown() = default;  // objects die through Release
};
using LPUNKNOWN = IUnknown*;

struct IGlobalInterfaceTable : IUnknown {
  STDMETHOD(RegisterInterfaceInGlobal)(IUnknown* pUnk, REFIID riid, DWORD* pdwCookie) = 0;
  STDMETHOD(RevokeInterfaceFromGlobal)(DWORD dwCookie) = 0;
  STDMETHOD(GetInterfaceFromGlobal)(DWORD dwCookie, REFIID riid, void** ppv) = 0;

 protected:
  ~IGlobalInterfaceTable() = default;
};

extern const IID IID_IUnknown;
extern const IID IID_IGlobalInterfaceTable;
extern const CLSID CLSID_StdGlobalInterfaceTable;

HRESULT WINAPI CoInitializeEx(LPVOID reserved, DWORD coInit);
void WINAPI CoUninitialize();
HRESULT WINAPI CoInitializeSecurity(PSECURITY_DESCRIPTOR securityDescriptor, LONG authSvcCount,
                                    SOLE_AUTHENTICATION_SERVICE* authSvc, void* reserved1,
                                    DWORD authnLevel, DWORD impLevel, void* authList,
                                    DWORD capabilities, void* reserved3);
HRESULT WINAPI CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD clsContext, REFIID iid,
                                LPVOID* object);
HRESULT WINAPI CoSetProxyBlanket(IUnknown* proxy, DWORD authnSvc, DWORD authzSvc,
                                 OLECHAR* serverPrincipalName, DWORD authnLevel, DWORD impLevel,
                                 RPC_AUTH_IDENTITY_HANDLE authInfo, DWORD capabilities);
