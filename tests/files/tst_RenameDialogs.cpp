// The two rename dialogs through their widgets: texts, preview, and confirm
// that either renames everything and closes or tells why and stays open.
#include "../app/ModalDriver.h"
#include "FileBatchRenameDlg.h"
#include "FileNameReplaceDlg.h"
#include "TestFiles.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QtTest>

namespace {

QStringList column(QDialog& dialog, int col)
{
    const QAbstractItemModel* model = dialog.findChild<QTableView*>("tableView")->model();
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, col).data().toString();
    return texts;
}

QStringList headers(QDialog& dialog)
{
    const QAbstractItemModel* model = dialog.findChild<QTableView*>("tableView")->model();
    return {model->headerData(0, Qt::Horizontal).toString(),
            model->headerData(1, Qt::Horizontal).toString()};
}

// Clicks confirm; returns the text of the box it raised ("" when none).
QString confirm(QDialog& dialog)
{
    QString boxText;
    QTimer* driver = whenModal([&boxText](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box)
            return false;
        boxText = box->windowTitle() + ":" + box->text();
        box->button(QMessageBox::Ok)->click();
        return true;
    });
    dialog.findChild<QPushButton*>("btn_confirm")->click();
    delete driver;
    return boxText;
}

} // namespace

class tst_RenameDialogs : public QObject
{
    Q_OBJECT
private slots:
    void batchDialogTexts_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("columns");
        QTest::newRow("files") << 1 << "文件批量重命名" << QStringList{"原文件名", "新文件名"};
        QTest::newRow("folders") << 2 << "文件夹批量重命名"
                                 << QStringList{"原文件夹名", "新文件夹名"};
    }
    void batchDialogTexts()
    {
        QFETCH(int, mode);
        QFETCH(QString, title);
        QFETCH(QStringList, columns);
        FileBatchRenameDlg dialog("/nowhere", {"scan1.jpg", "scan2.jpg"}, mode);
        QCOMPARE(dialog.windowTitle(), title);
        QCOMPARE(dialog.size(), QSize(565, 547));
        QCOMPARE(headers(dialog), columns);
        QCOMPARE(dialog.findChild<QPushButton*>("btn_confirm")->property("state").toString(),
                 QString("ok"));
        QCOMPARE(dialog.findChild<QPushButton*>("btn_cancel")->property("state").toString(),
                 QString("cancel"));
        auto* start = dialog.findChild<QSpinBox*>("spinBox_code_start");
        auto* length = dialog.findChild<QSpinBox*>("spinBox_code_len");
        QCOMPARE(QPoint(start->minimum(), start->maximum()), QPoint(1, 100000));
        QCOMPARE(QPoint(length->minimum(), length->maximum()), QPoint(1, 10));
        QCOMPARE(column(dialog, 1).first(), mode == 1 ? QString("001.jpg") : QString("001"));
        // The preview follows every parameter.
        dialog.findChild<QLineEdit*>("edit_prefix")->setText("A-");
        start->setValue(7);
        QCOMPARE(column(dialog, 1).last(), mode == 1 ? QString("A-008.jpg") : QString("A-008"));
        dialog.findChild<QCheckBox*>("checkBox_fix_zero")->setChecked(false);
        dialog.findChild<QLineEdit*>("edit_suffix")->setText("b");
        QCOMPARE(column(dialog, 1).first(), mode == 1 ? QString("A-7b.jpg") : QString("A-7b"));
    }

    // The checked files b and c renumbered from 1 would take a.jpg, which stays.
    void refusedConfirmKeepsTheDialogOpen()
    {
        TestFolder pages({"001.jpg", "b.jpg", "c.jpg"});
        const auto before = pages.snapshot();
        FileBatchRenameDlg dialog(pages.path(), {"b.jpg", "c.jpg"}, 1);
        dialog.show();
        QCOMPARE(confirm(dialog), QString("错误:第1行：“001.jpg”已存在"));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(pages.snapshot(), before);
        // Starting at 2 is fine: the dialog renames and closes.
        dialog.findChild<QSpinBox*>("spinBox_code_start")->setValue(2);
        QCOMPARE(confirm(dialog), QString());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(pages.read("003.jpg"), QByteArray("c.jpg"));
    }

    void replaceDialog()
    {
        TestFolder pages({"IMG_1.jpg", "IMG_2.jpg", "x.jpg"});
        const auto before = pages.snapshot();
        FileNameReplaceDlg dialog(pages.path(), {"IMG_1.jpg", "IMG_2.jpg", "x.jpg"});
        QCOMPARE(dialog.windowTitle(), QString("查找替换"));
        QCOMPARE(dialog.size(), QSize(357, 419));
        QCOMPARE(headers(dialog), (QStringList{"原文件名", "新文件名"}));
        auto* count = dialog.findChild<QLabel*>("lable_count");
        QCOMPARE(count->text(), QString("3"));
        dialog.findChild<QLineEdit*>("edit_find")->setText("IMG");
        QCOMPARE(count->text(), QString("2"));
        QCOMPARE(column(dialog, 1), (QStringList{"IMG_1.jpg", "IMG_2.jpg"}));
        // A replacement that makes two names one is refused.
        dialog.findChild<QLineEdit*>("edit_find")->setText("_1");
        dialog.findChild<QLineEdit*>("edit_replace")->setText("_2");
        dialog.show();
        QCOMPARE(confirm(dialog), QString("错误:第1行：“IMG_2.jpg”已存在"));
        QVERIFY(dialog.isVisible());
        QCOMPARE(pages.snapshot(), before);
        dialog.findChild<QLineEdit*>("edit_replace")->setText("_9");
        QCOMPARE(confirm(dialog), QString());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(pages.read("IMG_9.jpg"), QByteArray("IMG_1.jpg"));
    }

    void emptyReplacementOnlyCloses()
    {
        TestFolder pages({"IMG_1.jpg"});
        const auto before = pages.snapshot();
        FileNameReplaceDlg dialog(pages.path(), {"IMG_1.jpg"});
        dialog.findChild<QLineEdit*>("edit_find")->setText("IMG");
        dialog.show();
        QCOMPARE(confirm(dialog), QString());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(pages.snapshot(), before);
    }
};

QTEST_MAIN(tst_RenameDialogs)
#include "tst_RenameDialogs.moc"
