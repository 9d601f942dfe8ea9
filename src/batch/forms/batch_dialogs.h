#pragma once
// The batch editor's dialogs, behind one interface it is handed: the Qt file dialogs by
// default, a fake in tests.
#include <QString>

class QWidget;

namespace pelira {

class BatchDialogs {
public:
  virtual ~BatchDialogs() = default;
  // The BIP file to open or to save as: the chosen path, empty on cancel.
  virtual QString OpenScript(QWidget* parent, const QString& title, const QString& folder, const QString& name) = 0;
  virtual QString SaveScript(QWidget* parent, const QString& title, const QString& folder, const QString& name) = 0;
};

class QtBatchDialogs : public BatchDialogs {
public:
  QString OpenScript(QWidget* parent, const QString& title, const QString& folder, const QString& name) override;
  QString SaveScript(QWidget* parent, const QString& title, const QString& folder, const QString& name) override;
};

}  // namespace pelira
