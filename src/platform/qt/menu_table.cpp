#include "platform/qt/menu_table.h"

#include <QAction>
#include <QActionGroup>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

#include <stdexcept>

namespace pelira {

MenuBuilder::MenuBuilder(QWidget& window, std::map<QString, QAction*>& actions, Runner runner)
    : window_(window), actions_(&actions), runner_(std::move(runner)) {}

MenuBuilder::MenuBuilder(QWidget& window, Runner runner)
    : window_(window), actions_(&ownActions_), runner_(std::move(runner)) {}

void MenuBuilder::Run(const std::function<void()>& command) const {
  if (runner_) runner_(command);
  else command();
}

QAction* MenuBuilder::AddItem(QMenu* menu, const MenuSpec& row) {
  auto* a = new QAction(row.caption, &window_);
  a->setObjectName(row.name);
  if (!row.shortcut.isEmpty()) a->setShortcut(row.shortcut);
  if (row.run) {
    QObject::connect(a, &QAction::triggered, &window_, [this, run = row.run] { Run(run); });
  } else {
    // Commands that later work builds stand in the menus, disabled.
    a->setEnabled(false);
  }
  if (row.kind == MenuKind::Check || row.kind == MenuKind::Radio) a->setCheckable(true);
  if (row.kind == MenuKind::Radio) {
    QActionGroup*& group = groups_[row.group];
    if (!group) group = new QActionGroup(&window_);
    group->addAction(a);
  }
  if (menu && row.kind != MenuKind::Hidden) menu->addAction(a);
  window_.addAction(a);  // shortcuts work with the menu bar hidden
  (*actions_)[row.name] = a;
  if (row.run)
    for (const QKeyCombination& k : row.keys) keys_.push_back({k, row.keyScope, row.run});
  return a;
}

void MenuBuilder::Build(QMenuBar* bar, const std::vector<MenuSpec>& rows) {
  for (const MenuSpec& row : rows) {
    QMenu* parent = nullptr;
    if (!row.parent.isEmpty()) {
      parent = Menu(row.parent);
      if (!parent) throw std::logic_error("menu row " + row.name.toStdString() + ": parent not built yet");
    }
    switch (row.kind) {
      case MenuKind::Submenu: {
        QMenu* m = nullptr;
        if (parent) {
          m = parent->addMenu(row.caption);
        } else {
          if (!bar) throw std::logic_error("menu row " + row.name.toStdString() + ": no menu bar");
          m = bar->addMenu(row.caption);
          topMenus_.push_back(m);
        }
        m->setObjectName(row.name);
        menus_[row.name] = m;
        break;
      }
      case MenuKind::Separator:
        if (parent) parent->addSeparator();
        break;
      default: {
        QAction* a = AddItem(parent, row);
        if (!parent && row.kind != MenuKind::Hidden) {
          if (!bar) throw std::logic_error("menu row " + row.name.toStdString() + ": no menu bar");
          bar->addAction(a);
        }
        break;
      }
    }
  }
}

QAction* MenuBuilder::Action(const QString& name) const {
  const auto it = actions_->find(name);
  return it == actions_->end() ? nullptr : it->second;
}

QMenu* MenuBuilder::Menu(const QString& name) const {
  const auto it = menus_.find(name);
  return it == menus_.end() ? nullptr : it->second;
}

void MenuBuilder::FillPopup(QMenu& popup, std::initializer_list<const char*> names) const {
  for (const char* name : names) {
    if (QString(name) == "-") popup.addSeparator();
    else if (QAction* a = Action(name)) popup.addAction(a);
  }
}

bool MenuBuilder::RunKey(const QKeyEvent& event, KeyScope scope) const {
  const bool keypad = event.modifiers() & Qt::KeypadModifier;
  for (const KeyRow& row : keys_) {
    if (row.scope != scope || row.key.key() != event.key()) continue;
    if ((row.key.keyboardModifiers() & Qt::KeypadModifier) && !keypad) continue;
    Run(row.run);
    return true;
  }
  return false;
}

}  // namespace pelira
