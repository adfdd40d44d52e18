// corvane colour FILE [--fixed|--free] [--vocabulary PLIST]: the syntax colouring of a whole
// source file, one JSON object per coloured stretch in text order:
//     {"start": 0, "length": 7, "kind": "keyword"}
// start and length count UTF-16 code units of the file's text as read (UTF-8, line ends and tabs
// kept). Without --fixed or --free the extension decides, as for a project's file.
#include "commands.h"
#include "editor/colourscanner.h"
#include "project/fortranfile.h"
#include "settings/vocabulary.h"

#include <QFile>

namespace corvane::app
{

namespace
{

constexpr CommandOption kOptions[] = {
    kFixedOption,
    kFreeOption,
    {"--vocabulary", "PLIST", "colour by the keyword and intrinsic lists of this file"},
};

int fail(const QString &message, int status)
{
    err() << "corvane colour: " << message << "\n";
    err().flush();
    return status;
}

int runColour(const QStringList &args)
{
    QString path;
    QString vocabularyPath;
    std::optional<bool> fixedForm;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--fixed") || a == QLatin1String("--free")) {
            fixedForm = a == QLatin1String("--fixed");
        } else if (a == QLatin1String("--vocabulary") && i + 1 < args.size()) {
            vocabularyPath = args[++i];
        } else if (a.startsWith(QLatin1Char('-')) || !path.isEmpty()) {
            return fail(QStringLiteral("unexpected argument \"%1\"\n%2")
                            .arg(a, usageText("colour").trimmed()),
                        2);
        } else {
            path = a;
        }
    }
    if (path.isEmpty())
        return fail(QStringLiteral("no file given\n%1").arg(usageText("colour").trimmed()), 2);

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()), 1);
    const QString text = QString::fromUtf8(file.readAll());

    Vocabulary custom;
    if (!vocabularyPath.isEmpty()) {
        custom = Vocabulary::fromFile(vocabularyPath);
        if (custom.fortranKeywords().isEmpty() && custom.fortranIntrinsics().isEmpty())
            return fail(QStringLiteral("%1 holds no \"keywords\" or \"intrinsics\" word list")
                            .arg(vocabularyPath),
                        1);
    }
    const Vocabulary &vocabulary = vocabularyPath.isEmpty() ? Vocabulary::instance() : custom;
    const ColourScanner scanner(vocabulary,
                                fixedForm.value_or(FortranFile::isFixedFormPath(path)));

    QString json;
    for (const Span &s : scanner.colourText(text))
        json += QStringLiteral("{\"start\": %1, \"length\": %2, \"kind\": \"%3\"}\n")
                    .arg(s.start)
                    .arg(s.length)
                    .arg(spanKindName(s.kind));
    out() << json;
    out().flush();
    return 0;
}

} // namespace

CORVANE_COMMAND({.name = "colour",
                 .purpose = "print a source file's syntax colouring as JSON",
                 .usage = "colour FILE [--fixed|--free] [--vocabulary PLIST]",
                 .options = kOptions,
                 .run = runColour});

} // namespace corvane::app
