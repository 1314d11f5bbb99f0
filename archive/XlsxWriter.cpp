#include "XlsxWriter.h"

#include "CellText.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <xlsxwriter.h>

namespace {

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

bool syncPath(const QString& path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return ok;
}

} // namespace

XlsxWriter::XlsxWriter(const QString& path) : m_path(QFileInfo(path).absoluteFilePath())
{
    // The name is reserved with mkstemps so that no other writer picks it;
    // the library reopens and rewrites it when the workbook is closed.
    const QString folder = QFileInfo(m_path).absolutePath();
    QByteArray name = QFile::encodeName(QDir(folder).filePath(".tarvo-xlsx-XXXXXX.xlsx"));
    const int fd = ::mkstemps(name.data(), 5);
    if (fd < 0) {
        fail(QStringLiteral("无法在目标文件夹中创建临时文件：%1").arg(systemError(errno)));
        return;
    }
    ::close(fd);
    m_tempPath = QFile::decodeName(name);
    m_book = workbook_new(name.constData());
    if (!m_book) {
        fail(QStringLiteral("无法创建Excel工作簿"));
        return;
    }
    m_bold = workbook_add_format(m_book);
    if (!m_bold) {
        fail(QStringLiteral("无法创建Excel工作簿"));
        return;
    }
    format_set_bold(m_bold);
}

XlsxWriter::~XlsxWriter()
{
    if (!m_done)
        discard();
}

bool XlsxWriter::fail(const QString& reason)
{
    if (m_error.isEmpty())
        m_error = reason;
    return false;
}

bool XlsxWriter::ready()
{
    return m_error.isEmpty() && !m_done && m_book;
}

void XlsxWriter::discard()
{
    if (m_book)
        lxw_workbook_free(m_book);
    m_book = nullptr;
    m_sheet = nullptr;
    m_bold = nullptr;
    if (!m_tempPath.isEmpty())
        QFile::remove(m_tempPath);
    m_tempPath.clear();
}

bool XlsxWriter::addSheet(const QString& name)
{
    if (!ready())
        return false;
    const QByteArray utf8 = name.toUtf8();
    const lxw_error valid = workbook_validate_sheet_name(m_book, utf8.constData());
    if (valid != LXW_NO_ERROR)
        return fail(QStringLiteral("工作表名称“%1”无效：%2").arg(name, lxw_strerror(valid)));
    m_sheet = workbook_add_worksheet(m_book, utf8.constData());
    if (!m_sheet)
        return fail(QStringLiteral("无法添加工作表“%1”").arg(name));
    return true;
}

bool XlsxWriter::cellPlace(int row, int column)
{
    if (!ready())
        return false;
    if (!m_sheet)
        return fail(QStringLiteral("写入单元格前未添加工作表"));
    if (row < 1 || row > LXW_ROW_MAX || column < 1 || column > LXW_COL_MAX)
        return fail(QStringLiteral("单元格位置超出范围（第%1行第%2列）").arg(row).arg(column));
    return true;
}

bool XlsxWriter::check(int code, int row, int column)
{
    if (code == LXW_NO_ERROR)
        return true;
    return fail(QStringLiteral("写入单元格失败（第%1行第%2列）：%3")
                    .arg(row)
                    .arg(column)
                    .arg(lxw_strerror(static_cast<lxw_error>(code))));
}

bool XlsxWriter::writeNumber(int row, int column, double value)
{
    if (!cellPlace(row, column))
        return false;
    // The file format has no text for NaN or infinity; writing one would
    // make a workbook that no program opens.
    if (!std::isfinite(value))
        return fail(QStringLiteral("数值无效（第%1行第%2列）").arg(row).arg(column));
    return check(worksheet_write_number(m_sheet, row - 1, column - 1, value, nullptr), row, column);
}

bool XlsxWriter::writeText(int row, int column, const QString& text)
{
    if (!cellPlace(row, column))
        return false;
    const QByteArray utf8 = text.toUtf8();
    return check(worksheet_write_string(m_sheet, row - 1, column - 1, utf8.constData(), nullptr),
                 row, column);
}

bool XlsxWriter::writeBool(int row, int column, bool value)
{
    if (!cellPlace(row, column))
        return false;
    return check(worksheet_write_boolean(m_sheet, row - 1, column - 1, value ? 1 : 0, nullptr), row,
                 column);
}

bool XlsxWriter::writeHeader(int row, int column, const QString& text)
{
    if (!cellPlace(row, column))
        return false;
    const QByteArray utf8 = text.toUtf8();
    return check(worksheet_write_string(m_sheet, row - 1, column - 1, utf8.constData(), m_bold),
                 row, column);
}

bool XlsxWriter::writeValue(int row, int column, const QVariant& value)
{
    switch (static_cast<int>(value.type())) {
    case QMetaType::UnknownType:
        return cellPlace(row, column);
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return writeNumber(row, column, value.toDouble());
    case QMetaType::Bool:
        return writeBool(row, column, value.toBool());
    default:
        return writeText(row, column, cellText(value));
    }
}

bool XlsxWriter::setColumnWidth(int column, double width)
{
    if (!cellPlace(1, column))
        return false;
    const lxw_col_t c = static_cast<lxw_col_t>(column - 1);
    const lxw_error code = worksheet_set_column(m_sheet, c, c, width, nullptr);
    if (code != LXW_NO_ERROR)
        return fail(
            QStringLiteral("设置列宽失败（第%1列）：%2").arg(column).arg(lxw_strerror(code)));
    return true;
}

bool XlsxWriter::save(QString* reason)
{
    const auto failed = [&](const QString& why) {
        fail(why);
        discard();
        m_done = true;
        if (reason)
            *reason = m_error;
        return false;
    };
    if (m_done)
        return failed(QStringLiteral("工作簿已经保存过"));
    if (!m_error.isEmpty())
        return failed(m_error);
    if (!m_sheet)
        return failed(QStringLiteral("工作簿中没有工作表"));

    // workbook_close frees the workbook whatever it returns.
    const lxw_error closed = workbook_close(m_book);
    m_book = nullptr;
    m_sheet = nullptr;
    m_bold = nullptr;
    if (closed != LXW_NO_ERROR)
        return failed(QStringLiteral("生成Excel文件失败：%1").arg(lxw_strerror(closed)));
    if (!syncPath(m_tempPath, O_RDONLY))
        return failed(QStringLiteral("写入磁盘失败：%1").arg(systemError(errno)));
    // The new file is complete and on disk, so replacing the old one is safe.
    if (::rename(QFile::encodeName(m_tempPath).constData(),
                 QFile::encodeName(m_path).constData()) != 0)
        return failed(QStringLiteral("无法保存到“%1”：%2").arg(m_path, systemError(errno)));
    m_tempPath.clear();
    m_done = true;
    syncPath(QFileInfo(m_path).absolutePath(), O_RDONLY | O_DIRECTORY);
    return true;
}
