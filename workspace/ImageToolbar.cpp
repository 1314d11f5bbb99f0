#include "ImageToolbar.h"

#include "BatchActionList.h"
#include "OperationId.h"
#include "OperationRegistry.h"
#include "ShortcutBinding.h"

#include <QAction>
#include <QActionGroup>
#include <QDebug>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

namespace {

constexpr int kToolIcon = 26;
constexpr int kMarginIcon = 28;
constexpr int kConfirmIcon = 24;
constexpr int kConfirmRowHeight = 50;
constexpr int kConfirmTailWidth = 30;

QLabel* expandingLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    return label;
}

const OperationInfo& info(int optId)
{
    static const OperationInfo unknown;
    const OperationInfo* found = OperationRegistry::byId(optId);
    return found ? *found : unknown;
}

} // namespace

const char* const ImageToolbar::kConfirmStyle =
    "QPushButton {font-size: 18px;font-weight: 400;height: 40px;padding-left: 8px;"
    "padding-right: 8px;background: rgba(245, 249, 255, 1);color: black;border-radius: 4px;"
    "border: 1px solid rgba(137, 150, 171, 1);}";

ImageToolbar::ImageToolbar(const QMap<QString, QString>& shortcuts, QWidget* parent)
    : QObject(parent), m_shortcuts(shortcuts)
{
    buildQuickRow(parent);
    buildToolBar(parent);
    buildConfirmRow(parent);
    // Operation 203 has no toolbar entry; its hidden action still carries it
    // into the batch list and the shortcut panel.
    QAction* areaClear = BatchActionList::areaClearAction(this);
    registerEntry(areaClear, areaClear->property("actionName").toString(), IMG_OPT_AREA_CLEAR);
}

QToolButton* ImageToolbar::quickButton(const QString& label, const QString& icon)
{
    auto* button = new QToolButton(m_quickRow);
    button->setIcon(QIcon(icon));
    button->setToolTip(label);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_quickRow->layout()->addWidget(button);
    return button;
}

void ImageToolbar::buildQuickRow(QWidget* parent)
{
    m_quickRow = new QFrame(parent);
    m_quickRow->setObjectName(QStringLiteral("frame_quick"));
    auto* layout = new QHBoxLayout(m_quickRow);
    layout->setContentsMargins(4, 2, 4, 2);

    m_saveButton = quickButton(QStringLiteral("保存"), QStringLiteral(":/images/save.png"));
    registerEntry(m_saveButton, QStringLiteral("保存"), CMD_SAVE);
    connect(m_saveButton, &QToolButton::clicked, this, &ImageToolbar::saveRequested);
    layout->addWidget(expandingLabel(m_quickRow));

    QToolButton* undoFolder =
        quickButton(QStringLiteral("一键撤销"), QStringLiteral(":/images/undo_quick.png"));
    connect(undoFolder, &QToolButton::clicked, this, &ImageToolbar::undoFolderRequested);
    m_undoButton = quickButton(QStringLiteral("撤销"), QStringLiteral(":/images/undo.png"));
    registerEntry(m_undoButton, QStringLiteral("撤销"), CMD_UNDO);
    connect(m_undoButton, &QToolButton::clicked, this, &ImageToolbar::undoRequested);
    m_redoButton = quickButton(QStringLiteral("回退"), QStringLiteral(":/images/redo.png"));
    registerEntry(m_redoButton, QStringLiteral("回退"), CMD_REDO);
    connect(m_redoButton, &QToolButton::clicked, this, &ImageToolbar::redoRequested);
    QToolButton* previous =
        quickButton(QStringLiteral("上一页"), QStringLiteral(":/images/page_pre.ico"));
    registerEntry(previous, QStringLiteral("上一页"), CMD_PREVIOUS_PAGE);
    connect(previous, &QToolButton::clicked, this, &ImageToolbar::previousPageRequested);
    QToolButton* next =
        quickButton(QStringLiteral("下一页"), QStringLiteral(":/images/page_next.ico"));
    registerEntry(next, QStringLiteral("下一页"), CMD_NEXT_PAGE);
    connect(next, &QToolButton::clicked, this, &ImageToolbar::nextPageRequested);

    m_marginButton =
        quickButton(QStringLiteral("显示页边距"), QStringLiteral(":/images/page_margin.png"));
    m_marginButton->setIconSize(QSize(kMarginIcon, kMarginIcon));
    m_marginButton->setCheckable(true);
    auto* marginMenu = new QMenu(m_marginButton);
    connect(marginMenu->addAction(QStringLiteral("页边距设置")), &QAction::triggered, this,
            &ImageToolbar::marginSettingsRequested);
    m_marginButton->setMenu(marginMenu);
    m_marginButton->setPopupMode(QToolButton::MenuButtonPopup);
    connect(m_marginButton, &QToolButton::clicked, this, &ImageToolbar::marginsToggled);
    layout->addWidget(expandingLabel(m_quickRow));
    setHistoryState(false, false);
}

QAction* ImageToolbar::operationAction(int optId, QObject* parent)
{
    const OperationInfo& op = info(optId);
    return new QAction(QIcon(op.icon), op.label, parent);
}

QAction* ImageToolbar::runningAction(int optId, QMenu* menu)
{
    QAction* action = operationAction(optId, menu);
    menu->addAction(action);
    registerEntry(action, action->text(), optId);
    connect(action, &QAction::triggered, this, [this, optId]() { emit operationTriggered(optId); });
    return action;
}

QToolButton* ImageToolbar::barButton(const QString& label, const QString& icon)
{
    auto* button = new QToolButton(m_toolBar);
    button->setText(label);
    button->setIcon(QIcon(icon));
    button->setIconSize(QSize(kToolIcon, kToolIcon));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setMouseTracking(true);
    m_toolBar->addWidget(button);
    return button;
}

QToolButton* ImageToolbar::dropDown(const QString& label, const QString& icon, QMenu* menu)
{
    QToolButton* button = barButton(label, icon);
    button->setMenu(menu);
    button->setPopupMode(QToolButton::InstantPopup);
    return button;
}

void ImageToolbar::addRectangleMode(int optId)
{
    QAction* action = operationAction(optId, m_toolBar);
    action->setCheckable(true);
    action->setActionGroup(m_rectangleModes);
    m_toolBar->addAction(action);
    m_rectangleActions.insert(optId, action);
    registerEntry(action, action->text(), optId);
    connect(action, &QAction::toggled, this,
            [this, optId](bool checked) { emit rectangleModeToggled(optId, checked); });
}

void ImageToolbar::buildToolBar(QWidget* parent)
{
    m_toolBar = new QToolBar(parent);
    m_toolBar->setObjectName(QStringLiteral("toolBar_image"));
    m_toolBar->setOrientation(Qt::Horizontal);
    m_toolBar->setMovable(true);
    m_toolBar->setFloatable(true);
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolBar->setIconSize(QSize(kToolIcon, kToolIcon));
    m_toolBar->setMouseTracking(true);

    // At most one rectangle mode is checked; unchecking the checked one is allowed.
    m_rectangleModes = new QActionGroup(this);
    m_rectangleModes->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    addRectangleMode(IMG_OPT_CLEAR_INSIDE);
    addRectangleMode(IMG_OPT_CLEAR_OUTSIDE);

    auto* rotate = new QMenu(m_toolBar);
    for (int id : {IMG_OPT_ROTATE_LEFT, IMG_OPT_ROTATE_RIGHT, IMG_OPT_ROTATE_180})
        runningAction(id, rotate);
    dropDown(QStringLiteral(" 旋转 "), QStringLiteral(":/images/image_rotate.png"), rotate);

    auto* slope = new QMenu(m_toolBar);
    runningAction(IMG_OPT_SLOPE_AUTO, slope);
    QAction* line = operationAction(IMG_OPT_SLOPE_LINE, slope);
    slope->addAction(line);
    registerEntry(line, line->text(), IMG_OPT_SLOPE_LINE);
    connect(line, &QAction::triggered, this, [this]() { emit gestureArmed(IMG_OPT_SLOPE_LINE); });
    runningAction(IMG_OPT_SLOPE_LEFT, slope);
    runningAction(IMG_OPT_SLOPE_RIGHT, slope);
    dropDown(QStringLiteral(" 纠斜 "), QStringLiteral(":/images/image_slope.png"), slope);

    auto* flip = new QMenu(m_toolBar);
    runningAction(IMG_OPT_FLIP_HORIZONTAL, flip);
    runningAction(IMG_OPT_FLIP_VERTICAL, flip);
    dropDown(QStringLiteral(" 翻转 "), QStringLiteral(":/images/image_flip.png"), flip);

    auto* correct = new QMenu(m_toolBar);
    QAction* autoCorrect = operationAction(IMG_OPT_CORRECT_AUTO, correct);
    correct->addAction(autoCorrect);
    // Carries the background-clearing number on purpose: shortcuts find entries
    // by label, so the shared number never mixes the two up.
    registerEntry(autoCorrect, autoCorrect->text(), IMG_OPT_BG_CLEAR);
    connect(autoCorrect, &QAction::triggered, this,
            [this]() { emit operationTriggered(IMG_OPT_CORRECT_AUTO); });
    QAction* fourPoint = operationAction(IMG_OPT_CORRECT_DOT, correct);
    correct->addAction(fourPoint);
    connect(fourPoint, &QAction::triggered, this, &ImageToolbar::fourPointRequested);
    dropDown(QStringLiteral(" 校正 "), QStringLiteral(":/images/image_correct.png"), correct);

    QAction* bgClear = operationAction(IMG_OPT_BG_CLEAR, m_toolBar);
    auto* bgMenu = new QMenu(m_toolBar);
    connect(bgMenu->addAction(QIcon(QStringLiteral(":/images/image_bg_set.png")),
                              QStringLiteral("背景色设置")),
            &QAction::triggered, this, &ImageToolbar::backgroundColourSettingsRequested);
    bgClear->setMenu(bgMenu);
    m_toolBar->addAction(bgClear);
    registerEntry(bgClear, bgClear->text(), IMG_OPT_BG_CLEAR);
    connect(bgClear, &QAction::triggered, this,
            [this]() { emit operationTriggered(IMG_OPT_BG_CLEAR); });

    auto* content = new QMenu(m_toolBar);
    runningAction(IMG_OPT_CONTENT_LIGHT, content);
    runningAction(IMG_OPT_CONTENT_DEEP, content);
    QToolButton* deepen =
        barButton(QStringLiteral("文本加深"), QStringLiteral(":/images/image_font.png"));
    deepen->setMenu(content);
    deepen->setPopupMode(QToolButton::MenuButtonPopup);
    connect(deepen, &QToolButton::clicked, this,
            [this]() { emit operationTriggered(IMG_OPT_CONTENT_DEEP); });

    auto* seal = new QMenu(m_toolBar);
    for (int id : {IMG_OPT_SEAL_RED, IMG_OPT_SEAL_BLUE}) {
        QAction* action = operationAction(id, seal);
        seal->addAction(action);
        registerEntry(action, action->text(), id);
        connect(action, &QAction::triggered, this, [this, id]() { emit gestureArmed(id); });
    }
    dropDown(QStringLiteral("印章加深"), QStringLiteral(":/images/image_signet.png"), seal);

    const OperationInfo& colour = info(IMG_OPT_COLOUR_ADJUST);
    QToolButton* adjust = barButton(colour.label, colour.icon);
    auto* colourMenu = new QMenu(adjust);
    connect(colourMenu->addAction(QIcon(QStringLiteral(":/images/colour_set.png")),
                                  QStringLiteral("色彩参数设置")),
            &QAction::triggered, this, &ImageToolbar::colourSettingsRequested);
    adjust->setMenu(colourMenu);
    adjust->setPopupMode(QToolButton::MenuButtonPopup);
    registerEntry(adjust, colour.label, IMG_OPT_COLOUR_ADJUST);
    connect(adjust, &QToolButton::clicked, this, &ImageToolbar::colourAdjustRequested);

    const OperationInfo& binary = info(IMG_OPT_BINARY);
    QToolButton* blackWhite = barButton(binary.label, binary.icon);
    registerEntry(blackWhite, binary.label, IMG_OPT_BINARY);
    connect(blackWhite, &QToolButton::clicked, this,
            [this]() { emit operationTriggered(IMG_OPT_BINARY); });

    const OperationInfo& ground = info(IMG_OPT_BGCOLOR_ADJUST);
    QToolButton* groundColour = barButton(ground.label, ground.icon);
    groundColour->setCheckable(true);
    registerEntry(groundColour, ground.label, IMG_OPT_BGCOLOR_ADJUST);
    connect(groundColour, &QToolButton::clicked, this, [this, groundColour]() {
        // The chooser is a one-off dialog; the button must not stay down.
        groundColour->setChecked(false);
        emit groundColourRequested();
    });

    addRectangleMode(IMG_OPT_CROP);
    QAction* crop = m_rectangleActions.value(IMG_OPT_CROP);
    crop->setToolTip(crop->text());
    crop->setProperty("optId", 1);

    const QString batchLabel = QStringLiteral("批量添加页码");
    const OperationInfo* batch = OperationRegistry::byLabel(batchLabel);
    QToolButton* sign = barButton(QStringLiteral("签注页码"), info(IMG_OPT_SIGN_PAGENO).icon);
    sign->setToolTip(sign->text());
    auto* signMenu = new QMenu(sign);
    QAction* batchNumbers = signMenu->addAction(QIcon(batch->icon), batchLabel);
    registerEntry(batchNumbers, batchLabel, batch->id);
    connect(batchNumbers, &QAction::triggered, this, &ImageToolbar::batchPageNumbersRequested);
    sign->setMenu(signMenu);
    sign->setPopupMode(QToolButton::MenuButtonPopup);
    connect(sign, &QToolButton::clicked, this, &ImageToolbar::signPageNumberRequested);

    QAction* noise = m_toolBar->addAction(QIcon(QStringLiteral(":/images/image_dots.png")),
                                          QStringLiteral("清除噪点"));
    noise->setEnabled(false);

    QAction* dpi = operationAction(IMG_OPT_DPI, m_toolBar);
    m_toolBar->addAction(dpi);
    registerEntry(dpi, dpi->text(), IMG_OPT_DPI);
    connect(dpi, &QAction::triggered, this, &ImageToolbar::dpiRequested);
    QAction* pageSize = operationAction(IMG_OPT_PAGESIZE, m_toolBar);
    m_toolBar->addAction(pageSize);
    registerEntry(pageSize, pageSize->text(), IMG_OPT_PAGESIZE);
    connect(pageSize, &QAction::triggered, this, &ImageToolbar::pageSizeRequested);

    m_toolBar->addSeparator();
    QAction* copy = operationAction(IMG_OPT_ROI_COPY, m_toolBar);
    m_toolBar->addAction(copy);
    connect(copy, &QAction::triggered, this, &ImageToolbar::regionCopyRequested);
    QAction* paste = operationAction(IMG_OPT_ROI_PASTE, m_toolBar);
    m_toolBar->addAction(paste);
    connect(paste, &QAction::triggered, this, &ImageToolbar::pasteRequested);
}

void ImageToolbar::buildConfirmRow(QWidget* parent)
{
    m_confirmRow = new QFrame(parent);
    m_confirmRow->setObjectName(QStringLiteral("frame_confirm"));
    m_confirmRow->setFixedHeight(kConfirmRowHeight);
    auto* layout = new QHBoxLayout(m_confirmRow);
    layout->addWidget(expandingLabel(m_confirmRow));
    auto makeButton = [this, layout](const QString& text, const QString& icon) {
        auto* button = new QPushButton(QIcon(icon), text, m_confirmRow);
        button->setIconSize(QSize(kConfirmIcon, kConfirmIcon));
        button->setStyleSheet(QString::fromLatin1(kConfirmStyle));
        layout->addWidget(button);
        return button;
    };
    m_cancelButton = makeButton(QStringLiteral(" 取消"), QStringLiteral(":/images/ico_cancel.png"));
    m_confirmButton = makeButton(QStringLiteral(" 确认"), QStringLiteral(":/images/ico_ok.png"));
    auto* tail = new QLabel(m_confirmRow);
    tail->setFixedWidth(kConfirmTailWidth);
    layout->addWidget(tail);
    connect(m_cancelButton, &QPushButton::clicked, this, &ImageToolbar::cancelRequested);
    connect(m_confirmButton, &QPushButton::clicked, this, &ImageToolbar::confirmRequested);
    m_confirmRow->hide();
}

void ImageToolbar::registerEntry(QObject* entry, const QString& label, int actionCmd)
{
    const QString type = QString::fromLatin1(entry->metaObject()->className());
    entry->setProperty("actionType", type);
    entry->setProperty("actionName", label);
    entry->setProperty("actionCmd", actionCmd);
    const auto key = m_shortcuts.constFind(label);
    if (key != m_shortcuts.constEnd() && ShortcutBinding::canFire(entry)) {
        const QKeySequence sequence(key.value(), QKeySequence::PortableText);
        // Qt fires neither of two entries on one key: the first registered keeps it.
        if (QObject* holder = ShortcutBinding::holderOf(m_registered, sequence)) {
            qWarning().noquote() << "shortcut" << key.value() << "of" << label << "already used by"
                                 << holder->property("actionName").toString();
        } else {
            ShortcutBinding::bind(entry, sequence);
        }
    }
    m_registered.append(entry);
}

QObject* ImageToolbar::entry(const QString& label) const
{
    for (QObject* registered : m_registered) {
        if (registered->property("actionName").toString() == label)
            return registered;
    }
    return nullptr;
}

QAction* ImageToolbar::rectangleAction(int optId) const
{
    return m_rectangleActions.value(optId, nullptr);
}

int ImageToolbar::checkedRectangleMode() const
{
    for (int id : {IMG_OPT_CLEAR_INSIDE, IMG_OPT_CLEAR_OUTSIDE, IMG_OPT_CROP}) {
        if (m_rectangleActions.value(id)->isChecked())
            return id;
    }
    return 0;
}

void ImageToolbar::setHistoryState(bool canUndo, bool canRedo, bool unsaved)
{
    m_saveButton->setEnabled(canUndo || unsaved);
    m_undoButton->setEnabled(canUndo);
    m_redoButton->setEnabled(canRedo);
}

void ImageToolbar::setTwoStepActive(bool active)
{
    m_toolBar->setEnabled(!active);
    m_confirmRow->setVisible(active);
}
