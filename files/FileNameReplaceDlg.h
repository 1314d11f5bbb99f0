#pragma once

#include "BatchRenamePlan.h"

#include <QDialog>
#include <functional>

class QStandardItemModel;

namespace Ui {
class FileNameReplaceDlg;
}

// Find and replace in the file names of one folder. The preview lists the names
// holding the find text; confirming renames them as one change when both texts
// are given, or tells why not and stays open.
class FileNameReplaceDlg : public QDialog
{
    Q_OBJECT
public:
    using Runner = std::function<BatchRenamePlan::Outcome(const QVector<RenameRow>&)>;

    FileNameReplaceDlg(const QString& dir, const QStringList& names, QWidget* parent = nullptr);
    ~FileNameReplaceDlg() override;

    void setRunner(Runner runner) { m_runner = std::move(runner); }
    void setDataRoot(const QString& root) { m_dataRoot = root; }
    const QVector<RenameRow>& rows() const { return m_rows; }

private slots:
    void on_btn_confirm_clicked();
    void on_btn_cancel_clicked();
    void updatePreview();

private:
    Ui::FileNameReplaceDlg* ui;
    QStandardItemModel* m_table;
    QString m_dir;
    QStringList m_names;
    QString m_dataRoot;
    QVector<RenameRow> m_rows;
    Runner m_runner;
};
