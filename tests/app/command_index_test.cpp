// corvane index --statements: one JSON object per statement, the source form by extension or
// option, and unreadable files reported without losing the others.
#include "support/testutil.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvane::test;

namespace
{

struct Line {
    QString file;
    QString statementClass;
    QString text;
    QStringList tokens;
};

// Parses the output, failing on any line that is not one complete JSON object.
QList<Line> parseLines(const QByteArray &output)
{
    QList<Line> lines;
    for (const QByteArray &raw : output.split('\n')) {
        if (raw.isEmpty())
            continue;
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(raw, &error);
        if (!doc.isObject()) {
            ADD_FAILURE() << "not a JSON object: " << raw.toStdString();
            continue;
        }
        const QJsonObject o = doc.object();
        QStringList tokens;
        for (const QJsonValue &t : o.value("tokens").toArray())
            tokens << t.toString();
        lines.append({o.value("file").toString(), o.value("class").toString(),
                      o.value("text").toString(), tokens});
    }
    return lines;
}

QStringList field(const QList<Line> &lines, QString Line::*member)
{
    QStringList values;
    for (const Line &l : lines)
        values << l.*member;
    return values;
}

} // namespace

TEST(IndexStatementsCommand, FormsAndOutput)
{
    QTemporaryDir dir;
    const QByteArray fixedText = "C comment\n      SUBROUTINE S(A,\n     &             B)\n"
                                 "      END\n";
    const QByteArray freeText = "module m ! note\n  integer, intent(in) :: n; x = 'a b'\n"
                                "end module m\n";
    writeFile(dir.filePath("a.f"), fixedText);
    writeFile(dir.filePath("b.F"), fixedText);
    writeFile(dir.filePath("c.f90"), freeText);
    writeFile(dir.filePath("d.ftn"), fixedText);
    writeFile(dir.filePath("empty.f90"), "");

    const QStringList fixedClasses{"SubroutineStmt", "EndStmt"};
    const QStringList freeClasses{"ModuleStmt", "IntrinsicTypeDeclarationStmt", "OtherStmt",
                                  "EndModuleStmt"};
    const struct {
        const char *name;
        QStringList args;
        QStringList classes;
    } cases[] = {
        {"f is fixed", {"a.f"}, fixedClasses},
        {"F is fixed", {"b.F"}, fixedClasses},
        {"ftn is fixed", {"d.ftn"}, fixedClasses},
        {"f90 is free", {"c.f90"}, freeClasses},
        {"forced free", {"--free", "a.f"}, {"OtherStmt", "SubroutineStmt", "OtherStmt", "EndStmt"}},
        {"forced fixed", {"c.f90", "--fixed"}, {"OtherStmt"}},
        {"empty file", {"empty.f90"}, {}},
        {"two files in order", {"a.f", "c.f90"}, fixedClasses + freeClasses},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto r = runProgram(corvaneExecutable(),
                                  QStringList{"index", "--statements"} + c.args, {}, dir.path());
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(field(parseLines(r.out), &Line::statementClass), c.classes);
    }

    const auto r =
        runProgram(corvaneExecutable(), {"index", "c.f90", "a.f", "--statements"}, {}, dir.path());
    const QList<Line> lines = parseLines(r.out);
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0].file, "c.f90");
    EXPECT_EQ(lines[0].text, "module m ");
    EXPECT_EQ(lines[1].tokens, QStringList({"integer", ",", "intent", "(", "in", ")", "n"}));
    EXPECT_EQ(lines[2].text, "x = 'a b'");
    EXPECT_EQ(lines[2].tokens, QStringList({"x", "=", "'a b'"}));
    EXPECT_EQ(lines[4].file, "a.f");
    EXPECT_EQ(lines[4].text, "SUBROUTINE S(A,             B)");
}

TEST(IndexStatementsCommand, EncodingsAndUnreadableFiles)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("utf8.f90"), "größe = 1\n");
    writeFile(dir.filePath("latin1.f90"), "s = 'caf\xe9'\n");
    writeFile(dir.filePath("crlf.f90"), "x = a + &\r\n  & b\r\nend\r\n");
    // With directives: preprocessed from the bytes, and from the decoded text when there are CRs.
    writeFile(dir.filePath("latin1.F90"), "#define S 'caf\xe9'\ns = S\n");
    writeFile(dir.filePath("crlf.F90"), "#ifdef __GFORTRAN__\r\ny = 1\r\n#endif\r\n");
    QDir(dir.path()).mkdir("folder.f90");

    auto r = runProgram(corvaneExecutable(),
                        {"index", "--statements", "utf8.f90", "missing.f90", "latin1.f90",
                         "folder.f90", "crlf.f90", "latin1.F90", "crlf.F90"},
                        {}, dir.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("missing.f90")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("folder.f90")) << r.err.toStdString();
    const QList<Line> lines = parseLines(r.out);
    EXPECT_EQ(field(lines, &Line::text),
              QStringList({"größe = 1", "s = 'café'", "x = a + b", "end", "s = 'café'", "y = 1"}));
    EXPECT_EQ(field(lines, &Line::file), QStringList({"utf8.f90", "latin1.f90", "crlf.f90",
                                                      "crlf.f90", "latin1.F90", "crlf.F90"}));
    for (const Line &l : lines)
        for (const QString &t : l.tokens)
            EXPECT_FALSE(t.contains(u'\r'));

    const struct {
        const char *name;
        QStringList args;
    } usageErrors[] = {
        {"no mode", {"index", "utf8.f90"}},
        {"no files", {"index", "--statements"}},
        {"both forms", {"index", "--statements", "--fixed", "--free", "utf8.f90"}},
        {"unknown option", {"index", "--statements", "--bogus", "utf8.f90"}},
    };
    for (const auto &c : usageErrors) {
        r = runProgram(corvaneExecutable(), c.args, {}, dir.path());
        EXPECT_NE(r.exitCode, 0) << c.name;
        EXPECT_FALSE(r.err.isEmpty()) << c.name;
        EXPECT_TRUE(r.out.isEmpty()) << c.name;
    }
}
