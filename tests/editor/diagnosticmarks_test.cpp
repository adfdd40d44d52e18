// The diagnostic marks of the file in the editor: markers per line, the message of a line, Next and
// Previous, and rows that follow the editor's line-change records (removed rows come back on undo).
#include "editor/diagnosticmarks.h"

#include <gtest/gtest.h>

#include <vector>

using namespace corvane;

namespace
{

const QString kA = "/p/a.f90";
const QString kB = "/p/b.f90";

struct Row {
    quint64 line;
    qint64 type;       // 1 warning, 2 error
    quint64 from = 0;  // the line the row was made for, when it moved since
};

QList<FindResult> rowsOf(const QString &path, std::initializer_list<Row> rows)
{
    QList<FindResult> list;
    for (const Row &r : rows) {
        FindResult row(path, QString("message at %1").arg(r.from ? r.from : r.line), r.line, 3);
        row.errorType = r.type;
        list << row;
    }
    return list;
}

// "line:type" for each row, so a failure shows the whole list.
std::string shown(const QList<FindResult> &rows)
{
    QStringList parts;
    for (const FindResult &r : rows)
        parts << QString("%1:%2").arg(r.lineNumber).arg(r.errorType);
    return parts.join(' ').toStdString();
}

// An edit of the file: {lines added (-deleted), affected line, lines affected, paste, undo}.
struct Edit {
    QString path;
    LineChangeInfo change;
};

LineChangeInfo record(qint64 n, quint64 line, quint64 affected = 0, bool replacement = false,
                      bool undo = false)
{
    LineChangeInfo info;
    info.numberOfLinesAddedOrDeleted = n;
    info.affectedLineNumber = line;
    info.numberofLinesAffected = affected;
    info.isReplacement = replacement;
    info.isUnDoing = undo;
    return info;
}

} // namespace

TEST(DiagnosticMarks, OneMarkerPerLineAndAnErrorWins)
{
    const struct {
        const char *name;
        QList<FindResult> rows;
        int lineCount;
        QMap<int, DiagnosticMarks::Level> want;
    } cases[] = {
        {"a warning and an error on one line give one error marker",
         rowsOf(kA, {{4, 1}, {4, 2}}), 10, {{4, DiagnosticMarks::Error}}},
        {"an error before a warning on one line stays an error", rowsOf(kA, {{4, 2}, {4, 1}}), 10,
         {{4, DiagnosticMarks::Error}}},
        {"two warnings on one line give one warning marker", rowsOf(kA, {{7, 1}, {7, 1}}), 10,
         {{7, DiagnosticMarks::Warning}}},
        {"lines of their own", rowsOf(kA, {{2, 2}, {3, 1}}), 10,
         {{2, DiagnosticMarks::Error}, {3, DiagnosticMarks::Warning}}},
        {"a row without a line is not marked", rowsOf(kA, {{0, 2}, {3, 1}}), 10,
         {{3, DiagnosticMarks::Warning}}},
        // The file became shorter than the build saw it (we had this bug: rows were dropped).
        {"rows beyond the last line are drawn on the last line",
         rowsOf(kA, {{5, 1}, {40, 1}, {50, 2}}), 8,
         {{5, DiagnosticMarks::Warning}, {8, DiagnosticMarks::Error}}},
        {"an unknown length moves nothing", rowsOf(kA, {{40, 1}}), 0,
         {{40, DiagnosticMarks::Warning}}},
        {"no rows", {}, 8, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DiagnosticMarks::markersForRows(c.rows, c.lineCount), c.want);
    }
}

TEST(DiagnosticMarks, MessageOfALineJoinsItsRowsAndTakesTheirLevel)
{
    QList<FindResult> rows = rowsOf(kA, {{3, 1}, {5, 1}, {5, 2}, {9, 1}});
    rows[1].lineText = "\nWarning: Unused variable 'x'\n";
    rows[2].lineText = "Error: Symbol 'y' has no IMPLICIT type\n\n";
    const struct {
        const char *name;
        int line, lineCount;
        const char *text;
        DiagnosticMarks::Level level;
    } cases[] = {
        {"two rows, one an error", 5, 20,
         "Warning: Unused variable 'x'\nError: Symbol 'y' has no IMPLICIT type",
         DiagnosticMarks::Error},
        {"one warning", 3, 20, "message at 3", DiagnosticMarks::Warning},
        {"an unmarked line", 4, 20, "", DiagnosticMarks::Warning},
        {"line 0 is no line", 0, 20, "", DiagnosticMarks::Warning},
        {"a row beyond the end shows on the last line", 7, 7, "message at 9",
         DiagnosticMarks::Warning},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const DiagnosticMarks::Message m = DiagnosticMarks::messageForLine(rows, c.line, c.lineCount);
        EXPECT_EQ(m.text, QString(c.text));
        if (!m.isEmpty()) {
            EXPECT_EQ(m.level, c.level);
        }
    }
}

TEST(DiagnosticMarks, NextAndPreviousStopAtTheEnds)
{
    const QList<FindResult> rows = rowsOf(kA, {{5, 2}, {12, 1}, {30, 2}});
    const QList<FindResult> withoutLine = rowsOf(kA, {{0, 2}, {12, 1}});
    const struct {
        const char *name;
        const QList<FindResult> &rows;
        int caret, lineCount;
        std::optional<int> next, previous;
    } cases[] = {
        {"between rows", rows, 12, 100, 30, 5},
        {"on the last row Next beeps", rows, 30, 100, std::nullopt, 12},
        {"below the last row", rows, 60, 100, std::nullopt, 30},
        {"on the first row Previous beeps", rows, 5, 100, 12, std::nullopt},
        {"above every row", rows, 1, 100, 5, std::nullopt},
        {"a row without a line beeps", withoutLine, 5, 100, 12, std::nullopt},
        // Row 30 shows on line 20: from there Next beeps instead of selecting line 20 again.
        {"a row beyond the end counts as on the last line", rows, 20, 20, std::nullopt, 12},
        {"no rows", {}, 3, 100, std::nullopt, std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DiagnosticMarks::nextLine(c.rows, c.caret, c.lineCount), c.next);
        EXPECT_EQ(DiagnosticMarks::previousLine(c.rows, c.caret, c.lineCount), c.previous);
    }
}

TEST(DiagnosticMarks, RowsFollowEditsAndComeBackOnUndo)
{
    const struct {
        const char *name;
        QList<FindResult> a;           // a.f90's rows before the edits
        std::optional<QList<FindResult>> b; // b.f90's rows, when it has an entry
        std::vector<Edit> edits;
        QList<FindResult> wantA;       // a.f90's rows after them
        QList<FindResult> wantRemovedA;
        std::vector<bool> wantStored; // per edit: the entry was stored anew
        std::optional<QList<FindResult>> wantB = std::nullopt;
    } cases[] = {
        {"two lines added at 12 push 12 and 30 down and leave 5",
         rowsOf(kA, {{5, 2}, {12, 1}, {30, 2}}), std::nullopt, {{kA, record(2, 12)}},
         rowsOf(kA, {{5, 2}, {14, 1, 12}, {32, 2, 30}}), {}, {true}},
        {"a deleted line takes its row, the undo brings it back",
         rowsOf(kA, {{5, 2}, {12, 1}, {30, 2}}), std::nullopt,
         {{kA, record(-1, 12)}, {kA, record(1, 12, 0, false, true)}},
         rowsOf(kA, {{5, 2}, {12, 1}, {30, 2}}), {}, {true, true}},
        {"after the deletion only", rowsOf(kA, {{5, 2}, {12, 1}, {30, 2}}), std::nullopt,
         {{kA, record(-1, 12)}}, rowsOf(kA, {{5, 2}, {29, 2, 30}}), rowsOf(kA, {{12, 1}}), {true}},
        {"a replacement of one line removes that line's row only",
         rowsOf(kA, {{5, 2}, {12, 1}, {30, 2}}), std::nullopt, {{kA, record(0, 5, 1, true)}},
         rowsOf(kA, {{12, 1}, {30, 2}}), rowsOf(kA, {{5, 2}}), {true}},
        {"a replacement of lines 12-13 by four lines", rowsOf(kA, {{5, 2}, {12, 1}, {13, 2}, {30, 2}}),
         std::nullopt, {{kA, record(2, 12, 2, true)}}, rowsOf(kA, {{5, 2}, {32, 2, 30}}),
         rowsOf(kA, {{12, 1}, {13, 2}}), {true}},
        {"deleting lines 12-14 takes 12 and 14 and pulls 30 up",
         rowsOf(kA, {{5, 2}, {12, 1}, {14, 1}, {30, 2}}), std::nullopt, {{kA, record(-3, 12)}},
         rowsOf(kA, {{5, 2}, {27, 2, 30}}), rowsOf(kA, {{12, 1}, {14, 1}}), {true}},
        {"an undo that deletes lines reports the line after them",
         rowsOf(kA, {{5, 2}, {12, 1}, {14, 1}, {30, 2}}), std::nullopt,
         {{kA, record(-2, 14, 2, false, true)}}, rowsOf(kA, {{5, 2}, {12, 1, 14}, {28, 2, 30}}),
         rowsOf(kA, {{12, 1}}), {true}},
        {"an edit below every row changes nothing", rowsOf(kA, {{5, 2}}), std::nullopt,
         {{kA, record(3, 40)}}, rowsOf(kA, {{5, 2}}), {}, {false}},
        {"a record that tells nothing is ignored", rowsOf(kA, {{5, 2}}), std::nullopt,
         {{kA, record(0, 5)}}, rowsOf(kA, {{5, 2}}), {}, {false}},
        {"a file without an entry is left alone", rowsOf(kA, {{5, 2}}), std::nullopt,
         {{kB, record(1, 1)}}, rowsOf(kA, {{5, 2}}), {}, {false}},
        {"a row without a line never moves", rowsOf(kA, {{0, 2}, {5, 1}}), std::nullopt,
         {{kA, record(-1, 1, 1, false, true)}, {kA, record(2, 1)}},
         rowsOf(kA, {{0, 2}, {6, 1, 5}}), {}, {true, true}},
        {"two rows of one line come back together in their order",
         rowsOf(kA, {{3, 1}, {8, 1}, {8, 2}, {9, 1}}), std::nullopt,
         {{kA, record(-1, 8)}, {kA, record(1, 8, 0, false, true)}},
         rowsOf(kA, {{3, 1}, {8, 1}, {8, 2}, {9, 1}}), {}, {true, true}},
        // We had this bug: the list was no longer there after its last row went, and a restore
        // that moved no other row was not stored.
        {"undo after deleting the file's last marked line brings it back", rowsOf(kA, {{12, 2}}),
         std::nullopt, {{kA, record(-1, 12)}, {kA, record(1, 12, 0, false, true)}},
         rowsOf(kA, {{12, 2}}), {}, {true, true}},
        {"undo of a deletion below which no row lies", rowsOf(kA, {{5, 2}, {12, 1}}), std::nullopt,
         {{kA, record(-1, 12)}, {kA, record(1, 12, 0, false, true)}},
         rowsOf(kA, {{5, 2}, {12, 1}}), {}, {true, true}},
        {"a later edit that removes nothing keeps the removed rows for the undo",
         rowsOf(kA, {{5, 2}, {12, 1}, {30, 2}}), std::nullopt,
         {{kA, record(-1, 12)}, {kA, record(1, 60)}, {kA, record(-1, 60, 1, false, true)},
          {kA, record(1, 12, 0, false, true)}},
         rowsOf(kA, {{5, 2}, {12, 1}, {30, 2}}), {}, {true, false, false, true}},
        {"an edit that removes nothing but moves rows forgets the removed rows",
         rowsOf(kA, {{5, 2}, {12, 1}, {30, 2}}), std::nullopt,
         {{kA, record(-1, 12)}, {kA, record(1, 2)}, {kA, record(1, 13, 0, false, true)}},
         rowsOf(kA, {{6, 2, 5}, {31, 2, 30}}), {}, {true, true, true}},
        // We had this bug: the rows removed in one file came back into the next file's list on an
        // undo there, and were saved under that file.
        {"rows removed in a.f90 never come back into b.f90",
         rowsOf(kA, {{5, 2}, {12, 1}}), rowsOf(kB, {{20, 1}}),
         {{kA, record(-1, 5)}, {kB, record(1, 3, 0, false, true)}},
         rowsOf(kA, {{11, 1, 12}}), rowsOf(kA, {{5, 2}}), {true, true}, rowsOf(kB, {{21, 1, 20}})},
        {"and come back into a.f90 on its own undo", rowsOf(kA, {{5, 2}, {12, 1}}),
         rowsOf(kB, {{20, 1}}),
         {{kA, record(-1, 5)}, {kB, record(1, 3, 0, false, true)}, {kA, record(1, 5, 0, false, true)}},
         rowsOf(kA, {{5, 2}, {12, 1}}), {}, {true, true, true}, rowsOf(kB, {{21, 1, 20}})},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ErrorsDictionary errors;
        errors.insert(kA, c.a);
        if (c.b)
            errors.insert(kB, *c.b);
        DiagnosticMarks marks;
        ASSERT_EQ(c.edits.size(), c.wantStored.size());
        for (size_t i = 0; i < c.edits.size(); ++i)
            EXPECT_EQ(marks.updateErrorLineLocations(errors, c.edits[i].path, c.edits[i].change),
                      c.wantStored[i])
                << "edit " << i;
        EXPECT_EQ(shown(errors.value(kA)), shown(c.wantA));
        EXPECT_EQ(errors.value(kA), c.wantA) << "rows keep their texts and paths as they move";
        EXPECT_EQ(shown(marks.removedErrors(kA)), shown(c.wantRemovedA));
        if (c.wantB) {
            EXPECT_EQ(errors.value(kB), *c.wantB) << shown(errors.value(kB));
        }
        EXPECT_EQ(errors.contains(kB), c.b.has_value()) << "no entry is made for another file";
    }
}

TEST(DiagnosticMarks, AFileWhoseLastRowWentKeepsItsEntry)
{
    ErrorsDictionary errors;
    errors.insert(kA, rowsOf(kA, {{12, 2}}));
    DiagnosticMarks marks;
    ASSERT_TRUE(marks.updateErrorLineLocations(errors, kA, record(-1, 12)));
    ASSERT_TRUE(errors.contains(kA));
    EXPECT_TRUE(errors.value(kA).isEmpty());
}

TEST(DiagnosticMarks, ClearingAFileRemovesItsEntryAndItsRemovedRows)
{
    std::optional<ErrorsDictionary> errors = ErrorsDictionary();
    errors->insert(kA, rowsOf(kA, {{5, 2}, {12, 1}}));
    errors->insert(kB, rowsOf(kB, {{3, 1}}));
    DiagnosticMarks marks;
    marks.updateErrorLineLocations(*errors, kA, record(-1, 5));
    marks.clearErrorMarks(errors, kA);
    ASSERT_TRUE(errors);
    EXPECT_FALSE(errors->contains(kA));
    EXPECT_TRUE(errors->contains(kB));
    EXPECT_TRUE(marks.removedErrors(kA).isEmpty());

    // After a build nothing removed comes back.
    errors->insert(kA, rowsOf(kA, {{5, 2}, {12, 1}}));
    marks.updateErrorLineLocations(*errors, kA, record(-1, 5));
    marks.forgetRemovedErrors();
    EXPECT_TRUE(marks.updateErrorLineLocations(*errors, kA, record(1, 5, 0, false, true)));
    EXPECT_EQ(shown(errors->value(kA)), shown(rowsOf(kA, {{12, 1}})));
}
