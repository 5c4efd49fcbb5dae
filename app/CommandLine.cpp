#include "app/CommandLine.h"

#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "platform/VersionInfo.h"

namespace {

constexpr char HelpText[] =
    "usage: quorcalc [/tray]\n"
    "       quorcalc --help | --version\n"
    "\n"
    "Quorlane Calculator: an adding-machine calculator with exact decimals and a paper tape.\n"
    "\n"
    "  /tray       start hidden in the notification area when the options Tray Icon and\n"
    "              Run on Startup are on (the logon entry starts it this way)\n"
    "  --help      show this text\n"
    "  --version   show the program's version\n"
    "\n"
    "The Qt toolkit's options, such as -platform NAME, are accepted as well.\n";

constexpr char UsageLine[] = "usage: quorcalc [/tray] | --help | --version (and the Qt toolkit's options)\n";

// The options the Qt toolkit takes from the command line (with -name or --name), as Qt 6 removes
// them: those with a value as the next argument (style and stylesheet also as -style=NAME), and
// those without one.
constexpr std::string_view QtValueOptions[] = {
    "platform",     "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
    "qwindowtitle", "qwindowicon",        "session",       "style",  "stylesheet",
    "display",      "geometry",           "name",          "title",  "visual"};
constexpr std::string_view QtFlagOptions[] = {"reverse", "widgetcount", "nograb", "dograb", "testability"};

template<std::size_t N>
bool Listed(const std::string_view (&names)[N], std::string_view name)
{
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

// The first argument that is neither "/tray" nor an option of the toolkit's; nullopt when all are.
std::optional<std::string> UnknownArgument(const std::vector<std::string>& arguments)
{
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view a = arguments[i];
        if (a == "/tray")
            continue;
        if (!a.starts_with('-'))
            return arguments[i];
        a.remove_prefix(a.starts_with("--") ? 2 : 1);
        if (Listed(QtFlagOptions, a))
            continue;
        if (Listed(QtValueOptions, a) && i + 1 < arguments.size()) {
            ++i; // its value
            continue;
        }
        const std::string_view name = a.substr(0, a.find('='));
        if (a.find('=') != std::string_view::npos &&
            (name == "style" || name == "stylesheet" || name == "qmljsdebugger"))
            continue;
        return arguments[i];
    }
    return std::nullopt;
}

// Messages held back while the toolkit starts, with the handler they go to afterwards.
struct HeldMessages
{
    QtMessageHandler previous = nullptr;
    struct Message
    {
        QtMsgType type;
        const char* category; // a logging category's name: it lives as long as the program
        QString text;
    };
    std::vector<Message> held;
};

HeldMessages& Held()
{
    static HeldMessages held;
    return held;
}

void HoldOrFail(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtFatalMsg) {
        Held().held.push_back({type, context.category, message});
        return;
    }
    // The first held warning names what went wrong ("could not connect to display :5").
    QString reason = message.section(QLatin1Char('\n'), 0, 0);
    for (const HeldMessages::Message& m : Held().held) {
        if (m.type == QtWarningMsg) {
            reason = m.text;
            break;
        }
    }
    std::fprintf(stderr, "quorcalc: cannot open the window: %s\n", reason.toLocal8Bit().constData());
    std::_Exit(1);
}

} // namespace

std::optional<int> AnswerInformationOptions(const std::vector<std::string>& arguments, std::ostream& out,
                                            std::ostream& err)
{
    for (const std::string& a : arguments) {
        if (a == "--help" || a == "-h") {
            out << HelpText;
            return 0;
        }
        if (a == "--version") {
            try {
                out << platform::ProgramVersionText("quorcalc");
            } catch (const std::exception& e) {
                err << "quorcalc: " << e.what() << '\n';
                return 1;
            }
            return 0;
        }
    }
    if (const std::optional<std::string> unknown = UnknownArgument(arguments)) {
        err << "quorcalc: unknown option '" << *unknown << "'\n" << UsageLine;
        return 2;
    }
    return std::nullopt;
}

std::optional<std::string> MissingDisplay(const std::vector<std::string>& arguments,
                                          const std::function<std::string(const char*)>& environment)
{
    for (const std::string& a : arguments) {
        if (a == "-platform" || a == "--platform")
            return std::nullopt;
    }
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        if (!environment(name).empty())
            return std::nullopt;
    }
    return "quorcalc: no display to open the window on: neither DISPLAY nor WAYLAND_DISPLAY is set "
           "(start it in a desktop session)";
}

DisplayFailureGuard::DisplayFailureGuard()
{
    Held().previous = qInstallMessageHandler(HoldOrFail);
}

DisplayFailureGuard::~DisplayFailureGuard()
{
    qInstallMessageHandler(Held().previous);
    std::vector<HeldMessages::Message> held = std::move(Held().held);
    Held().held.clear();
    for (const HeldMessages::Message& m : held)
        qt_message_output(m.type, QMessageLogContext(nullptr, 0, nullptr, m.category), m.text);
}
