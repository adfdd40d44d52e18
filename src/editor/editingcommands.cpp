#include "editingcommands.h"

#include "settings/defaults.h"
#include "settings/settingskeys.h"
#include "templatetext.h"

#include <algorithm>

namespace corvane
{

namespace
{

qsizetype end(TextRange r)
{
    return qsizetype(r.location + r.length);
}

TextRange range(qsizetype from, qsizetype to)
{
    return {quint64(from), quint64(std::max(from, to) - from)};
}

// The touched lines of selection without the last line's terminator, and whether there is one.
struct Lines {
    qsizetype start = 0;
    qsizetype end = 0; // before the last line's terminator
    bool terminated = false;
};

Lines touchedLines(QStringView text, TextRange selection)
{
    const TextRange lines = lineRangeForRange(text, selection);
    Lines l{qsizetype(lines.location), corvane::end(lines), false};
    if (l.end > l.start && text[l.end - 1] == u'\n') {
        --l.end;
        l.terminated = true;
    }
    return l;
}

// The replacement of [from, to) by replacement, selecting its lines (terminator included).
CommandResult replaceLines(QStringView text, const Lines &lines, const QString &replacement,
                           const char *action)
{
    if (QStringView(replacement) == text.mid(lines.start, lines.end - lines.start))
        return {std::nullopt, range(lines.start, lines.end + (lines.terminated ? 1 : 0))};
    CommandResult result;
    result.replacement =
        TextReplacement{range(lines.start, lines.end), replacement, QString::fromLatin1(action)};
    const qsizetype newEnd = lines.start + replacement.size() + (lines.terminated ? 1 : 0);
    result.selection = range(lines.start, newEnd);
    return result;
}

bool isUncommentMark(QChar c, bool firstLine, bool fixedForm)
{
    if (!fixedForm)
        return c == u'!';
    return c == u'C' || (firstLine && c == u'c');
}

bool isFixedFormCommentMark(QChar c)
{
    return c == u'C' || c == u'c' || c == u'*';
}

// Calls f(lineStart, lineEnd) for every line of [start, end) (an empty span is one empty line).
template <typename F> void forEachLine(QStringView text, qsizetype start, qsizetype stop, F f)
{
    qsizetype pos = start;
    while (true) {
        qsizetype feed = text.indexOf(u'\n', pos);
        if (feed < 0 || feed > stop)
            feed = stop;
        f(pos, feed);
        if (feed >= stop)
            break;
        pos = feed + 1;
    }
}

CommandResult replaceSelection(QStringView text, TextRange selection, const QString &with,
                               const char *action)
{
    const TextRange safe = safeRangeForRange(selection, quint64(text.size()));
    CommandResult result;
    result.replacement = TextReplacement{safe, with, QString::fromLatin1(action)};
    result.selection = {safe.location + quint64(with.size()), 0};
    return result;
}

} // namespace

TextRange commentedSpan(QStringView text, TextRange selection)
{
    const Lines lines = touchedLines(text, selection);
    return range(lines.start, lines.end);
}

CommandResult commentOutSelection(QStringView text, TextRange selection, bool fixedForm)
{
    const Lines lines = touchedLines(text, selection);
    const QChar mark = fixedForm ? u'C' : u'!';
    QString replacement;
    replacement.reserve(lines.end - lines.start + (lines.end - lines.start) / 8 + 1);
    replacement += mark;
    for (qsizetype i = lines.start; i < lines.end; ++i) {
        replacement += text[i];
        if (text[i] == u'\n')
            replacement += mark;
    }
    return replaceLines(text, lines, replacement, kCommentAction);
}

CommandResult unCommentOutSelection(QStringView text, TextRange selection, bool fixedForm)
{
    const Lines lines = touchedLines(text, selection);
    if (lines.end == lines.start) // an empty span changes nothing
        return {std::nullopt, selection};
    QString replacement;
    replacement.reserve(lines.end - lines.start);
    bool lineStart = true;
    bool firstLine = true;
    for (qsizetype i = lines.start; i < lines.end; ++i) {
        const QChar c = text[i];
        if (!(lineStart && isUncommentMark(c, firstLine, fixedForm)))
            replacement += c;
        lineStart = c == u'\n';
        if (lineStart)
            firstLine = false;
    }
    return replaceLines(text, lines, replacement, kUnCommentAction);
}

CommandResult toggleCommentSelection(QStringView text, TextRange selection, bool fixedForm)
{
    const Lines lines = touchedLines(text, selection);
    bool allCommented = true;
    bool firstLine = true;
    forEachLine(text, lines.start, lines.end, [&](qsizetype from, qsizetype to) {
        if (to == from || !isUncommentMark(text[from], firstLine, fixedForm))
            allCommented = false;
        firstLine = false;
    });
    return allCommented ? unCommentOutSelection(text, selection, fixedForm)
                        : commentOutSelection(text, selection, fixedForm);
}

CommentBlockSettings CommentBlockSettings::fromDefaults(const Defaults &defaults)
{
    CommentBlockSettings s;
    s.alignComments = defaults.boolValue(QLatin1String(keys::AligncommentsFlag));
    s.separator = defaults.stringValue(QLatin1String(keys::CommentSeparator));
    s.separatorExtent = defaults.value(QLatin1String(keys::CommentSeparatorExtent)).toLongLong();
    s.separatorLineWidth =
        defaults.value(QLatin1String(keys::CommentSeparatorLineWidth)).toLongLong();
    return s;
}

CommandResult makeSelectionIntoACommentBlock(QStringView text, TextRange selection,
                                             const CommentBlockSettings &settings)
{
    const TextRange whole = lineRangeForRange(text, selection);
    const qsizetype start = qsizetype(whole.location);

    // The prefix: as wide as the indentation of the line above the block.
    QString prefix = QStringLiteral("!");
    if (settings.alignComments) {
        qsizetype above = start;
        if (start > 0) {
            above = start - 1;
            while (above > 0 && text[above - 1] != u'\n')
                --above;
        }
        const QString indent = leadingWhitespace(text.mid(above));
        if (!indent.isEmpty())
            prefix = u'!' + indent.mid(1);
    }

    QStringList parts = text.mid(start, qsizetype(whole.length)).toString().split(u'\n');
    qsizetype width = 0;
    for (QString &part : parts) {
        const auto first = std::find_if(part.cbegin(), part.cend(),
                                        [](QChar c) { return c != u' ' && c != u'\t'; });
        // Any character that is no blank counts as text, so no symbol (=, +, &) is ever dropped.
        if (first != part.cend() && !first->isSpace())
            part = prefix + part.mid(first - part.cbegin());
        width = std::max(width, part.size());
    }
    if (settings.separatorExtent != 1)
        width = qsizetype(std::clamp<qint64>(settings.separatorLineWidth, 0, 100000));
    width = std::max(width, prefix.size());
    const QChar fill = settings.separator.isEmpty() ? QChar(u'-') : settings.separator.front();
    const QString frame = prefix + QString(width - prefix.size(), fill) + u'\n';

    QString body = parts.join(u'\n');
    if (!body.isEmpty() && !body.endsWith(u'\n'))
        body += u'\n'; // the block's last line is the text's last: the frame goes below it
    const QString replacement = QStringLiteral("!\n") + frame + body + frame + QStringLiteral("!\n");
    CommandResult result;
    result.replacement =
        TextReplacement{whole, replacement, QString::fromLatin1(kCommentBlockAction)};
    result.selection = {whole.location, quint64(replacement.size())};
    return result;
}

int indentSizeFromSetting(qint64 setting)
{
    return int(std::clamp<qint64>(setting, 1, 64));
}

CommandResult shiftLinesRight(QStringView text, TextRange selection, int indentSize,
                              bool fixedForm)
{
    const Lines lines = touchedLines(text, selection);
    const QString blanks(std::max(indentSize, 0), u' ');
    QString replacement;
    replacement.reserve(lines.end - lines.start + (lines.end - lines.start) / 4 + blanks.size());
    forEachLine(text, lines.start, lines.end, [&](qsizetype from, qsizetype to) {
        if (from > lines.start)
            replacement += u'\n';
        const bool comment = to > from && (text[from] == u'!' ||
                                           (fixedForm && isFixedFormCommentMark(text[from])));
        if (!comment)
            replacement += blanks;
        replacement += text.mid(from, to - from);
    });
    return replaceLines(text, lines, replacement, kShiftAction);
}

CommandResult shiftLinesLeft(QStringView text, TextRange selection, int indentSize)
{
    const Lines lines = touchedLines(text, selection);
    const qsizetype k = std::max(indentSize, 0);
    const qsizetype selectionEnd =
        end(safeRangeForRange(selection, quint64(text.size())));
    qsizetype shiftedEnd = selectionEnd;
    QString replacement;
    replacement.reserve(lines.end - lines.start);
    forEachLine(text, lines.start, lines.end, [&](qsizetype from, qsizetype to) {
        if (from > lines.start)
            replacement += u'\n';
        qsizetype blanks = 0;
        while (blanks < k && from + blanks < to && text[from + blanks] == u' ')
            ++blanks;
        if (k > 0 && blanks == k) {
            if (from < selectionEnd)
                shiftedEnd -= std::min(selectionEnd, from + k) - from;
            from += k;
        }
        replacement += text.mid(from, to - from);
    });
    CommandResult result = replaceLines(text, lines, replacement, kShiftAction);
    result.selection = range(lines.start, shiftedEnd);
    return result;
}

CommandResult insertRealKind(QStringView text, TextRange selection, const QString &realKind)
{
    return replaceSelection(text, selection, realKind, kInsertRealKindAction);
}

QString timeStamp(const QDateTime &when, const QLocale &locale)
{
    return locale.toString(when.date(), QLocale::ShortFormat) + u' ' +
           locale.toString(when.time(), QLocale::ShortFormat);
}

CommandResult insertDate(QStringView text, TextRange selection, const QDateTime &when,
                         const QLocale &locale)
{
    return replaceSelection(text, selection, timeStamp(when, locale), kInsertTimeStampAction);
}

CommandResult changeWordCase(QStringView text, TextRange selection, WordCase mode)
{
    const TextRange safe = safeRangeForRange(selection, quint64(text.size()));
    if (safe.length == 0)
        return {std::nullopt, safe};
    const QStringView part = text.mid(qsizetype(safe.location), qsizetype(safe.length));
    QString changed;
    const char *action = kUppercaseAction;
    switch (mode) {
    case WordCase::Upper:
        changed = part.toString().toUpper();
        break;
    case WordCase::Lower:
        changed = part.toString().toLower();
        action = kLowercaseAction;
        break;
    case WordCase::Capitalize: {
        changed = part.toString().toLower();
        // A selection that starts inside a word leaves that word's first letter alone.
        const qsizetype at = qsizetype(safe.location);
        bool inWord = at > 0 && (text[at - 1].isLetterOrNumber() || text[at - 1] == u'_');
        for (QChar &c : changed) {
            const bool wordChar = c.isLetterOrNumber() || c == u'_';
            if (wordChar && !inWord)
                c = c.toUpper();
            inWord = wordChar;
        }
        action = kCapitalizeAction;
        break;
    }
    }
    // Case changes that alter the length (German sharp s) still select what went in.
    if (changed == part)
        return {std::nullopt, safe};
    CommandResult result;
    result.replacement = TextReplacement{safe, changed, QString::fromLatin1(action)};
    result.selection = {safe.location, quint64(changed.size())};
    return result;
}

QString newLineIndentation(QStringView lineBeforeCaret, bool indentLines)
{
    if (!indentLines || lineBeforeCaret.isEmpty() || lineBeforeCaret.front() != u' ')
        return QString();
    return leadingWhitespace(lineBeforeCaret);
}

} // namespace corvane
