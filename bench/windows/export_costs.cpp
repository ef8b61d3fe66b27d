// What each export costs next to the platform work it cannot avoid, under Wine or Windows.
// In one run, for each export, it times the export and a bare path that makes only the
// unavoidable platform calls, in alternating order, and prints the median of each and their
// ratio:
//   GetSystemId            COM initialisation, one WMI connection, the raw SMBIOS query and
//                          the releases;
//   GetDeviceMask          the same, plus reading the list file and one decryption of it;
//   the adapter exports    one enumeration of each enumerator they use;
//   an installer session   the exports in the order `qvtool report` calls them, against the
//                          bare paths in the same order (GetDeviceMask after GetSystemId finds
//                          the platform object built, so its bare path is the decryption).
// Usage: bench_export_costs LIST-FILE [ROUNDS]. A measurement, run by hand; not a test.
#include <wbemidl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "exports/platform_object.h"
#include "exports/qvsupport.h"
#include "util/qv_encryption.h"
#include "winapi/win32.h"

namespace {

// ---- bare paths ----

// COM, one WMI connection to root\wmi, every raw SMBIOS table instance and its bytes.
int BareSystemId() {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_CONNECT,
                       RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_NONE, nullptr);
  long bytes = 0;
  IWbemLocator* locator = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                 reinterpret_cast<void**>(&locator)))) {
    IWbemServices* services = nullptr;
    BSTR wmiNamespace = SysAllocString(L"root\\wmi");
    if (locator->ConnectServer(wmiNamespace, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                               &services) == S_OK) {
      CoSetProxyBlanket(services, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                        RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
      BSTR rawTables = SysAllocString(L"MSSmBios_RawSMBiosTables");
      BSTR data = SysAllocString(L"SMBiosData");
      IEnumWbemClassObject* tables = nullptr;
      services->CreateInstanceEnum(rawTables, WBEM_FLAG_SHALLOW, nullptr, &tables);
      for (IWbemClassObject* table = nullptr; tables != nullptr; table = nullptr) {
        ULONG returned = 0;
        if (tables->Next(10000, 1, &table, &returned) != S_OK || returned == 0) break;
        VARIANT value;
        VariantInit(&value);
        if (SUCCEEDED(table->Get(data, 0, &value, nullptr, nullptr)) &&
            value.vt == (VT_ARRAY | VT_UI1))
          bytes += static_cast<long>(value.parray->rgsabound[0].cElements);
        VariantClear(&value);
        table->Release();
      }
      if (tables != nullptr) tables->Release();
      SysFreeString(data);
      SysFreeString(rawTables);
      services->Release();
    }
    SysFreeString(wmiNamespace);
    locator->Release();
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return static_cast<int>(bytes);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The cipher bytes of the list file, decoded once: Base64 is the library's own work.
std::vector<BYTE> CipherBytes(const std::string& path) {
  std::string text = ReadFile(path);
  std::vector<BYTE> bytes(text.size() + 1);
  unsigned long length = static_cast<unsigned long>(bytes.size());
  if (!QVEncryption::DecodeBase64(&text[0], bytes.data(), length)) return {};
  bytes.resize(length);
  return bytes;
}

// Reads the list file and decrypts its cipher bytes with a key derived afresh, as every
// GetDeviceMask must.
int BareDecryption(const std::string& path, const std::vector<BYTE>& cipher) {
  const std::string text = ReadFile(path);
  std::vector<BYTE> bytes = cipher;
  DWORD length = static_cast<DWORD>(bytes.size());
  HCRYPTPROV provider = 0;
  HCRYPTHASH hash = 0;
  HCRYPTKEY key = 0;
  const char passPhrase[] = "MARBLEOTTERKITE";
  const DWORD effectiveBits = 128;
  if (CryptAcquireContextA(&provider, nullptr, "Microsoft Enhanced Cryptographic Provider v1.0",
                           PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
    if (CryptCreateHash(provider, CALG_MD5, 0, 0, &hash)) {
      CryptHashData(hash, reinterpret_cast<const BYTE*>(passPhrase), sizeof passPhrase - 1, 0);
      if (CryptDeriveKey(provider, CALG_RC2, hash, CRYPT_EXPORTABLE, &key)) {
        CryptSetKeyParam(key, KP_EFFECTIVE_KEYLEN, reinterpret_cast<const BYTE*>(&effectiveBits),
                         0);
        CryptDecrypt(key, 0, TRUE, 0, bytes.data(), &length);
        CryptDestroyKey(key);
      }
      CryptDestroyHash(hash);
    }
    CryptReleaseContext(provider, 0);
  }
  return static_cast<int>(length + text.size());
}

// One enumeration of the present devices of `enumerator`, fetching every instance ID.
int BareEnumeration(const char* enumerator) {
  HDEVINFO set =
      SetupDiGetClassDevsA(nullptr, enumerator, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
  if (set == INVALID_HANDLE_VALUE) return 0;
  SP_DEVINFO_DATA record{};
  record.cbSize = sizeof record;
  char id[260];
  DWORD index = 0;
  for (; SetupDiEnumDeviceInfo(set, index, &record); ++index)
    SetupDiGetDeviceInstanceIdA(set, &record, id, sizeof id, nullptr);
  SetupDiDestroyDeviceInfoList(set);
  return static_cast<int>(index);
}

// ---- timing ----

double Milliseconds(const std::function<void()>& run) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  run();
  QueryPerformanceCounter(&end);
  return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  const std::size_t middle = samples.size() / 2;
  return samples.size() % 2 != 0 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2.0;
}

struct Pair {
  Pair(const char* pairName, std::function<void()> exported, std::function<void()> bare)
      : name(pairName), exportPath(std::move(exported)), barePath(std::move(bare)) {}
  const char* name;
  std::function<void()> exportPath;
  std::function<void()> barePath;
  std::vector<double> exportTimes;
  std::vector<double> bareTimes;
};

volatile int sink;  // keeps the results of both paths alive

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_export_costs LIST-FILE [ROUNDS]\n");
    return 2;
  }
  const std::string list = argv[1];
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 30;
  const std::vector<BYTE> cipher = CipherBytes(list);
  if (cipher.empty()) {
    std::fprintf(stderr, "bench_export_costs: %s is not a Base64 list file\n", list.c_str());
    return 2;
  }
  const char* path = list.c_str();
  const auto session = [path] {
    sink = GetSystemId();
    sink = GetDeviceMask(path);
    sink = IsTorvaneSystem(path);
    sink = GetLANManufacturerID();
    sink = GetWLANManufacturerID();
    sink = GetWWANManufacturerID();
    qv::ReleasePlatformObject();
  };
  const auto bareSession = [&list, &cipher] {
    sink = BareSystemId();
    sink = BareDecryption(list, cipher);
    sink = BareSystemId() + BareDecryption(list, cipher);
    sink = BareEnumeration("PCI");
    sink = BareEnumeration("PCI");
    sink = BareEnumeration("USB");
  };
  std::vector<Pair> pairs = {
      {"GetSystemId",
       [] {
         sink = GetSystemId();
         qv::ReleasePlatformObject();  // so that every call identifies the platform afresh
       },
       [] { sink = BareSystemId(); }},
      {"GetDeviceMask",
       [path] {
         sink = GetDeviceMask(path);
         qv::ReleasePlatformObject();  // kept only after a negative status
       },
       [&list, &cipher] { sink = BareSystemId() + BareDecryption(list, cipher); }},
      {"GetLANManufacturerID", [] { sink = GetLANManufacturerID(); },
       [] { sink = BareEnumeration("PCI"); }},
      {"GetWLANManufacturerID", [] { sink = GetWLANManufacturerID(); },
       [] { sink = BareEnumeration("PCI"); }},
      {"GetWWANManufacturerID", [] { sink = GetWWANManufacturerID(); },
       [] { sink = BareEnumeration("USB"); }},
      {"installer session", session, bareSession},
  };

  // One warm-up of each path: the first WMI connection and the first SetupAPI call of a
  // process load and start services that later calls find running.
  for (Pair& pair : pairs) {
    pair.exportPath();
    pair.barePath();
  }
  for (int round = 0; round < rounds; ++round) {
    for (Pair& pair : pairs) {
      if (round % 2 == 0) {
        pair.exportTimes.push_back(Milliseconds(pair.exportPath));
        pair.bareTimes.push_back(Milliseconds(pair.barePath));
      } else {
        pair.bareTimes.push_back(Milliseconds(pair.barePath));
        pair.exportTimes.push_back(Milliseconds(pair.exportPath));
      }
    }
  }

  std::printf("PCI devices %d, USB devices %d, system ID %d, device mask %d, %d rounds\n",
              BareEnumeration("PCI"), BareEnumeration("USB"), GetSystemId(), GetDeviceMask(path),
              rounds);
  qv::ReleasePlatformObject();
  std::printf("%-24s %12s %12s %8s\n", "export", "export ms", "bare ms", "ratio");
  for (const Pair& pair : pairs) {
    const double exportMs = Median(pair.exportTimes);
    const double bareMs = Median(pair.bareTimes);
    std::printf("%-24s %12.3f %12.3f %8.2f\n", pair.name, exportMs, bareMs, exportMs / bareMs);
  }
  return 0;
}
