// The readers for PGI/NVIDIA, Intel, Absoft (both layouts) and NAG output.
#include "errorparser.h"
#include "textscanner.h"

namespace corvane
{

namespace
{

// Finds the next message code, "PGF90-S-..." or "NVFORTRAN-S-...", at or after a position that
// only moves forward. Each code's next occurrence is remembered, so a code that is absent is
// searched for once, not once per message: the walk stays linear in the text.
class PgiCodeFinder
{
public:
    explicit PgiCodeFinder(QStringView text) : m_text(text) {}
    qsizetype next(qsizetype from)
    {
        refresh(m_pgf, u"PGF", from);
        refresh(m_nv, u"NVFORTRAN", from);
        if (m_pgf < 0)
            return m_nv;
        return m_nv < 0 ? m_pgf : qMin(m_pgf, m_nv);
    }

private:
    static constexpr qsizetype kUnknown = -2;
    void refresh(qsizetype &at, QStringView code, qsizetype from)
    {
        if (at == kUnknown || (at >= 0 && at < from))
            at = m_text.indexOf(code, from);
    }
    QStringView m_text;
    qsizetype m_pgf = kUnknown;
    qsizetype m_nv = kUnknown;
};

// The message kinds nagfor writes at the start of a diagnostic line.
bool isNagKind(QStringView kind)
{
    static const char *const kKinds[] = {"Error",       "Fatal Error", "Warning",
                                         "Extension",   "Info",        "Questionable",
                                         "Obsolescent", "Remark",      "Deleted feature used",
                                         "Panic",       "Note"};
    for (const char *k : kKinds)
        if (kind == QLatin1String(k))
            return true;
    return false;
}

} // namespace

std::optional<ErrorsDictionary> ErrorParser::parsePGFortranErrorString(const QString &text)
{
    QList<FindResult> rows;
    const QStringView all = cutBefore(text, u"make: ***");
    TextScanner s(all);
    PgiCodeFinder codes(all);
    while (!s.atEnd()) {
        const qsizetype code = codes.next(s.position());
        if (code < 0)
            break;
        s.setPosition(code);
        const std::optional<QStringView> message = s.takeUpTo(QLatin1Char('('));
        if (!message || s.atEnd())
            break;
        s.stepOver(1);
        const std::optional<QStringView> location = s.takeUpTo(QLatin1Char(')'));
        if (!location || s.atEnd())
            break;
        FindResult row(location->toString(), message->toString(), 1, 0);
        const qsizetype colon = location->indexOf(QLatin1Char(':'));
        if (colon >= 0) {
            row.filePath = location->first(colon).toString();
            row.lineNumber = leadingNumber(location->sliced(colon + 1));
        }
        addRow(rows, row, false);
    }
    // Every PGI build with error output counts as failed, whether or not a message was read.
    raiseLevel(2);
    return finish(rows);
}

std::optional<ErrorsDictionary> ErrorParser::parseIFortErrorString(const QString &text)
{
    // One diagnostic per line "path(line): severity #number: message"; the source and caret lines
    // after it, "compilation aborted for ..." and driver remarks ("ifort: remark #10448") do not
    // have that form and are passed over.
    QList<FindResult> rows;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        QStringView line = QStringView(text).sliced(start, end - start).trimmed();
        start = end + 1;
        const qsizetype close = line.indexOf(QLatin1String("):"));
        if (close <= 0)
            continue;
        const qsizetype open = line.lastIndexOf(QLatin1Char('('), close);
        if (open <= 0 || open + 1 == close)
            continue;
        const QStringView number = line.sliced(open + 1, close - open - 1);
        bool digits = true;
        for (QChar c : number)
            digits = digits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (!digits)
            continue;
        const QStringView message = line.sliced(close + 1);
        addRow(
            rows,
            FindResult(line.first(open).toString(), message.toString(), leadingNumber(number), 0),
            !message.contains(QLatin1String("error")));
    }
    return finish(rows);
}

std::optional<ErrorsDictionary> ErrorParser::parseAbsoftErrorString(const QString &text)
{
    QList<FindResult> rows;
    TextScanner s(cutBefore(text, u"make: ***"));
    while (!s.atEnd()) {
        const qsizetype start = s.position();
        const std::optional<QStringView> kind = s.takeUpTo(u"File = ");
        if (!kind || s.atEnd())
            break;
        s.stepOver(7);
        const std::optional<QStringView> file = s.takeUpTo(QLatin1Char(','));
        (void)s.takeUpTo(u"Line = ");
        s.stepOver(7);
        const std::optional<QStringView> lineText = s.takeUpTo(QLatin1Char(','));
        (void)s.takeUpTo(u"Column = ");
        s.stepOver(9);
        const std::optional<QStringView> columnText = s.takeLine();
        s.stepOver(1);
        const std::optional<QStringView> message = s.takeLine();
        if (!file || !lineText || !columnText || !message || s.position() <= start)
            break; // cut off: no row from half a diagnostic
        addRow(rows,
               FindResult(file->toString(), message->toString(), leadingNumber(*lineText),
                          leadingNumber(*columnText)),
               !kind->contains(QLatin1String("error"), Qt::CaseInsensitive));
    }
    return finish(rows);
}

std::optional<ErrorsDictionary> ErrorParser::parseAbsoftNewErrorString(const QString &text)
{
    QList<FindResult> rows;
    QString prefix = QStringLiteral(" ");
    TextScanner s(cutBefore(text, u"make: ***"));
    while (!s.atEnd()) {
        const qsizetype start = s.position();
        const std::optional<QStringView> kind = s.takeUpTo(QLatin1Char('/'));
        if (!kind || s.atEnd())
            break;
        const std::optional<QStringView> file = s.takeUpTo(QLatin1Char(':'));
        s.stepOver(1);
        const std::optional<QStringView> lineText = s.takeUpTo(QLatin1Char(','));
        s.stepOver(1);
        const std::optional<QStringView> columnText = s.takeLine();
        s.stepOver(1);
        const std::optional<QStringView> message = s.takeLine();
        if (!file || !lineText || !columnText || !message || s.position() <= start)
            break; // cut off: no row from half a diagnostic
        const bool error = kind->contains(QLatin1String("ERROR"));
        // After the first error the prefix stays "Error: " for the warnings that follow.
        if (error)
            prefix = QStringLiteral("Error: ");
        else if (m_maxErrorLevel != 2)
            prefix = QStringLiteral("Warning: ");
        addRow(rows,
               FindResult(file->toString(), prefix + message->toString(), leadingNumber(*lineText),
                          leadingNumber(*columnText)),
               !error);
    }
    return finish(rows);
}

std::optional<ErrorsDictionary> ErrorParser::parseNAGErrorString(const QString &text)
{
    // "Kind: file, line N: message" (nagfor writes "line" in lower case), or "Kind: file: message"
    // for a message without a line (line 0). Other lines, such as the "detected at" continuation of
    // a syntax error, are passed over; the "[NAG Fortran Compiler ...]" summary ends the reading.
    QList<FindResult> rows;
    const QStringView all = cutBefore(text, u"[NAG");
    qsizetype start = 0;
    while (start < all.size()) {
        qsizetype end = all.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = all.size();
        const QStringView line = all.sliced(start, end - start).trimmed();
        start = end + 1;
        const qsizetype colon = line.indexOf(QLatin1String(": "));
        if (colon <= 0)
            continue;
        const QStringView kind = line.first(colon);
        if (!isNagKind(kind))
            continue;
        const QStringView rest = line.sliced(colon + 2);
        const qsizetype at = rest.indexOf(QLatin1String(", line "), 0, Qt::CaseInsensitive);
        FindResult row;
        if (at > 0) {
            const QStringView after = rest.sliced(at + 7);
            const qsizetype end = after.indexOf(QLatin1Char(':'));
            if (end < 0)
                continue;
            row = FindResult(rest.first(at).toString(), after.sliced(end + 1).trimmed().toString(),
                             leadingNumber(after.first(end)), 0);
        } else {
            const qsizetype end = rest.indexOf(QLatin1String(": "));
            if (end <= 0)
                continue;
            row = FindResult(rest.first(end).toString(), rest.sliced(end + 2).trimmed().toString(),
                             0, 0);
        }
        addRow(rows, row, !kind.contains(QLatin1String("Error")));
    }
    return finish(rows);
}

} // namespace corvane
