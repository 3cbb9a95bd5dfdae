// The test process's own resident memory, as the kernel counts it.
#pragma once

#include <cstddef>
#include <fstream>
#include <string>

namespace sonavia::testing {

// A field of /proc/self/status in bytes ("VmRSS", "VmHWM"), or 0.
inline size_t StatusBytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::stoull(line.substr(field.size() + 1)) * 1024;
  }
  return 0;
}

inline size_t ResidentBytes() {
  return StatusBytes("VmRSS");
}

// The peak resident size since the last ResetPeakResident().
inline size_t PeakResidentBytes() {
  return StatusBytes("VmHWM");
}

// Starts the peak over from the present size.
inline void ResetPeakResident() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

}  // namespace sonavia::testing
