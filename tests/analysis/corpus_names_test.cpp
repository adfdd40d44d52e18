// Every name the parser records for the shared corpora of real code (LAPACK, json-fortran) starts
// with a letter, and no variable, binding or specific is a statement word or punctuation.
#include "parsertesthelper.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <set>

using namespace corvane;
using namespace corvane::test;

namespace
{

QString corporaDir()
{
    // The corpora sit beside the main checkout, or beside the folder of worktrees.
    for (const char *relative : {"/../shared/corpora", "/../../shared/corpora"}) {
        const QString dir = QDir::cleanPath(QStringLiteral(CORVANE_SOURCE_DIR) + relative);
        if (QDir(dir + "/json-fortran").exists())
            return dir;
    }
    return QString();
}

bool startsWithLetter(const QString &name)
{
    return !name.isEmpty() && name[0].isLetter();
}

// Words that name no entity in real code but were once taken for names.
bool isStatementWord(const QString &name)
{
    static const std::set<QString> words = {
        "operator", "assignment", "procedure", "function", "subroutine", "interface", "contains",
        "intent",   "dimension",  "nopass",    "pass",     "deferred",   "non_overridable",
        "end",      "bind",       "module",
    };
    return words.count(name.toLower()) > 0;
}

struct NameCheck {
    QString file;
    QStringList faults;
    qsizetype names = 0;

    void entity(const QString &what, const QString &name)
    {
        ++names;
        if (!startsWithLetter(name) || isStatementWord(name))
            faults << file + ": " + what + " \"" + name + "\"";
    }
    // Keys and names of generic specs, "operator(==)" included, start with a letter.
    void spec(const QString &what, const QString &name)
    {
        ++names;
        if (!startsWithLetter(name))
            faults << file + ": " + what + " \"" + name + "\"";
    }

    void unit(const FProgramUnit &u)
    {
        entity("unit", u.name);
        if (u.variables)
            for (const auto &v : *u.variables)
                entity("variable", v.second->name);
        if (u.arguments)
            for (const auto &a : *u.arguments)
                if (a->name != QLatin1StringView("*")) // alternate return
                    entity("argument", a->name);
        if (u.interfaces)
            for (const auto &i : *u.interfaces) {
                spec("interface", i.first);
                for (const Tuple &t : i.second)
                    entity("specific", t.value);
            }
        if (u.types)
            for (const auto &t : *u.types) {
                entity("type", t.second->name);
                if (t.second->variables)
                    for (const auto &v : *t.second->variables)
                        entity("component", v.second->name);
                if (t.second->typeboundProcedures)
                    for (const auto &b : *t.second->typeboundProcedures) {
                        entity("binding", b->name);
                        if (!b->bindingName.isNull())
                            spec("binding name", b->bindingName);
                    }
                if (t.second->genericBindings)
                    for (const auto &g : *t.second->genericBindings) {
                        spec("generic binding", g.first);
                        for (const QString &s : g.second)
                            entity("generic specific", s);
                    }
            }
        if (u.procedures)
            for (const auto &p : *u.procedures)
                unit(*p.second);
    }
};

} // namespace

TEST(CorpusNames, EveryRecordedNameIsAName)
{
    const QString root = corporaDir();
    if (root.isEmpty())
        GTEST_SKIP() << "the shared corpora are not beside this checkout";
    qsizetype files = 0;
    qsizetype names = 0;
    QStringList faults;
    QDirIterator it(root, {"*.f", "*.f90", "*.F90", "*.F", "*.inc"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(path);
        const QString text = QString::fromUtf8(f.readAll());
        const bool free = !path.endsWith(".f") && !path.endsWith(".F");
        const auto decls = parseFortran(text, free, path);
        NameCheck check{QDir(root).relativeFilePath(path), {}, 0};
        if (decls->modules)
            for (const auto &m : *decls->modules)
                check.unit(*m.second);
        if (decls->nonModuleProcedures)
            for (const auto &p : *decls->nonModuleProcedures)
                check.unit(*p.second);
        ++files;
        names += check.names;
        faults += check.faults;
    }
    EXPECT_GT(files, 3000);
    EXPECT_GT(names, 100000);
    EXPECT_TRUE(faults.isEmpty()) << faults.size() << " faults, the first:\n"
                                  << qPrintable(faults.mid(0, 40).join('\n'));
}
