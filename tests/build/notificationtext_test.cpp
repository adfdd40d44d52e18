// The texts of completion notifications: placeholders, run time and end time in a locale,
// markup escaping, address checks, header encoding and the message handed to sendmail.
#include "build/notificationtext.h"
#include "support/testutil.h"

#include <QStringDecoder>
#include <gtest/gtest.h>

using namespace corvane;

namespace
{

RunCompletionFacts facts()
{
    RunCompletionFacts f;
    f.startTime = QDateTime(QDate(2026, 3, 14), QTime(9, 58, 30), Qt::UTC);
    f.elapsedCPUTime = 1.5; // 90 s in minutes
    f.timeUnitsScale = 1.0 / 60;
    f.documentName = "Heat";
    f.inputFileName = "/home/me/runs/heat input.txt";
    return f;
}

const QLocale kC(QLocale::C);
const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);

} // namespace

TEST(NotificationText, RunTimeIsRightAlignedInSixWithItsUnit)
{
    struct Case {
        const char *name;
        double elapsed, scale;
        const QLocale &locale;
        QString want;
    };
    const Case cases[] = {
        {"90 s in minutes", 1.5, 1.0 / 60, kC, "  1.500 m"},
        {"seconds", 42.25, 1, kC, " 42.250 s"},
        {"hours", 0.75, 1.0 / 3600, kC, "  0.750 h"},
        {"wider than six stays whole", 12345.5, 1, kC, " 12345.500 s"},
        {"a scale just above 0.01 counts as minutes", 2, 0.011, kC, "  2.000 m"},
        {"0.01 itself is hours", 2, 0.01, kC, "  2.000 h"},
        {"no group separator", 1234.5, 1, kEnglish, " 1234.500 s"},
        {"German decimal comma", 1.5, 1.0 / 60, kGerman, "  1,500 m"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(runTimeText(c.elapsed, c.scale, c.locale), c.want);
    }
}

TEST(NotificationText, EndTimeIsStartPlusElapsedSecondsInTheLocale)
{
    const RunCompletionFacts f = facts(); // 09:58:30 + 90 s = 10:00:00
    const QDateTime end = f.startTime.addSecs(90);
    EXPECT_EQ(endTimeText(f, kEnglish), kEnglish.toString(end.date(), QLocale::LongFormat) + " " +
                                            kEnglish.toString(end.time(), QLocale::ShortFormat));
    EXPECT_TRUE(endTimeText(f, kEnglish).contains("March 14, 2026")) << endTimeText(f, kEnglish).toStdString();
    EXPECT_TRUE(endTimeText(f, kEnglish).contains("10:00")) << endTimeText(f, kEnglish).toStdString();
    EXPECT_TRUE(endTimeText(f, kGerman).contains(QString::fromUtf8("14. März 2026")))
        << endTimeText(f, kGerman).toStdString();
}

TEST(NotificationText, PlaceholdersAreFilledAtTheirFirstOccurrence)
{
    const RunCompletionFacts f = facts();
    const QString end = endTimeText(f, kC);
    struct Case {
        const char *name;
        QString body;
        QString want;
    };
    const Case cases[] = {
        {"all four", "<documentName> ended <endTime> after<runTime> reading <inputFileName>",
         "Heat ended " + end + " after  1.500 m reading heat input.txt"},
        {"the second occurrence stays", "<documentName>/<documentName>", "Heat/<documentName>"},
        {"no placeholders: as written", "x < y & done", "x < y & done"},
        {"a misspelt placeholder stays", "<runtime> <RunTime>", "<runtime> <RunTime>"},
        {"adjacent", "<runTime><runTime><inputFileName>", "  1.500 m<runTime>heat input.txt"},
        {"empty body", "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(fillPlaceholders(c.body, f, kC), c.want);
    }
    // A value that holds a placeholder is not filled again (the project is called "<runTime>").
    RunCompletionFacts odd = f;
    odd.documentName = "<runTime>";
    EXPECT_EQ(fillPlaceholders("<documentName> <runTime>", odd, kC), "<runTime>   1.500 m");
    // No input file: the name is empty.
    odd.inputFileName.clear();
    EXPECT_EQ(fillPlaceholders("[<inputFileName>]", odd, kC), "[]");
}

TEST(NotificationText, NotificationBodyMarkupIsEscaped)
{
    EXPECT_EQ(escapeNotificationMarkup("x < y && b > a"), "x &lt; y &amp;&amp; b &gt; a");
    EXPECT_EQ(escapeNotificationMarkup("<b>bold</b>"), "&lt;b&gt;bold&lt;/b&gt;");
    EXPECT_EQ(escapeNotificationMarkup(QString::fromUtf8("plain \u00e9")), QString::fromUtf8("plain \u00e9"));
}

TEST(NotificationText, AddressesAreOnePlainAddress)
{
    struct Case {
        QString address;
        bool plain;
    };
    const Case cases[] = {
        {"me@example.org", true},
        {"first.last+runs@mail.example.org", true},
        {"me@localhost", true},
        {"", false},
        {"me", false},
        {"@example.org", false},
        {"me@", false},
        {"me@@example.org", false},
        {"a@b@example.org", false},
        {"me @example.org", false},
        {"me@example.org, you@example.org", false},
        {"me@example.org,you@example.org", false},
        {"Me <me@example.org>", false},
        {"<me@example.org>", false},
        {"\"me\"@example.org", false},
        {"me@example.org\nBcc: all@example.org", false},
        {"me@exa\tmple.org", false},
        {"me@example..org", false},
        {"me@.example.org", false},
        {".me@example.org", false},
        {"group:me@example.org;", false},
        {"me@[127.0.0.1]", false},
        {QString::fromUtf8("me@example.org\u2028"), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.address.toStdString());
        EXPECT_EQ(isPlainAddress(c.address), c.plain);
    }
    // Line breaks and blanks at the ends are cleaned off before the check.
    EXPECT_EQ(cleanAddress(" me@example.org\r\n"), "me@example.org");
    EXPECT_EQ(cleanAddress("me@exa\nmple.org"), "me@example.org");
    EXPECT_TRUE(isPlainAddress(cleanAddress("me@example.org\n")));
}

TEST(NotificationText, HeaderFieldsLoseTheirLineBreaks)
{
    struct Case {
        const char *name;
        QString in, want;
    };
    const Case cases[] = {
        {"LF", "Run done\nBcc: all@example.org", "Run done Bcc: all@example.org"},
        {"CRLF as one break", "a\r\nb", "a b"},
        {"CR", "a\rb", "a b"},
        {"Unicode separators", QString::fromUtf8("a\u2028b\u2029c\u0085d"), "a b c d"},
        {"vertical tab and form feed", "a\x0b" "b\x0c" "c", "a b c"},
        {"trailing break", "done\n", "done"},
        {"plain", "done", "done"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(headerFieldText(c.in), c.want);
    }
}

TEST(NotificationText, NonAsciiSubjectsAreEncodedWords)
{
    EXPECT_EQ(encodeHeaderValue("Run done"), QByteArray("Run done"));
    EXPECT_EQ(encodeHeaderValue(QString::fromUtf8("Fertig \u00fcber Nacht")),
              QByteArray("=?UTF-8?B?") + QString::fromUtf8("Fertig \u00fcber Nacht").toUtf8().toBase64() + "?=");
    // Text that looks like an encoded word is encoded itself, so it reads as written.
    EXPECT_TRUE(encodeHeaderValue("=?UTF-8?B?eA==?=").startsWith("=?UTF-8?B?PT9"));

    // A long subject: words of at most 75 characters, folded, each decoding to whole characters,
    // together giving the subject back.
    QString longSubject;
    for (int i = 0; i < 40; ++i)
        longSubject += QString::fromUtf8("\u00e9\U0001F600");
    const QByteArray encoded = encodeHeaderValue(longSubject);
    QByteArray joined;
    const QList<QByteArray> words = encoded.split('\n');
    EXPECT_GT(words.size(), 1);
    for (qsizetype i = 0; i < words.size(); ++i) {
        QByteArray w = words[i];
        if (i > 0) {
            ASSERT_TRUE(w.startsWith(' ')) << "continuation lines start with a blank";
            w = w.mid(1);
        }
        EXPECT_LE(w.size(), 75);
        ASSERT_TRUE(w.startsWith("=?UTF-8?B?") && w.endsWith("?=")) << w.toStdString();
        const QByteArray bytes = QByteArray::fromBase64(w.mid(10, w.size() - 12));
        QStringDecoder strict(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString piece = strict.decode(bytes);
        EXPECT_FALSE(piece.isEmpty());
        EXPECT_FALSE(strict.hasError()) << "a word ends inside a character";
        joined += bytes;
    }
    EXPECT_EQ(QString::fromUtf8(joined), longSubject);
}

TEST(NotificationText, TheMessageForSendmail)
{
    const QByteArray m = composeEmailMessage(
        "me@example.org\n", QString::fromUtf8("Heat \u2013 done\r\nBcc: all@example.org"),
        QString::fromUtf8("Ended after  1.500 m\r\n.\r\nx < y \u00e9"), "runner@workstation");
    const QByteArray want =
        "From: Corvane <runner@workstation>\n"
        "To: Corvane <me@example.org>\n"
        "Subject: =?UTF-8?B?" +
        QString::fromUtf8("Heat \u2013 done Bcc: all@example.org").toUtf8().toBase64() +
        "?=\n"
        "MIME-Version: 1.0\n"
        "Content-Type: text/plain; charset=UTF-8\n"
        "Content-Transfer-Encoding: 8bit\n"
        "\n" +
        QString::fromUtf8("Ended after  1.500 m\n.\nx < y \u00e9\n").toUtf8();
    EXPECT_EQ(m, want);

    // No usable sender: sendmail names the sender; an ASCII subject goes as written.
    const QByteArray bare = composeEmailMessage("me@example.org", "Done", "ok\n", "not an address");
    EXPECT_TRUE(bare.startsWith("To: Corvane <me@example.org>\nSubject: Done\n")) << bare.toStdString();
    EXPECT_TRUE(bare.endsWith("\n\nok\n")) << bare.toStdString();
}
