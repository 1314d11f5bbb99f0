#include "../app/ModalDriver.h"
#include "../archive/ItemBooks.h"
#include "AppPaths.h"
#include "EntryImportDlg.h"
#include "ItemFileChooser.h"
#include "QcPanel.h"
#include "WorkspaceTestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeView>

namespace {

// Cells of the first sheet as "row:column=value".
const char* const kCellsScript = "import sys, openpyxl\n"
                                 "ws = openpyxl.load_workbook(sys.argv[1]).active\n"
                                 "for row in ws.iter_rows():\n"
                                 "    for c in row:\n"
                                 "        if c.value is not None:\n"
                                 "            print('%d:%d=%s' % (c.row, c.column, c.value))\n";

void makeImages(const QString& folder, int count)
{
    QVERIFY(QDir().mkpath(folder));
    // Real pages: the main window opens the first one it lists.
    for (int i = 1; i <= count; ++i)
        QVERIFY(PageFile::saveWithDensity(cv::Mat(40, 30, CV_8UC3, cv::Scalar::all(255)),
                                          folder + QString("/%1.jpg").arg(i, 4, 10, QChar('0')),
                                          300, 300));
}

} // namespace

class TestQcPanel : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_book;
    QString m_data;
    QString m_saveAs;
    QScopedPointer<QWidget> m_window;
    QScrollArea* m_scroll = nullptr;
    QGridLayout* m_grid = nullptr;
    QPushButton* m_msg = nullptr;
    QScopedPointer<QcPanel> m_panel;

    // Fills in and accepts the entry import the panel is about to open.
    void driveImport()
    {
        const QString data = m_data;
        whenModal([data](QWidget* w) {
            auto* dialog = qobject_cast<EntryImportDlg*>(w);
            if (!dialog)
                return false;
            dialog->findChild<QComboBox*>("comboBox_archiveType")->setCurrentText("一文一件");
            dialog->setDataDir(data);
            dialog->findChild<QToolButton*>("btn_import_excel")->click();
            dialog->findChild<QComboBox*>("comboBox_dh")->setCurrentText("档号");
            dialog->findChild<QComboBox*>("comboBox_ys")->setCurrentText("页数");
            // The stray folder is reported; that box is answered too.
            whenModal([](QWidget* box) {
                if (!qobject_cast<QMessageBox*>(box))
                    return false;
                static_cast<QMessageBox*>(box)->done(QMessageBox::Ok);
                return true;
            });
            dialog->findChild<QPushButton*>("btn_match")->click();
            dialog->findChild<QPushButton*>("btn_qc")->click();
            return true;
        });
    }
    bool import()
    {
        driveImport();
        return m_panel->importEntries();
    }
    QLineEdit* editor(const QString& header) const
    {
        return m_window->findChild<QLineEdit*>(header);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_book = m_dir.filePath("items.xlsx");
        // A-1 twice: the later row is the one kept.
        QVERIFY(writeItemBook(m_book, {itemSheet("条目", 1, 1,
                                                 {{"档号", "题名", "页数"},
                                                  {"A-1", "first", 2},
                                                  {"A-2", "other", "1"},
                                                  {"A-1", "second", 2}})}));
        m_data = m_dir.filePath("data");
        makeImages(m_data + "/A-1", 2);
        makeImages(m_data + "/A-2", 1);
        QVERIFY(QDir().mkpath(m_data + "/stray"));
        ItemFileChooser::setHook(
            [this](QWidget*, const QString&, const QString&, const QString&) { return m_book; });
        QcPanel::setSaveHook(
            [this](QWidget*, const QString& caption, const QString& folder, const QString& filter) {
                if (caption != "保存文件" || folder != QDir::homePath() || filter != "(*.xlsx)")
                    return QString();
                return m_saveAs;
            });
    }
    void cleanupTestCase()
    {
        ItemFileChooser::setHook(nullptr);
        QcPanel::setSaveHook(nullptr);
    }
    void init()
    {
        m_window.reset(new QWidget);
        auto* layout = new QVBoxLayout(m_window.data());
        m_scroll = new QScrollArea(m_window.data());
        auto* contents = new QWidget;
        m_grid = new QGridLayout(contents);
        m_scroll->setWidget(contents);
        m_msg = new QPushButton(m_window.data());
        layout->addWidget(m_scroll);
        layout->addWidget(m_msg);
        m_panel.reset(new QcPanel({m_window.data(), m_scroll, m_grid, m_msg}));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("stray"));
        QVERIFY(import());
    }
    void cleanup()
    {
        m_panel.reset();
        m_window.reset();
        closeToasts();
    }

    void importBuildsOneEditorPerHeader()
    {
        QCOMPARE(m_panel->records().keys(), QStringList({"A-1", "A-2"}));
        QCOMPARE(m_msg->toolTip(), "目录不属于任何条目：" + m_data + "/stray");
        // A second import replaces the editors rather than adding to them.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("stray"));
        QVERIFY(import());
        QCOMPARE(m_window->findChildren<QLineEdit*>().size(), 3);
    }

    void editorsFollowTheFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("item, later row") << "A-1" << true << QStringList{"A-1", "second", "2"};
        QTest::newRow("page count as text") << "A-2" << true << QStringList{"A-2", "other", "1"};
        QTest::newRow("no archive number") << "stray" << false << QStringList{"", "", ""};
        QTest::newRow("data folder") << "" << false << QStringList{"", "", ""};
    }
    void editorsFollowTheFolder()
    {
        QFETCH(QString, folder);
        QFETCH(bool, shown);
        QFETCH(QStringList, texts);
        m_panel->showEntryInfo(m_data + "/A-1"); // something to clear
        m_panel->showEntryInfo(folder.isEmpty() ? m_data : m_data + '/' + folder);
        QCOMPARE(m_scroll->isEnabled(), shown);
        QCOMPARE(
            (QStringList{editor("档号")->text(), editor("题名")->text(), editor("页数")->text()}),
            texts);
    }

    void exportWritesEachRecordAtItsRow()
    {
        m_panel->showEntryInfo(m_data + "/A-1");
        QTest::keyClicks(editor("题名"), "!");
        QVERIFY(m_panel->isModified());
        QCOMPARE(m_panel->records().value("A-1").text("题名"), QString("second!"));
        m_saveAs = m_dir.filePath("checked");
        m_panel->exportEntries();
        const QString written = m_saveAs + ".xlsx";
        QCOMPARE(toastTexts(true), QStringList{"导出完成：" + written + " #0000ff"});
        QVERIFY(!m_panel->isModified());
        const QString python = openpyxlPython();
        if (python.isEmpty())
            QSKIP("python3 with openpyxl is needed to read the export back");
        QByteArray cells;
        QString why;
        QVERIFY2(runPython(python, kCellsScript, {written}, &cells, &why), qPrintable(why));
        // Row 2 held the earlier A-1: it stays empty; numbers stay numbers.
        QCOMPARE(QString::fromUtf8(cells).split('\n', Qt::SkipEmptyParts),
                 (QStringList{"1:1=档号", "1:2=题名", "1:3=页数", "3:1=A-2", "3:2=other", "3:3=1",
                              "4:1=A-1", "4:2=second!", "4:3=2"}));
    }

    void exportNeverReplacesTheImportedList()
    {
        QFile book(m_book);
        QVERIFY(book.open(QIODevice::ReadOnly));
        const QByteArray before = book.readAll();
        book.close();
        m_saveAs = m_book;
        QString text;
        answerBox(&text);
        m_panel->exportEntries();
        QVERIFY2(text.startsWith("不能导出到导入的条目excel"), qPrintable(text));
        QVERIFY(book.open(QIODevice::ReadOnly));
        QCOMPARE(book.readAll(), before);
        QVERIFY(toastTexts().isEmpty());
    }

    void failedExportSaysSo()
    {
        m_saveAs = m_dir.filePath("no/such/folder/out.xlsx");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("export failed"));
        m_panel->exportEntries();
        QCOMPARE(toastTexts(true), QStringList{"导出失败 #ff0000"});
        m_saveAs.clear();
        m_panel->exportEntries(); // cancelled: nothing happens
        QCOMPARE(toastTexts().size(), 1);
    }

    void unexportedEditsAreNotDroppedUnasked()
    {
        m_panel->showEntryInfo(m_data + "/A-2");
        QTest::keyClicks(editor("题名"), "X");
        QString text;
        answerBox(&text, QMessageBox::Cancel);
        QVERIFY(!m_panel->importEntries());
        QCOMPARE(text, QString("质检条目已修改但未导出，是否继续？"));
        QCOMPARE(m_panel->records().value("A-2").text("题名"), QString("otherX"));
        // Agreed: the import runs and the edit is gone.
        answerBox(&text, QMessageBox::Ok);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("stray"));
        QVERIFY(import());
        QCOMPARE(m_panel->records().value("A-2").text("题名"), QString("other"));
        QVERIFY(!m_panel->isModified());
    }

    void modeButtonBringsTheTab()
    {
        QTemporaryDir base;
        AppPaths::setBaseDirForTesting(base.path());
        auto window = openMainWindow(m_data, 2, m_data + "/A-1/0001.jpg");
        auto* mode = window->findChild<QPushButton*>("btn_mode_qc");
        auto* tabs = window->findChild<QTabWidget*>("widget_right");
        auto* tab = window->findChild<QWidget*>("tab_entry");
        auto* scroll = window->findChild<QScrollArea*>("scrollArea_entry");
        auto* entry = window->findChild<QAction*>("action_qc_mode");
        entry->trigger();
        QVERIFY(!mode->isHidden());

        // A cancelled import leaves the mode off.
        whenModal([](QWidget* w) {
            if (!qobject_cast<EntryImportDlg*>(w))
                return false;
            static_cast<QDialog*>(w)->reject();
            return true;
        });
        mode->click();
        QVERIFY(!mode->isChecked());
        QCOMPARE(tabs->indexOf(tab), -1);
        QVERIFY(!scroll->isEnabled());

        driveImport();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("stray"));
        mode->click();
        QVERIFY(mode->isChecked());
        QCOMPARE(tabs->currentWidget(), tab);
        auto* tree = window->findChild<QTreeView*>("tv_folder");
        auto* folders = qobject_cast<QFileSystemModel*>(tree->model());
        QVERIFY(folders);
        tree->setCurrentIndex(folders->index(m_data + "/A-2"));
        QVERIFY(QTest::qWaitFor([&] { return scroll->isEnabled(); }, 5000));
        QCOMPARE(scroll->findChild<QLineEdit*>("题名")->text(), QString("other"));

        // Closing the window asks before unexported edits go.
        QTest::keyClicks(scroll->findChild<QLineEdit*>("题名"), "X");
        window->show();
        QString text;
        answerBox(&text, QMessageBox::Cancel);
        QVERIFY(!window->close());
        QCOMPARE(text, QString("质检条目已修改但未导出，是否继续？"));

        mode->click();
        QCOMPARE(tabs->indexOf(tab), -1);
        answerBox(&text, QMessageBox::Ok);
        QVERIFY(window->close());
    }
};

QTEST_MAIN(TestQcPanel)
#include "tst_QcPanel.moc"
