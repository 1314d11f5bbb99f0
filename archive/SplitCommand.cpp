#include "SplitCommand.h"

#include "ConsoleStreams.h"
#include "ItemListOptions.h"
#include "ItemWorkbook.h"
#include "SplitCopier.h"
#include "ToolSplitPlanner.h"
#include "ToolSplitRows.h"
#include "XlsxSheet.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

namespace {

int usage(const QString& why)
{
    consoleErr() << why << '\n';
    consoleErr().flush();
    return SplitCommand::UsageError;
}

int failed(const QString& why)
{
    consoleErr() << why << '\n';
    consoleErr().flush();
    return SplitCommand::Failed;
}

// The column of a header text; 0 and *missing set when the sheet has none.
int columnOf(const ItemHeaders& headers, const QString& text, QString* missing)
{
    const int column = headers.column(text);
    if (column == 0 && missing->isEmpty())
        *missing = text;
    return column;
}

} // namespace

int SplitCommand::run(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("按条目把案卷目录中的影像拷贝到各件的目录"));
    parser.addHelpOption();
    const ItemListOptions itemList;
    parser.addOptions(itemList.all());
    const QCommandLineOption by(QStringLiteral("by"),
                                QStringLiteral("count（页数分件）或 pageno（页号分件）"),
                                QStringLiteral("MODE"));
    const QCommandLineOption rule(QStringLiteral("rule"), QStringLiteral("存储规则"),
                                  QStringLiteral("RULE"), ToolSplitPlanner::defaultStorageRule());
    const QCommandLineOption rename(QStringLiteral("rename"),
                                    QStringLiteral("分件后自动重命名（从1开始）"));
    const QCommandLineOption checkPages(QStringLiteral("check-pages"),
                                        QStringLiteral("核对条目中页码与页数"));
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("分件后的保存目录"),
                                 QStringLiteral("DIR"));
    parser.addOptions({by, rule, rename, checkPages, out});
    parser.addPositionalArgument(QStringLiteral("FOLDER"), QStringLiteral("案卷目录"),
                                 QStringLiteral("FOLDER..."));
    if (!parser.parse(arguments))
        return usage(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        consoleOut() << parser.helpText();
        return Success;
    }
    for (const QCommandLineOption& needed :
         {itemList.list, by, itemList.archiveCol, itemList.countCol, out}) {
        if (!parser.isSet(needed))
            return usage(QStringLiteral("缺少 --%1").arg(needed.names().first()));
    }
    const QString mode = parser.value(by);
    if (mode != QLatin1String("count") && mode != QLatin1String("pageno"))
        return usage(QStringLiteral("--by 只能是 count 或 pageno：%1").arg(mode));
    const bool byNumber = mode == QLatin1String("pageno");
    if ((byNumber || parser.isSet(checkPages)) && !parser.isSet(itemList.pageCol))
        return usage(QStringLiteral("页号分件和核对页码需要 --page-col"));
    const QStringList folders = parser.positionalArguments();
    if (folders.isEmpty())
        return usage(QStringLiteral("缺少案卷目录"));

    // The case files are the named folders, side by side in one data directory.
    ToolSplitRequest request;
    for (const QString& folder : folders) {
        const QFileInfo info(QDir::cleanPath(QDir::current().absoluteFilePath(folder)));
        if (!info.isDir())
            return usage(QStringLiteral("案卷目录不存在：%1").arg(folder));
        if (request.dataDir.isEmpty())
            request.dataDir = info.absolutePath();
        else if (info.absolutePath() != request.dataDir)
            return usage(QStringLiteral("案卷目录须在同一数据目录下：%1").arg(folder));
        request.selected << info.fileName();
    }
    request.outputDir = parser.value(out);
    if (!QFileInfo(request.outputDir).isDir())
        return usage(QStringLiteral("分件后的保存目录不存在：%1").arg(request.outputDir));

    ItemWorkbook book;
    QString unreadable;
    if (!itemList.open(parser, book, &unreadable))
        return usage(unreadable);
    const XlsxSheet& data = *book.currentSheet();
    const ItemHeaders headers = ItemHeaders::read(data, ItemHeaders::EveryColumn);
    QString missing;
    ToolSplitRows::Columns columns;
    columns.archiveNo = columnOf(headers, parser.value(itemList.archiveCol), &missing);
    columns.pageCount = columnOf(headers, parser.value(itemList.countCol), &missing);
    columns.caseNo = columnOf(headers, parser.value(itemList.caseCol), &missing);
    if (parser.isSet(itemList.pageCol))
        columns.pageNo = columnOf(headers, parser.value(itemList.pageCol), &missing);
    if (!missing.isEmpty())
        return usage(QStringLiteral("条目中没有这一列：%1").arg(missing));

    request.headers = headers.names();
    request.storageFields = ToolSplitPlanner::storageFields(parser.value(rule));
    for (const QString& field : request.storageFields)
        columns.storage << headers.column(field);
    request.pageCountColumn = columns.pageCount;
    request.rows = ToolSplitRows::read(data, columns);
    request.mode = byNumber ? SplitMode::PageNumber : SplitMode::PageCount;
    request.checkPages = parser.isSet(checkPages);
    request.rename = parser.isSet(rename);

    const SplitPlan plan = ToolSplitPlanner::plan(request);
    for (const QString& warning : plan.warnings)
        consoleErr() << warning << '\n';
    if (!plan.ok())
        return failed(plan.error);
    SplitCopier copier;
    copier.setProgress([](const QString& archiveNo) {
        consoleOut() << splitProgressText(archiveNo) << '\n';
        consoleOut().flush();
    });
    const SplitResult result = copier.run(plan);
    if (!result.ok)
        return failed(result.message);
    consoleOut() << result.message
                 << QStringLiteral("：%1件%2页").arg(result.items).arg(result.pages) << '\n';
    consoleOut().flush();
    return plan.warnings.isEmpty() ? Success : Failed;
}
