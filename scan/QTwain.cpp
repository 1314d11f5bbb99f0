#include "QTwain.h"

#include "dsm/SaneOptionCapability.h"

#include <QDebug>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <cstring>

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

bool QTwain::setSourceOption(const QString& assignment)
{
    const QByteArray text = assignment.toUtf8();
    // A one-value container with the string stored inline where Item would be.
    auto* block = static_cast<char*>(std::calloc(1, 2 + 256));
    if (!block)
        return false;
    const TW_UINT16 type = TWTY_STR255;
    std::memcpy(block, &type, 2);
    std::memcpy(block + 2, text.constData(), static_cast<size_t>(std::min(text.size(), 255)));
    TW_CAPABILITY capability{CAP_TARVO_SANEOPTION, TWON_ONEVALUE, block};
    const bool ok =
        CallDSMEntry(&m_source, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability) == TWRC_SUCCESS;
    std::free(block);
    return ok;
}

void QTwain::handleSourceMessage(TW_UINT16 twMessage)
{
    stTwainMessage message;
    message.twMessage = twMessage;
    const bool transferred = ProcessMessage(message);
    emit sourceMessageHandled(transferred, twMessage);
}
