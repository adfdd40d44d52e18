// The jump list's state as the caret moves and the pop-up opens, and the scope record read from it.
#include "editor/jumplist.h"
#include "editor/scoperecord.h"
#include "support/annotations.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

namespace corvane
{
namespace
{

using test::Annotations;

// A list built from text, following the caret at location.
JumpList followingCaret(const QString &text, qsizetype location)
{
    const StructureScanner scanner;
    JumpList list;
    list.rebuild(text, scanner);
    if (const auto unit = scanner.currentProgramUnit(text, location))
        list.synchronize(*unit);
    return list;
}

TEST(JumpList, ItemsShowModulesBoldAndMarksAsSeparators)
{
    JumpList list;
    list.rebuild(u"!@mark - Geometry\nmodule geo\ncontains\n subroutine grow\n",
                 StructureScanner());
    const QList<JumpListItem> want{{"Top", false, false},
                                   {"!@mark - Geometry", false, true},
                                   {"module geo", true, false},
                                   {"subroutine grow", false, false},
                                   {"End", false, false}};
    EXPECT_EQ(list.items(), want);
}

TEST(JumpList, SynchronizePatchesTheListWhileAUnitIsTyped)
{
    JumpList list;
    list.rebuild(u"subroutine a\nend\n", StructureScanner());
    list.synchronize("subroutine a");
    EXPECT_EQ(list.selectedTitle(), QString("subroutine a"));

    list.synchronize("subroutine ab"); // the name is being typed: the entry is replaced
    EXPECT_EQ(list.entries(), (QStringList{"Top", "subroutine ab", "End"}));
    EXPECT_EQ(list.selectedIndex(), 1);

    list.synchronize("function g"); // a new unit goes after the selected one
    EXPECT_EQ(list.entries(), (QStringList{"Top", "subroutine ab", "function g", "End"}));
    EXPECT_EQ(list.selectedTitle(), QString("function g"));
    EXPECT_FALSE(list.needsUpdating());

    list.select(0);
    list.synchronize("subroutine Topology"); // "Top" is never replaced
    EXPECT_EQ(list.entries().first(), QString("Top"));
    EXPECT_EQ(list.selectedTitle(), QString("subroutine Topology"));

    list.select(list.entries().size() - 1);
    list.synchronize("subroutine Endless"); // nor "End", and nothing follows it
    EXPECT_EQ(list.entries().last(), QString("End"));
    EXPECT_EQ(list.selectedTitle(), QString("subroutine Endless"));
}

TEST(JumpList, LargeTextsKeepTheirListUntilFlagged)
{
    QString text = "module m\n" + QString("x = 1\n").repeated(JumpList::kLargeTextLines);
    const StructureScanner scanner;
    JumpList list;
    list.rebuild(text, scanner);
    text.prepend("program p\n");
    list.prepareForPopUp(text, scanner);
    EXPECT_EQ(list.entries(), (QStringList{"Top", "module m", "End"}));
    list.setNeedsUpdating(true);
    list.prepareForPopUp(text, scanner);
    EXPECT_EQ(list.entries(), (QStringList{"Top", "program p", "module m", "End"}));
    EXPECT_FALSE(list.needsUpdating());

    QString small = "module m\n";
    list.rebuild(small, scanner);
    small.prepend("program p\n");
    list.prepareForPopUp(small, scanner); // small texts are rebuilt at every opening
    EXPECT_EQ(list.entries(), (QStringList{"Top", "program p", "module m", "End"}));
}

TEST(JumpList, RebuildKeepsTheSelectedTitle)
{
    JumpList list;
    list.rebuild(u"module a\nmodule b\n", StructureScanner());
    list.select(2);
    list.rebuild(u"program p\nmodule a\nmodule b\n", StructureScanner());
    EXPECT_EQ(list.selectedTitle(), QString("module b"));
    list.rebuild(u"program p\n", StructureScanner());
    EXPECT_EQ(list.selectedTitle(), QString("Top"));
}

struct ScopeCase {
    const char *source; // "^" the caret, or «» the selection
    const char *name;
    const char *procedure;
    const char *module; // nullptr: absent
    QStringList chain;  // empty: absent
    bool derivedTypeComponent;
};

TEST(ScopeRecord, Cases)
{
    const char *geo = "module geo\n real :: radius\ncontains\n subroutine grow(s)\n";
    const ScopeCase cases[] = {
        {"  x = s%centre%^", "", "grow", "geo", {"centre", "s"}, true},
        {"  x = s%centre%ra^", "", "grow", "geo", {"centre", "s"}, true},
        {"  x = s(i, j(2))%^", "", "grow", "geo", {"s"}, true},
        {"  x = s(i)%c(3)%ra^", "", "grow", "geo", {"c", "s"}, true},
        {"  x = s%«centre»", "centre", "grow", "geo", {"centre", "s"}, false},
        {"  call «grow»(x)", "grow", "grow", "geo", {"grow"}, false},
        {"  x = ra^", "", "grow", "geo", {"ra"}, false},
        {"  ^", "", "grow", "geo", {}, false},
    };
    for (const ScopeCase &c : cases) {
        const Annotations a(QString(geo) + QString::fromUtf8(c.source) + "\n end subroutine\n");
        SCOPED_TRACE(c.source);
        const TextRange selection =
            a.ranges().isEmpty() ? TextRange{quint64(a.point()), 0} : a.range();
        const JumpList list = followingCaret(a.code(), qsizetype(selection.location));
        const ScopeRecord r = ScopeRecord::scope(a.code(), selection, list);
        EXPECT_EQ(r.name, QString(c.name));
        EXPECT_EQ(r.procedure, QString(c.procedure));
        EXPECT_EQ(r.module, c.module ? std::optional<QString>(c.module) : std::nullopt);
        EXPECT_EQ(r.variableChain,
                  c.chain.isEmpty() ? std::nullopt : std::optional<QStringList>(c.chain));
        EXPECT_EQ(r.derivedTypeComponent, c.derivedTypeComponent);
    }
}

TEST(ScopeRecord, OutsideUnits)
{
    const Annotations a("! notes\n^x\nprogram p\nend\n");
    const ScopeRecord r =
        ScopeRecord::scope(a.code(), {quint64(a.point()), 0}, followingCaret(a.code(), a.point()));
    EXPECT_EQ(r.procedure, QString("Top"));
    EXPECT_EQ(r.module, std::nullopt);
    EXPECT_EQ(r.variableChain, std::nullopt);
}

} // namespace
} // namespace corvane
