#pragma once

#include <QColor>
#include <QMessageBox>
#include <QString>

// The program's one way to ask, inform and notify: every box carries the logo,
// Chinese button texts and the two button faces below.

// Face of a confirming button (OK, accept role).
QString confirmButtonStyle();
// Face of a cancelling button (Cancel, reject role).
QString cancelButtonStyle();

// OK ("确认") / Cancel ("取消") question; returns the QMessageBox::StandardButton pressed.
// Closing the box by its title bar counts as Cancel.
int showQuestion(const QString& title, const QString& text,
                 QMessageBox::Icon icon = QMessageBox::Question);
// "无法移到回收站，是否永久删除？" with Cancel as the default button, since a
// delete for good cannot be undone; true when the operator confirmed.
bool askPermanentDelete();
// One-button ("确认") notice; returns QMessageBox::Ok.
int showMessage(const QString& title, const QString& text,
                QMessageBox::Icon icon = QMessageBox::Information);
// Free text input; "" when cancelled.
QString getText(const QString& title, const QString& label, const QString& initial = QString());
// Text input restricted to the regular expression `pattern`; "" when cancelled.
QString getValidatedText(const QString& title, const QString& pattern);
// Fading notice centred on the primary screen; it deletes itself when faded out.
void showToast(const QString& text, const QColor& textColour, const QColor& background);
// The same, kept above other windows.
void showToastOnTop(const QString& text, const QColor& textColour, const QColor& background);
