#pragma once
// The explorer list's one virtual model over the core Listing: rows are display rows, asked
// only for what a view shows, so a folder of 20,000 pictures costs nothing per row until it
// is seen. Type texts and thumbnails are made for visible rows only.
#include <QAbstractTableModel>
#include <QCache>
#include <QHash>
#include <QIcon>
#include <functional>
#include <optional>

#include "explorer/listing.h"

namespace pelira {

class FolderComments;
class ThumbnailSource;

class TFileListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { kName = 0, kSize, kDate, kType, kComment, kColumnCount };

  explicit TFileListModel(Listing& listing, QObject* parent = nullptr) : QAbstractTableModel(parent), listing_(listing) {}

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // In-place rename: the name goes through the core rename (refusals come back through rename_).
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  Qt::DropActions supportedDragActions() const override { return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction; }
  Qt::DropActions supportedDropActions() const override { return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction; }
  // Local files dropped anywhere on the list go to the drop handler; other URLs are refused.
  bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                       const QModelIndex& parent) const override;
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                    const QModelIndex& parent) override;
  void SetDropHandler(std::function<bool(const std::vector<std::string>&, Qt::DropAction)> drop) {
    drop_ = std::move(drop);
  }

  // Thumbnails are asked again (after Redo thumbs or a change on disk).
  void ForgetThumbnails() { thumbCache_.clear(); }
  void Reset() {
    beginResetModel();
    endResetModel();
  }
  // Thumbnails in the icon views (nullptr: kind icons only), at most size pixels.
  void SetThumbnails(ThumbnailSource* source) { thumbs_ = source; }
  void SetThumbnailSize(QSize size) { thumbSize_ = size; }
  void SetShowThumbnails(bool on) { showThumbs_ = on; }
  void SetComments(const FolderComments* comments) { comments_ = comments; }
  // Called by setData with (row, new name); answers whether the rename happened.
  void SetRenameHandler(std::function<bool(int row, const std::string& name)> rename) { rename_ = std::move(rename); }
  // The dimensions of a picture for the type column (default: the image header through Qt).
  void SetDimsProbe(std::function<std::optional<PictureDims>(const std::string& path)> probe) {
    probe_ = std::move(probe);
  }

  QIcon KindIcon(const ListingRecord& r) const;

 private:
  Listing& listing_;
  ThumbnailSource* thumbs_ = nullptr;
  const FolderComments* comments_ = nullptr;
  QSize thumbSize_{168, 126};
  bool showThumbs_ = false;
  std::function<bool(int, const std::string&)> rename_;
  std::function<bool(const std::vector<std::string>&, Qt::DropAction)> drop_;
  std::function<std::optional<PictureDims>(const std::string&)> probe_;
  mutable QHash<QString, QIcon> icons_;
  // The thumbnails shown lately (path and date), bounded so a long scroll cannot fill memory.
  mutable QCache<QString, QIcon> thumbCache_{2000};
};

// "yyyy-MM-dd hh:mm" of a record's modification time, local time.
QString DateText(const ListingRecord& r);

}  // namespace pelira
