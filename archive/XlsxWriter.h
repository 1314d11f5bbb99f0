#pragma once

#include <QString>
#include <QVariant>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

// Writes one .xlsx report. Rows and columns count from 1, as in the reader.
// Everything goes to a hidden temporary file beside the target, which
// replaces the target only when every call succeeded: a failed export never
// touches the operator's existing file. The first failure is kept; later
// calls do nothing and save() reports it.
class XlsxWriter
{
public:
    explicit XlsxWriter(const QString& path);
    ~XlsxWriter();
    XlsxWriter(const XlsxWriter&) = delete;
    XlsxWriter& operator=(const XlsxWriter&) = delete;

    // Starts a sheet; the writes that follow go into it.
    bool addSheet(const QString& name);

    bool writeNumber(int row, int column, double value);
    // Always a text cell, even when it looks like a number ("0012").
    bool writeText(int row, int column, const QString& text);
    bool writeBool(int row, int column, bool value);
    // Bold text, for the header row.
    bool writeHeader(int row, int column, const QString& text);
    // By the value's type: numbers as numbers, booleans as booleans, dates and
    // text as text; no value leaves the cell empty.
    bool writeValue(int row, int column, const QVariant& value);
    // Width in characters, as the spreadsheet counts it.
    bool setColumnWidth(int column, double width);

    // Finishes the file and puts it in place. False with a reason (for the
    // operator) when anything failed; then the old file is as it was and no
    // temporary file is left.
    bool save(QString* reason = nullptr);

    QString path() const { return m_path; }
    QString error() const { return m_error; }

private:
    bool fail(const QString& reason);
    bool ready();
    bool cellPlace(int row, int column);
    bool check(int code, int row, int column);
    void discard();

    QString m_path;
    QString m_tempPath;
    QString m_error;
    lxw_workbook* m_book = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    lxw_format* m_bold = nullptr;
    bool m_done = false;
};
