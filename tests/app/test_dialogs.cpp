#include "CommonDialogs.h"
#include "ModalDriver.h"
#include "Toast.h"
#include "WaitingDlg.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

namespace {

const char* const kLogo = ":/images/logo_tarvo_qavo.ico";

// The logo only exists once the resources are compiled in; the icon must follow it.
bool hasLogoIfAvailable(QWidget* w)
{
    return !QFile::exists(QString::fromLatin1(kLogo)) || !w->windowIcon().isNull();
}

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
    void question_data();
    void question();
    void messageHasOneConfirmButton();
    void getTextReturnsTextOrEmpty_data();
    void getTextReturnsTextOrEmpty();
    void validatedText_data();
    void validatedText();
    void toastIsPaddedAndCentred_data();
    void toastIsPaddedAndCentred();
    void toastsFadeIndependentlyAndDelete();
    void waitingDlgForm();
};

void TestDialogs::question_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("expected");
    QTest::newRow("close button") << "close" << int(QMessageBox::Cancel);
    QTest::newRow("confirm") << "confirm" << int(QMessageBox::Ok);
    QTest::newRow("cancel") << "cancel" << int(QMessageBox::Cancel);
}

void TestDialogs::question()
{
    QFETCH(QString, action);
    QFETCH(int, expected);
    QString okText, cancelText, okStyle, cancelStyle;
    bool onTop = false, iconOk = false;
    whenModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box)
            return false;
        okText = box->button(QMessageBox::Ok)->text();
        cancelText = box->button(QMessageBox::Cancel)->text();
        okStyle = box->button(QMessageBox::Ok)->styleSheet();
        cancelStyle = box->button(QMessageBox::Cancel)->styleSheet();
        onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        iconOk = hasLogoIfAvailable(box);
        if (action == "close")
            box->close();
        else
            box->button(action == "confirm" ? QMessageBox::Ok : QMessageBox::Cancel)->click();
        return true;
    });
    QCOMPARE(showQuestion("提示", "确认要退出系统吗？"), expected);
    QCOMPARE(okText, QString("确认"));
    QCOMPARE(cancelText, QString("取消"));
    QCOMPARE(okStyle, confirmButtonStyle());
    QCOMPARE(cancelStyle, cancelButtonStyle());
    QVERIFY(onTop);
    QVERIFY(iconOk);
}

void TestDialogs::messageHasOneConfirmButton()
{
    int buttons = 0;
    QString text;
    whenModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box)
            return false;
        buttons = box->buttons().size();
        text = box->button(QMessageBox::Ok)->text();
        box->close();
        return true;
    });
    QCOMPARE(showMessage("提示", "分件完成", QMessageBox::Warning), int(QMessageBox::Ok));
    QCOMPARE(buttons, 1);
    QCOMPARE(text, QString("确认"));
}

void TestDialogs::getTextReturnsTextOrEmpty_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("expected");
    QTest::newRow("accepted") << true << "新建 文件夹";
    QTest::newRow("cancelled") << false << "";
}

void TestDialogs::getTextReturnsTextOrEmpty()
{
    QFETCH(bool, accept);
    QFETCH(QString, expected);
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
    QCOMPARE(getText("新建文件夹", "名称：", "old"), expected);
    faces.sort();
    QCOMPARE(faces, QStringList({"取消|" + cancelButtonStyle(), "确定|" + confirmButtonStyle()}));
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
    QSize size;
    whenModal([&](QWidget* w) {
        auto* edit = w->findChild<QLineEdit*>();
        if (!edit)
            return false;
        size = w->size();
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
    QCOMPARE(size, QSize(260, 100));
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
    QCOMPARE(label->text(), text);
    QCOMPARE(label->size(), label->sizeHint() + QSize(160, 60));
    QCOMPARE(toast->size(), label->size());
    QVERIFY(toast->isVisible());
    QCOMPARE(toast->windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
    QVERIFY(toast->windowFlags().testFlag(Qt::FramelessWindowHint));
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
    QTRY_VERIFY_WITH_TIMEOUT(first->windowOpacity() < 1.0, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(first.isNull() && second.isNull(), 20000);
}

void TestDialogs::waitingDlgForm()
{
    QWidget parent;
    WaitingDlg dialog(&parent);
    QCOMPARE(dialog.objectName(), QString("WaitingDlg"));
    auto* text = dialog.findChild<QLabel*>("label_2");
    auto* busy = dialog.findChild<QLabel*>("label");
    auto* button = dialog.findChild<QPushButton*>("pushButton");
    QVERIFY(text && busy && button);
    QVERIFY(text->text().isEmpty());
    QVERIFY(busy->movie());
    QCOMPARE(busy->movie()->fileName(), QString(":/images/waiting.gif"));
    QVERIFY(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(dialog.windowModality(), Qt::WindowModal);

    dialog.show();
    QVERIFY(button->isHidden());
    dialog.processUpdate("正在处理 3/10");
    QCOMPARE(text->text(), QString("正在处理 3/10"));

    button->show();
    QSignalSpy cancelled(&dialog, &WaitingDlg::sigCancel);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(cancelled.count(), 1);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
