// Test controls of the stand-in's COM runtime: the process-wide call security, which Windows
// lets a process set only once, can be forgotten between tests.
#pragma once

namespace qv::standin {

bool ProcessSecuritySet();
void ResetProcessSecurity();

// How many successful CoInitializeEx calls of this thread await their CoUninitialize.
int ApartmentDepth();

}  // namespace qv::standin
