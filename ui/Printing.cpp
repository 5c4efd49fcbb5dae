#include "ui/Printing.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

#include <map>
#include <stdexcept>

namespace ui {
namespace {

const PrintFunctions*& Installed()
{
    static const PrintFunctions* functions = nullptr;
    return functions;
}

} // namespace

QString PrintModuleFile(const QString& programDir)
{
    // Where the installation puts it relative to the program (bin/): the build tree has the same layout.
    return QDir::cleanPath(programDir + QStringLiteral("/../" QUORLANE_PRINT_MODULE));
}

const PrintFunctions& LoadPrinting(const QString& file)
{
    // Loaded once per file and never unloaded: the functions stay valid.
    static std::map<QString, const PrintFunctions*> loaded;
    if (const auto found = loaded.find(file); found != loaded.end())
        return *found->second;
    QLibrary module(file);
    using Entry = const PrintFunctions* (*)();
    const auto entry =
        module.load() ? reinterpret_cast<Entry>(module.resolve("quorlane_print_functions")) : nullptr;
    const PrintFunctions* functions = entry != nullptr ? entry() : nullptr;
    if (functions == nullptr)
        throw std::runtime_error(
            QStringLiteral("Printing is not available: %1").arg(module.errorString()).toStdString());
    loaded.emplace(file, functions);
    return *functions;
}

const PrintFunctions& Printing()
{
    if (Installed() != nullptr)
        return *Installed();
    return LoadPrinting(PrintModuleFile(QCoreApplication::applicationDirPath()));
}

void SetPrinting(const PrintFunctions* functions)
{
    Installed() = functions;
}

} // namespace ui
