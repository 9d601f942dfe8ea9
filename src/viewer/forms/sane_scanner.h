#pragma once
// Scanning through SANE: the library is started on first use and closed with the object; the
// devices are SANE's; a page is read frame by frame into the core assembler. Built without
// libsane, Available() is false and the viewer says no scanner exists.
#include "viewer/scanner.h"

namespace pelira {

class SaneScanner : public Scanner {
public:
  SaneScanner() = default;
  ~SaneScanner() override;
  SaneScanner(const SaneScanner&) = delete;
  SaneScanner& operator=(const SaneScanner&) = delete;

  bool Available() override;
  std::vector<ScanDevice> Devices() override;
  // "" scans from the first device.
  ScanResult Acquire(const std::string& device) override;

private:
  bool started_ = false;
  bool tried_ = false;
};

}  // namespace pelira
