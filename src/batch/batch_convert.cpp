#include "batch/batch_convert.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

#include "batch/batch_save.h"
#include "batch/headless_host.h"
#include "batch/script_interpreter.h"
#include "common/atomic_file.h"
#include "common/kind_list.h"
#include "image/image_loader.h"
#include "image/jpeg_image.h"
#include "imaging_library/image_ops.h"

namespace pelira {

namespace fs = std::filesystem;

namespace {

constexpr const char* kExtensions[kConvertTargetCount] = {"jpg", "bmp", "png", "tif", "tga", "pcx"};
// The save types of the non-JPEG targets: BMP, PNG, deflated TIFF, Targa, PCX.
constexpr int kSaveTypes[kConvertTargetCount] = {5, 1, 3, 8, 6, 2};
constexpr std::uint64_t kSpaceReserve = 32768;

std::vector<std::string> Unique(const std::vector<std::string>& files) {
  std::vector<std::string> out;
  std::set<std::string> seen;
  for (const std::string& f : files)
    if (seen.insert(f).second) out.push_back(f);
  return out;
}

struct Staged {
  ConvertItem item;
  std::string temp;
  bool abort = false;
  std::string abortText;
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

Staged Prepare(const std::string& source, const ConvertSettings& s) {
  const auto start = std::chrono::steady_clock::now();
  Staged r;
  r.item.source = source;
  auto skip = [&](const std::string& why) {
    r.item.status = ConvertStatus::Skipped;
    r.item.message = why;
    r.item.seconds = SecondsSince(start);
    return r;
  };
  if (!PathInKindList(source, kConvertKinds)) return skip("not a picture kind the batch converts");
  Dib picture;
  {
    TImageLoader loader;
    const OpenOutcome o = loader.Open(source);
    if (o != OpenOutcome::Image || loader.workingBitmap.Empty())
      return skip(loader.LastError().empty() ? "cannot be opened" : loader.LastError());
    picture = std::move(loader.workingBitmap);
  }
  if (!s.script.empty()) {
    HeadlessScriptHost host;
    host.SetPictureDirect(std::move(picture), source);
    host.SetLoopAllowed(false);
    host.SetAnswers([](const std::string&) { return false; });
    host.SetDeletePolicy([](const std::string&) { return false; });
    ScriptInterpreter run(host, [&] { return s.script; });
    run.Run();
    picture = host.Picture();
  }
  std::vector<std::uint8_t> bytes;
  try {
    if (s.tag == 0) {
      bytes = EncodeWizardJpeg(picture.BitCount() == 24 ? picture : ToTrueColor(picture), s.jpeg);
      bytes = InsertJpegComment(bytes, BatchJpegCommentText());
    } else {
      bytes = EncodeForSave(picture, kSaveTypes[s.tag], s.save);
    }
  } catch (const std::exception& e) {
    return skip(e.what());
  }
  const std::uint64_t needed =
      (s.tag == 0 ? bytes.size()
                  : static_cast<std::uint64_t>(picture.Width()) * static_cast<std::uint64_t>(picture.Height()) * 3) +
      kSpaceReserve;
  if (s.freeSpace) {
    const auto available = s.freeSpace(s.folder / "x");
    if (available && *available <= needed) {
      r.abort = true;
      r.abortText = BatchDiskSpaceText(needed, *available);
      r.item.status = ConvertStatus::Failed;
      r.item.message = "insufficient disk space";
      return r;
    }
  }
  std::string why;
  r.temp = StageBytes(s.folder, bytes, &why);
  if (r.temp.empty()) {
    r.abort = true;
    r.abortText = kBatchAbortedText;
    r.item.status = ConvertStatus::Failed;
    r.item.message = why;
  }
  r.item.seconds = SecondsSince(start);
  return r;
}

// A picture whose load or script throws is skipped like one that does not load.
Staged PrepareGuarded(const std::string& source, const ConvertSettings& s) {
  try {
    return Prepare(source, s);
  } catch (const std::exception& e) {
    Staged r;
    r.item.source = source;
    r.item.message = e.what();
    return r;
  }
}

}  // namespace

const char* ConvertExtension(int tag) { return tag >= 0 && tag < kConvertTargetCount ? kExtensions[tag] : nullptr; }

int ConvertTagOf(const std::string& extension) {
  std::string e = !extension.empty() && extension[0] == '.' ? extension.substr(1) : extension;
  for (char& c : e) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (e == "jpeg") e = "jpg";
  if (e == "tiff") e = "tif";
  for (int t = 0; t < kConvertTargetCount; ++t)
    if (e == kExtensions[t]) return t;
  return -1;
}

const char* ConvertStatusName(ConvertStatus s) {
  switch (s) {
    case ConvertStatus::Written: return "written";
    case ConvertStatus::Skipped: return "skipped";
    case ConvertStatus::Failed: return "failed";
  }
  return "failed";
}

std::string BatchDiskSpaceText(std::uint64_t required, std::uint64_t available) {
  return "Insufficient disk space.\nReq.: " + std::to_string(required / 1024) + " Kb\nFree: " +
         std::to_string(available / 1024) + " Kb\n\nBatch cancelled.";
}

std::string SkippedFilesQuestion(std::size_t skipped) {
  return std::to_string(skipped) + " file(s) skipped.  Some files may be opened and processed manually.\nView log?";
}

std::string ConvertFolderTitle(std::size_t count, int tag) {
  std::string ext = ConvertExtension(tag) ? ConvertExtension(tag) : "";
  for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return "Write " + std::to_string(count) + " ." + ext + " files in";
}

bool WriteExceptionLog(const fs::path& path, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\r\n";
  return AtomicWrite(path, text).ok;
}

ConvertRun ConvertBatch(const std::vector<std::string>& input, const ConvertSettings& s, int jobs,
                        const ConvertProgressFn& progress) {
  ConvertRun run;
  const std::vector<std::string> files = Unique(input);
  const char* ext = ConvertExtension(s.tag);
  if (!ext || files.empty()) return run;
  const std::size_t count = files.size();
  jobs = std::clamp(jobs, 1, 64);

  std::vector<std::optional<Staged>> slots(count);
  std::mutex mutex;
  std::condition_variable ready;
  std::atomic<std::size_t> next{0};
  std::atomic<bool> stop{false};
  auto worker = [&] {
    for (;;) {
      if (stop) return;
      const std::size_t i = next++;
      if (i >= count) return;
      Staged st = PrepareGuarded(files[i], s);
      std::lock_guard<std::mutex> lock(mutex);
      slots[i] = std::move(st);
      ready.notify_all();
    }
  };
  std::vector<std::thread> threads;
  if (jobs > 1)
    for (int j = 0; j < jobs; ++j) threads.emplace_back(worker);

  for (std::size_t i = 0; i < count; ++i) {
    Staged st;
    if (jobs > 1) {
      std::unique_lock<std::mutex> lock(mutex);
      ready.wait(lock, [&] { return slots[i].has_value(); });
      st = std::move(*slots[i]);
      slots[i].reset();
    } else {
      st = PrepareGuarded(files[i], s);
    }
    ConvertItem& item = st.item;
    if (st.abort) {
      run.aborted = true;
      run.abortText = st.abortText;
    } else if (!st.temp.empty()) {
      // Names are claimed here, in list order, whatever order the workers finished in.
      const auto start = std::chrono::steady_clock::now();
      const PlaceResult p = PlaceNumbered(st.temp, (s.folder / fs::path(files[i]).stem()).string(), ext);
      item.seconds += SecondsSince(start);
      if (p.ok) {
        item.status = ConvertStatus::Written;
        item.output = p.path;
      } else if (p.message.find("Skipped") != std::string::npos) {
        item.status = ConvertStatus::Skipped;
        item.message = "the names up to -999 are taken";
      } else {
        item.status = ConvertStatus::Failed;
        item.message = p.message;
        run.aborted = true;
        run.abortText = kBatchAbortedText;
      }
    }
    if (item.status == ConvertStatus::Skipped) run.log.push_back("Skipped: " + item.source);
    run.items.push_back(item);
    const bool goOn = !progress || progress(i + 1, count, item);
    if (run.aborted || !goOn) {
      stop = true;
      break;
    }
  }
  stop = true;
  for (std::thread& t : threads) t.join();
  // Pictures staged past the point the batch stopped are not written.
  for (auto& slot : slots)
    if (slot && !slot->temp.empty()) ::unlink(slot->temp.c_str());
  return run;
}

std::vector<PlannedOutput> PlanConvertNames(const std::vector<std::string>& input, const ConvertSettings& s) {
  std::vector<PlannedOutput> plan;
  const char* ext = ConvertExtension(s.tag);
  std::set<std::string> taken;
  for (const std::string& f : Unique(input)) {
    PlannedOutput p{f, {}};
    if (ext && PathInKindList(f, kConvertKinds)) {
      const std::string base = (s.folder / fs::path(f).stem()).string();
      for (int n = 0; n <= 999; ++n) {
        const std::string name = base + (n ? "-" + std::to_string(n) : std::string()) + "." + ext;
        struct stat st;
        if (taken.count(name) || ::lstat(name.c_str(), &st) == 0) continue;
        taken.insert(name);
        p.output = name;
        break;
      }
    }
    plan.push_back(p);
  }
  return plan;
}

}  // namespace pelira
