#include "../app/ModalDriver.h"
#include "EntryImportDlg.h"
#include "ItemBooks.h"
#include "ItemFileChooser.h"
#include "SplitToolDlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <memory>

namespace {

// The item list widgets of either dialog, by object name.
struct ItemDialog
{
    std::unique_ptr<QDialog> dialog;
    QString pathName, sheetName, buttonName;

    QLineEdit* path() const { return dialog->findChild<QLineEdit*>(pathName); }
    QComboBox* sheet() const { return dialog->findChild<QComboBox*>(sheetName); }
    QComboBox* combo(const char* name) const { return dialog->findChild<QComboBox*>(name); }
    QToolButton* button() const { return dialog->findChild<QToolButton*>(buttonName); }
    QStringList items(const char* name) const
    {
        QStringList texts;
        for (int i = 0; i < combo(name)->count(); ++i)
            texts << combo(name)->itemText(i);
        return texts;
    }
    QStringList headerNames() const
    {
        if (auto* split = qobject_cast<SplitToolDlg*>(dialog.get()))
            return split->headerNames();
        return static_cast<EntryImportDlg*>(dialog.get())->headerNames();
    }
};

ItemDialog makeDialog(const QString& kind)
{
    if (kind == "split")
        return {std::make_unique<SplitToolDlg>(), "edit_fj_excelpath", "combox_fj_sheet",
                "btn_fj_import_excel"};
    return {std::make_unique<EntryImportDlg>(), "edit_excelpath", "combox_sheet",
            "btn_import_excel"};
}

} // namespace

class TestItemDialogs : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_book;  // 条目: C3 headers with a gap; 空页: headers only; 第二: other headers
    QString m_empty; // first sheet holds only its header row
    QString m_answer;

    void import(const ItemDialog& d, const QString& path)
    {
        m_answer = path;
        d.button()->click();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_book = m_dir.filePath("items.xlsx");
        QVERIFY(writeItemBook(
            m_book,
            {itemSheet("条目", 3, 3,
                       {{"题名", QVariant(), "案卷档号", "起止页号", "页数"},
                        {"t", QVariant(), "A", "1", 3}}),
             itemSheet("空页", 1, 1, {{"档号", "页号"}}),
             itemSheet("第二", 1, 1, {{"档号", "页号", "页数", "档号"}, {"B-1", 1, 2, "B-2"}})}));
        m_empty = m_dir.filePath("empty.xlsx");
        QVERIFY(writeItemBook(m_empty, {itemSheet("只有表头", 1, 1, {{"档号", "页数"}}),
                                        itemSheet("条目", 1, 1, {{"档号"}, {"A-1"}})}));
        ItemFileChooser::setHook(
            [this](QWidget*, const QString&, const QString&, const QString&) { return m_answer; });
    }
    void cleanupTestCase() { ItemFileChooser::setHook(nullptr); }
    void cleanup() { closeToasts(); }

    void importListsSheetsAndPresetsColumns_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("split tool") << "split";
        QTest::newRow("entry import") << "entry";
    }
    void importListsSheetsAndPresetsColumns()
    {
        QFETCH(QString, kind);
        const ItemDialog d = makeDialog(kind);
        import(d, m_book);
        QCOMPARE(d.path()->text(), m_book);
        QCOMPARE(d.sheet()->count(), 3);
        QCOMPARE(d.sheet()->currentText(), QString("条目"));
        // The header row starts at C3; its empty cell is left out at import.
        const QStringList headers{"题名", "案卷档号", "起止页号", "页数"};
        QCOMPARE(d.headerNames(), headers);
        QCOMPARE(d.items("comboBox_dh"), headers);
        QCOMPARE(d.combo("comboBox_dh")->currentText(), QString("案卷档号"));
        QCOMPARE(d.combo("comboBox_yh")->currentText(), QString("起止页号"));
        QCOMPARE(d.combo("comboBox_ys")->currentText(), QString("页数"));

        // Another sheet: read again, every column listed, presets anew.
        d.sheet()->setCurrentText("第二");
        QCOMPARE(d.headerNames(), QStringList({"档号", "页号", "页数", "档号"}));
        QCOMPARE(d.combo("comboBox_yh")->currentText(), QString("页号"));

        // A sheet with only its header row keeps the lists and says so.
        d.sheet()->setCurrentText("空页");
        QCOMPARE(toastTexts(), QStringList({"页面为空"}));
        QCOMPARE(d.headerNames(), QStringList({"档号", "页号", "页数", "档号"}));

        // Back to the first sheet after a switch: the gap is listed now.
        d.sheet()->setCurrentText("条目");
        QCOMPARE(d.headerNames(), QStringList({"题名", "", "案卷档号", "起止页号", "页数"}));
    }

    void reimportReadsOnlyTheFirstSheetAsAtImport()
    {
        const ItemDialog d = makeDialog("split");
        import(d, m_book);
        d.sheet()->setCurrentText("第二");
        // Filling the sheet list again must not run the sheet switch.
        import(d, m_book);
        QCOMPARE(d.sheet()->count(), 3);
        QCOMPARE(d.headerNames(), QStringList({"题名", "案卷档号", "起止页号", "页数"}));
    }

    void headerOnlyFirstSheetIsListedWithoutToast()
    {
        const ItemDialog d = makeDialog("entry");
        import(d, m_empty);
        QCOMPARE(d.headerNames(), QStringList({"档号", "页数"}));
        QCOMPARE(d.combo("comboBox_ys")->currentText(), QString("页数"));
        QVERIFY(toastTexts().isEmpty());
    }

    void cancelledChoiceChangesNothing()
    {
        const ItemDialog d = makeDialog("split");
        import(d, m_book);
        import(d, QString());
        QCOMPARE(d.path()->text(), m_book);
        QCOMPARE(d.sheet()->count(), 3);
    }

    void unreadableWorkbookIsShownInABox()
    {
        const QString bad = m_dir.filePath("~$items.xlsx");
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("lock");
        file.close();
        const ItemDialog d = makeDialog("entry");
        import(d, m_book);
        QString title, text;
        answerBox(&text, QMessageBox::Ok, &title);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("~\\$items"));
        import(d, bad);
        QCOMPARE(title, QString("提示"));
        QCOMPARE(text, QString("Excel文件加载失败"));
        QCOMPARE(d.path()->text(), bad);
        QCOMPARE(d.sheet()->count(), 0);
    }

    void caseFileColumnOnlyForCaseFiles()
    {
        const ItemDialog d = makeDialog("entry");
        auto* dialog = static_cast<EntryImportDlg*>(d.dialog.get());
        QComboBox* type = d.combo("comboBox_archiveType");
        type->setCurrentText("一文一件");
        QVERIFY(!dialog->isCaseFile());
        import(d, m_book);
        QCOMPARE(d.combo("comboBox_ajdh")->count(), 0);
        QCOMPARE(d.combo("comboBox_dh")->currentText(), QString("案卷档号"));
        type->setCurrentText("案卷");
        dialog->presetItemColumns();
        QCOMPARE(d.combo("comboBox_ajdh")->currentText(), QString("案卷档号"));
    }

    void recordsFollowTheChosenColumns()
    {
        const ItemDialog d = makeDialog("entry");
        auto* dialog = static_cast<EntryImportDlg*>(d.dialog.get());
        import(d, m_book);
        d.sheet()->setCurrentText("第二");
        d.combo("comboBox_dh")->setCurrentIndex(3); // the second 档号 column
        dialog->buildItemRecords();
        QCOMPARE(dialog->itemRecords().size(), 1);
        QCOMPARE(dialog->itemRecords().first().row(), 2);
        QCOMPARE(dialog->itemsByArchiveNo().keys(), QStringList({"B-2"}));
    }
};

QTEST_MAIN(TestItemDialogs)
#include "tst_ItemDialogs.moc"
