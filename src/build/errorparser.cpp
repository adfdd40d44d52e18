#include "errorparser.h"

#include "programprobe.h"
#include "unix.h"

#include <algorithm>

namespace corvane
{

namespace
{

QString lastComponent(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

// The decimal number right after "absoft" in a lower-cased path ("absoft11.5" -> 11.5), else 0.
double absoftVersion(const QString &lowerPath)
{
    const qsizetype at = lowerPath.indexOf(QLatin1String("absoft"));
    qsizetype i = at + 6;
    qsizetype end = i;
    bool point = false;
    while (end < lowerPath.size() &&
           (lowerPath[end].isDigit() || (!point && lowerPath[end] == QLatin1Char('.')))) {
        point = point || lowerPath[end] == QLatin1Char('.');
        ++end;
    }
    return end > i ? lowerPath.mid(i, end - i).toDouble() : 0.0;
}

const ProgramProbe::Options kMerged{true, std::nullopt, ProgramProbe::kTimeoutMs};

} // namespace

bool ErrorParser::isLoaderOutput(QStringView errorText)
{
    for (qsizetype at : {0, 1}) {
        const QStringView rest = errorText.sliced(qMin(at, errorText.size()));
        if (rest.startsWith(QLatin1String("ld:")) ||
            rest.startsWith(QLatin1String("Undefined symbols")))
            return true;
    }
    qsizetype i = 0;
    while (i < errorText.size() &&
           (errorText[i] == QLatin1Char(' ') || errorText[i] == QLatin1Char('\t')))
        ++i;
    const QStringView rest = errorText.sliced(i);
    qsizetype colon = 0;
    while (colon < rest.size() && rest[colon] != QLatin1Char(':') && !rest[colon].isSpace())
        ++colon;
    if (colon >= rest.size() || rest[colon] != QLatin1Char(':'))
        return false;
    QStringView program = rest.first(colon);
    program = program.sliced(program.lastIndexOf(QLatin1Char('/')) + 1);
    if (program == QLatin1String("collect2"))
        return true;
    // ld, ld.bfd, ld.gold, x86_64-linux-gnu-ld, x86_64-linux-gnu-ld.gold
    const qsizetype dot = program.indexOf(QLatin1Char('.'));
    const QStringView stem = dot < 0 ? program : program.first(dot);
    return stem == QLatin1String("ld") || stem.endsWith(QLatin1String("-ld"));
}

ErrorParser::Reader ErrorParser::readerForName(const QString &lowerPath)
{
    if (lowerPath.contains(QLatin1String("pgfortran")))
        return Reader::PGI;
    if (lowerPath.contains(QLatin1String("gfortran")))
        return Reader::GFortran;
    if (lowerPath.contains(QLatin1String("g95")))
        return Reader::G95;
    if (lowerPath.contains(QLatin1String("ifort")))
        return Reader::Intel;
    if (lowerPath.contains(QLatin1String("absoft")))
        return absoftVersion(lowerPath) < 11.1 ? Reader::Absoft : Reader::AbsoftNew;
    if (lowerPath.contains(QLatin1String("nagfor")))
        return Reader::NAG;
    // Today's compilers, matched on the file name only.
    const QString file = lastComponent(lowerPath.trimmed());
    if (file.contains(QLatin1String("nvfortran")))
        return Reader::PGI;
    if (file.startsWith(QLatin1String("ifx")))
        return Reader::Intel;
    if (file.contains(QLatin1String("lfortran")))
        return Reader::LFortran;
    if (file.contains(QLatin1String("flang")))
        return Reader::Flang;
    return Reader::None;
}

ErrorParser::Reader ErrorParser::readerForVersionText(const QString &versionText)
{
    if (versionText.contains(QLatin1String("GNU Fortran")))
        return Reader::GFortran;
    const QString lower = versionText.toLower();
    if (lower.contains(QLatin1String("ifx")) || lower.contains(QLatin1String("ifort")))
        return Reader::Intel;
    if (lower.contains(QLatin1String("lfortran")))
        return Reader::LFortran;
    if (lower.contains(QLatin1String("flang")))
        return Reader::Flang;
    if (lower.contains(QLatin1String("nvfortran")) || lower.contains(QLatin1String("pgfortran")))
        return Reader::PGI;
    return Reader::None;
}

std::optional<QString> ErrorParser::findMpiCompilerTrueNameForCompiler(const QString &compilerPath)
{
    const QString program = Unix::programForCompilerPath(compilerPath);
    if (program.isEmpty())
        return std::nullopt;
    for (const char *option : {"-show", "--showme"}) {
        const std::optional<QString> shown =
            ProgramProbe::output(program, {QString::fromLatin1(option)});
        if (!shown)
            continue;
        const QString command = shown->trimmed();
        const QString name = command.section(QLatin1Char(' '), 0, 0);
        if (name.isEmpty())
            continue;
        // Looked up in the child environment; the answer keeps `which`'s line end, like a stored
        // compiler path.
        const std::optional<QString> path = Unix::which(name, Unix::environmentDictionary());
        if (path && !path->trimmed().isEmpty())
            return path;
    }
    return std::nullopt;
}

ErrorParser::Reader ErrorParser::readerForCompiler(const QString &compilerPath)
{
    QString lower = Unix::programForCompilerPath(compilerPath).toLower();
    const bool mpiWrapper = lastComponent(lower).contains(QLatin1String("mpi"));
    if (mpiWrapper) {
        if (!m_mpiLookupDone) {
            m_mpiCompilerTrueName = findMpiCompilerTrueNameForCompiler(compilerPath);
            m_mpiLookupDone = true;
        }
        if (m_mpiCompilerTrueName)
            lower = m_mpiCompilerTrueName->toLower();
    }
    const Reader byName = readerForName(lower);
    if (byName != Reader::None)
        return byName;

    // A name we do not know (f95, caf, a site wrapper): ask the program, once per parser.
    const QString program = Unix::programForCompilerPath(compilerPath);
    if (program.isEmpty())
        return Reader::None;
    auto cached = m_probedReaders.constFind(program);
    if (cached != m_probedReaders.constEnd())
        return *cached;
    Reader reader = Reader::None;
    if (auto version = ProgramProbe::output(program, {QStringLiteral("--version")}, kMerged))
        reader = readerForVersionText(*version);
    if (reader == Reader::None) {
        // A wrapper (caf) names the program it runs; that one tells by name or version.
        // An MPI wrapper has been asked already.
        const std::optional<QString> wrapped =
            mpiWrapper ? m_mpiCompilerTrueName : findMpiCompilerTrueNameForCompiler(compilerPath);
        if (wrapped && Unix::programForCompilerPath(*wrapped) != program) {
            reader = readerForName(wrapped->toLower());
            if (reader == Reader::None) {
                if (auto v = ProgramProbe::output(Unix::programForCompilerPath(*wrapped),
                                                  {QStringLiteral("--version")}, kMerged))
                    reader = readerForVersionText(*v);
            }
        }
    }
    m_probedReaders.insert(program, reader);
    return reader;
}

std::optional<ErrorsDictionary> ErrorParser::parseErrorString(const QString &errorText,
                                                              const QString &compilerPath)
{
    m_maxErrorLevel = 0;
    if (isLoaderOutput(errorText))
        return std::nullopt;
    switch (readerForCompiler(compilerPath)) {
    case Reader::PGI:
        return parsePGFortranErrorString(errorText);
    case Reader::GFortran:
        return parseGFortranErrorString(errorText);
    case Reader::G95:
        return parseG95ErrorString(errorText);
    case Reader::Intel:
        return parseIFortErrorString(errorText);
    case Reader::Absoft:
        return parseAbsoftErrorString(errorText);
    case Reader::AbsoftNew:
        return parseAbsoftNewErrorString(errorText);
    case Reader::NAG:
        return parseNAGErrorString(errorText);
    case Reader::Flang:
        return parseFlangErrorString(errorText);
    case Reader::LFortran:
        return parseLFortranErrorString(errorText);
    case Reader::None:
        break;
    }
    return std::nullopt;
}

std::optional<ErrorsDictionary>
ErrorParser::errorsByFileFromArrayOfErrors(const QList<FindResult> &errors)
{
    if (errors.isEmpty())
        return std::nullopt;
    ErrorsDictionary byFile;
    for (const FindResult &row : errors)
        byFile[row.filePath].append(row);
    for (auto &entry : byFile)
        std::stable_sort(
            entry.second.begin(), entry.second.end(),
            [](const FindResult &a, const FindResult &b) { return a.lineNumber < b.lineNumber; });
    return byFile;
}

void ErrorParser::raiseLevel(quint64 level)
{
    m_maxErrorLevel = qMax(m_maxErrorLevel, level);
}

void ErrorParser::addRow(QList<FindResult> &rows, FindResult row, bool warning)
{
    row.errorType = warning ? 1 : 2;
    raiseLevel(warning ? 1 : 2);
    rows.append(std::move(row));
}

std::optional<ErrorsDictionary> ErrorParser::finish(const QList<FindResult> &rows)
{
    return errorsByFileFromArrayOfErrors(rows);
}

} // namespace corvane
