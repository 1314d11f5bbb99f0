#pragma once

#include "BatchRenamePlan.h"

#include <QDialog>
#include <functional>

class QStandardItemModel;

namespace Ui {
class FileBatchRenameDlg;
}

// Renumbers files or sub-folders of one folder: prefix, running code, suffix.
// The preview follows every change of the parameters; confirming checks the
// rows and renames them all as one change, or tells why not and stays open.
class FileBatchRenameDlg : public QDialog
{
    Q_OBJECT
public:
    // Carries out checked rows; the window wraps it so the open page follows.
    using Runner = std::function<BatchRenamePlan::Outcome(const QVector<RenameRow>&)>;

    // mode: 1 files, 2 folders.
    FileBatchRenameDlg(const QString& dir, const QStringList& names, int mode,
                       QWidget* parent = nullptr);
    ~FileBatchRenameDlg() override;

    void setRunner(Runner runner) { m_runner = std::move(runner); }
    void setDataRoot(const QString& root) { m_dataRoot = root; }
    const QVector<RenameRow>& rows() const { return m_rows; }

private slots:
    void on_btn_confirm_clicked();
    void on_btn_cancel_clicked();
    void updatePreview();

private:
    Ui::FileBatchRenameDlg* ui;
    QStandardItemModel* m_table;
    QString m_dir;
    QStringList m_names;
    BatchRenamePlan::Mode m_mode;
    QString m_dataRoot;
    QVector<RenameRow> m_rows;
    Runner m_runner;
};
