#include "commandhelp.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace corvane::app
{

namespace
{

constexpr CommandOption kGlobalOptions[] = {
    {"--help", nullptr, "print this help (-h); with a command, that command's usage"},
    {"--version", nullptr, "print the version (-v)"},
    {"--quiet", nullptr, "show no progress on a terminal, whatever the command"},
    {"--edit", "FILE", "open files in Corvane's own editor window"},
};

QString optionLabel(const CommandOption &option)
{
    QString label = QString::fromUtf8(option.flag);
    // A one-letter option's value follows it directly, as for a compiler ("-DNAME").
    if (option.value)
        label += (label.size() == 2 ? QString() : QStringLiteral(" ")) +
                 QString::fromUtf8(option.value);
    return label;
}

QString optionTable(std::span<const CommandOption> options)
{
    qsizetype width = 0;
    for (const CommandOption &o : options)
        width = std::max(width, optionLabel(o).size());
    QString text;
    for (const CommandOption &o : options)
        text += QLatin1String("  ") + optionLabel(o).leftJustified(width + 2) +
                QString::fromUtf8(o.help) + u'\n';
    return text;
}

QStringList commandNames()
{
    QStringList names;
    for (const Command &c : registeredCommands())
        names << QString::fromUtf8(c.name);
    return names;
}

const CommandOption *optionNamed(const Command &command, QStringView flag)
{
    for (const CommandOption &o : command.options)
        if (flag == QLatin1String(o.flag))
            return &o;
    return nullptr;
}

// One argument placeholder of a synopsis, added to what its slot takes.
void addPlaceholder(ArgumentSlot &slot, const QString &word)
{
    if (word.contains(u'|') || word == word.toLower()) {
        for (const QString &w : word.split(u'|'))
            if (!slot.words.contains(w))
                slot.words << w;
    } else if (word == QLatin1String("COMMAND")) {
        slot.words << commandNames();
    } else if (word.startsWith(QLatin1String("PROJECT"))) {
        slot.project = true;
    } else if (word == QLatin1String("FILE") || word == QLatin1String("FILES") ||
               word == QLatin1String("SOURCES")) {
        slot.fortran = true;
    } else if (word == QLatin1String("MAKEFILE") || word == QLatin1String("LOG") ||
               word == QLatin1String("PLIST")) {
        slot.anyFile = true;
    } // LINE, COL, NAME, TEXT: nothing to offer
}

} // namespace

std::span<const CommandOption> globalOptions()
{
    return kGlobalOptions;
}

QString programUsageLine()
{
    return QStringLiteral("usage: corvane [PROJECT...] | corvane COMMAND [ARGUMENTS...] | "
                          "corvane --help\n");
}

QString overviewText()
{
    QString text =
        QStringLiteral("Usage: corvane [PROJECT...]            open the IDE with these projects\n"
                       "       corvane --edit FILE...          open files in Corvane's own editor\n"
                       "       corvane COMMAND [ARGUMENTS...]  work on a project without a window\n"
                       "       corvane help COMMAND            a command's usage and options\n"
                       "\nCommands:\n");
    qsizetype width = 0;
    for (const Command &c : registeredCommands())
        width = std::max(width, qsizetype(std::strlen(c.name)));
    for (const Command &c : registeredCommands())
        text += QLatin1String("  ") + QString::fromUtf8(c.name).leftJustified(width + 2) +
                QString::fromUtf8(c.purpose) + u'\n';
    text += QLatin1String("\nOptions:\n") + optionTable(kGlobalOptions);
    text += QLatin1String("\nLines and columns on the command line count from 1, columns in "
                          "characters.\n");
    return text;
}

QString commandHelpText(const Command &command)
{
    QString text = QStringLiteral("corvane %1: %2\n\n")
                       .arg(QString::fromUtf8(command.name), QString::fromUtf8(command.purpose));
    text += usageText(command.name);
    if (!command.options.empty())
        text += QLatin1String("\nOptions:\n") + optionTable(command.options);
    return text;
}

int editDistance(QStringView a, QStringView b)
{
    const QString x = a.toString().toLower(), y = b.toString().toLower();
    const qsizetype n = x.size(), m = y.size();
    // d[i][j]: distance of the first i characters of x and the first j of y.
    std::vector<std::vector<int>> d(size_t(n + 1), std::vector<int>(size_t(m + 1)));
    for (qsizetype i = 0; i <= n; ++i)
        d[i][0] = int(i);
    for (qsizetype j = 0; j <= m; ++j)
        d[0][j] = int(j);
    for (qsizetype i = 1; i <= n; ++i) {
        for (qsizetype j = 1; j <= m; ++j) {
            const int cost = x[i - 1] == y[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && x[i - 1] == y[j - 2] && x[i - 2] == y[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[n][m];
}

QString closestName(const QString &typed, const QStringList &names)
{
    QString best;
    int bestDistance = 3;
    for (const QString &name : names) {
        const int distance = editDistance(typed, name);
        if (distance < bestDistance && distance * 2 <= typed.size()) {
            best = name;
            bestDistance = distance;
        }
    }
    return best;
}

CommandArguments commandArguments(const Command &command)
{
    CommandArguments arguments;
    for (const QString &line : QString::fromUtf8(command.usage).split(u'\n')) {
        const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
        qsizetype position = 0;
        for (qsizetype i = 1; i < words.size(); ++i) { // words[0] is the command's name
            QString word = words[i];
            word.remove(u'[').remove(u']');
            if (word.startsWith(u'-')) {
                const CommandOption *option = optionNamed(command, word.section(u'|', 0, 0));
                if (option && option->value)
                    ++i; // its value
                continue;
            }
            const bool repeats = word.endsWith(QLatin1String("..."));
            if (repeats)
                word.chop(3);
            if (arguments.positions.size() <= position)
                arguments.positions.resize(position + 1);
            addPlaceholder(arguments.positions[position], word);
            if (repeats && position + 1 >= arguments.positions.size())
                arguments.lastRepeats = true;
            ++position;
        }
    }
    return arguments;
}

bool optionValueIsFile(const CommandOption &option)
{
    const QLatin1String value(option.value ? option.value : "");
    return value == QLatin1String("FILE") || value == QLatin1String("PATH") ||
           value == QLatin1String("PLIST") || value == QLatin1String("DIR");
}

} // namespace corvane::app
