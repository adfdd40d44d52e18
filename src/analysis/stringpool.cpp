#include "analysis/stringpool.h"

#include <QVarLengthArray>

namespace corvane
{

QString StringPool::intern(QStringView text)
{
    if (text.isNull())
        return QString();
    if (text.isEmpty())
        return QStringLiteral("");
    const auto it = m_strings.constFind(text);
    if (it != m_strings.constEnd())
        return *it;
    const QString stored = text.toString();
    m_strings.insert(QStringView(stored), stored);
    return stored;
}

QString StringPool::intern(const QString &text)
{
    if (text.isEmpty())
        return text; // null or empty: nothing to share, and the distinction is kept
    const auto it = m_strings.constFind(QStringView(text));
    if (it != m_strings.constEnd())
        return *it;
    // A text built by appending holds spare capacity, and one made with fromRawData does not own
    // its characters (its capacity reads 0): store an exact copy of either.
    QString stored = text.capacity() != text.size() ? QString(text.constData(), text.size()) : text;
    m_strings.insert(QStringView(stored), stored);
    return stored;
}

QString StringPool::internLower(QStringView text)
{
    // ASCII, which names nearly always are, is lowered on the stack; any other text goes through
    // QString::toLower so that the result is exactly what it gives.
    QVarLengthArray<char16_t, 64> lowered(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x80)
            return intern(text.toString().toLower());
        lowered[i] = (c >= u'A' && c <= u'Z') ? char16_t(c + (u'a' - u'A')) : c;
    }
    if (text.isNull())
        return QString();
    return intern(QStringView(lowered.constData(), lowered.size()));
}

QString StringPool::lowerOf(const QString &pooled)
{
    for (const QChar c : pooled) {
        if (c.unicode() >= 0x80 || (c >= u'A' && c <= u'Z'))
            return internLower(pooled);
    }
    return pooled;
}

QStringList StringPool::intern(const QStringList &list)
{
    if (list.isEmpty())
        return QStringList();
    const auto it = m_lists.constFind(list);
    if (it != m_lists.constEnd())
        return *it;
    QStringList stored;
    stored.reserve(list.size());
    for (const QString &s : list)
        stored.append(intern(s));
    m_lists.insert(stored);
    return stored;
}

} // namespace corvane
