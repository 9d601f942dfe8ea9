#include "platform/qt/qt_shell.h"

#include <QFile>

namespace pelira {

TrashResult QtShell::MoveToTrash(const std::filesystem::path& path) {
  QFile file(QString::fromStdString(path.string()));
  if (!file.moveToTrash()) return {false, TrashFailureText(path, file.errorString().toStdString()), {}};
  return {true, {}, std::filesystem::path(file.fileName().toStdString())};
}

}  // namespace pelira
