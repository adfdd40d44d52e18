#include "analysis/fincludesplicer.h"

#include "analysis/includepath.h"

#include <QDir>

namespace corvane
{

namespace
{

// gcc's own limit on nested includes.
constexpr int kMaxIncludeDepth = 200;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

class Splicer
{
public:
    Splicer(const FIncludeSplicer::Options &options, FIncludeSplicer::Result &result)
        : m_options(options), m_result(result)
    {
    }

    // Lines of text, each with the file index and line it stands for in the input.
    void run(QStringView text, const QList<FPreprocessor::SourceLine> *map, int depth)
    {
        qsizetype start = 0;
        qsizetype lineIndex = 0;
        while (start < text.size()) {
            qsizetype end = text.indexOf(u'\n', start);
            if (end < 0)
                end = text.size();
            QStringView line = text.sliced(start, end - start);
            if (line.endsWith(u'\r'))
                line.chop(1);
            const FPreprocessor::SourceLine at =
                map && lineIndex < map->size() ? map->at(lineIndex)
                                               : FPreprocessor::SourceLine{m_file, int(lineIndex + 1)};
            const QString name = FIncludeSplicer::includedName(line);
            if (name.isNull() || !include(name, at, depth)) {
                m_result.text += line;
                m_result.text += u'\n';
                m_result.lineMap.append(at);
            }
            start = end + 1;
            ++lineIndex;
        }
    }

    QStringList stack; // the files being spliced, outermost first

private:
    // Splices the file name at the INCLUDE line at; false leaves the line as it is.
    bool include(const QString &name, FPreprocessor::SourceLine at, int depth)
    {
        const QString &from = m_result.files.value(at.file);
        const QString where = QStringLiteral("%1:%2: ").arg(from).arg(at.line);
        QStringList candidates;
        if (name.startsWith(u'/')) {
            candidates.append(QDir::cleanPath(name));
        } else {
            candidates.append(QDir::cleanPath(joinPath(folderOf(from), name)));
            for (const QString &folder : m_options.includeFolders)
                candidates.append(QDir::cleanPath(joinPath(folder, name)));
        }
        for (const QString &path : candidates) {
            if (stack.contains(path)) {
                m_result.messages.append(
                    where + QStringLiteral("the INCLUDE file '%1' includes itself; it is read "
                                           "only once")
                                .arg(name));
                return true;
            }
            if (!m_options.readFile)
                break;
            const std::optional<QString> text = m_options.readFile(path);
            if (!text)
                continue;
            if (depth >= kMaxIncludeDepth) {
                m_result.messages.append(
                    where + QStringLiteral("INCLUDE files nest too deeply; '%1' is not read")
                                .arg(name));
                return true;
            }
            if (!m_result.includedFiles.contains(path))
                m_result.includedFiles.append(path);
            const int saved = m_file;
            m_file = m_result.fileIndexOf(path);
            stack.append(path);
            run(*text, nullptr, depth + 1);
            stack.removeLast();
            m_file = saved;
            return true;
        }
        m_result.messages.append(
            where + QStringLiteral("the INCLUDE file '%1' was not found").arg(name));
        return true;
    }

    const FIncludeSplicer::Options &m_options;
    FIncludeSplicer::Result &m_result;
    int m_file = 0; // the file whose own lines are being read (without an input map)
};

} // namespace

bool FIncludeSplicer::mayHaveIncludeLines(QStringView text)
{
    // Only the first word of each line counts: one fast search for each line end, a look at the
    // line's first letter, and a comparison only where it is an 'i'.
    constexpr QLatin1StringView keyword("include");
    for (qsizetype start = 0; start < text.size();) {
        qsizetype i = start;
        while (i < text.size() && isBlank(text[i]))
            ++i;
        if (i + keyword.size() <= text.size() && (text[i] == u'i' || text[i] == u'I') &&
            text.sliced(i, keyword.size()).compare(keyword, Qt::CaseInsensitive) == 0)
            return true;
        const qsizetype end = text.indexOf(u'\n', i);
        if (end < 0)
            break;
        start = end + 1;
    }
    return false;
}

QString FIncludeSplicer::includedName(QStringView line)
{
    qsizetype i = 0;
    while (i < line.size() && isBlank(line[i]))
        ++i;
    constexpr QLatin1StringView keyword("include");
    if (line.size() - i < keyword.size() + 2 ||
        line.sliced(i, keyword.size()).compare(keyword, Qt::CaseInsensitive) != 0)
        return QString();
    i += keyword.size();
    while (i < line.size() && isBlank(line[i]))
        ++i;
    if (i >= line.size() || (line[i] != u'\'' && line[i] != u'"'))
        return QString();
    const QChar quote = line[i];
    const qsizetype close = line.indexOf(quote, i + 1);
    if (close < 0 || close == i + 1)
        return QString();
    // Only blanks or a comment may follow: "include 'a' // x" is no INCLUDE line.
    for (qsizetype j = close + 1; j < line.size(); ++j) {
        if (line[j] == u'!')
            break;
        if (!isBlank(line[j]))
            return QString();
    }
    return line.sliced(i + 1, close - i - 1).toString();
}

FIncludeSplicer::Result FIncludeSplicer::splice(const QString &text, const QString &path,
                                                const Options &options,
                                                const FPreprocessor::Result *input)
{
    Result result;
    if (input) {
        result.files = input->files;
        result.includedFiles = input->includedFiles;
    }
    Splicer splicer(options, result);
    result.fileIndexOf(path);
    splicer.stack.append(path);
    result.text.reserve(text.size());
    splicer.run(text, input ? &input->lineMap : nullptr, 0);
    return result;
}

} // namespace corvane
