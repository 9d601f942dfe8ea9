#pragma once
// The application's handler of unexpected errors: what to tell the user and what to do, by
// the error's message (compared in lower case) and the viewer's state.
#include <string>

#include "platform/ui.h"

namespace pelira {

struct ErrorContext {
  std::string message;
  std::string currentFile;
  std::string currentExt;       // upper case, with its dot
  bool mediaMode = false;
  bool albumOrBatchOpen = false;  // the album window or the batch editor is open
  std::string lastBackupError;  // usually empty
};

enum class ErrorAction {
  Continue,    // reported; the program goes on
  AskToClose,  // error box with OK and Ignore: OK closes, Ignore keeps the work to save
  Close,       // error box with OK, then the forced close
};

struct ErrorReport {
  ErrorAction action = ErrorAction::Continue;
  bool show = false;           // a box is shown with kind, text and buttons
  MessageKind kind = MessageKind::Warning;
  std::string text;
  Buttons buttons = Button::OK;
  bool resetMedia = false;     // media controls are reset first
  bool replaceJpegDecoder = false;
  bool removeBookmark = false;  // the file's bookmark entry is dropped
  bool blankPicture = false;    // then the blank "Untitled" picture
};

ErrorReport ClassifyUnexpectedError(const ErrorContext& c);

}  // namespace pelira
