// The fault-injection sweep: one clean run of an export records the platform calls it makes;
// then each of those calls is failed in turn, by name and occurrence, and every name once for
// all of its calls. After each run the export's result must be one it documents, and the
// stand-in must hold nothing more than before it, except what a failed release call keeps.
#pragma once

#include <functional>
#include <string>

namespace qv::hardening {

struct SweepCase {
  std::string exportName;
  // Builds the machine and the files of one run from scratch.
  std::function<void()> prepare;
  std::function<int()> call;
  std::function<bool(int)> documented;
  // Extra checks after each run (files on disk, registry); `fault` describes the injected one.
  std::function<void(int result, const std::string& fault)> verify;
  // Releases what the lifetime rules let the export keep (the shared platform object).
  std::function<void()> releaseKept;
};

struct SweepOutcome {
  int callSites = 0;  // platform calls of the clean run, each failed once
  int callNames = 0;  // distinct functions among them, each also failed on every call
};

// Runs the sweep with gtest expectations; returns what it covered.
SweepOutcome RunFaultSweep(const SweepCase& sweep);

// Writes "<export> <call sites> <call names>" to hardening-sweep-<export>.txt in the build
// directory, so the
// documentation can quote the coverage of the last run.
void RecordCoverage(const std::string& exportName, const SweepOutcome& outcome);

}  // namespace qv::hardening
