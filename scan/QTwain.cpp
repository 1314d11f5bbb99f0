#include "QTwain.h"

#include <QDebug>
#include <QWidget>

QTwain::QTwain(QObject* parent) : QObject(parent)
{
    notificationPoster = [this](TW_UINT16 twMessage) {
        QMetaObject::invokeMethod(
            this, [this, twMessage] { handleSourceMessage(twMessage); }, Qt::QueuedConnection);
    };
}

QTwain::~QTwain()
{
    // Close the source while this object can still take notifications safely.
    ReleaseTwain();
    notificationPoster = nullptr;
}

bool QTwain::initTwain()
{
    qDebug() << "非构造函数中安装Twain";
    InitTwain(m_nativeParent);
    emit already_get_sour_list();
    return isLibraryLoaded();
}

void QTwain::setParentWidget(QWidget* widget)
{
    m_widget = widget;
    if (!widget)
        return;
    m_nativeParent = widget->winId();
    if (!initTwain())
        qDebug() << "安装Twain失败";
}

bool QTwain::startScan(int count)
{
    qDebug() << "type " << duplex << " ,papersize " << paperSize << " ,color_mode " << pixelType
             << " ,dpi " << resolution << ",compression" << compression;
    return Acquire(count);
}

void QTwain::handleSourceMessage(TW_UINT16 twMessage)
{
    stTwainMessage message;
    message.twMessage = twMessage;
    const bool transferred = ProcessMessage(message);
    emit sourceMessageHandled(transferred, twMessage);
}
