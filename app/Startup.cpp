#include "Startup.h"

#include <QApplication>
#include <QDebug>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>

bool installTranslator(QApplication& app)
{
    auto* translator = new QTranslator(&app);
#ifdef Q_OS_WIN
    // The Windows build carries the catalogue in its resources.
    const bool loaded = translator->load(QStringLiteral(":/qt_zh_CN.qm"));
#else
    // Elsewhere the catalogue must match the installed Qt, so take the system's own.
    const bool loaded = translator->load(QStringLiteral("qt_zh_CN"),
                                         QLibraryInfo::location(QLibraryInfo::TranslationsPath));
#endif
    if (!loaded) {
        qWarning() << "translator err";
        delete translator;
        return false;
    }
    app.installTranslator(translator);
    return true;
}

bool installStyleSheet(QApplication& app)
{
    QFile file(QStringLiteral(":/qss/normalstyle.css"));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray data = file.readAll();
    file.close();
    const int nul = data.indexOf('\0');
    if (nul >= 0)
        data.truncate(nul);
    app.setStyleSheet(QString::fromUtf8(data));
    return true;
}
