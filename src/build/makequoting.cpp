#include "makequoting.h"

namespace corvane::makequoting
{

namespace
{

const QLatin1String kShellSpecial(" \t'\"`\\()&|<>*?~#;=[]{}!^$");

bool isMakeWordSpecial(QChar c, bool asTarget)
{
    switch (c.unicode()) {
    case ' ':
    case '\t':
    case '#':
    case '|':
    case '*':
    case '?':
    case '[':
        return true;
    case '%':
        return asTarget;
    default:
        return false;
    }
}

QString makeWord(const QString &path, bool asTarget)
{
    QString out;
    out.reserve(path.size() + 8);
    // Keeps a leading tilde from being read as a home directory.
    if (path.startsWith(QLatin1Char('~')))
        out += QLatin1String("./");
    qsizetype backslashes = 0;
    for (const QChar c : path) {
        if (c == QLatin1Char('\\')) {
            ++backslashes;
            continue;
        }
        if (isMakeWordSpecial(c, asTarget)) {
            // Backslashes just before an escaped character must be escaped themselves.
            out += QString(2 * backslashes + 1, QLatin1Char('\\'));
            out += c;
        } else {
            out += QString(backslashes, QLatin1Char('\\'));
            if (c == QLatin1Char('$'))
                out += QLatin1String("$$");
            else if (c == QLatin1Char('='))
                out += QLatin1String("$(firstword =)");
            else
                out += c;
        }
        backslashes = 0;
    }
    out += QString(backslashes, QLatin1Char('\\'));
    return out;
}

} // namespace

QString inexpressibleReason(const QString &path)
{
    if (path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r')))
        return QStringLiteral("it contains a line break");
    if (path.contains(QLatin1Char(';')))
        return QStringLiteral("it contains \";\"");
    if (path.contains(QLatin1Char(':')))
        return QStringLiteral("it contains \":\"");
    if (path.endsWith(QLatin1Char('\\')))
        return QStringLiteral("it ends with a backslash");
    if (path.endsWith(QLatin1Char(')')) && path.contains(QLatin1Char('(')))
        return QStringLiteral("make would read a name ending in \")\" as an archive member");
    return QString();
}

QString prerequisite(const QString &path)
{
    return makeWord(path, false);
}

QString target(const QString &name)
{
    return makeWord(name, true);
}

QString shellWord(const QString &path)
{
    QString out;
    out.reserve(path.size() + 8);
    for (const QChar c : path) {
        if (c == QLatin1Char('$'))
            out += QLatin1String("\\$$");
        else if (kShellSpecial.contains(c))
            out += QLatin1Char('\\') + c;
        else
            out += c;
    }
    return out;
}

QString includeToken(const QString &token)
{
    if (token.size() < 2 || !token.startsWith(QLatin1Char('"')) ||
        !token.endsWith(QLatin1Char('"')))
        return token;
    const QString inner = token.mid(1, token.size() - 2);
    for (qsizetype i = 0; i < inner.size(); ++i) {
        const QChar c = inner[i];
        const bool variable =
            c == QLatin1Char('$') && i + 1 < inner.size() &&
            (inner[i + 1] == QLatin1Char('(') || inner[i + 1] == QLatin1Char('{'));
        if (c == QLatin1Char('`') || c == QLatin1Char('"') || c == QLatin1Char('\\') ||
            c == QLatin1Char('#') || (c == QLatin1Char('$') && !variable))
            return shellWord(inner);
    }
    return token;
}

bool isPlainForShell(const QString &name)
{
    for (const QChar c : name)
        if (kShellSpecial.contains(c) || c == QLatin1Char('%') || c == QLatin1Char(':') ||
            c.unicode() < 0x20)
            return false;
    return true;
}

QString plainObjectName(const QString &name)
{
    QString out = name;
    for (QChar &c : out)
        if (kShellSpecial.contains(c) || c == QLatin1Char('%') || c == QLatin1Char(':') ||
            c.unicode() < 0x20)
            c = QLatin1Char('_');
    return out;
}

} // namespace corvane::makequoting
