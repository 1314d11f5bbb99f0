// The About dialog, opened as the operator does, through the Help menu.
#include "../app/ModalDriver.h"
#include "AppPaths.h"
#include "WorkspaceTestSupport.h"

#include <Magick++.h>
#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QTemporaryDir>
#include <opencv2/core/version.hpp>

class TestAboutDlg : public QObject
{
    Q_OBJECT

private slots:
    void showsVersionsAndWhereFilesAre()
    {
        QTemporaryDir base;
        QTemporaryDir data;
        AppPaths::setBaseDirForTesting(base.path());
        QVERIFY(QDir().mkpath(data.filePath("卷 1")));
        const QString first = data.filePath("卷 1/0001.jpg");
        QVERIFY(PageFile::saveWithDensity(cv::Mat(60, 40, CV_8UC3, cv::Scalar::all(250)), first,
                                          300, 300));
        auto window = openMainWindow(data.path(), 2, first);

        QMap<QString, QString> texts;
        bool opened = false;
        whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QDialog*>(modal);
            if (!dialog || dialog->objectName() != "AboutDlg")
                return false;
            opened = true;
            for (QLabel* label : dialog->findChildren<QLabel*>())
                texts.insert(label->objectName(), label->text());
            dialog->findChild<QAbstractButton*>("btn_ok")->click();
            return true;
        });
        window->findChild<QAction*>("ac_about_us")->trigger();
        QVERIFY(opened);

        QCOMPARE(texts["lb_product"], QStringLiteral("Tarvo影像扫描加工系统单机版"));
        QCOMPARE(texts["lb_version"], QStringLiteral("版本：1.1.1"));
        QCOMPARE(texts["lb_qt_version"], QString(qVersion()));
        QCOMPARE(texts["lb_opencv_version"], QString(CV_VERSION));
        QVERIFY2(texts["lb_magick_version"].startsWith("ImageMagick " MagickLibVersionText),
                 qPrintable(texts["lb_magick_version"]));
        QCOMPARE(texts["lb_settings_file"], base.filePath("settings.ini"));
        QCOMPARE(texts["lb_log_dir"], base.filePath("log"));
        QCOMPARE(texts["lb_data_dir"], data.path());
        QCOMPARE(texts["lb_data_dir_caption"], QStringLiteral("数据目录："));

        window.reset();
        AppPaths::setBaseDirForTesting(QString());
    }
};

QTEST_MAIN(TestAboutDlg)
#include "tst_AboutDlg.moc"
