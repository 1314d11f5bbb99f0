#pragma once

#include "Toast.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <functional>

// Drives a modal dialog that a test is about to open: polls until a modal widget is
// active and hands it to `act`; polling stops once `act` returns true or the timer is deleted.
inline QTimer* whenModal(std::function<bool(QWidget*)> act)
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && act(modal)) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
    return timer;
}

// Answers the next message box with `button` and keeps its text and, if asked, its title.
inline QTimer* answerBox(QString* text, QMessageBox::StandardButton button = QMessageBox::Ok,
                         QString* title = nullptr)
{
    return whenModal([text, button, title](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box)
            return false;
        *text = box->text();
        if (title)
            *title = box->windowTitle();
        box->done(button);
        return true;
    });
}

// The toasts on screen as "text", or "text #colour" to tell a notice from a failure.
inline QStringList toastTexts(bool withColour = false)
{
    QStringList texts;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* toast = qobject_cast<Toast*>(widget)) {
            const QString colour = toast->label()->palette().color(QPalette::WindowText).name();
            texts << toast->label()->text() + (withColour ? ' ' + colour : QString());
        }
    }
    return texts;
}

// Toasts outlive the test that raised them; each test starts without.
inline void closeToasts()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<Toast*>(widget))
            delete widget;
    }
}
