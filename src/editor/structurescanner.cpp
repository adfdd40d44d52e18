#include "structurescanner.h"

#include "settings/vocabulary.h"

#include <QStringList>

namespace corvane
{

namespace
{

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'!' || c == u'\'' || c == u'"';
}

// The words of a set, for comparing views without making strings.
QList<QString> wordsOf(const QSet<QString> &set)
{
    return QList<QString>(set.begin(), set.end());
}

bool isOneOf(QStringView word, const QList<QString> &words)
{
    for (const QString &w : words)
        if (w.size() == word.size() && word.compare(w, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

const QList<QString> &procedureKeywords()
{
    static const QList<QString> words = wordsOf(Vocabulary::fortranProcedures());
    return words;
}

const QList<QString> &procedureFirstTokens()
{
    static const QList<QString> words = wordsOf(Vocabulary::fortranProcedureFirstTokens());
    return words;
}

bool equalsIgnoringCase(QStringView word, QStringView lower)
{
    return word.size() == lower.size() && word.compare(lower, Qt::CaseInsensitive) == 0;
}

// The first word of a line, or an empty view.
QStringView firstWord(QStringView line)
{
    qsizetype i = 0;
    while (i < line.size() && !isWordCharacter(line[i]))
        ++i;
    qsizetype j = i;
    while (j < line.size() && isWordCharacter(line[j]))
        ++j;
    return line.mid(i, j - i);
}

bool isBlankOrTab(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Lines of a text, each without its "\n".
template <typename F> void forEachLine(QStringView text, F &&visit)
{
    qsizetype start = 0;
    qsizetype number = 1;
    while (start <= text.size()) {
        qsizetype feed = text.indexOf(u'\n', start);
        const qsizetype end = feed < 0 ? text.size() : feed;
        if (!visit(text.mid(start, end - start), start, number))
            return;
        if (feed < 0)
            return;
        start = feed + 1;
        ++number;
    }
}

// The length of "keyword", a run of blanks or tabs, then "name" at pos of line (ignoring case),
// when the character after it does not continue a name; 0 when it does not match there.
qsizetype matchEntryAt(QStringView line, qsizetype pos, QStringView keyword, QStringView name)
{
    if (line.mid(pos, keyword.size()).compare(keyword, Qt::CaseInsensitive) != 0 ||
        pos + keyword.size() > line.size())
        return 0;
    qsizetype i = pos + keyword.size();
    if (!name.isEmpty()) {
        const qsizetype blanks = i;
        while (i < line.size() && isBlankOrTab(line[i]))
            ++i;
        if (i == blanks || i + name.size() > line.size() ||
            line.mid(i, name.size()).compare(name, Qt::CaseInsensitive) != 0)
            return 0;
        i += name.size();
    }
    if (i < line.size() && (line[i].isLetterOrNumber() || line[i] == u'_'))
        return 0;
    return i - pos;
}

} // namespace

QList<QStringView> StructureScanner::allWordsInString(QStringView line)
{
    QList<QStringView> words;
    qsizetype i = 0;
    while (i < line.size()) {
        while (i < line.size() && !isWordCharacter(line[i]))
            ++i;
        const qsizetype start = i;
        while (i < line.size() && isWordCharacter(line[i]))
            ++i;
        if (i > start)
            words.append(line.mid(start, i - start));
    }
    return words;
}

std::optional<UnitLine> StructureScanner::programUnitLine(QStringView line)
{
    if (line.isEmpty() || line[0] == u'!')
        return std::nullopt;
    // Most lines start with another word: decide that before splitting the whole line.
    static const QString firstLetters = [] {
        QString letters;
        for (const QString &w : procedureFirstTokens())
            if (!letters.contains(w[0]))
                letters += w[0];
        return letters;
    }();
    const QStringView first = firstWord(line);
    if (equalsIgnoringCase(first, u"submodule")) {
        // "submodule (points:points_a) points_b": the submodule's name comes last.
        const QList<QStringView> words = allWordsInString(codePart(line));
        if (words.size() < 3)
            return std::nullopt;
        return UnitLine{QStringLiteral("submodule"), words.last().toString()};
    }
    if (first.isEmpty() || !firstLetters.contains(first[0].toLower()) ||
        !isOneOf(first, procedureFirstTokens()))
        return std::nullopt;
    const QList<QStringView> words = allWordsInString(line);
    if (words.size() < 2)
        return std::nullopt;
    QString keyword = words[0].toString().toLower();
    qsizetype namePosition = 1;
    if (keyword == u"recursive" || keyword == u"pure" || keyword == u"elemental") {
        keyword = words[1].toString().toLower();
        namePosition = 2;
    }
    if (isOneOf(keyword, procedureKeywords())) {
        // "module procedure shift" alone on its line: the body of a separate module procedure
        // (outside interface blocks, where such lines name specifics).
        if (keyword == u"module" && words.size() == 3 &&
            equalsIgnoringCase(words[1], u"procedure"))
            return UnitLine{QStringLiteral("procedure"), words[2].toString()};
        if (namePosition >= words.size() || equalsIgnoringCase(words[namePosition], u"procedure"))
            return std::nullopt;
        return UnitLine{keyword, words[namePosition].toString()};
    }
    // A typed function: "integer function f(x)", "Real Function F", "character*8 function c".
    for (qsizetype i = 0; i + 1 < words.size(); ++i) {
        const QStringView w = words[i];
        if (w == u"!" || w == u"'" || w == u"\"")
            return std::nullopt;
        if (equalsIgnoringCase(w, u"function"))
            return UnitLine{QStringLiteral("function"), words[i + 1].toString()};
    }
    return std::nullopt;
}

std::optional<UnitLine> StructureScanner::blockLine(QStringView line)
{
    if (line.isEmpty() || line[0] == u'!')
        return std::nullopt;
    const QList<QStringView> words = allWordsInString(line);
    // An end line ("end subroutine old") closes a block; it opens none.
    if (words.size() < 2 || equalsIgnoringCase(words[0], u"end"))
        return std::nullopt;
    QList<qsizetype> found;
    for (qsizetype i = 0; i + 1 < words.size(); ++i)
        if (isOneOf(words[i], procedureKeywords()) || equalsIgnoringCase(words[i], u"interface") ||
            equalsIgnoringCase(words[i], u"type"))
            found.append(i);
    qsizetype at = -1;
    if (found.size() == 1) {
        at = found.first();
    } else {
        for (qsizetype i : found)
            if (isOneOf(words[i], procedureKeywords())) {
                at = i;
                break;
            }
    }
    if (at < 0)
        return std::nullopt;
    const QString keyword = words[at].toString().toLower();
    if (isOneOf(keyword, procedureKeywords())) {
        // "module procedure p" names a procedure; it opens no module.
        if (keyword == u"module" && equalsIgnoringCase(words[at + 1], u"procedure"))
            return std::nullopt;
        return UnitLine{keyword, words[at + 1].toString()};
    }
    if (keyword == u"interface") {
        // The generic specification as written: "operator(+)", "assignment(=)", "swap".
        const qsizetype after = words[at].data() - line.data() + words[at].size();
        return UnitLine{keyword, codePart(line.mid(after)).trimmed().toString()};
    }
    return UnitLine{keyword, words.last().toString()};
}

QStringView StructureScanner::codePart(QStringView line)
{
    const qsizetype bang = line.indexOf(u'!');
    return bang < 0 ? line : line.first(bang);
}

QStringView StructureScanner::jumpListLineText(QStringView line)
{
    const QStringView trimmed = line.trimmed();
    if (trimmed.startsWith(u'!'))
        return trimmed;
    return codePart(line).trimmed();
}

int StructureScanner::interfaceDepthChange(QStringView line)
{
    // Most lines start otherwise: decide on the first two letters before comparing words.
    if (line.size() < 3)
        return 0;
    const char16_t a = line[0].toLower().unicode();
    const char16_t b = line[1].toLower().unicode();
    if (!((a == u'e' && b == u'n') || (a == u'a' && b == u'b') || (a == u'i' && b == u'n')))
        return 0;
    if (line.startsWith(u"end", Qt::CaseInsensitive)) {
        qsizetype i = 3;
        while (i < line.size() && isBlankOrTab(line[i]))
            ++i;
        if (line.mid(i).startsWith(u"interface", Qt::CaseInsensitive))
            return -1;
        return 0;
    }
    if (line.startsWith(u"abstract", Qt::CaseInsensitive)) {
        qsizetype i = 8;
        while (i < line.size() && isBlankOrTab(line[i]))
            ++i;
        return i > 8 && line.mid(i).startsWith(u"interface", Qt::CaseInsensitive) ? 1 : 0;
    }
    if (line.startsWith(u"interface", Qt::CaseInsensitive) &&
        (line.size() == 9 || isBlankOrTab(line[9])))
        return 1;
    return 0;
}

bool StructureScanner::isFixedFormCommentLine(QStringView line) const
{
    return m_fixedForm && !line.isEmpty() &&
           (line[0] == u'C' || line[0] == u'c' || line[0] == u'*');
}

bool StructureScanner::isWithinComment(QStringView text, qsizetype location) const
{
    location = qBound(qsizetype(0), location, text.size());
    qsizetype start = location;
    while (start > 0 && text[start - 1] != u'\n')
        --start;
    qsizetype end = text.indexOf(u'\n', start);
    const QStringView line = text.mid(start, (end < 0 ? text.size() : end) - start);
    if (isFixedFormCommentLine(line))
        return true;
    const qsizetype bang = line.indexOf(u'!');
    return bang >= 0 && start + bang <= location;
}

QList<JumpListEntry> StructureScanner::constructJumpList(QStringView text) const
{
    QList<JumpListEntry> entries{{QString::fromLatin1(Top), 0, false}};
    int depth = 0;
    forEachLine(text, [&](QStringView raw, qsizetype, qsizetype number) {
        const QStringView line = jumpListLineText(raw);
        if (line.size() < 7 || isFixedFormCommentLine(raw))
            return true;
        const int change = interfaceDepthChange(line);
        depth = qMax(0, depth + change);
        if (depth != 0)
            return true;
        if (line.contains(QLatin1StringView(MarkText))) {
            entries.append({line.toString(), number, true});
        } else if (line[0] != u'!') {
            const std::optional<UnitLine> unit = programUnitLine(line);
            if (unit)
                entries.append({unit->entry(), number, false});
        }
        return true;
    });
    entries.append({QString::fromLatin1(End), 0, false});
    return entries;
}

QStringList StructureScanner::titles(const QList<JumpListEntry> &entries)
{
    QStringList list;
    list.reserve(entries.size());
    for (const JumpListEntry &e : entries)
        list.append(e.text);
    return list;
}

std::optional<QString> StructureScanner::currentProgramUnit(QStringView text,
                                                            qsizetype location) const
{
    if (text.isEmpty())
        return std::nullopt;
    location = qBound(qsizetype(0), location, text.size());
    bool insideInterface = false;
    qsizetype end = text.indexOf(u'\n', location);
    if (end < 0)
        end = text.size();
    // Walk the lines backwards from location's line; end is just past the current line.
    while (true) {
        const qsizetype start = end > 0 ? text.lastIndexOf(u'\n', end - 1) + 1 : 0;
        const QStringView raw = text.mid(start, end - start);
        const QStringView line = raw.trimmed();
        if (!line.isEmpty() && !isFixedFormCommentLine(raw)) {
            const int change = interfaceDepthChange(line);
            if (change < 0) {
                insideInterface = true;
            } else if (change > 0 || line.startsWith(u"interface", Qt::CaseInsensitive)) {
                insideInterface = false;
            } else if (!insideInterface) {
                const std::optional<UnitLine> unit = programUnitLine(line);
                if (unit)
                    return unit->entry();
            }
        }
        if (start == 0)
            return QString::fromLatin1(Top);
        end = start - 1;
    }
}

std::optional<TextRange> StructureScanner::jump(QStringView text, QStringView entry) const
{
    if (entry == QLatin1StringView(Top))
        return TextRange{0, 0};
    if (entry == QLatin1StringView(End))
        return TextRange{quint64(text.size()), 0};
    if (entry.isEmpty() || entry.contains(QLatin1StringView(MarkText)))
        return std::nullopt;
    const qsizetype blank = entry.indexOf(u' ');
    const QStringView keyword = blank < 0 ? entry : entry.first(blank);
    const QStringView name = blank < 0 ? QStringView() : entry.mid(blank + 1).trimmed();
    std::optional<TextRange> found;
    int depth = 0;
    forEachLine(text, [&](QStringView raw, qsizetype start, qsizetype) {
        const QStringView line = jumpListLineText(raw);
        if (line.size() <= 6 || isFixedFormCommentLine(raw))
            return true;
        depth = qMax(0, depth + interfaceDepthChange(line));
        if (depth != 0)
            return true;
        const qsizetype bang = raw.indexOf(u'!');
        const qsizetype limit = bang < 0 ? raw.size() : bang;
        for (qsizetype pos = raw.indexOf(keyword, 0, Qt::CaseInsensitive); pos >= 0 && pos < limit;
             pos = raw.indexOf(keyword, pos + 1, Qt::CaseInsensitive)) {
            const qsizetype length = matchEntryAt(raw, pos, keyword, name);
            if (length > 0) {
                found = TextRange{quint64(start + pos), quint64(length)};
                return false;
            }
        }
        return true;
    });
    return found;
}

} // namespace corvane
