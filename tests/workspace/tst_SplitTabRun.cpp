// The split tab through the real window: its item list, where columns and the
// start row are given by number; the pages of the selected folder move into item
// folders, the open page goes with its edit, a refusal moves nothing, and the
// last split moves back.
#include "../app/ModalDriver.h"
#include "../archive/ItemBooks.h"
#include "AppPaths.h"
#include "ItemFileChooser.h"
#include "OperationId.h"
#include "SplitPreviewDlg.h"
#include "WorkspaceTestSupport.h"

#include <QComboBox>
#include <QPointer>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

const int kPages = 16;

// Page k is told apart by its width, wherever it ends up; the edit turns it.
QSize pageSize(int k)
{
    return QSize(40 + 4 * k, 30);
}

} // namespace

class SplitTabRunTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_base;
    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<MainWindow> m_window;
    QString m_answer;

    template <typename T> T* child(const char* name) const
    {
        return m_window->findChild<T*>(QString::fromLatin1(name));
    }
    QString folder() const { return m_data->path() + QStringLiteral("/01"); }
    QString page(int k) const
    {
        return QStringLiteral("%1/%2.jpg").arg(folder()).arg(k, 4, 10, QLatin1Char('0'));
    }
    void import(const QString& path)
    {
        m_answer = path;
        child<QToolButton>("btn_fj_import_excel")->click();
    }
    void importList(const QVector<QVariantList>& rows)
    {
        QVector<QVariantList> sheet{{"档号", "页号", "页数"}};
        sheet << rows;
        const QString path = m_data->path() + QStringLiteral("/items.xlsx");
        QVERIFY(writeItemBook(path, {itemSheet("条目", 1, 1, sheet)}));
        import(path);
        child<QSpinBox>("spinBox_fj_archiveNo")->setValue(1);
        child<QSpinBox>("spinBox_fj_pageNo")->setValue(2);
        child<QSpinBox>("spinBox_fj_pageCount")->setValue(3);
        child<QSpinBox>("spinBox_fj_startRow")->setValue(2);
    }
    // Maxima of the archive-number, page-number, page-count and start-row boxes.
    QList<int> maxima() const
    {
        QList<int> values;
        for (const char* name : {"spinBox_fj_archiveNo", "spinBox_fj_pageNo",
                                 "spinBox_fj_pageCount", "spinBox_fj_startRow"})
            values << child<QSpinBox>(name)->maximum();
        return values;
    }
    // Presses the button and answers whatever it shows: every question and the
    // preview with `confirm`, every notice with OK. What was shown, in order.
    QStringList press(const char* button, bool confirm)
    {
        QStringList shown;
        QPointer<QTimer> driver = whenModal([&shown, confirm](QWidget* modal) {
            if (auto* preview = qobject_cast<SplitPreviewDlg*>(modal)) {
                auto* table = preview->findChild<QTableWidget*>("tableWidget_preview");
                shown << QStringLiteral("预览|%1|%2|%3")
                             .arg(table->rowCount())
                             .arg(table->item(0, 1)->text(), table->item(0, 2)->text());
                confirm ? preview->accept() : preview->reject();
            } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                shown << box->windowTitle() + QLatin1Char('|') + box->text();
                const bool question = box->button(QMessageBox::Cancel) != nullptr;
                box->button(question && !confirm ? QMessageBox::Cancel : QMessageBox::Ok)->click();
            }
            return false;
        });
        m_window->findChild<QAbstractButton*>(QString::fromLatin1(button))->click();
        delete driver;
        return shown;
    }
    // Page k (1-based) of every item in turn, turned where told.
    void expectItems(const QStringList& items, const QList<int>& sizes, int turned)
    {
        int k = 1;
        for (int i = 0; i < items.size(); ++i) {
            const QString itemFolder = folder() + QLatin1Char('/') + items.at(i);
            QCOMPARE(QDir(itemFolder).entryList(QDir::Files).size(), sizes.at(i));
            for (int n = 0; n < sizes.at(i); ++n, ++k) {
                const QString name =
                    QStringLiteral("%1/%2.jpg").arg(itemFolder).arg(k, 4, 10, QLatin1Char('0'));
                QCOMPARE(sizeOnDisk(name), k == turned ? pageSize(k).transposed() : pageSize(k));
            }
        }
    }
    void expectAllInPlace(int turned)
    {
        QCOMPARE(QDir(folder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList());
        for (int k = 1; k <= kPages; ++k)
            QCOMPARE(sizeOnDisk(page(k)), k == turned ? pageSize(k).transposed() : pageSize(k));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_base.isValid());
        QApplication::setQuitOnLastWindowClosed(false);
        AppPaths::setBaseDirForTesting(m_base.path());
        ItemFileChooser::setHook(
            [this](QWidget*, const QString&, const QString&, const QString&) { return m_answer; });
    }
    void cleanupTestCase() { ItemFileChooser::setHook(nullptr); }

    void init()
    {
        m_data = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(folder()));
        for (int k = 1; k <= kPages; ++k) {
            cv::Mat content(pageSize(k).height(), pageSize(k).width(), CV_8UC3,
                            cv::Scalar(240, 240, 240));
            content(cv::Rect(5, 5, 10, 20)).setTo(cv::Scalar(20, 20, 20));
            QVERIFY(PageFile::saveWithDensity(content, page(k), 300, 300));
        }
        m_window = openMainWindow(m_data->path(), 2, page(1));
        QCOMPARE(m_window->currentFile(), page(1));
    }
    void cleanup()
    {
        m_window.reset();
        closeToasts();
    }

    void maximaAreTheLastUsedColumnAndRow()
    {
        // C3:F40: column F and rows 39 and 40 must stay reachable.
        QVector<QVariantList> rows{{"档号", "页号", "页数", "备注"}};
        for (int r = 4; r <= 40; ++r)
            rows << QVariantList{QStringLiteral("A-%1").arg(r), r, 1, "x"};
        const QString path = m_data->path() + QStringLiteral("/items.xlsx");
        QVERIFY(writeItemBook(path, {itemSheet("条目", 3, 3, rows),
                                     itemSheet("小", 1, 1, {{"档号", "页数"}, {"A", 1}})}));
        import(path);
        auto* sheet = child<QComboBox>("combox_fj_sheet");
        QCOMPARE(maxima(), QList<int>({6, 6, 6, 40}));
        child<QSpinBox>("spinBox_fj_startRow")->setValue(40);
        sheet->setCurrentText("小");
        QCOMPARE(maxima(), QList<int>({2, 2, 2, 2}));
        QCOMPARE(child<QSpinBox>("spinBox_fj_startRow")->value(), 2);
    }

    void unreadableWorkbookIsARedToast()
    {
        const QString path = m_data->path() + QStringLiteral("/old.xlsx");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\xD0\xCF\x11\xE0 an old workbook");
        file.close();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("old\\.xlsx"));
        import(path);
        QCOMPARE(toastTexts(true), QStringList({"Excel文件加载失败 #ff0000"}));
        QCOMPARE(child<QComboBox>("combox_fj_sheet")->count(), 0);
    }

    // Rows 5, 9, 12 and a last row 15-20 give 4, 3, 3 and 6 pages. Page 1 is
    // open and turned, not yet saved (save on page turn): its edit must reach
    // its own file in A1, and undo must bring every page back.
    void byPageNumberCarriesTheOpenEditAndUndoes()
    {
        m_window->executeOperation(IMG_OPT_ROTATE_LEFT, true, QVariant());
        QVERIFY(m_window->currentImage().hasUnsavedChanges());
        importList({{"A1", 5, 9}, {"A2", 9, 9}, {"A3", 12, 9}, {"A4", "15-20", 9}});

        QCOMPARE(press("btn_fj_pageno", true),
                 QStringList({"预览|4|0001.jpg|0004.jpg", "提示|分件完成"}));
        expectItems({"A1", "A2", "A3", "A4"}, {4, 3, 3, 6}, 1);
        QCOMPARE(QDir(folder()).entryList(QDir::Files), QStringList());
        QVERIFY(m_window->currentFile().isEmpty() || QFileInfo::exists(m_window->currentFile()));

        QVERIFY(child<QAbstractButton>("btn_fj_undo")->isEnabled());
        const QStringList undone = press("btn_fj_undo", true);
        QCOMPARE(undone.size(), 2);
        QCOMPARE(undone.last(), QStringLiteral("提示|撤销分件完成"));
        expectAllInPlace(1);
        QVERIFY(!child<QAbstractButton>("btn_fj_undo")->isEnabled());
        // The list shows the pages again and opens the first.
        QTRY_COMPARE(m_window->currentFile(), page(1));
    }

    void refusalMovesNothing_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QVector<QVariantList>>("rows");
        QTest::addColumn<bool>("existingA1");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QString>("firstShown");
        QTest::newRow("item folder exists")
            << "btn_fj_pagecount" << QVector<QVariantList>{{"A1", 1, 4}, {"A2", 5, 12}} << true
            << true << "错误";
        QTest::newRow("pages left over, not continued")
            << "btn_fj_pagecount" << QVector<QVariantList>{{"A1", 1, 4}, {"A2", 5, 3}} << false
            << false << "提示";
        QTest::newRow("preview cancelled")
            << "btn_fj_pagecount" << QVector<QVariantList>{{"A1", 1, 8}, {"A2", 9, 8}} << false
            << false << "预览";
    }
    void refusalMovesNothing()
    {
        QFETCH(QString, button);
        QFETCH(QVector<QVariantList>, rows);
        QFETCH(bool, existingA1);
        QFETCH(bool, confirm);
        QFETCH(QString, firstShown);
        m_window->executeOperation(IMG_OPT_ROTATE_LEFT, true, QVariant());
        if (existingA1)
            QVERIFY(QDir().mkdir(folder() + QStringLiteral("/A1")));
        importList(rows);
        const QStringList shown = press(button.toLatin1().constData(), confirm);
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().startsWith(firstShown + QLatin1Char('|')),
                 qPrintable(shown.first()));
        if (existingA1)
            QVERIFY(QDir(folder()).rmdir(QStringLiteral("A1")));
        // Nothing was left, so the edit is still only in memory on the open page.
        QCOMPARE(m_window->currentFile(), page(1));
        QVERIFY(m_window->currentImage().hasUnsavedChanges());
        expectAllInPlace(0);
        QVERIFY(!child<QAbstractButton>("btn_fj_undo")->isEnabled());
    }
};

QTEST_MAIN(SplitTabRunTest)
#include "tst_SplitTabRun.moc"
