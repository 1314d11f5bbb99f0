#include "QcPanel.h"

#include "CommonDialogs.h"
#include "EntryImportDlg.h"
#include "ItemRecordExport.h"

#include <QAbstractButton>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLayoutItem>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QSpacerItem>

namespace {

QcPanel::SaveHook& saveHook()
{
    static QcPanel::SaveHook hook;
    return hook;
}

QString lineBreak()
{
    return QStringLiteral("\r\n");
}

} // namespace

QcPanel::QcPanel(const Widgets& widgets, QObject* parent) : QObject(parent), m_w(widgets)
{
    connect(m_w.messages, &QAbstractButton::clicked, this, &QcPanel::showMessages);
}

void QcPanel::setSaveHook(SaveHook hook)
{
    saveHook() = std::move(hook);
}

bool QcPanel::mayDiscardEdits() const
{
    return !m_modified ||
           showQuestion(QStringLiteral("提示"),
                        QStringLiteral("质检条目已修改但未导出，是否继续？")) == QMessageBox::Ok;
}

bool QcPanel::importEntries()
{
    if (!mayDiscardEdits())
        return false;
    EntryImportDlg dialog(m_w.window);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    m_dataDir = dialog.dataDir();
    m_sourceBook = dialog.workbookPath();
    m_headers = dialog.headerNames();
    m_records.clear();
    const QHash<QString, ItemRecord>& items = dialog.itemsByArchiveNo();
    for (auto it = items.cbegin(); it != items.cend(); ++it)
        m_records.insert(it.key(), it.value());
    m_matchErrors = dialog.matchErrors();
    m_modified = false;
    buildEditors();
    m_w.messages->setToolTip(m_matchErrors.join(lineBreak()));
    return true;
}

void QcPanel::buildEditors()
{
    while (QLayoutItem* item = m_w.grid->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    m_editors.clear();
    QWidget* host = m_w.grid->parentWidget();
    for (int i = 0; i < m_headers.size(); ++i) {
        const QString& header = m_headers.at(i);
        m_w.grid->addWidget(new QLabel(header, host), i, 0);
        auto* edit = new QLineEdit(host);
        edit->setObjectName(header);
        connect(edit, &QLineEdit::textEdited, this, &QcPanel::fieldEdited);
        m_w.grid->addWidget(edit, i, 1);
        // A header heading two columns edits the later, as lookups by text do.
        m_editors.insert(header, edit);
    }
    m_w.grid->addItem(new QSpacerItem(0, 80, QSizePolicy::Minimum, QSizePolicy::Expanding),
                      m_headers.size(), 0);
}

void QcPanel::showEntryInfo(const QString& folderPath)
{
    m_shownName = QFileInfo(folderPath).fileName();
    qDebug().noquote() << folderPath << m_shownName;
    const auto found = m_records.constFind(m_shownName);
    if (found == m_records.constEnd()) {
        for (QLineEdit* edit : qAsConst(m_editors))
            edit->clear();
        m_w.scroll->setEnabled(false);
        return;
    }
    m_w.scroll->setEnabled(true);
    qDebug().noquote() << "show entryInfo :" << found->describe();
    for (const QString& header : found->headers()) {
        if (QLineEdit* edit = m_editors.value(header))
            edit->setText(found->text(header));
    }
}

void QcPanel::fieldEdited(const QString& text)
{
    auto* edit = qobject_cast<QLineEdit*>(sender());
    if (!edit) {
        qDebug() << "edit is null";
        return;
    }
    auto found = m_records.find(m_shownName);
    if (found == m_records.end()) {
        ItemRecord record;
        record.setArchiveNo(m_shownName);
        found = m_records.insert(m_shownName, record);
    }
    found->setText(edit->objectName(), text);
    m_modified = true;
}

void QcPanel::showMessages()
{
    auto* window = new QPlainTextEdit;
    window->setObjectName(QStringLiteral("qcMessages"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setReadOnly(true);
    window->setPlainText(m_matchErrors.join(lineBreak()));
    window->resize(600, 400);
    window->show();
}

void QcPanel::exportEntries()
{
    const QString caption = QStringLiteral("保存文件");
    const QString filter = QStringLiteral("(*.xlsx)");
    QString path =
        saveHook() ? saveHook()(m_w.window, caption, QDir::homePath(), filter)
                   : QFileDialog::getSaveFileName(m_w.window, caption, QDir::homePath(), filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".xlsx");
    qDebug().noquote() << "MainWindow::on_btn_qc_export_clicked" << path;
    // Overwriting the list would lose the rows the check never read.
    if (!m_sourceBook.isEmpty() && ItemRecordExport::sameFile(path, m_sourceBook)) {
        showMessage(QStringLiteral("提示"),
                    QStringLiteral("不能导出到导入的条目excel，请另选文件：%1").arg(path),
                    QMessageBox::Warning);
        return;
    }
    QString reason;
    if (!writeWorkbook(path, &reason)) {
        qWarning().noquote() << "export failed:" << path << reason;
        showToast(QStringLiteral("导出失败"), QColor(QStringLiteral("#FF0000")),
                  QColor(QStringLiteral("#FFFFFF")));
        return;
    }
    m_modified = false;
    showToast(QStringLiteral("导出完成：") + path, QColor(QStringLiteral("#0000FF")),
              QColor(QStringLiteral("#FFFFFF")));
}

bool QcPanel::writeWorkbook(const QString& path, QString* reason) const
{
    return ItemRecordExport::write(path, m_headers, m_records.values(), reason);
}
