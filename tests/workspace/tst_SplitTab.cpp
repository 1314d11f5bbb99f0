#include "../archive/ItemBooks.h"
#include "AppPaths.h"
#include "ItemFileChooser.h"
#include "Toast.h"
#include "WorkspaceTestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>

// The item list of the main window's split tab, where columns and the start
// row are given by number.
class SplitTabTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_base;
    QTemporaryDir m_data;
    std::unique_ptr<MainWindow> m_window;
    QString m_answer;

    template <typename T> T* child(const char* name) const
    {
        return m_window->findChild<T*>(QString::fromLatin1(name));
    }
    void import(const QString& path)
    {
        m_answer = path;
        child<QToolButton>("btn_fj_import_excel")->click();
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
    static QStringList toastTexts()
    {
        QStringList texts;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* toast = qobject_cast<Toast*>(widget))
                texts << toast->label()->text() + QLatin1Char(' ') +
                             toast->label()->palette().color(QPalette::WindowText).name();
        }
        return texts;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_base.isValid() && m_data.isValid());
        AppPaths::setBaseDirForTesting(m_base.path());
        const QString page = m_data.path() + QStringLiteral("/01/0001.jpg");
        QVERIFY(QDir().mkpath(m_data.path() + QStringLiteral("/01")));
        QVERIFY(PageFile::saveWithDensity(cv::Mat(40, 30, CV_8UC3, cv::Scalar::all(255)), page, 300,
                                          300));
        m_window = openMainWindow(m_data.path(), 2, page);
        QCOMPARE(m_window->currentFile(), page);
        ItemFileChooser::setHook(
            [this](QWidget*, const QString&, const QString&, const QString&) { return m_answer; });
    }
    void cleanupTestCase()
    {
        ItemFileChooser::setHook(nullptr);
        m_window.reset();
    }

    void maximaAreTheLastUsedColumnAndRow()
    {
        // C3:F40: column F and rows 39 and 40 must stay reachable.
        QVector<QVariantList> rows{{"档号", "页号", "页数", "备注"}};
        for (int r = 4; r <= 40; ++r)
            rows << QVariantList{QStringLiteral("A-%1").arg(r), r, 1, "x"};
        const QString path = m_data.path() + QStringLiteral("/items.xlsx");
        QVERIFY(writeItemBook(path, {itemSheet("条目", 3, 3, rows),
                                     itemSheet("小", 1, 1, {{"档号", "页数"}, {"A", 1}})}));
        import(path);
        auto* sheet = child<QComboBox>("combox_fj_sheet");
        QCOMPARE(child<QLineEdit>("edit_fj_excelpath")->text(), path);
        QCOMPARE(sheet->count(), 2);
        QCOMPARE(child<QLabel>("label_fj_excelpath")->text(), QString("excel文件："));
        QCOMPARE(maxima(), QList<int>({6, 6, 6, 40}));
        child<QSpinBox>("spinBox_fj_startRow")->setValue(40);
        QCOMPARE(child<QSpinBox>("spinBox_fj_startRow")->value(), 40);

        sheet->setCurrentText("小");
        QCOMPARE(maxima(), QList<int>({2, 2, 2, 2}));
        QCOMPARE(child<QSpinBox>("spinBox_fj_startRow")->value(), 2);
        sheet->setCurrentText("条目");
        QCOMPARE(maxima(), QList<int>({6, 6, 6, 40}));
        QVERIFY(toastTexts().isEmpty());
    }

    void unreadableWorkbookIsARedToast()
    {
        const QString path = m_data.path() + QStringLiteral("/old.xlsx");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\xD0\xCF\x11\xE0 an old workbook");
        file.close();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("old\\.xlsx"));
        import(path);
        QCOMPARE(toastTexts(), QStringList({"Excel文件加载失败 #ff0000"}));
        QCOMPARE(child<QComboBox>("combox_fj_sheet")->count(), 0);
        QCOMPARE(child<QLineEdit>("edit_fj_excelpath")->text(), path);
    }
};

QTEST_MAIN(SplitTabTest)
#include "tst_SplitTab.moc"
