#include "form1.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int, char* argv[]) {
    // The game takes no arguments, so the toolkit sees none either.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName("Zundelfeld");
    QGuiApplication::setDesktopFileName("zundelfeld");

    // The toolkit's own texts (standard buttons, edit menus) in German as well.
    QTranslator qtDeutsch;
    if (qtDeutsch.load("qtbase_de", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtDeutsch);

    TForm1 Form1;
    Form1.show();
    return QApplication::exec();
}
