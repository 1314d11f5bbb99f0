#include "ScannerStartup.h"

#include "CommonDialogs.h"
#include "ScanSession.h"

#include <QDebug>
#include <QWidget>

namespace ScannerStartup {

ScanSession* start(QWidget* window)
{
    auto* session = new ScanSession(window);
    QObject::connect(session, &ScanSession::managerMissing, window, [](const QString& tried) {
        qWarning().noquote() << "加载扫描仪驱动失败" << tried;
        showMessage(QStringLiteral("提示"), QStringLiteral("加载扫描仪驱动失败：TWAINDSM.DLL"));
    });
    session->initialise(window->winId());
    return session;
}

} // namespace ScannerStartup
