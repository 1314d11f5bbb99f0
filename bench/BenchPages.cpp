#include "BenchPages.h"

#include "MagickRuntime.h"
#include "PageFile.h"
#include "Units.h"

#include <QHash>
#include <QTemporaryDir>
#include <opencv2/imgproc.hpp>

namespace BenchPages {
namespace {

cv::Mat makeColourPage()
{
    const int cols = mmToPixels(210, 300);
    const int rows = mmToPixels(297, 300);
    cv::Mat page(rows, cols, CV_8UC3, cv::Scalar(236, 240, 244)); // slightly yellowed paper
    cv::RNG rng(2024);
    for (int y = 300; y < rows - 300; y += 70)
        for (int x = 250; x < cols - 250;) {
            const int w = rng.uniform(40, 220);
            cv::rectangle(page, cv::Rect(x, y, std::min(w, cols - 250 - x), 30),
                          cv::Scalar(40, 35, 30), cv::FILLED);
            x += w + 25;
        }
    cv::Mat photo(700, 1000, CV_8UC3);
    rng.fill(photo, cv::RNG::UNIFORM, cv::Scalar::all(60), cv::Scalar::all(200));
    cv::GaussianBlur(photo, photo, cv::Size(31, 31), 0);
    photo.copyTo(page(cv::Rect(700, 1400, 1000, 700)));
    cv::circle(page, cv::Point(1900, 3000), 180, cv::Scalar(30, 30, 200), 12); // a red seal
    cv::Mat noise(page.size(), CV_8UC3);
    rng.fill(noise, cv::RNG::NORMAL, cv::Scalar::all(0), cv::Scalar::all(6));
    cv::add(page, noise, page);
    return page;
}

QTemporaryDir& scratch()
{
    static QTemporaryDir dir;
    return dir;
}

} // namespace

const cv::Mat& page(bool grey)
{
    static const cv::Mat colour = makeColourPage();
    static const cv::Mat greyPage = [] {
        cv::Mat g;
        cv::cvtColor(colour, g, cv::COLOR_BGR2GRAY);
        return g;
    }();
    return grey ? greyPage : colour;
}

QString pageFile(const QString& suffix, bool grey)
{
    MagickRuntime::ensureInitialised();
    static QHash<QString, QString> written;
    const QString key = suffix + (grey ? "-grey" : "-colour");
    if (!written.contains(key)) {
        const QString path = scratchPath("page-" + key + "." + suffix);
        PageFile::saveWithDensity(page(grey), path, 300, 300);
        written.insert(key, path);
    }
    return written.value(key);
}

QString scratchPath(const QString& name)
{
    return scratch().filePath(name);
}

} // namespace BenchPages
