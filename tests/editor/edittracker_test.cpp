// The change record of an edit and the tracker that derives edits from Qt's change reports.
#include "editor/edittracker.h"

#include <gtest/gtest.h>

using namespace corvane;

TEST(LineCount, FinalPartWithoutLineFeedCounts)
{
    const struct {
        const char *text;
        qsizetype want;
    } cases[] = {{"", 0}, {"abc", 0}, {"a\n", 1}, {"a\nb", 2}, {"\n\n", 2}, {"\nx", 2}};
    for (const auto &c : cases)
        EXPECT_EQ(lineCount(QString(c.text)), c.want) << c.text;
}

// Each row runs on a free-form and on a fixed-form text with the same line structure. The added
// or deleted count is the difference of line feeds; "described" is what lines(new) - lines(old)
// with its "+1 when the old text starts with a line feed" gave, kept where it differs from the
// right count (we had this fault: a delete of "x\nfoo" inside a line was counted as two lines).
TEST(LineChangeFor, RecordsWhatAnEditDoesToLines)
{
    const QString texts[] = {"line one\nline two\nline three\n",
                             "C ne one\n      x2\n      stop\n"};
    const struct {
        const char *name;
        qsizetype from, to;
        const char *replacement;
        bool paste;
        qint64 added;
        quint64 line;
        quint64 affected;
        qint64 described; // only where it was wrong
    } cases[] = {
        {"typing inside a line", 2, 2, "x", false, 0, 1, 0, 0},
        {"Return at the end of line 1", 8, 8, "\n", false, 1, 2, 0, 1},
        {"Return with the indentation of the line", 8, 8, "\n   ", false, 1, 2, 0, 2},
        {"Return in the middle of line 2", 12, 12, "\n", false, 1, 2, 0, 1},
        {"paste of three lines at line 2", 9, 9, "a\nb\nc\n", true, 3, 2, 0, 3},
        {"paste of three lines without the last line end", 9, 9, "a\nb\nc", true, 2, 2, 0, 3},
        {"deleting line 2 whole", 9, 18, "", false, -1, 2, 1, -1},
        {"backspace joining lines 1 and 2", 8, 9, "", false, -1, 1, 1, -1},
        {"deleting from a line feed into the next line", 8, 12, "", false, -1, 1, 2, -1},
        {"the same as a paste", 8, 12, "", true, -1, 1, 2, -2},
        {"deleting \"ne\\nline\" inside lines 1 and 2", 6, 13, "", false, -1, 1, 2, -2},
        {"replacing two line ends by one", 8, 18, "\n", true, -1, 1, 2, -1},
        {"replacing a word by two lines", 0, 4, "a\nb", true, 1, 1, 0, 2},
    };
    for (const QString &text : texts) {
        for (const auto &c : cases) {
            SCOPED_TRACE(c.name);
            SCOPED_TRACE(text.toStdString());
            const LineChangeInfo info =
                lineChangeFor(text, c.from, c.to, QString(c.replacement), c.paste, false);
            EXPECT_EQ(info.numberOfLinesAddedOrDeleted, c.added);
            EXPECT_EQ(info.affectedLineNumber, c.line);
            EXPECT_EQ(info.numberofLinesAffected, c.affected);
            EXPECT_EQ(info.isReplacement, c.paste);
        }
    }
}

TEST(EditTracker, TrimsWideReportsAndIgnoresFormatChanges)
{
    EditTracker tracker;
    tracker.reset("program p\nend\n");
    // Qt reports a typed character in the last line together with the rest of that line.
    auto change = tracker.apply(10, 4, QString("eXnd\n"), false, false);
    ASSERT_TRUE(change);
    EXPECT_EQ(change->position, 11);
    EXPECT_EQ(change->removed, "");
    EXPECT_EQ(change->inserted, "X");
    EXPECT_EQ(tracker.text(), "program p\neXnd\n");

    // A report that changes no character (a format change) is no edit.
    EXPECT_FALSE(tracker.apply(0, 9, QString("program p"), false, false));

    // Reports that run past the end of the text are clamped.
    change = tracker.apply(15, 5, QString("x"), false, true);
    ASSERT_TRUE(change);
    EXPECT_EQ(tracker.text(), "program p\neXnd\nx");
    EXPECT_TRUE(change->lineChange.isUnDoing);

    // Replacing a selection keeps what it removed.
    change = tracker.apply(0, 7, QString("module"), false, false);
    ASSERT_TRUE(change);
    EXPECT_EQ(change->removed, "program");
    EXPECT_EQ(change->inserted, "module");
    EXPECT_EQ(tracker.text(), "module p\neXnd\nx");
}

// The tracker's line bookkeeping counts from the last place asked: after any mix of edits and
// look-ups, forwards and backwards, it agrees with counting the whole text.
TEST(EditTracker, KnowsLinesAfterEditsAndLookUpsAnywhere)
{
    EditTracker tracker;
    QString text = "program p\n  x = 1\n\n  y = 2\nend\n";
    tracker.reset(text);
    const struct {
        qsizetype lookUp; // looked up before the edit
        qsizetype from, removed;
        const char *inserted;
    } steps[] = {
        {30, 12, 0, "z"},          // forwards, then typing behind the place asked
        {2, 20, 0, "\n\n"},        // back to the start, then new lines further down
        {25, 10, 9, ""},           // a line removed before the place asked
        {999, 0, 0, "! head\n"},   // past the end (clamped), then a line at the very start
        {17, 5, 20, "a\nb\nc\nd"}, // a selection over lines replaced by more lines
        {3, 40, 0, "\n"},          // past the end once more
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(s.from);
        const qsizetype at = qMin(s.lookUp, text.size());
        EXPECT_EQ(tracker.lineAt(s.lookUp), quint64(text.first(at).count(u'\n')) + 1);
        const qsizetype from = qMin(s.from, text.size());
        const qsizetype removed = qMin(s.removed, text.size() - from);
        const QString before = text;
        text.replace(from, removed, QString(s.inserted));
        const auto change = tracker.apply(from, removed, text.mid(from, qstrlen(s.inserted)),
                                          false, false);
        ASSERT_TRUE(change);
        EXPECT_EQ(tracker.text(), text);
        EXPECT_EQ(change->lineChange,
                  lineChangeFor(before, change->position,
                                change->position + change->removed.size(), change->inserted,
                                false, false));
        EXPECT_EQ(tracker.lineFeeds(), text.count(u'\n'));
        for (qsizetype probe : {text.size(), qsizetype(0), text.size() / 2, qsizetype(1)})
            EXPECT_EQ(tracker.lineAt(probe), quint64(text.first(probe).count(u'\n')) + 1);
    }
}
