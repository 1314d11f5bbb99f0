// Shortcuts through the real window: keys pressed on it reach toolbar, menu
// and scan entries; the dock's panel captures keys, moves one between entries
// only when the operator agrees, and changes live on in the file.
#include "../app/ModalDriver.h"
#include "AppPaths.h"
#include "ImageToolbar.h"
#include "ScanPanel.h"
#include "ShortcutBinding.h"
#include "ShortcutkeykeysSettingsDlg.h"
#include "ShortutkeySaveDlg.h"
#include "ToolbarCommands.h"
#include "WorkspaceTestSupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeySequenceEdit>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

const QSize kPage(200, 280);

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray defaults()
{
    return readAll(QStringLiteral(":/config/shortcut.json"));
}

QJsonArray bindingsIn(const QByteArray& bytes)
{
    return QJsonDocument::fromJson(bytes)
        .object()
        .value("shortcut")
        .toObject()
        .value("ImageProcess")
        .toArray();
}

// The default file with these bindings added at its end.
QByteArray defaultsWith(const QJsonArray& extra)
{
    QJsonArray bindings = bindingsIn(defaults());
    for (const QJsonValue& binding : extra)
        bindings.append(binding);
    const QJsonObject root{{"shortcut", QJsonObject{{"ImageProcess", bindings}}}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QString keyInFile(const QString& action)
{
    QString key = QStringLiteral("(none)");
    for (const QJsonValue& binding : bindingsIn(readAll(AppPaths::shortcutFile()))) {
        if (binding.toObject().value("action").toString() == action)
            key = binding.toObject().value("key").toString();
    }
    return key;
}

} // namespace

class ShortcutsTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_base;
    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<MainWindow> m_window;

    QString page(const char* name) const { return m_data->path() + "/卷/" + name; }
    QString file() const { return AppPaths::shortcutFile(); }

    void writeFile(const QByteArray& bytes)
    {
        QFile out(file());
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
    }
    void openWindow()
    {
        m_window.reset();
        m_window = openMainWindow(m_data->path(), 2, page("0001.jpg"));
        QCOMPARE(m_window->currentFile(), page("0001.jpg"));
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    QObject* entry(const QString& label) const
    {
        return m_window->toolbarCommands()->toolbar()->entry(label);
    }
    QKeySequence keyOf(const QString& label) const { return ShortcutBinding::keyOf(entry(label)); }
    QPushButton* keyButton(const QString& label) const
    {
        ShortcutkeykeysSettingsDlg* panel = m_window->shortcutPanel();
        return panel->keyButton(panel->rowOf(label));
    }
    QSize pageSize() const
    {
        const cv::Mat& image = m_window->currentImage().image();
        return QSize(image.cols, image.rows);
    }
    // Clicks the entry's key button, presses key in the capture dialog (none
    // when empty) and closes it with "确定" or "取消"; answer: the button
    // pressed on a question, which lands in asked.
    void capture(const QString& label, const QKeySequence& key, bool accept = true,
                 const QString& answer = QString(), QString* asked = nullptr)
    {
        bool captured = false;
        const QPointer<QTimer> dialogDriver = whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<ShortutkeySaveDlg*>(modal);
            if (!dialog)
                return false;
            captured = dialog->focusWidget() == dialog->keyEdit();
            if (!key.isEmpty()) {
                const int code = key[0];
                QTest::keyClick(dialog->keyEdit(), Qt::Key(code & ~Qt::KeyboardModifierMask),
                                Qt::KeyboardModifiers(code & Qt::KeyboardModifierMask));
            }
            const QString close = accept ? QStringLiteral("确定") : QStringLiteral("取消");
            for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
                if (button->text() == close)
                    button->click();
            }
            return true;
        });
        const QPointer<QTimer> questionDriver = whenModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box)
                return false;
            if (asked)
                *asked = box->text();
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == answer)
                    button->click();
            }
            return true;
        });
        keyButton(label)->click();
        // Drivers left waiting would answer a later test's dialogs.
        delete dialogDriver.data();
        delete questionDriver.data();
        QVERIFY2(captured, "the capture dialog did not open with the key edit focused");
        // Keys go to the window again, as when the operator comes back to it.
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_base.isValid());
        QApplication::setQuitOnLastWindowClosed(false);
        AppPaths::setBaseDirForTesting(m_base.path());
    }

    void init()
    {
        QFile::remove(file());
        m_data = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(m_data->path() + "/卷"));
        cv::Mat content(kPage.height(), kPage.width(), CV_8UC3, cv::Scalar(250, 250, 250));
        for (const char* name : {"0001.jpg", "0002.jpg", "0003.jpg"})
            QVERIFY(PageFile::saveWithDensity(content, page(name), 300, 300));
    }

    void cleanup()
    {
        m_window.reset();
        closeToasts();
    }

    void defaultKeysReachTheirEntries()
    {
        openWindow();
        QCOMPARE(readAll(file()), defaults());
        for (const QJsonValue& binding : bindingsIn(defaults())) {
            const QString label = binding.toObject().value("action").toString();
            QCOMPARE(keyOf(label), QKeySequence(binding.toObject().value("key").toString()));
        }
        QTest::keyClick(m_window.get(), Qt::Key_Space);
        QTRY_COMPARE(m_window->currentFile(), page("0002.jpg"));
        // "向左旋转" sits in the " 旋转 " drop-down; "撤销" on the quick row.
        QTest::keyClick(m_window.get(), Qt::Key_Q);
        QTRY_COMPARE(pageSize(), kPage.transposed());
        QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(pageSize(), kPage);
    }

    void scanButtonTakesItsKey()
    {
        writeFile(defaultsWith({QJsonObject{{"action", "扫描"}, {"key", "F8"}}}));
        openWindow();
        auto* scan = m_window->findChild<QPushButton*>("btn_scan");
        QCOMPARE(scan->shortcut(), QKeySequence(Qt::Key_F8));
        // A name the panel refuses: the click reaches the scan command, which
        // says why it will not scan, and no scanner is touched.
        m_window->findChild<QLineEdit*>("edit_code_prefix")->setText("a/b");
        QSignalSpy clicks(scan, &QPushButton::clicked);
        QString told;
        answerBox(&told);
        QTest::keyClick(m_window.get(), Qt::Key_F8);
        QTRY_COMPARE(clicks.count(), 1);
        QTRY_VERIFY(!told.isEmpty());
        QVERIFY(!m_window->scanPanel()->isScanning());
    }

    void captureChangesExactlyOneEntry()
    {
        openWindow();
        capture("向右旋转", QKeySequence(Qt::Key_R));
        QCOMPARE(keyButton("向右旋转")->text(), QString("R"));
        // Indented as before, with one line changed.
        QByteArray expected = defaults();
        const int line = expected.indexOf("\"key\": \"E\"");
        QVERIFY(line > 0);
        expected.replace(line, 10, "\"key\": \"R\"");
        QCOMPARE(readAll(file()), expected);
        // At once, without a restart.
        QTest::keyClick(m_window.get(), Qt::Key_R);
        QTRY_COMPARE(pageSize(), kPage.transposed());
    }

    void keyMovesOnlyWhenConfirmed_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("moved");
        QTest::newRow("confirmed") << "确认" << true;
        QTest::newRow("cancelled") << "取消" << false;
    }

    void keyMovesOnlyWhenConfirmed()
    {
        QFETCH(QString, answer);
        QFETCH(bool, moved);
        openWindow();
        QString asked;
        capture("向右旋转", QKeySequence(Qt::Key_Q), true, answer, &asked);
        QCOMPARE(asked, QString("快捷键 Q 已被「向左旋转」使用，是否改用于「向右旋转」？"));
        if (moved) {
            QCOMPARE(keyOf("向左旋转"), QKeySequence());
            QCOMPARE(keyButton("向左旋转")->text(), QString("无"));
            QCOMPARE(keyInFile("向右旋转"), QString("Q"));
            QCOMPARE(keyInFile("向左旋转"), QString(""));
            // One entry holds it now, so it fires.
            QTest::keyClick(m_window.get(), Qt::Key_Q);
            QTRY_COMPARE(pageSize(), kPage.transposed());
        } else {
            QCOMPARE(keyOf("向左旋转"), QKeySequence(Qt::Key_Q));
            QCOMPARE(readAll(file()), defaults());
        }
    }

    void truncatedFileIsKeptAsideAndReseeded()
    {
        const QByteArray truncated = defaults().left(300);
        writeFile(truncated);
        openWindow();
        const QStringList aside =
            QDir(m_base.path()).entryList({"shortcut.json.bad-*"}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QCOMPARE(readAll(m_base.path() + "/" + aside.first()), truncated);
        QCOMPARE(readAll(file()), defaults());
        QCOMPARE(keyOf("下一页"), QKeySequence(Qt::Key_Space));
        // Told once: the next start finds a good file.
        QCOMPARE(toastTexts().size(), 1);
        cleanup();
        openWindow();
        QCOMPARE(toastTexts().size(), 0);
    }

    void duplicatedActionIsSavedEverywhere()
    {
        writeFile(defaultsWith({QJsonObject{{"action", "下一页"}, {"key", "N"}}}));
        openWindow();
        QCOMPARE(keyOf("下一页"), QKeySequence(Qt::Key_N));
        capture("下一页", QKeySequence(Qt::Key_K));
        int updated = 0;
        for (const QJsonValue& binding : bindingsIn(readAll(file()))) {
            if (binding.toObject().value("action").toString() == "下一页") {
                QCOMPARE(binding.toObject().value("key").toString(), QString("K"));
                ++updated;
            }
        }
        QCOMPARE(updated, 2);
        openWindow();
        QCOMPARE(keyOf("下一页"), QKeySequence(Qt::Key_K));
    }

    void duplicatedKeyStaysWithTheFirstEntry()
    {
        writeFile(defaultsWith({QJsonObject{{"action", "黑白"}, {"key", "Q"}}}));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("^shortcut Q of 黑白 already used by 向左旋转"));
        openWindow();
        QCOMPARE(keyOf("向左旋转"), QKeySequence(Qt::Key_Q));
        QCOMPARE(keyOf("黑白"), QKeySequence());
    }
};

QTEST_MAIN(ShortcutsTest)
#include "tst_Shortcuts.moc"
