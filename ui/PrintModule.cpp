// quorlane-print: the printing code as a module the program loads when the user first prints.

#include "ui/Printing.h"

extern "C" Q_DECL_EXPORT const ui::PrintFunctions* quorlane_print_functions()
{
    return &ui::LinkedPrinting();
}
