// Preprocessing for the index: options from the project's flags and the compiler, and a real
// library's sources (json-fortran) read through them.
#include "project/indexpreprocessing.h"

#include "analysis/parsertesthelper.h"
#include "project/sourcetext.h"
#include "support/testutil.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

#include <sys/stat.h>

using namespace corvane;

namespace
{

QStringList defineNames(const FPreprocessor::Options &o)
{
    QStringList names;
    for (const FMacroDefinition &d : o.defines)
        names.append(d.name + u'=' + d.body);
    return names;
}

TEST(IndexPreprocessing, OptionsFromFlagsAndCompiler)
{
    struct Row {
        const char *name, *flags, *includeFlags, *compiler;
        QStringList defines, folders;
    };
    const Row rows[] = {
        {"gfortran predefines",
         "-O2 -Wall",
         "",
         "/usr/bin/gfortran",
         {"__GFORTRAN__=1", "__GNUC__=12"},
         {}},
        {"no compiler path is gfortran", "", "", "", {"__GFORTRAN__=1", "__GNUC__=12"}, {}},
        {"ifort", "", "", "/opt/intel/bin/ifort", {"__INTEL_COMPILER=2021"}, {}},
        {"other compilers predefine nothing here", "-DX", "", "/opt/nag/nagfor", {"X=1"}, {}},
        {"-D forms, -U after -D, -U of a predefined macro",
         "-DA -D B=2 \"-DK=kind(1.0)\" -UA -U__GNUC__ -DA=3",
         "",
         "gfortran",
         {"__GFORTRAN__=1", "B=2", "K=kind(1.0)", "A=3"},
         {}},
        {"include folders, relative ones from the project folder",
         "-Iinc",
         "-I /abs/x -I../up",
         "gfortran",
         {"__GFORTRAN__=1", "__GNUC__=12"},
         {"/p/inc", "/abs/x", "/up"}},
        // (we had this bug: the folders the project adds for its include files were not seen)
        {"include folders as the project keeps them: quoted folder names",
         "",
         "\"/abs/inc\" \"sub dir\" ",
         "gfortran",
         {"__GFORTRAN__=1", "__GNUC__=12"},
         {"/abs/inc", "/p/sub dir"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const auto o = preprocessorOptions(row.flags, row.includeFlags, row.compiler, "/p");
        EXPECT_EQ(defineNames(o), row.defines);
        EXPECT_EQ(o.includeFolders, row.folders);
    }
}

TEST(IndexPreprocessing, TextWithoutDirectivesIsTheSameString)
{
    const QString text = QString::fromLatin1("module m\nend module\n");
    const QString got = textForIndexing("/p/a.F90", text, preprocessorOptions("", "", "", "/p"));
    EXPECT_EQ(got, text);
    EXPECT_TRUE(got.isSharedWith(text));
}

TEST(IndexPreprocessing, JsonFortranIndexesAsTheCompilerSeesIt)
{
    const QString folder =
        QStringLiteral(CORVANE_SOURCE_DIR "/../../shared/corpora/json-fortran/src");
    QFile file(folder + "/json_value_module.F90");
    if (!file.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "json-fortran not found beside the worktree";
    const QString path = QDir::cleanPath(file.fileName());
    const QString source = QString::fromUtf8(file.readAll());
    const QString text =
        textForIndexing(path, source, preprocessorOptions("", "", "gfortran", folder));

    FFileParser parser;
    const QString json = declarationsJson(*parser.declarationsInFortranFile(path, text, 1));
    EXPECT_FALSE(json.contains(u"MAYBEWRAP"));
    EXPECT_FALSE(json.contains(u"REAL32\""));
    // No name (a JSON key or a "name" value) starts with '#'.
    EXPECT_FALSE(json.contains(QRegularExpression(QStringLiteral("\"#"))));
    const QJsonObject root = QJsonDocument::fromJson(json.toUtf8()).object();
    const QString module = "modules/json_value_module/";
    const QJsonObject core = root["modules"]["json_value_module"]["types"]["json_core"].toObject();
    QStringList bindings;
    for (const QJsonValue &b : core["typeboundProcedures"].toArray())
        bindings.append(b["name"].toString());
    EXPECT_TRUE(bindings.contains("json_value_add_integer")) << qPrintable(bindings.join(' '));
    EXPECT_FALSE(bindings.contains("json_value_add_real64"));
    const QJsonArray add = core["genericBindings"]["add"].toArray();
    EXPECT_TRUE(add.contains(QJsonValue("json_value_add_integer")));
    EXPECT_TRUE(add.contains(QJsonValue("json_value_add_real32")));
    EXPECT_FALSE(add.contains(QJsonValue("json_value_add_real64")));
    // Only in an inactive #ifdef REAL128 branch.
    EXPECT_EQ(test::jsonAt(root, module + "procedures/json_value_add_real64"), "<absent>");
    const QString args = test::jsonAt(root, module + "procedures/json_initialize/argumentList");
    EXPECT_TRUE(args.startsWith("\"(me,verbose,compact_reals,")) << qPrintable(args);
    EXPECT_GE(args.count(u','), 27) << qPrintable(args);
    EXPECT_FALSE(args.contains(u"include")) << qPrintable(args);
}

// Files on disk, as a project keeps them: INCLUDE files beside the source and in a -I folder,
// found through the reader the index uses.
TEST(IndexPreprocessing, IncludeFilesOnDiskBelongToTheIncludingUnit)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = dir.path();
    const auto write = [&](const QString &name, const QByteArray &text) {
        QDir().mkpath(QFileInfo(root + u'/' + name).path());
        QFile f(root + u'/' + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    write("src/geo.F90", "module geo\n#ifdef __GFORTRAN__\n  include 'kinds.inc'\n#endif\n"
                         "contains\n  include 'procs.inc'\n  INCLUDE \"missing.inc\"\nend module\n");
    write("src/kinds.inc", "  integer, parameter :: wp = 8\r\n");
    write("inc/procs.inc", "  ! shared procedures\n  subroutine grow(r)\n    real(wp) :: r\n"
                           "  end subroutine\n");
    const QString path = root + "/src/geo.F90";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    const SourceForIndexing source =
        sourceForIndexing(path, text, preprocessorOptions("-I../inc", "", "gfortran", root + "/src"));
    ASSERT_TRUE(source.sourceMap);
    EXPECT_EQ(source.messages,
              QStringList({path + ":7: the INCLUDE file 'missing.inc' was not found"}));

    FFileParser parser;
    const auto decl = parser.declarationsInFortranFile(path, source.text, 1, &*source.sourceMap);
    const auto geo = decl->moduleNamed("geo");
    ASSERT_TRUE(geo);
    EXPECT_EQ(geo->defInfo->fileSource, path);
    ASSERT_TRUE(lookupDeclaration(geo->variables, "wp"));
    const auto grow = lookupDeclaration(geo->procedures, "grow");
    ASSERT_TRUE(grow);
    EXPECT_EQ(grow->defInfo->fileSource, root + "/inc/procs.inc");
    EXPECT_EQ(grow->line, 2);
    ASSERT_TRUE(grow->arguments);
    EXPECT_EQ(grow->arguments->at(0)->typeName, "real(wp)");
}

TEST(IndexPreprocessing, TextWithoutIncludeLinesIsTheSameString)
{
    const QString text = QString::fromLatin1("module m\n  ! no include here\nend module\n");
    const SourceForIndexing source =
        sourceForIndexing("/p/a.f90", text, preprocessorOptions("", "", "", "/p"));
    EXPECT_TRUE(source.text.isSharedWith(text) || source.text == text);
    EXPECT_TRUE(source.messages.isEmpty());
}

// The loader reads a file as the index always read it (decoded, line endings normalised, then
// sourceForIndexing) whichever way it takes: from the bytes for a file with directive lines and
// no '\r', from the decoded text otherwise. The scan that chooses reads the file in pieces, so
// the table puts lines at a piece's start.
TEST(IndexPreprocessing, LoadedSourceIsTheDecodedTextsSource)
{
    constexpr qsizetype kPiece = qsizetype(1) << 20; // the loader's scan reads pieces of this size
    const QByteArray filler(kPiece - 1, 'x');        // then "\n": the next line starts a piece
    const struct {
        const char *name;
        QByteArray bytes;
        bool preprocessed; // whether the text is preprocessed, not the file's own
        bool fromBytes;    // whether it was preprocessed from the bytes
    } rows[] = {
        {"no directive", "module m\n  x = __GFORTRAN__ ! # no\nend module\n", false, false},
        {"directives", "#ifdef __GFORTRAN__\nx = __GNUC__\n#else\ny\n#endif\n", true, true},
        {"directives and CRLF", "#define A 1\r\nx = A\r\n#if A\r\ny\r\n#endif\r\n", true, false},
        {"directives and lone CRs", "#define A 1\rx = A\r", true, false},
        {"a CR far after the directive", "#define A 1\nx = A\n" + filler + "\r\ny = A\n", true,
         false},
        {"directives, not UTF-8", "#define S 'caf\xe9'\ns = S\n", true, true},
        {"not UTF-8 far after the directive", "#define A 1\n" + filler + "\n'\xff' A\n", true,
         true},
        {"a byte order mark before the directive", "\xEF\xBB\xBF#define A 1\nx = A\n", true, true},
        {"a byte order mark of Latin-1 text starts no directive",
         "\xEF\xBB\xBF#define A 1\nx = A '\xe9'\n", false, false},
        {"a directive line at the start of a later piece", filler + "\n#define A 1\nx = A\n", true,
         true},
        {"a '#' at the start of a later piece inside a line", filler + "x#define A 1\nx = A\n",
         false, false},
        {"INCLUDE lines in preprocessed text", "#define A 1\n  include 'missing.inc'\nx = A\n",
         true, true},
        {"INCLUDE lines only", "  include 'missing.inc'\n", true, false},
        {"an empty file", "", false, false},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const FPreprocessor::Options options = preprocessorOptions("-DK=2", "", "gfortran", dir.path());
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = dir.filePath("a.F90");
        test::writeFile(path, row.bytes);

        const SourceForIndexing want =
            sourceForIndexing(path, normaliseLineEndings(decodeSource(row.bytes)), options);
        QString error;
        const std::optional<SourceForIndexing> got = loadSourceForIndexing(path, options, &error);
        ASSERT_TRUE(got) << qPrintable(error);
        EXPECT_TRUE(error.isEmpty());
        EXPECT_EQ(got->text, want.text);
        EXPECT_FALSE(got->text.contains(u'\r'));
        EXPECT_EQ(got->messages, want.messages);
        EXPECT_EQ(got->fromBytes, row.fromBytes);
        // Handed to the parser, the text has no other holder (then long statements join in place).
        EXPECT_TRUE(got->text.isEmpty() || got->text.isDetached());
        ASSERT_EQ(got->sourceMap.has_value(), row.preprocessed);
        ASSERT_EQ(want.sourceMap.has_value(), row.preprocessed);
        if (!row.preprocessed)
            continue;
        EXPECT_EQ(got->sourceMap->files, want.sourceMap->files);
        ASSERT_EQ(got->sourceMap->lineMap.size(), want.sourceMap->lineMap.size());
        for (qsizetype i = 0; i < got->sourceMap->lineMap.size(); ++i) {
            EXPECT_EQ(got->sourceMap->lineMap[i].file, want.sourceMap->lineMap[i].file) << i;
            EXPECT_EQ(got->sourceMap->lineMap[i].line, want.sourceMap->lineMap[i].line) << i;
        }
    }
}

TEST(IndexPreprocessing, UnreadableSourcesAreNamedInTheMessage)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QDir(dir.path()).mkdir("folder.F90");
    const QString fifo = dir.filePath("fifo.F90");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct {
        const char *name;
        QString path;
        const char *message;
    } rows[] = {
        {"missing", dir.filePath("missing.F90"),
         "The file \"missing.F90\" couldn't be opened: No such file or directory"},
        {"a folder", dir.filePath("folder.F90"),
         "The file \"folder.F90\" couldn't be opened: Is a directory"},
        // Opening it would wait for a writer.
        {"a FIFO", fifo, "The file \"fifo.F90\" couldn't be opened: Not a regular file"},
        // A regular file by its status whose reads fail.
        {"reads fail", "/proc/self/mem", "The file \"mem\" couldn't be read: "},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QString error;
        EXPECT_FALSE(loadSourceForIndexing(row.path, FPreprocessor::Options(), &error));
        EXPECT_TRUE(error.startsWith(QString::fromUtf8(row.message))) << qPrintable(error);
        if (QByteArrayView(row.message).endsWith(": ")) { // the system's reason follows
            EXPECT_GT(error.size(), qsizetype(std::strlen(row.message)));
        }
    }
}

} // namespace
