// OrderedMap keeps insertion order and finds every key, below and above the size at which it
// starts keeping a hash of positions.
#include "settings/orderedmap.h"

#include <gtest/gtest.h>

using namespace corvane;

TEST(OrderedMap, LookupInsertReplaceAndRemoveAcrossTheIndexThreshold)
{
    for (int size : {0, 1, 5, 16, 17, 40}) {
        SCOPED_TRACE(size);
        OrderedMap<int> map;
        QList<QString> order;
        for (int i = 0; i < size; ++i) {
            const QString key = QStringLiteral("k%1").arg((i * 7) % 101);
            map.insert(key, i);
            order.append(key);
        }
        EXPECT_EQ(map.size(), size);
        EXPECT_EQ(map.keys(), order);
        for (int i = 0; i < size; ++i) {
            ASSERT_NE(map.find(order[i]), nullptr);
            EXPECT_EQ(*map.find(order[i]), i);
        }
        EXPECT_FALSE(map.contains("missing"));
        EXPECT_EQ(map.value("missing"), 0);
        if (size == 0)
            continue;

        // A replaced entry keeps its place.
        map.insert(order[0], 1000);
        EXPECT_EQ(map.keys().first(), order[0]);
        EXPECT_EQ(map.value(order[0]), 1000);

        // Removing from the middle shifts the later positions; every key is still found, also
        // when the map shrinks back below the threshold.
        while (!order.isEmpty()) {
            const QString gone = order.takeAt(order.size() / 2);
            EXPECT_TRUE(map.remove(gone));
            EXPECT_FALSE(map.remove(gone));
            EXPECT_FALSE(map.contains(gone));
            EXPECT_EQ(map.keys(), order);
            for (const QString &k : order)
                EXPECT_TRUE(map.contains(k)) << qPrintable(k);
        }
        // Growing again after shrinking.
        for (int i = 0; i < size; ++i)
            map[QStringLiteral("n%1").arg(i)] = i;
        EXPECT_EQ(map.value(QStringLiteral("n%1").arg(size - 1)), size - 1);
    }
}
