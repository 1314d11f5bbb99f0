#pragma once

#include "CTwain.h"

#include <QObject>
#include <QPointer>

class QWidget;

// The TWAIN connection as a Qt object. It may live on a thread of its own
// (ScanSession): the manager's notifications are posted to that thread and
// handled there by ProcessMessage.
class QTwain : public QObject, public CTwain
{
    Q_OBJECT
public:
    explicit QTwain(QObject* parent = nullptr);
    ~QTwain() override;

    virtual bool initTwain();

    // Stores the widget and installs TWAIN with its native window; call on the
    // widget's (GUI) thread.
    void setParentWidget(QWidget* widget);
    // The native window to install with, captured on the GUI thread by a caller
    // that runs this object elsewhere.
    void setNativeParent(WId window) { m_nativeParent = window; }
    // Acquires count pages (-1: as many as the source has).
    bool startScan(int count = -1);
    // Sets one device option ("name=value") of the open source directly.
    bool setSourceOption(const QString& assignment);

signals:
    void already_get_sour_list();
    // A notification of the source was handled; transferred tells whether a
    // transfer sequence ran.
    void sourceMessageHandled(bool transferred, TW_UINT16 twMessage);

private:
    void handleSourceMessage(TW_UINT16 twMessage);

    QPointer<QWidget> m_widget;
    WId m_nativeParent = 0;
};
