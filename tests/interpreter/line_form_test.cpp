// Tests of the compact forms of the block runner. Each macro runs its lines often enough for their forms to
// be built and used, and is compared with the same macro whose operands go through SAME, a host function that
// returns its argument and so keeps every line on the general path: results, errors, lines and yields agree.
#include "general_path_comparison.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using qm_test::ExpectSameOutcome;
using qm_test::RunSpelling;

TEST(LineForms, ArithmeticAndAssignmentsAgreeWithTheGeneralPath) {
    // Sums, products, differences, quotients and copies, then a variable that becomes a text mid-loop.
    ExpectSameOutcome(u"dim i, s, p, q, d, x\n"
                      u"for i = 1 to {8}\n  s = {s} + {i}\n  p = {i} * {3}\n  q = {p} - {s}\n"
                      u"  d = {q} / {i}\n  x = {i}\nnext\n"
                      u"print s, p, q, d, x, i\n",
                      0);
    ExpectSameOutcome(u"dim i, s, t\n"
                      u"for i = 1 to {8}\n  s = {s} + {i}\n  t = {s} - {1}\n  if {i} = {5} then\n"
                      u"    s = \"t\"\n  end if\nnext\n"
                      u"print s, t, i\n",
                      4);
    // A quotient by a divisor that reaches zero, and a product that overflows.
    ExpectSameOutcome(u"dim i, z, d\n"
                      u"for i = 1 to {9}\n  z = {5} - {i}\n  d = {12} / {z}\n  print d\nnext\n",
                      4);
    ExpectSameOutcome(u"dim i, x\nx = 10\n"
                      u"for i = 1 to {12}\n  x = {x} * {x}\n  print x\nnext\n",
                      4);
}

TEST(LineForms, NumericProgramsAgreeWithTheGeneralPath) {
    // Assignments, IF and WHILE on programs of several steps: whole numbers from MOD and "\\", element reads,
    // negation and comparisons used as numbers.
    ExpectSameOutcome(u"dim i, x, y, k, c, a(5)\n"
                      u"for i = 1 to {9}\n  x = {i} * {3} + {1}\n  y = {x} mod {4} + {i} \\ {2}\n"
                      u"  a({i} mod {6}) = {y}\n  k = {a(i mod 6)} - -{x} + ({i} > {4})\n"
                      u"  if {i} mod {3} = {0} then\n    c = {c} + {1}\n  end if\n"
                      u"  while {k} * {2} < {60}\n    k = {k} + {7}\n  wend\nnext\n"
                      u"print x, y, k, c, a(1), a(3), a(5)\n",
                      0);
    // A quotient by zero and an element past the array's end inside a program, and a variable that turns into
    // a text.
    ExpectSameOutcome(u"dim i, x\nfor i = 1 to {9}\n  x = {10} / ({5} - {i}) + {1}\n  print x\nnext\n", 4);
    ExpectSameOutcome(u"dim i, y, a(5)\nfor i = 1 to {9}\n  y = {a(i)} + {1}\n  print y\nnext\n", 6);
    ExpectSameOutcome(u"dim i, y, s\ns = 0\nfor i = 1 to {9}\n  y = {s} * {2} + {1}\n"
                      u"  if {i} = {5} then\n    s = \"t\"\n  end if\n  print y\nnext\n",
                      4);
}

TEST(LineForms, ElementAssignmentsAgreeWithTheGeneralPath) {
    // Halves round to the even neighbour; the subscript runs past the array's end at 5.5.
    ExpectSameOutcome(
        u"dim i, h, a(5)\n"
        u"for i = 0 to {12}\n  h = {i} / {2}\n  a({h}) = {i}\n  print a(0), a(1), a(2), a(5)\nnext\n",
        6);
    // A value that is not a double (a comparison) and a text subscript.
    ExpectSameOutcome(u"dim i, a(9), k\n"
                      u"for i = 0 to {9}\n  a({i}) = {i} > {4}\nnext\nk = \"3\"\na({k}) = {k}\n"
                      u"print a(0), a(3), a(5), a(9)\n",
                      2);
}

TEST(LineForms, ConditionsAgreeWithTheGeneralPath) {
    ExpectSameOutcome(u"dim i, k, c(12)\n"
                      u"for i = 1 to {6}\n"
                      u"  if {i} = {3} then\n    c(1) = c(1) + 1\n  else\n    c(2) = c(2) + 1\n  end if\n"
                      u"  if {i} < {3} then\n    c(3) = c(3) + 1\n  end if\n"
                      u"  if {i} > {3} then\n    c(4) = c(4) + 1\n  end if\n"
                      u"  if {i} <= {3} then\n    c(5) = c(5) + 1\n  end if\n"
                      u"  if {i} >= {3} then\n    c(6) = c(6) + 1\n  else\n    c(7) = c(7) + 1\n  end if\n"
                      u"  if {i} <> {3} then\n    c(8) = c(8) + 1\n  end if\n"
                      u"next\n"
                      u"while {k} < {5}\n  k = {k} + {1}\nwend\n"
                      u"while {k} > {-3}\n  k = {k} - {2}\nwend\n"
                      u"while {k} <= {4}\n  k = {k} + {3}\nwend\n"
                      u"while {k} >= {1}\n  k = {k} - {1}\nwend\n"
                      u"while {k} <> {6}\n  k = {k} + {1}\nwend\n"
                      u"while {k} = {6}\n  k = {k} + {1}\nwend\n"
                      u"print c(1), c(2), c(3), c(4), c(5), c(6), c(7), c(8), k\n",
                      0);
    // Elements compared with each operator: empty elements, halves as subscripts, an element past the end,
    // a text element, and a function's own array in every call.
    const std::u16string elements = u"dim i, h, c(8), a(12)\nfor i = 1 to 12\n  a(i) = i mod 3\nnext\n";
    ExpectSameOutcome(
        elements + u"for i = 0 to {12}\n  h = {i} / {2}\n"
                   u"  if a({i}) = {1} then\n    c(1) = c(1) + 1\n  else\n    c(2) = c(2) + 1\n  end if\n"
                   u"  if a({h}) < {1} then\n    c(3) = c(3) + 1\n  end if\n"
                   u"  if a({i}) > {1} then\n    c(4) = c(4) + 1\n  end if\n"
                   u"  if a({h}) <= {1} then\n    c(5) = c(5) + 1\n  end if\n"
                   u"  if a({i}) >= {h} then\n    c(6) = c(6) + 1\n  end if\n"
                   u"  if a({i}) <> {h} then\n    c(7) = c(7) + 1\n  end if\nnext\n"
                   u"print c(1), c(2), c(3), c(4), c(5), c(6), c(7)\n",
        0);
    ExpectSameOutcome(
        elements + u"for i = 0 to {15}\n  if a({i}) = {1} then\n    c(1) = c(1) + 1\n  end if\nnext\n", 6);
    // A subscript that turns into a boolean after the form is built.
    ExpectSameOutcome(
        elements + u"for i = 0 to {9}\n  h = {i} mod {4}\n  if {i} > {5} then\n    h = {1} > {2}\n"
                   u"  end if\n  if a({h}) = {0} then\n    c(1) = c(1) + 1\n  end if\nnext\nprint c(1)\n",
        0);
    ExpectSameOutcome(elements + u"a(8) = \"t\"\nfor i = 0 to {12}\n  if a({i}) > {0} then\n"
                                 u"    c(1) = c(1) + 1\n  end if\nnext\nprint c(1)\n",
                      0);
    ExpectSameOutcome(
        u"dim r, j\nfor j = 1 to {5}\n  r = {r} * {10} + {count(j)}\nnext\nprint r\n"
        u"function count(n)\n  dim i, b(5)\n  for i = 0 to {5}\n    b({i}) = {i} mod {n}\n  next\n"
        u"  for i = 0 to {5}\n    if b({i}) = {0} then\n      count = {count} + {1}\n    end if\n"
        u"  next\nend function\n",
        0);
    // A condition on a variable that turns into a text compares as the general path compares.
    ExpectSameOutcome(u"dim i, v\nv = 0\n"
                      u"for i = 1 to {6}\n  if {v} < {i} then\n    v = {v} + {1}\n  end if\n"
                      u"  if {i} = {4} then\n    v = \"a\"\n  end if\nnext\nprint v, i\n",
                      0);
}

TEST(LineForms, LoopsAgreeWithTheGeneralPath) {
    // Nested loops with steps, a loop variable turned into a text inside the body, and an end written inside
    // the body.
    ExpectSameOutcome(
        u"dim i, j, n\n"
        u"for i = 1 to {7} step {2}\n  for j = {i} to 1 step -1\n    n = {n} + {j}\n  next\nnext\n"
        u"print i, j, n\n",
        0);
    ExpectSameOutcome(u"dim i\nfor i = 1 to {9}\n  if {i} = {6} then\n    i = \"x\"\n  end if\nnext\n", 4);
    // Constant steps upward, downward and zero (a loop that runs until it is stopped).
    ExpectSameOutcome(u"dim i, n, s\nfor i = 0 to 3 step {0.5}\n  n = {n} + {i}\nnext\n"
                      u"for i = 9 to 1 step {-2}\n  s = {s} + {i}\nnext\nprint i, n, s\n",
                      0);
    ExpectSameOutcome(u"dim i, n\nfor i = 2 to 2 step {0}\n  n = {n} + {1}\nnext\n", 100, 601);
    ExpectSameOutcome(u"dim i, e, n\ne = 4\nfor i = 1 to e\n  n = {n} + {1}\n  if {i} = {3} then\n"
                      u"    e = 9\n  end if\nnext\nprint i, n\n",
                      0);
    // Loops left early by EXIT FOR, EXIT WHILE and EXIT IF, and a run ended by END inside a loop.
    ExpectSameOutcome(
        u"dim i, j, k, n\n"
        u"for i = 1 to {9}\n  n = {n} + {i}\n  if {n} > {20} then\n    exit for\n  end if\nnext\n"
        u"while {k} < {50}\n  k = {k} + {3}\n  for j = 1 to {4}\n    if {j} = {k} mod {4} then\n"
        u"      exit if\n    end if\n    n = {n} + {1}\n  next\n  if {k} > {30} then\n"
        u"    exit while\n  end if\nwend\nprint i, j, k, n\n",
        0);
    ExpectSameOutcome(u"dim i, n\nfor i = 1 to {9}\n  n = {n} + {i}\n  if {i} = {6} then\n    end\n  end if\n"
                      u"next\nprint n\n",
                      0);
    // A loop that never ends is stopped after the same number of statements either way, with the same
    // progress made.
    ExpectSameOutcome(u"dim k\nwhile {1} < {2}\n  k = {k} + {1}\nwend\n", 100, 1001);
    EXPECT_EQ(RunSpelling(u"dim k\nwhile 1 < 2\n  k = k + 1\n  print k\nwend\n", false, 301).output.back(),
              u"75"); // four statements a round
}

TEST(LineForms, FormsFollowTheStoresTheyWereBuiltIn) {
    // The global store gains thirty variables in the middle of a loop whose lines already run in their
    // forms, which moves its records.
    std::u16string many;
    for (int k = 1; k <= 30; ++k)
        many += (k > 1 ? u", v" : u"v") + std::u16string(1, char16_t(u'0' + k % 10)) +
                std::u16string(1, char16_t(u'a' + k / 10));
    ExpectSameOutcome(u"dim i, s, a(10)\n"
                      u"for i = 1 to {8}\n  s = {s} + {i}\n  a({i}) = {s}\n  if {i} = {4} then\n    dim " +
                          many +
                          u"\n  end if\nnext\n"
                          u"print s, a(1), a(4), a(5), a(8)\n",
                      0);
    // A function with a loop, called again and again: every call has its own store, and every call's
    // forms write that call's variables.
    ExpectSameOutcome(u"dim r, j\n"
                      u"for j = 1 to {5}\n  r = {r} * {10} + {total(j)}\nnext\nprint r\n"
                      u"function total(n)\n  dim i, t\n  for i = 1 to {n}\n    t = {t} + {i}\n  next\n"
                      u"  total = {t} mod {10}\nend function\n",
                      0);
    // A function's forms read a global that moves when the main loop declares thirty more in the middle of
    // the calls, and a local array declared only by some calls (their stores have another shape).
    ExpectSameOutcome(u"dim r, j, g\ng = 100\n"
                      u"for j = 1 to {6}\n  r = {r} + {f(j)}\n  if {j} = {3} then\n    dim " +
                          many +
                          u"\n  end if\n  g = {g} + {1}\nnext\nprint r, g\n"
                          u"function f(n)\n  dim i, t\n  if {n} > {4} then\n    dim extra(2)\n  end if\n"
                          u"  for i = 1 to {3}\n    t = {t} + {g}\n  next\n  f = {t} + {n}\nend function\n",
                      0);
    // Calls whose stores put the same local at different positions (a variable declared only by some).
    ExpectSameOutcome(u"dim r, j\nfor j = 1 to {6}\n  r = {r} * {10} + {f(j mod 2)}\nnext\nprint r\n"
                      u"function f(n)\n  if {n} > {0} then\n    dim a\n    a = 5\n  end if\n  dim b, i\n"
                      u"  for i = 1 to {3}\n    b = {b} + {i} + {n}\n    b = {b} - {n}\n  next\n  f = {b}\n"
                      u"end function\n",
                      0);
    // A recursive function whose loop runs in its caller's and its callee's stores in turn.
    ExpectSameOutcome(u"print walk(4)\n"
                      u"function walk(n)\n  dim i, t\n  for i = 1 to {3}\n    t = {t} + {n}\n"
                      u"    if {n} > {1} then\n      t = {t} + {walk(n - 1)}\n    end if\n  next\n"
                      u"  walk = {t}\nend function\n",
                      0);
}

} // namespace
