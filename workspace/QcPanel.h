#pragma once

#include "ItemRecord.h"

#include <QHash>
#include <QMap>
#include <QObject>
#include <QStringList>
#include <functional>

class QAbstractButton;
class QGridLayout;
class QLineEdit;
class QScrollArea;
class QWidget;

// The main window's quality-check tab: the records taken over from the entry
// import, one editor per column for the item of the selected folder, the match
// errors and the export of the corrected list.
class QcPanel : public QObject
{
    Q_OBJECT
public:
    struct Widgets
    {
        QWidget* window = nullptr; // parent of the dialogs
        QScrollArea* scroll = nullptr;
        QGridLayout* grid = nullptr;
        QAbstractButton* messages = nullptr;
    };
    // Asks for the export file; "" when cancelled.
    using SaveHook = std::function<QString(QWidget* parent, const QString& caption,
                                           const QString& folder, const QString& filter)>;

    explicit QcPanel(const Widgets& widgets, QObject* parent = nullptr);

    // Replaces the save dialog; an empty hook puts it back.
    static void setSaveHook(SaveHook hook);

    // Runs the entry import; true when it was accepted and its records shown.
    // Edits not yet exported are given up only when the operator agrees.
    // True when nothing unexported is lost, or the operator agrees to lose it.
    bool mayDiscardEdits() const;
    bool importEntries();
    void exportEntries();
    // The editors for the item whose folder this is, or empty and disabled.
    void showEntryInfo(const QString& folderPath);
    // A window of its own with the match errors.
    void showMessages();

    QString dataDir() const { return m_dataDir; }
    const QStringList& headers() const { return m_headers; }
    const QMap<QString, ItemRecord>& records() const { return m_records; }
    const QStringList& matchErrors() const { return m_matchErrors; }
    bool isModified() const { return m_modified; }

private slots:
    void fieldEdited(const QString& text);

private:
    void buildEditors();
    bool writeWorkbook(const QString& path, QString* reason) const;

    Widgets m_w;
    QString m_dataDir;
    QString m_sourceBook; // the imported list: never the export target
    QStringList m_headers;
    QMap<QString, ItemRecord> m_records; // by archive number, in export order
    QStringList m_matchErrors;
    QHash<QString, QLineEdit*> m_editors;
    QString m_shownName; // the selected folder's name
    bool m_modified = false;
};
