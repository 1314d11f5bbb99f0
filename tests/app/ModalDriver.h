#pragma once

#include <QApplication>
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
