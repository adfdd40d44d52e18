#include "analysis/stringpool.h"

#include <gtest/gtest.h>

#include <memory>

using namespace corvane;

namespace
{

// A copy of text in a buffer of its own, with spare capacity as appending leaves it.
QString builtCopy(const QString &text)
{
    QString s;
    for (const QChar c : text)
        s += c;
    return s;
}

} // namespace

TEST(StringPool, KeepsContentNullnessAndEmptiness)
{
    const struct {
        const char *name;
        QString text;
    } kCases[] = {
        {"null", QString()},
        {"empty", QStringLiteral("")},
        {"name", QStringLiteral("info")},
        {"mixed case", QStringLiteral("Solve_3")},
        {"attribute text", QStringLiteral("DIMENSION(n,:)")},
        {"non-ASCII", QStringLiteral("Gr\u00f6\u00dfe")},
        {"dotted capital I", QStringLiteral("\u0130ndex")},
    };
    for (const auto &c : kCases) {
        SCOPED_TRACE(c.name);
        StringPool pool;
        EXPECT_EQ(pool.intern(c.text), c.text);
        EXPECT_EQ(pool.intern(QStringView(c.text)), c.text);
        EXPECT_EQ(pool.intern(builtCopy(c.text)), c.text);
        EXPECT_EQ(pool.intern(c.text).isNull(), c.text.isNull());
        EXPECT_EQ(pool.intern(QStringView(c.text)).isNull(), c.text.isNull());
        // Lowering matches QString::toLower, also where it changes the length.
        EXPECT_EQ(pool.internLower(c.text), c.text.toLower());
        EXPECT_EQ(pool.internLower(c.text).isNull(), c.text.toLower().isNull());
        EXPECT_EQ(pool.lowerOf(pool.intern(c.text)), c.text.toLower());
        EXPECT_EQ(pool.lowerOf(pool.intern(c.text)).isNull(), c.text.toLower().isNull());
    }
}

TEST(StringPool, EqualTextsShareOneExactCopy)
{
    StringPool pool;
    const QString built = builtCopy(QStringLiteral("acc"));
    ASSERT_GT(built.capacity(), built.size());
    const QString first = pool.intern(built);
    EXPECT_EQ(first.capacity(), first.size());
    EXPECT_FALSE(first.isSharedWith(built));

    const QString fromView = pool.intern(QStringView(u"acc"));
    const QString fromLower = pool.internLower(u"ACC");
    EXPECT_TRUE(fromView.isSharedWith(first));
    EXPECT_TRUE(fromLower.isSharedWith(first));
    EXPECT_TRUE(pool.lowerOf(first).isSharedWith(first));
    EXPECT_TRUE(pool.lowerOf(pool.intern(QStringView(u"Acc"))).isSharedWith(first));
    EXPECT_FALSE(pool.intern(QStringLiteral("acd")).isSharedWith(first));
}

TEST(StringPool, KeepsItsOwnCopyOfTextItDoesNotOwn)
{
    StringPool pool;
    char16_t buffer[] = u"tmp";
    const QString pooled = pool.intern(QString::fromRawData(reinterpret_cast<QChar *>(buffer), 3));
    buffer[0] = u'x';
    EXPECT_EQ(pooled, QStringLiteral("tmp"));
    EXPECT_EQ(pool.intern(QStringView(u"tmp")), QStringLiteral("tmp"));
    EXPECT_EQ(pool.intern(QStringView(u"xmp")), QStringLiteral("xmp"));
}

TEST(StringPool, ListsArePooledWithTheirStrings)
{
    StringPool pool;
    QStringList grown{QStringLiteral("intent(in)")};
    grown.append(builtCopy(QStringLiteral("DIMENSION(n)")));
    const QStringList first = pool.intern(grown);
    EXPECT_EQ(first, grown);
    EXPECT_EQ(first.capacity(), first.size());

    const QStringList again =
        pool.intern(QStringList{QStringLiteral("intent(in)"), QStringLiteral("DIMENSION(n)")});
    EXPECT_EQ(again, first);
    EXPECT_EQ(again.constData(), first.constData()); // one list, not two equal ones
    EXPECT_TRUE(first[1].isSharedWith(pool.intern(QStringLiteral("DIMENSION(n)"))));

    // Order matters: the attributes of a declaration are kept as written.
    const QStringList swapped =
        pool.intern(QStringList{QStringLiteral("DIMENSION(n)"), QStringLiteral("intent(in)")});
    EXPECT_EQ(swapped, (QStringList{QStringLiteral("DIMENSION(n)"), QStringLiteral("intent(in)")}));

    QStringList emptied{QStringLiteral("x")};
    emptied.removeLast();
    EXPECT_TRUE(pool.intern(emptied).isEmpty());
    EXPECT_EQ(pool.intern(emptied).capacity(), 0);
}

TEST(StringPool, PooledTextsOutliveThePool)
{
    auto pool = std::make_unique<StringPool>();
    const QString name = pool->intern(QStringView(u"scratch"));
    const QStringList list = pool->intern(QStringList{QStringLiteral("save")});
    pool.reset();
    EXPECT_EQ(name, QStringLiteral("scratch"));
    EXPECT_EQ(list, QStringList{QStringLiteral("save")});
}
