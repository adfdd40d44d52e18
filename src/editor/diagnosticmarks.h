// DiagnosticMarks: the diagnostics of the file in the editor as marks on its lines. It turns a
// file's rows of the errors dictionary into one marker per line, the message of a marked line and
// the line that Next or Previous goes to, and it moves the rows with the editor's line-change
// records: added lines push later rows down, deleted or rewritten lines take their rows with them
// (kept per file so that an undo puts them back).
//
// Lines are 1-based. A row whose line lies beyond the file's last line (the file changed since the
// build) counts as being on the last line; a row with line 0 has no line and is never marked.
#pragma once

#include "editor/edittracker.h"
#include "project/findresult.h"

#include <QHash>
#include <QMap>

#include <optional>

namespace corvane
{

class DiagnosticMarks
{
public:
    // errorType of a row and level of a marker.
    enum Level { Warning = 1, Error = 2 };

    // line -> marker level: one per line, Error when any row of the line is an error, else
    // Warning. lineCount <= 0 means the file's length is not known (nothing is moved).
    static QMap<int, Level> markersForRows(const QList<FindResult> &rows, int lineCount);

    struct Message {
        QString text;        // the rows' texts, one a line, without leading and trailing line ends
        Level level = Warning;
        bool isEmpty() const { return text.isEmpty(); }
    };
    // The message window's content for a line; empty when no row is on the line.
    static Message messageForLine(const QList<FindResult> &rows, int line, int lineCount);

    // The line of the first row below (next) or above (previous) currentLine; nothing when there
    // is none or the row has no line: the caller beeps. No wrap-around.
    static std::optional<int> nextLine(const QList<FindResult> &rows, int currentLine,
                                       int lineCount);
    static std::optional<int> previousLine(const QList<FindResult> &rows, int currentLine,
                                           int lineCount);

    // Moves path's rows in errors by one edit's record. Only a file that has an entry (an empty
    // list is an entry) is touched, and a record that tells nothing is ignored. Rows of removed
    // lines are taken out and kept as path's removed set; an undo puts that set back with the
    // lines the rows had. True when path's entry was stored anew (mark the file again).
    bool updateErrorLineLocations(ErrorsDictionary &errors, const QString &path,
                                  const LineChangeInfo &change);

    // The rows the last edit of path removed; empty when none.
    QList<FindResult> removedErrors(const QString &path) const { return m_removed.value(path); }

    // Takes path's entry out of errors and forgets its removed rows.
    void clearErrorMarks(std::optional<ErrorsDictionary> &errors, const QString &path);
    // A build completed: no removed row can come back.
    void forgetRemovedErrors() { m_removed.clear(); }

private:
    QHash<QString, QList<FindResult>> m_removed;
};

} // namespace corvane
