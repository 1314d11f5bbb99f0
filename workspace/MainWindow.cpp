#include "MainWindow.h"

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("Tarvo影像扫描加工系统单机版 v%1").arg(QStringLiteral("1.1.1")));
}
