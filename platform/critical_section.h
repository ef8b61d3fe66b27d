// A critical section owned for the lifetime of this object, and a scoped hold on it.
#pragma once

#include "winapi/win32.h"

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
  CRITICAL_SECTION* get() { return &section_; }

 private:
  CRITICAL_SECTION section_;
  bool initialized_ = false;
};

class CriticalSectionHold {
 public:
  explicit CriticalSectionHold(CriticalSection& section) : section_(section) {
    EnterCriticalSection(section_.get());
  }
  CriticalSectionHold(const CriticalSectionHold&) = delete;
  CriticalSectionHold& operator=(const CriticalSectionHold&) = delete;
  ~CriticalSectionHold() { LeaveCriticalSection(section_.get()); }

 private:
  CriticalSection& section_;
};
