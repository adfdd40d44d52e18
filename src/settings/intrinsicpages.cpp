#include "settings/intrinsicpages.h"

#include "settings/vocabulary.h"

#include <QFile>

namespace corvane
{

namespace
{

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

QString argumentLabel(const IntrinsicArgument &a)
{
    return a.optional ? QStringLiteral("[%1]").arg(a.name) : a.name;
}

// Fills the parts an argument line left out.
void completeArgument(IntrinsicArgument &a, bool elemental)
{
    if (a.kind.isEmpty())
        a.kind = QStringLiteral("any");
    if (a.rank.isEmpty())
        a.rank = elemental ? QStringLiteral("scalar or array") : QStringLiteral("scalar");
    if (a.intent.isEmpty())
        a.intent = QStringLiteral("in");
}

// What an entry still lacks, or an empty string when it is whole.
QString missingPart(const IntrinsicPage &p)
{
    if (p.classes.isEmpty())
        return QStringLiteral("no classes");
    if (p.standard.isEmpty())
        return QStringLiteral("no standard");
    if (p.description.isEmpty())
        return QStringLiteral("no description");
    if (p.example.size() < 2)
        return QStringLiteral("an example needs two lines");
    if (!p.isSubroutine() && p.result.isEmpty())
        return QStringLiteral("a function needs a result");
    return QString();
}

// An old specific name: the generic it stands for, with arguments of one type.
struct Specific {
    int line;
    QString name, generic, argumentType, resultType, standard;
};

IntrinsicPage specificPage(const IntrinsicPage &generic, const Specific &sp)
{
    IntrinsicPage page;
    page.name = sp.name;
    page.classes = {"elemental", "function", "specific"};
    page.standard = sp.standard;
    QStringList names;
    for (IntrinsicArgument a : generic.arguments) {
        if (a.optional)
            continue;
        a.type = sp.argumentType;
        a.kind = QStringLiteral("default");
        names << a.name;
        page.arguments << a;
    }
    page.result = sp.resultType + QStringLiteral(" of default kind");
    page.description =
        QStringLiteral("An old specific name of %1 that takes only %2 arguments and gives a "
                       "%3 result. New code calls %1 itself, which picks the right version "
                       "from its arguments.")
            .arg(generic.name, sp.argumentType, sp.resultType);
    page.example = {QStringLiteral("%1 :: %2").arg(sp.argumentType, names.join(", ")),
                    QStringLiteral("r = %1(%2)    ! the same as %3(%2); r is %4")
                        .arg(sp.name, names.join(", "), generic.name, sp.resultType)};
    return page;
}

} // namespace

const QStringList &IntrinsicPages::classWords()
{
    static const QStringList words = {"elemental",  "inquiry", "transformational",
                                      "function",   "subroutine", "pure",
                                      "impure",     "atomic",     "collective",
                                      "simple",     "specific"};
    return words;
}

const IntrinsicPages &IntrinsicPages::instance()
{
    static const IntrinsicPages pages = [] {
        Vocabulary::instance(); // registers the compiled-in resources
        QFile file(QString::fromLatin1(ResourcePath));
        if (!file.open(QIODevice::ReadOnly))
            return IntrinsicPages();
        return parse(QString::fromUtf8(file.readAll()));
    }();
    return pages;
}

IntrinsicPages IntrinsicPages::parse(QStringView table, QStringList *errors)
{
    IntrinsicPages pages;
    QString module;
    IntrinsicPage current;
    QList<Specific> specifics;
    bool open = false;
    int entryLine = 0;
    auto fail = [&](int line, const QString &what) {
        if (errors)
            *errors << QStringLiteral("line %1: %2").arg(line).arg(what);
    };
    auto close = [&] {
        if (!open)
            return;
        open = false;
        const QString missing = missingPart(current);
        if (!missing.isEmpty()) {
            fail(entryLine, current.name + ": " + missing);
            return;
        }
        const QString key = current.name.toLower();
        if (pages.m_index.contains(key)) {
            fail(entryLine, current.name + ": listed twice");
            return;
        }
        pages.m_index.insert(key, pages.m_pages.size());
        pages.m_pages.append(current);
    };

    const QList<QStringView> lines = table.split(u'\n');
    for (int n = 0; n < lines.size(); ++n) {
        const int lineNumber = n + 1;
        const QStringView raw = lines[n];
        const QStringView line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u"@module")) {
            close();
            module = line.mid(7).trimmed().toString();
            continue;
        }
        const bool indented = raw.front().isSpace();
        if (!indented && line.split(u'|').front().contains(u'=')) {
            close();
            const QList<QStringView> fields = line.split(u'|');
            const QList<QStringView> names = fields.front().split(u'=');
            if (fields.size() != 4 || names.size() != 2) {
                fail(lineNumber, QStringLiteral("a specific name is name = generic | argument "
                                                "type | result type | standard"));
                continue;
            }
            specifics << Specific{lineNumber,
                                  names[0].trimmed().toString(),
                                  names[1].trimmed().toString(),
                                  fields[1].trimmed().toString(),
                                  fields[2].trimmed().toString(),
                                  fields[3].trimmed().toString()};
            continue;
        }
        if (!indented) {
            close();
            const QList<QStringView> fields = line.split(u'|');
            current = IntrinsicPage();
            entryLine = lineNumber;
            if (fields.size() != 3 || fields[0].trimmed().isEmpty()) {
                fail(lineNumber, QStringLiteral("an entry starts with name | classes | standard"));
                continue;
            }
            current.name = fields[0].trimmed().toString();
            current.module = module;
            current.standard = fields[2].trimmed().toString();
            bool classesOk = true;
            for (const QStringView w : fields[1].split(u' ', Qt::SkipEmptyParts)) {
                classesOk = classesOk && classWords().contains(w.toString());
                current.classes << w.toString();
            }
            if (!classesOk) {
                fail(lineNumber, current.name + ": unknown class in '" +
                                     fields[1].trimmed().toString() + "'");
                continue;
            }
            open = true;
            continue;
        }
        if (!open) {
            fail(lineNumber, QStringLiteral("a detail line outside an entry"));
            continue;
        }
        const QString rest = line.mid(1).trimmed().toString();
        switch (line.front().unicode()) {
        case '=':
            current.result = rest;
            break;
        case ':':
            current.description += (current.description.isEmpty() ? "" : " ") + rest;
            break;
        case '>':
            current.example << line.mid(1).toString().remove(0, line.size() > 1 && line[1] == u' ');
            break;
        default: {
            const QList<QStringView> fields = line.split(u'|');
            if (fields.size() != 2 && fields.size() != 5) {
                fail(lineNumber, current.name + ": an argument is name | type [| kind | rank | intent]");
                open = false;
                continue;
            }
            IntrinsicArgument a;
            QString name = fields[0].trimmed().toString();
            if (name.startsWith(u'[') && name.endsWith(u']')) {
                a.optional = true;
                name = name.mid(1, name.size() - 2);
            }
            a.name = name;
            a.type = fields[1].trimmed().toString();
            if (fields.size() == 5) {
                a.kind = fields[2].trimmed().toString();
                a.rank = fields[3].trimmed().toString();
                a.intent = fields[4].trimmed().toString();
            }
            completeArgument(a, current.classes.contains(QStringLiteral("elemental")));
            current.arguments << a;
        }
        }
    }
    close();
    for (const Specific &sp : specifics) {
        const IntrinsicPage *generic = pages.page(sp.generic);
        if (!generic) {
            fail(sp.line, sp.name + ": no page for " + sp.generic);
            continue;
        }
        current = specificPage(*generic, sp);
        entryLine = sp.line;
        open = true;
        close();
    }
    return pages;
}

const IntrinsicPage *IntrinsicPages::page(const QString &name) const
{
    const auto it = m_index.constFind(name.toLower());
    return it == m_index.constEnd() ? nullptr : &m_pages[*it];
}

QStringList IntrinsicPages::names() const
{
    QStringList names;
    names.reserve(m_pages.size());
    for (const IntrinsicPage &p : m_pages)
        names << p.name.toLower();
    return names;
}

QString IntrinsicPage::html() const
{
    QString h;
    h += QStringLiteral("<h2><tt>%1</tt></h2>\n").arg(escaped(name));
    h += QStringLiteral("<p><i>%1</i> &#8212; since %2").arg(escaped(classes.join(u' ')),
                                                             escaped(standard));
    if (!module.isEmpty())
        h += QStringLiteral("; from module <tt>%1</tt>").arg(escaped(module));
    h += QStringLiteral("</p>\n");
    QStringList call;
    for (const IntrinsicArgument &a : arguments)
        call << argumentLabel(a);
    h += QStringLiteral("<p><tt>%1%2(%3)</tt></p>\n")
             .arg(isSubroutine() ? "call " : "", escaped(name), escaped(call.join(", ")));
    if (!arguments.isEmpty()) {
        h += QStringLiteral("<h3>Arguments</h3>\n<table cellspacing=\"2\" cellpadding=\"2\">\n"
                            "<tr><th align=\"left\">name</th><th align=\"left\">type</th>"
                            "<th align=\"left\">kind</th><th align=\"left\">rank</th>"
                            "<th align=\"left\">intent</th></tr>\n");
        for (const IntrinsicArgument &a : arguments)
            h += QStringLiteral("<tr><td><tt>%1</tt></td><td>%2</td><td>%3</td><td>%4</td>"
                                "<td>%5</td></tr>\n")
                     .arg(escaped(argumentLabel(a)), escaped(a.type), escaped(a.kind),
                          escaped(a.rank), escaped(a.intent));
        h += QStringLiteral("</table>\n");
    }
    if (!result.isEmpty())
        h += QStringLiteral("<h3>Result</h3>\n<p>%1</p>\n").arg(escaped(result));
    h += QStringLiteral("<h3>Description</h3>\n<p>%1</p>\n").arg(escaped(description));
    h += QStringLiteral("<h3>Example</h3>\n<pre>%1</pre>\n").arg(escaped(example.join(u'\n')));
    return h;
}

QString IntrinsicPage::plainText() const
{
    QString t = name + " (" + classes.join(u' ') + ", " + standard;
    if (!module.isEmpty())
        t += ", module " + module;
    t += ")\n";
    QStringList call;
    for (const IntrinsicArgument &a : arguments)
        call << argumentLabel(a);
    t += QStringLiteral("  %1%2(%3)\n").arg(isSubroutine() ? "call " : "", name, call.join(", "));
    if (!arguments.isEmpty()) {
        t += "Arguments:\n";
        qsizetype width = 0;
        for (const IntrinsicArgument &a : arguments)
            width = qMax(width, argumentLabel(a).size());
        for (const IntrinsicArgument &a : arguments)
            t += QStringLiteral("  %1  %2; kind %3; rank %4; intent(%5)\n")
                     .arg(argumentLabel(a).leftJustified(width), a.type, a.kind, a.rank, a.intent);
    }
    if (!result.isEmpty())
        t += "Result: " + result + "\n";
    t += description + "\n";
    t += "Example:\n";
    for (const QString &line : example)
        t += "  " + line + "\n";
    return t;
}

} // namespace corvane
