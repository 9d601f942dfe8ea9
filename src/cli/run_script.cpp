// pelira-cli run: a script over files, each file on its own engine state. Each file's run
// only stages its saved pictures; the names are chosen afterwards in FILE order, so
// parallel jobs give the very names and files a single job gives.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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

bool ParseCount(const std::string& s, int lo, int hi, int* out) {
  if (s.empty() || s.size() > 9) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  const int v = std::atoi(s.c_str());
  if (v < lo || v > hi) return false;
  *out = v;
  return true;
}

JobResult RunOneFile(const std::vector<std::string>& script, const std::string& file, const RunOptions& o) {
  JobResult r;
  HeadlessScriptHost host;
  if (!host.OpenBookmarks({file})) {
    r.status = 1;
    r.messages.push_back("pelira-cli: " + file + ": cannot be opened");
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

void Commit(JobResult& r, const std::string& ext, std::ostream& err) {
  for (const StagedSave& s : r.saves) {
    const PlaceResult p = PlaceNumbered(s.temp, s.base, ext);
    if (!p.ok) {
      r.status = 1;
      r.messages.push_back("pelira-cli: " + p.message);
    }
  }
  r.saves.clear();
  for (const std::string& m : r.messages) err << m << "\n";
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

}  // namespace

int RunScript(const Args& args, std::ostream& out, std::ostream& err) {
  (void)out;
  RunOptions o;
  o.jobs = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::string> positional;
  auto usage = [&](const std::string& why) {
    err << "pelira-cli run: " << why << "\nusage: pelira-cli run SCRIPT.bip [--type N] [--out DIR] [--jobs N] "
           "[--quality N] [--no-progressive] FILE...\n";
    return 2;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string* v) {
      if (i + 1 >= args.size()) return false;
      *v = args[++i];
      return true;
    };
    std::string v;
    if (a == "--type") {
      if (!value(&v) || !ParseCount(v, 1, 12, &o.type)) return usage("--type wants 1..12");
    } else if (a == "--out") {
      if (!value(&v)) return usage("--out wants a folder");
      o.outDir = v;
      o.hasOutDir = true;
    } else if (a == "--jobs") {
      if (!value(&v) || !ParseCount(v, 1, 256, &o.jobs)) return usage("--jobs wants 1..256");
    } else if (a == "--quality") {
      if (!value(&v) || !ParseCount(v, 1, 99, &o.save.quality)) return usage("--quality wants 1..99");
    } else if (a == "--no-progressive") {
      o.save.progressive = false;
    } else if (a == "--") {
      positional.insert(positional.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
      break;
    } else if (a.size() > 1 && a[0] == '-') {
      return usage("unknown option " + a);
    } else {
      positional.push_back(a);
    }
  }
  if (positional.size() < 2) return usage("a script and at least one file are needed");
  std::string why;
  const auto script = ReadBipFile(positional[0], &why);
  if (!script) {
    err << "pelira-cli: " << why << "\n";
    return 1;
  }
  std::error_code ec;
  if (o.hasOutDir && !fs::is_directory(o.outDir, ec)) {
    err << "pelira-cli: " << o.outDir.string() << ": not a folder\n";
    return 1;
  }
  const std::vector<std::string> files(positional.begin() + 1, positional.end());
  const std::string ext = SaveTypeOf(o.type).extension;
  int status = 0;
  std::set<std::string> reported;
  auto finish = [&](JobResult& r) {
    Commit(r, ext, err);
    for (const std::string& w : r.missing)
      if (reported.insert(w).second) err << "pelira-cli run: " << w << ": this operation is not available in this build\n";
    if (r.status != 0) status = 1;
  };

  if (o.jobs == 1 || files.size() == 1) {
    for (const std::string& f : files) {
      JobResult r = RunOneFile(*script, f, o);
      finish(r);
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
      finish(r);
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
    done[it->second] = WIFEXITED(ws) && WEXITSTATUS(ws) == 0 ? 1 : 2;
    running.erase(it);
  }
  fs::remove_all(work, ec);
  return status;
}

}  // namespace pelira::cli
