#pragma once
// Every dialog the album window asks through: one interface, a Qt implementation, and a fake
// in the tests. Message boxes go through the platform Ui instead.
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "album/album_commands.h"

class QWidget;

namespace pelira {

// What the save dialog answers: the path as typed and the type chosen (1 avc, 2 avl, 3 plp).
struct AlbumSaveChoice {
  std::string path;
  int type = 1;
};

// A number dialog: title, range and steps (the parameter dialog of the program).
struct NumberQuestion {
  QString title;
  PropertyRange range;
  std::vector<int> presets;
};

// The position and panel dialog: two numbers and a reset that means "automatic".
struct PairQuestion {
  QString title;
  int x = 0, y = 0;
  int min = 0, max = 0;
  QString resetQuestion;  // asked (OK/Cancel) before the reset counts
};

class AlbumDialogs {
 public:
  virtual ~AlbumDialogs() = default;
  // Multi-select open dialog ("Add slide(s)", "Insert slide(s)"); empty on Cancel.
  virtual std::vector<std::string> ChooseSlides(QWidget* parent, const QString& title) = 0;
  // "Select album, script or bookmarks".
  virtual std::optional<std::string> ChooseAlbum(QWidget* parent) = 0;
  // "Save Slides As"; the window fixes the name and asks again when needed.
  virtual std::optional<AlbumSaveChoice> ChooseSaveName(QWidget* parent, const std::string& suggested, int type) = 0;
  // The folder chooser of Move and Copy.
  virtual std::optional<std::string> ChooseFolder(QWidget* parent, const QString& title) = 0;
  virtual std::optional<int> AskNumber(QWidget* parent, const NumberQuestion& q) = 0;
  // A colour as 0x00BBGGRR; none on Cancel.
  virtual std::optional<std::int32_t> ChooseColor(QWidget* parent, std::int32_t initial) = 0;
  // The effect list: the chosen index; none on Cancel.
  virtual std::optional<int> ChooseEffect(QWidget* parent, const QString& title, const std::vector<std::string>& names,
                                          int current) = 0;
  // Answers {-2, -2} for the reset.
  virtual std::optional<std::pair<int, int>> AskPair(QWidget* parent, const PairQuestion& q) = 0;
  // "Slide keywords or comment" / "Enter up to 255 characters.".
  virtual std::optional<std::string> AskComment(QWidget* parent, const std::string& initial) = 0;
  // The desktop's "open" of a file that is not viewed here; false when nothing opened it.
  virtual bool OpenExternally(const std::string& path) = 0;
  // The file-information box of a slide's file.
  virtual void ShowFileInfo(QWidget* parent, const std::string& path) = 0;
};

class QtAlbumDialogs : public AlbumDialogs {
 public:
  std::vector<std::string> ChooseSlides(QWidget* parent, const QString& title) override;
  std::optional<std::string> ChooseAlbum(QWidget* parent) override;
  std::optional<AlbumSaveChoice> ChooseSaveName(QWidget* parent, const std::string& suggested, int type) override;
  std::optional<std::string> ChooseFolder(QWidget* parent, const QString& title) override;
  std::optional<int> AskNumber(QWidget* parent, const NumberQuestion& q) override;
  std::optional<std::int32_t> ChooseColor(QWidget* parent, std::int32_t initial) override;
  std::optional<int> ChooseEffect(QWidget* parent, const QString& title, const std::vector<std::string>& names,
                                  int current) override;
  std::optional<std::pair<int, int>> AskPair(QWidget* parent, const PairQuestion& q) override;
  std::optional<std::string> AskComment(QWidget* parent, const std::string& initial) override;
  bool OpenExternally(const std::string& path) override;
  void ShowFileInfo(QWidget* parent, const std::string& path) override;
};

}  // namespace pelira
