#include "ScanCommand.h"

#include "ConsoleStreams.h"
#include "DirListing.h"
#include "FileTableModel.h"
#include "NameUtils.h"
#include "ScanChoices.h"
#include "ScanDelivery.h"
#include "ScanSession.h"
#include "StartupPreparation.h"

#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTextStream>
#include <QWindow>
#include <algorithm>

namespace {

// The panel's items; ".tif" is accepted as the usual spelling of ".tiff".
QVector<ScanChoices::Choice> formatsWithAlias()
{
    QVector<ScanChoices::Choice> formats = ScanChoices::fileFormats();
    formats.append({QStringLiteral(".tif"), TWFF_TIFF});
    return formats;
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

int modeOf(const QString& text)
{
    const struct
    {
        const char* name;
        int mode;
    } modes[] = {{"append", ScanPlacement::Append},
                 {"insert", ScanPlacement::Insert},
                 {"replace", ScanPlacement::Replace},
                 {"preview", ScanPlacement::Preview}};
    for (const auto& mode : modes) {
        if (text == QLatin1String(mode.name))
            return mode.mode;
    }
    return 0;
}

// Insert and replace start at --at, else at the first file as the list shows
// the folder; "" in an empty folder.
bool startingPage(const QCommandLineParser& parser, ScanDelivery::Options& delivery, QString* error)
{
    const bool atGiven = parser.isSet(QStringLiteral("at"));
    const bool atMode =
        delivery.mode == ScanPlacement::Insert || delivery.mode == ScanPlacement::Replace;
    if (atGiven && !atMode) {
        *error = QStringLiteral("--at 只用于插扫和替扫（--mode insert|replace）");
        return false;
    }
    if (!atMode)
        return true;
    QStringList names;
    const QFileInfoList entries =
        DirListing::sortedEntries(delivery.folder, FileTableModel::imageNameFilters(), QDir::Files);
    for (const QFileInfo& entry : entries)
        names << entry.fileName();
    if (!atGiven) {
        delivery.atFile = names.value(0);
        return true;
    }
    const QString at = parser.value(QStringLiteral("at"));
    const QFileInfo info(at);
    const bool inFolder =
        !at.contains(QLatin1Char('/')) || QDir::cleanPath(info.absolutePath()) == delivery.folder;
    if (!inFolder || !names.contains(info.fileName())) {
        *error = QStringLiteral("--at 指定的文件不在目录中：%1").arg(at);
        return false;
    }
    delivery.atFile = info.fileName();
    return true;
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
        QVector<ScanChoices::Choice> choices;
        int* value;
    } lists[] = {
        {"colour", ScanChoices::colours(), &job.pixelType},
        {"size", ScanChoices::paperSizes(), &job.paperSize},
        {"format", formatsWithAlias(), &job.fileFormat},
        {"quality", ScanChoices::qualities(), &job.jpegQuality},
        {"dpi", ScanChoices::resolutions(), &job.resolution},
    };
    for (const auto& list : lists) {
        const QString name = QString::fromLatin1(list.option);
        if (!parser.isSet(name))
            continue;
        const QString text = parser.value(name);
        const ScanChoices::Choice* found = ScanChoices::find(list.choices, text);
        if (!found) {
            QStringList allowed;
            for (const ScanChoices::Choice& choice : list.choices)
                allowed << choice.text;
            *error = QStringLiteral("--%1 的取值无效：%2（可选：%3）")
                         .arg(name, text, allowed.join(QLatin1Char('|')));
            return false;
        }
        *list.value = found->value;
        if (list.value == &job.fileFormat)
            extension = text;
    }
    // Black and white pages are always bitmaps, as on the panel.
    if (job.pixelType == TWPT_BW) {
        if (parser.isSet(QStringLiteral("format")) && job.fileFormat != TWFF_BMP)
            consoleErr() << QStringLiteral("黑白扫描只能保存为 .bmp，已改用 .bmp\n");
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

namespace {

// The options, the description and the exit status that --help prints.
void describe(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Lists the scanners, or scans pages from one of them into FOLDER.\n"
        "\n"
        "Pages are scanned into a private temporary folder and then placed:\n"
        "  append   behind the last page, each page as it arrives (the default);\n"
        "  insert   before --at, the pages from --at on renumbered to make room;\n"
        "  replace  in place of --at and the pages after it, one for one; the old\n"
        "           pages go to the desktop trash;\n"
        "  preview  not at all: FOLDER is left untouched and the pages stay in the\n"
        "           temporary folder, whose path is printed.\n"
        "--at names a file in FOLDER; without it insert and replace start at the\n"
        "first file in list order. In an empty folder they append.\n"
        "\n"
        "New names are prefix + running code + suffix + extension. The code starts\n"
        "at --next, by default one above the largest running number in FOLDER, and is\n"
        "zero-filled to --length digits (never cut). A name already taken in FOLDER is\n"
        "skipped: no page is ever overwritten. Black and white pages are saved as .bmp.\n"
        "--skip-blank leaves out pages without ink (under 0.3 % of the page, edges\n"
        "ignored); they are moved to a recovery folder and counted. So is every page\n"
        "that cannot be placed. The recovery folder is scan-recovery/ in the data\n"
        "directory, or in the home folder when none is set.\n"
        "Omitted settings are the scanner panel's initial ones (flatbed, simplex, 自动,\n"
        "彩色, 300 dpi, .jpg, 中).\n"
        "\n"
        "Exit status: 0 every page placed; 1 the scan stopped on an error or a page\n"
        "could not be placed (pages already placed are kept; the message names the\n"
        "recovery folder); 2 usage error (nothing scanned)."));
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
        {QStringLiteral("mode"), QStringLiteral("append, insert, replace or preview."),
         QStringLiteral("mode")},
        {QStringLiteral("at"),
         QStringLiteral("Insert or replace at this file of FOLDER (default: the first)."),
         QStringLiteral("FILE")},
        {QStringLiteral("skip-blank"), QStringLiteral("Leave out blank pages.")},
    });
    parser.addPositionalArgument(QStringLiteral("FOLDER"), QStringLiteral("Folder of the pages."));
}

// Checks the scan's arguments and fills job and delivery; -1 when the scan
// may start, else the exit status. Nothing is scanned or moved before.
int prepareScan(const QCommandLineParser& parser, stScanJob& job, ScanDelivery::Options& delivery)
{
    const QString modeText = parser.value(QStringLiteral("mode"));
    delivery.mode = modeOf(modeText.isEmpty() ? QStringLiteral("append") : modeText);
    if (delivery.mode == 0) {
        consoleErr() << QStringLiteral("--mode 的取值无效：%1（可选：append|insert|replace|preview）\n")
                     .arg(modeText);
        return ScanCommand::UsageError;
    }
    if (!parser.isSet(QStringLiteral("device"))) {
        consoleErr() << QStringLiteral("缺少 --device（可用 --list 查看扫描仪）\n");
        return ScanCommand::UsageError;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        consoleErr() << QStringLiteral("需要一个目标文件夹 FOLDER\n") << parser.helpText();
        return ScanCommand::UsageError;
    }
    QString folder = QFileInfo(positional.first()).absoluteFilePath();
    if (!QFileInfo(folder).isDir()) {
        consoleErr() << QStringLiteral("不是文件夹：") << positional.first() << '\n';
        return ScanCommand::UsageError;
    }
    QString error;
    if (!ScanCommand::readSettings(parser, job, &error)) {
        consoleErr() << error << '\n';
        return ScanCommand::UsageError;
    }
    folder = QDir::cleanPath(folder);
    if (job.naming.nextCode < 0)
        job.naming.nextCode = ScanCommand::nextCodeIn(folder);
    delivery.folder = folder;
    delivery.skipBlank = parser.isSet(QStringLiteral("skip-blank"));
    delivery.naming.prefix = job.naming.prefix;
    delivery.naming.suffix = job.naming.suffix;
    delivery.naming.nextCode = job.naming.nextCode;
    delivery.naming.codeLength = job.naming.codeLength;
    delivery.naming.extension = job.naming.extension;
    error = delivery.naming.validate(folder);
    if (error.isEmpty())
        startingPage(parser, delivery, &error);
    if (!error.isEmpty()) {
        consoleErr() << error << '\n';
        return ScanCommand::UsageError;
    }
    // The scanner writes into the private temporary folder; what an earlier
    // run left there is kept first.
    job.naming.directory = scanWorkDir();
    if (job.naming.directory.isEmpty()) {
        consoleErr() << QStringLiteral("无法建立临时扫描目录\n");
        return ScanCommand::SomePagesFailed;
    }
    delivery.recoveryRoot = scanRecoveryRoot();
    const QString rescued =
        ScanPlacement::rescueLeftovers(job.naming.directory, delivery.recoveryRoot);
    if (!rescued.isEmpty())
        consoleErr() << QStringLiteral("临时扫描目录中的旧页已保存到：%1\n")
                     .arg(QDir::toNativeSeparators(rescued));
    job.naming.nextCode = 1;
    job.skipTakenNames = true;
    return -1;
}

} // namespace

int ScanCommand::run(const QStringList& arguments)
{
    QCommandLineParser parser;
    describe(parser);

    if (!parser.parse(arguments)) {
        consoleErr() << parser.errorText() << '\n';
        return UsageError;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        consoleOut() << parser.helpText();
        return Success;
    }
    const bool listing = parser.isSet(QStringLiteral("list"));
    stScanJob job;
    ScanDelivery::Options delivery;
    if (!listing) {
        const int status = prepareScan(parser, job, delivery);
        if (status >= 0)
            return status;
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
        consoleErr() << QStringLiteral("加载扫描仪驱动失败：TWAINDSM.DLL\n") << tried << '\n';
        return SomePagesFailed;
    }
    const QList<TW_IDENTITY> sources = session.sources();
    if (listing) {
        for (const TW_IDENTITY& source : sources)
            consoleOut() << QString::fromUtf8(source.ProductName) << '\t'
                  << QString::fromUtf8(source.ProductFamily) << '\n';
        consoleOut().flush();
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
        consoleErr() << QStringLiteral("没有此扫描仪：") << device << '\n';
        return UsageError;
    }

    ScanDelivery pages(delivery);
    stScanResult result;
    {
        QEventLoop loop;
        QObject::connect(&session, &ScanSession::pageArrived, &loop, [&](const QString& path) {
            consoleOut() << pages.pageArrived(path) << '\n';
            consoleOut().flush();
        });
        QObject::connect(&session, &ScanSession::scanFinished, &loop,
                         [&](const stScanResult& finished) {
                             result = finished;
                             loop.quit();
                         });
        session.startScan(job);
        loop.exec();
    }
    QStringList summary;
    const bool allPlaced = pages.finish(&summary);
    consoleOut() << summary.join(QLatin1Char('\n')) << '\n';
    consoleOut().flush();
    if (!result.ok)
        consoleErr() << result.message << '\n';
    return result.ok && allPlaced ? Success : SomePagesFailed;
}
