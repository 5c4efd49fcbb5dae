#include "cli/Commands.h"

#include <sstream>

#include <gtest/gtest.h>

namespace {

std::string RunScript(const std::string& script, char decimal = '.', char group = ',')
{
    std::istringstream in(script);
    std::ostringstream out;
    EXPECT_EQ(cli::RunKeys(in, out, {decimal, group}), 0);
    return out.str();
}

TEST(KeysCommand, AfterLinesMessagesErrorsAndTheTape)
{
    const std::string script = "  1 \n2\n\n+\nfrobnicate\n3\n=\n"
                               "1 2 3 4 5 6 7 8 9 1 2 3 4 5 6 7 8 9 1 2\n" // one key per line: unknown
                               "paste 9E63\nms\nm+\npaste 12abc\nmc\n";
    const std::string expected = "after\t1\t1\t\n"
                                 "after\t2\t12\t\n"
                                 "after\t+\t12\t\n"
                                 "usage\tunknown key 'frobnicate'; keys are 0-9, 00, 000, ., +/-, +, -, *, "
                                 "/, =, sqrt, %, 1/x, back, ce, c, "
                                 "mc, mr, ms, m+, m-, paste TEXT\n"
                                 "after\t3\t3\t\n"
                                 "after\t=\t15\t\n"
                                 "usage\tunknown key '1 2 3 4 5 6 7 8 9 1 2 3 4 5 6 7 8 9 1 2'; keys are "
                                 "0-9, 00, 000, ., +/-, +, -, *, /, =, "
                                 "sqrt, %, 1/x, back, ce, c, mc, mr, ms, m+, m-, paste TEXT\n"
                                 "after\tpaste 9E63\t9E63\t\n"
                                 "after\tms\t9E63\tMemory = 9E63\n"
                                 "error\tBCD larger than 10**64\n"
                                 "after\tm+\t9E63\tMemory = 9E63\n"
                                 "message\tInformation\tClipboard must contain a numeric value\n"
                                 "after\tpaste 12abc\t9E63\tMemory = 9E63\n"
                                 "after\tmc\t9E63\t\n"
                                 "tape\t12  \n"
                                 "tape\t3 +\n"
                                 "tape\t--------------------------\n"
                                 "tape\t15 =\n"
                                 "tape\t \n"
                                 "tape\t9E63 MS\n"
                                 "tape\tMemory Clear\n";
    EXPECT_EQ(RunScript(script), expected);
}

// The driver's paste reads amounts as Edit > Paste does: either convention, a currency sign (UTF-8).
TEST(KeysCommand, PasteReadsEitherConvention)
{
    EXPECT_EQ(RunScript("paste \xE2\x82\xAC 1.234,56\npaste 12,34\npaste 1,2,3\n"),
              "after\tpaste \xE2\x82\xAC 1.234,56\t1,234.56\t\n"
              "after\tpaste 12,34\t12.34\t\n"
              "message\tInformation\tClipboard must contain a numeric value\n"
              "after\tpaste 1,2,3\t12.34\t\n");
    EXPECT_EQ(RunScript("paste 1234.56\n", ',', '.'), "after\tpaste 1234.56\t1.234,56\t\n");
}

// The keys sub, gt and # with the switches; the output keeps its lines.
TEST(KeysCommand, TheAddingMachinesKeys)
{
    std::istringstream in("1\n2\n+\n5\nsub\n7\n#\n=\ngt\n");
    std::ostringstream out;
    cli::RunKeys(in, out, {'.', ','}, false, {engine::DecimalPlaces::Add, TBcdRounding::HalfUp, true, true});
    EXPECT_EQ(out.str(), "after\t1\t1\t\n"
                         "after\t2\t12\t\n"
                         "after\t+\t0.12\t\n"
                         "after\t5\t5\t\n"
                         "after\tsub\t0.17\t\n"
                         "after\t7\t7\t\n"
                         "after\t#\t0.17\t\n"
                         "after\t=\t0.17\t\n"
                         "after\tgt\t0.17\t\n"
                         "tape\t0.12  \n"
                         "tape\t0.05 +\n"
                         "tape\t002  0.17 S\n"
                         "tape\t7 #\n"
                         "tape\t--------------------------\n"
                         "tape\t002  0.17 =\n"
                         "tape\t \n"
                         "tape\t0.17 GT\n");
}

// Check and correct by tape line number: the changed lines marked, notes, undo; a line that prints no
// entry, or what is no number, gives a usage line and changes nothing.
TEST(KeysCommand, TapeCommands)
{
    EXPECT_EQ(RunScript("1\n0\n0\n+\n3\n-\n5\n=\ncorrect 2 4\nnote 1 Rent\ninsert 3 + 7\ndelete 5\n"
                        "correct 4 abc\nundo\nundo\nredo\ncorrect 9 1\n"),
              "after\t1\t1\t\nafter\t0\t10\t\nafter\t0\t100\t\nafter\t+\t100\t\nafter\t3\t3\t\n"
              "after\t-\t103\t\nafter\t5\t5\t\nafter\t=\t98\t\n"
              "after\tcorrect 2 4\t99\t\n"
              "after\tnote 1 Rent\t99\t\n"
              "after\tinsert 3 + 7\t106\t\n"
              "usage\ttape line 5 prints no entry; nothing changed\n"
              "usage\t'abc' is no number the keypad can type; nothing changed\n"
              "after\tundo\t99\t\n"
              "after\tundo\t99\t\n"
              "after\tredo\t99\t\n"
              "usage\tcorrect needs the number of a tape line (1 to 6); nothing changed\n"
              "tape\tRent  100  \ntape\t4 + !\ntape\t5 -\ntape\t--------------------------\n"
              "tape\t99 = !\ntape\t \n");
}

TEST(KeysCommand, CarriageReturnInBoxTextsIsEscaped)
{
    std::string script;
    for (int i = 0; i < 20; ++i)
        script += "9\n";
    const std::string out = RunScript(script);
    EXPECT_NE(
        out.find("message\tInformation\tQuorlane Calculator only supports\\rentering numbers up to 18 digits "
                 "long.\n"),
        std::string::npos)
        << out;
    EXPECT_EQ(out.find('\r'), std::string::npos);
}

TEST(KeysCommand, DecimalKeyTypesTheLocaleSeparator)
{
    EXPECT_EQ(RunScript("1\n0\n0\n0\n.\n5\n", ',', '.'), "after\t1\t1\t\n"
                                                         "after\t0\t10\t\n"
                                                         "after\t0\t100\t\n"
                                                         "after\t0\t1.000\t\n"
                                                         "after\t.\t1.000,\t\n"
                                                         "after\t5\t1.000,5\t\n");
}

} // namespace
