#include "viewer/forms/list_dlg.h"

#include <QAbstractListModel>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace pelira {

class TBookmarkModel : public QAbstractListModel {
public:
  explicit TBookmarkModel(std::vector<std::string> entries, QObject* parent)
      : QAbstractListModel(parent), entries_(std::move(entries)) {}
  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= static_cast<int>(entries_.size())) return {};
    return QString::fromStdString(entries_[static_cast<std::size_t>(index.row())]);
  }
  const std::vector<std::string>& Entries() const { return entries_; }
  void Replace(std::vector<std::string> e) {
    beginResetModel();
    entries_ = std::move(e);
    endResetModel();
  }
  void RemoveRow(int row) {
    beginRemoveRows({}, row, row);
    entries_.erase(entries_.begin() + row);
    endRemoveRows();
  }

private:
  std::vector<std::string> entries_;
};

namespace {
constexpr int kMinWidth = 340, kMinHeight = 240;
}

TListDlg::TListDlg(std::vector<std::string> entries, const std::string& current, QWidget* parent, FileExistsFn exists)
    : QDialog(parent), current_(current), exists_(std::move(exists)) {
  setObjectName("ListDlg");
  setWindowTitle("Bookmarked Files");
  label_ = new QLabel("Select item or press DELETE to remove selected item.", this);
  model_ = new TBookmarkModel(std::move(entries), this);
  view_ = new QListView(this);
  view_->setObjectName("ListView");
  view_->setUniformItemSizes(true);  // rows are not measured one by one
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->setModel(model_);
  status_ = new QLabel(this);
  status_->setObjectName("ListStatus");
  sortButton_ = new QPushButton("&Sort all", this);
  sortButton_->setObjectName("btnSortAll");
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->addButton(sortButton_, QDialogButtonBox::ActionRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(sortButton_, &QPushButton::clicked, this, [this] { SortAll(); });
  connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { UpdateStatus(); });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label_);
  layout->addWidget(view_, 1);
  layout->addWidget(status_);
  layout->addWidget(buttons);
  setMinimumSize(kMinWidth, kMinHeight);
  resize(420, 300);
  SelectPath(current_);
  UpdateStatus();
}

TListDlg::~TListDlg() = default;

const std::vector<std::string>& TListDlg::Entries() const { return model_->Entries(); }

int TListDlg::SelectedRow() const {
  const QModelIndexList rows = view_->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.front().row();
}

void TListDlg::SelectRow(int row) {
  if (row < 0 || row >= model_->rowCount({})) {
    view_->clearSelection();
  } else {
    const QModelIndex i = model_->index(row);
    view_->setCurrentIndex(i);
    view_->selectionModel()->select(i, QItemSelectionModel::ClearAndSelect);
    view_->scrollTo(i, QAbstractItemView::PositionAtCenter);
  }
  UpdateStatus();
}

void TListDlg::SelectPath(const std::string& path) {
  const std::vector<std::string>& e = model_->Entries();
  const auto it = std::find(e.begin(), e.end(), path);
  SelectRow(it == e.end() ? -1 : static_cast<int>(it - e.begin()));
}

void TListDlg::DeleteSelected() {
  const int row = SelectedRow();
  if (row < 0) return;
  model_->RemoveRow(row);
  SelectRow(std::min(row, model_->rowCount({}) - 1));
}

void TListDlg::SortAll() {
  std::vector<std::string> e = model_->Entries();
  SortAllEntries(e, exists_);
  model_->Replace(std::move(e));
  SelectPath(current_);
}

QString TListDlg::StatusText() const { return status_->text(); }

void TListDlg::UpdateStatus() {
  const std::size_t count = model_->Entries().size();
  const int row = SelectedRow();
  status_->setText(QString::fromStdString(row >= 0 ? ListSelectedText(static_cast<std::size_t>(row), count)
                                                   : ListCountText(count)));
}

void TListDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete) {
    DeleteSelected();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace pelira
