#include "ImageColourSetDlg.h"

#include "ImageConvert.h"
#include "ProcessParams.h"
#include "SettingsStore.h"
#include "ToneOps.h"
#include "ui_ImageColourSetDlg.h"

#include <QPixmap>
#include <opencv2/imgproc.hpp>

namespace {

// Spin box and slider show the same value; the slider's settled value drives
// the preview.
void couple(QSpinBox* spinBox, QSlider* slider)
{
    QObject::connect(spinBox, QOverload<int>::of(&QSpinBox::valueChanged), slider,
                     &QSlider::setValue);
    QObject::connect(slider, &QSlider::valueChanged, spinBox, &QSpinBox::setValue);
}

// The preview never needs more pixels than the label shows; adjusting a
// reduced copy keeps slider moves quick on full-size pages.
cv::Mat reducedCopy(const cv::Mat& image, const QSize& box)
{
    if (image.empty())
        return cv::Mat();
    const double scale =
        std::min({1.0, double(box.width()) / image.cols, double(box.height()) / image.rows});
    if (scale >= 1.0)
        return image.clone();
    cv::Mat reduced;
    cv::resize(image, reduced, cv::Size(), scale, scale, cv::INTER_AREA);
    return reduced;
}

// Factor to slider percent, truncated; the small allowance keeps a stored
// 1.26 (held as 1.2599999...) at 126 rather than 125.
int percent(float factor)
{
    return static_cast<int>(static_cast<double>(factor) * 100.0 + 1e-4);
}

} // namespace

ImageColourSetDlg::ImageColourSetDlg(const cv::Mat& image, QWidget* parent)
    : QDialog(parent), ui(new Ui::ImageColourSetDlg)
{
    ui->setupUi(this);
    m_preview = reducedCopy(image, ui->label_preview->size());
    couple(ui->spinBox_brightness, ui->slider_brightness);
    couple(ui->spinBox_contrast, ui->slider_contrast);
    couple(ui->spinBox_saturation, ui->slider_saturation);
    setColour(ProcessParams::current().colour);
    for (QSlider* slider : {ui->slider_brightness, ui->slider_contrast, ui->slider_saturation})
        connect(slider, &QSlider::valueChanged, this, &ImageColourSetDlg::updatePreview);
    updatePreview();
}

ImageColourSetDlg::~ImageColourSetDlg()
{
    delete ui;
}

stColourInfo ImageColourSetDlg::colour() const
{
    stColourInfo colour;
    colour.brightness = ui->slider_brightness->value();
    colour.contrast = ui->slider_contrast->value() / 100.0f;
    colour.saturation = ui->slider_saturation->value() / 100.0f;
    return colour;
}

void ImageColourSetDlg::setColour(const stColourInfo& colour)
{
    ui->slider_brightness->setValue(colour.brightness);
    ui->slider_contrast->setValue(percent(colour.contrast));
    ui->slider_saturation->setValue(percent(colour.saturation));
}

void ImageColourSetDlg::updatePreview()
{
    if (m_preview.empty()) {
        ui->label_preview->clear();
        return;
    }
    const stColourInfo values = colour();
    // adjustColour returns its input for neutral values; showing that is fine
    // because m_preview is never handed out.
    const cv::Mat adjusted =
        ImageHelper::adjustColour(m_preview, values.contrast, values.brightness, values.saturation);
    const QImage image = ImageHelper::matToQImage(adjusted);
    if (image.isNull()) { // a matrix type the display cannot show
        ui->label_preview->clear();
        return;
    }
    ui->label_preview->setPixmap(QPixmap::fromImage(image).scaled(
        ui->label_preview->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void ImageColourSetDlg::on_btn_save_clicked()
{
    SettingsStore::saveColourSettings(colour());
    accept();
}

void ImageColourSetDlg::on_btn_cancel_clicked()
{
    reject();
}
