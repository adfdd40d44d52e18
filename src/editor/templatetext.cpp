#include "templatetext.h"

namespace corvane
{

QString leadingWhitespace(QStringView line)
{
    qsizetype i = 0;
    while (i < line.size() && (line[i] == u' ' || line[i] == u'\t'))
        ++i;
    return line.left(i).toString();
}

QString indentTemplate(const QString &templateText, const QString &indent)
{
    QStringList lines = templateText.split(u'\n');
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast(); // the template's own final line feed
    QString result = lines.first().startsWith(u'!') ? lines.first().trimmed() : lines.first();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString &line = lines[i];
        result += u'\n';
        if (line.isEmpty()) {
            result += indent;
            continue;
        }
        if (!line.startsWith(u'!') || line.startsWith(QLatin1String("!^")))
            result += indent;
        result += line;
        result += u' ';
    }
    return result;
}

QString templateTextForLine(const QVariantMap &templates, const QString &name,
                            QStringView lineText)
{
    const auto it = templates.constFind(name);
    if (it == templates.constEnd() || !it->canConvert<QString>())
        return QString();
    const QString text = it->toString();
    if (lineText.isEmpty() || (lineText.front() != u' ' && lineText.front() != u'\t'))
        return text;
    return indentTemplate(text, leadingWhitespace(lineText));
}

} // namespace corvane
