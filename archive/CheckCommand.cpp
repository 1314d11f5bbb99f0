#include "CheckCommand.h"

#include "ConsoleStreams.h"
#include "EntryMatcher.h"
#include "ItemHeaders.h"
#include "ItemListOptions.h"
#include "ItemRecordExport.h"
#include "ItemRecordSet.h"
#include "ItemWorkbook.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QMap>

namespace {

int say(const QString& why, int status)
{
    consoleErr() << why << '\n';
    consoleErr().flush();
    return status;
}

int usage(const QString& why)
{
    return say(why, CheckCommand::UsageError);
}

const QString& caseFileType()
{
    static const QString type = QStringLiteral("案卷");
    return type;
}

const QString& documentType()
{
    static const QString type = QStringLiteral("一文一件");
    return type;
}

} // namespace

int CheckCommand::run(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("核对各件目录与条目excel"));
    parser.addHelpOption();
    const ItemListOptions itemList;
    parser.addOptions(itemList.all());
    const QCommandLineOption type(
        QStringLiteral("type"), QStringLiteral("档案类型：案卷或一文一件"), QStringLiteral("TYPE"));
    const QCommandLineOption rule(
        QStringLiteral("rule"),
        QStringLiteral("匹配规则（默认案卷为“案卷档号/档号”，一文一件为“档号”）"),
        QStringLiteral("RULE"));
    const QCommandLineOption checkPages(QStringLiteral("check-pages"),
                                        QStringLiteral("核对条目中页码与页数（案卷）"));
    const QCommandLineOption xlsx(QStringLiteral("xlsx"), QStringLiteral("导出条目到此文件"),
                                  QStringLiteral("OUT"));
    parser.addOptions({type, rule, checkPages, xlsx});
    parser.addPositionalArgument(QStringLiteral("DATADIR"), QStringLiteral("图像文件的存放目录"));
    if (!parser.parse(arguments))
        return usage(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        consoleOut() << parser.helpText();
        return Consistent;
    }
    for (const QCommandLineOption& needed :
         {itemList.list, type, itemList.archiveCol, itemList.countCol}) {
        if (!parser.isSet(needed))
            return usage(QStringLiteral("缺少 --%1").arg(needed.names().first()));
    }
    const QString kind = parser.value(type);
    if (kind != caseFileType() && kind != documentType())
        return usage(QStringLiteral("--type 只能是 案卷 或 一文一件：%1").arg(kind));
    const bool caseFile = kind == caseFileType();
    const bool pageNumbers = caseFile && parser.isSet(checkPages);
    if (pageNumbers && !parser.isSet(itemList.pageCol))
        return usage(QStringLiteral("核对页码需要 --page-col"));
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return usage(positional.isEmpty() ? QStringLiteral("缺少图像文件的存放目录")
                                          : QStringLiteral("只能给一个图像文件的存放目录"));
    const QString dataDir = positional.first();
    if (!QFileInfo(dataDir).isDir())
        return usage(QStringLiteral("图像文件的存放目录不存在或解析失败：%1").arg(dataDir));
    QString out = parser.value(xlsx);
    if (parser.isSet(xlsx) && QFileInfo(out).suffix().isEmpty())
        out += QStringLiteral(".xlsx");
    // Overwriting the list would lose the rows the check never read.
    if (parser.isSet(xlsx) && ItemRecordExport::sameFile(out, parser.value(itemList.list)))
        return usage(QStringLiteral("不能导出到导入的条目excel，请另选文件：%1").arg(out));

    ItemWorkbook book;
    QString unreadable;
    if (!itemList.open(parser, book, &unreadable))
        return usage(unreadable);
    // Every used column keeps its place, so the export lines up with the list.
    const ItemHeaders headers = ItemHeaders::read(*book.currentSheet(), ItemHeaders::EveryColumn);

    EntryMatcher::Options options;
    options.dataDir = dataDir;
    options.caseFile = caseFile;
    options.checkPageNumbers = pageNumbers;
    options.rule = parser.isSet(rule) ? parser.value(rule)
                   : caseFile         ? QStringLiteral("案卷档号/档号")
                                      : QStringLiteral("档号");
    options.archiveNoHeader = parser.value(itemList.archiveCol);
    options.pageCountHeader = parser.value(itemList.countCol);
    options.pageNoHeader = parser.value(itemList.pageCol);
    options.caseFileHeader = parser.value(itemList.caseCol);
    QStringList named{options.archiveNoHeader, options.pageCountHeader};
    if (parser.isSet(itemList.pageCol))
        named << options.pageNoHeader;
    if (pageNumbers || parser.isSet(itemList.caseCol))
        named << options.caseFileHeader;
    named << EntryMatcher::ruleFields(options.rule);
    for (const QString& header : named) {
        if (headers.column(header) == 0)
            return usage(QStringLiteral("条目中没有这一列：%1").arg(header));
    }

    ItemRecordSet records;
    records.build(*book.currentSheet(), headers, options.archiveNoHeader, options.pageCountHeader);
    const EntryMatcher::Result result =
        EntryMatcher::match(records.itemRecords(), headers, options);
    if (!result.ok()) {
        consoleOut() << result.failure << '\n';
        consoleOut().flush();
        return Mismatched;
    }
    for (const QString& line : result.errors + result.unclaimed)
        consoleOut() << line << '\n';
    consoleOut() << QStringLiteral("核对完成：%1条条目，%2条不匹配，%3项不属于任何条目")
                        .arg(records.itemRecords().size())
                        .arg(result.errors.size())
                        .arg(result.unclaimed.size())
                 << '\n';
    consoleOut().flush();
    int status = result.errors.isEmpty() && result.unclaimed.isEmpty() ? Consistent : Mismatched;

    if (parser.isSet(xlsx)) {
        // As the quality-check tab exports: one record per archive number, in its order.
        QMap<QString, ItemRecord> byNumber;
        const QHash<QString, ItemRecord>& items = records.itemsByArchiveNo();
        for (auto it = items.cbegin(); it != items.cend(); ++it)
            byNumber.insert(it.key(), it.value());
        QString why;
        if (!ItemRecordExport::write(out, headers.names(), byNumber.values(), &why))
            return say(QStringLiteral("导出失败：%1 %2").arg(out, why), Mismatched);
        say(QStringLiteral("导出完成：") + out, status);
    }
    return status;
}
