// StringPool: keeps one copy of each text and each string list that repeat across the records of
// one file (names such as "i" or "n", type and attribute texts, whole attribute lists), so that
// records share them through implicit sharing instead of holding copies. Pooled copies hold no
// spare capacity. A pool lives as long as one parse; what it handed out stays valid after it.
//
// Not thread-safe: one pool per parser. The strings it returns are ordinary QStrings, safe to
// read from any thread once the records are published.
#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace corvane
{

class StringPool
{
public:
    // The pooled text equal to text. Null stays null and empty stays empty (neither is stored).
    QString intern(QStringView text);
    QString intern(const QString &text);
    // The pooled lower-case form of text: what QString::toLower() gives, shared.
    QString internLower(QStringView text);
    // The same for a text this pool handed out, without a lookup when it is lower case already
    // (then it is returned itself). Keys made from pooled names so cost nothing.
    QString lowerOf(const QString &pooled);
    // The pooled list equal to list, its strings pooled too; an empty list gives QStringList().
    QStringList intern(const QStringList &list);

private:
    // Keys view the characters of their values, which never change while they are stored.
    QHash<QStringView, QString> m_strings;
    QSet<QStringList> m_lists;
};

} // namespace corvane
