#include "album/forms/album_model.h"

#include <QApplication>
#include <QMimeDatabase>
#include <QStyle>

#include "album/album_commands.h"

namespace pelira {

int TAlbumModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(std::min<std::size_t>(store_.Count(), INT32_MAX));
}

int TAlbumModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QIcon TAlbumModel::KindIcon(const SlideRecord& r) const {
  const QString ext = QString::fromUtf8(r.Ext().data(), static_cast<qsizetype>(r.Ext().size())).toLower();
  auto it = icons_.find(ext);
  if (it != icons_.end()) return *it;
  QIcon icon;
  if (r.IsCdTrack()) {
    icon = QIcon::fromTheme("media-optical-audio");
  } else {
    static const QMimeDatabase db;
    const QMimeType mime = db.mimeTypeForFile("x" + ext, QMimeDatabase::MatchExtension);
    icon = QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName()));
  }
  if (icon.isNull()) icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
  icons_.insert(ext, icon);
  return icon;
}

QVariant TAlbumModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= store_.Count()) return {};
  const auto pos = static_cast<std::size_t>(index.row());
  switch (role) {
    case Qt::DisplayRole: return QString::fromStdString(CellText(store_, pos, index.column()));
    case Qt::DecorationRole:
      if (index.column() != kColFilename) return {};
      if (thumbnail_) {
        const QIcon t = thumbnail_(pos);
        if (!t.isNull()) return t;
      }
      return KindIcon(store_.At(pos));
      return {};
    case Qt::ToolTipRole: return QString::fromStdString(store_.ShownPath(store_.At(pos)));
    default: return {};
  }
}

QVariant TAlbumModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) return QString::fromUtf8(ColumnCaption(section));
  return section + 1;
}

Qt::ItemFlags TAlbumModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace pelira
