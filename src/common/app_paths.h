#pragma once
// The per-user program folder and the files the program keeps in it. $PELIRA_HOME, when set
// and not empty, is the folder (tests always set it); else $XDG_DATA_HOME/Pelira when that is
// an absolute path, else ~/.local/share/Pelira. The environment is read on every call.
#include <filesystem>

namespace pelira {

class AppPaths {
public:
  // The program folder and its subfolders, each created when missing (a folder that cannot
  // be made is still returned; the write into it then reports the failure).
  static std::filesystem::path Home();
  // $PELIRA_HOME when set and not empty, else empty: the settings and the script-show lock
  // keep their system places unless the folder was chosen.
  static std::filesystem::path ChosenHome();
  static std::filesystem::path Data();      // "data": albums' side files, thumbnail cache
  static std::filesystem::path BipFiles();  // "bipfiles": batch scripts
  static std::filesystem::path Recent();    // "recent": links to recently used folders

  // Files in the program folder (not created).
  static std::filesystem::path HistoryList();  // "HistoryList.txt"
  static std::filesystem::path ZipErrsLog();   // "ZipErrs_Log.txt"
  static std::filesystem::path Wallpaper();    // "PL_Wallpaper.Bmp"

  // A private folder (mode 0700) under the system temporary folder, made on first use and
  // kept for the run; throws std::runtime_error when it cannot be made.
  static std::filesystem::path RunTemp();
  // Removes the run's temporary folder with everything in it; a later RunTemp() makes a new one.
  static void RemoveRunTemp();
};

}  // namespace pelira
