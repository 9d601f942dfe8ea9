// A BIP file of arbitrary bytes: read as a script, written back and read again (the same
// lines), then run over a small picture by the headless interpreter. SAVE, DELETE and the
// prompts go nowhere; LOOP gets one pass.
#include <cstdint>

#include "batch/bip_file.h"
#include "batch/headless_host.h"
#include "batch/script_interpreter.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelira;
  fuzz::Start(data, size);
  const std::vector<std::string> lines = ParseBipText(std::string_view(reinterpret_cast<const char*>(data), size));
  if (ParseBipText(FormatBipText(lines)) != lines) __builtin_trap();
  HeadlessScriptHost host;
  Dib picture(24, 16, 24);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 24; ++x) picture.SetPixel(x, y, MakeColor(x * 10, y * 15, (x ^ y) * 8));
  host.SetPictureDirect(picture, "");
  host.SetLoopAllowed(false);
  // Big resamples would only spend the fuzzer's time.
  std::vector<std::string> script;
  for (const std::string& l : lines)
    if (l.find('%') == std::string::npos && AsciiUpper(l).find("RES") == std::string::npos) script.push_back(l);
  ScriptInterpreter run(host, [&] { return script; });
  fuzz::Quietly([&] { run.Run(); });
  return 0;
}
