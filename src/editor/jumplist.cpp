#include "jumplist.h"

namespace corvane
{

JumpList::JumpList()
    : m_entries{QString::fromLatin1(StructureScanner::Top),
                QString::fromLatin1(StructureScanner::End)}
{
}

QString JumpList::selectedTitle() const
{
    return m_selected >= 0 && m_selected < m_entries.size() ? m_entries[m_selected] : QString();
}

void JumpList::select(qsizetype index)
{
    if (index >= 0 && index < m_entries.size())
        m_selected = index;
}

void JumpList::rebuild(QStringView text, const StructureScanner &scanner)
{
    const QString selected = selectedTitle();
    m_entries = StructureScanner::titles(scanner.constructJumpList(text));
    const qsizetype again = m_entries.indexOf(selected);
    m_selected = again < 0 ? 0 : again;
    m_needsUpdating = false;
}

void JumpList::prepareForPopUp(QStringView text, const StructureScanner &scanner)
{
    if (!m_needsUpdating && text.count(u'\n') + 1 > kLargeTextLines)
        return;
    rebuild(text, scanner);
}

void JumpList::synchronize(const QString &unit)
{
    if (!m_entries.contains(unit)) {
        const QString selected = selectedTitle();
        const bool fixedEntry = selected == QLatin1StringView(StructureScanner::Top) ||
                                selected == QLatin1StringView(StructureScanner::End);
        if (!fixedEntry && unit.contains(selected))
            m_entries[m_selected] = unit;
        else if (selected == QLatin1StringView(StructureScanner::End))
            m_entries.insert(m_selected, unit);
        else
            m_entries.insert(m_selected + 1, unit);
        m_needsUpdating = false;
    }
    m_selected = m_entries.indexOf(unit);
}

QList<JumpListItem> JumpList::items() const
{
    QList<JumpListItem> list;
    list.reserve(m_entries.size());
    for (const QString &title : m_entries)
        list.append({title, title.startsWith(u"module") || title.startsWith(u"submodule"),
                     title.contains(QLatin1StringView(StructureScanner::MarkText))});
    return list;
}

QString JumpList::selectedProcedure() const
{
    const QString title = selectedTitle();
    return title.section(u' ', -1, -1, QString::SectionSkipEmpty);
}

QString JumpList::moduleOfSelection() const
{
    for (qsizetype i = qMin(m_selected, m_entries.size() - 1); i >= 0; --i) {
        const QString &title = m_entries[i];
        if (!title.contains(u"module", Qt::CaseInsensitive))
            continue;
        const QStringList words = title.split(u' ', Qt::SkipEmptyParts);
        if (words.size() >= 2 &&
            (words.first().toLower() == u"module" || words.first().toLower() == u"submodule"))
            return words.last();
    }
    return QString();
}

} // namespace corvane
