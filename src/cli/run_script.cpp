// pelira-cli run: a script over files, each file on its own engine state. Each file's run
// only stages its saved pictures; the names are chosen afterwards in FILE order, so
// parallel jobs give the very names and files a single job gives.
#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <thread>

#include "batch/batch_save.h"
#include "batch/bip_file.h"
#include "batch/headless_host.h"
#include "batch/script_interpreter.h"
#include "cli/commands.h"
#include "cli/input_list.h"
#include "cli/options.h"
#include "image/bmp_graphic.h"
#include "image/codec_registry.h"
#include "edit/save_as.h"

namespace pelira::cli {

namespace fs = std::filesystem;

namespace {

struct RunOptions {
  int type = 3;
  fs::path outDir;
  bool hasOutDir = false;
  int jobs = 1;
  SaveOptions save;
  InputSelection inputs;
};

struct StagedSave {
  std::string temp;  // the written bytes, beside their final place
  std::string base;  // folder + stem + suffix, without the extension
};

struct JobResult {
  int status = 0;
  std::vector<std::string> messages;
  std::vector<std::string> missing;
  std::vector<StagedSave> saves;
};

JobResult RunOneFile(const std::vector<std::string>& script, const std::string& file, const RunOptions& o) {
  JobResult r;
  HeadlessScriptHost host;
  if (!host.OpenBookmarks({file})) {
    r.status = 1;
    r.messages.push_back("pelira-cli: " + file + ": " + host.LoadError());
    return r;
  }
  host.SetLoopAllowed(false);
  host.SetAnswers([](const std::string&) { return false; });  // never abort: nobody is there to ask
  host.SetDeletePolicy([&](const std::string& path) {
    r.messages.push_back("pelira-cli: " + path + ": DELETE is refused by pelira-cli run");
    return false;
  });
  const fs::path dir = o.hasOutDir ? o.outDir : fs::path(file).parent_path().empty() ? fs::path(".") : fs::path(file).parent_path();
  const std::string stem = fs::path(file).stem().string();
  host.SetSave([&](const Dib& picture, const std::string& suffix) {
    std::vector<std::uint8_t> bytes;
    try {
      if (o.type == 1) {
        bytes = SaveWorkingBitmapBmp(picture);
      } else {
        if (o.type >= 10 && picture.BitCount() != 1) {
          r.status = 1;
          r.messages.push_back("pelira-cli: " + file + ": " + SaveTypeOf(o.type).filter + " needs a 1-bit picture");
          return;
        }
        const SaveWriter w = SaveWriterFor(o.type);
        if (!w) {
          r.status = 1;
          r.messages.push_back("pelira-cli: " + file + ": writing " + SaveTypeOf(o.type).filter + " is not available in this build");
          return;
        }
        bytes = w(picture, o.save);
      }
    } catch (const std::exception& e) {
      r.status = 1;
      r.messages.push_back("pelira-cli: " + file + ": " + e.what());
      return;
    }
    std::string why;
    const std::string temp = StageBytes(dir, bytes, &why);
    if (temp.empty()) {
      r.status = 1;
      r.messages.push_back("pelira-cli: " + dir.string() + ": cannot write: " + why);
      return;
    }
    r.saves.push_back({temp, (dir / (stem + suffix)).string()});
  });
  ScriptInterpreter run(host, [&] { return script; });
  run.Run();
  r.missing = host.Missing();
  return r;
}

std::vector<std::string> Commit(JobResult& r, const std::string& ext, std::ostream& err) {
  std::vector<std::string> written;
  for (const StagedSave& s : r.saves) {
    const PlaceResult p = PlaceNumbered(s.temp, s.base, ext);
    if (p.ok) written.push_back(p.path);
    if (!p.ok) {
      r.status = 1;
      r.messages.push_back("pelira-cli: " + p.message);
    }
  }
  r.saves.clear();
  for (const std::string& m : r.messages) err << m << "\n";
  return written;
}

// A child's result travels in a file: each field as its length, ":" and its bytes.
void PutField(std::string& out, const std::string& s) { out += std::to_string(s.size()) + ":" + s; }

std::string Serialize(const JobResult& r) {
  std::string out;
  PutField(out, std::to_string(r.status));
  PutField(out, std::to_string(r.messages.size()));
  for (const auto& m : r.messages) PutField(out, m);
  PutField(out, std::to_string(r.missing.size()));
  for (const auto& m : r.missing) PutField(out, m);
  PutField(out, std::to_string(r.saves.size()));
  for (const auto& s : r.saves) {
    PutField(out, s.temp);
    PutField(out, s.base);
  }
  return out;
}

bool Deserialize(const std::string& in, JobResult* r) {
  std::size_t pos = 0;
  auto field = [&](std::string* out) {
    const std::size_t colon = in.find(':', pos);
    if (colon == std::string::npos || colon == pos || colon - pos > 12) return false;
    const std::uint64_t n = std::strtoull(in.substr(pos, colon - pos).c_str(), nullptr, 10);
    if (n > in.size() - colon - 1) return false;
    *out = in.substr(colon + 1, n);
    pos = colon + 1 + n;
    return true;
  };
  auto count = [&](std::size_t* n) {
    std::string s;
    if (!field(&s)) return false;
    *n = std::strtoull(s.c_str(), nullptr, 10);
    return *n <= in.size();
  };
  std::string s;
  if (!field(&s)) return false;
  r->status = std::atoi(s.c_str());
  std::size_t n = 0;
  if (!count(&n)) return false;
  r->messages.resize(n);
  for (auto& m : r->messages)
    if (!field(&m)) return false;
  if (!count(&n)) return false;
  r->missing.resize(n);
  for (auto& m : r->missing)
    if (!field(&m)) return false;
  if (!count(&n)) return false;
  r->saves.resize(n);
  for (auto& v : r->saves)
    if (!field(&v.temp) || !field(&v.base)) return false;
  return true;
}

// The cores this process may run on (taskset and batch schedulers' cpusets narrow them).
int UsableCores() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return CPU_COUNT(&set);
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

OptionTable RunOptionTable(RunOptions& o) {
  OptionTable t = {
      NumberOption("--type", "N", "the save type of every SAVE, as for convert (default 3, PNG)", 1, 12, &o.type,
                   "wants 1..12"),
      {"--out", "DIR", "the folder the saves go to (default: beside each source)",
       [&o](const std::string& v) {
         if (v.empty()) return false;
         o.outDir = v;
         o.hasOutDir = true;
         return true;
       },
       "wants a folder"},
      NumberOption("--jobs", "N",
                   "files run at once in separate processes (default: the\n"
                   "cores this process may use); names are given in FILE order\n"
                   "whatever N is",
                   1, 256, &o.jobs, "wants 1..256"),
  };
  AddSaveOptions(t, &o.save);
  AddInputOptions(t, &o.inputs);
  return t;
}

}  // namespace

std::string RunSynopsis() {
  RunOptions o;
  return "  run SCRIPT.bip [OPTIONS] FILE...\n"
         "                      run a batch script on each FILE: the file is the current picture\n"
         "                      and the only bookmark; the script runs once (NEXT and PREVIOUS do\n"
         "                      nothing, LOOP ends after one pass, prompts answer \"do not abort\",\n"
         "                      DELETE is refused). Each SAVE writes the file's name without its\n"
         "                      extension + the SAVE suffix into DIR or beside the source, never\n"
         "                      replacing a file: taken names get -1 ... -999.\n" +
         OptionHelp(RunOptionTable(o));
}

int RunScript(const Args& args, std::ostream& out, std::ostream& err) {
  RunOptions o;
  o.jobs = UsableCores();
  std::vector<std::string> positional;
  auto usage = [&](const std::string& why) {
    err << "pelira-cli run: " << why << " (see pelira-cli --help)\n";
    return 2;
  };
  if (!ParseOptions("run", RunOptionTable(o), args, &positional, err)) return 2;
  if (positional.empty() || (positional.size() < 2 && o.inputs.filesFrom.empty()))
    return usage("a script and at least one file are needed");
  std::string why;
  const auto script = ReadBipFile(positional[0], &why);
  if (!script) {
    err << "pelira-cli: " << why << "\n";
    return 1;
  }
  int status = 0;
  {
    // Words this build cannot run are refused before the first file; a SAVE that cannot
    // save, or no SAVE at all, is said before the run rather than found in an empty folder.
    std::vector<std::string> missing;
    bool saves = false;
    ScriptRegisters regs;
    for (const std::string& line : *script) {
      const ParsedLine p = ParseScriptLine(line, regs);
      if (p.word == "SAVE") {
        saves = true;
        if (!SafeNameSuffix(SaveSuffix(regs))) {
          err << "pelira-cli run: " << positional[0] << ": '" << line
              << "' saves nothing: a suffix may not hold '/', '\\' or control characters\n";
          status = 1;
        }
      }
      const Operation* op = FindOperation(p.word);
      if (op && !op->Built() && std::find(missing.begin(), missing.end(), p.word) == missing.end())
        missing.push_back(p.word);
    }
    if (!missing.empty()) {
      err << "pelira-cli run: " << positional[0] << ": not available in this build:";
      for (const std::string& w : missing) err << " " << w;
      err << "\n";
      return 2;
    }
    if (!saves) err << "pelira-cli run: " << positional[0] << ": the script has no SAVE line; nothing will be written\n";
  }
  std::error_code ec;
  if (o.hasOutDir && !fs::is_directory(o.outDir, ec)) {
    err << "pelira-cli: " << o.outDir.string() << ": not a folder\n";
    return 1;
  }
  std::vector<std::string> files;
  if (!SelectInputs("run", o.inputs, std::vector<std::string>(positional.begin() + 1, positional.end()), false,
                    &files, err))
    return 1;
  if (files.empty()) return status;
  using Clock = std::chrono::steady_clock;
  std::vector<Clock::time_point> started(files.size(), Clock::now());
  std::vector<std::optional<Clock::time_point>> ended(files.size());
  const std::string ext = SaveTypeOf(o.type).extension;
  std::set<std::string> reported;
  auto finish = [&](JobResult& r, std::size_t index) {
    const std::vector<std::string> written = Commit(r, ext, err);
    if (o.inputs.summaryJson)
      SummaryLine(out, files[index], r.status != 0 ? "failed" : written.empty() ? "done" : "written", written,
                  std::chrono::duration<double>(ended[index].value_or(Clock::now()) - started[index]).count());
    for (const std::string& w : r.missing)
      if (reported.insert(w).second) err << "pelira-cli run: " << w << ": this operation is not available in this build\n";
    if (r.status != 0) status = 1;
  };

  if (o.jobs == 1 || files.size() == 1) {
    for (std::size_t i = 0; i < files.size(); ++i) {
      started[i] = Clock::now();
      JobResult r = RunOneFile(*script, files[i], o);
      finish(r, i);
    }
    return status;
  }

  // Separate processes: nothing of one file's engine state can reach another's.
  std::string tmpl = (fs::temp_directory_path() / "pelira-run-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) {
    err << "pelira-cli: " << tmpl << ": " << std::strerror(errno) << "\n";
    return 1;
  }
  const fs::path work = tmpl;
  err.flush();
  std::fflush(nullptr);
  std::map<pid_t, std::size_t> running;
  std::vector<int> done(files.size(), 0);  // 0 waiting, 1 finished, 2 ended abnormally
  std::size_t next = 0, committed = 0;
  while (committed < files.size()) {
    while (next < files.size() && running.size() < static_cast<std::size_t>(o.jobs)) {
      started[next] = Clock::now();
      const pid_t pid = ::fork();
      if (pid == 0) {
        JobResult r = RunOneFile(*script, files[next], o);
        const std::string bytes = Serialize(r);
        std::ofstream f(work / std::to_string(next), std::ios::binary);
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        f.close();
        ::_exit(f ? 0 : 3);
      }
      if (pid < 0) {
        // No more processes: the rest runs here.
        JobResult r = RunOneFile(*script, files[next], o);
        const std::string bytes = Serialize(r);
        std::ofstream(work / std::to_string(next), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        done[next++] = 1;
        continue;
      }
      running[pid] = next++;
    }
    while (committed < files.size() && done[committed] != 0) {
      JobResult r;
      std::ifstream f(work / std::to_string(committed), std::ios::binary);
      std::stringstream ss;
      ss << f.rdbuf();
      if (done[committed] != 1 || !Deserialize(ss.str(), &r)) {
        r = JobResult{};
        r.status = 1;
        r.messages.push_back("pelira-cli: " + files[committed] + ": the run ended abnormally");
      }
      finish(r, committed);
      fs::remove(work / std::to_string(committed), ec);
      ++committed;
    }
    if (committed >= files.size()) break;
    if (running.empty()) continue;
    int ws = 0;
    const pid_t pid = ::waitpid(-1, &ws, 0);
    if (pid < 0) {
      if (errno == EINTR) continue;
      break;
    }
    const auto it = running.find(pid);
    if (it == running.end()) continue;
    ended[it->second] = Clock::now();
    done[it->second] = WIFEXITED(ws) && WEXITSTATUS(ws) == 0 ? 1 : 2;
    running.erase(it);
  }
  fs::remove_all(work, ec);
  return status;
}

}  // namespace pelira::cli
