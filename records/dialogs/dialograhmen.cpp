#include "dialograhmen.h"

#include <QDialog>

void dialogRahmen(QDialog* dialog, int breite, int hoehe, bool systemMenue) {
    Qt::WindowFlags flaggen = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
    if (systemMenue) flaggen |= Qt::WindowSystemMenuHint;
    dialog->setWindowFlags(flaggen);
    dialog->setFixedSize(breite, hoehe);
}
