#pragma once
// Message boxes and the progress box on Qt Widgets.
#include <QPointer>
#include <QWidget>

#include "platform/ui.h"

namespace pelira {

class QtUi : public Ui {
public:
  // Boxes are centred on parent, or on the active window when there is none.
  explicit QtUi(QWidget* parent = nullptr) : parent_(parent) {}

  // A modal QMessageBox with the kind's icon and caption and the text as plain text (file
  // names may hold '<'). Help shows the help context and the box stays open.
  Button Message(MessageKind kind, const std::string& text, Buttons buttons, int helpContext = 0) override;

protected:
  // A TStatusForm, opened.
  std::unique_ptr<Progress> CreateProgress(const std::string& title) override;

private:
  QWidget* Parent() const;
  QPointer<QWidget> parent_;
};

}  // namespace pelira
