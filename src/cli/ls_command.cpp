// pelira-cli ls: the list the explorer shows for a folder, in the chosen order, from the same
// listing code as the window.
#include <cstring>
#include <ctime>
#include <ostream>

#include "cli/commands.h"
#include "explorer/listing.h"

namespace pelira::cli {

namespace {

constexpr const char* kUsage = "usage: pelira-cli ls [--sort KEY] [-r] DIR\n";

std::string DateText(std::int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  char buf[32] = "";
  if (localtime_r(&t, &tm) != nullptr) std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
  return buf;
}

}  // namespace

int RunLs(const Args& args, std::ostream& out, std::ostream& err) {
  SortKey key = SortKey::NameUp;
  bool reverse = false;
  std::string dir;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--sort") {
      if (i + 1 >= args.size()) {
        err << "ls: --sort needs a key\n" << kUsage;
        return 2;
      }
      const auto k = SortKeyFromWord(args[++i]);
      if (!k) {
        err << "ls: unknown sort key " << args[i]
            << " (name+, name-, size+, size-, date+, date-, type, family)\n";
        return 2;
      }
      key = *k;
    } else if (a == "-r") {
      reverse = true;
    } else if (!a.empty() && a[0] == '-' && a != "-") {
      err << "ls: unknown option " << a << "\n" << kUsage;
      return 2;
    } else if (dir.empty()) {
      dir = a;
    } else {
      err << "ls: one folder only\n" << kUsage;
      return 2;
    }
  }
  if (dir.empty()) {
    err << kUsage;
    return 2;
  }
  FolderRead read = ReadFolder(dir);
  if (!read.ok) {
    err << dir << ": cannot read folder: " << std::strerror(read.error) << "\n";
    return 1;
  }
  Listing listing;
  listing.Sort(key);
  listing.Assign(dir, std::move(read.records));
  const std::size_t n = listing.Count();
  for (std::size_t k = 0; k < n; ++k) {
    const ListingRecord& r = listing.At(reverse ? n - 1 - k : k);
    out << (r.folder ? "folder" : "file") << '\t' << r.size << '\t' << DateText(r.mtimeSec) << '\t' << r.name
        << '\n';
  }
  return 0;
}

}  // namespace pelira::cli
