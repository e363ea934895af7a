#include "Printer.h"

#include <QString>

bool Printer::DrawPicture(int lines, const Painting&) {
    for (int i = 0; i < lines; ++i)
        if (!PrintLine(QString())) return false;
    return true;
}
