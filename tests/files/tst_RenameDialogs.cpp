// The two rename dialogs through their widgets: the preview follows the fields,
// and confirm either renames everything and closes or tells why and stays open.
#include "../app/ModalDriver.h"
#include "FileBatchRenameDlg.h"
#include "FileNameReplaceDlg.h"
#include "TestFiles.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QtTest>

namespace {

QStringList newNames(QDialog& dialog)
{
    const QAbstractItemModel* model = dialog.findChild<QTableView*>("tableView")->model();
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, 1).data().toString();
    return texts;
}

// Clicks confirm; returns the text of the box it raised ("" when none).
QString confirm(QDialog& dialog)
{
    QString text;
    QString title;
    QTimer* driver = answerBox(&text, QMessageBox::Ok, &title);
    dialog.findChild<QPushButton*>("btn_confirm")->click();
    delete driver;
    return text.isEmpty() ? text : title + ":" + text;
}

} // namespace

class tst_RenameDialogs : public QObject
{
    Q_OBJECT
private slots:
    // The checked files b and c renumbered from 1 would take 001.jpg, which stays.
    void batchRefusalKeepsTheDialogOpen()
    {
        TestFolder pages({"001.jpg", "b.jpg", "c.jpg"});
        const auto before = pages.snapshot();
        FileBatchRenameDlg dialog(pages.path(), {"b.jpg", "c.jpg"}, 1);
        dialog.findChild<QLineEdit*>("edit_prefix")->setText("A-");
        QCOMPARE(newNames(dialog), (QStringList{"A-001.jpg", "A-002.jpg"}));
        dialog.findChild<QLineEdit*>("edit_prefix")->clear();
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

    // A replacement that makes two names one is refused.
    void replaceIntoATakenName()
    {
        TestFolder pages({"IMG_1.jpg", "IMG_2.jpg", "x.jpg"});
        const auto before = pages.snapshot();
        FileNameReplaceDlg dialog(pages.path(), {"IMG_1.jpg", "IMG_2.jpg", "x.jpg"});
        dialog.findChild<QLineEdit*>("edit_find")->setText("_1");
        dialog.findChild<QLineEdit*>("edit_replace")->setText("_2");
        QCOMPARE(newNames(dialog), QStringList{"IMG_2.jpg"});
        dialog.show();
        QCOMPARE(confirm(dialog), QString("错误:第1行：“IMG_2.jpg”已存在"));
        QCOMPARE(pages.snapshot(), before);
        dialog.findChild<QLineEdit*>("edit_replace")->setText("_9");
        QCOMPARE(confirm(dialog), QString());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(pages.read("IMG_9.jpg"), QByteArray("IMG_1.jpg"));
    }
};

QTEST_MAIN(tst_RenameDialogs)
#include "tst_RenameDialogs.moc"
