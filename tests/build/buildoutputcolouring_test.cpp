// The build's error stream coloured by diagnostic: warnings in the info colour, errors and
// everything unknown in the error colour, whatever the chunking.
#include "build/buildoutputcolouring.h"

#include <gtest/gtest.h>

namespace corvane
{
namespace
{

using Role = Console::Role;
using Pieces = QList<BuildOutputColouring::Piece>;

const char kWarning[] = "w.f90:2:19:\n"
                        "\n"
                        "    2 |   integer :: unused\n"
                        "      |                   1\n"
                        "Warning: Unused variable \u2018unused\u2019 declared at (1) "
                        "[-Wunused-variable]\n";
const char kError[] = "e.f90:2:6:\n"
                      "\n"
                      "    2 |   call\n"
                      "      |      1\n"
                      "Error: Syntax error in CALL statement at (1)\n";

struct Case {
    const char *name;
    QString input;
    Pieces want;
};

Pieces colour(const QString &input, int chunk)
{
    BuildOutputColouring c;
    Pieces out;
    for (qsizetype i = 0; i < input.size(); i += chunk)
        out += c.feed(input.mid(i, chunk));
    out += c.finish();
    // Neighbours of one colour are one piece, as the console shows them.
    Pieces merged;
    for (const auto &p : out) {
        if (!merged.isEmpty() && merged.last().role == p.role)
            merged.last().text += p.text;
        else
            merged << p;
    }
    return merged;
}

TEST(BuildOutputColouring, WarningsTakeTheInfoColourErrorsTheErrorColour)
{
    const QString w = QString::fromUtf8(kWarning), e = QString::fromUtf8(kError);
    const QString make = "make: *** [Demo.mak:17: e.o] Error 1\n";
    const Case cases[] = {
        {"gfortran 12 warning", w, {{w, Role::Info}}},
        {"gfortran 12 error", e, {{e, Role::Error}}},
        {"warning, error, make's failure", w + e + make, {{w, Role::Info}, {e + make, Role::Error}}},
        {"one-line warnings of flang, ifort, nagfor and make",
         "./p.f90:3:7: warning: unused\np.f90(3): warning #6843: x\n"
         "Warning: p.f90, line 3: y\nmake: warning:  Clock skew detected.\n",
         {{"./p.f90:3:7: warning: unused\np.f90(3): warning #6843: x\n"
           "Warning: p.f90, line 3: y\nmake: warning:  Clock skew detected.\n",
           Role::Info}}},
        {"loader text", "/usr/bin/ld: p.o: undefined reference to `q_'\n",
         {{"/usr/bin/ld: p.o: undefined reference to `q_'\n", Role::Error}}},
        {"a header without its verdict, then the end", "p.f90:3:7:\n\n    3 | x\n",
         {{"p.f90:3:7:\n\n    3 | x\n", Role::Error}}},
        {"last line without its end", "make: warning: x", {{"make: warning: x", Role::Info}}},
        {"a word inside a text is not a warning", "p.f90: prewarning state\n",
         {{"p.f90: prewarning state\n", Role::Error}}},
    };
    for (const Case &c : cases) {
        for (const int chunk : {1, 7, 100000}) {
            SCOPED_TRACE(std::string(c.name) + " chunk " + std::to_string(chunk));
            const Pieces got = colour(c.input, chunk);
            ASSERT_EQ(got.size(), c.want.size());
            for (qsizetype i = 0; i < got.size(); ++i) {
                EXPECT_EQ(got[i].text.toStdString(), c.want[i].text.toStdString());
                EXPECT_EQ(int(got[i].role), int(c.want[i].role));
            }
        }
    }
}

TEST(BuildOutputColouring, AHeldDiagnosticIsBounded)
{
    BuildOutputColouring c;
    QString text = "p.f90:1:1:\n";
    for (int i = 0; i < BuildOutputColouring::kMaxHeldLines; ++i)
        text += "    | line\n";
    const Pieces out = c.feed(text);
    ASSERT_FALSE(out.isEmpty()) << "released without waiting for a verdict";
    EXPECT_EQ(int(out.first().role), int(Role::Error));
}

} // namespace
} // namespace corvane
