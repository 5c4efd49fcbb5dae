// quorcalc-cli's line parsers on arbitrary input: the command line, `bcd` requests and `keys`
// lines. Every non-empty request gets exactly one well-formed answer line; every key line one
// "after" line or one "usage" line.

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Commands.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool Blank(std::string_view line)
{
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);

    // The first line as a command line, split at blanks.
    std::vector<std::string> args;
    std::istringstream words(input.substr(0, input.find('\n')));
    for (std::string word; words >> word;)
        args.push_back(word);
    (void)cli::ParseCommandLine(args);

    std::istringstream bcdIn(input);
    std::ostringstream bcdOut;
    Check(cli::RunBcd(bcdIn, bcdOut) == 0);
    std::size_t requests = 0;
    for (const std::string& line : Lines(input))
        requests += line != "" && line != "\r";
    const std::vector<std::string> answers = Lines(bcdOut.str());
    Check(answers.size() == requests);
    for (const std::string& answer : answers)
        Check(answer.starts_with("ok\t") || answer.starts_with("error\t") || answer.starts_with("usage\t"));

    std::istringstream keysIn(input);
    std::ostringstream keysOut;
    Check(cli::RunKeys(keysIn, keysOut) == 0);
    std::size_t keys = 0, answered = 0;
    for (const std::string& line : Lines(input))
        keys += !Blank(line);
    for (const std::string& line : Lines(keysOut.str()))
        answered += line.starts_with("after\t") || line.starts_with("usage\t");
    Check(answered == keys);
    return 0;
}
