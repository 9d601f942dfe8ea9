#pragma once
// A window's menus and keys from one table of rows. One builder makes the menu bar, the
// context menus and the keys the window handles itself from the same rows, so an item's
// object name, caption, shortcut and command are each written once.
#include <QKeySequence>
#include <QString>

#include <functional>
#include <initializer_list>
#include <map>
#include <vector>

class QAction;
class QActionGroup;
class QKeyEvent;
class QMenu;
class QMenuBar;
class QWidget;

namespace pelira {

enum class MenuKind {
  Item,       // a command
  Submenu,    // a menu of the rows naming it as parent
  Separator,  // a line in the parent menu
  Check,      // a command with a check mark
  Radio,      // a check mark shared by the rows of one group: one is on
  Hidden,     // a command in no menu: its shortcut and window keys work all the same
};

// When a window key of a row works. The window decides what each means (for the viewer:
// Browsing is a picture shown without slideshow, media or a focused path box, no modifier).
enum class KeyScope { Always, Browsing };

struct MenuSpec {
  QString name;            // object name: code and tests find the item (or menu) by it
  QString caption;         // "&Open"; empty for separators
  QKeySequence shortcut;   // the item's shortcut, shown in the menu
  QString parent;          // object name of the parent menu; empty: the menu bar
  MenuKind kind = MenuKind::Item;
  std::function<void()> run;  // empty: a command not built yet, shown disabled
  // Further keys the window takes itself (not shown in the menu). A key spelled with
  // Qt::KeypadModifier wants the keypad's key; one without takes either.
  std::vector<QKeyCombination> keys = {};
  KeyScope keyScope = KeyScope::Browsing;
  QString group = {};  // Radio: the rows sharing a group name exclude each other
};

class MenuBuilder {
public:
  // Runs a command: the window's guard around every item and key (errors, busy state).
  using Runner = std::function<void(const std::function<void()>& command)>;
  // The window owns the actions; actions is the window's register of them by object name,
  // which later code may add to (without one, the builder keeps its own).
  MenuBuilder(QWidget& window, std::map<QString, QAction*>& actions, Runner runner = {});
  explicit MenuBuilder(QWidget& window, Runner runner = {});

  // Builds the rows in order; a row's parent must come before it. Rows without a parent go
  // to bar, menus and items alike (none: the window has no menu bar and such rows are an error).
  void Build(QMenuBar* bar, const std::vector<MenuSpec>& rows);
  // One more item, outside the table (tool bar buttons): the same rules as a row's.
  QAction* AddItem(QMenu* menu, const MenuSpec& row);

  QAction* Action(const QString& name) const;
  QMenu* Menu(const QString& name) const;
  const std::vector<QMenu*>& TopMenus() const { return topMenus_; }

  // Fills a context menu with built items by object name, in order; "-" is a separator.
  void FillPopup(QMenu& popup, std::initializer_list<const char*> names) const;
  // Runs the row whose window key the event is, within scope: true when a row took it.
  bool RunKey(const QKeyEvent& event, KeyScope scope) const;

private:
  struct KeyRow {
    QKeyCombination key;
    KeyScope scope;
    std::function<void()> run;
  };
  void Run(const std::function<void()>& command) const;

  QWidget& window_;
  std::map<QString, QAction*> ownActions_;
  std::map<QString, QAction*>* actions_;
  Runner runner_;
  std::map<QString, QMenu*> menus_;
  std::map<QString, QActionGroup*> groups_;
  std::vector<QMenu*> topMenus_;
  std::vector<KeyRow> keys_;
};

}  // namespace pelira
