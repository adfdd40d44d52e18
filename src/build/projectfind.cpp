#include "build/projectfind.h"

#include "project/fortranfile.h"
#include "project/mydocument.h"
#include "project/sourcetext.h"

#include <QMutex>
#include <QtConcurrent/QtConcurrentMap>

namespace corvane
{

namespace
{

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

} // namespace

qsizetype ProjectFindResults::matchCount() const
{
    qsizetype count = 0;
    for (const FoundFile &file : files)
        count += file.matches.size();
    return count;
}

ErrorsDictionary ProjectFindResults::findDictionary() const
{
    ErrorsDictionary dictionary;
    for (const FoundFile &file : files)
        if (!file.matches.isEmpty())
            dictionary.insert(file.header.filePath, file.matches);
    return dictionary;
}

QList<FindSource> findSources(const MyDocument &document)
{
    QList<FindSource> sources;
    sources.reserve(document.projectFiles().size());
    for (const auto &file : document.projectFiles()) {
        FindSource source{file->filePath(), QString(), false};
        if (file->fileState() == FortranFile::Modified && file->textStorage()) {
            source.text = file->text();
            source.inMemory = true;
        }
        sources << source;
    }
    return sources;
}

TextMatcher::TextMatcher(const QString &text, FindOptions options)
    : m_text(text), m_options(options)
{
    if (!options.regularExpression)
        return;
    m_regex.setPattern(text);
    static const QRegularExpression boundaryDependent(QStringLiteral(R"(\^|\$|\(\?|\\[AZzG])"));
    m_testsWholeText = !text.contains(boundaryDependent);
    if (!options.caseSensitive)
        m_regex.setPatternOptions(QRegularExpression::CaseInsensitiveOption);
    if (!m_regex.isValid()) {
        // One arg() call, so that a "%" in the pattern is never filled in itself.
        m_error = QStringLiteral("The regular expression \"%1\" is not valid: %2 (at offset %3)")
                      .arg(text, m_regex.errorString(),
                           QString::number(m_regex.patternErrorOffset()));
        return;
    }
    m_regex.optimize();
}

qsizetype TextMatcher::rawIndexIn(QStringView text, qsizetype from, qsizetype *length) const
{
    if (m_text.isEmpty() || from > text.size())
        return -1;
    if (!m_options.regularExpression) {
        *length = m_text.size();
        return text.indexOf(m_text, from,
                            m_options.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
    }
    // An empty match (of "x*", say) would make every line a hit; look on for a real one.
    while (from <= text.size()) {
        const QRegularExpressionMatch m = m_regex.match(text, from);
        if (!m.hasMatch())
            return -1;
        if (m.capturedLength() > 0) {
            *length = m.capturedLength();
            return m.capturedStart();
        }
        from = m.capturedStart() + 1;
    }
    return -1;
}

qsizetype TextMatcher::indexIn(QStringView text, qsizetype from, qsizetype *length) const
{
    qsizetype found = 0;
    for (;;) {
        const qsizetype at = rawIndexIn(text, from, &found);
        if (at < 0)
            return -1;
        const qsizetype end = at + found;
        if (!m_options.wholeWord ||
            ((at == 0 || !isWordCharacter(text[at - 1])) &&
             (end >= text.size() || !isWordCharacter(text[end])))) {
            if (length)
                *length = found;
            return at;
        }
        from = at + 1;
    }
}

void forEachLine(QStringView text, const std::function<bool(QStringView, quint64)> &visit)
{
    const qsizetype size = text.size();
    qsizetype position = 0;
    quint64 number = 1;
    while (position < size) {
        qsizetype end = position;
        while (end < size && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        if (!visit(text.sliced(position, end - position), number))
            return;
        if (end >= size)
            return;
        position = end + (text[end] == u'\r' && end + 1 < size && text[end + 1] == u'\n' ? 2 : 1);
        ++number;
    }
}

QString trimBlanksAndTabs(QStringView line)
{
    qsizetype begin = 0, end = line.size();
    while (begin < end && (line[begin] == u' ' || line[begin] == u'\t'))
        ++begin;
    while (end > begin && (line[end - 1] == u' ' || line[end - 1] == u'\t'))
        --end;
    return line.sliced(begin, end - begin).toString();
}

namespace
{

// The text of one source: the one in memory, or the file read now (owned keeps it alive).
std::optional<QStringView> sourceText(const FindSource &source, QString &owned, QString *error)
{
    if (source.inMemory)
        return QStringView(source.text);
    std::optional<QString> read = readSource(source.path, error);
    if (!read)
        return std::nullopt;
    owned = std::move(*read);
    return QStringView(owned);
}

// One file's node, or none when the text does not occur in it. The file's text is released when
// this returns, so a worker holds one file at a time.
std::optional<FoundFile> searchFile(const FindSource &source, const TextMatcher &matcher)
{
    QString owned, error;
    const std::optional<QStringView> text = sourceText(source, owned, &error);
    if (!text)
        return FoundFile{FindResult::header(source.path), {}, error};
    if (matcher.testsWholeText() && matcher.indexIn(*text) < 0)
        return std::nullopt;
    const bool regex = matcher.options().regularExpression;
    FoundFile file{FindResult::header(source.path), {}, QString()};
    forEachLine(*text, [&](QStringView line, quint64 number) {
        const qsizetype column = matcher.indexIn(line);
        if (column >= 0)
            file.matches << FindResult(source.path, trimBlanksAndTabs(line), number,
                                       quint64(column));
        return true;
    });
    // A pattern may match across a line end (a "\s" at the end, say) but never gives an empty node.
    if (regex && file.matches.isEmpty())
        return std::nullopt;
    return file;
}

} // namespace

ProjectFindResults findStringInProject(const QList<FindSource> &sources, const QString &text,
                                       FindOptions options, const SearchProgress &progress)
{
    ProjectFindResults results;
    if (text.isEmpty())
        return results;
    const TextMatcher matcher(text, options);
    if (!matcher.isValid()) {
        results.patternError = matcher.errorString();
        return results;
    }
    QMutex progressMutex;
    qsizetype done = 0;
    const QList<std::optional<FoundFile>> found =
        QtConcurrent::blockingMapped<QList<std::optional<FoundFile>>>(
            sources, [&](const FindSource &source) {
                std::optional<FoundFile> found = searchFile(source, matcher);
                if (progress) {
                    const QMutexLocker locker(&progressMutex);
                    progress(++done, sources.size());
                }
                return found;
            });
    for (const std::optional<FoundFile> &file : found)
        if (file)
            results.files << *file;
    return results;
}

namespace
{

// The rule of the definition search text: letter case ignored, and each blank of the text
// matches any run of blanks and tabs ("subroutine  solve", "subroutine\tsolve").
QRegularExpression definitionPattern(const QString &text)
{
    QStringList parts;
    for (const QString &part : text.split(u' ', Qt::SkipEmptyParts))
        parts << QRegularExpression::escape(part);
    QString pattern = parts.join(QStringLiteral("[ \t]+"));
    if (text.startsWith(u' '))
        pattern.prepend(QStringLiteral("[ \t]+"));
    if (text.endsWith(u' ') && !parts.isEmpty())
        pattern.append(QStringLiteral("[ \t]+"));
    return QRegularExpression(pattern, QRegularExpression::CaseInsensitiveOption);
}

} // namespace

std::optional<FindResult> findLocationInProjectOfString(const QList<FindSource> &sources,
                                                        const QString &text, QStringList *errors)
{
    if (text.trimmed().isEmpty())
        return std::nullopt;
    const QRegularExpression pattern = definitionPattern(text);
    // Every word of the text occurs in each line the pattern matches: a cheap test per file and
    // per line before the pattern runs.
    const QStringList words = text.split(u' ', Qt::SkipEmptyParts);
    const auto holdsEveryWord = [&words](QStringView in) {
        for (const QString &w : words)
            if (!in.contains(w, Qt::CaseInsensitive))
                return false;
        return true;
    };
    for (const FindSource &source : sources) {
        QString owned, error;
        const std::optional<QStringView> content = sourceText(source, owned, &error);
        if (!content) {
            if (errors)
                *errors << error;
            continue;
        }
        if (!holdsEveryWord(*content))
            continue;
        std::optional<FindResult> result;
        forEachLine(*content, [&](QStringView line, quint64 number) {
            if (line.isEmpty() || line[0] == u'c' || line[0] == u'C' || !holdsEveryWord(line))
                return true;
            const QRegularExpressionMatch match = pattern.match(line);
            if (!match.hasMatch())
                return true;
            const qsizetype at = match.capturedStart();
            const qsizetype bang = line.indexOf(u'!');
            if (bang >= 0 && at > bang)
                return true;
            const qsizetype after = match.capturedEnd();
            if (after < line.size() && line[after] != u' ' && line[after] != u'\t' &&
                line[after] != u'(')
                return true;
            result = FindResult(source.path, trimBlanksAndTabs(line), number, quint64(at));
            return false;
        });
        if (result)
            return result;
    }
    return std::nullopt;
}

QStringList filesWithNameContaining(const QStringList &paths, QStringView part,
                                    Qt::CaseSensitivity cs)
{
    QStringList found;
    for (const QString &path : paths)
        if (QStringView(path).sliced(path.lastIndexOf(u'/') + 1).contains(part, cs))
            found << path;
    return found;
}

QStringList fileNameCompletions(const QStringList &names, QStringView partial)
{
    if (partial.size() < 2)
        return {};
    QStringList found;
    for (const QString &name : names)
        if (name.contains(partial, Qt::CaseInsensitive))
            found << name;
    return found;
}

} // namespace corvane
