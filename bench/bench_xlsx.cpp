// Reading item list workbooks: a 50,000-row x 12-column list (text, Chinese
// text, numbers, dates) written with libxlsxwriter, read by our reader (open and
// header row; then every cell of every row as text) and by openpyxl's read-only
// mode on the same file; then zip bombs, which must be refused. Each reading runs
// in a process of its own and reports its own peak resident memory (VmHWM).
//   bench_xlsx [rows]          (default 50000)
//   bench_xlsx --read <file>   (the child: prints "open_ms records_ms cells peak_kb reason")
//   bench_xlsx --write <file> [rows]   (only writes the list, for profiling)
#include "CellText.h"
#include "XlsxWorkbook.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xlsxwriter.h>

extern char** environ;

namespace {

const int kColumns = 12;

bool writeList(const QString& path, int rows)
{
    lxw_workbook* wb = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet* ws = workbook_add_worksheet(wb, "条目");
    lxw_format* date = workbook_add_format(wb);
    format_set_num_format(date, "yyyy-mm-dd");
    const char* headers[kColumns] = {"档号", "全宗号", "年度", "件号",     "题名",     "责任者",
                                     "日期", "页数",   "密级", "保管期限", "案卷档号", "备注"};
    for (int c = 0; c < kColumns; ++c)
        worksheet_write_string(ws, 0, lxw_col_t(c), headers[c], nullptr);
    const char* bodies[] = {"关于档案数字化工作的通知",
                            "年度工作总结报告",
                            "会议纪要",
                            "人事任免文件",
                            "财务审计报告",
                            "基建项目批复"};
    const char* people[] = {"办公室", "人事处", "财务处", "档案馆", "基建处"};
    const char* terms[] = {"永久", "长期", "短期", "30年", "10年"};
    for (int r = 1; r <= rows; ++r) {
        const lxw_row_t row = lxw_row_t(r);
        const int year = 1990 + r % 30;
        const QByteArray archiveNo = QStringLiteral("J001-%1-%2-%3")
                                         .arg(year)
                                         .arg(r % 7 ? "Y" : "D")
                                         .arg(r, 5, 10, QLatin1Char('0'))
                                         .toUtf8();
        const QByteArray title =
            QStringLiteral("%1（第%2号）").arg(QString::fromUtf8(bodies[r % 6])).arg(r).toUtf8();
        worksheet_write_string(ws, row, 0, archiveNo.constData(), nullptr);
        worksheet_write_string(ws, row, 1, "J001", nullptr);
        worksheet_write_number(ws, row, 2, year, nullptr);
        worksheet_write_number(ws, row, 3, r, nullptr);
        worksheet_write_string(ws, row, 4, title.constData(), nullptr);
        worksheet_write_string(ws, row, 5, people[r % 5], nullptr);
        lxw_datetime when = {year, 1 + r % 12, 1 + r % 28, 0, 0, 0};
        worksheet_write_datetime(ws, row, 6, &when, date);
        worksheet_write_number(ws, row, 7, 1 + r % 120, nullptr);
        worksheet_write_string(ws, row, 8, r % 10 ? "公开" : "内部", nullptr);
        worksheet_write_string(ws, row, 9, terms[r % 5], nullptr);
        worksheet_write_string(ws, row, 10, archiveNo.left(14).constData(), nullptr);
        if (r % 3 == 0)
            worksheet_write_string(ws, row, 11, "原件破损，已修复", nullptr);
    }
    return workbook_close(wb) == LXW_NO_ERROR;
}

// A workbook whose one sheet inflates to `megabytes` of boolean cells; with "lie"
// the central directory says every member is 1000 bytes.
const char* const kBombScript = R"(
import sys, zipfile, struct
path, mb, lie = sys.argv[1], int(sys.argv[2]), sys.argv[3] == 'lie'
ns = 'http://schemas.openxmlformats.org/spreadsheetml/2006/main'
rel = 'http://schemas.openxmlformats.org/officeDocument/2006/relationships'
pkg = 'http://schemas.openxmlformats.org/package/2006/relationships'
with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('_rels/.rels', '<Relationships xmlns="%s"><Relationship Id="rId1" '
               'Type="%s/officeDocument" Target="xl/workbook.xml"/></Relationships>' % (pkg, rel))
    z.writestr('xl/workbook.xml', '<workbook xmlns="%s" xmlns:r="%s"><sheets><sheet name="S" '
               'sheetId="1" r:id="rId1"/></sheets></workbook>' % (ns, rel))
    z.writestr('xl/_rels/workbook.xml.rels', '<Relationships xmlns="%s"><Relationship Id="rId1" '
               'Type="%s/worksheet" Target="worksheets/sheet1.xml"/></Relationships>' % (pkg, rel))
    with z.open('xl/worksheets/sheet1.xml', 'w') as f:
        f.write(('<worksheet xmlns="%s"><sheetData>' % ns).encode())
        row = b'<row>' + b'<c t="b"><v>1</v></c>' * 8 + b'</row>'
        chunk = row * ((1 << 20) // len(row) + 1)
        for _ in range(mb):
            f.write(chunk)
        f.write(b'</sheetData></worksheet>')
data = bytearray(open(path, 'rb').read())
i = data.find(b'PK\x01\x02') if lie else -1
while i >= 0:
    struct.pack_into('<I', data, i + 24, 1000)
    i = data.find(b'PK\x01\x02', i + 4)
open(path, 'wb').write(data)
)";

// openpyxl in read-only mode: the same two steps as ours.
const char* const kOpenpyxlScript = R"(
import sys, time
t0 = time.perf_counter()
import openpyxl
wb = openpyxl.load_workbook(sys.argv[1], read_only=True)
ws = wb[wb.sheetnames[0]]
rows = ws.iter_rows(values_only=True)
header = [str(v) for v in next(rows)]
t1 = time.perf_counter()
cells = len(header)
for row in rows:
    for v in row:
        str(v) if v is not None else ''
        cells += 1
t2 = time.perf_counter()
hwm = [l for l in open('/proc/self/status') if l.startswith('VmHWM:')][0].split()[1]
print('%.1f %.1f %d %s ok' % ((t1 - t0) * 1000, (t2 - t1) * 1000, cells, hwm))
)";

struct Measurement
{
    double openMs = 0, recordsMs = 0, peakMb = 0, wallMs = 0, cpuMs = 0;
    long long cells = 0;
    QString outcome;
};

// Runs argv, returns its one output line and its peak resident memory.
Measurement runChild(const QStringList& args)
{
    Measurement m;
    int out[2];
    if (pipe(out) != 0)
        return m;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<QByteArray> bytes;
    for (const QString& a : args)
        bytes.push_back(a.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    QElapsedTimer wall;
    wall.start();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    QByteArray text;
    char buffer[4096];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, int(n));
    close(out[0]);
    if (spawned != 0)
        return m;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    m.wallMs = wall.nsecsElapsed() / 1e6;
    // Not usage.ru_maxrss: a spawned child inherits the parent's peak until exec.
    // CPU time tells more than wall time on a machine other work is loading.
    m.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
              (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    const QList<QByteArray> fields = text.trimmed().split(' ');
    if (fields.size() >= 5) {
        m.openMs = fields[0].toDouble();
        m.recordsMs = fields[1].toDouble();
        m.cells = fields[2].toLongLong();
        m.peakMb = fields[3].toDouble() / 1024.0;
        m.outcome = QString::fromUtf8(fields.mid(4).join(' '));
    } else {
        m.outcome = QStringLiteral("(failed: %1)").arg(QString::fromUtf8(text.trimmed()));
    }
    return m;
}

int readInChild(const QString& path)
{
    QElapsedTimer clock;
    clock.start();
    XlsxWorkbook book;
    const QString failure = book.open(path);
    long long cells = 0;
    double openMs = 0;
    if (failure.isEmpty()) {
        const XlsxSheet* sheet = book.sheet(book.sheetNames().value(0));
        QStringList header;
        for (int c = sheet->firstColumn(); c <= sheet->lastColumn(); ++c)
            header << cellText(sheet->cell(sheet->firstRow(), c));
        openMs = clock.nsecsElapsed() / 1e6;
        cells = header.size();
        clock.restart();
        qint64 chars = 0;
        for (int r = sheet->firstRow() + 1; r <= sheet->lastRow(); ++r) {
            for (int c = sheet->firstColumn(); c <= sheet->lastColumn(); ++c) {
                chars += cellText(sheet->cell(r, c)).size();
                ++cells;
            }
        }
        if (chars == 0)
            cells = -1;
    } else {
        openMs = clock.nsecsElapsed() / 1e6;
        clock.restart();
    }
    qint64 peakKb = 0;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                peakKb = line.mid(6).trimmed().split(' ').first().toLongLong();
        }
    }
    std::printf("%.1f %.1f %lld %lld %s\n", openMs, clock.nsecsElapsed() / 1e6, cells, peakKb,
                failure.isEmpty() ? "ok" : qPrintable(failure));
    return 0;
}

void printRow(const char* what, const Measurement& m)
{
    std::printf("%-32s %11.1f %10.1f %12.1f %8.1f %8lld  %s\n", what, m.openMs, m.recordsMs,
                m.cpuMs, m.peakMb, m.cells, qPrintable(m.outcome));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && QByteArray(argv[1]) == "--read")
        return readInChild(QString::fromLocal8Bit(argv[2]));
    if (argc >= 3 && QByteArray(argv[1]) == "--write")
        return writeList(QString::fromLocal8Bit(argv[2]),
                         argc > 3 ? QByteArray(argv[3]).toInt() : 50000)
                   ? 0
                   : 1;
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 50000;
    QTemporaryDir dir;
    const QString list = dir.filePath(QStringLiteral("list.xlsx"));
    std::fprintf(stderr, "writing %d rows x %d columns...\n", rows, kColumns);
    if (!writeList(list, rows)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(list));
        return 1;
    }
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    const QString python = QStringLiteral("/usr/bin/python3");

    std::printf("%-32s %11s %10s %12s %8s %8s  %s\n", "reading", "open+hdr ms", "records ms",
                "process cpu ms", "peak MB", "cells", "outcome");
    printRow("tarvo", runChild({self, QStringLiteral("--read"), list}));
    printRow("openpyxl read-only",
             runChild({python, QStringLiteral("-c"), QString::fromUtf8(kOpenpyxlScript), list}));

    // The lying one must be refused at once; the honest one, just within the part
    // limit, is read until its rows pass the sheet's last row.
    const struct
    {
        int megabytes;
        const char* mode;
        const char* label;
    } bombs[] = {{300, "lie", "bomb 300 MB, sizes understated"},
                 {250, "honest", "bomb 250 MB, sizes honest"}};
    for (const auto& b : bombs) {
        const QString bomb = dir.filePath(QStringLiteral("bomb%1.xlsx").arg(b.megabytes));
        runChild({python, QStringLiteral("-c"), QString::fromUtf8(kBombScript), bomb,
                  QString::number(b.megabytes), QString::fromLatin1(b.mode)});
        Measurement m = runChild({self, QStringLiteral("--read"), bomb});
        m.openMs = m.wallMs; // the whole child: spawn, read, refuse
        printRow(b.label, m);
    }
    return 0;
}
