#pragma once

#include <QStringList>

// The conversion tool on the command line, doing exactly what the dialog does
// (ConvertRunner) for every sub-folder of DATADIR. Progress and problems go to
// stdout, then the summary "完成：成功 N，跳过 N，失败 N". Exit 0 when every file
// succeeded, 1 when any failed or was skipped, 2 for a usage error.
//
//   tarvo-tools convert --to jpg|tif [--lzw] DATADIR   (--lzw: TIF pages LZW-coded)
//   tarvo-tools merge --to pdf|tif [--pdfa] DATADIR   (DATADIR/<folder>.pdf or .tif)
namespace ConvertCommand {

// arguments from the subcommand's name on.
int convert(const QStringList& arguments);
int merge(const QStringList& arguments);

} // namespace ConvertCommand
