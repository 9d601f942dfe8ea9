#pragma once
// The album's one virtual model: rows are display positions, asked only for what a view
// shows, so a view over a million slides costs nothing per slide.
#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <functional>

#include "album/album_store.h"

namespace pelira {

class TAlbumModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit TAlbumModel(AlbumStore& store, QObject* parent = nullptr) : QAbstractTableModel(parent), store_(store) {}
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // After a command changed the album in bulk.
  void Reset() {
    beginResetModel();
    endResetModel();
  }
  // The icon of a slide's kind; thumbnails take its place once the cache draws them.
  QIcon KindIcon(const SlideRecord& r) const;
  // The thumbnail of the slide at a display position, or a null icon while it has none.
  void SetThumbnailSource(std::function<QIcon(std::size_t pos)> source) { thumbnail_ = std::move(source); }

 private:
  AlbumStore& store_;
  std::function<QIcon(std::size_t)> thumbnail_;
  mutable QHash<QString, QIcon> icons_;
};

}  // namespace pelira
