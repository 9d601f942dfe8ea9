#include "viewer/forms/web_form.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QPalette>
#include <QScreen>
#include <QStatusBar>

#include "common/version.h"

namespace pelira {

TWebForm::TWebForm(QWidget* parent) : QMainWindow(parent) {
  setObjectName("WebForm");
  setWindowTitle(kProductTitle);
  auto* view = new QWidget(this);
  view->setObjectName("Viewport");
  view->setAutoFillBackground(true);
  QPalette pal = view->palette();
  pal.setColor(QPalette::Window, Qt::black);
  view->setPalette(pal);
  setCentralWidget(view);
  status_ = new QLabel(this);
  status_->setObjectName("StatusPanel");
  statusBar()->addWidget(status_, 1);
  BuildMenus();
  // No stored bounds yet: take half the screen.
  if (QScreen* screen = this->screen()) {
    const QRect avail = screen->availableGeometry();
    resize(avail.width() / 2, avail.height() / 2);
  }
}

void TWebForm::BuildMenus() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  QAction* close = file->addAction(tr("&Close"));
  close->setObjectName("mnuExit");
  connect(close, &QAction::triggered, this, &QWidget::close);
}

void TWebForm::BlankPicture(bool showUntitled) {
  setWindowTitle(showUntitled ? QString("Untitled - %1").arg(kProductTitle) : QString(kProductTitle));
  status_->setText(tr("Ready."));
}

}  // namespace pelira
