#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

class QAction;
class QActionGroup;
class QFrame;
class QMenu;
class QPushButton;
class QToolBar;
class QToolButton;
class QWidget;

// The three rows above the image view: the quick-action row (save, undo,
// redo, page turning, margins), the image toolbar and the confirmation row of
// the two-step operations. Labels, icons and identifiers of the image
// operations come from OperationRegistry. Every entry that can take a shortcut
// carries "actionType", "actionName" and "actionCmd", is bound to its key from
// the shortcut table (by label) and is kept in registeredEntries().
// The rows only announce intents; the owner decides what they do, and keeps
// the image toolbar disabled while no page is shown.
class ImageToolbar : public QObject
{
    Q_OBJECT
public:
    // Widgets are created as children of parent; shortcuts maps a label to
    // a key sequence in portable text form (may be empty).
    explicit ImageToolbar(const QMap<QString, QString>& shortcuts, QWidget* parent);

    QFrame* quickRow() const { return m_quickRow; }
    QToolBar* toolBar() const { return m_toolBar; }
    QFrame* confirmRow() const { return m_confirmRow; }

    // Registered entries in registration order (the shortcut panel's list).
    const QList<QObject*>& registeredEntries() const { return m_registered; }
    // Gives entry the shortcut properties, binds its key by label and keeps it;
    // other panels register their buttons here too (the scan buttons).
    void registerEntry(QObject* entry, const QString& label, int actionCmd);
    // The registered entry with this "actionName", else null.
    QObject* entry(const QString& label) const;
    // 26, 27 or 53; null for any other identifier.
    QAction* rectangleAction(int optId) const;
    // The checked rectangle mode (26, 27 or 53), 0 when none is checked.
    int checkedRectangleMode() const;

    QToolButton* marginButton() const { return m_marginButton; }
    QPushButton* confirmButton() const { return m_confirmButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }
    QToolButton* saveButton() const { return m_saveButton; }
    QToolButton* undoButton() const { return m_undoButton; }
    QToolButton* redoButton() const { return m_redoButton; }

    // Undo needs an undo step, redo a redo step; save an undo step or
    // changes that are not on disk (undone back past a batch, a failed write).
    void setHistoryState(bool canUndo, bool canRedo, bool unsaved = false);
    // While a two-step operation waits for " 确认" or " 取消": the toolbar is
    // disabled and the confirmation row shown.
    void setTwoStepActive(bool active);

    static const char* const kConfirmStyle;

signals:
    // An operation that runs at once, without a value.
    void operationTriggered(int optId);
    void rectangleModeToggled(int optId, bool checked);
    // 12 arms the line gesture, 36 and 37 the rectangle gesture.
    void gestureArmed(int optId);
    void fourPointRequested();
    void regionCopyRequested();
    void pasteRequested();
    void confirmRequested();
    void cancelRequested();

    void saveRequested();
    void undoFolderRequested();
    void undoRequested();
    void redoRequested();
    void previousPageRequested();
    void nextPageRequested();
    void marginsToggled(bool checked);
    void marginSettingsRequested();

    void backgroundColourSettingsRequested();
    void groundColourRequested();
    void colourAdjustRequested();
    void colourSettingsRequested();
    void signPageNumberRequested();
    void batchPageNumbersRequested();
    void dpiRequested();
    void pageSizeRequested();

private:
    void buildQuickRow(QWidget* parent);
    void buildToolBar(QWidget* parent);
    void buildConfirmRow(QWidget* parent);

    QToolButton* quickButton(const QString& label, const QString& icon);
    QToolButton* barButton(const QString& label, const QString& icon);
    QToolButton* dropDown(const QString& label, const QString& icon, QMenu* menu);
    // An action for a registry operation: its label and icon.
    QAction* operationAction(int optId, QObject* parent);
    QAction* runningAction(int optId, QMenu* menu);
    void addRectangleMode(int optId);

    QMap<QString, QString> m_shortcuts;
    QList<QObject*> m_registered;
    QFrame* m_quickRow = nullptr;
    QToolBar* m_toolBar = nullptr;
    QFrame* m_confirmRow = nullptr;
    QActionGroup* m_rectangleModes = nullptr;
    QMap<int, QAction*> m_rectangleActions;
    QToolButton* m_saveButton = nullptr;
    QToolButton* m_undoButton = nullptr;
    QToolButton* m_redoButton = nullptr;
    QToolButton* m_marginButton = nullptr;
    QPushButton* m_confirmButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};
