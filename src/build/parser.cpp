#include "parser.h"

namespace corvane
{

QStringList Parser::parseforIncludePaths(const QString &flags)
{
    QStringList tokens;
    QString token;
    bool open = false;
    bool quoted = false;
    const QStringList pieces = flags.split(QLatin1Char(' '));
    for (const QString &piece : pieces) {
        if (piece.isEmpty())
            continue;
        if (!open) {
            token.clear();
            open = true;
            quoted = piece.startsWith(QLatin1Char('"'));
        }
        token += piece;
        if (piece.endsWith(QLatin1Char('\\'))) {
            token += QLatin1Char(' ');
            continue;
        }
        // A lone opening quotation mark does not close the token it opens.
        const bool closes = piece.endsWith(QLatin1Char('"')) && !(token == QLatin1String("\""));
        if (quoted && !closes) {
            token += QLatin1Char(' ');
            continue;
        }
        tokens << token;
        open = false;
    }
    return tokens;
}

QString Parser::unquotedPath(const QString &token)
{
    if (token.size() >= 2 && token.startsWith(QLatin1Char('"')) && token.endsWith(QLatin1Char('"')))
        return token.mid(1, token.size() - 2);
    return token;
}

} // namespace corvane
