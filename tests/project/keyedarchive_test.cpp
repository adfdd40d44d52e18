// The keyed archive: round trips of every value type, a hand-written archive in the platform's
// layout, and hostile bytes that must give an error instead of a crash.
#include "project/corvanenote.h"
#include "project/findresult.h"
#include "project/keyedarchive.h"
#include "project/textrange.h"
#include "support/testutil.h"

#include <QDateTime>
#include <QRectF>
#include <gtest/gtest.h>

#include <random>

using namespace corvane;

namespace
{

QVariant roundTrip(const QVariant &v)
{
    Result<QByteArray> bytes = KeyedArchive::encode(v);
    EXPECT_TRUE(bytes.ok()) << bytes.error().toStdString();
    if (!bytes)
        return {};
    Result<QVariant> back = KeyedArchive::decode(*bytes);
    EXPECT_TRUE(back.ok()) << back.error().toStdString();
    return back ? *back : QVariant();
}

QVariantMap everyType()
{
    CorvaneNote note{QDateTime::fromSecsSinceEpoch(1700000000), "Header", "Text ü"};
    CorvaneNote empty;
    FindResult row("/a/b.f90", "  x = 1", 12, 3);
    row.errorType = 1;
    return {{"string", QString("héllo\nworld")},
            {"emptyString", QString("")},
            {"data", QByteArray("\x00\x01\xff", 3)},
            {"true", true},
            {"false", false},
            {"integer", qint64(100000)},
            {"negative", qint64(-7)},
            {"big", qint64(1) << 40},
            {"real", 2.5},
            {"date", QDateTime::fromMSecsSinceEpoch(1700000000123)},
            {"range", QVariant::fromValue(TextRange{5, 9})},
            {"rect", QRectF(1, 2.5, 300, 400)},
            {"array", QVariantList{QString("a"), qint64(1), QVariant(), QString("a")}},
            {"dict", QVariantMap{{"inner", QVariantList{}}, {"x", QVariantMap{}}}},
            {"note", QVariant::fromValue(note)},
            {"emptyNote", QVariant::fromValue(empty)},
            {"row", QVariant::fromValue(row)}};
}

} // namespace

TEST(KeyedArchive, RoundTripKeepsEveryValueType)
{
    const QVariantMap in = everyType();
    const QVariantMap out = roundTrip(in).toMap();
    ASSERT_EQ(out.keys(), in.keys());
    for (auto it = in.cbegin(); it != in.cend(); ++it) {
        SCOPED_TRACE(it.key().toStdString());
        const QVariant got = out.value(it.key());
        if (it.key() == "note" || it.key() == "emptyNote") {
            EXPECT_EQ(got.value<CorvaneNote>(), it.value().value<CorvaneNote>());
            EXPECT_EQ(got.value<CorvaneNote>().noteHeader.isNull(),
                      it.value().value<CorvaneNote>().noteHeader.isNull());
        } else if (it.key() == "row") {
            EXPECT_EQ(got.value<FindResult>(), it.value().value<FindResult>());
        } else if (it.key() == "range") {
            EXPECT_EQ(got.value<TextRange>(), it.value().value<TextRange>());
        } else {
            EXPECT_EQ(got, it.value());
        }
    }
}

TEST(KeyedArchive, WritesTheKeyedArchiveLayoutAsBinaryPlist)
{
    Result<QByteArray> bytes = KeyedArchive::encode(QVariantMap{{"k", QString("v")}});
    ASSERT_TRUE(bytes.ok());
    EXPECT_TRUE(bytes->startsWith("bplist00"));
    for (const char *marker : {"$archiver", "NSKeyedArchiver", "$objects", "$top", "$null",
                               "NSMutableDictionary", "$classname", "$classes", "root"})
        EXPECT_TRUE(bytes->contains(marker)) << marker;
}

TEST(KeyedArchive, ReadsHandWrittenPlatformArchive)
{
    const QByteArray xml = test::readFile(CORVANE_TEST_DATA "/platform_archive.plist");
    Result<QVariant> r = KeyedArchive::decode(xml);
    ASSERT_TRUE(r.ok()) << r.error().toStdString();
    const QVariantMap m = r->toMap();
    EXPECT_EQ(m.value("ProjectCompilerPath"), QVariant(QString("/usr/bin/gfortran")));
    EXPECT_EQ(m.value("notes"), QVariant(QString("Grüße, mutable")));
    EXPECT_EQ(m.value("bytes"), QVariant(QByteArray("\x00\x01\x02\xff", 4)));
    EXPECT_EQ(m.value("isDebugBuild"), QVariant(true));
    EXPECT_EQ(m.value("inputOption"), QVariant(qint64(-3)));
    EXPECT_EQ(m.value("when").toDateTime().toMSecsSinceEpoch(), 978307200500LL);
    EXPECT_EQ(m.value("range").value<TextRange>(), (TextRange{120, 7}));
    EXPECT_EQ(m.value("frame").toRectF(), QRectF(10, 20.5, 800, 600));
    const QVariantList list = m.value("list").toList();
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[0], QVariant(QString("diagnostic")));
    EXPECT_FALSE(list[1].isValid());
    EXPECT_EQ(list[2], QVariant(QByteArray("hello")));
    const FindResult row = m.value("diagnostic").value<FindResult>();
    EXPECT_EQ(row.filePath, "/src/heat.f90");
    EXPECT_TRUE(row.lineText.isNull());
    EXPECT_EQ(row.lineNumber, 42u);
    EXPECT_EQ(row.columnNumber, 7u);
    EXPECT_EQ(row.resultType, 1);
    EXPECT_EQ(row.errorType, 1);
}

namespace
{

QByteArray xmlArchive(const QString &objects, const QString &root = "1")
{
    return QString("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                   "<key>$archiver</key><string>NSKeyedArchiver</string>"
                   "<key>$version</key><integer>100000</integer>"
                   "<key>$top</key><dict><key>root</key><dict><key>CF$UID</key><integer>%1"
                   "</integer></dict></dict>"
                   "<key>$objects</key><array><string>$null</string>%2</array></dict></plist>")
        .arg(root, objects)
        .toUtf8();
}

QString arrayObject(const QList<int> &uids, int classUid)
{
    QString refs;
    for (int u : uids)
        refs += QString("<dict><key>CF$UID</key><integer>%1</integer></dict>").arg(u);
    return QString("<dict><key>$class</key><dict><key>CF$UID</key><integer>%1</integer></dict>"
                   "<key>NS.objects</key><array>%2</array></dict>")
        .arg(classUid)
        .arg(refs);
}

const QString kArrayClass = "<dict><key>$classname</key><string>NSArray</string>"
                            "<key>$classes</key><array><string>NSArray</string></array></dict>";

} // namespace

TEST(KeyedArchive, RefusesDamagedAndHostileInputWithAMessage)
{
    QByteArray deepXml = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
    for (int i = 0; i < 100000; ++i)
        deepXml += "<array>";
    for (int i = 0; i < 100000; ++i)
        deepXml += "</array>";
    deepXml += "</plist>";

    // An archive whose arrays reach 1000 objects deep through UIDs.
    QString chain;
    for (int i = 1; i <= 1000; ++i)
        chain += arrayObject({i + 1 <= 1000 ? i + 1 : 0}, 1001);
    chain += kArrayClass;

    // Each array holds the next one twice: 2^40 paths through 40 objects.
    QString doubling;
    for (int i = 1; i <= 40; ++i)
        doubling += arrayObject({i + 1 <= 40 ? i + 1 : 0, i + 1 <= 40 ? i + 1 : 0}, 41);
    doubling += kArrayClass;

    struct Case {
        const char *name;
        QByteArray bytes;
        const char *message;
    } cases[] = {
        {"empty", "", "empty"},
        {"text", "program heat\nend program\n", "not a property list"},
        {"plain plist",
         "<plist version=\"1.0\"><dict><key>a</key><string>b</string></dict></plist>",
         "not a keyed archive"},
        {"array root", "<plist version=\"1.0\"><array/></plist>", "not a keyed archive"},
        {"no top", xmlArchive("").replace("root", "other"), "no root object"},
        {"self reference", xmlArchive(arrayObject({1}, 2) + kArrayClass), "contains itself"},
        {"out of range", xmlArchive(arrayObject({99}, 2) + kArrayClass), "out of range"},
        {"root out of range", xmlArchive(kArrayClass, "4000000000"), "out of range"},
        {"class out of range", xmlArchive(arrayObject({}, 77)), "out of range"},
        {"deep xml", deepXml, "nested too deeply"},
        {"deep uid chain", xmlArchive(chain), "nested too deeply"},
        {"exponential sharing", xmlArchive(doubling), "too many objects"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Result<QVariant> r = KeyedArchive::decode(c.bytes);
        ASSERT_FALSE(r.ok());
        EXPECT_TRUE(r.error().contains(c.message)) << r.error().toStdString();
    }
}

TEST(KeyedArchive, BinaryDeepNestingAndCyclesAreRefused)
{
    // A binary plist whose top array contains itself, and one nested far deeper than any
    // archive: libplist would recurse on both.
    QByteArray cyclic("bplist00");
    cyclic += char(0xA1); // array of one
    cyclic += char(0x00); // ... holding object 0: itself
    const int tableOffset = cyclic.size();
    cyclic += char(8); // offset table: object 0 at 8
    QByteArray trailer(32, '\0');
    trailer[6] = 1;  // offset size
    trailer[7] = 1;  // ref size
    trailer[15] = 1; // one object
    trailer[31] = char(tableOffset);
    cyclic += trailer;

    const int depth = 5000;
    QByteArray deep("bplist00");
    QList<int> offsets;
    for (int i = 0; i < depth; ++i) {
        offsets << deep.size();
        if (i + 1 < depth) {
            deep += char(0xA1);
            deep += char((i + 1) >> 8);
            deep += char((i + 1) & 0xff);
        } else {
            deep += char(0xA0);
        }
    }
    const int deepTable = deep.size();
    for (int o : offsets) {
        deep += char((o >> 16) & 0xff);
        deep += char((o >> 8) & 0xff);
        deep += char(o & 0xff);
    }
    QByteArray t2(32, '\0');
    t2[6] = 3;
    t2[7] = 2;
    t2[14] = char(depth >> 8);
    t2[15] = char(depth & 0xff);
    t2[29] = char((deepTable >> 16) & 0xff);
    t2[30] = char((deepTable >> 8) & 0xff);
    t2[31] = char(deepTable & 0xff);
    deep += t2;

    // Counts far beyond the data: the object table claims 2^40 objects; an array claims 2^62 items.
    QByteArray hugeTable = cyclic;
    hugeTable[hugeTable.size() - 32 + 11] = 1;
    QByteArray hugeArray("bplist00");
    hugeArray += char(0xAF); // array, count follows
    hugeArray += char(0x13); // an 8-byte integer
    hugeArray += QByteArray("\x40\0\0\0\0\0\0\0", 8);
    const int hugeTableOffset = hugeArray.size();
    hugeArray += char(8);
    hugeArray += trailer;
    hugeArray[hugeArray.size() - 1] = char(hugeTableOffset);

    const std::pair<QByteArray, const char *> cases[] = {
        {cyclic, "contains itself"},
        {deep, "nested too deeply"},
        {hugeTable, "bad object table"},
        {hugeArray, "out of bounds"},
    };
    for (const auto &[bytes, message] : cases) {
        SCOPED_TRACE(message);
        Result<QVariant> r = KeyedArchive::decode(bytes);
        ASSERT_FALSE(r.ok());
        EXPECT_TRUE(r.error().contains(message)) << r.error().toStdString();
    }
}

TEST(KeyedArchive, TruncatedAndBitFlippedArchivesNeverCrash)
{
    Result<QByteArray> good = KeyedArchive::encode(everyType());
    ASSERT_TRUE(good.ok());
    for (qsizetype n = 0; n < good->size(); ++n) {
        Result<QVariant> r = KeyedArchive::decode(good->left(n));
        EXPECT_FALSE(r.ok()) << "prefix of " << n << " bytes decoded";
    }
    std::mt19937 random(12345);
    int failures = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = *good;
        const int flips = 1 + int(random() % 4);
        for (int f = 0; f < flips; ++f)
            bytes[random() % bytes.size()] ^= char(1 << (random() % 8));
        Result<QVariant> r = KeyedArchive::decode(bytes);
        if (!r.ok()) {
            EXPECT_FALSE(r.error().isEmpty());
            ++failures;
        }
    }
    EXPECT_GT(failures, 0); // most flips land in data and decode; some must be caught
}

TEST(KeyedArchive, UnknownClassesAndUnarchivableValues)
{
    const QByteArray unknown =
        xmlArchive("<dict><key>$class</key><dict><key>CF$UID</key><integer>2</integer></dict>"
                   "<key>x</key><integer>1</integer></dict>"
                   "<dict><key>$classname</key><string>NSColor</string></dict>");
    Result<QVariant> r = KeyedArchive::decode(unknown);
    ASSERT_TRUE(r.ok()) << r.error().toStdString();
    EXPECT_FALSE(r->isValid()); // passed over as nil

    Result<QByteArray> bad = KeyedArchive::encode(QVariant::fromValue(QPointF(1, 2)));
    ASSERT_FALSE(bad.ok());
    EXPECT_TRUE(bad.error().contains("cannot be archived"));
}

TEST(KeyedArchive, FindResultMissingNumbersReadAsZero)
{
    // A row archived with only its path: the numbers it lacks read as 0 (we had this bug: they
    // read as the constructor's line 1 and error type 2).
    const QString findResultClass =
        "<dict><key>$classname</key><string>FindResult</string>"
        "<key>$classes</key><array><string>FindResult</string><string>NSObject</string></array>"
        "</dict>";
    const QByteArray xml =
        xmlArchive("<dict><key>$class</key><dict><key>CF$UID</key><integer>3</integer></dict>"
                   "<key>filePath</key><dict><key>CF$UID</key><integer>2</integer></dict></dict>"
                   "<string>/src/a.f90</string>" +
                   findResultClass);
    Result<QVariant> r = KeyedArchive::decode(xml);
    ASSERT_TRUE(r.ok()) << r.error().toStdString();
    const FindResult row = r->value<FindResult>();
    EXPECT_EQ(row.filePath, "/src/a.f90");
    EXPECT_EQ(row.lineNumber, 0u);
    EXPECT_EQ(row.columnNumber, 0u);
    EXPECT_EQ(row.resultType, 0);
    EXPECT_EQ(row.errorType, 0);
}
