#include "platform/memory_status.h"

#include <sys/resource.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>

#include <fstream>
#include <sstream>

namespace pelira {

namespace {

// A "Key:   123 kB" line of a /proc file, in bytes (0 when absent).
std::uint64_t ProcKb(const char* file, const std::string& key) {
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(key + ":", 0) != 0) continue;
    std::istringstream v(line.substr(key.size() + 1));
    std::uint64_t kb = 0;
    v >> kb;
    return kb * 1024;
  }
  return 0;
}

}  // namespace

MemoryStatus ReadMemoryStatus() {
  MemoryStatus m;
  struct sysinfo si {};
  if (sysinfo(&si) == 0) {
    const std::uint64_t unit = si.mem_unit ? si.mem_unit : 1;
    m.totalPhysical = si.totalram * unit;
    m.totalPaged = (si.totalram + si.totalswap) * unit;
    m.freePaged = (si.freeram + si.freeswap) * unit;
    m.availablePhysical = ProcKb("/proc/meminfo", "MemAvailable");
    if (m.availablePhysical == 0) m.availablePhysical = (si.freeram + si.bufferram) * unit;
    if (m.totalPhysical > 0) {
      const std::uint64_t used = m.totalPhysical > m.availablePhysical ? m.totalPhysical - m.availablePhysical : 0;
      m.load = static_cast<int>(used * 100 / m.totalPhysical);
    }
  }
  struct rlimit rl {};
  m.totalVirtual = std::uint64_t{1} << 47;  // the user half of a 64-bit address space
  if (getrlimit(RLIMIT_AS, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY) m.totalVirtual = rl.rlim_cur;
  const std::uint64_t used = ProcKb("/proc/self/status", "VmSize");
  m.freeVirtual = m.totalVirtual > used ? m.totalVirtual - used : 0;
  return m;
}

std::string SystemNameAndVersion() {
  std::string name;
  std::ifstream in("/etc/os-release");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("PRETTY_NAME=", 0) != 0) continue;
    name = line.substr(12);
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
  }
  struct utsname u {};
  if (uname(&u) == 0) {
    if (name.empty()) name = u.sysname;
    name += std::string(" ") + u.release;
  }
  return name.empty() ? "Linux" : name;
}

}  // namespace pelira
