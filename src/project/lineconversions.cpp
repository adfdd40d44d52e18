#include "lineconversions.h"

#include "project/prompts.h"

namespace corvane
{

namespace
{
const QStringList kYesNo{"Yes", "No"};
}

bool LineConversions::lineEndingsAndTabsAreOKIn(QString &text)
{
    m_conversionsWereMade = false;
    const bool endingsOK = lineEndingsAreCorrectIn(text);
    const bool tabs = tabsFoundIn(text);
    return endingsOK && !tabs;
}

int LineConversions::lineEndingTypeInString(const QString &text)
{
    if (text.contains(QLatin1String("\r\n")))
        return 2;
    if (text.contains(QLatin1Char('\r')))
        return 1;
    return 0;
}

bool LineConversions::lineEndingsAreCorrectIn(QString &text)
{
    const int kind = lineEndingTypeInString(text);
    if (kind == 0)
        return true;
    if (m_prompts.ask(kLineEndingQuestion, QString(), kYesNo) != 0)
        return false;
    convertLineEndingsIn(text, kind);
    m_conversionsWereMade = true;
    return true;
}

bool LineConversions::tabsFoundIn(QString &text)
{
    if (!text.contains(QLatin1Char('\t')))
        return false;
    if (m_prompts.ask(kTabQuestion, QString(), kYesNo) != 0)
        return true;
    convertTabsIn(text, m_tabWidth);
    m_conversionsWereMade = true;
    return false;
}

bool LineConversions::convertLineEndingsIn(QString &text, int kind)
{
    const QString from = kind == 2 ? QStringLiteral("\r\n") : QStringLiteral("\r");
    if (!text.contains(from))
        return false;
    text.replace(from, QStringLiteral("\n"));
    return true;
}

bool LineConversions::convertTabsIn(QString &text, int width)
{
    if (!text.contains(QLatin1Char('\t')))
        return false;
    text.replace(QLatin1Char('\t'), QString(qMax(0, width), QLatin1Char(' ')));
    return true;
}

} // namespace corvane
