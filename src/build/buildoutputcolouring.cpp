#include "buildoutputcolouring.h"

#include <QRegularExpression>

namespace corvane
{

namespace
{

// "file.f90:12:7:" or "file.f90:12:" alone on its line: gfortran's diagnostic header.
bool isLocationHeader(const QString &line)
{
    static const QRegularExpression header(QStringLiteral(R"(^\S.*:\d+(?:[.:-]\d+)*:\s*$)"));
    return header.match(line).hasMatch();
}

bool startsWithWord(const QString &line, const char *word)
{
    return line.startsWith(QLatin1String(word), Qt::CaseInsensitive);
}

// A line that is a warning by itself: "p.f90:3:7: warning: ...", "p.f90(3): warning #6843: ...",
// "Warning: p.f90, line 3: ...", "make: warning: ...", "PGF90-W-0155-...".
bool isWarningLine(const QString &line)
{
    static const QRegularExpression warning(
        QStringLiteral(R"((^|[\s:])warning(\s*#\d+)?\s*:|^PGF\w*-W-)"),
        QRegularExpression::CaseInsensitiveOption);
    return warning.match(line).hasMatch();
}

} // namespace

QList<BuildOutputColouring::Piece> BuildOutputColouring::feed(const QString &text)
{
    QList<Piece> out;
    m_partial += text;
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = m_partial.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            break;
        addLine(m_partial.sliced(start, end + 1 - start), out);
        start = end + 1;
    }
    m_partial.remove(0, start);
    return out;
}

QList<BuildOutputColouring::Piece> BuildOutputColouring::finish()
{
    QList<Piece> out;
    if (!m_partial.isEmpty())
        addLine(std::exchange(m_partial, QString()), out);
    release(Console::Role::Error, out);
    return out;
}

void BuildOutputColouring::reset()
{
    m_partial.clear();
    m_held.clear();
}

void BuildOutputColouring::addLine(const QString &line, QList<Piece> &out)
{
    const QString bare = line.trimmed();
    if (isLocationHeader(bare)) {
        release(Console::Role::Error, out); // a header without verdict: told as it was
        m_held << line;
        return;
    }
    if (!m_held.isEmpty()) {
        m_held << line;
        if (startsWithWord(bare, "warning:") || startsWithWord(bare, "note:") ||
            startsWithWord(bare, "remark:"))
            release(Console::Role::Info, out);
        else if (startsWithWord(bare, "error:") || startsWithWord(bare, "fatal error:") ||
                 m_held.size() >= kMaxHeldLines)
            release(Console::Role::Error, out);
        return;
    }
    const Console::Role role = isWarningLine(bare) ? Console::Role::Info : Console::Role::Error;
    if (!out.isEmpty() && out.last().role == role)
        out.last().text += line;
    else
        out.append({line, role});
}

void BuildOutputColouring::release(Console::Role role, QList<Piece> &out)
{
    if (m_held.isEmpty())
        return;
    const QString text = m_held.join(QString());
    m_held.clear();
    if (!out.isEmpty() && out.last().role == role)
        out.last().text += text;
    else
        out.append({text, role});
}

} // namespace corvane
