// Tests of expressions that call user functions on plain numbers. Each macro is compared with the same macro
// whose first operand or argument goes through SAME, which hands the expression to the general path before
// anything is called: results, errors, lines, output and yields agree.
#include "general_path_comparison.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using qm_test::ExpectSameOutcome;

TEST(CallPrograms, ResultsOfEveryKindAgreeWithTheGeneralPath) {
    ExpectSameOutcome(u"print fib({12}), fib(1)\n"
                      u"function fib(n)\n  if n < 2 then\n    fib = n\n  else\n"
                      u"    fib = fib({n - 1}) + fib(n - 2)\n  end if\nend function\n",
                      0);
    // A text, an empty result, booleans, 16- and 32-bit whole numbers, negated and inverted.
    ExpectSameOutcome(u"print txt({1}) + txt(2), none({1}) + 1, yes({1}) + yes(2), half({7}) + half(9)\n"
                      u"print big({1}) * big(2), -half({3}), not yes({1}), half({5}) * 2 + 0.5\n"
                      u"function txt(n)\n  txt = \"t\"\nend function\n"
                      u"function none(n)\nend function\n"
                      u"function yes(n)\n  yes = n < 5\nend function\n"
                      u"function half(n)\n  half = n \\ 2\nend function\n"
                      u"function big(n)\n  big = 100000 \\ n\nend function\n",
                      0);
    // Arguments of every kind, and a function of no arguments.
    ExpectSameOutcome(u"print id({1} > 2) + id(3), id({7} \\ 2) * 3, two({1}, 4) - two(2, 0.5), zero() + 1\n"
                      u"function id(n)\n  id = n\nend function\n"
                      u"function two(a, b)\n  two = a * 10 + b\nend function\n"
                      u"function zero()\n  zero = 42\nend function\n",
                      0);
}

TEST(CallPrograms, VariablesAreReadWhereTheGeneralPathReadsThem) {
    // A call changes a global read before it, after it, and as an operand of the operator after it.
    ExpectSameOutcome(u"dim x, y, z\nx = 1\ny = {x} + bump(1) * x + x\nz = {x} - bump(2) - x\n"
                      u"print x, y, z\n"
                      u"function bump(n)\n  x = x + 10\n  bump = n\nend function\n",
                      0);
    ExpectSameOutcome(u"dim x\nx = 5\nprint twice({x}) + twice(x) + x\n"
                      u"function twice(n)\n  x = x * 2\n  twice = n\nend function\n",
                      0);
}

TEST(CallPrograms, NamesThatAreNoPlannedCallAgreeWithTheGeneralPath) {
    // A local array named like a function, a global array and a global scalar named like one.
    ExpectSameOutcome(u"print f({2})\n"
                      u"function f(n)\n  dim g(3)\n  g(1) = 5\n  g(2) = 7\n  f = g({1}) + g(n) + h(n)\n"
                      u"end function\n"
                      u"function g(n)\n  g = 99\nend function\n"
                      u"function h(n)\n  h = 1000\nend function\n",
                      0);
    ExpectSameOutcome(u"dim a(3), i, s\nfor i = 0 to 3\n  a(i) = i * i\nnext\n"
                      u"for i = 0 to 5\n  s = {s} + a(i) + sq(i)\n  print s\nnext\n"
                      u"function sq(n)\n  sq = n * n\nend function\n",
                      6);
    ExpectSameOutcome(u"dim a(3), s\na(0) = 4\ns = {1} + a(1 > 2) + sq(2)\nprint s\n"
                      u"function sq(n)\n  sq = n * n\nend function\n",
                      0);
    ExpectSameOutcome(u"dim h\nh = 3\nprint {1} + h(1)\nfunction h(n)\n  h = 1\nend function\n", 6);
    // A host function among user functions.
    ExpectSameOutcome(u"print sq({2}) + same(3) + sq(4)\nfunction sq(n)\n  sq = n * n\nend function\n", 0);
}

TEST(CallPrograms, FailuresAgreeWithTheGeneralPath) {
    // An error inside the callee, a wrong number of arguments, a call too deep, and a sum that overflows.
    ExpectSameOutcome(u"dim i\nfor i = 3 to 0 step -1\n  print inv({i}) + inv(i)\nnext\n"
                      u"function inv(n)\n  inv = 1 / n\nend function\n",
                      4);
    ExpectSameOutcome(u"print {1} + one(3, 4)\nfunction one(n)\n  one = n\nend function\n", 7);
    ExpectSameOutcome(u"print deep({1})\nfunction deep(n)\n  deep = deep({n + 1}) + 1\nend function\n", 7);
    ExpectSameOutcome(u"print big({1}) * big(2)\nfunction big(n)\n  big = 10 ^ 200 * n\nend function\n", 4);
}

TEST(CallPrograms, EndAndStopInsideCallsAgreeWithTheGeneralPath) {
    ExpectSameOutcome(u"dim r\nr = quit({1}) + 1\nprint r\nfunction quit(n)\n  end\nend function\n", 0);
    // Endless recursion, stopped by the host long before the depth limit.
    ExpectSameOutcome(u"print deep({1})\nfunction deep(n)\n  deep = deep({n + 1}) + 1\nend function\n", 100,
                      600);
}

} // namespace
