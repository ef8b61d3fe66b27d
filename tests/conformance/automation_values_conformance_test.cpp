// BSTRs, byte arrays, VARIANT ownership and critical sections as the platform object uses
// them: the same assertions hold for the real API and for the stand-in.
#include <gtest/gtest.h>

#include "winapi/win32.h"

namespace {

TEST(AutomationValuesConformance, BstrsKeepTheirLength) {
  BSTR text = SysAllocStringLen(QV_WIDE("DoBFn and more"), 5);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(SysStringLen(text), 5u);
  EXPECT_EQ(text[5], 0);
  EXPECT_EQ(text[0], QV_WIDE('D'));
  SysFreeString(text);
  SysFreeString(nullptr);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
}

TEST(AutomationValuesConformance, ByteArraysCheckBoundsAndLocks) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, 44);
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(array->cDims, 1);
  EXPECT_EQ(array->cbElements, 1u);
  EXPECT_EQ(array->rgsabound[0].cElements, 44u);
  BYTE value = 0x5A;
  LONG index = 43;
  EXPECT_EQ(SafeArrayPutElement(array, &index, &value), S_OK);
  index = 44;
  EXPECT_EQ(SafeArrayPutElement(array, &index, &value), DISP_E_BADINDEX);
  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
  EXPECT_EQ(static_cast<BYTE*>(data)[43], 0x5A);
  EXPECT_EQ(static_cast<BYTE*>(data)[0], 0);
  EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(SafeArrayUnaccessData(array), S_OK);
  EXPECT_EQ(SafeArrayUnaccessData(array), E_UNEXPECTED);
  VARIANT holder;
  VariantInit(&holder);
  EXPECT_EQ(holder.vt, VT_EMPTY);
  holder.vt = VT_ARRAY | VT_UI1;
  holder.parray = array;
  EXPECT_EQ(VariantClear(&holder), S_OK);  // destroys the array
  EXPECT_EQ(holder.vt, VT_EMPTY);
}

// Exclusion between threads is checked on the stand-in alone (tests/platform): this toolchain's
// Windows runtime has no std::thread.
TEST(AutomationValuesConformance, CriticalSectionsAreReentrantForTheirOwner) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  EXPECT_TRUE(TryEnterCriticalSection(&section));
  LeaveCriticalSection(&section);
  LeaveCriticalSection(&section);
  EXPECT_TRUE(TryEnterCriticalSection(&section));
  LeaveCriticalSection(&section);
  DeleteCriticalSection(&section);
}

}  // namespace
