// WindowState: the project window's remembered layout, stored in the project file as the
// "windowStates" dictionary. The window fills one when the project is saved and applies the one
// read back when it opens.
#pragma once

#include "project/textrange.h"

#include <QRectF>
#include <QString>
#include <QVariantMap>

#include <optional>

namespace corvane
{

struct WindowState {
    bool showToolbar = false;           // missing reads false
    bool showOptionsPane = false;       // first pane of the options split
    std::optional<qint64> workAreaItem; // 0 console, 1 editor, 2 notes
    // Present only when a file is in the editor.
    std::optional<QString> currentFileName; // written, never applied
    std::optional<TextRange> selectedRange;
    std::optional<qint64> selectionIndex; // -1 when no row is selected
    std::optional<QRectF> windowFrame;    // all zero without a window

    // The dictionary with "showToolbar", "showOptionsPane", "workAreaItem", "windowFrame" always
    // and the three editor keys when a file is in the editor.
    QVariantMap toDictionary() const;
    // Values of the wrong type count as missing.
    static WindowState fromDictionary(const QVariantMap &dictionary);

    // The tab to switch to: workAreaItem, a negative value giving 0.
    std::optional<qint64> workAreaTab() const;

    bool operator==(const WindowState &) const = default;
};

} // namespace corvane
