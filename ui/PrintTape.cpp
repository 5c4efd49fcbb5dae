// The printing code: the print dialog and the tape on a printer. Built into the print module
// (PrintModule.cpp) and into the tests, never into the program itself.

#include "ui/Printing.h"
#include "ui/TapeOutput.h"

#include <QPrintDialog>
#include <QPrinter>

#include "platform/qt/PrinterText.h"

namespace ui {

void PrintTapeDocument(QPrinter& printer, const TapeModel& lines)
{
    QFont font(QStringLiteral("Courier New"));
    font.setPointSize(12);
    platform::PrinterTextChannel channel(printer, font);
    for (std::size_t i = 0; i < lines.Count(); ++i) {
        const std::string_view line = lines.Line(i);
        channel.WriteLine(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
    }
    channel.Close();
}

namespace {

bool ShowPrintDialog(QWidget* parent, QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

QPrinter* NewPrinter()
{
    return new QPrinter;
}

void DeletePrinter(QPrinter* printer)
{
    delete printer;
}

} // namespace

const PrintFunctions& LinkedPrinting()
{
    static const PrintFunctions functions{&NewPrinter, &DeletePrinter, &ShowPrintDialog, &PrintTapeDocument};
    return functions;
}

} // namespace ui
