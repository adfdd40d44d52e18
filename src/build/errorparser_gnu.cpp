// The readers for gfortran, g95, LLVM flang and LFortran output.
#include "errorparser.h"
#include "textscanner.h"

namespace corvane
{

namespace
{

// "Error:", "Warning:", "Fatal Error:", "Note:"/"note:" ... at the start of a message line.
// Returns 0 when the line is not a message, 1 for a warning-like one, 2 for an error.
int gnuSeverity(QStringView line)
{
    struct Word {
        const char *text;
        int level;
    };
    static const Word kWords[] = {
        {"error", 2},
        {"fatal error", 2},
        {"internal error", 2},
        {"internal compiler error", 2},
        {"sorry, unimplemented", 2},
        {"warning", 1},
        {"note", 1},
        {"remark", 1},
    };
    for (const Word &w : kWords) {
        const QLatin1String word(w.text);
        if (line.size() > word.size() && line[word.size()] == QLatin1Char(':') &&
            line.startsWith(word, Qt::CaseInsensitive))
            return w.level;
    }
    return 0;
}

bool allDigits(QStringView s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// Digits, or digits "-" digits (an LFortran range); the first number goes to *first.
bool numberOrRange(QStringView s, quint64 *first)
{
    const qsizetype dash = s.indexOf(QLatin1Char('-'));
    if (dash < 0 ? !allDigits(s) : !(allDigits(s.first(dash)) && allDigits(s.sliced(dash + 1))))
        return false;
    *first = leadingNumber(s);
    return true;
}

struct Located {
    QStringView file;
    quint64 line = 0;
    quint64 column = 0;
    QStringView rest; // after "file:line:col:", leading blanks removed
};

// "file:line:col: rest" (line and column may be LFortran ranges "3-3:5-12"). The file is the text
// before the first colon that starts such a location.
std::optional<Located> splitLocated(QStringView line, bool allowRanges)
{
    qsizetype from = 0;
    for (;;) {
        const qsizetype c1 = line.indexOf(QLatin1Char(':'), from);
        if (c1 <= 0)
            return std::nullopt;
        const qsizetype c2 = line.indexOf(QLatin1Char(':'), c1 + 1);
        const qsizetype c3 = c2 < 0 ? -1 : line.indexOf(QLatin1Char(':'), c2 + 1);
        if (c3 < 0)
            return std::nullopt;
        Located loc;
        const QStringView a = line.sliced(c1 + 1, c2 - c1 - 1);
        const QStringView b = line.sliced(c2 + 1, c3 - c2 - 1);
        const bool ok = allowRanges ? numberOrRange(a, &loc.line) && numberOrRange(b, &loc.column)
                                    : allDigits(a) && allDigits(b);
        if (ok && c3 + 1 < line.size() && line[c3 + 1] == QLatin1Char(' ')) {
            if (!allowRanges) {
                loc.line = leadingNumber(a);
                loc.column = leadingNumber(b);
            }
            loc.file = line.first(c1);
            loc.rest = line.sliced(c3 + 1).trimmed();
            return loc;
        }
        from = c1 + 1;
    }
}

// Removes terminal colour sequences (ESC [ ... letter) that some compilers write even to pipes.
QString withoutColours(QStringView line)
{
    QString clean;
    clean.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == QChar(0x1b) && i + 1 < line.size() && line[i + 1] == QLatin1Char('[')) {
            i += 2;
            while (i < line.size() && !line[i].isLetter())
                ++i;
            continue;
        }
        clean.append(line[i]);
    }
    return clean;
}

// Calls f(line) for every line of text (without its line end).
template <typename F> void forEachLine(QStringView text, F f)
{
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        QStringView line = text.sliced(start, end - start);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        f(line);
        start = end + 1;
    }
}

QString replacedFirst(QStringView text, QStringView what, const QString &with)
{
    QString result = text.toString();
    const qsizetype at = result.indexOf(what);
    if (at >= 0)
        result.replace(at, what.size(), with);
    return result;
}

} // namespace

std::optional<ErrorsDictionary> ErrorParser::parseGFortranErrorString(const QString &text)
{
    enum class Layout { Undecided, Newer, Older };
    Layout layout = Layout::Undecided;
    QList<FindResult> rows;
    quint64 lastColumn = 0;
    TextScanner s(text);

    while (!s.atEnd()) {
        // A location line ends with ":"; other lines are passed over, except the one-line form
        // "file:line:col: Warning: text" that gfortran uses for a second message at one place.
        std::optional<QStringView> line;
        while ((line = s.takeLine()) && !line->endsWith(QLatin1Char(':'))) {
            if (layout == Layout::Older)
                continue;
            const std::optional<Located> one = splitLocated(*line, false);
            if (!one || !gnuSeverity(one->rest))
                continue;
            const QString colText = QStringLiteral("col. %1").arg(one->column);
            addRow(rows,
                   FindResult(one->file.toString(), replacedFirst(one->rest, u"(1)", colText),
                              one->line, one->column),
                   gnuSeverity(one->rest) == 1);
            lastColumn = one->column;
        }
        if (!line)
            break;
        s.stepOver(1);
        const QList<QStringView> parts = line->split(QLatin1Char(':'));
        const QStringView p0 = parts[0];
        if (p0 == QLatin1String("Fatal Error") || p0 == QLatin1String("Corvane") ||
            p0 == QLatin1String("make"))
            break;
        const quint64 n = leadingNumber(parts[1]);
        // Only a line with a line number decides the layout: gcc's "a.c: In function 'f':" before
        // the first Fortran message must not choose the older one.
        if (layout == Layout::Undecided && n != 0)
            layout = parts.size() == 4 ? Layout::Newer : Layout::Older;

        if (layout == Layout::Older && parts.size() >= 4) {
            // "file:line:col:text:" in the older layout: the text is on the line itself.
            QString message = parts[3].toString();
            if (parts.size() > 4)
                message += parts[4];
            for (int i = 0; i < 2; ++i) {
                (void)s.takeLine();
                s.stepOver(1);
            }
            const quint64 column = leadingNumber(parts[2]);
            addRow(rows, FindResult(p0.toString(), message, n, column), true);
            lastColumn = column;
            continue;
        }
        if (n == 0) {
            // A location-like line without a line number ("/usr/bin/ld: x.o: in function `f':").
            raiseLevel(1);
            continue;
        }
        if (parts.size() < 3)
            continue;

        quint64 column = lastColumn;
        QString colText;
        if (layout == Layout::Older) {
            const QList<QStringView> pieces = parts[1].split(QLatin1Char('.'));
            if (pieces.size() >= 2) {
                column = leadingNumber(pieces[1]);
                colText = QStringLiteral("col. ") + pieces[1].toString();
            } else {
                colText = QStringLiteral("col. 1");
            }
        } else {
            column = leadingNumber(parts[2]);
            colText = QStringLiteral("col. %1").arg(column);
        }

        // The message is the first following line that begins with a severity word; source and
        // marker lines, "......" and further location lines of the same message come before it.
        std::optional<QStringView> message;
        int severity = 0;
        bool secondLocation = false;
        while ((message = s.takeLine())) {
            s.stepOver(1);
            severity = gnuSeverity(*message);
            if (severity)
                break;
            if (message->endsWith(QLatin1Char(':'))) {
                const QList<QStringView> more = message->split(QLatin1Char(':'));
                secondLocation =
                    secondLocation || (more.size() >= 3 && leadingNumber(more[1]) != 0);
            }
        }
        if (!message)
            break; // cut off at the end of the output: no row
        QStringView messageText = *message;
        if (secondLocation)
            messageText = cutBefore(messageText, u",");
        addRow(rows,
               FindResult(p0.toString(), replacedFirst(messageText, u"(1)", colText), n, column),
               severity == 1);
        lastColumn = column;
    }
    return finish(rows);
}

std::optional<ErrorsDictionary> ErrorParser::parseG95ErrorString(const QString &text)
{
    QList<FindResult> rows;
    TextScanner s(cutBefore(text, u"make: ***"));
    while (!s.atEnd()) {
        const qsizetype start = s.position();
        (void)s.takeUpTo(QLatin1Char('/'));
        const std::optional<QStringView> file = s.takeUpTo(QLatin1Char(':'));
        if (!file || s.atEnd())
            break;
        s.stepOver(1);
        const std::optional<QStringView> lineText = s.takeLine();
        s.stepOver(1);
        const std::optional<QStringView> source = s.takeLine();
        s.stepOver(1);
        const qsizetype markerStart = s.position();
        const std::optional<QStringView> marker = s.takeLine();
        const quint64 column = quint64(s.position() - markerStart);
        s.stepOver(1);
        const std::optional<QStringView> message = s.takeLine();
        if (!lineText || !source || !marker || !message || s.position() <= start)
            break; // cut off: no row from half a diagnostic
        const QString colText = QStringLiteral("col. %1").arg(column);
        addRow(rows,
               FindResult(file->toString(), replacedFirst(*message, u"(1)", colText),
                          leadingNumber(*lineText), column),
               message->contains(QLatin1String("Warning")));
    }
    return finish(rows);
}

std::optional<ErrorsDictionary> ErrorParser::parseFlangErrorString(const QString &text)
{
    QList<FindResult> rows;
    forEachLine(text, [&](QStringView raw) {
        QString clean;
        QStringView line = raw;
        if (line.contains(QChar(0x1b))) {
            clean = withoutColours(line);
            line = clean;
        }
        const std::optional<Located> loc = splitLocated(line.trimmed(), false);
        if (!loc)
            return;
        // "in the context:" lines and attached notes without a severity repeat the diagnostic
        // above them; they are passed over.
        const int severity = gnuSeverity(loc->rest);
        const bool portability = loc->rest.startsWith(QLatin1String("portability:"));
        if (!severity && !portability)
            return;
        addRow(rows, FindResult(loc->file.toString(), loc->rest.toString(), loc->line, loc->column),
               portability || severity == 1);
    });
    return finish(rows);
}

std::optional<ErrorsDictionary> ErrorParser::parseLFortranErrorString(const QString &text)
{
    QList<FindResult> rows;
    QString pendingMessage; // "semantic error: ..." waiting for its " --> file:line:col" line
    QStringView all = text;
    while (all.startsWith(QLatin1Char(' '))) // the blank the build driver puts in front
        all = all.sliced(1);
    forEachLine(all, [&](QStringView raw) {
        QString clean;
        QStringView line = raw;
        if (line.contains(QChar(0x1b))) {
            clean = withoutColours(line);
            line = clean;
        }
        const QStringView trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1String("-->"))) {
            if (pendingMessage.isEmpty())
                return;
            // "file:line:col" or "file:line:col - line:col"
            QStringView where = cutBefore(trimmed.sliced(3).trimmed(), u" ");
            const qsizetype c2 = where.lastIndexOf(QLatin1Char(':'));
            const qsizetype c1 = c2 <= 0 ? -1 : where.lastIndexOf(QLatin1Char(':'), c2 - 1);
            if (c1 <= 0)
                return;
            FindResult row(where.first(c1).toString(), pendingMessage,
                           leadingNumber(where.sliced(c1 + 1)),
                           leadingNumber(where.sliced(c2 + 1)));
            addRow(rows, row, !pendingMessage.contains(QLatin1String("error")));
            pendingMessage.clear();
            return;
        }
        if (line.isEmpty() || line[0].isSpace())
            return;
        if (const std::optional<Located> loc = splitLocated(line, true)) {
            addRow(rows,
                   FindResult(loc->file.toString(), loc->rest.toString(), loc->line, loc->column),
                   !cutBefore(loc->rest, u":").contains(QLatin1String("error")));
            pendingMessage.clear();
            return;
        }
        // A severity line: "syntax error:", "semantic error:", "warning:", "style suggestion:" ...
        // Anything else (the closing "Note: Please report ...") is passed over.
        const QStringView severity = line.first(qMax(line.indexOf(QLatin1Char(':')), qsizetype(0)));
        static const char *const kOtherWords[] = {"warning", "style suggestion", "note", "help",
                                                  "remark"};
        bool known = severity.endsWith(QLatin1String("error"));
        for (const char *w : kOtherWords)
            known = known || severity == QLatin1String(w);
        pendingMessage = known ? line.toString() : QString();
    });
    return finish(rows);
}

} // namespace corvane
