// LeakSanitizer suppressions of this program (used only by sanitizer builds).
//
// The sweep makes release calls fail on purpose (SafeArrayDestroy, VariantClear, HeapFree...),
// and a release that fails keeps its resource: the memory behind it stays allocated in the
// stand-in for good. The stand-in's books account for those resources exactly, and the sweep
// excuses only the kind each failed release keeps, so memory that the stand-in allocated is
// left to the books here. The library's own allocations are still checked.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:qv::standin::\n";
}
