#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

class QStandardItemModel;

namespace Ui {
class FolderCreatorDlg;
}

// Creates a run of numbered sub-folders (prefix + code + suffix) in one folder,
// with the names listed as they are typed. Every name is checked before the
// first folder is made; folders that exist already are left alone and named
// in a message afterwards, as are folders that could not be made.
class FolderCreatorDlg : public QDialog
{
    Q_OBJECT
public:
    // Shows a box (title, text); the tests answer it without a window.
    using Inform = std::function<void(const QString& title, const QString& text)>;

    explicit FolderCreatorDlg(const QString& folder, QWidget* parent = nullptr);
    ~FolderCreatorDlg() override;

    void setInform(Inform inform) { m_inform = std::move(inform); }
    // The names listed now, in order.
    QStringList names() const;
    // The folders the last confirm made, full paths.
    const QStringList& created() const { return m_created; }

public slots:
    void on_btn_confirm_clicked();
    void on_btn_cancel_clicked();

private:
    void updatePreview();

    Ui::FolderCreatorDlg* ui;
    QStandardItemModel* m_names;
    QString m_folder;
    QStringList m_created;
    Inform m_inform;
};
