#include "platform/qt/LocaleQt.h"

#include <QLocale>

#include "base/Locale.h"

namespace platform {
namespace {

char SeparatorFromQt(const QString& text, char fallback)
{
    if (text.isEmpty())
        return fallback;
    if (text.size() == 1 && text.at(0).unicode() < 0x100)
        return static_cast<char>(text.at(0).unicode());
    return ' ';
}

} // namespace

void UseSystemLocaleSeparators()
{
    const QLocale locale = QLocale::system();
    base::SetSeparatorOverride(SeparatorFromQt(locale.decimalPoint(), '.'),
                               SeparatorFromQt(locale.groupSeparator(), ','));
}

} // namespace platform
