#pragma once

#include <QModelIndex>
#include <QObject>
#include <functional>
#include <opencv2/core.hpp>

class QDialog;
class QWidget;

// Opens the parameter dialog of a batch row (its settings button). Accepted
// values become the stored settings and the process-wide parameters; a
// cancelled dialog changes nothing.
class ActionSettingsOpener : public QObject
{
    Q_OBJECT

public:
    enum class Target
    {
        Nothing,
        Margins,          // 203
        Dpi,              // 54
        PageSize,         // 55
        PageNumber,       // 43, batch mode
        BackgroundColour, // 22, colour chooser
        ColourAdjust,     // 46
    };

    // Dialogs are modal children of dialogParent.
    explicit ActionSettingsOpener(QWidget* dialogParent, QObject* parent = nullptr);

    // Which dialog a batch row's operation has; Nothing for operations outside
    // the batch list and for those without parameters.
    static Target targetFor(int actionCmd);

    // The image the colour dialog previews (the current page; empty when none).
    void setImageProvider(std::function<cv::Mat()> provider);

    // Runs the dialog of the row (its identifier from role Qt::UserRole + 1)
    // modally. True when a dialog was accepted.
    bool open(const QModelIndex& index);
    bool openFor(int actionCmd);

signals:
    // After the dialog is built and before it runs: the main window connects
    // its live previews here (margin frame, page-number item).
    void dialogOpened(QDialog* dialog, int actionCmd);

private:
    bool runDpi();
    bool runBackgroundColour();
    bool run(QDialog& dialog, int actionCmd);

    QWidget* m_dialogParent;
    std::function<cv::Mat()> m_imageProvider;
};
