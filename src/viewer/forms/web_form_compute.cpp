// TWebForm: Image › Compute, Image › Add noise and Image › Analyze. The commands live in core
// (edit/compute_commands.h, edit/analyze_command.h); this file builds their menu items from
// the operation table's rows and lends them the window's picture, status and dialogs.
#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QMenu>

#include "display/forms/pix.h"
#include "edit/analyze_command.h"
#include "edit/compute_commands.h"
#include "edit/operations.h"
#include "edit/tone_commands.h"
#include "engine/dialogs/scroll_dialog.h"
#include "viewer/forms/web_form.h"

namespace pelira {

struct TWebForm::ComputeParts {
  explicit ComputeParts(TWebForm& f)
      : sliders(&f), compute(f.state_, f.Engine(), f.Edits(), f.EditHostOf(), f.EditRequester()) {
    compute.SetSliderRequester(&sliders);
  }
  QtSliderRequester sliders;
  ComputeCommands compute;
};

ComputeCommands& TWebForm::Compute() { return compute_->compute; }

void TWebForm::BuildComputeItems() {
  compute_ = std::unique_ptr<ComputeParts, void (*)(ComputeParts*)>(new ComputeParts(*this),
                                                                    [](ComputeParts* p) { delete p; });
  for (const Operation& op : Operations()) {
    ComputeCommand c{};
    if (!*op.menu.name || !ComputeCommandOfRow(op.id, &c)) continue;
    const QString name = op.menu.name;
    QAction* a = Action(name);
    if (!a) {
      QMenu* parent = MenuNamed(op.menu.parent);
      if (!parent) continue;
      a = new QAction(op.menu.caption, this);
      a->setObjectName(name);
      QAction* before = *op.menu.before ? Action(op.menu.before) : nullptr;
      if (before) parent->insertAction(before, a);
      else parent->addAction(a);
      actions_[name] = a;
    }
    connect(a, &QAction::triggered, this, [this, c] {
      Run([this, c] {
        if (!state_.ImageLoaded || sky95_->Bitmap().Empty()) return;
        try {
          compute_->compute.Run(c);
        } catch (...) {
          EndEditBusy();
          throw;
        }
        EndEditBusy();
      });
    });
    a->setEnabled(true);
  }
}

void TWebForm::mnuAnalyzeClick() {
  if (!state_.ImageLoaded || sky95_->Bitmap().Empty()) return;
  const Qt::KeyboardModifiers keys = QGuiApplication::keyboardModifiers();
  AnalyzeRequest r;
  r.currentFile = state_.CurrentFile;
  r.modified = state_.ImageModified || state_.HalfJpeg || state_.FitMode;
  r.complexity = keys.testFlag(Qt::ShiftModifier);
  const SelectionBounds& sel = state_.SelectionRect;
  if (sel.right > sel.left && sel.bottom > sel.top) r.roi = sel;
  const BookmarkList& marks = Bookmarks();
  const bool compare = (keys.testFlag(Qt::ControlModifier) && marks.Count() >= 2) || marks.Count() == 2;
  if (compare) {
    const std::size_t next = (marks.Index() + 1) % marks.Count();
    r.compareWith = marks.Entries()[next];
  }
  // The report measures its own copies: the picture, its modified flag and the duplicate stay.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  AnalyzeOutcome measured;
  try {
    measured = AnalyzeReport(sky95_->Bitmap(), r);
  } catch (...) {
    QApplication::restoreOverrideCursor();
    throw;
  }
  QApplication::restoreOverrideCursor();
  PresentReport(std::move(measured), compare);
}

}  // namespace pelira
