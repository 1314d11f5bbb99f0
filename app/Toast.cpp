#include "Toast.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPropertyAnimation>
#include <QScreen>

const QSize Toast::kPadding(160, 60);

namespace {

QString cssColour(const QColor& colour)
{
    if (colour.alpha() == 255)
        return colour.name();
    return QStringLiteral("rgba(%1,%2,%3,%4)")
        .arg(colour.red())
        .arg(colour.green())
        .arg(colour.blue())
        .arg(colour.alpha());
}

} // namespace

Toast::Toast(const QString& text, const QColor& textColour, const QColor& background,
             bool stayOnTop)
    : QWidget(nullptr), m_label(new QLabel(this))
{
    if (stayOnTop)
        setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    else
        setWindowFlags(Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);

    m_label->setAlignment(Qt::AlignCenter);
    m_label->setStyleSheet(
        QStringLiteral("QLabel{background:%1;color:%2;border:1px solid %2;border-radius:5px;}")
            .arg(cssColour(background), cssColour(textColour)));
    m_label->setText(text);
    m_label->ensurePolished();
    m_label->resize(m_label->sizeHint() + kPadding);
    resize(m_label->size());
}

void Toast::popup()
{
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.left() + (area.width() - width()) / 2,
             area.top() + (area.height() - height()) / 2);
    }
    show();

    auto* fade = new QPropertyAnimation(this, "windowOpacity", this);
    fade->setDuration(kFadeMs);
    fade->setStartValue(1.0);
    fade->setEndValue(0.0);
    fade->setEasingCurve(QEasingCurve::InCirc);
    connect(fade, &QPropertyAnimation::finished, this, &QObject::deleteLater);
    fade->start();
}
