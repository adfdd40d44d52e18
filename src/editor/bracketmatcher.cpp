#include "bracketmatcher.h"

namespace corvane
{

QChar BracketMatcher::closingPartner(QChar opening)
{
    if (opening == u'(')
        return u')';
    if (opening == u'[')
        return u']';
    return QChar();
}

BracketMatch BracketMatcher::rangeOfMatchingParenthesis(QChar bracket, QStringView text,
                                                        qsizetype location)
{
    QChar partner;
    int step = 0;
    if (bracket == u')' || bracket == u']') {
        partner = bracket == u')' ? u'(' : u'[';
        step = -1;
    } else if (bracket == u'(' || bracket == u'[') {
        partner = closingPartner(bracket);
        step = 1;
    } else {
        return {};
    }
    if (location < 0 || location >= text.size())
        return {BracketMatch::NoMatch, {}};
    int count = 0;
    for (qsizetype seen = 0, i = location; seen < kWindow && i >= 0 && i < text.size();
         ++seen, i += step) {
        if (text[i] == bracket)
            ++count;
        else if (text[i] == partner && --count == 0) {
            const qsizetype start = step < 0 ? i : location;
            const qsizetype end = step < 0 ? location : i;
            return {BracketMatch::Match, {quint64(start), quint64(end - start + 1)}};
        }
    }
    return {BracketMatch::NoMatch, {}};
}

BracketMatch BracketMatcher::matchAt(QStringView text, qsizetype location)
{
    if (location < 0 || location >= text.size())
        return {};
    return rangeOfMatchingParenthesis(text[location], text, location);
}

TextRange BracketMatcher::doubleClickSelection(QStringView text, TextRange proposed)
{
    if (proposed.length != 1)
        return proposed;
    const BracketMatch match = matchAt(text, qsizetype(proposed.location));
    return match.kind == BracketMatch::Match ? match.range : proposed;
}

TextReplacement BracketMatcher::completeParenthesis(QChar closing, TextRange caret,
                                                    const QString &savedSelection,
                                                    int autoCompleteState)
{
    const QString replacement =
        autoCompleteState == 2 ? QString(closing) : savedSelection + closing;
    return {caret, replacement, QString::fromLatin1(kCompleteParenthesisAction)};
}

} // namespace corvane
