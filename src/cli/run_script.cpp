// pelira-cli run: a script over files, each file on its own engine state. Each file's run
// only stages its saved pictures; the names are chosen afterwards in FILE order, so
// parallel jobs give the very names and files a single job gives.
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
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
  bool diskFull = false;  // a save found no space: the run stops
  double seconds = 0;     // the file's run, for --summary
  std::vector<std::string> messages;
  std::vector<std::string> missing;
  std::vector<StagedSave> saves;
};

// Set by the first SIGINT or SIGTERM; the run stops taking files.
volatile std::sig_atomic_t g_stopSignal = 0;
void OnStopSignal(int sig) {
  if (g_stopSignal == 0) g_stopSignal = sig;
}

// The two stop signals, blocked while a worker makes a temporary and notes it in its
// ledger, so a killed worker never leaves one the ledger does not name.
class StopSignalsBlocked {
public:
  StopSignalsBlocked() {
    sigset_t s;
    sigemptyset(&s);
    sigaddset(&s, SIGINT);
    sigaddset(&s, SIGTERM);
    ::sigprocmask(SIG_BLOCK, &s, &old_);
  }
  ~StopSignalsBlocked() { ::sigprocmask(SIG_SETMASK, &old_, nullptr); }
  StopSignalsBlocked(const StopSignalsBlocked&) = delete;
  StopSignalsBlocked& operator=(const StopSignalsBlocked&) = delete;

private:
  sigset_t old_;
};

// ledger: a file descriptor each staged temporary's path is appended to, or -1.
JobResult RunOneFileUntimed(const std::vector<std::string>& script, const std::string& file, const RunOptions& o,
                            int ledger) {
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
    int error = 0;
    std::string temp;
    {
      const StopSignalsBlocked quiet;
      temp = StageBytes(dir, bytes, &why, &error);
      if (!temp.empty() && ledger >= 0) {
        const std::string line = temp + "\n";
        (void)!::write(ledger, line.data(), line.size());
      }
    }
    if (temp.empty()) {
      r.status = 1;
      r.diskFull = r.diskFull || error == ENOSPC || error == EDQUOT;
      r.messages.push_back("pelira-cli: " + file + ": cannot write into " + dir.string() + ": " + why);
      return;
    }
    r.saves.push_back({temp, (dir / (stem + suffix)).string()});
  });
  ScriptInterpreter run(host, [&] { return script; });
  run.Run();
  r.missing = host.Missing();
  // A picture the decoder had to make the best of (a truncated JPEG) is a problem input.
  for (const std::string& w : host.LoadWarnings()) {
    r.status = 1;
    r.messages.push_back("pelira-cli: warning: " + w);
  }
  return r;
}

JobResult RunOneFile(const std::vector<std::string>& script, const std::string& file, const RunOptions& o,
                     int ledger = -1) {
  const auto start = std::chrono::steady_clock::now();
  JobResult r = RunOneFileUntimed(script, file, o, ledger);
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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
  PutField(out, r.diskFull ? "1" : "0");
  PutField(out, std::to_string(r.seconds));
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
  if (!field(&s)) return false;
  r->diskFull = s == "1";
  if (!field(&s)) return false;
  r->seconds = std::strtod(s.c_str(), nullptr);
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
                   "worker processes taking the files one at a time (default:\n"
                   "the cores this process may use); names are given in FILE\n"
                   "order whatever N is",
                   1, 256, &o.jobs, "wants 1..256"),
  };
  AddSaveOptions(t, &o.save);
  AddInputOptions(t, &o.inputs);
  return t;
}

// SIGINT and SIGTERM stop the run (no SA_RESTART, so waits return); the old handlers
// come back afterwards.
class SignalScope {
public:
  SignalScope() {
    g_stopSignal = 0;
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, &oldInt_);
    ::sigaction(SIGTERM, &sa, &oldTerm_);
  }
  ~SignalScope() {
    ::sigaction(SIGINT, &oldInt_, nullptr);
    ::sigaction(SIGTERM, &oldTerm_, nullptr);
  }
  SignalScope(const SignalScope&) = delete;
  SignalScope& operator=(const SignalScope&) = delete;

private:
  struct sigaction oldInt_ {}, oldTerm_ {};
};

enum class PoolStop { None, DiskFull, Signal };
struct PoolEnd {
  PoolStop stop = PoolStop::None;
  int signal = 0;
  std::size_t unprocessed = 0;
};

// A worker's word to the parent: it started or finished a file. 12 bytes, so a write to
// the shared pipe is never interleaved with another worker's.
struct WorkerNote {
  std::int32_t pid;
  std::int32_t finished;
  std::int32_t index;
};

bool WriteAll(int fd, const void* data, std::size_t n) {
  const char* p = static_cast<const char*>(data);
  while (n > 0) {
    const ssize_t w = ::write(fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

// A few long-lived worker processes take the files one at a time from a pipe, each on an
// engine state of its own; results come back through files in a private folder and are
// committed in FILE order, so the names are those of a single job. A worker that dies
// costs only its file: another takes its place.
class WorkerPool {
public:
  WorkerPool(const std::vector<std::string>& script, const std::vector<std::string>& files, const RunOptions& o,
             std::size_t workers)
      : script_(script), files_(files), o_(o), workers_(std::max<std::size_t>(workers, 1)), done_(files.size(), 0) {}

  template <class Finish>
  PoolEnd Run(Finish&& finish) {
    PoolEnd end;
    if (!Start()) {
      // No folder or pipes for workers: the files run here, one after another.
      for (std::size_t i = 0; i < files_.size() && g_stopSignal == 0; ++i) {
        JobResult r = RunOneFile(script_, files_[i], o_);
        if (r.diskFull) {
          finish(r);
          end.stop = PoolStop::DiskFull;
          end.unprocessed = files_.size() - i - 1;
          return end;
        }
        if (g_stopSignal != 0) {
          Discard(r);
          break;
        }
        finish(r);
      }
      if (g_stopSignal != 0) {
        end.stop = PoolStop::Signal;
        end.signal = g_stopSignal;
      }
      return end;
    }
    while (committed_ < files_.size()) {
      if (g_stopSignal != 0) {
        end.stop = PoolStop::Signal;
        end.signal = g_stopSignal;
        break;
      }
      Reap();
      Spawn();
      if (live_.empty()) GiveUpRemaining();
      Feed();
      if (live_.empty() && next_ >= files_.size()) MarkOrphans();
      if (!Listen()) MarkOrphans();
      while (committed_ < files_.size() && done_[committed_] != 0) {
        JobResult r = Take(committed_);
        const bool full = r.diskFull;
        finish(r);
        ++committed_;
        if (full) {
          end.stop = PoolStop::DiskFull;
          end.unprocessed = files_.size() - committed_;
          break;
        }
      }
      if (end.stop != PoolStop::None) break;
    }
    Stop(end.stop != PoolStop::None);
    return end;
  }

  ~WorkerPool() { Stop(true); }

private:
  bool Start() {
    std::string tmpl = (fs::temp_directory_path() / "pelira-run-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) return false;
    work_ = tmpl;
    if (::pipe2(jobs_, O_CLOEXEC) != 0) return false;
    if (::pipe2(notes_, O_CLOEXEC) != 0) return false;
    std::fflush(nullptr);
    Spawn();
    return !live_.empty();
  }

  // Keeps the pool full while files remain.
  void Spawn() {
    while (live_.size() < workers_ && next_ < files_.size() && jobs_[1] >= 0) {
      const pid_t parent = ::getpid();
      const pid_t pid = ::fork();
      if (pid < 0) return;
      if (pid == 0) WorkerMain(parent);
      live_[pid] = -1;
    }
  }

  [[noreturn]] void WorkerMain(pid_t parent) {
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    // A worker never outlives the run that started it.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(4);
    ::close(jobs_[1]);
    ::close(notes_[0]);
    const int ledger = ::open((work_ / ("ledger-" + std::to_string(::getpid()))).c_str(),
                              O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    for (;;) {
      std::int32_t index = 0;
      const ssize_t n = ::read(jobs_[0], &index, sizeof index);
      if (n < 0 && errno == EINTR) continue;
      if (n != sizeof index || index < 0 || static_cast<std::size_t>(index) >= files_.size()) ::_exit(0);
      WorkerNote note{static_cast<std::int32_t>(::getpid()), 0, index};
      if (!WriteAll(notes_[1], &note, sizeof note)) ::_exit(3);
      const JobResult r = RunOneFile(script_, files_[static_cast<std::size_t>(index)], o_, ledger);
      const std::string bytes = Serialize(r);
      {
        std::ofstream f(work_ / std::to_string(index), std::ios::binary);
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        f.close();
        if (!f) ::_exit(3);
      }
      note.finished = 1;
      if (!WriteAll(notes_[1], &note, sizeof note)) ::_exit(3);
    }
  }

  // Hands out files, a few ahead of the workers; the pipe closes after the last.
  void Feed() {
    const std::size_t ahead = 2 * workers_;
    while (jobs_[1] >= 0 && next_ < files_.size() && next_ < finished_ + ahead) {
      const std::int32_t index = static_cast<std::int32_t>(next_);
      if (!WriteAll(jobs_[1], &index, sizeof index)) break;
      ++next_;
    }
    if (jobs_[1] >= 0 && next_ >= files_.size()) {
      ::close(jobs_[1]);
      jobs_[1] = -1;
    }
  }

  // Waits up to a quarter second for workers' notes; false when no worker can write any more.
  // *read says whether a note was read.
  bool Listen(int timeoutMs = 250, bool* read = nullptr) {
    pollfd p{notes_[0], POLLIN, 0};
    const int ready = ::poll(&p, 1, timeoutMs);
    if (ready <= 0) return true;
    if (read) *read = true;
    WorkerNote note{};
    const ssize_t n = ::read(notes_[0], &note, sizeof note);
    if (n == 0) return false;
    if (n != sizeof note || note.index < 0 || static_cast<std::size_t>(note.index) >= files_.size()) return true;
    const auto it = live_.find(note.pid);
    if (note.finished == 0) {
      if (it != live_.end()) it->second = note.index;
      return true;
    }
    if (it != live_.end()) it->second = -1;
    if (done_[static_cast<std::size_t>(note.index)] == 0) {
      done_[static_cast<std::size_t>(note.index)] = 1;
      ++finished_;
    }
    return true;
  }

  // Workers that ended: the file one was on when it died ended abnormally.
  void Reap() {
    for (;;) {
      int ws = 0;
      const pid_t pid = ::waitpid(-1, &ws, WNOHANG);
      if (pid <= 0) return;
      // A worker writes its last note before it exits: read what is waiting first, or a
      // finished file would count as one it died on.
      for (bool read = true; read;) {
        read = false;
        if (!Listen(0, &read)) break;
      }
      const auto it = live_.find(pid);
      if (it == live_.end()) continue;
      const int index = it->second;
      live_.erase(it);
      if (index >= 0 && done_[static_cast<std::size_t>(index)] == 0) {
        done_[static_cast<std::size_t>(index)] = 2;
        ++finished_;
      }
    }
  }

  // Files handed out that no live worker can still finish.
  void MarkOrphans() {
    Reap();
    if (!live_.empty()) return;
    for (std::size_t i = committed_; i < next_; ++i)
      if (done_[i] == 0) {
        done_[i] = 2;
        ++finished_;
      }
  }

  // No worker can be started: the files not finished end abnormally.
  void GiveUpRemaining() {
    for (std::size_t i = committed_; i < files_.size(); ++i)
      if (done_[i] == 0) {
        done_[i] = 2;
        ++finished_;
      }
    next_ = files_.size();
  }

  JobResult Take(std::size_t index) {
    JobResult r;
    std::ifstream f(work_ / std::to_string(index), std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    if (done_[index] != 1 || !Deserialize(ss.str(), &r)) {
      r = JobResult{};
      r.status = 1;
      r.messages.push_back("pelira-cli: " + files_[index] + ": the run ended abnormally");
    }
    std::error_code ec;
    fs::remove(work_ / std::to_string(index), ec);
    return r;
  }

  static void Discard(JobResult& r) {
    for (const StagedSave& s : r.saves) ::unlink(s.temp.c_str());
    r.saves.clear();
  }

  // Ends the workers; after a stop, every temporary they made is removed: the staged
  // pictures of results not committed (named in the workers' ledgers) and the folder.
  void Stop(bool abandon) {
    if (jobs_[1] >= 0) {
      ::close(jobs_[1]);
      jobs_[1] = -1;
    }
    if (abandon)
      for (const auto& [pid, index] : live_) ::kill(pid, SIGTERM);
    for (const auto& [pid, index] : live_) {
      int ws = 0;
      while (::waitpid(pid, &ws, 0) < 0 && errno == EINTR) {
      }
    }
    live_.clear();
    for (int* fds : {jobs_, notes_})
      for (int k = 0; k < 2; ++k)
        if (fds[k] >= 0) {
          ::close(fds[k]);
          fds[k] = -1;
        }
    if (work_.empty()) return;
    std::error_code ec;
    if (abandon) {
      for (const auto& entry : fs::directory_iterator(work_, ec)) {
        if (entry.path().filename().string().rfind("ledger-", 0) != 0) continue;
        std::ifstream ledger(entry.path());
        for (std::string temp; std::getline(ledger, temp);)
          if (!temp.empty()) ::unlink(temp.c_str());
      }
    }
    fs::remove_all(work_, ec);
    work_.clear();
  }

  const std::vector<std::string>& script_;
  const std::vector<std::string>& files_;
  const RunOptions& o_;
  const std::size_t workers_;
  std::vector<int> done_;  // 0 waiting, 1 finished, 2 ended abnormally
  std::map<pid_t, int> live_;  // worker -> the file it is on, or -1
  std::size_t next_ = 0, finished_ = 0, committed_ = 0;
  int jobs_[2] = {-1, -1};
  int notes_[2] = {-1, -1};
  fs::path work_;
};

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
  std::size_t committed = 0;  // files are committed in FILE order
  const std::string ext = SaveTypeOf(o.type).extension;
  std::set<std::string> reported;
  auto finish = [&](JobResult& r) {
    const std::vector<std::string> written = Commit(r, ext, err);
    if (o.inputs.summaryJson)
      SummaryLine(out, files[committed], r.status != 0 ? "failed" : written.empty() ? "done" : "written", written,
                  r.seconds);
    ++committed;
    for (const std::string& w : r.missing)
      if (reported.insert(w).second) err << "pelira-cli run: " << w << ": this operation is not available in this build\n";
    if (r.status != 0) status = 1;
  };

  const SignalScope signals;
  WorkerPool pool(*script, files, o, std::min<std::size_t>(static_cast<std::size_t>(o.jobs), files.size()));
  const PoolEnd end = pool.Run(finish);
  if (end.stop == PoolStop::DiskFull) {
    err << "pelira-cli run: the disk is full; the run stopped with " << end.unprocessed
        << " file(s) not processed\n";
    return 1;
  }
  if (end.stop == PoolStop::Signal) return 128 + end.signal;
  return status;
}

}  // namespace pelira::cli
