#include "keywordcase.h"

#include "settings/vocabulary.h"

namespace corvane
{

qsizetype lineStartAt(QStringView text, qsizetype position)
{
    position = qBound<qsizetype>(0, position, text.size());
    if (position == 0)
        return 0;
    return text.left(position).lastIndexOf(u'\n') + 1;
}

ClassifiedWord keywordTypeAndRangeBefore(const ColourScanner &scanner, QStringView text,
                                         qsizetype caret)
{
    if (text.size() <= 1)
        return {};
    const qsizetype end = qBound<qsizetype>(0, caret - 1, text.size());
    const qsizetype lineStart = lineStartAt(text, end);
    if (end == lineStart)
        return {};
    qsizetype start = end;
    while (start > lineStart && !Vocabulary::delimiters().contains(text[start - 1]))
        --start;
    return {scanner.keywordType(text.mid(start, end - start)), start, end - start};
}

bool rangeIsWithinComment(QStringView text, qsizetype position, bool fixedForm)
{
    position = qBound<qsizetype>(0, position, text.size());
    const qsizetype start = lineStartAt(text, position);
    if (fixedForm && start < text.size()) {
        const QChar first = text[start];
        if (first == u'C' || first == u'c' || first == u'*')
            return true;
    }
    qsizetype end = text.indexOf(u'\n', start);
    if (end < 0)
        end = text.size();
    const qsizetype bang = text.mid(start, end - start).indexOf(u'!');
    return bang >= 0 && start + bang <= position;
}

bool selectedRangeIsInStringLiteral(QStringView text, qsizetype caret)
{
    if (text.size() <= 1)
        return false;
    const qsizetype end = qBound<qsizetype>(0, caret - 1, text.size());
    const qsizetype start = lineStartAt(text, end);
    const QStringView before = text.mid(start, end - start);
    return (before.count(u'\'') + before.count(u'"')) % 2 == 1;
}

std::optional<ClassifiedWord> wordToUpcase(const ColourScanner &scanner, QStringView text,
                                           qsizetype delimiterPosition)
{
    const qsizetype caret = delimiterPosition + 1;
    const ClassifiedWord word = keywordTypeAndRangeBefore(scanner, text, caret);
    if (word.type == NoKeyword || word.length == 0)
        return std::nullopt;
    if (rangeIsWithinComment(text, delimiterPosition, scanner.isFixedForm()) ||
        selectedRangeIsInStringLiteral(text, caret))
        return std::nullopt;
    // The colouring of the line decides about preprocessor text (and strings the quote count
    // misses): only a word coloured as keyword or intrinsic changes.
    const qsizetype lineStart = lineStartAt(text, word.start);
    qsizetype lineEnd = text.indexOf(u'\n', lineStart);
    if (lineEnd < 0)
        lineEnd = text.size();
    QList<Span> spans;
    scanner.colourLine(text.mid(lineStart, lineEnd - lineStart), LineState::Normal, spans);
    const qsizetype at = word.start - lineStart;
    for (const Span &s : std::as_const(spans))
        if (s.start <= at && at < s.end())
            return s.kind == SpanKind::Keyword || s.kind == SpanKind::Intrinsic
                       ? std::optional<ClassifiedWord>(word)
                       : std::nullopt;
    return std::nullopt;
}

} // namespace corvane
