// quorcalc-cli: the calculator's display-free driver.

#include <clocale>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

#include "base/Locale.h"
#include "cli/Commands.h"
#include "platform/VersionInfo.h"

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    std::ios::sync_with_stdio(false);

    const cli::CliOptions options = cli::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (options.subcommand == "help") {
        std::cout << cli::UsageText();
        return 0;
    }
    if (options.subcommand == "version") {
        try {
            std::cout << platform::ProgramVersionText("quorcalc-cli");
        } catch (const EStException& e) {
            std::cerr << "quorcalc-cli: " << e.what() << '\n';
            return 1;
        }
        return 0;
    }
    if (!options.error.empty()) {
        std::cerr << "quorcalc-cli: " << options.error << "\n\n" << cli::UsageText();
        return 2;
    }
    const TBcdSeparators separators{options.decimal.value_or(base::LocaleDecimalSeparator()),
                                    options.group.value_or(base::LocaleThousandSeparator())};

    if (options.subcommand == "bcd" && options.arguments.empty())
        return cli::RunBcd(std::cin, std::cout, separators);
    if (options.subcommand == "keys" && options.arguments.empty())
        return cli::RunKeys(std::cin, std::cout, separators, isatty(STDIN_FILENO) != 0, options.adding);

    std::cerr << "quorcalc-cli: unknown subcommand or extra arguments: " << options.subcommand << "\n\n"
              << cli::UsageText();
    return 2;
}
