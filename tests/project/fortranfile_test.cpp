// Source records: format from the extension, ordering, loading with line-ending and tab
// conversions, change detection, and collecting files below a folder.
#include "project/filecollection.h"
#include "project/fortranfile.h"
#include "project/lineconversions.h"
#include "project/prompts.h"
#include "project/sourcetext.h"
#include "settings/defaults.h"
#include "support/testutil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace corvane;

TEST(FortranFile, FormFollowsTheLowerCasedExtension)
{
    const struct {
        const char *path;
        bool freeForm;
    } cases[] = {
        {"/p/prog.f", false},   {"/p/prog.F", false},   {"/p/prog.f77", false},
        {"/p/prog.FOR", false}, {"/p/prog.ftn", false}, {"/p/prog.F90", true},
        {"/p/prog.f95", true},  {"/p/prog.f03", true},  {"/p/prog.inc", true},
        {"/p/prog.h", true},    {"/p/README", true},    {"/p.f/prog", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        FortranFile f(c.path);
        EXPECT_EQ(f.isF90File(), c.freeForm);
        EXPECT_EQ(f.fileState(), FortranFile::Saved);
        EXPECT_EQ(f.selectedRange(), TextRange{});
        EXPECT_EQ(f.textStorage(), nullptr);
        EXPECT_TRUE(f.bookmark().isEmpty()); // no file there: no bookmark
    }
}

TEST(FortranFile, SortsByFileNameIgnoringCase)
{
    FortranFile beta("/z/beta.f90"), alpha("/y/Alpha.f90"), alpha2("/x/alpha.F90");
    EXPECT_GT(beta.compareFortranFiles(alpha), 0);
    EXPECT_GT(beta.compareFortranFiles(alpha2), 0);
    EXPECT_LT(alpha.compareFortranFiles(beta), 0);
    EXPECT_EQ(alpha.compareFortranFiles(alpha2), 0);
}

TEST(LineConversions, KindsAndLiteralReplacement)
{
    const struct {
        const char *in;
        int kind;
        const char *converted;
    } cases[] = {
        {"a\nb\n", 0, "a\nb\n"},
        {"a\r\nb\r\n", 2, "a\nb\n"},
        {"a\rb\r", 1, "a\nb\n"},
        {"a\r\nb\rc", 2, "a\nb\rc"}, // mixed: only the pairs go
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.in);
        QString text = c.in;
        EXPECT_EQ(LineConversions::lineEndingTypeInString(text), c.kind);
        EXPECT_EQ(LineConversions::convertLineEndingsIn(text, c.kind), c.kind != 0);
        EXPECT_EQ(text, QString(c.converted));
    }
    QString tabs = "\tx\t\ty";
    EXPECT_TRUE(LineConversions::convertTabsIn(tabs, 3));
    EXPECT_EQ(tabs, QString("   x      y"));
    EXPECT_FALSE(LineConversions::convertTabsIn(tabs, 3));
}

class FortranFileDisk : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        Defaults::instance().setValue("Indentsizekey", 3);
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST_F(FortranFileDisk, LoadAsksBothQuestionsAndConverts)
{
    const struct {
        const char *name;
        int answer; // 0 Yes, 1 No
        const char *bytes;
        int questions;
        bool loaded;
        qint64 state;
        const char *text;
    } cases[] = {
        {"plain", 0, "x = 1\n", 0, true, 0, "x = 1\n"},
        {"dos and tabs, yes", 0, "\tx = 1\r\n\ty = 2\r\n", 2, true, 1, "   x = 1\n   y = 2\n"},
        {"mac, yes", 0, "a\rb\r", 1, true, 1, "a\nb\n"},
        {"dos and tabs, no", 1, "\tx\r\n", 2, false, 0, nullptr},
        {"tabs only, no", 1, "\tx\n", 1, false, 0, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        test::writeFile(path("a.f90"), c.bytes);
        FortranFile f(path("a.f90"));
        RecordingPrompts prompts(c.answer);
        EXPECT_EQ(f.loadFile(prompts), c.loaded);
        EXPECT_EQ(prompts.asked.size(), c.questions);
        EXPECT_EQ(f.fileState(), c.state);
        if (c.loaded) {
            ASSERT_NE(f.textStorage(), nullptr);
            EXPECT_EQ(f.text(), QString(c.text));
            EXPECT_TRUE(f.timeStamp().isValid());
            EXPECT_FALSE(f.textStorage()->isUndoAvailable()); // loading is not undoable
        } else {
            EXPECT_EQ(f.textStorage(), nullptr);
        }
    }
}

TEST_F(FortranFileDisk, LoadFallsBackToLatin1AndReportsMissingFiles)
{
    // (we had this bug) a file in an 8-bit encoding must still open.
    test::writeFile(path("old.f"), QByteArray("C caf\xe9 \xb0\n      END\n"));
    FortranFile f(path("old.f"));
    RecordingPrompts prompts;
    ASSERT_TRUE(f.loadFile(prompts));
    EXPECT_EQ(f.text(), QString::fromUtf8("C café °\n      END\n"));

    FortranFile gone(path("gone.f90"));
    EXPECT_FALSE(gone.loadFile(prompts));
    EXPECT_TRUE(prompts.errors.isEmpty());

    QDir(dir.path()).mkdir("folder.f90");
    FortranFile folder(path("folder.f90"));
    EXPECT_FALSE(folder.loadFile(prompts));
    EXPECT_EQ(prompts.errors.size(), 1);
}

TEST_F(FortranFileDisk, ChangeOnDiskNeedsATimeStampAndAnOldSaveTime)
{
    test::writeFile(path("a.f90"), "x\n");
    FortranFile f(path("a.f90"));
    const QDateTime longAgo = QDateTime::currentDateTime().addSecs(-60);
    EXPECT_FALSE(f.fileHasBeenModified(longAgo)); // no time stamp yet
    f.setTimeStamp(QDateTime::currentDateTime().addSecs(-30));
    EXPECT_TRUE(f.fileHasBeenModified(longAgo));
    EXPECT_FALSE(f.fileHasBeenModified(QDateTime::currentDateTime())); // saved just now
    EXPECT_FALSE(f.fileHasBeenModified(QDateTime::currentDateTime().addMSecs(900)));
    f.setTimeStamp(QDateTime::currentDateTime().addSecs(30));
    EXPECT_FALSE(f.fileHasBeenModified(longAgo));
    QFile::remove(path("a.f90"));
    f.setTimeStamp(QDateTime::currentDateTime().addSecs(-30));
    EXPECT_FALSE(f.fileHasBeenModified(longAgo));
}

TEST_F(FortranFileDisk, ResolveFollowsRenamesAndMarksLostFiles)
{
    test::writeFile(path("a.f90"), "x\n");
    FortranFile f(path("a.f90"));
    ASSERT_FALSE(f.bookmark().isEmpty());
    EXPECT_FALSE(f.resolveFilePath()); // still there
    ASSERT_TRUE(QFile::rename(path("a.f90"), path("b.f90")));
    EXPECT_TRUE(f.resolveFilePath());
    EXPECT_EQ(f.filePath(), path("b.f90"));
    EXPECT_EQ(f.fileState(), FortranFile::Saved);
    QFile::remove(path("b.f90"));
    EXPECT_FALSE(f.resolveFilePath());
    EXPECT_EQ(f.fileState(), FortranFile::Lost);

    FortranFile none(path("never.f90"));
    EXPECT_FALSE(none.resolveFilePath());
    EXPECT_EQ(none.fileState(), FortranFile::Lost);
}

TEST_F(FortranFileDisk, CollectsByExtensionSkippingDotEntries)
{
    for (const char *name : {"a.f90", ".cache/b.f90", "sub/.old/c.f90", "x.F90", "README",
                             "inc/d.inc", "e.h", ".DS_Store"})
        test::writeFile(path(name), "x\n");
    auto sorted = [](std::optional<QStringList> l) {
        QStringList s = l.value_or(QStringList{"<none>"});
        s.sort();
        return s;
    };
    const QString d = dir.path();
    EXPECT_EQ(sorted(filePathsWithExtensionStart('f', d)),
              (QStringList{d + "/a.f90", d + "/sub/.old/c.f90", d + "/x.F90"}));
    EXPECT_EQ(sorted(filePathsWithExtensionStart('i', d)), (QStringList{d + "/inc/d.inc"}));
    EXPECT_EQ(sorted(filePathsWithExtensionInSet({"F", "inc", "h"}, d)),
              (QStringList{d + "/e.h", d + "/inc/d.inc"}));
    EXPECT_EQ(filePathsWithExtensionStart('f', path("a.f90")), QStringList{path("a.f90")});
    EXPECT_FALSE(filePathsWithExtensionStart('f', path("README")).has_value());
    EXPECT_FALSE(filePathsWithExtensionStart('f', path("missing")).has_value());
}

// Sources are read in pieces of 1 MiB: characters that straddle a piece boundary, a byte order
// mark and a file that is not UTF-8 decode exactly as the whole file at once does.
TEST(ReadDecodedSource, PiecesDecodeAsTheWholeFile)
{
    constexpr qsizetype kPiece = qsizetype(1) << 20;
    const QByteArray filler(kPiece - 1, 'x');
    const QByteArray bom = "\xEF\xBB\xBF";
    const struct {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"a two-byte character across the boundary", filler + "\xC3\xA9 end"},
        {"a four-byte character across the boundary",
         QByteArray(kPiece - 2, 'y') + "\xF0\x9F\x98\x80!"},
        {"a byte order mark at the start is dropped", bom + "program p\n"},
        {"one at the start of the second piece is kept", QByteArray(kPiece, 'z') + bom + "a"},
        {"bytes that are not UTF-8 in the second piece", QByteArray(kPiece + 5, 'w') + "\xFF\xFE"},
        {"a sequence cut off at the end", filler + "ab\xE2\x82"},
        {"an empty file", QByteArray()},
    };
    QTemporaryDir dir;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath("source.f90");
        test::writeFile(path, c.bytes);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const std::optional<QString> text = readDecodedSource(f);
        ASSERT_TRUE(text);
        EXPECT_TRUE(*text == decodeSource(c.bytes));
    }
}
