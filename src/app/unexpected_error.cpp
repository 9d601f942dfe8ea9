#include "app/unexpected_error.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "common/kind_list.h"

namespace pelira {

namespace {

inline constexpr const char* kPlayableList =
    ".WAV.MP2.MP3.MPA.MID.AU.SND.WMA.RMI.AVI.MPG.M1V.MPE.MPEG.MPV.M2V.WMV.ASF.QT.MOV.RM";

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
  return s;
}

}  // namespace

ErrorReport ClassifyUnexpectedError(const ErrorContext& c) {
  ErrorReport r;
  r.resetMedia = c.mediaMode;
  const std::string lower = Lower(c.message);
  const std::filesystem::path file(c.currentFile);
  const std::string name = file.filename().string();

  if (lower.find("jpeg") != std::string::npos || c.currentExt == ".WMF" || c.currentExt == ".EMF") {
    r.show = true;
    r.text = c.message + "\n" + "Filename:" + name + "\n" + "Location:" + file.parent_path().string();
    r.replaceJpegDecoder = true;
    r.removeBookmark = true;
    r.blankPicture = true;
    return r;
  }
  if (lower == "unspecified error") {
    if (InKindList(c.currentExt, kPlayableList)) {
      r.show = true;
      r.text = name + " could not be played." + "\n" + "An updated CODEC may be required or file is corrupted; see FAQ.";
    }
    r.removeBookmark = true;
    return r;
  }
  r.show = true;
  r.kind = MessageKind::Error;
  r.text = "Unexpected exception.  Please report following error.\n";
  if (c.albumOrBatchOpen) {
    r.text += std::string("\n") + "Click [Ignore] button to exit this dialog and save" + "\n" +
              "changes to your Slide Album or (BIP) batch script." + "\n" +
              "After saving, close then reactivate application." + "\n\n";
    r.buttons = Button::OK | Button::Ignore;
    r.action = ErrorAction::AskToClose;
  } else {
    r.action = ErrorAction::Close;
  }
  r.text += c.lastBackupError + "\n" + c.message;
  return r;
}

}  // namespace pelira
