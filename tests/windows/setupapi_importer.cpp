// The planting test's control: a program that imports setupapi.dll statically, as the product
// did before it bound SetupAPI at run time. With Wine searching as Windows XP does, it must
// load a setupapi.dll planted beside it; if it does not, the planting test could not fail.
#include <windows.h>

#include <setupapi.h>

#include <cstdio>

int main() {
  const HDEVINFO set =
      SetupDiGetClassDevsA(nullptr, "PCI", nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
  std::printf("SetupDiGetClassDevsA=%s\n", set == INVALID_HANDLE_VALUE ? "failed" : "opened");
  if (set != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(set);
  return 0;
}
