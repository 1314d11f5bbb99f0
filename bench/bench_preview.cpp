// The multi-view preview on a folder of 300 A4 JPEG pages at 300 dpi
// (2480 x 3508, half colour, half grey) and on a folder of TIFF pages,
// offscreen, as the operator sees it: frames on screen, the first screen of
// thumbnails, all thumbnails, the longest pause of the window (a 5 ms timer
// that should never wait long), then reopening, sorting and zooming the sheet
// with the thumbnails known. One measurement each, printed as a table.
//   bench_preview [pages] [tiff pages]    (default 300 and 24)
#include "ImageUnitView.h"
#include "ImageViewDlg.h"
#include "RubberBandWidget.h"
#include "ScanLikePage.h"
#include "ThumbnailLoader.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <opencv2/imgcodecs.hpp>

namespace {

constexpr int kDistinctPages = 6;

// Pages are copies of a few encoded ones: every file is a page of its own on disk.
bool writeFolder(const QString& folder, int pages, const char* extension)
{
    std::vector<std::vector<uchar>> encoded(kDistinctPages);
    for (int i = 0; i < kDistinctPages; ++i) {
        cv::Mat page = scanLikePage(i);
        if (i % 2)
            cv::cvtColor(page, page, cv::COLOR_BGR2GRAY);
        if (!cv::imencode(extension, page, encoded[i]))
            return false;
    }
    for (int i = 0; i < pages; ++i) {
        QFile file(QStringLiteral("%1/%2%3")
                       .arg(folder)
                       .arg(i + 1, 4, 10, QLatin1Char('0'))
                       .arg(QString::fromLatin1(extension)));
        const std::vector<uchar>& bytes = encoded[i % kDistinctPages];
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) !=
                qint64(bytes.size()))
            return false;
    }
    return true;
}

// The longest gap between ticks of a 5 ms timer on the GUI thread, beyond its 5 ms.
class PauseProbe : public QObject
{
public:
    PauseProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const qint64 gap = m_clock.restart();
            if (gap > 30 && qEnvironmentVariableIsSet("PAUSES"))
                std::fprintf(stderr, "pause %lld ms at %lld ms\n", static_cast<long long>(gap),
                             static_cast<long long>(m_total.elapsed()));
            m_longest = qMax(m_longest, gap);
        });
    }
    void start()
    {
        m_longest = 0;
        m_clock.start();
        m_total.start();
        m_timer.start();
    }
    qint64 stop()
    {
        m_timer.stop();
        return qMax<qint64>(0, m_longest - 5);
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    QElapsedTimer m_total;
    qint64 m_longest = 0;
};

// Runs the event loop until done() holds; the milliseconds taken, -1 after 60 s.
// The window's thread sleeps between events as in the program: spinning here
// would take a core from the decoders. A 1 ms tick bounds the wait.
qint64 runUntil(const QElapsedTimer& clock, const std::function<bool()>& done)
{
    QTimer tick;
    tick.start(1);
    while (!done()) {
        if (clock.elapsed() > 60000)
            return -1;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return clock.elapsed();
}

// The frames reach below the bottom of the view, or all are there.
bool screenFramed(const ImageViewDlg& dlg)
{
    const RubberBandWidget* sheet = dlg.sheet();
    const int bottom = dlg.findChild<QScrollArea*>()->viewport()->height() - sheet->y();
    return sheet->framesComplete() ||
           (!sheet->units().isEmpty() && sheet->units().last()->geometry().bottom() >= bottom);
}

bool firstScreenShown(const ImageViewDlg& dlg)
{
    if (!screenFramed(dlg))
        return false;
    const RubberBandWidget* sheet = dlg.sheet();
    const QRect visible(-sheet->pos(), dlg.findChild<QScrollArea*>()->viewport()->size());
    for (const ImageUnitView* unit : sheet->units()) {
        if (visible.intersects(unit->geometry()) && !unit->hasThumbnail())
            return false;
    }
    return true;
}

struct Row
{
    const char* what;
    qint64 ms;
    qint64 target;
};

void print(const QList<Row>& rows)
{
    std::printf("%-44s %10s %10s %6s\n", "measure", "ms", "target", "");
    for (const Row& row : rows)
        std::printf("%-44s %10lld %10lld %6s\n", row.what, static_cast<long long>(row.ms),
                    static_cast<long long>(row.target),
                    row.ms >= 0 && row.ms < row.target ? "ok" : "SLOW");
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The program's style sheet: every widget is polished through it there too.
    QFile style(QStringLiteral(TARVO_STYLE_SHEET));
    if (style.open(QIODevice::ReadOnly))
        app.setStyleSheet(QString::fromUtf8(style.readAll()));
    const int pages = argc > 1 ? std::atoi(argv[1]) : 300;
    const int tiffPages = argc > 2 ? std::atoi(argv[2]) : 24;
    QTemporaryDir jpegs;
    QTemporaryDir tiffs;
    if (!writeFolder(jpegs.path(), pages, ".jpg") ||
        !writeFolder(tiffs.path(), tiffPages, ".tif")) {
        std::fprintf(stderr, "cannot write the pages\n");
        return 1;
    }
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtDebugMsg && type != QtInfoMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });

    QList<Row> rows;
    {
        // The floor under "all thumbnails": 300 of these shared by the cores.
        // Turn about with the image reader, so a busy machine weighs on both alike.
        const QString first = QStringLiteral("%1/0001.jpg").arg(jpegs.path());
        QElapsedTimer clock;
        qint64 direct = 0;
        qint64 reader = 0;
        for (int i = 0; i < 10; ++i) {
            clock.start();
            ThumbnailLoader::decode(first, ThumbnailLoader::decodeBox());
            direct += clock.restart();
            ThumbnailLoader::decodeWithReader(first, ThumbnailLoader::decodeBox());
            reader += clock.elapsed();
        }
        rows << Row{"one JPEG thumbnail decode (one core)", direct / 10, 20};
        rows << Row{"the same through the image reader", reader / 10, 20};
        // The TIFF reader has no scaled decoding: the whole page, then shrunk
        // (one colour and one grey page).
        clock.restart();
        for (int i = 0; i < 4; ++i)
            ThumbnailLoader::decode(QStringLiteral("%1/000%2.tif").arg(tiffs.path()).arg(1 + i % 2),
                                    ThumbnailLoader::decodeBox());
        rows << Row{"one TIFF thumbnail decode (one core)", clock.elapsed() / 4, 150};
    }
    PauseProbe probe;
    {
        ThumbnailLoader loader;
        ImageViewDlg dlg(nullptr, &loader);
        dlg.resize(1400, 900);
        dlg.show();
        QCoreApplication::processEvents();

        probe.start();
        QElapsedTimer clock;
        clock.start();
        dlg.showFolder(jpegs.path());
        rows << Row{"frames, first screen", runUntil(clock, [&] { return screenFramed(dlg); }),
                    100};
        rows << Row{"frames, all 300 (built in slices)",
                    runUntil(clock, [&] { return dlg.sheet()->framesComplete(); }), 1000};
        rows << Row{"first screen of thumbnails",
                    runUntil(clock, [&] { return firstScreenShown(dlg); }), 250};
        rows << Row{"all thumbnails",
                    runUntil(clock,
                             [&] {
                                 if (!dlg.sheet()->framesComplete())
                                     return false;
                                 for (const ImageUnitView* unit : dlg.sheet()->units())
                                     if (!unit->hasThumbnail())
                                         return false;
                                 return true;
                             }),
                    3000};
        rows << Row{"longest pause of the window meanwhile", probe.stop(), 30};

        // Every frame at once, thumbnails known: the cost of the frames themselves.
        clock.restart();
        dlg.showFolder(jpegs.path());
        dlg.sheet()->finishFrames();
        QCoreApplication::processEvents();
        rows << Row{"frames, all 300 at once", clock.elapsed(), 100};

        clock.restart();
        dlg.showFolder(jpegs.path());
        QCoreApplication::processEvents();
        rows << Row{"reopen, first screen shown",
                    runUntil(clock, [&] { return firstScreenShown(dlg); }), 150};
        clock.restart();
        dlg.findChild<QComboBox*>(QStringLiteral("comboBox"))->setCurrentIndex(1);
        QCoreApplication::processEvents();
        rows << Row{"sort by size, first screen shown",
                    runUntil(clock, [&] { return firstScreenShown(dlg); }), 150};
        clock.restart();
        dlg.findChild<QPushButton*>(QStringLiteral("btn_big"))->click();
        QCoreApplication::processEvents();
        rows << Row{"zoom in, first screen shown",
                    runUntil(clock, [&] { return firstScreenShown(dlg); }), 150};
    }
    {
        ThumbnailLoader loader;
        ImageViewDlg dlg(nullptr, &loader);
        dlg.resize(1400, 900);
        dlg.show();
        QCoreApplication::processEvents();
        QElapsedTimer clock;
        clock.start();
        dlg.showFolder(tiffs.path());
        QCoreApplication::processEvents();
        rows << Row{"TIFF folder, first screen of thumbnails",
                    runUntil(clock, [&] { return firstScreenShown(dlg); }), 1000};
        loader.cancel();
    }
    print(rows);
    return 0;
}
