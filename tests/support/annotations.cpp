#include "annotations.h"

#include <gtest/gtest.h>

namespace corvane::test
{

Annotations::Annotations(const char *annotatedUtf8, QChar pointMark)
    : Annotations(QString::fromUtf8(annotatedUtf8), pointMark)
{
}

Annotations::Annotations(const QString &annotated, QChar pointMark)
{
    QList<qsizetype> open;
    for (QChar c : annotated) {
        if (c == pointMark) {
            m_points.append(m_code.size());
        } else if (c == u'\u00AB') {
            open.append(m_code.size());
        } else if (c == u'\u00BB') {
            if (open.isEmpty()) {
                ADD_FAILURE() << "unopened range in " << annotated.toStdString();
                continue;
            }
            const qsizetype start = open.takeLast();
            m_ranges.append({quint64(start), quint64(m_code.size() - start)});
        } else {
            m_code.append(c);
        }
    }
    if (!open.isEmpty())
        ADD_FAILURE() << "unclosed range in " << annotated.toStdString();
}

qsizetype Annotations::point() const
{
    if (m_points.size() != 1) {
        ADD_FAILURE() << m_points.size() << " points in " << m_code.toStdString();
        return m_points.isEmpty() ? 0 : m_points.first();
    }
    return m_points.first();
}

TextRange Annotations::range() const
{
    if (m_ranges.size() != 1) {
        ADD_FAILURE() << m_ranges.size() << " ranges in " << m_code.toStdString();
        return m_ranges.isEmpty() ? TextRange{} : m_ranges.first();
    }
    return m_ranges.first();
}

} // namespace corvane::test
