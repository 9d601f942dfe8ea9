// pelira-cli thumbs: fills the thumbnail cache the album and the explorer read, with the same
// names, builder and worker pool, and reports the cache's place and size.
#include <algorithm>
#include <filesystem>
#include <map>
#include <ostream>

#include "album/album_add.h"
#include "album/album_thumbs.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "common/kind_list.h"
#include "common/size_text.h"
#include "common/volume_id.h"
#include "platform/statvfs_volume_source.h"
#include "thumbs/thumb_builder.h"
#include "thumbs/thumb_cache.h"
#include "thumbs/thumb_names.h"
#include "thumbs/thumb_pool.h"

namespace pelira::cli {

namespace fs = std::filesystem;

namespace {

struct ThumbsSettings {
  int jobs = 0;
  bool recursive = false;
  bool info = false;
};

OptionTable ThumbsOptions(ThumbsSettings& s) {
  return {
      NumberOption("--jobs", "N", "worker threads (default: one per core)", 1, 256, &s.jobs, "needs a count 1..256"),
      {"-r", nullptr, "also the files of every subfolder (links to folders are not followed)",
       [&s](const std::string&) { return s.recursive = true; }},
      {"--info", nullptr, "print the cache's folder, file count and size; nothing is made",
       [&s](const std::string&) { return s.info = true; }},
  };
}

std::string Absolute(const std::string& p) {
  std::error_code ec;
  const fs::path a = fs::absolute(p, ec);
  return ec ? p : a.lexically_normal().string();
}

// The picture files of a folder (and of its subfolders with -r), in name order per folder.
void CollectFolder(const fs::path& dir, bool recursive, std::vector<std::string>& out) {
  std::vector<std::string> files, subdirs;
  std::error_code ec;
  for (fs::directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code e2;
    const auto st = it->symlink_status(e2);
    if (e2) continue;
    if (fs::is_directory(st)) {
      subdirs.push_back(it->path().string());
    } else if (InKindList(UpperExt(it->path()), kPictureThumbKinds)) {
      files.push_back(it->path().string());  // a link to a picture is that picture
    }
  }
  std::sort(files.begin(), files.end());
  std::sort(subdirs.begin(), subdirs.end());
  out.insert(out.end(), files.begin(), files.end());
  if (recursive)
    for (const auto& d : subdirs) CollectFolder(d, true, out);
}

}  // namespace

std::string ThumbsSynopsis() {
  ThumbsSettings s;
  return "  thumbs [--jobs N] [-r] FILE|DIR...\n"
         "                      make the thumbnails of the files (folders: their pictures) in the\n"
         "                      cache the album and the explorer share ($PELIRA_HOME/data); one\n"
         "                      line per file, tab-separated: path, thumbnail path. A file that has\n"
         "                      none gives a line on stderr with the reason and exit status 1\n"
         "  thumbs --info       the cache's folder, its file count and size\n" +
         OptionHelp(ThumbsOptions(s));
}

int RunThumbs(const Args& args, std::ostream& out, std::ostream& err) {
  ThumbsSettings s;
  Args names;
  if (!ParseOptions("thumbs", ThumbsOptions(s), args, &names, err)) return 2;
  ThumbCache cache;
  if (s.info) {
    const CacheInfo info = cache.Info();
    out << "cache\t" << info.root.string() << "\nfiles\t" << info.files << "\nsize\t" << info.bytes << " ("
        << SizeText(info.bytes) << ")\n";
    return 0;
  }
  if (names.empty()) {
    err << "pelira-cli thumbs: no file or folder given (see pelira-cli --help)\n";
    return 2;
  }
  int rc = 0;
  std::vector<std::string> files;
  for (const std::string& n : names) {
    const std::string p = Absolute(n);
    std::error_code ec;
    const auto st = fs::status(p, ec);
    if (fs::is_directory(st)) CollectFolder(p, s.recursive, files);
    else if (!ec && fs::exists(st)) files.push_back(p);
    else {
      err << n << ": no such file or folder\n";
      rc = 1;
    }
  }

  StatvfsVolumeSource volumes;
  std::map<std::string, std::string> volumeOfDir;
  std::vector<fs::path> targets(files.size());
  std::vector<std::string> problems(files.size());
  std::vector<ThumbJob> jobs;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string& path = files[i];
    const FileFacts facts = StatFile(path);
    if (!facts.exists) {
      problems[i] = "not a regular file";
      continue;
    }
    const std::string ext = UpperExt(path);
    if (!HasPerFileThumb(ext)) {
      // Other kinds share their kind's icon in the cache root.
      targets[i] = cache.PathOf({}, SharedThumbName(ext));
      if (!ThumbCache::PresentOrRemove(targets[i]) &&
          !(cache.EnsureFolders() && ThumbCache::Write(targets[i], ThumbnailOfIcon(DefaultThumbIcon(targets[i].filename().string())))))
        problems[i] = "cannot write " + targets[i].string();
      continue;
    }
    // The same identity the album gives the file's slide.
    std::optional<ThumbJob> job = FileThumbJob(path, cache, volumes, volumeOfDir);
    if (!job) {
      problems[i] = "not a regular file";
      continue;
    }
    job->id = i;
    job->background = false;
    targets[i] = job->target;
    if (!ThumbCache::PresentOrRemove(job->target)) jobs.push_back(std::move(*job));
  }
  if (!jobs.empty()) {
    ThumbPool pool(s.jobs);
    pool.Submit(std::move(jobs));
    pool.WaitIdle();
    for (const ThumbDone& d : pool.TakeResults()) {
      if (d.status != ThumbStatus::Done) problems[d.id] = d.reason.empty() ? "cannot be read" : d.reason;
      else if (!d.written) problems[d.id] = "cannot write " + targets[d.id].string();
    }
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (problems[i].empty()) {
      out << files[i] << "\t" << targets[i].string() << "\n";
    } else {
      err << files[i] << ": " << problems[i] << "\n";
      rc = 1;
    }
  }
  return rc;
}

}  // namespace pelira::cli
