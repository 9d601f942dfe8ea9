#include "explorer/forms/file_list_model.h"

#include <QApplication>
#include <QDateTime>
#include <QFileIconProvider>
#include <QImage>
#include <QImageReader>
#include <QMimeData>
#include <QMimeDatabase>
#include <QStyle>
#include <QUrl>

#include "common/size_text.h"
#include "explorer/folder_comments.h"
#include "explorer/thumbnail_source.h"
#include "platform/qt/qt_page_renderers.h"

namespace pelira {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::optional<PictureDims> QtProbe(const std::string& path) {
  QImageReader reader(Q(path));
  const QSize s = reader.size();
  if (!s.isValid()) return std::nullopt;
  int bits = 24;
  switch (reader.imageFormat()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB: bits = 1; break;
    case QImage::Format_Indexed8:
    case QImage::Format_Grayscale8: bits = 8; break;
    case QImage::Format_ARGB32:
    case QImage::Format_RGBA8888: bits = 32; break;
    default: break;
  }
  return PictureDims{s.width(), s.height(), bits};
}

}  // namespace

QString DateText(const ListingRecord& r) {
  return QDateTime::fromSecsSinceEpoch(r.mtimeSec).toString("yyyy-MM-dd hh:mm");
}

int TFileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(listing_.Count());
}

int TFileListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QIcon TFileListModel::KindIcon(const ListingRecord& r) const {
  const QString key = r.folder ? QStringLiteral("/") : Q(r.ext);
  auto it = icons_.find(key);
  if (it != icons_.end()) return *it;
  QIcon icon;
  if (r.folder) {
    icon = QFileIconProvider().icon(QFileIconProvider::Folder);
  } else {
    static const QMimeDatabase db;
    const QMimeType t = db.mimeTypeForFile("x" + Q(r.ext).toLower(), QMimeDatabase::MatchExtension);
    icon = QIcon::fromTheme(t.iconName(), QIcon::fromTheme(t.genericIconName()));
    if (icon.isNull()) icon = QFileIconProvider().icon(QFileIconProvider::File);
  }
  icons_.insert(key, icon);
  return icon;
}

QVariant TFileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(listing_.Count())) return {};
  ListingRecord& r = const_cast<Listing&>(listing_).At(static_cast<std::size_t>(index.row()));
  const int col = index.column();
  switch (role) {
    case Qt::DisplayRole:
      switch (col) {
        case kName: return Q(r.display);
        case kSize: return r.folder && r.size == 0 ? QString() : Q(SizeText(r.size));
        case kDate: return DateText(r);
        case kType:
          if (!r.typeTextMade) {
            // Made when first shown: only visible rows ever read a header.
            std::optional<PictureDims> dims;
            if (!r.folder) dims = (probe_ ? probe_ : QtProbe)(listing_.PathAt(index.row()).string());
            r.typeText = TypeText(r, dims);
            r.typeTextMade = true;
          }
          return Q(r.typeText);
        case kComment: return comments_ != nullptr ? Q(comments_->Find(r.name)) : QString();
      }
      return {};
    case Qt::EditRole:
      return col == kName ? Q(r.display) : QVariant();
    case Qt::DecorationRole: {
      if (col != kName) return {};
      if (showThumbs_ && thumbs_ != nullptr && !r.folder) {
        const QString path = Q(listing_.PathAt(index.row()).string());
        const QString key = path + QChar(0) + QString::number(r.mtimeSec) + QChar(0) + QString::number(r.mtimeNsec);
        if (const QIcon* cached = thumbCache_.object(key)) return *cached;
        if (auto dib = thumbs_->Thumbnail(path.toStdString(), thumbSize_.width(), thumbSize_.height(), r.mtimeSec)) {
          const QImage img = QImageFromDib(*dib);
          if (!img.isNull()) {
            QIcon icon(QPixmap::fromImage(img));
            thumbCache_.insert(key, new QIcon(icon));
            r.thumbState = 1;
            return icon;
          }
        }
      }
      return KindIcon(r);
    }
    case Qt::TextAlignmentRole:
      return col == kSize ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::ToolTipRole:
      return col == kName ? Q(listing_.PathAt(index.row()).string()) : QVariant();
  }
  return {};
}

QVariant TFileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kCaptions[kColumnCount] = {"Name", "Size", "Date Modified", "Type/Dimensions", "Comment"};
  return section >= 0 && section < kColumnCount ? QString(kCaptions[section]) : QVariant();
}

Qt::ItemFlags TFileListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::ItemIsDropEnabled;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
  if (index.column() == kName) f |= Qt::ItemIsEditable;
  return f;
}

bool TFileListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || index.column() != kName || !rename_) return false;
  if (!rename_(index.row(), value.toString().toStdString())) {
    emit dataChanged(index, index);  // the old name shows again
    return false;
  }
  return true;
}

QStringList TFileListModel::mimeTypes() const { return {"text/uri-list"}; }

QMimeData* TFileListModel::mimeData(const QModelIndexList& indexes) const {
  QList<QUrl> urls;
  QList<int> rows;
  for (const QModelIndex& i : indexes)
    if (i.isValid() && !rows.contains(i.row())) rows.push_back(i.row());
  for (int row : rows) urls.push_back(QUrl::fromLocalFile(Q(listing_.PathAt(row).string())));
  auto* m = new QMimeData;
  m->setUrls(urls);
  return m;
}

namespace {

std::vector<std::string> LocalFiles(const QMimeData* data) {
  std::vector<std::string> paths;
  if (data == nullptr) return paths;
  for (const QUrl& u : data->urls())
    // "file://host/..." names another machine: not a local file.
    if (u.isLocalFile() && (u.host().isEmpty() || u.host() == "localhost")) paths.push_back(u.toLocalFile().toStdString());
  return paths;
}

}  // namespace

bool TFileListModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int, const QModelIndex&) const {
  return drop_ && !LocalFiles(data).empty();
}

bool TFileListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int, int, const QModelIndex&) {
  const std::vector<std::string> paths = LocalFiles(data);
  if (!drop_ || paths.empty()) return false;
  // The drop runs after the drag's own event handling has finished.
  QMetaObject::invokeMethod(
      this, [this, paths, action] { drop_(paths, action); }, Qt::QueuedConnection);
  return false;  // the source never deletes anything after a move: the move is ours
}

}  // namespace pelira
