#include "ScanCommand.h"

#include "DirListing.h"
#include "FileTableModel.h"
#include "NameUtils.h"
#include "ScanSession.h"

#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTextStream>
#include <QWindow>
#include <algorithm>

namespace {

QTextStream& out()
{
    static QTextStream stream(stdout);
    stream.setCodec("UTF-8");
    return stream;
}

QTextStream& err()
{
    static QTextStream stream(stderr);
    stream.setCodec("UTF-8");
    return stream;
}

struct Choice
{
    const char* text;
    int value;
};

// The scanner panel's items and the codes they carry.
const Choice kColours[] = {{"彩色", TWPT_RGB}, {"黑白", TWPT_BW}, {"灰度图", TWPT_GRAY}};
const Choice kSizes[] = {{"自动", TWSS_NONE}, {"A5", TWSS_A5},   {"A4", TWSS_A4},
                         {"A3", TWSS_A3},     {"A2", TWSS_A2},   {"A1", TWSS_A1},
                         {"B5", TWSS_JISB5},  {"B4", TWSS_ISOB4}};
const Choice kFormats[] = {
    {".jpg", TWFF_JFIF}, {".tiff", TWFF_TIFF}, {".tif", TWFF_TIFF}, {".bmp", TWFF_BMP}};
const Choice kQualities[] = {{"高", TWJQ_HIGH}, {"中", TWJQ_MEDIUM}, {"低", TWJQ_LOW}};

bool isPanelDpi(int dpi)
{
    return dpi == 75 || dpi == 100 || dpi == 150 || (dpi >= 200 && dpi <= 1200 && dpi % 100 == 0);
}

bool readNumber(const QCommandLineParser& parser, const QString& name, int minimum, int maximum,
                int& value, QString* error)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const int number = parser.value(name).toInt(&ok);
    if (!ok || number < minimum || number > maximum) {
        *error = QStringLiteral("--%1 须为 %2 到 %3 之间的整数：%4")
                     .arg(name)
                     .arg(minimum)
                     .arg(maximum)
                     .arg(parser.value(name));
        return false;
    }
    value = number;
    return true;
}

// Runs the event loop until one of the session's signals has come.
template <typename Signal> void waitFor(ScanSession& session, Signal signal, QEventLoop& loop)
{
    QObject::connect(&session, signal, &loop, &QEventLoop::quit);
}

} // namespace

bool ScanCommand::readSettings(const QCommandLineParser& parser, stScanJob& job, QString* error)
{
    job.feeder = parser.isSet(QStringLiteral("adf")) ? 1 : 0;
    job.duplex = parser.isSet(QStringLiteral("duplex")) ? 1 : 0;
    job.paperSize = TWSS_NONE;
    job.pixelType = TWPT_RGB;
    job.resolution = 300;
    job.orientation = TWOR_ROT0;
    job.fileFormat = TWFF_JFIF;
    job.compression = TWCP_JPEG;
    job.jpegQuality = TWJQ_MEDIUM;
    job.showUi = false;
    QString extension = QStringLiteral(".jpg");

    const struct
    {
        const char* option;
        const Choice* begin;
        const Choice* end;
        int* value;
    } lists[] = {
        {"colour", std::begin(kColours), std::end(kColours), &job.pixelType},
        {"size", std::begin(kSizes), std::end(kSizes), &job.paperSize},
        {"format", std::begin(kFormats), std::end(kFormats), &job.fileFormat},
        {"quality", std::begin(kQualities), std::end(kQualities), &job.jpegQuality},
    };
    for (const auto& list : lists) {
        const QString name = QString::fromLatin1(list.option);
        if (!parser.isSet(name))
            continue;
        const QString text = parser.value(name);
        const Choice* found = std::find_if(list.begin, list.end, [&](const Choice& choice) {
            return text == QString::fromUtf8(choice.text);
        });
        if (found == list.end) {
            QStringList allowed;
            for (const Choice* choice = list.begin; choice != list.end; ++choice)
                allowed << QString::fromUtf8(choice->text);
            *error = QStringLiteral("--%1 的取值无效：%2（可选：%3）")
                         .arg(name, text, allowed.join(QLatin1Char('|')));
            return false;
        }
        *list.value = found->value;
        if (list.value == &job.fileFormat)
            extension = text;
    }
    if (parser.isSet(QStringLiteral("dpi"))) {
        bool ok = false;
        const int dpi = parser.value(QStringLiteral("dpi")).toInt(&ok);
        if (!ok || !isPanelDpi(dpi)) {
            *error =
                QStringLiteral("--dpi 的取值无效：%1（可选：75、100、150、200 到 1200 间的整百）")
                    .arg(parser.value(QStringLiteral("dpi")));
            return false;
        }
        job.resolution = dpi;
    }
    // Black and white pages are always bitmaps, as on the panel.
    if (job.pixelType == TWPT_BW) {
        if (parser.isSet(QStringLiteral("format")) && job.fileFormat != TWFF_BMP)
            err() << QStringLiteral("黑白扫描只能保存为 .bmp，已改用 .bmp\n");
        job.fileFormat = TWFF_BMP;
        extension = QStringLiteral(".bmp");
    }

    job.naming.prefix = parser.value(QStringLiteral("prefix"));
    job.naming.suffix = parser.value(QStringLiteral("suffix"));
    job.naming.extension = extension;
    job.naming.codeLength = 3;
    if (!readNumber(parser, QStringLiteral("length"), 1, 9, job.naming.codeLength, error))
        return false;
    job.count = -1;
    if (!readNumber(parser, QStringLiteral("count"), 1, 32767, job.count, error))
        return false;
    job.naming.nextCode = -1; // from the folder unless given
    return readNumber(parser, QStringLiteral("next"), 1, 9999999, job.naming.nextCode, error);
}

int ScanCommand::nextCodeIn(const QString& folder)
{
    int largest = 0;
    const QFileInfoList entries =
        DirListing::sortedEntries(folder, FileTableModel::imageNameFilters(), QDir::Files);
    for (const QFileInfo& entry : entries) {
        bool fits = false;
        const int number = runningNumber(entry.fileName()).toInt(&fits);
        if (fits)
            largest = std::max(largest, number);
    }
    return largest + 1;
}

int ScanCommand::run(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Lists the scanners, or scans pages from one of them straight into FOLDER.\n"
        "\n"
        "Pages are named prefix + running code + suffix + extension. The code starts\n"
        "at --next, by default one above the largest running number in FOLDER, and is\n"
        "zero-filled to --length digits (never cut). A name already taken in FOLDER is\n"
        "skipped: no page is ever overwritten. Black and white pages are saved as .bmp.\n"
        "Omitted settings are the scanner panel's initial ones (flatbed, simplex, 自动,\n"
        "彩色, 300 dpi, .jpg, 中).\n"
        "\n"
        "Exit status: 0 every page placed; 1 the scan stopped on an error (pages\n"
        "already placed are kept); 2 usage error (nothing scanned)."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("list"), QStringLiteral("Print the scanners: name, tab, SANE device.")},
        {QStringLiteral("device"), QStringLiteral("Scanner by name or SANE device."),
         QStringLiteral("name")},
        {QStringLiteral("adf"), QStringLiteral("Scan from the document feeder.")},
        {QStringLiteral("duplex"), QStringLiteral("Scan both sides.")},
        {QStringLiteral("colour"), QStringLiteral("彩色, 灰度图 or 黑白."), QStringLiteral("c")},
        {QStringLiteral("dpi"), QStringLiteral("75, 100, 150, 200 ... 1200."), QStringLiteral("n")},
        {QStringLiteral("size"), QStringLiteral("自动, A5, A4, A3, A2, A1, B5 or B4."),
         QStringLiteral("s")},
        {QStringLiteral("format"), QStringLiteral(".jpg, .bmp, .tif or .tiff."),
         QStringLiteral("ext")},
        {QStringLiteral("quality"), QStringLiteral("JPEG quality: 高, 中 or 低."),
         QStringLiteral("q")},
        {QStringLiteral("prefix"), QStringLiteral("Text before the code."), QStringLiteral("p")},
        {QStringLiteral("suffix"), QStringLiteral("Text after the code."), QStringLiteral("s")},
        {QStringLiteral("length"), QStringLiteral("Code length (default 3)."), QStringLiteral("n")},
        {QStringLiteral("next"), QStringLiteral("First code."), QStringLiteral("n")},
        {QStringLiteral("count"), QStringLiteral("Pages to take from the feeder (default all)."),
         QStringLiteral("n")},
        {QStringLiteral("mode"), QStringLiteral("append (the only one so far)."),
         QStringLiteral("mode")},
    });
    parser.addPositionalArgument(QStringLiteral("FOLDER"), QStringLiteral("Folder of the pages."));

    if (!parser.parse(arguments)) {
        err() << parser.errorText() << '\n';
        return UsageError;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        out() << parser.helpText();
        return Success;
    }
    const bool listing = parser.isSet(QStringLiteral("list"));
    stScanJob job;
    QString folder;
    if (!listing) {
        const QString mode = parser.value(QStringLiteral("mode"));
        if (!mode.isEmpty() && mode != QLatin1String("append")) {
            err() << QStringLiteral(
                "目前只支持追加扫描（--mode append）；插扫、替扫和预扫以后提供\n");
            return UsageError;
        }
        if (!parser.isSet(QStringLiteral("device"))) {
            err() << QStringLiteral("缺少 --device（可用 --list 查看扫描仪）\n");
            return UsageError;
        }
        const QStringList positional = parser.positionalArguments();
        if (positional.size() != 1) {
            err() << QStringLiteral("需要一个目标文件夹 FOLDER\n") << parser.helpText();
            return UsageError;
        }
        folder = QFileInfo(positional.first()).absoluteFilePath();
        if (!QFileInfo(folder).isDir()) {
            err() << QStringLiteral("不是文件夹：") << positional.first() << '\n';
            return UsageError;
        }
        QString error;
        if (!readSettings(parser, job, &error)) {
            err() << error << '\n';
            return UsageError;
        }
        job.naming.directory = QDir::cleanPath(folder);
        if (job.naming.nextCode < 0)
            job.naming.nextCode = nextCodeIn(folder);
        job.skipTakenNames = true;
    }

    // The manager is opened with a window, as in the main program; this one is
    // never shown.
    QWindow window;
    const WId windowId = window.winId();
    ScanSession session;
    bool missing = false;
    QString tried;
    {
        QEventLoop loop;
        QObject::connect(&session, &ScanSession::managerMissing, &loop, [&](const QString& files) {
            missing = true;
            tried = files;
        });
        waitFor(session, &ScanSession::managerMissing, loop);
        waitFor(session, &ScanSession::sourcesListed, loop);
        session.initialise(windowId);
        loop.exec();
    }
    if (missing) {
        err() << QStringLiteral("加载扫描仪驱动失败：TWAINDSM.DLL\n") << tried << '\n';
        return SomePagesFailed;
    }
    const QList<TW_IDENTITY> sources = session.sources();
    if (listing) {
        for (const TW_IDENTITY& source : sources)
            out() << QString::fromUtf8(source.ProductName) << '\t'
                  << QString::fromUtf8(source.ProductFamily) << '\n';
        out().flush();
        return Success;
    }

    const QString device = parser.value(QStringLiteral("device"));
    job.deviceIndex = -1;
    for (int i = 0; i < sources.size() && job.deviceIndex < 0; ++i) {
        if (device == QString::fromUtf8(sources.at(i).ProductName) ||
            device == QString::fromUtf8(sources.at(i).ProductFamily))
            job.deviceIndex = i;
    }
    if (job.deviceIndex < 0) {
        err() << QStringLiteral("没有此扫描仪：") << device << '\n';
        return UsageError;
    }

    int pages = 0;
    stScanResult result;
    {
        QEventLoop loop;
        QObject::connect(&session, &ScanSession::pageArrived, &loop, [&](const QString& path) {
            ++pages;
            out() << QStringLiteral("已扫描%1页：%2\n")
                         .arg(pages)
                         .arg(QDir::toNativeSeparators(path));
            out().flush();
        });
        QObject::connect(&session, &ScanSession::scanFinished, &loop,
                         [&](const stScanResult& finished) {
                             result = finished;
                             loop.quit();
                         });
        session.startScan(job);
        loop.exec();
    }
    out() << QStringLiteral("共扫描%1页，保存在 %2\n")
                 .arg(result.paths.size())
                 .arg(QDir::toNativeSeparators(folder));
    out().flush();
    if (!result.ok) {
        err() << result.message << '\n';
        return SomePagesFailed;
    }
    return Success;
}
