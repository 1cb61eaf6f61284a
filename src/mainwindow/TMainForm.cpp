#include "mainwindow/TMainForm.h"

#include "app/Cp932.h"
#include "app/ErrorBox.h"
#include "app/Fonts.h"
#include "app/Forms.h"
#include "app/SettingsFile.h"
#include "app/SettingsKeys.h"
#include "app/ShowModal.h"
#include "app/SystemColors.h"
#include "mainwindow/QuoteMarkValidator.h"
#include "mainwindow/ToolButton.h"
#include "quoting/BufferLineModel.h"
#include "quoting/QuoteCommand.h"
#include "settings/TConfigForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QFrame>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTimer>

using navrik::SystemColor;

namespace {

constexpr int kIconSize = 32;

void setColor(QWidget* widget, QPalette::ColorRole role, SystemColor color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, navrik::systemColor(color));
    widget->setPalette(palette);
}

} // namespace

TMainForm::TMainForm()
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
{
    setWindowTitle(QStringLiteral("Navrik"));
    setFont(navrik::proportionalGothicFont());
    setColor(this, QPalette::WindowText, SystemColor::WindowText);
    buildControls();
    buildPopupMenu();
    bindEvents();
    setGeometry(201, 110, 300, 200);
    FormResize(this);
}

TMainForm::~TMainForm() = default;

// ---- Declaration -------------------------------------------------------------------------

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
    IconImg->setPixmap(QPixmap(QStringLiteral(":/navrik.xpm")));

    Label1 = new QLabel(QStringLiteral("引用符："), m_panelClient);
    Label1->move(40, 3);
    Label1->adjustSize();
    Label1->setAutoFillBackground(true);
    setColor(Label1, QPalette::Window, SystemColor::AppWorkspace);

    FlagEdit = new QLineEdit(QStringLiteral("> "), m_panelClient);
    FlagEdit->setGeometry(40, 15, 57, 19);
    FlagEdit->setFont(navrik::proportionalGothicFont());
    FlagEdit->setValidator(new QuoteMarkValidator(FlagEdit));
    connect(FlagEdit, &QLineEdit::inputRejected, this, [] { QApplication::beep(); });
    FlagEdit->setStyleSheet(QStringLiteral(
        "QLineEdit { border: 1px solid black; padding: 0px 1px; color: black; background: %1; }")
                                .arg(navrik::systemColor(SystemColor::Window).name()));

    MailBuff = new QPlainTextEdit(m_panelClient);
    MailBuff->setGeometry(2, 36, 294, 160);
    MailBuff->setFont(navrik::fixedGothicFont());
    MailBuff->setLineWrapMode(QPlainTextEdit::NoWrap);
    MailBuff->setWordWrapMode(QTextOption::NoWrap);
    MailBuff->setTabChangesFocus(false);
    MailBuff->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MailBuff->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MailBuff->setFrameStyle(QFrame::Box | QFrame::Plain);
    MailBuff->setLineWidth(1);
    {
        // The selection shows only while the buffer has the focus.
        QPalette palette = MailBuff->palette();
        palette.setColor(QPalette::Text, navrik::systemColor(SystemColor::WindowText));
        palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Base));
        palette.setColor(QPalette::Inactive, QPalette::HighlightedText, palette.color(QPalette::Text));
        MailBuff->setPalette(palette);
    }

    PasteBtn = new ToolButton(QStringLiteral("▽張付"), m_panelClient);
    PasteBtn->setGeometry(153, 7, 49, 21);
    ConfigBtn = new ToolButton(QStringLiteral("設定"), m_panelClient);
    ConfigBtn->setGeometry(247, 7, 49, 21);
    MakeBtn = new ToolButton(QStringLiteral("> 付加"), m_panelClient);
    MakeBtn->setGeometry(102, 7, 49, 21);

    // Only the two edits take the focus: FlagEdit first, then MailBuff.
    for (QWidget* w : {static_cast<QWidget*>(MainPanel), m_panelClient, static_cast<QWidget*>(IconImg),
                       static_cast<QWidget*>(Label1)})
        w->setFocusPolicy(Qt::NoFocus);
    setTabOrder(FlagEdit, MailBuff);
    FlagEdit->setFocus(Qt::OtherFocusReason);
}

void TMainForm::buildPopupMenu()
{
    MainPopup = new QMenu(this);
    K1 = MainPopup->addAction(QStringLiteral("引用符の付加"));
    N1 = MainPopup->addSeparator();
    AutoPaste = MainPopup->addAction(QStringLiteral("簡易エディタ不要"));
    AutoPaste->setCheckable(true);
    K3 = MainPopup->addAction(QStringLiteral("オプション設定"));
    StayOnTop = MainPopup->addAction(QStringLiteral("最上面に配置"));
    StayOnTop->setCheckable(true);
    N3 = MainPopup->addSeparator();
    K7 = MainPopup->addAction(QStringLiteral("アイコン化"));
    Exit1 = MainPopup->addAction(QStringLiteral("終了"));
    // Shown after the caption; the key itself is bound on the window below.
    Exit1->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    Exit1->setShortcutContext(Qt::WidgetShortcut);

    PopupTimer = new QTimer(this);
    PopupTimer->setInterval(800);
}

void TMainForm::bindEvents()
{
    // Every control reports its pointer events to the window, which dispatches them to
    // the handlers bound in the declaration. No control shows an edit menu of its own.
    for (QWidget* w : {static_cast<QWidget*>(m_panelClient), static_cast<QWidget*>(IconImg),
                       static_cast<QWidget*>(Label1), static_cast<QWidget*>(FlagEdit),
                       MailBuff->viewport(), static_cast<QWidget*>(MakeBtn),
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
    MainPanel->installEventFilter(this);

    connect(MakeBtn, &ToolButton::clicked, this, [this] { navrik::guarded([&] { MakeBtnClick(MakeBtn); }); });
    connect(PasteBtn, &ToolButton::clicked, this, [this] { navrik::guarded([&] { PasteBtnClick(PasteBtn); }); });
    connect(ConfigBtn, &ToolButton::clicked, this, [this] { navrik::guarded([&] { ConfigBtnClick(ConfigBtn); }); });
    connect(K1, &QAction::triggered, this, [this] { navrik::guarded([&] { IconImgDblClick(K1); }); });
    connect(AutoPaste, &QAction::triggered, this, [this] { navrik::guarded([&] { AutoPasteClick(AutoPaste); }); });
    connect(K3, &QAction::triggered, this, [this] { navrik::guarded([&] { ConfigBtnClick(K3); }); });
    connect(StayOnTop, &QAction::triggered, this, [this] { navrik::guarded([&] { StayOnTopClick(StayOnTop); }); });
    connect(K7, &QAction::triggered, this, [this] { navrik::guarded([&] { K7Click(K7); }); });
    connect(Exit1, &QAction::triggered, this, [this] { navrik::guarded([&] { Exit1Click(Exit1); }); });
    connect(PopupTimer, &QTimer::timeout, this, [this] { navrik::guarded([&] { PopupTimerTimer(PopupTimer); }); });

    // Alt+F4 typed into FlagEdit or MailBuff, the only controls that take the focus.
    auto* altF4 = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F4), this);
    altF4->setContext(Qt::WindowShortcut);
    connect(altF4, &QShortcut::activated, this, [this] { navrik::guarded([&] { Exit1Click(Exit1); }); });
}

// ---- Window events -----------------------------------------------------------------------

void TMainForm::FormCreate(QObject*)
{
    const navrik::SettingsFile file;
    const auto section = navrik::kSettingsSection;

    std::string mark;
    navrik::utf8ToCp932(FlagEdit->text().toStdString(), mark);
    mark = file.ReadText(section, navrik::kKeyString.name, mark);
    FlagEdit->setText(QString::fromStdString(navrik::cp932ToUtf8(mark)));

    move(file.ReadNumber(section, navrik::kKeyFormLeft.name, x()), y());
    move(x(), file.ReadNumber(section, navrik::kKeyFormTop.name, y()));
    setWindowWidth(file.ReadNumber(section, navrik::kKeyFormWidth.name, width()));
    setWindowHeight(file.ReadNumber(section, navrik::kKeyFormHeight.name, height()));

    // The settings dialog does not exist yet: lay out the icon without the mode switch,
    // which would read the dialog's size fields. The dialog's loading sets the check mark.
    if (file.ReadFlag(section, navrik::kKeyAutoPaste.name, false))
        applyLayout(true);
}

void TMainForm::FormClose(QObject*)
{
    const navrik::SettingsFile file;
    const auto section = navrik::kSettingsSection;

    // The quote mark field only ever holds characters that code page 932 can store.
    std::string mark;
    navrik::utf8ToCp932(FlagEdit->text().toStdString(), mark);
    file.WriteText(section, navrik::kKeyString.name, '"' + mark + '"');
    file.WriteNumber(section, navrik::kKeyFormLeft.name, x());
    file.WriteNumber(section, navrik::kKeyFormTop.name, y());
    file.WriteFlag(section, navrik::kKeyAutoPaste.name, AutoPaste->isChecked());
    file.WriteFlag(section, navrik::kKeyStayOnTop.name, StayOnTop->isChecked());
}

void TMainForm::resizeEvent(QResizeEvent*)
{
    FormResize(this);
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    // The window stays on the screen until the quit request is taken; a failed save
    // keeps the program running and a later close tries again.
    event->ignore();
    if (navrik::guarded([&] { FormClose(this); }))
        // Not QCoreApplication::quit(): in Qt 6 it first closes every window, which comes
        // back here, is refused and posts another quit, so the program never ends.
        QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void TMainForm::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        endDrag();
    QWidget::changeEvent(event);
}

void TMainForm::FormResize(QObject*)
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
    setPanelBorder(!icon);
    IconImg->move(icon ? 0 : 2, IconImg->y());
    IconImg->move(IconImg->x(), icon ? 0 : 2);
    if (icon) {
        setWindowWidth(kIconSize);
        setWindowHeight(kIconSize);
    } else {
        setWindowWidth(ConfigForm->FormX->Value());
        setWindowHeight(ConfigForm->FormY->Value());
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
    if (width == this->width())
        return;
    resize(width, height());
    // A hidden window gets its resize event only when it is shown; lay it out now.
    if (!isVisible())
        FormResize(this);
}

void TMainForm::setWindowHeight(int height)
{
    if (height == this->height())
        return;
    resize(width(), height);
    if (!isVisible())
        FormResize(this);
}

// ---- Pointer -----------------------------------------------------------------------------

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == MainPanel) {
        if (event->type() == QEvent::Resize)
            fitPanelClient();
        return false;
    }
    const auto type = event->type();
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
    QWidget* reported = sender == m_panelClient ? MainPanel : sender;

    switch (type) {
    case QEvent::MouseMove:
        navrik::guarded([&] {
            if (sender == MakeBtn)
                MakeBtnMouseMove(reported, at.x(), at.y());
            else if (sender == PasteBtn)
                PasteBtnMouseMove(reported, at.x(), at.y());
            else if (sender == ConfigBtn)
                ConfigBtnMouseMove(reported, at.x(), at.y());
            else if (sender == IconImg)
                IconImgMouseMove(reported, at.x(), at.y());
            else
                MainPanelMouseMove(reported, at.x(), at.y());
        });
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: // a double click is a second press
        if (dragSurface)
            navrik::guarded([&] { MainPanelMouseDown(reported, mouse->button(), at.x(), at.y()); });
        return false;
    case QEvent::MouseButtonRelease:
        if (dragSurface)
            navrik::guarded([&] { MainPanelMouseUp(reported, mouse->button(), at.x(), at.y()); });
        if (mouse->button() == Qt::RightButton) {
            MainPopup->popup(mouse->globalPosition().toPoint());
            return sender == FlagEdit || sender == MailBuff;
        }
        return false;
    default:
        return false;
    }
}

void TMainForm::MainPanelMouseMove(QWidget*, int x, int y)
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
        move(this->x() + (x - m_anchor.x()), this->y());
        move(this->x(), this->y() + (y - m_anchor.y()));
    }
}

void TMainForm::toolButtonMouseMove(ToolButton* button, int n, QWidget* sender, int x, int y)
{
    if (m_hoverState != n)
        MainPanelMouseMove(sender, x, y);
    button->setHighlighted(true);
    m_hoverState = n;
}

void TMainForm::MakeBtnMouseMove(QWidget* sender, int x, int y)
{
    toolButtonMouseMove(MakeBtn, 1, sender, x, y);
}

void TMainForm::PasteBtnMouseMove(QWidget* sender, int x, int y)
{
    toolButtonMouseMove(PasteBtn, 2, sender, x, y);
}

void TMainForm::ConfigBtnMouseMove(QWidget* sender, int x, int y)
{
    toolButtonMouseMove(ConfigBtn, 3, sender, x, y);
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

void TMainForm::IconImgMouseMove(QWidget* sender, int x, int y)
{
    MainPanelMouseMove(sender, x, y);
    if (m_dragFlag == 0) {
        if (!PopupTimer->isActive())
            PopupTimer->start();
        m_anchor = QCursor::pos();
    }
}

void TMainForm::MainPanelMouseDown(QWidget*, Qt::MouseButton button, int x, int y)
{
    PopupTimer->stop();
    if (button != Qt::LeftButton)
        return;
    m_dragFlag = -1;
    m_anchor = QPoint(x, y);
}

void TMainForm::MainPanelMouseUp(QWidget*, Qt::MouseButton, int, int)
{
    m_dragFlag = 0;
}

void TMainForm::endDrag()
{
    m_dragFlag = 0;
}

void TMainForm::PopupTimerTimer(QObject*)
{
    PopupTimer->stop();
    const QPoint at = QCursor::pos();
    if (at == m_anchor)
        MainPopup->popup(at);
}

// ---- Commands ----------------------------------------------------------------------------

namespace {

// The quoting options as they stand at this moment in the quote mark field and the
// settings dialog's controls.
navrik::QuoteOptions currentQuoteOptions()
{
    navrik::QuoteOptions options;
    options.mark = MainForm->FlagEdit->text().toStdString();
    options.autoPaste = ConfigForm->AutoPaste->isChecked();
    options.adjustLines = ConfigForm->AutoLines->isChecked();
    options.charactersPerLine = ConfigForm->LineCount->Value();
    return options;
}

// The busy pointer for every window of the program while the quote command works.
void showBusyPointer(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

} // namespace

void TMainForm::MakeBtnClick(QObject*)
{
    navrik::BufferLineModel buffer(MailBuff);
    navrik::quoteCommand(buffer, currentQuoteOptions(), showBusyPointer);
}

void TMainForm::PasteBtnClick(QObject*)
{
    navrik::BufferLineModel buffer(MailBuff);
    navrik::pasteCommand(buffer);
}

void TMainForm::IconImgDblClick(QObject*)
{
    navrik::BufferLineModel buffer(MailBuff);
    navrik::pasteAndQuoteCommand(buffer, currentQuoteOptions(), showBusyPointer);
}

void TMainForm::AutoPasteClick(QObject*)
{
    // The menu has already turned the check mark over: it now shows the mode to switch to.
    FormRedraw(AutoPaste->isChecked());
    ConfigForm->AutoPaste->setChecked(AutoPaste->isChecked());
}

void TMainForm::ConfigBtnClick(QObject*)
{
    endDrag();
    navrik::showModal(ConfigForm);
}

void TMainForm::StayOnTopClick(QObject*)
{
    // The menu has already inverted the check mark. Changing the window's flags hides it;
    // show it again where it was, as it was.
    const QRect geometry = this->geometry();
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, StayOnTop->isChecked());
    setGeometry(geometry);
    if (wasVisible)
        show();
}

void TMainForm::K7Click(QObject*)
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && !window->isMinimized() && window->isWindow()
            && !(window->windowFlags() & Qt::Popup))
            window->showMinimized();
    }
}

void TMainForm::Exit1Click(QObject*)
{
    close();
}
