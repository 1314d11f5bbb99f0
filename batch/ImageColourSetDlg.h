#pragma once

#include "stColourInfo.h"

#include <QDialog>
#include <opencv2/core.hpp>

namespace Ui {
class ImageColourSetDlg;
}

// Brightness, contrast and saturation with a live preview. The preview works
// on the dialog's own reduced copy of the image; no caller's image changes.
// "保存" stores the values as the colour settings.
class ImageColourSetDlg : public QDialog
{
    Q_OBJECT

public:
    // Opens with the process-wide colour values.
    explicit ImageColourSetDlg(const cv::Mat& image, QWidget* parent = nullptr);
    ~ImageColourSetDlg() override;

    // Contrast and saturation as factors (slider / 100).
    stColourInfo colour() const;
    void setColour(const stColourInfo& colour);

private slots:
    void on_btn_save_clicked();
    void on_btn_cancel_clicked();
    void updatePreview();

private:
    Ui::ImageColourSetDlg* ui;
    cv::Mat m_preview; // the image reduced to the preview's size
};
