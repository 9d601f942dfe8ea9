#include "platform/qt/qt_ui.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHash>
#include <QMessageBox>
#include <QPushButton>

#include "platform/help.h"
#include "platform/qt/status_form.h"

namespace pelira {

namespace {

QMessageBox::Icon IconFor(MessageKind kind) {
  switch (kind) {
    case MessageKind::Warning: return QMessageBox::Warning;
    case MessageKind::Error: return QMessageBox::Critical;
    case MessageKind::Information: return QMessageBox::Information;
    case MessageKind::Confirmation: return QMessageBox::Question;
    case MessageKind::Plain: return QMessageBox::NoIcon;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButton StandardFor(Button b) {
  switch (b) {
    case Button::OK: return QMessageBox::Ok;
    case Button::Cancel: return QMessageBox::Cancel;
    case Button::Yes: return QMessageBox::Yes;
    case Button::No: return QMessageBox::No;
    case Button::Ignore: return QMessageBox::Ignore;
    case Button::Help: return QMessageBox::Help;
    case Button::Retry: return QMessageBox::Retry;
    case Button::Abort: return QMessageBox::Abort;
    case Button::None: break;
  }
  return QMessageBox::NoButton;
}

}  // namespace

QWidget* QtUi::Parent() const { return parent_ ? parent_.data() : QApplication::activeWindow(); }

Button QtUi::Message(MessageKind kind, const std::string& text, Buttons buttons, int helpContext) {
  QMessageBox box(IconFor(kind), QString::fromUtf8(MessageCaption(kind)), QString::fromStdString(text),
                  QMessageBox::NoButton, Parent());
  box.setTextFormat(Qt::PlainText);
  QHash<QAbstractButton*, Button> answers;
  for (Button b : kButtonOrder) {
    if (!buttons.Has(b)) continue;
    QAbstractButton* qb = box.addButton(StandardFor(b));
    if (b == Button::Help) {
      // A Help click must not end the box: cut it from the button box, which would close it.
      QObject::disconnect(qb, &QAbstractButton::clicked, box.findChild<QDialogButtonBox*>(), nullptr);
      QObject::connect(qb, &QAbstractButton::clicked, &box, [helpContext] { Help::Show(helpContext); });
    } else {
      answers.insert(qb, b);
    }
  }
  if (answers.isEmpty()) answers.insert(box.addButton(QMessageBox::Ok), Button::OK);
  box.exec();
  // Closed without a button (its parent went away): the answer that changes least.
  return answers.value(box.clickedButton(), ConservativeAnswer(buttons.Without(Button::Help)));
}

std::unique_ptr<Progress> QtUi::CreateProgress(const std::string& title) {
  auto form = std::make_unique<TStatusForm>(QString::fromStdString(title), Parent());
  form->Open();
  return form;
}

}  // namespace pelira
