#include "endcompletion.h"

#include "settings/vocabulary.h"

namespace corvane
{

namespace
{

struct Line {
    qsizetype start = 0;
    qsizetype end = 0;  // before the terminator
    qsizetype next = 0; // after the terminator (== end for a last line without one)
};

Line lineAt(QStringView text, qsizetype location)
{
    Line line;
    line.start = qBound(qsizetype(0), location, text.size());
    while (line.start > 0 && text[line.start - 1] != u'\n')
        --line.start;
    const qsizetype feed = text.indexOf(u'\n', line.start);
    line.end = feed < 0 ? text.size() : feed;
    line.next = feed < 0 ? text.size() : feed + 1;
    return line;
}

QStringView lineText(QStringView text, const Line &line)
{
    return text.mid(line.start, line.end - line.start);
}

// The first occurrence of what at or after from that is not in a comment, or -1.
qsizetype findOutsideComments(QStringView text, QStringView what, qsizetype from,
                              const StructureScanner &scanner)
{
    for (qsizetype pos = text.indexOf(what, from, Qt::CaseInsensitive); pos >= 0;
         pos = text.indexOf(what, pos + 1, Qt::CaseInsensitive))
        if (!scanner.isWithinComment(text, pos))
            return pos;
    return -1;
}

// The end line of a unit with contained units: from the line after "contains", each line holding
// the end text closes one unit, each line opening a unit of the same keyword opens one; the end
// line is where more close than opened. The text's last line when the text ends first.
Line endLineAfterContains(QStringView text, qsizetype contains, const QString &keyword,
                          const QString &endText, const StructureScanner &scanner)
{
    Line line = lineAt(text, contains);
    int count = 0;
    while (line.next < text.size()) {
        line = lineAt(text, line.next);
        const QStringView raw = lineText(text, line);
        if (scanner.isFixedFormCommentLine(raw))
            continue;
        const QStringView code = StructureScanner::codePart(raw);
        if (code.contains(endText, Qt::CaseInsensitive)) {
            if (--count < 0)
                return line;
        } else {
            const std::optional<UnitLine> block = StructureScanner::blockLine(code.trimmed());
            if (block && block->keyword == keyword)
                ++count;
        }
    }
    return line;
}

} // namespace

EndCompletionResult EndCompletion::tryCompleteUnitName(QStringView text, qsizetype location,
                                                       const StructureScanner &scanner)
{
    const Line caretLine = lineAt(text, location);
    const QStringView caretText = lineText(text, caretLine);
    if (scanner.isFixedFormCommentLine(caretText))
        return {};
    const std::optional<UnitLine> block =
        StructureScanner::blockLine(StructureScanner::codePart(caretText).trimmed());
    if (!block)
        return {};
    const QString endText = QStringLiteral("end ") + block->keyword;
    const bool isProcedure = Vocabulary::fortranProcedures().contains(block->keyword);
    const qsizetype from = qBound(qsizetype(0), location, text.size());
    const qsizetype contains =
        isProcedure ? findOutsideComments(text, u"contains", from, scanner) : -1;
    const qsizetype occurrence = findOutsideComments(text, endText, from, scanner);
    if (occurrence < 0)
        return {};
    const Line endLine =
        contains >= 0 && contains < occurrence
            ? endLineAfterContains(text, contains, block->keyword, endText, scanner)
            : lineAt(text, occurrence);

    EndCompletionResult result;
    result.endLine = text.first(endLine.start).count(u'\n') + 1;
    const QStringView endRaw = lineText(text, endLine);
    const QStringView code = StructureScanner::codePart(endRaw);
    const QList<QStringView> words = StructureScanner::allWordsInString(code);
    if (words.isEmpty())
        return {};
    if (words.first().compare(u"end", Qt::CaseInsensitive) != 0) {
        result.completed = true;
        return result;
    }
    const qsizetype endTextAt = code.indexOf(endText, 0, Qt::CaseInsensitive);
    if (endTextAt < 0)
        return {}; // "end" of another kind: no end line of this unit was found
    const bool hasComment = code.size() < endRaw.size();
    // R: after the end text up to the comment, or up to and including the line end.
    const qsizetype rStart = endLine.start + endTextAt + endText.size();
    const qsizetype rEnd = hasComment ? endLine.start + code.size() : endLine.next;
    result.completed = true;
    TextReplacement replacement;
    replacement.actionName = QString::fromLatin1(kProcedureCompletionAction);
    if (words.size() < 3) {
        const QString after = hasComment                   ? QStringLiteral(" ")
                              : endLine.next > endLine.end ? QStringLiteral("\n")
                                                           : QString();
        replacement.rangeValue = {quint64(rStart), quint64(rEnd - rStart)};
        replacement.replacementString = u' ' + block->name + after;
    } else {
        const QStringView r = text.mid(rStart, rEnd - rStart);
        if (block->keyword == u"interface") {
            // The old generic specification is replaced as a whole.
            const QStringView old = r.trimmed();
            replacement.rangeValue = {quint64(rStart + (old.data() - r.data())),
                                      quint64(old.size())};
        } else {
            const qsizetype at = r.indexOf(words[2], 0, Qt::CaseInsensitive);
            if (at < 0)
                return result;
            replacement.rangeValue = {quint64(rStart + at), quint64(words[2].size())};
        }
        replacement.replacementString = block->name;
    }
    const TextRange &range = replacement.rangeValue;
    if (text.mid(qsizetype(range.location), qsizetype(range.length)) !=
        replacement.replacementString)
        result.replacement = replacement;
    return result;
}

} // namespace corvane
