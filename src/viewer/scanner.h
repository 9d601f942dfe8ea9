#pragma once
// Scanners as the viewer's "&TWAIN" › "&Select" and "&Acquire" use them: whether scanning
// works at all, the devices there are, and one page from one of them.
#include <string>
#include <vector>

#include "image/dib.h"

namespace pelira {

inline constexpr const char* kScannerErrorText = "TWAIN DLL error.\nCheck driver, device and connections.";
inline constexpr const char* kScanAbortedText = "TWAIN acquisition aborted.";

struct ScanDevice {
  std::string name;   // what the scanner library opens
  std::string label;  // vendor, model and kind, for the choice
};

struct ScanResult {
  enum class Status { Scanned, Cancelled, Failed };
  Status status = Status::Failed;
  Dib picture;
  std::string message;  // the library's reason for a failure
};

class Scanner {
public:
  virtual ~Scanner() = default;
  // Scanning works here (the library is present and starts).
  virtual bool Available() = 0;
  virtual std::vector<ScanDevice> Devices() = 0;
  // One page from the named device.
  virtual ScanResult Acquire(const std::string& device) = 0;
};

// Where scanning is not built in: never available.
class NoScanner : public Scanner {
public:
  bool Available() override { return false; }
  std::vector<ScanDevice> Devices() override { return {}; }
  ScanResult Acquire(const std::string&) override { return {}; }
};

}  // namespace pelira
