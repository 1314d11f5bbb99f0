#include "../app/ModalDriver.h"
#include "EntryImportDlg.h"
#include "ItemBooks.h"
#include "ItemFileChooser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

void makeImages(const QString& folder, int count)
{
    QVERIFY(QDir().mkpath(folder));
    for (int i = 1; i <= count; ++i) {
        QFile file(folder + QString("/%1.tif").arg(i));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
}

} // namespace

class TestEntryImport : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_book;
    QString m_data;
    QScopedPointer<EntryImportDlg> m_dialog;

    template <typename T> T* child(const char* name) const
    {
        T* widget = m_dialog->findChild<T*>(name);
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }

    // Data folder and item list chosen the way the operator chooses them.
    void prepare(const QString& type, bool checkPages)
    {
        child<QComboBox>("comboBox_archiveType")->setCurrentText(type);
        child<QPushButton>("btn_load_folder")->click();
        child<QToolButton>("btn_import_excel")->click();
        child<QComboBox>("comboBox_dh")->setCurrentText("档号");
        child<QComboBox>("comboBox_ys")->setCurrentText("页数");
        if (type == "案卷") {
            child<QComboBox>("comboBox_yh")->setCurrentText("页号");
            child<QComboBox>("comboBox_ajdh")->setCurrentText("案卷档号");
        }
        child<QCheckBox>("checkBox_checkPageNo")->setChecked(checkPages);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_book = m_dir.filePath("items.xlsx");
        // J1-002's page number goes backwards; its folder is missing.
        QVERIFY(writeItemBook(m_book, {itemSheet("条目", 1, 1,
                                                 {{"案卷档号", "档号", "页号", "页数"},
                                                  {"J1", "J1-001", 1, 12},
                                                  {"J1", "J1-002", 0, "3"},
                                                  {"J1", "J1-003", "4-6", 3}})}));
        m_data = m_dir.filePath("data");
        makeImages(m_data + "/J1/J1-001", 12);
        makeImages(m_data + "/J1/J1-003", 3);
        makeImages(m_data + "/J1-001", 12);
        makeImages(m_data + "/J1-003", 2);
        ItemFileChooser::setHook(
            [this](QWidget*, const QString&, const QString&, const QString&) { return m_book; });
        EntryImportDlg::setFolderHook([this](QWidget*, const QString&) { return m_data; });
    }
    void cleanupTestCase()
    {
        ItemFileChooser::setHook(nullptr);
        EntryImportDlg::setFolderHook(nullptr);
    }
    void init() { m_dialog.reset(new EntryImportDlg); }
    void cleanup()
    {
        m_dialog.reset();
        closeToasts();
    }

    void qcBeforeMatchOnlyReminds()
    {
        m_dialog->show();
        child<QPushButton>("btn_qc")->click();
        QCOMPARE(toastTexts(), QStringList{"请先执行匹配操作"});
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
        QVERIFY(!m_dialog->matched());
    }

    void matchNeedsAnExistingDataFolder()
    {
        QString title, text;
        answerBox(&text, QMessageBox::Ok, &title);
        child<QPushButton>("btn_match")->click();
        QCOMPARE(title, QString("提示"));
        QCOMPARE(text, QString("请先在目录树选择图像文件的存放目录"));
        m_dialog->setDataDir(m_dir.filePath("gone"));
        answerBox(&text, QMessageBox::Ok, &title);
        child<QPushButton>("btn_match")->click();
        QCOMPARE(text, QString("图像文件的存放目录不存在或解析失败"));
        QVERIFY(!m_dialog->matched());
    }

    void unreadableListIsSaid()
    {
        child<QPushButton>("btn_load_folder")->click();
        QCOMPARE(m_dialog->dataDir(), m_data);
        child<QLineEdit>("edit_excelpath")->setText(m_dir.filePath("absent.xlsx"));
        QString title, text;
        answerBox(&text, QMessageBox::Ok, &title);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("item list not loaded"));
        child<QPushButton>("btn_match")->click();
        QCOMPARE(title, QString("错误"));
        QVERIFY2(text.startsWith("条目excel载入失败"), qPrintable(text));
        QVERIFY(!m_dialog->matched());
    }

    void pageNumberFailureKeepsTheDialogUnmatched()
    {
        prepare("案卷", true);
        QString title, text;
        answerBox(&text, QMessageBox::Ok, &title);
        child<QPushButton>("btn_match")->click();
        QCOMPARE(title, QString("错误"));
        QCOMPARE(text, QString("J1-001的页号大于了J1-002的页号"));
        QVERIFY(!m_dialog->matched());
        QVERIFY(m_dialog->matchErrors().isEmpty());
    }

    void folderErrorsAreListedAndQcGoesOn()
    {
        prepare("案卷", false);
        QString title, text;
        answerBox(&text, QMessageBox::Ok, &title);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("不存在目录"));
        child<QPushButton>("btn_match")->click();
        const QStringList lines{"不存在目录：" + m_data + "/J1/J1-002",
                                "目录不属于任何条目：" + m_data + "/J1-001",
                                "目录不属于任何条目：" + m_data + "/J1-003"};
        QCOMPARE(m_dialog->matchErrors(), lines);
        QCOMPARE(title, QString("错误"));
        QCOMPARE(text, lines.join("\r\n"));
        QVERIFY(m_dialog->matched());
        QCOMPARE(m_dialog->itemsByArchiveNo().size(), 3);
        child<QPushButton>("btn_qc")->click();
        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
    }

    void singleDocumentsNeverCheckPageNumbers()
    {
        // The check box was ticked while it showed; the type hides it, and the check.
        prepare("一文一件", true);
        QString title, text;
        answerBox(&text, QMessageBox::Ok, &title);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("J1-002"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("J1-003"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("/J1$"));
        child<QPushButton>("btn_match")->click();
        QVERIFY(m_dialog->matched());
        QCOMPARE(m_dialog->matchErrors(),
                 (QStringList{"不存在目录：" + m_data + "/J1-002", "原文页数与条目不匹配：J1-003",
                              "目录不属于任何条目：" + m_data + "/J1"}));
    }
};

QTEST_MAIN(TestEntryImport)
#include "tst_EntryImport.moc"
