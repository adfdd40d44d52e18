// LineScanner: the light, case-insensitive line scan used to find USE, INCLUDE and MODULE lines
// without parsing Fortran. It searches for a keyword as a plain substring and hands back the
// tokens of the whole line that holds it; each line is taken at most once per pass.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace corvane
{

class LineScanner
{
public:
    explicit LineScanner(QString text) : m_text(std::move(text)) {}

    // Moves to the next occurrence of keyword (any letter case; the end of the text when there
    // is none), takes the line holding it and leaves the position after that line. Returns the
    // line's tokens (trimmed, split at comma, blank, line feed and colon, empty pieces dropped),
    // or none when that line is empty. Tabs do not separate tokens. When the keyword does not
    // occur any more and the text does not end with a line break, its last line comes back.
    std::optional<QStringList> tokensFromLineWithKeyword(QStringView keyword);

    bool atEnd() const { return m_position >= m_text.size(); }
    void rewind() { m_position = 0; }
    qsizetype position() const { return m_position; }
    const QString &text() const { return m_text; }

    // Splits one line as above: "USE Foo, ONLY: bar" -> USE, Foo, ONLY, bar.
    static QStringList tokensOfLine(QStringView line);

private:
    QString m_text;
    qsizetype m_position = 0;
};

} // namespace corvane
