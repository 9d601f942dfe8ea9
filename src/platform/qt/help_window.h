#pragma once
// The help window: the bundled pages (resources/help, ":/help/<context>.html") in one reused
// QTextBrowser window titled "Pelira 7.7 Help".
#include <QTextBrowser>

#include "platform/help.h"

namespace pelira {

class THelpWindow : public QTextBrowser {
  Q_OBJECT
public:
  // The one window, made on first use and deleted when the application ends.
  static THelpWindow& Instance();

  // Shows the page of context (the contents page when it has none) and brings the window up.
  // Asked from inside a modal box it is modal itself, or the box would block it.
  void ShowContext(int context);

  // Closes the window if it was ever made: help does not outlive the program's main window.
  static void CloseIfOpen();

  // Names of the bundled pages.
  static std::vector<std::string> Pages();

private:
  THelpWindow();
};

// The HelpViewer the desktop program installs (Help::SetViewer).
class QtHelpViewer : public HelpViewer {
public:
  void ShowContext(int context) override { THelpWindow::Instance().ShowContext(context); }
};

}  // namespace pelira
