#include "CommonDialogs.h"

#include "Toast.h"

#include <QDebug>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

const char* const kLogoIcon = ":/images/logo_tarvo_qavo.ico";

QIcon logoIcon()
{
    return QIcon(QString::fromLatin1(kLogoIcon));
}

QMessageBox* makeBox(const QString& title, const QString& text, QMessageBox::Icon icon)
{
    auto* box = new QMessageBox(icon, title, text);
    box->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint);
    box->setWindowIcon(logoIcon());
    return box;
}

} // namespace

QString confirmButtonStyle()
{
    return QStringLiteral("color:white;background-color: #2A82E4;");
}

QString cancelButtonStyle()
{
    return QStringLiteral("color:#2A82E4;background-color:white;border: 1px solid #2A82E4;");
}

int showQuestion(const QString& title, const QString& text, QMessageBox::Icon icon)
{
    QScopedPointer<QMessageBox> box(makeBox(title, text, icon));
    box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    QAbstractButton* ok = box->button(QMessageBox::Ok);
    QAbstractButton* cancel = box->button(QMessageBox::Cancel);
    ok->setText(QStringLiteral("确认"));
    ok->setStyleSheet(confirmButtonStyle());
    cancel->setText(QStringLiteral("取消"));
    cancel->setStyleSheet(cancelButtonStyle());
    return box->exec();
}

bool askPermanentDelete()
{
    QScopedPointer<QMessageBox> box(makeBox(QStringLiteral("提示"),
                                            QStringLiteral("无法移到回收站，是否永久删除？"),
                                            QMessageBox::Warning));
    box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    box->button(QMessageBox::Ok)->setText(QStringLiteral("确认"));
    box->button(QMessageBox::Ok)->setStyleSheet(confirmButtonStyle());
    box->button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
    box->button(QMessageBox::Cancel)->setStyleSheet(cancelButtonStyle());
    box->setDefaultButton(QMessageBox::Cancel);
    return box->exec() == QMessageBox::Ok;
}

int showMessage(const QString& title, const QString& text, QMessageBox::Icon icon)
{
    QScopedPointer<QMessageBox> box(makeBox(title, text, icon));
    box->setStandardButtons(QMessageBox::Ok);
    QAbstractButton* ok = box->button(QMessageBox::Ok);
    ok->setText(QStringLiteral("确认"));
    ok->setStyleSheet(confirmButtonStyle());
    return box->exec();
}

QString getText(const QString& title, const QString& label, const QString& initial)
{
    QInputDialog dialog;
    dialog.setWindowIcon(logoIcon());
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setOkButtonText(QStringLiteral("确定"));
    dialog.setCancelButtonText(QStringLiteral("取消"));
    dialog.setWindowTitle(title);
    dialog.setLabelText(label);
    dialog.setTextValue(initial);
    dialog.setTextEchoMode(QLineEdit::Normal);
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
        for (QAbstractButton* button : buttons->buttons()) {
            const QDialogButtonBox::ButtonRole role = buttons->buttonRole(button);
            if (role == QDialogButtonBox::AcceptRole)
                button->setStyleSheet(confirmButtonStyle());
            else if (role == QDialogButtonBox::RejectRole)
                button->setStyleSheet(cancelButtonStyle());
        }
    }
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.textValue();
}

QString getValidatedText(const QString& title, const QString& pattern)
{
    QDialog dialog;
    dialog.setFixedSize(260, 100);
    dialog.setWindowTitle(title);
    dialog.setWindowIcon(logoIcon());

    auto* edit = new QLineEdit(&dialog);
    const QRegularExpression expression(pattern);
    if (!expression.isValid())
        qWarning() << "invalid input pattern" << pattern << expression.errorString();
    edit->setValidator(new QRegularExpressionValidator(expression, edit));

    const int buttonWidth = dialog.width() / 3;
    auto* confirm = new QPushButton(QStringLiteral("确认"), &dialog);
    confirm->setProperty("state", QStringLiteral("ok"));
    confirm->setFixedWidth(buttonWidth);
    confirm->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("取消"), &dialog);
    cancel->setProperty("state", QStringLiteral("cancel"));
    cancel->setFixedWidth(buttonWidth);

    // The validator lets half-typed text through (an intermediate match); such text
    // must not be confirmable, so the button follows the edit's acceptability.
    auto followInput = [edit, confirm] { confirm->setEnabled(edit->hasAcceptableInput()); };
    QObject::connect(edit, &QLineEdit::textChanged, &dialog, followInput);
    followInput();
    QObject::connect(confirm, &QPushButton::clicked, &dialog, [&dialog, edit] {
        if (edit->hasAcceptableInput())
            dialog.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(confirm);
    row->addWidget(cancel);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(edit);
    layout->addLayout(row);

    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return edit->text();
}

void showToast(const QString& text, const QColor& textColour, const QColor& background)
{
    (new Toast(text, textColour, background, false))->popup();
}

void showToastOnTop(const QString& text, const QColor& textColour, const QColor& background)
{
    (new Toast(text, textColour, background, true))->popup();
}
