// The WMI client interfaces the subsystems use, with the method order and signatures of the
// Windows headers (only the methods in use are declared). The stand-in serves the namespace
// root\wmi of the current machine model: raw SMBIOS tables and the ACPI-WMI BIOS mapper.
#pragma once

#include "winapi/posix/com.h"
#include "winapi/posix/oleauto.h"
#include "winapi/posix/types.h"

using CIMTYPE = long;

#define WBEM_S_NO_ERROR S_OK
#define WBEM_S_FALSE S_FALSE
#define WBEM_S_TIMEDOUT QV_HRESULT(0x00040004u)
#define WBEM_E_FAILED QV_HRESULT(0x80041001u)
#define WBEM_E_NOT_FOUND QV_HRESULT(0x80041002u)
#define WBEM_E_ACCESS_DENIED QV_HRESULT(0x80041003u)
#define WBEM_E_INVALID_PARAMETER QV_HRESULT(0x80041008u)
#define WBEM_E_NOT_AVAILABLE QV_HRESULT(0x80041009u)
#define WBEM_E_INVALID_CLASS QV_HRESULT(0x80041010u)
#define WBEM_E_INVALID_NAMESPACE QV_HRESULT(0x8004100Eu)
#define WBEM_E_INVALID_METHOD QV_HRESULT(0x8004102Eu)
#define WBEM_E_INVALID_OBJECT_PATH QV_HRESULT(0x8004103Au)
#define WBEM_E_TYPE_MISMATCH QV_HRESULT(0x80041005u)
#define WBEM_E_OUT_OF_MEMORY QV_HRESULT(0x80041006u)
#define WBEM_E_INVALID_OPERATION QV_HRESULT(0x80041016u)
#define WBEM_E_INVALID_QUERY QV_HRESULT(0x80041017u)
#define WBEM_E_INVALID_QUERY_TYPE QV_HRESULT(0x80041018u)

#define WBEM_FLAG_RETURN_IMMEDIATELY 0x10
#define WBEM_FLAG_FORWARD_ONLY 0x20
#define WBEM_FLAG_SEND_STATUS 0x80
#define WBEM_FLAG_DIRECT_READ 0x200
#define WBEM_FLAG_USE_AMENDED_QUALIFIERS 0x20000
#define WBEM_FLAG_PROTOTYPE 0x2
#define WBEM_FLAG_DEEP 0
#define WBEM_FLAG_SHALLOW 1
#define WBEM_INFINITE 0xFFFFFFFF
#define WBEM_NO_WAIT 0

#define CIM_SINT32 3
#define CIM_UINT8 17
#define CIM_UINT32 19
#define CIM_OBJECT 13
#define CIM_FLAG_ARRAY 0x2000

struct IWbemContext;
struct IWbemCallResult;
struct IWbemServices;

struct IWbemClassObject : IUnknown {
  STDMETHOD(Get)(LPCWSTR wszName, long lFlags, VARIANT* pVal, CIMTYPE* pType, long* plFlavor) = 0;
  STDMETHOD(Put)(LPCWSTR wszName, long lFlags, VARIANT* pVal, CIMTYPE Type) = 0;
  STDMETHOD(SpawnInstance)(long lFlags, IWbemClassObject** ppNewInstance) = 0;
  STDMETHOD(GetMethod)
  (LPCWSTR wszName, long lFlags, IWbemClassObject** ppInSignature,
   IWbemClassObject** ppOutSignature) = 0;

 protected:
  ~IWbemClassObject() = default;
};

struct IEnumWbemClassObject : IUnknown {
  STDMETHOD(Next)(long lTimeout, ULONG uCount, IWbemClassObject** apObjects, ULONG* puReturned) = 0;

 protected:
  ~IEnumWbemClassObject() = default;
};

struct IWbemServices : IUnknown {
  STDMETHOD(GetObject)
  (const BSTR strObjectPath, long lFlags, IWbemContext* pCtx, IWbemClassObject** ppObject,
   IWbemCallResult** ppCallResult) = 0;
  STDMETHOD(CreateInstanceEnum)
  (const BSTR strFilter, long lFlags, IWbemContext* pCtx, IEnumWbemClassObject** ppEnum) = 0;
  STDMETHOD(ExecQuery)
  (const BSTR strQueryLanguage, const BSTR strQuery, long lFlags, IWbemContext* pCtx,
   IEnumWbemClassObject** ppEnum) = 0;
  STDMETHOD(ExecMethod)
  (const BSTR strObjectPath, const BSTR strMethodName, long lFlags, IWbemContext* pCtx,
   IWbemClassObject* pInParams, IWbemClassObject** ppOutParams, IWbemCallResult** ppCallResult) = 0;

 protected:
  ~IWbemServices() = default;
};

struct IWbemLocator : IUnknown {
  STDMETHOD(ConnectServer)
  (const BSTR strNetworkResource, const BSTR strUser, const BSTR strPassword, const BSTR strLocale,
   long lSecurityFlags, const BSTR strAuthority, IWbemContext* pCtx,
   IWbemServices** ppNamespace) = 0;

 protected:
  ~IWbemLocator() = default;
};

extern const CLSID CLSID_WbemLocator;
extern const IID IID_IWbemLocator;
extern const IID IID_IWbemServices;
extern const IID IID_IWbemClassObject;
extern const IID IID_IEnumWbemClassObject;
