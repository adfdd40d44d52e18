#include "edittracker.h"

namespace corvane
{

qsizetype lineCount(QStringView s)
{
    const qsizetype feeds = s.count(u'\n');
    if (feeds == 0)
        return 0;
    return s.endsWith(u'\n') ? feeds : feeds + 1;
}

LineChangeInfo lineChangeFor(QStringView text, qsizetype from, qsizetype to,
                             QStringView replacement, bool isPaste, bool isUndoing,
                             std::optional<quint64> lineOfFrom)
{
    from = qBound<qsizetype>(0, from, text.size());
    to = qBound(from, to, text.size());
    const QStringView old = text.mid(from, to - from);
    LineChangeInfo info;
    info.numberofLinesAffected = quint64(lineCount(old));
    // Counted by line feeds: lines() counts a final part without a line feed, which is no line
    // added or removed ("x\nfoo" deleted inside a line joins two lines: one, not two).
    info.numberOfLinesAddedOrDeleted =
        qint64(replacement.count(u'\n')) - qint64(old.count(u'\n'));
    info.affectedLineNumber = lineOfFrom ? *lineOfFrom : quint64(text.left(from).count(u'\n') + 1);
    // A change that ends just before its line's terminator affects the lines after it.
    const qsizetype last = to > from ? to - 1 : from;
    const qsizetype terminator = text.indexOf(u'\n', last);
    if (terminator >= 0 && to == terminator)
        info.affectedLineNumber += 1;
    info.isReplacement = isPaste;
    info.isUnDoing = isUndoing;
    return info;
}

void EditTracker::reset(const QString &text)
{
    m_text = text;
    m_lineFeeds = m_text.count(u'\n');
    m_anchor = 0;
    m_anchorLine = 1;
}

quint64 EditTracker::lineAt(qsizetype offset) const
{
    offset = qBound<qsizetype>(0, offset, m_text.size());
    const QStringView text(m_text);
    if (offset >= m_anchor)
        m_anchorLine += quint64(text.sliced(m_anchor, offset - m_anchor).count(u'\n'));
    else if (offset < m_anchor / 2)
        m_anchorLine = quint64(text.first(offset).count(u'\n')) + 1;
    else
        m_anchorLine -= quint64(text.sliced(offset, m_anchor - offset).count(u'\n'));
    m_anchor = offset;
    return m_anchorLine;
}

std::optional<EditChange> EditTracker::apply(qsizetype from, qsizetype removed,
                                             QStringView inserted, bool isPaste, bool isUndoing)
{
    from = qBound<qsizetype>(0, from, m_text.size());
    removed = qBound<qsizetype>(0, removed, m_text.size() - from);
    QStringView old = QStringView(m_text).mid(from, removed);
    qsizetype prefix = 0;
    while (prefix < old.size() && prefix < inserted.size() && old[prefix] == inserted[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < old.size() - prefix && suffix < inserted.size() - prefix &&
           old[old.size() - 1 - suffix] == inserted[inserted.size() - 1 - suffix])
        ++suffix;
    old = old.mid(prefix, old.size() - prefix - suffix);
    inserted = inserted.mid(prefix, inserted.size() - prefix - suffix);
    if (old.isEmpty() && inserted.isEmpty())
        return std::nullopt;

    EditChange change;
    change.position = from + prefix;
    change.removed = old.toString();
    change.inserted = inserted.toString();
    // The text before the change stays as it is: its line stays known.
    const quint64 line = lineAt(change.position);
    change.lineChange = lineChangeFor(m_text, change.position,
                                      change.position + change.removed.size(), change.inserted,
                                      isPaste, isUndoing, line);
    m_lineFeeds += change.inserted.count(u'\n') - change.removed.count(u'\n');
    m_text.replace(change.position, change.removed.size(), change.inserted);
    return change;
}

} // namespace corvane
