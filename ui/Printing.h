#pragma once
// Printing lives in a module of its own (quorlane-print, with Qt Print Support), loaded when the
// user first prints: a start neither loads nor relocates the print libraries.

#include <QString>

class QPrinter;
class QWidget;

namespace ui {

class TapeModel;

struct PrintFunctions
{
    // A printer with the system's defaults, and its end.
    QPrinter* (*newPrinter)();
    void (*deletePrinter)(QPrinter* printer);
    // Qt's print dialog on `printer`; false when cancelled.
    bool (*dialog)(QWidget* parent, QPrinter& printer);
    // PrintTapeDocument.
    void (*print)(QPrinter& printer, const TapeModel& lines);
};

// The module's file, where the program in `programDir` finds it (installed or in the build tree).
QString PrintModuleFile(const QString& programDir);

// The functions of the module in `file`, which stays loaded; throws std::runtime_error with the
// file and the reason when it cannot be loaded.
const PrintFunctions& LoadPrinting(const QString& file);

// The printing functions: those set by SetPrinting, else the module's beside the program, loaded
// at the first call.
const PrintFunctions& Printing();
// nullptr: back to the module. Tests link the printing code in and set it here.
void SetPrinting(const PrintFunctions* functions);

// The printing code, where it is linked in (the module, the tests).
const PrintFunctions& LinkedPrinting();

} // namespace ui
