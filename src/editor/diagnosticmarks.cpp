#include "editor/diagnosticmarks.h"

#include <algorithm>

namespace corvane
{

namespace
{

// The line a row is shown on: its own, or the last line when it lies beyond the text; 0 for none.
int shownLine(const FindResult &row, int lineCount)
{
    const quint64 line = row.lineNumber;
    if (line == 0)
        return 0;
    if (lineCount > 0 && line > quint64(lineCount))
        return lineCount;
    return int(qMin<quint64>(line, quint64(INT_MAX)));
}

} // namespace

QMap<int, DiagnosticMarks::Level> DiagnosticMarks::markersForRows(const QList<FindResult> &rows,
                                                                  int lineCount)
{
    QMap<int, Level> markers;
    for (const FindResult &row : rows) {
        const int line = shownLine(row, lineCount);
        if (line < 1)
            continue;
        Level &level = markers[line]; // a new line starts as a warning
        if (level != Error)
            level = row.errorType == Error ? Error : Warning;
    }
    return markers;
}

DiagnosticMarks::Message DiagnosticMarks::messageForLine(const QList<FindResult> &rows, int line,
                                                         int lineCount)
{
    // Each row's text without the line ends around it, one a line.
    const auto trimmed = [](const QString &text) {
        qsizetype start = 0;
        qsizetype end = text.size();
        while (start < end && (text[start] == u'\n' || text[start] == u'\r'))
            ++start;
        while (end > start && (text[end - 1] == u'\n' || text[end - 1] == u'\r'))
            --end;
        return text.mid(start, end - start);
    };
    Message message;
    QStringList texts;
    for (const FindResult &row : rows) {
        if (line < 1 || shownLine(row, lineCount) != line)
            continue;
        if (const QString text = trimmed(row.lineText); !text.isEmpty())
            texts << text;
        if (row.errorType == Error)
            message.level = Error;
    }
    message.text = texts.join(u'\n');
    return message;
}

std::optional<int> DiagnosticMarks::nextLine(const QList<FindResult> &rows, int currentLine,
                                             int lineCount)
{
    for (const FindResult &row : rows) {
        const int line = shownLine(row, lineCount);
        if (line > currentLine)
            return line;
    }
    return std::nullopt;
}

std::optional<int> DiagnosticMarks::previousLine(const QList<FindResult> &rows, int currentLine,
                                                 int lineCount)
{
    for (auto it = rows.crbegin(); it != rows.crend(); ++it) {
        const int line = shownLine(*it, lineCount);
        if (line < currentLine)
            return line > 0 ? std::optional<int>(line) : std::nullopt;
    }
    return std::nullopt;
}

bool DiagnosticMarks::updateErrorLineLocations(ErrorsDictionary &errors, const QString &path,
                                               const LineChangeInfo &change)
{
    QList<FindResult> *stored = errors.find(path);
    if (!stored || change.isEmpty())
        return false;
    QList<FindResult> rows = *stored;

    // The first line the edit touches (S) and the last line whose row it may remove (B). An
    // undo that deletes lines reports the line after them.
    const qint64 n = change.numberOfLinesAddedOrDeleted;
    const qint64 line = qint64(qMin<quint64>(change.affectedLineNumber, quint64(LLONG_MAX / 2)));
    qint64 first = line;
    qint64 lastRemovable = line;
    if (n < 0 && !change.isUnDoing) {
        lastRemovable = line - n - 1;
    } else if (n < 0) {
        first = line + n;
        lastRemovable = line - 1;
    }
    first = qMax<qint64>(first, 1); // rows without a line (0) never move
    const qint64 affected =
        qint64(qMin<quint64>(change.numberofLinesAffected, quint64(LLONG_MAX / 2)));

    bool changed = false;
    QList<FindResult> removed;
    QList<FindResult> kept;
    kept.reserve(rows.size());
    for (FindResult &row : rows) {
        const qint64 at = qint64(qMin<quint64>(row.lineNumber, quint64(LLONG_MAX / 2)));
        if (at < first) {
            kept << row;
            continue;
        }
        changed = true;
        const bool remove = change.isReplacement ? at < first + affected
                                                 : !(n > 0 || at > lastRemovable);
        if (remove) {
            removed << row;
        } else {
            row.lineNumber = quint64(qMax<qint64>(at + n, 1));
            kept << row;
        }
    }

    // An undo brings back what the last edit of this file removed; an undo that deletes lines
    // undoes an addition, which removed nothing.
    bool restored = false;
    if (change.isUnDoing && n >= 0) {
        const QList<FindResult> back = m_removed.take(path);
        for (const FindResult &row : back) {
            const auto at = std::upper_bound(
                kept.begin(), kept.end(), row.lineNumber,
                [](quint64 l, const FindResult &r) { return l < r.lineNumber; });
            kept.insert(at, row);
        }
        restored = !back.isEmpty();
    }

    if (!changed && !restored)
        return false;
    *stored = kept;
    if (changed) {
        if (removed.isEmpty())
            m_removed.remove(path);
        else
            m_removed.insert(path, removed);
    }
    return true;
}

void DiagnosticMarks::clearErrorMarks(std::optional<ErrorsDictionary> &errors, const QString &path)
{
    if (errors)
        errors->remove(path);
    m_removed.remove(path);
}

} // namespace corvane
