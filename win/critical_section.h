// A critical section owned for the lifetime of this object, and a scoped hold on it.
#pragma once

#include "winapi/win32.h"

namespace qv::win {

class CriticalSection {
 public:
  CriticalSection() {
    InitializeCriticalSection(&section_);
    initialized_ = true;
  }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;
  ~CriticalSection() { Delete(); }

  void Delete() {
    if (!initialized_) return;
    initialized_ = false;
    DeleteCriticalSection(&section_);
  }
  CRITICAL_SECTION* Get() { return &section_; }

 private:
  CRITICAL_SECTION section_;
  bool initialized_ = false;
};

class ScopedCriticalSectionHold {
 public:
  explicit ScopedCriticalSectionHold(CriticalSection& section) : section_(section) {
    EnterCriticalSection(section_.Get());
  }
  ScopedCriticalSectionHold(const ScopedCriticalSectionHold&) = delete;
  ScopedCriticalSectionHold& operator=(const ScopedCriticalSectionHold&) = delete;
  ~ScopedCriticalSectionHold() { LeaveCriticalSection(section_.Get()); }

 private:
  CriticalSection& section_;
};

}  // namespace qv::win
