#include "CommonDialogs.h"
#include "ModalDriver.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class TestDialogs : public QObject
{
    Q_OBJECT
private slots:
    void boxes_data()
    {
        QTest::addColumn<bool>("question");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("expected");
        QTest::newRow("question, close button") << true << "close" << int(QMessageBox::Cancel);
        QTest::newRow("question, confirm") << true << "确认" << int(QMessageBox::Ok);
        QTest::newRow("message, close button") << false << "close" << int(QMessageBox::Ok);
    }
    void boxes()
    {
        QFETCH(bool, question);
        QFETCH(QString, action);
        QFETCH(int, expected);
        bool onTop = false;
        whenModal([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box)
                return false;
            onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            for (QAbstractButton* b : box->buttons())
                if (b->text() == action)
                    b->click();
            if (action == "close")
                box->close();
            return true;
        });
        const int answer = question ? showQuestion("提示", "确认要退出系统吗？")
                                    : showMessage("提示", "分件完成", QMessageBox::Warning);
        QCOMPARE(answer, expected);
        QVERIFY(onTop);
    }

    void validatedText_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("confirmable");
        QTest::addColumn<QString>("expected");
        QTest::newRow("rejected characters dropped")
            << QString("^[0-9]+$") << "1a2b3" << true << "123";
        QTest::newRow("half-typed range, cancelled")
            << QString("^[0-9]+-[0-9]+$") << "3-" << false << "";
    }
    void validatedText()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, typed);
        QFETCH(bool, confirmable);
        QFETCH(QString, expected);
        bool enabled = !confirmable;
        whenModal([&](QWidget* w) {
            auto* edit = w->findChild<QLineEdit*>();
            if (!edit)
                return false;
            QTest::keyClicks(edit, typed);
            QPushButton* confirm = nullptr;
            QPushButton* cancel = nullptr;
            for (QPushButton* b : w->findChildren<QPushButton*>())
                (b->property("state").toString() == "ok" ? confirm : cancel) = b;
            enabled = confirm->isEnabled();
            QTest::mouseClick(confirm, Qt::LeftButton);
            if (w->isVisible())
                cancel->click();
            return true;
        });
        QCOMPARE(getValidatedText("页码", pattern), expected);
        QCOMPARE(enabled, confirmable);
    }
};

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
