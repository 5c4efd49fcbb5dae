#include "cli/Commands.h"

#include <gtest/gtest.h>

namespace {

TEST(CliOptions, OptionsStandBeforeOrAfterTheSubcommand)
{
    struct Case
    {
        std::vector<std::string> args;
        std::string subcommand;
        std::optional<char> decimal, group;
    };
    const Case cases[] = {
        {{"bcd"}, "bcd", std::nullopt, std::nullopt},
        {{"--decimal", ",", "--group", ".", "bcd"}, "bcd", ',', '.'},
        {{"bcd", "--decimal", ",", "--group", "."}, "bcd", ',', '.'},
        {{"--group", "'", "bcd"}, "bcd", std::nullopt, '\''},
        {{"--decimal=,", "bcd", "--group= "}, "bcd", ',', ' '},
        {{"--version"}, "version", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        const cli::CliOptions o = cli::ParseCommandLine(c.args);
        EXPECT_EQ(o.error, "");
        EXPECT_EQ(o.subcommand, c.subcommand);
        EXPECT_EQ(o.decimal, c.decimal);
        EXPECT_EQ(o.group, c.group);
    }
}

TEST(CliOptions, UnusableCommandLinesAreExplained)
{
    const std::vector<std::vector<std::string>> bad = {
        {},            // no subcommand
        {"--decimal"}, // missing character
        {"bcd", "--group"},
        {"--decimal", "ab", "bcd"}, // not one character
        {"--decimal", "", "bcd"},
        {"--decimal", "5", "bcd"}, // would make numbers ambiguous
        {"--decimal", "-", "bcd"},
        {"--decimal", "E", "bcd"},
        {"--decimal", "'", "bcd"}, // an apostrophe is a group separator only
        {"--group", "#", "bcd"},
        {"--frobnicate", "bcd"},
        {"--places", "5", "keys"},
        {"--places=f", "keys"},
        {"keys", "--places"},
        {"--rounding", "half", "keys"},
    };
    for (const auto& args : bad)
        EXPECT_NE(cli::ParseCommandLine(args).error, "") << (args.empty() ? "(none)" : args[0]);
}

TEST(CliOptions, TheAddingMachinesSwitches)
{
    const cli::CliOptions o =
        cli::ParseCommandLine({"--places", "A", "keys", "--rounding=down", "--grand-total", "--item-count"});
    EXPECT_EQ(o.error, "");
    EXPECT_EQ(o.subcommand, "keys");
    EXPECT_EQ(o.adding, (engine::CalcOptions{engine::DecimalPlaces::Add, TBcdRounding::Down, true, true}));
    EXPECT_EQ(cli::ParseCommandLine({"--places", "F", "keys"}).adding, engine::CalcOptions{});
    EXPECT_EQ(cli::ParseCommandLine({"--rounding", "5/4", "keys"}).adding, engine::CalcOptions{});
}

} // namespace
