// LineConversions: normalises a source's text when it is loaded, asking first: old Mac ("\r") and
// DOS ("\r\n") line endings become "\n", tab characters become blanks.
#pragma once

#include <QString>

namespace corvane
{

class Prompts;

class LineConversions
{
public:
    explicit LineConversions(Prompts &prompts, int tabWidth = 4)
        : m_prompts(prompts), m_tabWidth(tabWidth)
    {
    }

    // Asks about line endings, then about tabs (both are always asked when they apply); true when
    // the endings are right and no tabs remain. The text is converted in place where accepted.
    bool lineEndingsAndTabsAreOKIn(QString &text);
    bool lineEndingsAreCorrectIn(QString &text);
    // True when tabs remain (the user declined the conversion).
    bool tabsFoundIn(QString &text);

    // 2: contains "\r\n"; 1: contains "\r"; 0: neither.
    static int lineEndingTypeInString(const QString &text);
    // Kind 2 replaces every "\r\n", any other kind every "\r", with "\n"; true when replaced.
    static bool convertLineEndingsIn(QString &text, int kind);
    // Every "\t" becomes exactly width blanks (no tab stops); true when replaced.
    static bool convertTabsIn(QString &text, int width);

    bool conversionsWereMade() const { return m_conversionsWereMade; }

    static constexpr char kTitle[] = "Open File";
    static constexpr char kLineEndingQuestion[] =
        "The file has old style Mac or DOS line endings. Convert to new style endings?";
    static constexpr char kTabQuestion[] =
        "The file has nonstandard tab characters. Convert to spaces?";

private:
    Prompts &m_prompts;
    int m_tabWidth;
    bool m_conversionsWereMade = false;
};

} // namespace corvane
