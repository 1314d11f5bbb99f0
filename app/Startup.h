#pragma once

class QApplication;

// Start-up steps that run before the log handler is installed.

// Installs Qt's own Simplified Chinese catalogue for the standard widgets and dialogs.
// On failure warns "translator err" and leaves Qt's English texts. Returns success.
bool installTranslator(QApplication& app);

// Applies the compiled-in application style sheet; without it the program simply runs
// unstyled. Returns whether a style sheet was applied.
bool installStyleSheet(QApplication& app);
