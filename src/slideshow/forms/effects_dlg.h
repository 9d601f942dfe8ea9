#pragma once
// The chosen-effects dialog: the effects table as a list in which Ctrl-click selects several
// entries; OK stores the selection for instant slideshows ("selFX01").
#include <QDialog>

#include <optional>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

namespace pelira {

class EffectsTable;
class SettingsStore;

class TEffectsDlg : public QDialog {
  Q_OBJECT
public:
  TEffectsDlg(const EffectsTable& table, const std::vector<int>& selected, QWidget* parent = nullptr);

  // The selected table indices, ascending.
  std::vector<int> Selection() const;
  // "Cl&ear": nothing but "None".
  void ClearSelection();

  QListWidget* List() const { return list_; }
  QLabel* Label() const { return label_; }
  QPushButton* ClearButton() const { return clear_; }
  QPushButton* HelpButton() const { return help_; }

private:
  QListWidget* list_ = nullptr;
  QLabel* label_ = nullptr;
  QPushButton* clear_ = nullptr;
  QPushButton* help_ = nullptr;
};

// Every dialog the selection command shows; tests hand in a fake.
class EffectsDialogs {
public:
  virtual ~EffectsDialogs() = default;
  // The new selection, or nullopt on Cancel.
  virtual std::optional<std::vector<int>> ChooseEffects(const EffectsTable& table, const std::vector<int>& selected) = 0;
};

class QtEffectsDialogs : public EffectsDialogs {
public:
  explicit QtEffectsDialogs(QWidget* owner) : owner_(owner) {}
  std::optional<std::vector<int>> ChooseEffects(const EffectsTable& table, const std::vector<int>& selected) override;

private:
  QWidget* owner_;
};

// The Slideshow menu's effects command (and the Options dialog's "&Effects" button): reads
// "selFX01", asks, and writes the answer on OK. False when the value could not be stored.
bool mnuSlideEffectsClick(SettingsStore& store, EffectsDialogs& dialogs);
// The same with the real dialog over owner.
bool ShowEffectsSelection(QWidget* owner, SettingsStore& store);

}  // namespace pelira
