// corvane structure jumplist|scope|complete-end|bracket FILE ...: the editor's structure
// commands on a file's text, without a window, as one JSON value per line. Positions are 1-based
// lines and columns counted in characters. The text is read as the editor loads it (UTF-8, else
// Latin-1; "\r\n" and "\r" become "\n"); the extension decides the source form unless --fixed or
// --free is given.
#include "analysis/declarationjson.h"
#include "commands.h"
#include "editor/bracketmatcher.h"
#include "editor/endcompletion.h"
#include "editor/jumplist.h"
#include "editor/scoperecord.h"
#include "editor/textposition.h"
#include "project/fortranfile.h"
#include "project/lineconversions.h"
#include "sourcetext.h"

namespace corvane::app
{

namespace
{

constexpr CommandOption kOptions[] = {kSelectOption, kFixedOption, kFreeOption};

struct Request {
    QString mode;
    QString path;
    QList<qsizetype> numbers; // LINE, COL
    qsizetype select = 0;
    std::optional<bool> fixedForm;
    QString text;
    StructureScanner scanner;
};

QString jsonNumber(qsizetype n)
{
    return QString::number(n);
}

QString jsonPosition(QStringView text, qsizetype offset)
{
    const TextPosition p = positionForOffset(text, offset);
    return QStringLiteral("[%1, %2]").arg(p.line).arg(p.column);
}

void print(const QString &json)
{
    out() << json << "\n";
    out().flush();
}

std::optional<qsizetype> caretOffset(const Request &r)
{
    const TextPosition position{r.numbers.value(0), r.numbers.value(1, 1)};
    const std::optional<qsizetype> offset = offsetForPosition(r.text, position);
    if (!offset)
        err() << "corvane structure: " << r.path << " has no line " << position.line << " column "
              << position.column << "\n";
    return offset;
}

int jumplist(const Request &r)
{
    for (const JumpListEntry &entry : r.scanner.constructJumpList(r.text)) {
        QString line = QStringLiteral("null");
        if (entry.isMark) {
            line = jsonNumber(entry.line);
        } else if (const auto range = r.scanner.jump(r.text, entry.text)) {
            line = jsonNumber(positionForOffset(r.text, qsizetype(range->location)).line);
        }
        print(QStringLiteral("{\"line\": %1, \"text\": %2}").arg(line, jsonQuoted(entry.text)));
    }
    return 0;
}

int scope(const Request &r)
{
    const std::optional<qsizetype> start = caretOffset(r);
    if (!start)
        return 1;
    // --select N: N characters from the caret, as far as the text goes.
    qsizetype end = *start;
    for (qsizetype n = 0; n < r.select && end < r.text.size(); ++n)
        end += r.text[end].isHighSurrogate() && end + 1 < r.text.size() ? 2 : 1;
    // Shown, then the caret put there: the list follows the caret's unit.
    JumpList list;
    list.rebuild(r.text, r.scanner);
    if (const auto unit = r.scanner.currentProgramUnit(r.text, *start))
        list.synchronize(*unit);
    const ScopeRecord s =
        ScopeRecord::scope(r.text, {quint64(*start), quint64(end - *start)}, list);
    QStringList chain;
    for (const QString &name : s.variableChain.value_or(QStringList()))
        chain << jsonQuoted(name);
    print(QStringLiteral("{\"name\": %1, \"procedure\": %2, \"module\": %3, \"variableChain\": %4, "
                         "\"derivedTypeComponent\": %5}")
              .arg(jsonQuoted(s.name), jsonQuoted(s.procedure),
                   s.module ? jsonQuoted(*s.module) : QStringLiteral("null"),
                   s.variableChain ? QStringLiteral("[%1]").arg(chain.join(QStringLiteral(", ")))
                                   : QStringLiteral("null"),
                   s.derivedTypeComponent ? QStringLiteral("true") : QStringLiteral("false")));
    return 0;
}

int completeEnd(const Request &r)
{
    const std::optional<qsizetype> caret = caretOffset(r);
    if (!caret)
        return 1;
    const EndCompletionResult result =
        EndCompletion::tryCompleteUnitName(r.text, *caret, r.scanner);
    if (!result.completed) {
        print(QStringLiteral("null"));
        return 0;
    }
    QString text = r.text;
    if (result.replacement)
        applyReplacement(text, *result.replacement);
    const QString line = text.section(u'\n', int(result.endLine - 1), int(result.endLine - 1));
    print(QStringLiteral("{\"lineNumber\": %1, \"line\": %2}")
              .arg(jsonNumber(result.endLine), jsonQuoted(line)));
    return 0;
}

int bracket(const Request &r)
{
    const std::optional<qsizetype> at = caretOffset(r);
    if (!at)
        return 1;
    const BracketMatch match = BracketMatcher::matchAt(r.text, *at);
    switch (match.kind) {
    case BracketMatch::NotABracket:
        print(QStringLiteral("null"));
        break;
    case BracketMatch::NoMatch:
        print(QStringLiteral("{\"beep\": true}"));
        break;
    case BracketMatch::Match: {
        const qsizetype first = qsizetype(match.range.location);
        const qsizetype last = first + qsizetype(match.range.length) - 1;
        print(QStringLiteral("{\"start\": %1, \"end\": %2}")
                  .arg(jsonPosition(r.text, first), jsonPosition(r.text, last)));
        break;
    }
    }
    return 0;
}

const struct {
    const char *name;
    int positions;    // LINE and COL after FILE
    int optionalOnes; // how many of them may be left out
    int (*run)(const Request &);
} kModes[] = {
    {"jumplist", 0, 0, jumplist},
    {"scope", 2, 0, scope},
    {"complete-end", 2, 1, completeEnd},
    {"bracket", 2, 0, bracket},
};

// A positive (or, for --select, non-negative) whole number.
std::optional<qsizetype> number(const QString &arg, qsizetype least)
{
    bool ok = false;
    const qsizetype n = arg.toLongLong(&ok);
    return ok && n >= least ? std::optional<qsizetype>(n) : std::nullopt;
}

int usageError(const QString &message)
{
    if (!message.isEmpty())
        err() << "corvane structure: " << message << "\n";
    err() << usageText("structure");
    err().flush();
    return 2;
}

int runStructure(const QStringList &args)
{
    Request r;
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == u"--fixed" || arg == u"--free") {
            const bool fixed = arg == u"--fixed";
            if (r.fixedForm && *r.fixedForm != fixed)
                return usageError("--fixed and --free exclude each other");
            r.fixedForm = fixed;
        } else if (arg == u"--select") {
            const auto n = i + 1 < args.size() ? number(args[i + 1], 0) : std::nullopt;
            if (!n)
                return usageError("--select needs a number of characters");
            r.select = *n;
            ++i;
        } else if (arg.startsWith(u"--")) {
            return usageError("unknown option '" + arg + "'");
        } else {
            positional << arg;
        }
    }
    if (positional.size() < 2)
        return usageError(QString());
    r.mode = positional.takeFirst();
    r.path = positional.takeFirst();
    for (const auto &mode : kModes) {
        if (r.mode != QLatin1StringView(mode.name))
            continue;
        if (positional.size() > mode.positions ||
            positional.size() < mode.positions - mode.optionalOnes)
            return usageError(QString());
        for (const QString &p : positional) {
            const auto n = number(p, 1);
            if (!n)
                return usageError("'" + p + "' is no line or column (they count from 1)");
            r.numbers << *n;
        }
        if (r.select > 0 && r.mode != u"scope")
            return usageError("--select belongs to scope");
        const std::optional<QString> text = readSourceText(r.path, "structure");
        if (!text)
            return 1;
        r.text = *text;
        LineConversions::convertLineEndingsIn(r.text, 2);
        LineConversions::convertLineEndingsIn(r.text, 1);
        r.scanner.setFixedForm(r.fixedForm.value_or(FortranFile::isFixedFormPath(r.path)));
        return mode.run(r);
    }
    return usageError("unknown structure command '" + r.mode + "'");
}

} // namespace

CORVANE_COMMAND({.name = "structure",
                 .purpose = "the editor's jump list, scope, END completion and bracket matching",
                 .usage = "structure jumplist FILE [--fixed|--free]\n"
                          "structure scope FILE LINE COL [--select N] [--fixed|--free]\n"
                          "structure complete-end FILE LINE [COL] [--fixed|--free]\n"
                          "structure bracket FILE LINE COL [--fixed|--free]",
                 .options = kOptions,
                 .run = runStructure});

} // namespace corvane::app
