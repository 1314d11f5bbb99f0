#pragma once

#include "ConvertSummary.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

// The conversion tool's work without widgets, shared by ImageConvertDlg and
// "tarvo-tools convert|merge": every sub-folder of a data directory converted
// to JPG or TIF in place, or merged into one multi-page TIF or PDF beside it.
// Errors are per file; the run goes on and counts them. Cancelling stops after
// the file (or merged folder) in hand.
class ConvertRunner
{
public:
    enum class Operation
    {
        ToJpg,
        ToTif,
        MergeTif,
        MergePdf,
    };
    struct Hooks
    {
        std::function<void(const QString&)> progress; // "处理中：<folder>"
        std::function<void(const QString&)> problem;  // a skipped or failed file and why
        std::function<bool()> cancelled;
    };

    // folders: as FolderImages::load(root) gives them.
    ConvertRunner(const QString& root, const QMap<QString, QStringList>& folders);

    void setPdfa(bool pdfa) { m_pdfa = pdfa; }
    // Files converted to TIF LZW-coded instead of uncompressed (merges always are).
    void setTiffLzw(bool lzw) { m_tiffLzw = lzw; }
    ConvertSummary run(Operation operation, const Hooks& hooks) const;

    // "convert2jpg", "convert2tif", "merge2tif", "merge2pdf".
    static QString name(Operation operation);
    // "<root>/<folder>.tif" or ".pdf".
    static QString mergedPath(const QString& root, const QString& folder, Operation operation);

private:
    void convertFolder(const QString& folder, const QStringList& names, Operation operation,
                       const Hooks& hooks, ConvertSummary& summary) const;
    void mergeFolder(const QString& folder, const QStringList& names, Operation operation,
                     const Hooks& hooks, ConvertSummary& summary) const;

    QString m_root;
    QMap<QString, QStringList> m_folders;
    bool m_pdfa = false;
    bool m_tiffLzw = false;
};
