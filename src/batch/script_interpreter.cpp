#include "batch/script_interpreter.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <unordered_map>

#include "common/request_flags.h"
#include "engine/composites.h"
#include "edit/filter_words.h"
#include "engine/histogram.h"
#include "edit/picture_state.h"
#include "edit/tone_commands.h"
#include "edit/filter_commands.h"

namespace pelira {

namespace {

using E = EditCommand;

// Words that run a viewer command with FilterParam1..3 taken from the registers. n: how
// many arguments the range check covers; lo/hi: their range (inclusive).
struct ToneEntry {
  EditCommand command;
  int n;
  int lo[3];
  int hi[3];
};

const std::unordered_map<std::string, ToneEntry>& ToneWords() {
  static const std::unordered_map<std::string, ToneEntry> t = {
      {"GAMMA", {E::GammaRGB, 3, {1, 1, 1}, {500, 500, 500}}},
      {"GAMMA_SUPRESS", {E::GammaSuppress, 3, {1, 1, 1}, {500, 500, 500}}},
      {"GAMMA_SUPPRESS", {E::GammaSuppress, 3, {1, 1, 1}, {500, 500, 500}}},
      {"GAMMA_SATURATION", {E::GammaSaturation, 1, {0}, {500}}},
      {"BRIGHTNESS", {E::BrightnessRGB, 3, {-127, -127, -127}, {127, 127, 127}}},
      {"SHIFT", {E::BrightnessShift, 3, {-127, -127, -127}, {127, 127, 127}}},
      {"ZERO", {E::BrightnessZero, 0, {}, {}}},
      {"CONTRAST", {E::ContrastRGB, 3, {-127, -127, -127}, {127, 127, 127}}},
      {"WHITEBALANCE", {E::WhiteBalance, 0, {}, {}}},  // the tables clamp what they are given
      {"AUTO_BALANCE", {E::AutoBalance, 0, {}, {}}},
      {"UNWASH", {E::UnWash, 0, {}, {}}},
      {"UNCOOK", {E::UnCook, 0, {}, {}}},
      {"ATTENUATE", {E::Attenuate, 0, {}, {}}},
      {"NEGATIVE", {E::Negative, 0, {}, {}}},
      {"ENHANCE", {E::EnhanceGlobal, 2, {0, 0}, {255, 255}}},
      {"SHADOWS", {E::EnhanceShadows, 3, {0, 0, 0}, {255, 255, 255}}},
      {"HIGHLIGHTS", {E::EnhanceHighlights, 3, {0, 0, 0}, {255, 255, 255}}},
      {"LIGHTING", {E::EnhanceLighting, 2, {0, 0}, {255, 255}}},
      {"SATURATION", {E::EnhanceSaturation, 2, {0, 0}, {255, 255}}},
      {"SUPRESS", {E::ContrastSuppress, 2, {0, 0}, {255, 255}}},
      {"SUPPRESS", {E::ContrastSuppress, 2, {0, 0}, {255, 255}}},
      {"AUTO_CONTRAST", {E::AutoContrast, 0, {}, {}}},
      {"AUTO_LIGHTING", {E::AutoLighting, 0, {}, {}}},
      {"AUTO_SATURATE", {E::AutoSaturate, 0, {}, {}}},
      {"NORMALIZE", {E::Normalize, 0, {}, {}}},
      {"OPTIMIZE", {E::Optimize, 0, {}, {}}},
      {"EQUALIZE", {E::EQualize, 0, {}, {}}},
      {"ZEROMAP", {E::MapZero, 0, {}, {}}},
      {"CENTER", {E::MapCenter, 0, {}, {}}},
      // Offsets from the measured statistics: the remap clamps the sums.
      {"MAP_EQ", {E::MapEqualize, 2, {-100000, -100000}, {100000, 100000}}},
      {"MAP_RED", {E::MapRed, 2, {-100000, -100000}, {100000, 100000}}},
      {"MAP_GRN", {E::MapGreen, 2, {-100000, -100000}, {100000, 100000}}},
      {"MAP_BLU", {E::MapBlue, 2, {-100000, -100000}, {100000, 100000}}},
      {"MAP_LIT", {E::MapLighting, 2, {-100000, -100000}, {100000, 100000}}},
      {"MAP_SAT", {E::MapSaturation, 2, {-100000, -100000}, {100000, 100000}}},
      {"MAP_RGB", {E::TuneRGB, 2, {-100000, -100000}, {100000, 100000}}},
      {"LIMIT_ALL", {E::LimitAll, 3, {0, 0, 0}, {255, 255, 255}}},
      {"LIMIT_RED", {E::LimitRed, 3, {0, 0, 0}, {255, 255, 255}}},
      {"LIMIT_GRN", {E::LimitGreen, 3, {0, 0, 0}, {255, 255, 255}}},
      {"LIMIT_BLU", {E::LimitBlue, 3, {0, 0, 0}, {255, 255, 255}}},
      {"PARAMETRIC_EQ_ALL", {E::ParametricEqAll, 3, {0, 7, -127}, {255, 127, 127}}},
      {"PARAMETRIC_EQ_RED", {E::ParametricEqRed, 3, {0, 7, -127}, {255, 127, 127}}},
      {"PARAMETRIC_EQ_GRN", {E::ParametricEqGreen, 3, {0, 7, -127}, {255, 127, 127}}},
      {"PARAMETRIC_EQ_BLU", {E::ParametricEqBlue, 3, {0, 7, -127}, {255, 127, 127}}},
  };
  return t;
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsRegularFile(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

// The script mark on the viewer's commands for the run: no undo copies, no dialogs, no
// recording.
class RunMark {
public:
  explicit RunMark(ToneCommands& e) : e_(e), previous_(e.ScriptRunning()) { e_.SetScriptRunning(true); }
  ~RunMark() { e_.SetScriptRunning(previous_); }
  RunMark(const RunMark&) = delete;
  RunMark& operator=(const RunMark&) = delete;

private:
  ToneCommands& e_;
  bool previous_;
  OperationScope scope_;
};

}  // namespace

bool SafeNameSuffix(const std::string& suffix) {
  for (unsigned char c : suffix)
    if (c == '/' || c == '\\' || c < 0x20) return false;
  return true;
}

ScriptInterpreter::ScriptInterpreter(ScriptHost& host, std::function<std::vector<std::string>()> lines)
    : host_(host), lines_(std::move(lines)) {}

bool ScriptInterpreter::Ask(const std::string& text) { return host_.AskYesNo(text); }

void ScriptInterpreter::ClearBuffers(bool duplicateToo) {
  EngineState& e = host_.Engine();
  e.scratch.Clear();
  e.backup.Clear();
  if (duplicateToo) e.duplicate.Clear();
}

bool ScriptInterpreter::Run() {
  RunMark mark(host_.Edits());
  ClearBuffers(true);
  bool completed = true;
  for (;;) {
    const std::vector<std::string> lines = lines_();
    host_.ClearStopRequest();
    bool aborted = false;
    for (const std::string& line : lines) {
      if (host_.StopRequested()) {
        saveReuse_ = false;
        aborted = true;
        break;
      }
      if (!RunLine(line)) {
        saveReuse_ = false;
        aborted = true;
        break;
      }
    }
    if (aborted) {
      completed = false;
      break;
    }
    if (!loop_ || !host_.LoopAllowed()) break;
  }
  ClearBuffers(false);
  host_.Refresh();
  return completed;
}

bool ScriptInterpreter::RunLine(const std::string& line) {
  // SAVE writes the picture at the depth it has: a reduction just before it must reach
  // the file.
  const std::string upper = AsciiUpper(line);
  const ParsedLine p = ParseScriptLine(line, regs_);
  if (p.word != "SAVE") host_.Edits().EnsureTrueColor();
  if (p.word.empty()) return true;
  const ScriptCommandInfo* info = FindScriptCommand(p.word);
  if (!info) return true;
  if (p.word == "TRACE") {
    trace_ = true;
    return true;
  }
  if (p.word == "PROMPT" && !trace_) {
    host_.Refresh();
    return !Ask(std::string("\n") + kAbortBatchText);
  }
  if (trace_) {
    const std::string text = p.word + "\n\n" + kAbortBatchText;
    if (info->promptAfter) {
      if (!Dispatch(p.word)) return false;
      host_.Refresh();
      return !Ask(text);
    }
    host_.Refresh();
    if (Ask(text)) return false;
    if (p.word == "PROMPT") return true;
    return Dispatch(p.word);
  }
  return Dispatch(p.word);
}

bool ScriptInterpreter::Dispatch(const std::string& word) {
  if (Tone(word)) return true;
  if (Filter(word)) return true;
  return Other(word);
}

bool ScriptInterpreter::Filter(const std::string& word) {
  using F = FilterCommand;
  struct Entry {
    FilterCommand command;
    int n;
    int lo[2];
    int hi[2];
  };
  static const std::unordered_map<std::string, Entry> table = {
      {"GAUSSIAN", {F::Gaussian, 1, {1}, {255}}},         {"OUTLIER", {F::Outlier, 1, {1}, {255}}},
      {"DEFOCUS", {F::DeFocus, 1, {1}, {255}}},           {"SOFTEN", {F::Soften, 1, {1}, {10}}},
      {"DESPECKLE", {F::Despeckle, 1, {1}, {9}}},         {"UNSPOT", {F::UnSpot, 1, {-127}, {127}}},
      {"MEANREMOVAL", {F::MeanRemoval, 1, {1}, {8}}},     {"HIGHPASSMEDIUM", {F::HighPassMedium, 1, {1}, {4}}},
      {"HIGHPASSLIGHT", {F::HighPassLight, 1, {1}, {4}}}, {"UNSHARPMASK", {F::UnsharpMask, 2, {0, 0}, {255, 255}}},
      {"CLEAN", {F::Clean, 2, {0, 0}, {255, 255}}},       {"DEFOG", {F::DeFog, 2, {0, 0}, {255, 255}}},
      {"DESCREEN_LIGHT", {F::DescreenLight, 0, {}, {}}},  {"DESCREEN_MEDIUM", {F::DescreenMedium, 0, {}, {}}},
      {"DESCREEN_STRONG", {F::DescreenStrong, 0, {}, {}}}, {"DESCREEN_HIGH", {F::DescreenHigh, 0, {}, {}}},
      {"DELACE", {F::DeLace, 0, {}, {}}},                 {"ENRICH", {F::Enrich, 0, {}, {}}},
  };
  const bool resize = word == "RESIZE" || word == "RESAMPLE" || word == "RESIZE%" || word == "RESAMPLE%" ||
                      word == "DOWNSAMPLE";
  const auto it = table.find(word);
  if (it == table.end() && !resize && word != "DEPIXELATE") return false;
  FilterCommands* filters = host_.Filters();
  if (!filters) {
    host_.NotAvailable(word);
    return true;
  }
  Dib& pic = host_.Picture();
  if (pic.Empty()) return true;
  EngineState& e = host_.Engine();
  const auto& a = regs_.a;
  if (word == "DEPIXELATE") {
    filters->DePixelateWord(a[0]);
    return true;
  }
  if (resize) {
    std::int64_t w = a[0], h = a[1];
    if (word.back() == '%') {
      if (a[0] < 1 || a[0] > 799) return true;
      w = std::int64_t{pic.Width()} * a[0] / 100;
      h = std::int64_t{pic.Height()} * a[0] / 100;
      if (w <= 32 || h <= 32) return true;
    } else {
      if (w < 1 || w > 16384 || h < 1 || h > 16384) return true;
      if (word == "DOWNSAMPLE") {
        // The largest size of the picture's shape inside w x h, never enlarging.
        w = std::min<std::int64_t>(w, pic.Width());
        h = std::min<std::int64_t>(h, pic.Height());
        const std::int64_t byWidth = std::int64_t{pic.Height()} * w / pic.Width();
        if (byWidth <= h) h = std::max<std::int64_t>(1, byWidth);
        else w = std::max<std::int64_t>(1, std::int64_t{pic.Width()} * h / pic.Height());
      }
    }
    // The resample reads width from FilterParam2 and height from FilterParam1 in a script.
    e.FilterParam2 = static_cast<std::int32_t>(w);
    e.FilterParam1 = static_cast<std::int32_t>(h);
    filters->Resample(static_cast<int>(w), static_cast<int>(h));
    return true;
  }
  const Entry& t = it->second;
  for (int k = 0; k < t.n; ++k)
    if (a[k] < t.lo[k] || a[k] > t.hi[k]) return true;
  e.FilterParam1 = a[0];
  e.FilterParam2 = a[1];
  e.FilterParam3 = a[2];
  filters->Run(t.command);
  return true;
}

bool ScriptInterpreter::Tone(const std::string& word) {
  const auto& table = ToneWords();
  const auto it = table.find(word);
  if (it == table.end()) return false;
  const ToneEntry& t = it->second;
  for (int k = 0; k < t.n; ++k)
    if (regs_.a[k] < t.lo[k] || regs_.a[k] > t.hi[k]) return true;  // out of range: skipped
  if (host_.Picture().Empty()) return true;
  EngineState& e = host_.Engine();
  e.FilterParam1 = regs_.a[0];
  e.FilterParam2 = regs_.a[1];
  e.FilterParam3 = regs_.a[2];
  host_.Edits().Run(t.command);
  return true;
}

bool ScriptInterpreter::Other(const std::string& word) {
  const auto& a = regs_.a;
  ToneCommands& edits = host_.Edits();
  EngineState& e = host_.Engine();
  PictureState& view = host_.View();
  auto changed = [&] {
    view.ImageModified = true;
    host_.Refresh();
  };
  if (word == "PROMPTSTRING") return !Ask(regs_.text + "\n" + kAbortBatchText);
  if (word == "PROMPT_NOT_FILESTRING" || word == "PROMPT_HAS_FILESTRING") {
    const std::string name = host_.CurrentFileName();
    const bool has = AsciiUpper(name).find(AsciiUpper(regs_.text)) != std::string::npos;
    const bool wantHas = word == "PROMPT_HAS_FILESTRING";
    if (has != wantHas) return true;
    return !Ask(BaseName(name) + (wantHas ? " contains " : " does not contain ") + "\"" + regs_.text + "\"\n" +
                "Abort?");
  }
  if (word == "LOOP") {
    loop_ = true;
  } else if (word == "NEXT") {
    host_.NextBookmark();
  } else if (word == "PREVIOUS") {
    host_.PreviousBookmark();
  } else if (word == "RELOAD") {
    view.ImageModified = false;
    if (host_.LoadPicture(host_.CurrentFileName())) edits.EnsureTrueColor();
  } else if (word == "LOADFILE") {
    view.ImageModified = false;
    // Regular files only: a FIFO or a device would hang or feed the loader endlessly.
    if (IsRegularFile(regs_.text) && host_.LoadPicture(regs_.text)) edits.EnsureTrueColor();
  } else if (word == "SAVE") {
    Save();
  } else if (word == "DELETE") {
    Delete();
  } else if (word == "NOMODIFYFLAG") {
    view.ImageModified = false;
  } else if (word == "REFRESH") {
    host_.Refresh();
  } else if (word == "TRUECOLOR") {
    edits.EnsureTrueColor();
    host_.Refresh();
  } else if (word == "CLEARBUFFERS") {
    ClearBuffers(true);
  } else if (word == "AUTO_GAMMA" || word == "REFERENCE") {
    if (host_.Picture().Empty()) return true;
    edits.Run(word == "AUTO_GAMMA" ? E::AutoGamma : E::Reference, a[0] == 1 ? 1 : 0);
  } else if (word == "AUTO_FLASH" || word == "AUTO_WHITE") {
    if (host_.Picture().Empty()) return true;
    edits.Run(word == "AUTO_FLASH" ? E::AutoFlash : E::AutoWhite, a[0] == 1 || a[0] == 2 ? a[0] : 0);
  } else if (word.rfind("CONFORM_", 0) == 0) {
    Dib& pic = host_.Picture();
    if (pic.Empty()) return true;
    if (word == "CONFORM_GAMMA_RGB") {
      DoConformGammaRGB(pic, std::clamp(a[0], 1, 255), std::clamp(a[1], 1, 255), std::clamp(a[2], 1, 255));
    } else if (word == "CONFORM_GAMMA") {
      if (a[0] < 1 || a[0] > 254) return true;
      DoConformGamma(pic, a[0]);
    } else {
      const int ch = word == "CONFORM_RED" ? kRed : word == "CONFORM_GRN" ? kGreen : word == "CONFORM_BLU" ? kBlue
                     : word == "CONFORM_LIT" ? kLightnessChannel : kSaturationChannel;
      if (!ConformChannel(pic, ch, a[0], a[1])) return true;
    }
    changed();
  } else if (word == "GRAYSCALE" || word == "QUANTIZE16" || word == "QUANTIZE256") {
    edits.RunDepth(word == "GRAYSCALE" ? DepthCommand::TrueGrayscale
                   : word == "QUANTIZE16" ? DepthCommand::Reduce16Poster : DepthCommand::Reduce256Poster);
  } else if (word == "DUPLICATE") {
    e.duplicate = host_.Picture();
  } else if (word == "SWAP") {
    if (SwapWithDuplicate(host_.Picture(), e.duplicate)) changed();
  } else if (word == "COPYTOBACKUP") {
    e.backup = host_.Picture();
  } else if (word == "COPYFROMBACKUP") {
    if (e.backup.Empty()) return true;
    host_.SetPicture(Dib(e.backup));
    host_.PictureChanged();
  } else if (word == "AVERAGE") {
    if (a[0] < 1 || a[0] > 255) return true;
    if (AverageBitmap(host_.Picture(), e.duplicate, a[0])) changed();
  } else if (word == "MAXIMUM") {
    if (Maximum(host_.Picture(), e.duplicate)) changed();
  } else if (word == "CROP") {
    Crop();
  } else if (const FilterWordResult f = RunFilterWord(word, a, host_.Picture()); f != FilterWordResult::NotFilterWord) {
    if (f == FilterWordResult::Applied) changed();
    if (f == FilterWordResult::SizeChanged) host_.PictureChanged();
  } else {
    host_.NotAvailable(word);
  }
  return true;
}

void ScriptInterpreter::Save() {
  std::string suffix = regs_.text;
  // A bare SAVE line: the text is the line itself, in whatever case it was typed.
  {
    std::string t = suffix;
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.pop_back();
    std::size_t b = 0;
    while (b < t.size() && (t[b] == ' ' || t[b] == '\t')) ++b;
    if (AsciiUpper(t.substr(b)) == "SAVE") suffix.clear();
  }
  if (!SafeNameSuffix(suffix)) return;
  if (host_.Picture().Empty()) return;
  host_.SaveBatch(suffix, saveReuse_);
  saveReuse_ = true;
}

void ScriptInterpreter::Delete() {
  const std::string path = host_.CurrentFileName();
  if (!IsRegularFile(path)) return;
  if (!deleteAsked_) {
    deleteAsked_ = true;
    deleteAllowed_ = host_.ConfirmDeletes(path);
  }
  if (deleteAllowed_) host_.MoveToTrash(path);
}

void ScriptInterpreter::Crop() {
  // Both corners packed hi·65536 + lo; only a rectangle inside the picture with a positive
  // size is cut, whatever the line says.
  const std::uint32_t p1 = static_cast<std::uint32_t>(regs_.a[0]), p2 = static_cast<std::uint32_t>(regs_.a[1]);
  const int left = static_cast<int>(p1 & 0xFFFF), top = static_cast<int>(p1 >> 16);
  const int right = static_cast<int>(p2 & 0xFFFF), bottom = static_cast<int>(p2 >> 16);
  Dib& pic = host_.Picture();
  if (pic.BitCount() != 24 || regs_.a[0] < 0 || regs_.a[1] < 0) return;
  if (!(left < right && right <= pic.Width() && top < bottom && bottom <= pic.Height())) return;
  Dib out(right - left, bottom - top, 24);
  const std::size_t bytesPerPixel = 3;
  for (int y = top; y < bottom; ++y) {
    const std::uint8_t* src = pic.ScanLine(y) + static_cast<std::size_t>(left) * bytesPerPixel;
    std::copy(src, src + static_cast<std::size_t>(right - left) * bytesPerPixel, out.ScanLine(y - top));
  }
  host_.SetPicture(std::move(out));
  host_.PictureChanged();
}

}  // namespace pelira
