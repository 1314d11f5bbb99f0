#include "CommonDialogs.h"
#include "ModalDriver.h"
#include "Toast.h"
#include "WaitingDlg.h"

#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

namespace {

QList<Toast*> toasts()
{
    QList<Toast*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* toast = qobject_cast<Toast*>(w))
            found << toast;
    return found;
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT
private slots:
    void boxes_data();
    void boxes();
    void getTextReturnsTextOrEmpty();
    void validatedText_data();
    void validatedText();
    void toastIsPaddedAndCentred_data();
    void toastIsPaddedAndCentred();
    void toastsFadeIndependentlyAndDelete();
    void waitingDlgCancel();
};

void TestDialogs::boxes_data()
{
    QTest::addColumn<bool>("question");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("expected");
    QTest::newRow("question, close button") << true << "close" << int(QMessageBox::Cancel);
    QTest::newRow("question, confirm") << true << "确认" << int(QMessageBox::Ok);
    QTest::newRow("question, cancel") << true << "取消" << int(QMessageBox::Cancel);
    QTest::newRow("message, close button") << false << "close" << int(QMessageBox::Ok);
    QTest::newRow("message, confirm") << false << "确认" << int(QMessageBox::Ok);
}

void TestDialogs::boxes()
{
    QFETCH(bool, question);
    QFETCH(QString, action);
    QFETCH(int, expected);
    QStringList faces;
    bool onTop = false;
    whenModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box)
            return false;
        onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        for (QAbstractButton* b : box->buttons()) {
            faces << b->text() + "|" + b->styleSheet();
            if (b->text() == action)
                b->click();
        }
        if (action == "close")
            box->close();
        return true;
    });
    const int answer = question ? showQuestion("提示", "确认要退出系统吗？")
                                : showMessage("提示", "分件完成", QMessageBox::Warning);
    QCOMPARE(answer, expected);
    QVERIFY(onTop);
    QStringList expectedFaces{"确认|" + confirmButtonStyle()};
    if (question)
        expectedFaces << "取消|" + cancelButtonStyle();
    faces.sort();
    expectedFaces.sort();
    QCOMPARE(faces, expectedFaces);
}

void TestDialogs::getTextReturnsTextOrEmpty()
{
    for (bool accept : {true, false}) {
        QStringList faces;
        whenModal([&](QWidget* w) {
            auto* dialog = qobject_cast<QInputDialog*>(w);
            if (!dialog)
                return false;
            for (QAbstractButton* b : dialog->findChild<QDialogButtonBox*>()->buttons())
                faces << b->text() + "|" + b->styleSheet();
            dialog->findChild<QLineEdit*>()->setText("新建 文件夹");
            accept ? dialog->accept() : dialog->reject();
            return true;
        });
        QCOMPARE(getText("新建文件夹", "名称：", "old"), accept ? QString("新建 文件夹") : "");
        faces.sort();
        QCOMPARE(faces,
                 QStringList({"取消|" + cancelButtonStyle(), "确定|" + confirmButtonStyle()}));
    }
}

void TestDialogs::validatedText_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("confirmable");
    QTest::addColumn<QString>("expected");
    QTest::newRow("rejected characters dropped") << "^[0-9]+$"
                                                 << "1a2b3" << true << "123";
    QTest::newRow("half-typed range") << "^[0-9]+-[0-9]+$"
                                      << "3-" << false << "";
    QTest::newRow("complete range") << "^[0-9]+-[0-9]+$"
                                    << "3-15" << true << "3-15";
    QTest::newRow("case-sensitive") << "^[a-z]+$"
                                    << "abCd" << true << "abd";
    QTest::newRow("cancelled") << "^[0-9]+$"
                               << "" << false << "";
}

void TestDialogs::validatedText()
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

void TestDialogs::toastIsPaddedAndCentred_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("onTop");
    QTest::newRow("short") << "未打开图片" << false;
    QTest::newRow("long, on top") << QString("保存失败，请检查文件是否只读。").repeated(4) << true;
}

void TestDialogs::toastIsPaddedAndCentred()
{
    QFETCH(QString, text);
    QFETCH(bool, onTop);
    onTop ? showToastOnTop(text, QColor("#FF0000"), QColor("#FFFFFF"))
          : showToast(text, QColor("#0000FF"), QColor("#FFFFFF"));
    const QList<Toast*> shown = toasts();
    QCOMPARE(shown.size(), 1);
    QScopedPointer<Toast> toast(shown.first());
    QLabel* label = toast->label();
    QCOMPARE(label->size(), label->sizeHint() + QSize(160, 60));
    QCOMPARE(toast->size(), label->size());
    QCOMPARE(toast->windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(toast->pos(), QPoint(screen.left() + (screen.width() - toast->width()) / 2,
                                  screen.top() + (screen.height() - toast->height()) / 2));
}

void TestDialogs::toastsFadeIndependentlyAndDelete()
{
    showToast("已保存", Qt::blue, Qt::white);
    showToastOnTop(QString("已保存").repeated(10), Qt::blue, Qt::white);
    const QList<Toast*> shown = toasts();
    QCOMPARE(shown.size(), 2);
    QPointer<Toast> first(shown[0]), second(shown[1]);
    QCOMPARE(first->geometry().center(), second->geometry().center());
    QTRY_VERIFY_WITH_TIMEOUT(first.isNull() && second.isNull(), 20000);
}

void TestDialogs::waitingDlgCancel()
{
    WaitingDlg dialog;
    auto* button = dialog.findChild<QPushButton*>("pushButton");
    dialog.show();
    QVERIFY(button->isHidden());
    button->show();
    QSignalSpy cancelled(&dialog, &WaitingDlg::sigCancel);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(cancelled.count(), 1);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
