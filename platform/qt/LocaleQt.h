#pragma once
// The user's separators as Qt's own locale data knows them. Qt reads the locale from the environment
// without needing it installed in the C library, so the window uses these.

namespace platform {

// Makes the decimal type and the engine use QLocale::system()'s separators for the whole process
// (a separator that is not one 8-bit character becomes a blank, as everywhere).
void UseSystemLocaleSeparators();

} // namespace platform
