#pragma once

#include "stPageNoInfo.h"

#include <QDialog>
#include <QVariant>

namespace Ui {
class PageNoAreaSetDlg;
}

// Where the page number goes, its font and its text. Single mode (1) edits the
// one number signed on the current page; batch mode (2) the numbering of a
// whole folder. Every edit is announced so the view can preview it; "确定"
// stores the record as the page-number settings.
class PageNoAreaSetDlg : public QDialog
{
    Q_OBJECT

public:
    enum Mode
    {
        SingleMode = 1,
        BatchMode = 2,
    };
    enum FontProperty
    {
        FontFamily = 1, // QString
        FontSize = 2,   // int
        FontBold = 3,   // bool from here on
        FontItalic = 4,
        FontUnderline = 5,
        FontStrikeOut = 6,
    };

    // 42 gives single mode, 43 batch mode.
    static int modeFor(int operationId) { return operationId - 41; }
    // The six areas, in the order the combo box lists them.
    static QStringList areas();

    // Opens with the process-wide page-number record.
    explicit PageNoAreaSetDlg(int mode, QWidget* parent = nullptr);
    ~PageNoAreaSetDlg() override;

    int mode() const { return m_mode; }
    void setPageNoInfo(const stPageNoInfo& info);
    stPageNoInfo pageNoInfo() const;
    // The number text as it would be shown: prefix, number, suffix.
    QString numberText() const;

signals:
    void sigPosChanged(const QString& area, int marginH, int marginV);
    void sigFontChanged(int type, const QVariant& value);
    void sigFormatChanged(const QString& strNo);

private slots:
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();

private:
    void connectFields();
    void renameMarginLabels(const QString& area);
    void emitPosition();
    void emitFormat();

    Ui::PageNoAreaSetDlg* ui;
    int m_mode;
    QString m_fontFamily; // the record's family until the operator picks one
};
