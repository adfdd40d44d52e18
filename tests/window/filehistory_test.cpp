// Back/forward history of visited files.
#include "project/fortranfile.h"
#include "window/filehistory.h"

#include <gtest/gtest.h>

#include <array>

using namespace corvane;

namespace
{

TEST(FileHistory, Scenarios)
{
    std::array<FortranFile, 4> files; // A, B, C, D
    FortranFile *A = &files[0], *B = &files[1], *C = &files[2], *D = &files[3];
    // Steps: a file pointer visits it, '<' goes back, '>' goes forward.
    struct Step {
        FortranFile *visit;
        char move;
    };
    struct Case {
        const char *name;
        std::vector<Step> steps;
        std::vector<FortranFile *> want;
        int wantIndex;
        bool back, forward;
    };
    const Case cases[] = {
        {"empty", {}, {}, 0, false, false},
        {"one visit", {{A, 0}}, {A}, 0, false, false},
        {"same file twice is one entry", {{A, 0}, {A, 0}}, {A}, 0, false, false},
        {"three visits", {{A, 0}, {B, 0}, {C, 0}}, {A, B, C}, 2, true, false},
        {"back twice then D drops B and C",
         {{A, 0}, {B, 0}, {C, 0}, {nullptr, '<'}, {nullptr, '<'}, {D, 0}},
         {A, D},
         1,
         true,
         false},
        {"back then forward",
         {{A, 0}, {B, 0}, {nullptr, '<'}, {nullptr, '>'}},
         {A, B},
         1,
         true,
         false},
        {"back past the start stays",
         {{A, 0}, {nullptr, '<'}, {nullptr, '<'}},
         {A},
         0,
         false,
         false},
        {"revisiting the entry at the position keeps the forward entries",
         {{A, 0}, {B, 0}, {nullptr, '<'}, {A, 0}},
         {A, B},
         0,
         false,
         true},
        {"a file visited earlier is appended again",
         {{A, 0}, {B, 0}, {A, 0}},
         {A, B, A},
         2,
         true,
         false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FileHistory h;
        for (const Step &s : c.steps) {
            if (s.visit)
                h.add(s.visit);
            else if (s.move == '<')
                h.goBack();
            else
                h.goForward();
        }
        EXPECT_EQ(std::vector<FortranFile *>(h.files().begin(), h.files().end()), c.want);
        EXPECT_EQ(h.index(), c.wantIndex);
        EXPECT_EQ(h.canGoBack(), c.back);
        EXPECT_EQ(h.canGoForward(), c.forward);
    }
}

TEST(FileHistory, MovingReturnsTheEntryOrNothing)
{
    FortranFile a, b;
    FileHistory h;
    EXPECT_EQ(h.goBack(), nullptr);
    EXPECT_EQ(h.goForward(), nullptr);
    h.add(&a);
    h.add(&b);
    EXPECT_EQ(h.goBack(), &a);
    EXPECT_EQ(h.goBack(), nullptr);
    EXPECT_EQ(h.goForward(), &b);
    EXPECT_EQ(h.goForward(), nullptr);
    EXPECT_FALSE(h.add(&b)) << "the entry at the position is not recorded again";
    h.clear();
    EXPECT_TRUE(h.isEmpty());
    EXPECT_EQ(h.index(), 0);
    EXPECT_EQ(h.current(), nullptr);
}

} // namespace
