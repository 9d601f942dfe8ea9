#include "platform/qt/qt_shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace pelira {

TrashResult QtShell::MoveToTrash(const std::filesystem::path& path) {
  const QString source = QString::fromStdString(path.string());
  // Qt makes the home trash inside the data folder but not the data folder itself; when that
  // is missing (a fresh account) it "trashes" into the current directory instead.
  QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));

  QFile file(source);
  if (!file.moveToTrash()) return {false, TrashFailureText(path, file.errorString().toStdString()), {}};
  const QString where = file.fileName();
  if (QDir::isRelativePath(where)) {
    // Not a trash: put the item back where it was.
    const QString name = QFileInfo(where).fileName();
    QFile::rename(where, QFileInfo(source).absoluteFilePath());
    QFile::remove(QStringLiteral("info/") + name + QStringLiteral(".trashinfo"));
    QDir().rmdir(QStringLiteral("files"));
    QDir().rmdir(QStringLiteral("info"));
    return {false, TrashFailureText(path, "No trash folder could be made."), {}};
  }
  return {true, {}, std::filesystem::path(where.toStdString())};
}

bool QtShell::OpenDocument(const std::filesystem::path& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path.string())));
}

}  // namespace pelira
