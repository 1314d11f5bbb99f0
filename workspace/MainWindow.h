#pragma once

#include <QMainWindow>

// The workstation's one window. For now only the shell; the panels come with the workspace.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
};
