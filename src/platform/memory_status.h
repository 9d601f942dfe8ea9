#pragma once
// What the system says about memory, for the low-memory checks and the memory report.
// Read through sysinfo(2) and /proc; tests hand in their own numbers.
#include <cstdint>
#include <string>

namespace pelira {

struct MemoryStatus {
  int load = 0;                       // percent in use, 0..100
  std::uint64_t totalPhysical = 0;
  std::uint64_t availablePhysical = 0;  // what a new allocation can still get without swapping
  std::uint64_t totalPaged = 0;       // physical + swap
  std::uint64_t freePaged = 0;
  std::uint64_t totalVirtual = 0;     // the process's address space
  std::uint64_t freeVirtual = 0;
};

MemoryStatus ReadMemoryStatus();

// The system's name and version, e.g. "Debian GNU/Linux 12 (bookworm) 6.1.0-18-amd64".
std::string SystemNameAndVersion();

}  // namespace pelira
