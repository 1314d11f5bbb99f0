#include "ImageConvertDlg.h"
#include "MagickRuntime.h"
#include "MergeTestFiles.h"
#include "PageTestFiles.h"
#include "Toast.h"

#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

// The conversion dialog's frame: the folder table, the buttons and the
// notices; the conversions themselves are the runner's tests.
class TestImageConvertDlg : public QObject
{
    Q_OBJECT

    static QStringList toastTexts()
    {
        QStringList texts;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* toast = qobject_cast<Toast*>(widget))
                texts.append(toast->label()->text());
        }
        return texts;
    }

    static QStringList rows(ImageConvertDlg& dialog)
    {
        QStringList out;
        QAbstractItemModel* model = dialog.findChild<QTableView*>("tb_folder")->model();
        for (int r = 0; r < model->rowCount(); ++r)
            out.append(model->index(r, 0).data().toString() + ":" +
                       model->index(r, 1).data().toString());
        return out;
    }

private slots:
    void initTestCase() { MagickRuntime::ensureInitialised(); }
    void cleanup() { qDeleteAll(QApplication::topLevelWidgets()); }

    void buttonsDoNothingBeforeADirectory()
    {
        ImageConvertDlg dialog;
        for (const char* name :
             {"btn_convert2jpg", "btn_convert2tif", "btn_merge2tif", "btn_merge2pdf"})
            dialog.findChild<QPushButton*>(name)->click();
        QCOMPARE(toastTexts(), QStringList());
        QCOMPARE(dialog.lastSummary().succeeded, 0);
    }

    void tableCountsAndMergeNotice()
    {
        QTemporaryDir data;
        QVERIFY(QDir().mkpath(data.filePath("0001")));
        QVERIFY(QDir().mkpath(data.filePath("0002")));
        MergeTestFiles::writeJpeg(data.filePath("0001/1.jpg"), 40, 30, 300);
        PageTestFiles::writePage(data.filePath("0001/2.png"));
        PageTestFiles::writeBytes(data.filePath("0001/readme.txt"), "not a page");
        ImageConvertDlg dialog;
        dialog.setRootDir(data.path());
        QCOMPARE(rows(dialog), (QStringList{"0001:2", "0002:0"}));

        dialog.findChild<QPushButton*>("btn_merge2pdf")->click();
        QVERIFY(QFile::exists(data.filePath("0001.pdf")));
        QCOMPARE(rows(dialog), (QStringList{"0001:2", "0002:0"}));
        QCOMPARE(toastTexts(), QStringList{"合并PDF已完成\n完成：成功 1，跳过 0，失败 0"});

        dialog.findChild<QPushButton*>("btn_convert2tif")->click();
        QCOMPARE(QDir(data.filePath("0001")).entryList({"*.tif"}), (QStringList{"1.tif", "2.tif"}));
        QVERIFY(toastTexts().contains("转换为TIF格式已完成\n完成：成功 2，跳过 0，失败 0"));
    }
};

QTEST_MAIN(TestImageConvertDlg)
#include "tst_ImageConvertDlg.moc"
