#include "album/forms/album_dialogs.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QUrl>

#include "platform/ui.h"

namespace pelira {

namespace {

std::string Utf8(const QString& s) { return s.toUtf8().toStdString(); }

}  // namespace

std::vector<std::string> QtAlbumDialogs::ChooseSlides(QWidget* parent, const QString& title) {
  QFileDialog d(parent, title);
  d.setOption(QFileDialog::DontUseNativeDialog);
  d.setFileMode(QFileDialog::ExistingFiles);
  std::vector<std::string> out;
  if (d.exec() != QDialog::Accepted) return out;
  for (const QString& f : d.selectedFiles()) out.push_back(Utf8(f));
  return out;
}

std::optional<std::string> QtAlbumDialogs::ChooseAlbum(QWidget* parent) {
  QFileDialog d(parent, "Select album, script or bookmarks");
  d.setOption(QFileDialog::DontUseNativeDialog);
  d.setFileMode(QFileDialog::ExistingFile);
  d.setNameFilters({"Supported formats (*.avc *.avl *.plp)", "AVC (Pelira Slide Catalog) (*.avc)",
                    "AVL (AV List Slideshow) (*.avl)", "PLP (Pelira Picture List) (*.plp)"});
  d.setDefaultSuffix("avl");
  if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return std::nullopt;
  return Utf8(d.selectedFiles().first());
}

std::optional<AlbumSaveChoice> QtAlbumDialogs::ChooseSaveName(QWidget* parent, const std::string& suggested, int type) {
  static const char* const kSuffix[] = {"avc", "avl", "plp"};
  const QStringList filters = {"Pelira Slide Catalog (*.avc)", "AVL Slideshow (*.avl)", "Pelira Picture List (*.plp)"};
  QFileDialog d(parent, "Save Slides As");
  d.setOption(QFileDialog::DontUseNativeDialog);
  // The window asks before replacing, as the album always has.
  d.setOption(QFileDialog::DontConfirmOverwrite);
  d.setAcceptMode(QFileDialog::AcceptSave);
  d.setNameFilters(filters);
  type = std::clamp(type, 1, 3);
  d.selectNameFilter(filters[type - 1]);
  d.setDefaultSuffix(kSuffix[type - 1]);
  QObject::connect(&d, &QFileDialog::filterSelected, &d, [&](const QString& f) {
    const int i = static_cast<int>(filters.indexOf(f));
    if (i >= 0) d.setDefaultSuffix(kSuffix[i]);
  });
  if (!suggested.empty()) d.selectFile(QString::fromStdString(suggested));
  if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return std::nullopt;
  AlbumSaveChoice c;
  c.path = Utf8(d.selectedFiles().first());
  c.type = static_cast<int>(filters.indexOf(d.selectedNameFilter())) + 1;
  if (c.type < 1) c.type = 1;
  return c;
}

std::optional<std::string> QtAlbumDialogs::ChooseFolder(QWidget* parent, const QString& title) {
  const QString dir =
      QFileDialog::getExistingDirectory(parent, title, QString(), QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
  if (dir.isEmpty()) return std::nullopt;
  return Utf8(dir);
}

std::optional<int> QtAlbumDialogs::AskNumber(QWidget* parent, const NumberQuestion& q) {
  bool ok = false;
  const int v = QInputDialog::getInt(parent, q.title, q.title, q.range.initial, q.range.min, q.range.max, q.range.small, &ok);
  if (!ok) return std::nullopt;
  return v;
}

std::optional<std::int32_t> QtAlbumDialogs::ChooseColor(QWidget* parent, std::int32_t initial) {
  const auto v = static_cast<std::uint32_t>(initial < 0 ? 0xFFFFFF : initial);
  const QColor c = QColorDialog::getColor(QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF), parent);
  if (!c.isValid()) return std::nullopt;
  return c.red() | (c.green() << 8) | (c.blue() << 16);
}

std::optional<int> QtAlbumDialogs::ChooseEffect(QWidget* parent, const QString& title,
                                                const std::vector<std::string>& names, int current) {
  QStringList items;
  for (const auto& n : names) items << QString::fromStdString(n);
  bool ok = false;
  const QString chosen = QInputDialog::getItem(parent, title, title, items, std::clamp(current, 0, int(items.size()) - 1), false, &ok);
  if (!ok) return std::nullopt;
  return static_cast<int>(items.indexOf(chosen));
}

std::optional<std::pair<int, int>> QtAlbumDialogs::AskPair(QWidget* parent, const PairQuestion& q) {
  QDialog d(parent);
  d.setWindowTitle(q.title);
  auto* form = new QFormLayout(&d);
  auto* x = new QSpinBox(&d);
  auto* y = new QSpinBox(&d);
  for (QSpinBox* s : {x, y}) s->setRange(q.min, q.max);
  x->setValue(q.x);
  y->setValue(q.y);
  form->addRow("x / width", x);
  form->addRow("y / height", y);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Reset, &d);
  form->addRow(buttons);
  bool reset = false;
  QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
  QObject::connect(buttons->button(QDialogButtonBox::Reset), &QPushButton::clicked, &d, [&] {
    if (CurrentUi().Message(MessageKind::Confirmation, Utf8(q.resetQuestion), Button::OK | Button::Cancel) == Button::OK) {
      reset = true;
      d.accept();
    }
  });
  if (d.exec() != QDialog::Accepted) return std::nullopt;
  if (reset) return std::make_pair(-2, -2);
  return std::make_pair(x->value(), y->value());
}

std::optional<std::string> QtAlbumDialogs::AskComment(QWidget* parent, const std::string& initial) {
  bool ok = false;
  const QString t = QInputDialog::getText(parent, "Slide keywords or comment", "Enter up to 255 characters.",
                                          QLineEdit::Normal, QString::fromStdString(initial), &ok);
  if (!ok) return std::nullopt;
  return Utf8(t);
}

bool QtAlbumDialogs::OpenExternally(const std::string& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

void QtAlbumDialogs::ShowFileInfo(QWidget* parent, const std::string& path) {
  const QFileInfo fi(QString::fromStdString(path));
  const QString text = QString("%1\n\nSize: %2 bytes\nModified: %3\nOwner: %4")
                           .arg(fi.absoluteFilePath())
                           .arg(fi.size())
                           .arg(fi.lastModified().toString(Qt::ISODate))
                           .arg(fi.owner());
  QMessageBox::information(parent, fi.fileName(), text);
}

}  // namespace pelira
