#pragma once

#include <QDialog>

namespace Ui {
class AboutDlg;
}

// The Help menu's "关于我们": the product and its version, the library versions
// this build runs with, and where it keeps its settings, log and pages, so an
// operator can report a fault with the facts a maintainer asks for first.
class AboutDlg : public QDialog
{
    Q_OBJECT
public:
    explicit AboutDlg(const QString& version, QWidget* parent = nullptr);
    ~AboutDlg() override;

private:
    Ui::AboutDlg* ui;
};
