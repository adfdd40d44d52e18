// Helpers for the diagnostics reader tables: expected rows, field-by-field comparison of a parse
// result (in dictionary order), and the captured compiler outputs under data/diagnostics.
#pragma once

#include "build/errorparser.h"

#include <QFile>
#include <QString>
#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace corvane::test
{

struct Row {
    const char *file;
    quint64 line;
    quint64 column;
    const char *text; // UTF-8
    qint64 type;      // 1 warning, 2 error
};

// Compares every row of result, flattened in dictionary order, with want; an empty want expects
// no dictionary at all. Also checks that every row is a one-line row filed under its own path.
inline void expectRows(const std::optional<ErrorsDictionary> &result, const std::vector<Row> &want)
{
    if (want.empty()) {
        EXPECT_FALSE(result.has_value()) << "expected no dictionary";
        return;
    }
    ASSERT_TRUE(result.has_value()) << "expected " << want.size() << " rows, got no dictionary";
    std::vector<FindResult> got;
    for (const auto &[path, rows] : *result)
        for (const FindResult &r : rows) {
            EXPECT_EQ(r.filePath, path);
            EXPECT_EQ(r.resultType, 1);
            got.push_back(r);
        }
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i);
        EXPECT_EQ(got[i].filePath.toStdString(), want[i].file);
        EXPECT_EQ(got[i].lineNumber, want[i].line);
        EXPECT_EQ(got[i].columnNumber, want[i].column);
        EXPECT_EQ(got[i].lineText.toStdString(), want[i].text);
        EXPECT_EQ(got[i].errorType, want[i].type);
    }
}

// One row of a reader table: output as the build driver passes it (a blank in front), the rows
// it must give and the level the parser reports.
struct TextCase {
    const char *name;
    const char *output;
    std::vector<Row> want;
    quint64 level;
};

// Parses each case for compiler and compares rows and level.
inline void runTable(const char *compiler, const std::vector<TextCase> &cases)
{
    for (const TextCase &c : cases) {
        SCOPED_TRACE(c.name);
        ErrorParser parser;
        expectRows(
            parser.parseErrorString(QString::fromUtf8(c.output), QString::fromLatin1(compiler)),
            c.want);
        EXPECT_EQ(parser.maxErrorLevel(), c.level);
    }
}

// The highest errorType of want (the parser's maxErrorLevel after reading it), 0 when empty.
inline quint64 levelOf(const std::vector<Row> &want)
{
    quint64 level = 0;
    for (const Row &r : want)
        level = qMax(level, quint64(r.type));
    return level;
}

inline QString diagnosticsData(const QString &relative)
{
    return QStringLiteral(CORVANE_TEST_DATA "/diagnostics/") + relative;
}

// A captured output as the build driver passes it: UTF-8, one blank in front.
inline QString capturedOutput(const QString &relative)
{
    QFile f(diagnosticsData(relative));
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read fixture " << relative.toStdString();
        return {};
    }
    return QLatin1Char(' ') + QString::fromUtf8(f.readAll());
}

} // namespace corvane::test
