#pragma once

#include "DirStat.h"
#include "StatsTotals.h"

#include <QDialog>

class QModelIndex;
class QStandardItemModel;

namespace Ui {
class StatisticsDlg;
}

// "统计工具": counts the pages under a directory tree by paper format
// (StatsScanner, behind the waiting dialog), shows them as a directory tree
// with a file table, and exports the tree to a workbook.
class StatisticsDlg : public QDialog
{
    Q_OBJECT
public:
    explicit StatisticsDlg(QWidget* parent = nullptr);
    ~StatisticsDlg() override;

    // Runs the count on `edit_path`, as the "统计" button does.
    void runStatistics();
    // Writes the last count to `path`; false (with a red notice) when there is
    // none yet or the file could not be written.
    bool exportTo(const QString& path);

    bool hasResult() const { return m_scanned; }
    const DirStat& root() const { return m_root; }
    const StatsTotals& totals() const { return m_totals; }
    // The last notice shown, for the tests.
    QString lastNotice() const { return m_lastNotice; }

private slots:
    void on_btn_path_clicked();
    void on_btn_statistics_clicked();
    void on_treeView_folder_clicked(const QModelIndex& index);
    void on_btn_export_clicked();

private:
    void showReference(int row);
    void rebuildTree();
    void showSummary();
    bool inGigabytes() const;
    void notify(const QString& text, bool failed);

    Ui::StatisticsDlg* ui;
    QStandardItemModel* m_folders;
    QStandardItemModel* m_files;
    DirStat m_root;
    StatsTotals m_totals;
    bool m_scanned = false;
    QString m_lastNotice;
};
