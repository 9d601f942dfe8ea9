#include "slideshow/forms/effects_dlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/help.h"
#include "slideshow/effects_table.h"

namespace pelira {

namespace {
constexpr int kEffectsHelpContext = 300;
}

TEffectsDlg::TEffectsDlg(const EffectsTable& table, const std::vector<int>& selected, QWidget* parent)
    : QDialog(parent) {
  setObjectName("EffectsDlg");
  setWindowTitle(QString::fromStdString(EffectsDialogCaption(table)));
  label_ = new QLabel("Press CTRL key and click to (un)select multiple items.", this);
  list_ = new QListWidget(this);
  list_->setObjectName("EffectsList");
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  for (const std::string& name : table.Names()) list_->addItem(QString::fromStdString(name));
  for (int i : selected)
    if (i >= 0 && i < list_->count()) list_->item(i)->setSelected(true);
  for (int i : selected)
    if (i >= 0 && i < list_->count()) {
      list_->scrollToItem(list_->item(i));
      break;
    }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  clear_ = buttons->addButton("Cl&ear", QDialogButtonBox::ResetRole);
  clear_->setObjectName("ClearButton");
  help_ = buttons->addButton(QDialogButtonBox::Help);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(clear_, &QPushButton::clicked, this, &TEffectsDlg::ClearSelection);
  connect(help_, &QPushButton::clicked, this, [] { Help::Show(kEffectsHelpContext); });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label_);
  layout->addWidget(list_, 1);
  layout->addWidget(buttons);
  resize(420, 480);
}

std::vector<int> TEffectsDlg::Selection() const {
  std::vector<int> out;
  for (int i = 0; i < list_->count(); ++i)
    if (list_->item(i)->isSelected()) out.push_back(i);
  return out;
}

void TEffectsDlg::ClearSelection() {
  list_->clearSelection();
  if (list_->count() > 0) {
    list_->item(0)->setSelected(true);
    list_->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    list_->scrollToTop();
  }
}

std::optional<std::vector<int>> QtEffectsDialogs::ChooseEffects(const EffectsTable& table,
                                                                const std::vector<int>& selected) {
  TEffectsDlg dlg(table, selected, owner_);
  if (dlg.exec() != QDialog::Accepted) return std::nullopt;
  return dlg.Selection();
}

bool mnuSlideEffectsClick(SettingsStore& store, EffectsDialogs& dialogs) {
  const EffectsTable& table = TheEffectsTable();
  const auto chosen = dialogs.ChooseEffects(table, LoadEffectSelection(store));
  if (!chosen) return true;
  return SaveEffectSelection(store, *chosen);
}

bool ShowEffectsSelection(QWidget* owner, SettingsStore& store) {
  QtEffectsDialogs dialogs(owner);
  return mnuSlideEffectsClick(store, dialogs);
}

}  // namespace pelira
