// Annotations: a source text with its expected positions marked inline, for position tests.
// "^" marks a point (the caret) and "«…»" a range; the markers are removed from code():
//     Annotations a("subroutine «solve»(a)\n  x = ^1\n");
//     a.code() == "subroutine solve(a)\n  x = 1\n", a.range() == {11, 5}, a.point() == 27
// Sources that hold "^" themselves (insert markers "!^") choose another point mark.
#pragma once

#include "project/textrange.h"

#include <QList>
#include <QString>

#include <ostream>

namespace corvane::test
{

class Annotations
{
public:
    explicit Annotations(const char *annotatedUtf8, QChar pointMark = u'^');
    explicit Annotations(const QString &annotated, QChar pointMark = u'^');

    const QString &code() const { return m_code; }
    // The one point; fails the current test when there is not exactly one.
    qsizetype point() const;
    const QList<qsizetype> &points() const { return m_points; }
    // The one range; fails the current test when there is not exactly one.
    TextRange range() const;
    const QList<TextRange> &ranges() const { return m_ranges; }

private:
    QString m_code;
    QList<qsizetype> m_points;
    QList<TextRange> m_ranges;
};

} // namespace corvane::test

namespace corvane
{
// Readable failure messages for ranges.
inline void PrintTo(const TextRange &r, std::ostream *os)
{
    *os << "{" << r.location << ", " << r.length << "}";
}
} // namespace corvane
