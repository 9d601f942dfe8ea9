#pragma once
// Every dialog the explorer window asks through: one interface, a Qt implementation, and a
// fake in the tests. Message boxes go through the platform Ui instead.
#include <QString>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace pelira {

// The folder-walk dialog's modes.
enum class WalkMode : int { Choose = 0, CopyTarget = 1, MoveTarget = 2, GetSlides = 9 };

class ExplorerDialogs {
 public:
  virtual ~ExplorerDialogs() = default;
  // A folder from the folder-walk dialog (TWalkForm) in mode, titled title, starting at start;
  // none on Cancel.
  virtual std::optional<std::string> ChooseFolder(QWidget* parent, WalkMode mode, const QString& title,
                                                  const std::string& start) = 0;
  // A line of text (comments, find, go to); none on Cancel.
  virtual std::optional<std::string> AskText(QWidget* parent, const QString& title, const QString& prompt,
                                             const std::string& initial) = 0;
  // The list dialog (visited folders): the chosen index; none on Cancel.
  virtual std::optional<int> ChooseFromList(QWidget* parent, const QString& caption,
                                            const std::vector<std::string>& items, int current) = 0;
  // The desktop's "open"; false when nothing opened the file.
  virtual bool OpenExternally(const std::string& path) = 0;
};

class QtExplorerDialogs : public ExplorerDialogs {
 public:
  std::optional<std::string> ChooseFolder(QWidget* parent, WalkMode mode, const QString& title,
                                          const std::string& start) override;
  std::optional<std::string> AskText(QWidget* parent, const QString& title, const QString& prompt,
                                     const std::string& initial) override;
  std::optional<int> ChooseFromList(QWidget* parent, const QString& caption, const std::vector<std::string>& items,
                                    int current) override;
  bool OpenExternally(const std::string& path) override;
};

}  // namespace pelira
