#include "LogHandler.h"
#include "MainWindow.h"
#include "Startup.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    installTranslator(app);
    installStyleSheet(app);
    LogHandler::install();

    MainWindow window;
    window.showMaximized();
    return app.exec();
}
