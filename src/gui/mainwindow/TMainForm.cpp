// SPDX-License-Identifier: MIT
#include "gui/mainwindow/TMainForm.h"

#include "core/Autostart.h"
#include "core/QuoteCommand.h"
#include "gui/BufferLineModel.h"
#include "gui/CommandScope.h"
#include "gui/DesktopSession.h"
#include "gui/ErrorBox.h"
#include "gui/Fonts.h"
#include "gui/GlobalShortcut.h"
#include "gui/Handlers.h"
#include "gui/ProgramIcon.h"
#include "gui/SettingsModel.h"
#include "gui/ShowModal.h"
#include "gui/SystemColors.h"
#include "gui/mainwindow/QuoteMarkValidator.h"
#include "gui/mainwindow/ToolButton.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QCursor>
#include <QFontMetricsF>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

using navrik::SystemColor;

namespace {

// The screen that holds the largest part of the rectangle; null when it lies on none.
QScreen* screenMostlyHolding(const QRect& rect)
{
    QScreen* best = nullptr;
    qint64 most = 0;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect part = screen->geometry().intersected(rect);
        if (const qint64 area = qint64(part.width()) * part.height(); area > most) {
            most = area;
            best = screen;
        }
    }
    return best;
}

constexpr int kIconSize = 32;
// Where the window starts on the first run, and when its stored place is off every screen.
constexpr QPoint kFirstPlace(201, 110);
// X11 keeps window positions in 16 bits: farther ones would wrap round to another place.
constexpr int kX11Min = -32768;
constexpr int kX11Max = 32767;

void setColor(QWidget* widget, QPalette::ColorRole role, SystemColor color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, navrik::systemColor(color));
    widget->setPalette(palette);
}

// The contrast ratio of two colours (1 to 21), from their relative luminance as the web's
// accessibility guidelines define it.
double contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Black, as the field has always shown its text, where it is readable on the background (the
// guidelines' 4.5 to 1 for normal text); else the palette's own text colour, unless that is
// still worse than black.
QColor readableTextOn(const QColor& background)
{
    const QColor black(Qt::black);
    const QColor text = navrik::systemColor(SystemColor::WindowText);
    const double onBlack = contrast(black, background);
    return onBlack >= 4.5 || onBlack >= contrast(text, background) ? black : text;
}

} // namespace

TMainForm::TMainForm(navrik::SettingsModel* settings)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    , m_settings(settings)
{
    setWindowTitle(QStringLiteral("Navrik"));
    setFont(navrik::proportionalGothicFont());
    setColor(this, QPalette::WindowText, SystemColor::WindowText);
    buildControls();
    buildPopupMenu();
    nameControls();
    bindEvents();
    setGeometry(QRect(kFirstPlace, QSize(300, 200)));
    FormResize();
}

TMainForm::~TMainForm() = default;

// ---- Controls ----------------------------------------------------------------------------

void TMainForm::buildControls()
{
    MainPanel = new QFrame(this);
    MainPanel->setGeometry(0, 0, 300, 200);
    MainPanel->setFrameStyle(QFrame::Box | QFrame::Plain);
    MainPanel->setLineWidth(1);
    MainPanel->setAutoFillBackground(true);
    setColor(MainPanel, QPalette::Window, SystemColor::AppWorkspace);
    setColor(MainPanel, QPalette::WindowText, SystemColor::WindowText);

    m_panelClient = new QWidget(MainPanel);
    fitPanelClient();

    IconImg = new QLabel(m_panelClient);
    IconImg->setGeometry(2, 2, kIconSize, kIconSize);
    IconImg->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    IconImg->setPixmap(navrik::programIconPixmap(IconImg));

    Label1 = new QLabel(tr("引用符："), m_panelClient);
    Label1->move(40, 3);
    Label1->adjustSize();
    Label1->setAutoFillBackground(true);
    setColor(Label1, QPalette::Window, SystemColor::AppWorkspace);

    FlagEdit = new QLineEdit(QStringLiteral("> "), m_panelClient);
    FlagEdit->setGeometry(40, 15, 57, 19);
    FlagEdit->setFont(navrik::proportionalGothicFont());
    Label1->setBuddy(FlagEdit); // a screen reader names the field after its label
    connect(new QuoteMarkValidator(FlagEdit), &QuoteMarkValidator::linesDropped, this, [] { QApplication::beep(); });
    connect(FlagEdit, &QLineEdit::inputRejected, this, [] { QApplication::beep(); });
    const QColor fieldColor = navrik::systemColor(SystemColor::Window);
    FlagEdit->setStyleSheet(QStringLiteral(
        "QLineEdit { border: 1px solid black; padding: 0px 1px; color: %1; background: %2; }")
                                .arg(readableTextOn(fieldColor).name(), fieldColor.name()));

    MailBuff = new QPlainTextEdit(m_panelClient);
    MailBuff->setGeometry(2, 36, 294, 160);
    MailBuff->setFont(navrik::fixedGothicFont());
    MailBuff->setAccessibleName(tr("本文"));
    // A tab stop every 8 columns, as mail programs show tabbed text.
    MailBuff->setTabStopDistance(8 * QFontMetricsF(MailBuff->font()).horizontalAdvance(QLatin1Char(' ')));
    MailBuff->setLineWrapMode(QPlainTextEdit::NoWrap);
    MailBuff->setWordWrapMode(QTextOption::NoWrap);
    MailBuff->setTabChangesFocus(false);
    MailBuff->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MailBuff->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MailBuff->setFrameStyle(QFrame::Box | QFrame::Plain);
    MailBuff->setLineWidth(1);
    navrik::BufferLineModel::install(MailBuff);
    {
        // The selection shows only while the buffer has the focus.
        QPalette palette = MailBuff->palette();
        palette.setColor(QPalette::Text, navrik::systemColor(SystemColor::WindowText));
        palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Base));
        palette.setColor(QPalette::Inactive, QPalette::HighlightedText, palette.color(QPalette::Text));
        MailBuff->setPalette(palette);
    }

    PasteBtn = new ToolButton(tr("▽張付"), m_panelClient);
    PasteBtn->setGeometry(153, 7, 49, 21);
    ConfigBtn = new ToolButton(tr("設定"), m_panelClient);
    ConfigBtn->setGeometry(247, 7, 49, 21);
    MakeBtn = new ToolButton(tr("> 付加"), m_panelClient);
    MakeBtn->setGeometry(102, 7, 49, 21);

    // The keyboard goes from the field through the tool buttons to the buffer.
    for (QWidget* w : {static_cast<QWidget*>(MainPanel), m_panelClient, static_cast<QWidget*>(IconImg),
                       static_cast<QWidget*>(Label1)})
        w->setFocusPolicy(Qt::NoFocus);
    setTabOrder(FlagEdit, MakeBtn);
    setTabOrder(MakeBtn, PasteBtn);
    setTabOrder(PasteBtn, ConfigBtn);
    setTabOrder(ConfigBtn, MailBuff);
    FlagEdit->setFocus(Qt::OtherFocusReason);

    // What each control does, in a few words; the frameless window's surface says how it is
    // moved and where its menu is.
    const QString surfaceTip = tr("ドラッグで移動、右クリックでメニュー");
    for (QWidget* w : {m_panelClient, static_cast<QWidget*>(IconImg), static_cast<QWidget*>(Label1)})
        w->setToolTip(surfaceTip);
    FlagEdit->setToolTip(tr("各行の前に付ける引用符"));
    MakeBtn->setToolTip(tr("バッファの本文に、編集したまま引用符を付けてコピー（Ctrl+Enter）"));
    PasteBtn->setToolTip(tr("クリップボードの本文をバッファに貼り付け（Ctrl+Shift+V）"));
    ConfigBtn->setToolTip(tr("オプションを設定"));
}

void TMainForm::buildPopupMenu()
{
    MainPopup = new QMenu(this);
    MainPopup->setToolTipsVisible(true);
    K1 = MainPopup->addAction(tr("引用符の付加"));
    K1->setToolTip(tr("クリップボードの本文を貼り付け、引用符を付けてクリップボードに戻す"));
    N1 = MainPopup->addSeparator();
    AutoPaste = MainPopup->addAction(tr("簡易エディタ不要"));
    AutoPaste->setCheckable(true);
    K3 = MainPopup->addAction(tr("オプション設定"));
    StayOnTop = MainPopup->addAction(tr("最上面に配置"));
    StayOnTop->setCheckable(true);
    N3 = MainPopup->addSeparator();
    K7 = MainPopup->addAction(tr("アイコン化"));
    // The options added since the menu's first items, in a submenu of their own just above 終了.
    OptionsMenu = MainPopup->addMenu(tr("追加オプション"));
    SmartBreaks = OptionsMenu->addAction(tr("禁則処理で改行"));
    SmartBreaks->setCheckable(true);
    Reflow = OptionsMenu->addAction(tr("段落を再整形"));
    Reflow->setCheckable(true);
    GlobalHotKey = OptionsMenu->addAction(tr("グローバルホットキー"));
    GlobalHotKey->setCheckable(true);
    StartAtLogin = OptionsMenu->addAction(tr("ログイン時に起動"));
    StartAtLogin->setCheckable(true);
    Exit1 = MainPopup->addAction(tr("終了"));
    // Shown after the caption; the key itself is bound on the window below.
    Exit1->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    Exit1->setShortcutContext(Qt::WidgetShortcut);

    PopupTimer = new QTimer(this);
    PopupTimer->setInterval(800);
}

void TMainForm::nameControls()
{
    const std::pair<QObject*, const char*> controls[] = {
        {MainPanel, "MainPanel"}, {IconImg, "IconImg"}, {Label1, "Label1"}, {FlagEdit, "FlagEdit"},
        {MailBuff, "MailBuff"}, {PasteBtn, "PasteBtn"}, {ConfigBtn, "ConfigBtn"}, {MakeBtn, "MakeBtn"},
        {MainPopup, "MainPopup"}, {K1, "K1"}, {N1, "N1"}, {AutoPaste, "AutoPaste"}, {K3, "K3"},
        {StayOnTop, "StayOnTop"}, {N3, "N3"}, {K7, "K7"}, {OptionsMenu, "OptionsMenu"},
        {SmartBreaks, "SmartBreaks"}, {Reflow, "Reflow"}, {GlobalHotKey, "GlobalHotKey"}, {StartAtLogin, "StartAtLogin"},
        {Exit1, "Exit1"}, {PopupTimer, "PopupTimer"}};
    for (const auto& [control, name] : controls)
        control->setObjectName(QLatin1String(name));
}

void TMainForm::bindEvents()
{
    // Every control reports its pointer events to the window, which dispatches them to
    // handlers in eventFilter(). No control shows an edit or scroll menu of its own.
    for (QWidget* w : {static_cast<QWidget*>(m_panelClient), static_cast<QWidget*>(IconImg),
                       static_cast<QWidget*>(Label1), static_cast<QWidget*>(FlagEdit),
                       MailBuff->viewport(), static_cast<QWidget*>(MailBuff->verticalScrollBar()),
                       static_cast<QWidget*>(MailBuff->horizontalScrollBar()), static_cast<QWidget*>(MakeBtn),
                       static_cast<QWidget*>(PasteBtn), static_cast<QWidget*>(ConfigBtn)}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
        w->setContextMenuPolicy(Qt::PreventContextMenu);
        // An event the control leaves unaccepted would travel on to the panel and run the
        // panel's handlers a second time: a hovered tool button would lose its highlight
        // at once, and a right press in the buffer would stop the hover timer.
        if (w != m_panelClient)
            w->setAttribute(Qt::WA_NoMousePropagation);
    }
    MailBuff->setContextMenuPolicy(Qt::PreventContextMenu);
    // The buffer takes the keys itself, not through its viewport: the menu keys are seen there.
    MailBuff->installEventFilter(this);
    MainPanel->installEventFilter(this);
    // Pointer movement over the menu is none over the window's controls.
    connect(MainPopup, &QMenu::aboutToHide, this, [this] { m_lastPointer = QCursor::pos(); });

    using navrik::bindHandler;
    bindHandler(MakeBtn, &ToolButton::clicked, this, &TMainForm::MakeBtnClick);
    bindHandler(PasteBtn, &ToolButton::clicked, this, &TMainForm::PasteBtnClick);
    bindHandler(ConfigBtn, &ToolButton::clicked, this, &TMainForm::ConfigBtnClick);
    bindHandler(K1, &QAction::triggered, this, &TMainForm::IconImgDblClick);
    bindHandler(AutoPaste, &QAction::triggered, this, &TMainForm::AutoPasteClick);
    bindHandler(K3, &QAction::triggered, this, &TMainForm::ConfigBtnClick);
    bindHandler(StayOnTop, &QAction::triggered, this, &TMainForm::StayOnTopClick);
    bindHandler(K7, &QAction::triggered, this, &TMainForm::K7Click);
    bindHandler(SmartBreaks, &QAction::triggered, this, &TMainForm::SmartBreaksClick);
    bindHandler(Reflow, &QAction::triggered, this, &TMainForm::ReflowClick);
    bindHandler(Exit1, &QAction::triggered, this, &TMainForm::Exit1Click);
    bindHandler(GlobalHotKey, &QAction::triggered, this, &TMainForm::GlobalHotKeyClick);
    bindHandler(StartAtLogin, &QAction::triggered, this, &TMainForm::StartAtLoginClick);
    bindHandler(PopupTimer, &QTimer::timeout, this, &TMainForm::PopupTimerTimer);

    // The mode and stay-on-top follow the settings, whichever window changed them; the settings
    // dialog applies its window-mode size through them too.
    connect(m_settings, &navrik::SettingsModel::changed, this,
            [this](navrik::SettingKey key) { navrik::guarded([&] { settingChanged(key); }); });
    connect(m_settings, &navrik::SettingsModel::formSizeApplied, this,
            [this] { navrik::guarded([&] { FormRedraw(m_settings->flag(navrik::SettingKey::AutoPaste)); }); });
    connect(FlagEdit, &QLineEdit::textChanged, m_settings, &navrik::SettingsModel::setMark);

    // Alt+F4 wherever the focus is in the window; Ctrl+Enter for > 付加, which quotes the buffer
    // as it stands, and Ctrl+Shift+V for ▽張付.
    const std::pair<QKeyCombination, void (TMainForm::*)()> keys[] = {
        {Qt::ALT | Qt::Key_F4, &TMainForm::Exit1Click},
        {Qt::CTRL | Qt::Key_Return, &TMainForm::MakeBtnClick},
        {Qt::CTRL | Qt::Key_Enter, &TMainForm::MakeBtnClick},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_V, &TMainForm::PasteBtnClick}};
    for (const auto& [key, handler] : keys) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        navrik::bindHandler(shortcut, &QShortcut::activated, this, handler);
    }
}

// ---- Window events -----------------------------------------------------------------------

void TMainForm::FormCreate()
{
    using Key = navrik::SettingKey;
    const navrik::Settings stored = m_settings->load();
    FlagEdit->setText(m_settings->mark());
    move(std::clamp(stored.number(Key::FormLeft), kX11Min, kX11Max),
         std::clamp(stored.number(Key::FormTop), kX11Min, kX11Max));
    setWindowWidth(stored.number(Key::FormWidth));
    setWindowHeight(stored.number(Key::FormHeight));
    if (stored.flag(Key::AutoPaste))
        FormRedraw(true);
    placeOnScreens();
    if (stored.flag(Key::StayOnTop))
        applyStayOnTop(true);
    SmartBreaks->setChecked(stored.flag(Key::SmartBreaks));
    Reflow->setChecked(stored.flag(Key::Reflow));
    StartAtLogin->setChecked(navrik::autostartEnabled());
    m_hotKey = navrik::GlobalShortcut::create();
    // Pressed while a command is still working (it repaints the windows between its steps), the
    // combination quotes once that command is done.
    connect(m_hotKey.get(), &navrik::GlobalShortcut::activated, this, [this] {
        navrik::CommandScope::whenIdle(this, [this] { navrik::guarded([this] { IconImgDblClick(); }); });
    });
    applyHotKey();
}

// A stored place off every screen starts at the first-run place; either way the window is cut to
// the screen it is mostly on and pulled wholly onto the space the desktop leaves there.
void TMainForm::placeOnScreens()
{
    if (!screenMostlyHolding(geometry()))
        move(kFirstPlace);
    setWindowWidth(width());
    setWindowHeight(height());
    fitOnScreen();
    m_appliedPlace = pos();
    m_keepStoredPlace = true;
}

// The space the window may take: the available area of the screen it is mostly on, else of the
// main screen.
QRect TMainForm::screenSpace() const
{
    QScreen* screen = screenMostlyHolding(geometry());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

// Moves the window, where it sticks out of its screen's space, back in wholly.
void TMainForm::fitOnScreen()
{
    const QRect space = screenSpace();
    if (space.isEmpty())
        return;
    const int x = std::clamp(this->x(), space.left(), std::max(space.left(), space.right() + 1 - width()));
    const int y = std::clamp(this->y(), space.top(), std::max(space.top(), space.bottom() + 1 - height()));
    if (QPoint(x, y) != pos())
        move(x, y);
}

void TMainForm::FormClose()
{
    // A place the window was never moved from goes back as the file held it, even where it
    // could not be used as it stands.
    if (!m_keepStoredPlace || pos() != m_appliedPlace) {
        m_settings->setNumber(navrik::SettingKey::FormLeft, x());
        m_settings->setNumber(navrik::SettingKey::FormTop, y());
    }
    // The program may end while the settings dialog is open (the window manager closes this
    // window, a signal): what the dialog holds is saved with it, as its own closing would.
    const bool dialogOpen = m_settingsDialog && m_settingsDialog->isVisible();
    m_settings->save(dialogOpen ? navrik::SettingSaver::Both : navrik::SettingSaver::MainWindow);
}

void TMainForm::settingChanged(navrik::SettingKey key)
{
    using Key = navrik::SettingKey;
    switch (key) {
    case Key::AutoPaste: FormRedraw(m_settings->flag(key)); break;
    case Key::StayOnTop: applyStayOnTop(m_settings->flag(key)); break;
    case Key::SmartBreaks: SmartBreaks->setChecked(m_settings->flag(key)); break;
    case Key::Reflow: Reflow->setChecked(m_settings->flag(key)); break;
    default: break;
    }
}

void TMainForm::resizeEvent(QResizeEvent*)
{
    FormResize();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    // The window stays on the screen until the quit request is taken. A failed save shows the
    // error box, saying why, and keeps the program running, so the user can make the file
    // writable and close again; that next close ends the program even when its save fails as
    // well, so a file that can't be written never keeps the user from quitting, and its error
    // box says that the settings are not saved.
    event->ignore();
    try {
        FormClose();
    } catch (const std::exception& error) {
        if (!m_saveFailed) {
            // Marked before the box opens: a close asked for while it is shown ends the program.
            m_saveFailed = true;
            navrik::showErrorBox(navrik::messageOf(error));
            return;
        }
        navrik::showErrorBox(tr("%1。設定を保存しないで終了します").arg(navrik::messageOf(error)));
    }
    m_quitting = true;
    // Not QCoreApplication::quit(): in Qt 6 it first closes every window, which comes back
    // here, is refused and posts another quit, so the program never ends.
    QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void TMainForm::moveEvent(QMoveEvent*)
{
    if (pos() != m_appliedPlace)
        m_keepStoredPlace = false;
}

void TMainForm::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        endDrag();
    QWidget::changeEvent(event);
}

void TMainForm::FormResize()
{
    if (width() == kIconSize || height() == kIconSize)
        return;
    MainPanel->resize(width(), MainPanel->height());
    fitPanelClient();
    MailBuff->resize(m_panelClient->width() - 4, MailBuff->height());
    MainPanel->resize(MainPanel->width(), height());
    fitPanelClient();
    MailBuff->resize(MailBuff->width(), m_panelClient->height() - 38);
}

void TMainForm::FormRedraw(bool icon)
{
    applyLayout(icon);
    AutoPaste->setChecked(icon);
}

void TMainForm::applyLayout(bool icon)
{
    // Where the compositor places every managed window (sway), the 32 by 32 icon would be
    // stretched to its smallest floating size and centred; it stands outside the window manager
    // instead, at its own size and place, and moves itself when dragged.
    if (navrik::desktop::compositorPlacesWindows())
        setWindowFlagInPlace(Qt::BypassWindowManagerHint, icon);
    setPanelBorder(!icon);
    IconImg->move(icon ? 0 : 2, IconImg->y());
    IconImg->move(IconImg->x(), icon ? 0 : 2);
    if (icon) {
        setWindowWidth(kIconSize);
        setWindowHeight(kIconSize);
    } else {
        setWindowWidth(m_settings->number(navrik::SettingKey::FormWidth));
        setWindowHeight(m_settings->number(navrik::SettingKey::FormHeight));
        // A size cut to the screen, or one that now reaches past its edge, keeps the whole
        // window (its scroll bars too) on the screen.
        if (isVisible())
            fitOnScreen();
    }
}

void TMainForm::setPanelBorder(bool single)
{
    MainPanel->setFrameShape(single ? QFrame::Box : QFrame::NoFrame);
    fitPanelClient();
}

void TMainForm::fitPanelClient()
{
    m_panelClient->setGeometry(MainPanel->contentsRect());
}

void TMainForm::setWindowWidth(int width)
{
    // A stored size may be larger than any screen: the window takes no more than its screen.
    if (const QRect space = screenSpace(); !space.isEmpty())
        width = std::min(width, space.width());
    // A window of a fixed size floats at that size where the compositor would tile it.
    const bool fixed = navrik::desktop::compositorPlacesWindows();
    if (width == this->width() && (!fixed || maximumWidth() == width))
        return;
    if (fixed)
        setFixedWidth(width);
    else
        resize(width, height());
    // A hidden window gets its resize event only when it is shown; lay it out now.
    if (!isVisible())
        FormResize();
}

void TMainForm::setWindowHeight(int height)
{
    if (const QRect space = screenSpace(); !space.isEmpty())
        height = std::min(height, space.height());
    const bool fixed = navrik::desktop::compositorPlacesWindows();
    if (height == this->height() && (!fixed || maximumHeight() == height))
        return;
    if (fixed)
        setFixedHeight(height);
    else
        resize(width(), height);
    if (!isVisible())
        FormResize();
}

// ---- Pointer -----------------------------------------------------------------------------

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    // In icon mode the icon's menu opens where its tooltip would.
    if (event->type() == QEvent::ToolTip && watched == IconImg && AutoPaste->isChecked())
        return true;
    if (watched == MainPanel) {
        if (event->type() == QEvent::Resize)
            fitPanelClient();
        return false;
    }
    const auto type = event->type();
    if (type == QEvent::KeyPress && (watched == FlagEdit || watched == MailBuff)) {
        // The keyboard's way to the menu, at the edit that has the focus.
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if ((key->key() == Qt::Key_Menu && modifiers == Qt::NoModifier)
            || (key->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier)) {
            popupAtFocus(static_cast<QWidget*>(watched));
            return true;
        }
        return false;
    }
    if (watched == MailBuff)
        return false;
    if (type != QEvent::MouseMove && type != QEvent::MouseButtonPress
        && type != QEvent::MouseButtonDblClick && type != QEvent::MouseButtonRelease)
        return false;

    // The text buffer reports through its viewport; its handlers see the buffer itself.
    auto* receiver = static_cast<QWidget*>(watched);
    QWidget* sender = receiver == MailBuff->viewport() ? MailBuff : receiver;
    auto* mouse = static_cast<QMouseEvent*>(event);
    // Measured from the global position against where the window was last placed, so a
    // window that is moving under the pointer sees no stale coordinates.
    const QPoint at = sender->mapFromGlobal(mouse->globalPosition().toPoint());
    const bool dragSurface = sender == m_panelClient || sender == IconImg || sender == Label1;
    const bool scrollBar = sender == MailBuff->verticalScrollBar() || sender == MailBuff->horizontalScrollBar();

    switch (type) {
    case QEvent::MouseMove: {
        // Qt also sends a move to the control under the pointer when a window appears or is
        // made anew (stay-on-top); the pointer has not moved, so no handler runs for it.
        const QPoint global = mouse->globalPosition().toPoint();
        if (global == m_lastPointer)
            return false;
        m_lastPointer = global;
        navrik::guarded([&] {
            if (sender == MakeBtn)
                MakeBtnMouseMove(at.x(), at.y());
            else if (sender == PasteBtn)
                PasteBtnMouseMove(at.x(), at.y());
            else if (sender == ConfigBtn)
                ConfigBtnMouseMove(at.x(), at.y());
            else if (sender == IconImg)
                IconImgMouseMove(at.x(), at.y());
            else
                MainPanelMouseMove(at.x(), at.y());
        });
        return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: // a double click is a second press
        if (dragSurface)
            navrik::guarded([&] { MainPanelMouseDown(mouse->button(), at.x(), at.y()); });
        return false;
    case QEvent::MouseButtonRelease:
        if (dragSurface)
            navrik::guarded([&] { MainPanelMouseUp(); });
        if (mouse->button() == Qt::RightButton) {
            MainPopup->popup(mouse->globalPosition().toPoint());
            return sender == FlagEdit || sender == MailBuff || scrollBar;
        }
        return false;
    default:
        return false;
    }
}

void TMainForm::popupAtFocus(QWidget* control)
{
    // Below the text cursor where it shows, else at the control's top-left corner; in icon mode,
    // where the edits are out of sight, below the icon.
    const QRect cursor = control->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QPoint at = control->mapToGlobal(control->rect().contains(cursor) ? cursor.bottomLeft() : QPoint(0, 0));
    if (!rect().contains(mapFromGlobal(at)))
        at = IconImg->mapToGlobal(QPoint(0, IconImg->height()));
    MainPopup->popup(at);
    // Opened from the keyboard, the menu has its first item selected: Enter runs it.
    MainPopup->setActiveAction(K1);
}

void TMainForm::MainPanelMouseMove(int x, int y)
{
    if (m_hoverState != 0) {
        if (ToolButton* button = toolButton(m_hoverState))
            button->setHighlighted(false);
    }
    m_hoverState = 0;
    if (m_dragFlag != 0) {
        // The grab may have been taken away without a release reaching us.
        if (!(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
            endDrag();
            return;
        }
        // Where the compositor ignores where a window asks to be, it moves the window itself.
        if (navrik::desktop::compositorPlacesWindows() && !windowFlags().testFlag(Qt::BypassWindowManagerHint) && windowHandle()->startSystemMove()) {
            endDrag();
            return;
        }
        move(this->x() + (x - m_anchor.x()), this->y());
        move(this->x(), this->y() + (y - m_anchor.y()));
    }
}

void TMainForm::toolButtonMouseMove(ToolButton* button, int n, int x, int y)
{
    if (m_hoverState != n)
        MainPanelMouseMove(x, y);
    button->setHighlighted(true);
    m_hoverState = n;
}

void TMainForm::MakeBtnMouseMove(int x, int y)
{
    toolButtonMouseMove(MakeBtn, 1, x, y);
}

void TMainForm::PasteBtnMouseMove(int x, int y)
{
    toolButtonMouseMove(PasteBtn, 2, x, y);
}

void TMainForm::ConfigBtnMouseMove(int x, int y)
{
    toolButtonMouseMove(ConfigBtn, 3, x, y);
}

ToolButton* TMainForm::toolButton(int n) const
{
    switch (n) {
    case 1: return MakeBtn;
    case 2: return PasteBtn;
    case 3: return ConfigBtn;
    default: return nullptr;
    }
}

void TMainForm::IconImgMouseMove(int x, int y)
{
    MainPanelMouseMove(x, y);
    if (m_dragFlag == 0) {
        if (!PopupTimer->isActive())
            PopupTimer->start();
        m_anchor = QCursor::pos();
    }
}

void TMainForm::MainPanelMouseDown(Qt::MouseButton button, int x, int y)
{
    PopupTimer->stop();
    if (button != Qt::LeftButton)
        return;
    m_dragFlag = -1;
    m_anchor = QPoint(x, y);
}

void TMainForm::MainPanelMouseUp()
{
    m_dragFlag = 0;
}

void TMainForm::endDrag()
{
    m_dragFlag = 0;
}

void TMainForm::PopupTimerTimer()
{
    PopupTimer->stop();
    const QPoint at = QCursor::pos();
    if (at != m_anchor)
        return;
    MainPopup->popup(at);
    // The first time the icon opens its menu, a tip beside the menu says how it opens and what
    // its first item does; it goes with the menu.
    if (AutoPaste->isChecked() && !m_menuHint) {
        m_menuHint = new QLabel(tr("アイコンの上でポインタを止めると、このメニューが開きます。\n"
                                   "「引用符の付加」で、クリップボードのメールが引用文になります。"),
                                this, Qt::ToolTip);
        m_menuHint->setObjectName(QStringLiteral("MenuHint"));
        m_menuHint->setForegroundRole(QPalette::ToolTipText);
        m_menuHint->setBackgroundRole(QPalette::ToolTipBase);
        m_menuHint->setAutoFillBackground(true);
        m_menuHint->setMargin(4);
        m_menuHint->adjustSize();
        m_menuHint->move(MainPopup->geometry().topRight() + QPoint(4, 0));
        m_menuHint->show();
        connect(MainPopup, &QMenu::aboutToHide, m_menuHint, &QWidget::hide);
    }
}

// ---- Commands ----------------------------------------------------------------------------

namespace {

// The quoting options in force.
navrik::QuoteOptions quoteOptions(const navrik::SettingsModel& settings)
{
    using Key = navrik::SettingKey;
    navrik::QuoteOptions options;
    options.mark = settings.mark().toStdString();
    options.autoPaste = settings.flag(Key::AutoPaste);
    options.adjustLines = settings.flag(Key::AutoLines);
    options.charactersPerLine = settings.number(Key::Charcters);
    options.smartBreaks = settings.flag(Key::SmartBreaks);
    options.reflow = settings.flag(Key::Reflow);
    return options;
}

// The busy pointer for every window of the program while a command works. Between the
// command's steps, and once more before the pointer goes, the windows repaint (the buffer lays
// out its new text then, which takes a while on a long line); what the user types or clicks
// meanwhile waits until the command is done.
void showBusyPointer(bool busy)
{
    static bool shown = false;
    if (busy && !shown)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    shown = true;
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!busy) {
        QApplication::restoreOverrideCursor();
        shown = false;
    }
}

} // namespace

void TMainForm::MakeBtnClick()
{
    const navrik::CommandScope command;
    navrik::BufferLineModel buffer(MailBuff);
    navrik::quoteCommand(buffer, quoteOptions(*m_settings), showBusyPointer);
}

void TMainForm::PasteBtnClick()
{
    const navrik::CommandScope command;
    navrik::BufferLineModel buffer(MailBuff);
    navrik::pasteCommand(buffer, showBusyPointer);
}

void TMainForm::IconImgDblClick()
{
    const navrik::CommandScope command;
    navrik::BufferLineModel buffer(MailBuff);
    navrik::pasteAndQuoteCommand(buffer, quoteOptions(*m_settings), showBusyPointer);
}

void TMainForm::AutoPasteClick()
{
    // The menu has already turned the check mark over: it now shows the mode to switch to.
    m_settings->setFlag(navrik::SettingKey::AutoPaste, AutoPaste->isChecked());
}

void TMainForm::ConfigBtnClick()
{
    endDrag();
    if (!m_settingsDialog)
        return;
    // It opens centred on the screen that holds this window.
    if (QScreen* here = screenMostlyHolding(geometry()))
        m_settingsDialog->setScreen(here);
    navrik::showModal(m_settingsDialog);
}

void TMainForm::StayOnTopClick()
{
    // The menu has already inverted the check mark.
    m_settings->setFlag(navrik::SettingKey::StayOnTop, StayOnTop->isChecked());
}

void TMainForm::SmartBreaksClick()
{
    // The menu has already turned the check mark over.
    m_settings->setFlag(navrik::SettingKey::SmartBreaks, SmartBreaks->isChecked());
}

void TMainForm::ReflowClick()
{
    m_settings->setFlag(navrik::SettingKey::Reflow, Reflow->isChecked());
}

void TMainForm::applyStayOnTop(bool on)
{
    StayOnTop->setChecked(on);
    setWindowFlagInPlace(Qt::WindowStaysOnTopHint, on);
}

// Changing the window's flags hides it; show it again where it was, as it was. The pointer is
// where it was too: the move Qt sends when the window appears again is no movement.
void TMainForm::setWindowFlagInPlace(Qt::WindowType flag, bool on)
{
    if (windowFlags().testFlag(flag) == on)
        return;
    m_lastPointer = QCursor::pos();
    const QRect geometry = this->geometry();
    const bool wasVisible = isVisible();
    setWindowFlag(flag, on);
    setGeometry(geometry);
    if (wasVisible)
        show();
}

void TMainForm::K7Click()
{
    // Every window of the program but its menus and tips (Qt::Popup holds the Qt::Window bit, so
    // the type is compared, not tested as a flag).
    for (QWidget* window : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = window->windowType();
        if (window->isVisible() && !window->isMinimized() && type != Qt::Popup && type != Qt::ToolTip)
            window->showMinimized();
    }
}

void TMainForm::Exit1Click()
{
    close();
}

void TMainForm::GlobalHotKeyClick()
{
    // The menu has already turned the check mark over. Off is stored as "None", so the file
    // keeps saying that the shortcut was turned off; on brings back the last combination.
    if (GlobalHotKey->isChecked()) {
        std::string key = m_lastHotKey;
        if (key.empty())
            key = navrik::settingInfo(navrik::SettingKey::HotKey).textDefault;
        m_settings->setText(navrik::SettingKey::HotKey, std::move(key));
    } else {
        m_settings->setText(navrik::SettingKey::HotKey, "None");
    }
    applyHotKey();
}

void TMainForm::applyHotKey()
{
    const QString text = QString::fromStdString(m_settings->text(navrik::SettingKey::HotKey));
    QString problem;
    const QKeySequence key = navrik::GlobalShortcut::parse(text, &problem);
    if (!problem.isEmpty())
        std::fprintf(stderr, "navrik: HotKey=%s in tolvane.ini %s; the global shortcut is off\n",
                     qPrintable(text.trimmed()), qPrintable(problem));
    if (!key.isEmpty())
        m_lastHotKey = m_settings->text(navrik::SettingKey::HotKey);
    GlobalHotKey->setChecked(!key.isEmpty());
    // The combination that the item turns on, shown where a menu shows an item's key.
    const QKeySequence shown = navrik::GlobalShortcut::parse(QString::fromStdString(
        m_lastHotKey.empty() ? std::string(navrik::settingInfo(navrik::SettingKey::HotKey).textDefault) : m_lastHotKey));
    GlobalHotKey->setText(tr("グローバルホットキー") + QLatin1Char('\t') + shown.toString(QKeySequence::NativeText));
    if (m_hotKey)
        m_hotKey->setKey(key);
}

void TMainForm::StartAtLoginClick()
{
    // The check mark follows the entry on disk, also when writing it failed.
    const bool on = StartAtLogin->isChecked();
    StartAtLogin->setChecked(!on);
    navrik::setAutostart(on);
    StartAtLogin->setChecked(navrik::autostartEnabled());
}

void TMainForm::BringToFront()
{
    endDrag();
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}
