#include "editor/definitionlookup.h"

#include "editor/structurescanner.h"
#include "editor/textreplacement.h"

namespace corvane
{

namespace
{

bool isNameCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

// The whole line around position, without its line end.
QStringView lineAround(QStringView text, qsizetype position)
{
    qsizetype start = position;
    while (start > 0 && text[start - 1] != u'\n')
        --start;
    qsizetype end = position;
    while (end < text.size() && text[end] != u'\n')
        ++end;
    return text.mid(start, end - start);
}

} // namespace

std::optional<TextRange> wordRangeAtPosition(QStringView text, qsizetype position)
{
    position = qBound<qsizetype>(0, position, text.size());
    qsizetype start = position;
    while (start > 0 && isNameCharacter(text[start - 1]))
        --start;
    qsizetype end = position;
    while (end < text.size() && isNameCharacter(text[end]))
        ++end;
    if (end == start)
        return std::nullopt;
    return TextRange{quint64(start), quint64(end - start)};
}

std::optional<TextRange> lookupRange(QStringView text, TextRange selection)
{
    const TextRange safe = safeRangeForRange(selection, quint64(text.size()));
    if (safe.length > 0)
        return safe;
    return wordRangeAtPosition(text, qsizetype(safe.location));
}

std::optional<QStringList> definitionSearchTexts(QStringView lineText, const QString &word)
{
    const QList<QStringView> words = StructureScanner::allWordsInString(lineText);
    qsizetype i = 0;
    while (i < words.size() && words[i] != word)
        ++i;
    if (i == 0)
        return std::nullopt;
    const QString before = words[i - 1].toString().toLower();
    QString format;
    if (before == u"call")
        format = QStringLiteral("subroutine %1");
    else if (before == u"use")
        format = QStringLiteral("module %1");
    else if (i >= 2 && words[i - 2].compare(u"call", Qt::CaseInsensitive) == 0)
        format = QStringLiteral("subroutine %1");
    else
        format = QStringLiteral("function %1");
    return QStringList{format.arg(word), QStringLiteral("interface %1").arg(word)};
}

DefinitionJump jumpToDefinition(QStringView text, TextRange selection,
                                const DefinitionSearch &search)
{
    DefinitionJump jump;
    const std::optional<TextRange> range = lookupRange(text, selection);
    if (!range)
        return jump;
    jump.wordRange = *range;
    jump.word = text.mid(qsizetype(range->location), qsizetype(range->length)).toString();
    const std::optional<QStringList> texts =
        definitionSearchTexts(lineAround(text, qsizetype(range->location)), jump.word);
    if (!texts) {
        jump.kind = DefinitionJump::Beep;
        return jump;
    }
    for (const QString &t : *texts) {
        if (std::optional<FindResult> found = search(t)) {
            jump.kind = DefinitionJump::Found;
            jump.location = *found;
            return jump;
        }
    }
    jump.kind = DefinitionJump::NotFound;
    return jump;
}

ScopeRecord scopeForRange(QStringView text, TextRange range, bool fixedForm)
{
    const StructureScanner scanner(fixedForm);
    JumpList list;
    list.rebuild(text, scanner);
    if (const auto unit = scanner.currentProgramUnit(text, qsizetype(range.location)))
        list.synchronize(*unit);
    return ScopeRecord::scope(text, range, list);
}

LookupScope lookupScopeFor(const ScopeRecord &record)
{
    LookupScope scope;
    scope.procedure = record.procedure.isEmpty() ? QString() : record.procedure;
    scope.module = record.module.value_or(QString());
    scope.variableChain = record.variableChain.value_or(
        record.name.isEmpty() ? QStringList() : QStringList{record.name});
    return scope;
}

} // namespace corvane
