// commandAction: a window command as a QAction named after the command (menus and tests find it
// by that name), with its shortcut when it has one, calling a member of its owner.
#pragma once

#include <QAction>
#include <QKeySequence>
#include <QObject>
#include <QString>

namespace corvane
{

template <typename Owner>
QAction *commandAction(Owner *owner, const QString &name, const QString &text,
                       const QKeySequence &shortcut, void (Owner::*slot)())
{
    auto *action = new QAction(text, owner);
    action->setObjectName(name);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    if (slot)
        QObject::connect(action, &QAction::triggered, owner, slot);
    return action;
}

} // namespace corvane
