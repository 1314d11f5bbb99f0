// The splitting tool through its dialog: case-file folders chosen by check
// marks, checks shown before anything is asked or copied, and copies into the
// output folder by the storage rule.
#include "../app/ModalDriver.h"
#include "FolderChooser.h"
#include "ItemBooks.h"
#include "ItemFileChooser.h"
#include "SplitPreviewDlg.h"
#include "SplitToolDlg.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDirIterator>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

class SplitToolRunTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SplitToolDlg> m_dialog;
    QStringList m_asked; // captions of the directory choosers, in order

    QString data() const { return m_dir->filePath("data"); }
    QString out() const { return m_dir->filePath("out"); }
    template <typename T> T* child(const char* name) const
    {
        return m_dialog->findChild<T*>(QString::fromLatin1(name));
    }
    static bool writeImage(const QString& path, int shade)
    {
        QImage image(8, 6, QImage::Format_RGB32);
        image.fill(QColor(shade, shade, shade));
        return image.save(path);
    }
    void makeCaseFile(const QString& name, int images)
    {
        QVERIFY(QDir().mkpath(data() + '/' + name));
        for (int i = 1; i <= images; ++i)
            QVERIFY(writeImage(
                QStringLiteral("%1/%2/p%3.jpg").arg(data(), name).arg(i, 3, 10, QLatin1Char('0')),
                i * 20));
    }
    void loadList(const QVector<QVariantList>& rows)
    {
        QVector<QVariantList> sheet{{"案卷档号", "档号", "页号", "页数"}};
        sheet << rows;
        const QString book = m_dir->filePath("items.xlsx");
        QVERIFY(writeItemBook(book, {itemSheet("条目", 1, 1, sheet)}));
        ItemFileChooser::setHook(
            [book](QWidget*, const QString&, const QString&, const QString&) { return book; });
        child<QAbstractButton>("btn_fj_import_excel")->click();
        ItemFileChooser::setHook(nullptr);
        child<QComboBox>("comboBox_ajdh")->setCurrentText("案卷档号");
        child<QComboBox>("comboBox_dh")->setCurrentText("档号");
        child<QComboBox>("comboBox_yh")->setCurrentText("页号");
        child<QComboBox>("comboBox_ys")->setCurrentText("页数");
    }
    void loadFolder() { child<QAbstractButton>("btn_load_folder")->click(); }
    void clickRow(int row)
    {
        auto* view = child<QTableView>("tableView");
        const QRect rect = view->visualRect(view->model()->index(row, 1));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    }
    QList<bool> checks() const
    {
        QList<bool> marks;
        const QAbstractItemModel* model = child<QTableView>("tableView")->model();
        for (int r = 0; r < model->rowCount(); ++r)
            marks << (model->index(r, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked);
        return marks;
    }
    // Presses the button, accepts the preview and every box; what was shown.
    QStringList press(const char* button)
    {
        QStringList shown;
        QPointer<QTimer> driver = whenModal([&shown](QWidget* modal) {
            if (auto* preview = qobject_cast<SplitPreviewDlg*>(modal)) {
                shown << QStringLiteral("预览");
                preview->accept();
            } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                shown << box->windowTitle() + QLatin1Char('|') + box->text();
                box->button(QMessageBox::Ok)->click();
            }
            return false;
        });
        child<QAbstractButton>(button)->click();
        delete driver;
        return shown;
    }
    // Relative path -> shade of every file under dir.
    static QMap<QString, int> contents(const QString& dir)
    {
        QMap<QString, int> files;
        QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            files.insert(QDir(dir).relativeFilePath(path), qRed(QImage(path).pixel(0, 0)) / 20);
        }
        return files;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid() && QDir().mkpath(out()));
        makeCaseFile("J1", 5);
        makeCaseFile("J2", 3);
        makeCaseFile("J3", 2);
        m_asked.clear();
        FolderChooser::setHook([this](QWidget*, const QString& caption) {
            m_asked << caption;
            return caption == QStringLiteral("选择分件后的保存目录") ? out() : data();
        });
        m_dialog = std::make_unique<SplitToolDlg>();
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    }
    void cleanup()
    {
        m_dialog.reset();
        FolderChooser::setHook(nullptr);
    }

    void folderListChecksByClickAndMenu()
    {
        loadFolder();
        QCOMPARE(m_dialog->dataDir(), data());
        QCOMPARE(checks(), QList<bool>({false, false, false}));
        clickRow(1);
        QCOMPARE(checks(), QList<bool>({false, true, false}));
        clickRow(1);
        clickRow(2);
        QCOMPARE(checks(), QList<bool>({false, false, true}));
        const QList<QAction*> entries = m_dialog->folderMenu()->actions();
        entries.at(0)->trigger();
        QCOMPARE(checks(), QList<bool>({true, true, true}));
        entries.at(1)->trigger();
        QCOMPARE(checks(), QList<bool>({false, false, false}));
    }

    // J1 holds 5 pages in two documents (2 and 3), J2 one of 3; J3 is not checked.
    // Renaming and splitting by count are covered below the dialog.
    void copiesAcrossTwoCaseFilesByTheStorageRule()
    {
        // The 页数 column is wrong for J1-1 on purpose: the page-number split
        // takes its count from the page numbers.
        loadList({{"J1", "J1-1", 1, 7},
                  {"J1", "J1-2", "3-5", 3},
                  {"J2", "J2-1", "1-3", 3},
                  {"J3", "J3-1", "1-2", 2}});
        loadFolder();
        clickRow(0);
        clickRow(1);
        const QMap<QString, int> before = contents(data());

        QCOMPARE(press("btn_fj_pageno"), QStringList({"预览", "提示|分件完成"}));
        QCOMPARE(m_asked, QStringList({"载入数据目录", "选择分件后的保存目录"}));
        const QStringList names{"J1/J1-1/p001.jpg", "J1/J1-1/p002.jpg", "J1/J1-2/p003.jpg",
                                "J1/J1-2/p004.jpg", "J1/J1-2/p005.jpg", "J2/J2-1/p001.jpg",
                                "J2/J2-1/p002.jpg", "J2/J2-1/p003.jpg"};
        QMap<QString, int> expected;
        for (int i = 0; i < names.size(); ++i)
            expected.insert(names.at(i), i < 5 ? i + 1 : i - 4);
        QCOMPARE(contents(out()), expected);
        QCOMPARE(contents(data()), before); // a copy: the sources stay
    }

    void checksStopBeforeTheOutputIsAsked_data()
    {
        QTest::addColumn<int>("j1Pages"); // in the list; the folder holds 5
        QTest::addColumn<bool>("withData");
        QTest::addColumn<QString>("shown");
        QTest::newRow("pages differ, folder without rows")
            << 4 << true << "错误|原文件数与条目不匹配：请检查J1\r\n目录与条目不匹配：请检查J3";
        QTest::newRow("no data folder") << 3 << false << "提示|请先在目录树选择图像文件的存放目录";
    }
    void checksStopBeforeTheOutputIsAsked()
    {
        QFETCH(int, j1Pages);
        QFETCH(bool, withData);
        QFETCH(QString, shown);
        loadList({{"J1", "J1-1", 1, 2}, {"J1", "J1-2", 3, j1Pages}, {"J2", "J2-1", 1, 3}});
        if (withData) {
            loadFolder();
            m_dialog->folderMenu()->actions().at(0)->trigger();
        }
        const QMap<QString, int> before = contents(data());
        QCOMPARE(press("btn_fj_pagecount"), QStringList({shown}));
        QVERIFY(!m_asked.contains("选择分件后的保存目录"));
        QVERIFY(contents(out()).isEmpty());
        QCOMPARE(contents(data()), before);
    }
};

QTEST_MAIN(SplitToolRunTest)
#include "tst_SplitToolRun.moc"
