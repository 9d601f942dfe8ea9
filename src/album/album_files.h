#pragma once
// Saving and loading albums: AVL scripts, AVC catalogues, PLP lists and the five side files.
// A save writes all six files to temporaries first and commits the album file last, so a
// failure leaves the old album whole.
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "album/album_store.h"
#include "album/avl_script.h"

namespace pelira {

class Progress;
class Ui;
class VolumeSource;

enum class AlbumFormat { Avl, Avc, Plp };
// By extension, any case: ".plp" PLP, ".avc" AVC, anything else AVL.
AlbumFormat FormatOfPath(const std::string& path);

inline constexpr const char* kSaveScriptFailedText = "Could not save slideshow script.";
inline constexpr const char* kSaveListFailedText = "Could not save bookmark list.";
inline constexpr const char* kLoadListFailedText = "Could not load bookmarks.";
inline constexpr const char* kCatalogMissingText = "Catalog data files are missing.\n";
inline constexpr const char* kBadFileNameText = "Filename must NOT contain \", [ ] \" characters.";
inline constexpr const char* kAlbumTitleSuffix = " - Pelira 7.7 Slide Album";
inline constexpr const char* kAlbumTitle = "Pelira 7.7 Slide Album";
inline constexpr std::size_t kAvlAdviceLimit = 32000;
inline constexpr const char* kAvlAdviceKey = "album.avl32000";
std::string AvlAdviceText(std::size_t slides);

// The side file of an album: data folder / album file name + "." + the CRC register of the
// album's absolute path (8 hex digits) + suffix, so albums of one name in different folders
// keep apart. A name past 255 bytes is cut on a UTF-8 boundary before the suffix.
std::filesystem::path SideFilePath(const std::filesystem::path& album, int which,
                                   const std::filesystem::path& dataDir);

struct AvlTextOptions {
  AlbumFormat format = AlbumFormat::Avl;  // Avl or Avc
  int screenWidth = 0;
  int screenHeight = 0;
  std::int64_t run = 1;
  std::string sidePaths[kSideFileCount];  // empty in the test script
  std::string thmrec;
  std::string signature;  // written as "SIG=" after THMREC when not empty
  Progress* progress = nullptr;  // "Encoding AVL file with n slides ... "; cancel polled
};
// The album file's text; empty optional-like: cancelled sets *cancelled.
std::string AlbumText(const AlbumStore& store, const AvlTextOptions& options, bool* cancelled = nullptr);
// One full path per line (CD tracks have none and are left out), CRLF.
std::string PlpListText(const AlbumStore& store);

struct AlbumSaveOptions {
  int screenWidth = 0;
  int screenHeight = 0;
  std::filesystem::path dataDir;  // empty: AppPaths::Data()
  Progress* progress = nullptr;
  // Tests: a failure injected while writing file k (0-4 side files in @N..@C order, 5 the
  // album file), or while committing it (k + 10); k + 20 stops the save dead right after
  // committing file k, leaving everything as a killed process would.
  std::function<bool(int k)> injectFault;
};
struct AlbumSaveResult {
  bool ok = false;
  bool cancelled = false;
  std::string message;  // the save's failure text
  std::string detail;   // why, for logs
};
// Writes the album as path's format. Success clears the modified flag and records the path.
AlbumSaveResult SaveAlbum(AlbumStore& store, const std::string& path, const AlbumSaveOptions& options);
// The text of the Run command's test script: no side files, RUN = start.
std::string TestScriptText(const AlbumStore& store, std::int64_t start, int screenWidth, int screenHeight);
std::filesystem::path TestScriptPath();  // Home() / "Pelira 7.7_Test.AVL"

// The explorer's temporary album of this run: header Home()/"Pelira 7.7" + tag + ".avc", side
// files Data()/tag + suffix (deleted at shutdown with the run's other files).
struct TempAlbumPaths {
  std::filesystem::path header;
  std::filesystem::path side[kSideFileCount];
};
TempAlbumPaths TempAlbumFiles(const std::string& runTag, const std::filesystem::path& home,
                              const std::filesystem::path& dataDir);
// Writes store (filled by AddSlides from a listing) as that album: the tables, the records and
// a header with "THMREC=136" and no directory lines; the caller then opens the header with
// LoadAlbum. False with why on failure (the caller clears the album).
bool WriteTempAlbum(const AlbumStore& store, const TempAlbumPaths& paths, int screenWidth, int screenHeight,
                    std::string& why);

// The save dialog's name fixing: nothing when the name holds "," "[" "]" (the caller shows
// kBadFileNameText); else the path with the default extension put on.
bool SaveNameAllowed(const std::string& path);
std::string FixSaveExtension(const std::string& path, const std::string& defaultExt);

struct FileFacts;
// What the loader learns of a slide's file; StatFile by default (benchmarks fake it).
using SlideStatFn = std::function<FileFacts(const std::string& path)>;

struct AlbumLoadOptions {
  Ui* ui = nullptr;               // questions and errors; nullptr: CurrentUi()
  Progress* progress = nullptr;
  VolumeSource* volumes = nullptr;
  SlideStatFn stat;               // empty: StatFile
  std::filesystem::path dataDir;  // side files must lie here; empty: AppPaths::Data()
  bool fastPath = true;           // false: an AVL is decoded from its text even with side files
};
struct AlbumLoadResult {
  bool ok = false;
  bool usedSideFiles = false;
  std::string message;  // the error shown, if any
  std::size_t missingSkipped = 0;
};
// Loads path into store (cleared first); on failure the album is left empty.
AlbumLoadResult LoadAlbum(AlbumStore& store, const std::string& path, const AlbumLoadOptions& options);

// The five side files' check: sizes, counts and every index; records repaired. False (with
// why) when they do not make one album of slideCount slides.
bool LoadSideFiles(AlbumStore& store, const AvlHeader& header, const AlbumLoadOptions& options, std::string& why);
// The same over the five files' bytes (@N, @V, @R, @D, @C order). The store is replaced
// only when they pass.
bool LoadSideTables(AlbumStore& store, std::uint64_t slideCount, const std::string_view (&files)[kSideFileCount],
                    VolumeSource* volumes, std::string& why);
// What a save writes into the five side files; the tables are empty for an empty album.
std::array<std::string, kSideFileCount> SideFileContents(const AlbumStore& store);
// The "SIG" of five side files' bytes: Hex8 of the CRC register over them in @N..@C order.
std::string SideFileSignature(const std::string_view (&files)[kSideFileCount]);

// The slow load of an AVL already in memory (the file's size bounds the tables).
AlbumLoadResult DecodeAvl(AlbumStore& store, std::string_view bytes, const AlbumLoadOptions& options);

// The PLP entries of a list file: one per line, each line decoded on its own, empty lines
// skipped (their line index still counts as the order key).
struct PlpEntry {
  std::string path;
  std::int32_t line;
};
std::vector<PlpEntry> ParsePlpLines(std::string_view bytes);

}  // namespace pelira
