#pragma once

#include "ConvertRunner.h"
#include "ConvertSummary.h"

#include <QDialog>
#include <QMap>
#include <QStringList>

class QStandardItemModel;

namespace Ui {
class ImageConvertDlg;
}

// "影像转换工具": loads a data directory, lists its sub-folders with their image
// counts, and converts or merges them (ConvertRunner) behind the waiting dialog.
class ImageConvertDlg : public QDialog
{
    Q_OBJECT
public:
    explicit ImageConvertDlg(QWidget* parent = nullptr);
    ~ImageConvertDlg() override;

    QString rootDir() const { return m_rootDir; }
    // Sets the data directory and lists it, as choosing it in the chooser does.
    void setRootDir(const QString& root);
    void loadFolders();
    const QMap<QString, QStringList>& folderImages() const { return m_folderImages; }
    // What the last operation did; empty before the first.
    const ConvertSummary& lastSummary() const { return m_summary; }

private slots:
    void on_btn_loadFolder_clicked();
    void on_btn_convert2jpg_clicked();
    void on_btn_convert2tif_clicked();
    void on_btn_merge2tif_clicked();
    void on_btn_merge2pdf_clicked();
    void on_btn_merge2pdf2_clicked();

private:
    void runOperation(ConvertRunner::Operation operation, const QString& finishText);

    Ui::ImageConvertDlg* ui;
    QStandardItemModel* m_model;
    QString m_rootDir;
    QMap<QString, QStringList> m_folderImages;
    ConvertSummary m_summary;
};
