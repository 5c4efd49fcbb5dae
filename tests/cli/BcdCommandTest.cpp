#include "cli/Commands.h"

#include <sstream>

#include <gtest/gtest.h>

namespace {

TEST(BcdCommand, EveryRequestKindAnswersInItsFormat)
{
    struct Case
    {
        std::string request, expected;
    };
    const Case cases[] = {
        {"parse\t12", "ok\t41000000000000000012"},
        {"parse\t-0", "ok\t00000000000000000000"},
        {"neg\t12", "ok\tc1000000000000000012"},
        {"add\t0.1\t0.2", "ok\t3f000000000000000030"},
        {"sub\t1\t2", "ok\tc0000000000000000010"},
        {"mul\t123456789\t987654321", "ok\t51695263121163321912"},
        {"div\t2\t3", "ok\t3f666666666666666666"},
        {"sqrt\t2", "ok\t40059530376235211414"},
        {"fixed\t-123.456\t0\t15", "ok\t-123.456000000000000"},
        {"fixed\t5\t8\t2", "ok\t    5.00"},
        {"exp\t123.456\t0", "ok\t 1.23456000000000000E+02"},
        {"gen\t1E20", "ok\t1E+20"},
        {"fmt\t#,##0.00;(#,##0.00)\t-1234.567", "ok\t(1,234.57)"},
        {"fmt\t#\t0", "ok\t"},
        {"fmt\t'a b' 0 \t5", "ok\ta b 5 "}, // blanks kept
        {"div\t5\t0", "error\t83\tBCD divide by zero"},
        {"div\t0\t0", "error\t83\tBCD divide by zero"},
        {"parse\t1,000", "error\t81\tBad BCD format"},
        {"parse\t12 ", "error\t81\tBad BCD format"},
        {"parse\t", "error\t81\tBad BCD format"},
        {"mul\t1E40\t1E30", "error\t82\tBCD larger than 10**64"},
        {"sqrt\t-4", "error\t84\tBCD negative input to sqrt, ln, or power"},
        {"fmt\t" + std::string(300, '0') + "\t1", "error\t85\tBuffer overflow in FormatBcd"},
        {"add\tx\t1", "error\t81\tBad BCD format"}, // operand text errors are the request's
    };
    for (const Case& c : cases)
        EXPECT_EQ(cli::BcdRequest(c.request), c.expected) << c.request;
}

TEST(BcdCommand, MalformedRequestsGiveUsageLines)
{
    const char* bad[] = {
        "frobnicate\t1", "add\t1",         "add\t1\t2\t3",    "parse",
        "fixed\t1\t0",   "fixed\t1\tx\t2", "fixed\t1\t-1\t2", "fixed\t1\t0\t99999",
        "exp\t1\t1.5",   "exp\t1\t",       "ADD\t1\t2",       " add\t1\t2",
    };
    for (const char* request : bad) {
        const std::string line = cli::BcdRequest(request);
        EXPECT_EQ(line.rfind("usage\t", 0), 0u) << request << " -> " << line;
        EXPECT_GT(line.size(), 6u);
        EXPECT_EQ(line.find('\n'), std::string::npos);
    }
}

TEST(BcdCommand, OneLinePerRequestEmptyLinesSkippedCrLfAccepted)
{
    std::istringstream in("parse\t1\n\nbogus\r\ndiv\t1\t0\r\n\nadd\t1\t1");
    std::ostringstream out;
    EXPECT_EQ(cli::RunBcd(in, out), 0);
    EXPECT_EQ(out.str(),
              "ok\t40000000000000000010\n"
              "usage\tunknown request 'bogus'; one of parse, neg, add, sub, mul, div, sqrt, fixed, "
              "exp, gen, fmt\n"
              "error\t83\tBCD divide by zero\n"
              "ok\t40000000000000000020\n");
}

} // namespace
