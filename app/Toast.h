#pragma once

#include <QColor>
#include <QWidget>

class QLabel;

// A short notice: a frameless, translucent window centred on the primary screen that
// fades out over three seconds and then deletes itself. Create with new and call popup().
class Toast : public QWidget
{
    Q_OBJECT
public:
    Toast(const QString& text, const QColor& textColour, const QColor& background, bool stayOnTop);

    // Centres, shows and starts the fade; the toast is deleted when the fade ends.
    void popup();

    QLabel* label() const { return m_label; }

    // Padding around the text: the toast is this much larger than the text itself.
    static const QSize kPadding;
    static const int kFadeMs = 3000;

private:
    QLabel* m_label;
};
