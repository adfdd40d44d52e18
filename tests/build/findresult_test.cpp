// The diagnostic record: its constructors and its archived form, alone and as the errors
// dictionary of a real parse, read back through the project file's keyed archive.
#include "diagnosticstest.h"
#include "project/archivecoders.h"
#include "project/keyedarchive.h"

#include <limits>

using namespace corvane;

namespace
{

TEST(FindResult, Constructors)
{
    const FindResult plain;
    EXPECT_TRUE(plain.filePath.isNull());
    EXPECT_TRUE(plain.lineText.isNull());
    EXPECT_EQ(plain.lineNumber, 1u);
    EXPECT_EQ(plain.columnNumber, 0u);
    EXPECT_EQ(plain.resultType, 0);
    EXPECT_EQ(plain.errorType, 2);

    const FindResult row(QStringLiteral("a.f90"), QStringLiteral("Error: x"), 7, 3);
    EXPECT_EQ(row.lineNumber, 7u);
    EXPECT_EQ(row.columnNumber, 3u);
    EXPECT_EQ(row.resultType, 1);
    EXPECT_EQ(row.errorType, 2);

    const FindResult header = FindResult::header(QStringLiteral("/home/u/src/main.f90"));
    EXPECT_EQ(header.filePath, QStringLiteral("/home/u/src/main.f90"));
    EXPECT_EQ(header.lineText, QStringLiteral("main.f90"));
    EXPECT_EQ(header.lineNumber, 1u);
    EXPECT_EQ(header.columnNumber, 0u);
    EXPECT_EQ(header.resultType, 0);
}

FindResult roundTrip(const FindResult &row)
{
    const auto bytes = KeyedArchive::encode(QVariant::fromValue(row));
    EXPECT_TRUE(bytes.ok()) << bytes.error().toStdString();
    if (!bytes.ok())
        return {};
    const auto back = KeyedArchive::decode(*bytes);
    EXPECT_TRUE(back.ok()) << back.error().toStdString();
    if (!back.ok())
        return {};
    EXPECT_EQ(back->typeId(), QMetaType::fromType<FindResult>().id());
    return back->value<FindResult>();
}

TEST(FindResult, ArchivedRowKeepsItsSixValues)
{
    FindResult warning(QStringLiteral("/u/ä b.f90"), QStringLiteral("Warning: ‘x’ at col. 4"), 12,
                       4);
    warning.errorType = 1;
    FindResult emptyText(QStringLiteral("a.f90"), QStringLiteral(""), 0, 0);
    FindResult huge(QStringLiteral("b.f90"), QStringLiteral("t"),
                    quint64(std::numeric_limits<qint64>::max()), 1'000'000);
    const FindResult cases[] = {warning, emptyText, huge,
                                FindResult::header(QStringLiteral("/x/y.f90")), FindResult()};
    for (const FindResult &row : cases) {
        SCOPED_TRACE(row.filePath.toStdString());
        const FindResult back = roundTrip(row);
        EXPECT_EQ(back.filePath, row.filePath);
        EXPECT_EQ(back.filePath.isNull(), row.filePath.isNull());
        EXPECT_EQ(back.lineText, row.lineText);
        EXPECT_EQ(back.lineText.isNull(),
                  row.lineText.isNull()); // "" stays "", absent stays absent
        EXPECT_EQ(back.lineNumber, row.lineNumber);
        EXPECT_EQ(back.columnNumber, row.columnNumber);
        EXPECT_EQ(back.resultType, row.resultType);
        EXPECT_EQ(back.errorType, row.errorType);
    }
}

TEST(FindResult, ErrorsDictionaryOfARealBuildRoundTrips)
{
    ErrorParser parser;
    const QString log = test::capturedOutput(QStringLiteral("gfortran12/mismatch.utf8.txt")) +
                        test::capturedOutput(QStringLiteral("gfortran12/syntax.utf8.txt"));
    const auto errors = parser.parseErrorString(log, QStringLiteral("/usr/bin/gfortran\n"));
    ASSERT_TRUE(errors);
    const auto bytes = KeyedArchive::encode(errorsDictionaryToVariant(*errors));
    ASSERT_TRUE(bytes.ok()) << bytes.error().toStdString();
    const auto back = KeyedArchive::decode(*bytes);
    ASSERT_TRUE(back.ok()) << back.error().toStdString();
    const ErrorsDictionary restored = errorsDictionaryFromVariant(*back);
    EXPECT_EQ(restored.keys(), errors->keys());
    for (const auto &[path, rows] : *errors)
        EXPECT_EQ(restored.value(path), rows) << path.toStdString();
}

} // namespace
