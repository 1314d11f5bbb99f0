#include "Startup.h"

#include <QApplication>
#include <QFile>
#include <QtTest>

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void translatorGivesChineseStandardTexts();
    void styleSheetIsTextBeforeFirstNul();
};

void TestStartup::translatorGivesChineseStandardTexts()
{
    QVERIFY(installTranslator(*qApp));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("取消"));
}

void TestStartup::styleSheetIsTextBeforeFirstNul()
{
    QFile file(":/qss/normalstyle.css");
    if (!file.open(QIODevice::ReadOnly)) {
        QVERIFY(!installStyleSheet(*qApp));
        QVERIFY(qApp->styleSheet().isEmpty());
        return;
    }
    QByteArray raw = file.readAll();
    if (raw.contains('\0'))
        raw.truncate(raw.indexOf('\0'));
    QVERIFY(installStyleSheet(*qApp));
    QCOMPARE(qApp->styleSheet(), QString::fromUtf8(raw));
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
