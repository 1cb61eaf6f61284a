// SPDX-License-Identifier: MIT
#include "gui/settings/TConfigForm.h"

#include "gui/ErrorBox.h"
#include "gui/Fonts.h"
#include "gui/Handlers.h"
#include "gui/ProgramIcon.h"
#include "gui/SettingsModel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

#include <algorithm>
#include <climits>
#include <utility>

using navrik::SpinButton;
using navrik::SpinField;

namespace {

QLabel* label(const QString& text, QWidget* parent, int left, int top)
{
    auto* label = new QLabel(text, parent);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QCheckBox* checkBox(const QString& caption, QWidget* parent, QRect geometry)
{
    auto* box = new QCheckBox(caption, parent);
    box->setGeometry(geometry);
    return box;
}

// A field for a setting: its range and step and its default come from the settings table.
SpinField* spinField(QWidget* parent, navrik::SettingKey key, QRect geometry)
{
    const navrik::SettingInfo& info = navrik::settingInfo(key);
    auto* field = new SpinField(parent);
    field->setMinValue(info.range.min);
    field->setMaxValue(info.range.max);
    field->setIncrement(info.range.step);
    field->setValue(info.numberDefault);
    field->setGeometry(geometry);
    return field;
}

// Laid over the right 20 pixels of its field, above it, so that it covers the field's own
// built-in button and the pointer never reaches that one. It keeps its default glyphs, the
// black arrows of SpinUp.xpm and SpinDown.xpm.
SpinButton* spinButton(SpinField* field)
{
    auto* button = new SpinButton(field->parentWidget());
    const QRect f = field->geometry();
    button->setGeometry(f.right() + 1 - 20, f.top(), 20, f.height());
    button->raise();
    return button;
}

// A step from the spin buttons: the field's value plus delta, which setting the value clamps
// to the field's range. Worked out wide, so that a typed 2147483647 cannot overflow.
void stepField(SpinField* field, int delta)
{
    const long long stepped = static_cast<long long>(field->Value()) + delta;
    field->setValue(static_cast<int>(std::clamp<long long>(stepped, INT_MIN, INT_MAX)));
}

} // namespace

TConfigForm::TConfigForm(navrik::SettingsModel* settings)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint
                           | Qt::MSWindowsFixedSizeDialogHint)
    , m_settings(settings)
{
    setWindowTitle(tr("設定"));
    setFont(navrik::proportionalGothicFont());
    setFixedSize(265, 225);
    buildControls();
    nameControls();
    setFlatLook();
    bindEvents();
}

// ---- Controls ----------------------------------------------------------------------------

void TConfigForm::buildControls()
{
    // Labels first: they lie beneath every other control.
    Label1 = label(tr("文字（半角）"), this, 190, 14);
    Label7 = label(tr("ウィンドウサイズ"), this, 8, 60);
    Label8 = label(QStringLiteral("×"), this, 152, 64);

    AutoPaste = checkBox(tr("簡易エディタ不要"), this, {8, 32, 113, 17});
    AutoLines = checkBox(tr("１行の文字数を調整"), this, {8, 8, 129, 17});
    LineCount = spinField(this, navrik::SettingKey::Charcters, {140, 6, 49, 21});
    SpinUD = spinButton(LineCount);
    buildVersionBox();
    StayOnTop = checkBox(tr("最上面に配置"), this, {8, 80, 129, 17});
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setGeometry(192, 84, 65, 21);
    // Neither default nor auto-default: Enter presses it only while it has the focus.
    OKBtn->setAutoDefault(false);
    OKBtn->setDefault(false);
    FormX = spinField(this, navrik::SettingKey::FormWidth, {100, 56, 49, 21});
    FormY = spinField(this, navrik::SettingKey::FormHeight, {168, 56, 49, 21});
    SpinUDX = spinButton(FormX);
    SpinUDY = spinButton(FormY);

    // The Tab key follows the screen, row by row; the spin buttons and the version box are
    // never tab stops.
    setTabOrder(AutoLines, LineCount);
    setTabOrder(LineCount, AutoPaste);
    setTabOrder(AutoPaste, FormX);
    setTabOrder(FormX, FormY);
    setTabOrder(FormY, StayOnTop);
    setTabOrder(StayOnTop, OKBtn);

    // A screen reader names each field after its label.
    Label1->setBuddy(LineCount);
    Label7->setBuddy(FormX);
    FormX->setAccessibleName(tr("ウィンドウサイズ（幅）"));
    FormY->setAccessibleName(tr("ウィンドウサイズ（高さ）"));
    SpinUD->setAccessibleName(tr("文字数の増減"));
    SpinUDX->setAccessibleName(tr("幅の増減"));
    SpinUDY->setAccessibleName(tr("高さの増減"));
}

void TConfigForm::nameControls()
{
    const std::pair<QObject*, const char*> controls[] = {
        {Label1, "Label1"}, {Label7, "Label7"}, {Label8, "Label8"}, {AutoPaste, "AutoPaste"},
        {AutoLines, "AutoLines"}, {LineCount, "LineCount"}, {SpinUD, "SpinUD"}, {AboutBox, "AboutBox"},
        {IconImg, "IconImg"}, {Label2, "Label2"}, {Label3, "Label3"}, {Label4, "Label4"}, {Label5, "Label5"},
        {Label6, "Label6"}, {StayOnTop, "StayOnTop"}, {OKBtn, "OKBtn"}, {FormX, "FormX"}, {FormY, "FormY"},
        {SpinUDX, "SpinUDX"}, {SpinUDY, "SpinUDY"}};
    for (const auto& [control, name] : controls)
        control->setObjectName(QLatin1String(name));
}

void TConfigForm::buildVersionBox()
{
    AboutBox = new QGroupBox(tr("バージョン情報"), this);
    AboutBox->setGeometry(8, 104, 249, 113);

    IconImg = new QLabel(AboutBox);
    IconImg->setPixmap(navrik::programIconPixmap(IconImg));
    IconImg->move(8, 16);
    IconImg->adjustSize();

    Label2 = new QLabel(QStringLiteral("Navrik"), AboutBox);
    QFont bold = font();
    bold.setBold(true);
    Label2->setFont(bold);
    Label2->move(56, 20);
    Label2->adjustSize();
    Label3 = label(QStringLiteral("version " NAVRIK_VERSION), AboutBox, 72, 32);
    Label4 = label(tr("メールの返信に引用符を付ける道具"), AboutBox, 16, 56);
    Label5 = label(tr("作：Navrik 開発チーム"), AboutBox, 80, 70);
    Label6 = label(tr("ご利用ありがとうございます。"), AboutBox, 16, 88);
}

// Flat one-pixel borders instead of the style's raised and sunken ones; the version box's
// caption sits on its top line, and the box's items are placed from its outer corner.
void TConfigForm::setFlatLook()
{
    AboutBox->setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid palette(dark); margin-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 7px; padding: 0px 1px; }"));
}

void TConfigForm::bindEvents()
{
    // A check box runs its handler when its state changes, whether the user clicked it or
    // the program set it; setting the state it already has runs nothing.
    using navrik::bindHandler;
    bindHandler(AutoPaste, &QCheckBox::toggled, this, &TConfigForm::AutoPasteClick);
    bindHandler(AutoLines, &QCheckBox::toggled, this, &TConfigForm::AutoLinesClick);
    bindHandler(StayOnTop, &QCheckBox::toggled, this, &TConfigForm::StayOnTopClick);
    bindHandler(OKBtn, &QPushButton::clicked, this, &TConfigForm::OKBtnClick);
    bindHandler(SpinUD, &SpinButton::upClicked, this, &TConfigForm::SpinUDUpClick);
    bindHandler(SpinUD, &SpinButton::downClicked, this, &TConfigForm::SpinUDDownClick);
    bindHandler(SpinUDX, &SpinButton::upClicked, this, &TConfigForm::SpinUDXUpClick);
    bindHandler(SpinUDX, &SpinButton::downClicked, this, &TConfigForm::SpinUDXDownClick);
    bindHandler(SpinUDY, &SpinButton::upClicked, this, &TConfigForm::SpinUDYUpClick);
    bindHandler(SpinUDY, &SpinButton::downClicked, this, &TConfigForm::SpinUDYDownClick);

    // The fields hold the values in force as they are typed; the window-mode size takes effect
    // when it is applied (a size button, OK) or the mode changes.
    using Key = navrik::SettingKey;
    for (auto [field, key] : {std::pair{LineCount, Key::Charcters}, std::pair{FormX, Key::FormWidth},
                              std::pair{FormY, Key::FormHeight}}) {
        connect(field, &QLineEdit::textChanged, this,
                [this, field, key] { m_settings->setNumber(key, field->Value()); });
    }
    // The menu's 簡易エディタ不要 changes the mode: the box follows (and its handler finds the
    // mode already set).
    connect(m_settings, &navrik::SettingsModel::changed, this, [this](navrik::SettingKey key) {
        if (key == navrik::SettingKey::AutoPaste)
            AutoPaste->setChecked(m_settings->flag(key));
    });

    // A window manager closes the dialog on Alt+F4 by itself; without one the key does it here.
    auto* altF4 = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F4), this);
    altF4->setContext(Qt::WindowShortcut);
    connect(altF4, &QShortcut::activated, this, &QWidget::close);
}

// ---- Window events -----------------------------------------------------------------------

void TConfigForm::FormCreate()
{
    // The main window has loaded the settings and applied the mode and stay-on-top; the boxes
    // show them without running their handlers again. Setting the fields moves each value into
    // its range, as the settings in force already have it.
    using Key = navrik::SettingKey;
    for (auto [box, key] : {std::pair{AutoPaste, Key::AutoPaste}, std::pair{AutoLines, Key::AutoLines},
                            std::pair{StayOnTop, Key::StayOnTop}}) {
        const QSignalBlocker quiet(box);
        box->setChecked(m_settings->flag(key));
    }
    LineCount->setValue(m_settings->number(Key::Charcters));
    FormX->setValue(m_settings->number(Key::FormWidth));
    FormY->setValue(m_settings->number(Key::FormHeight));
    AutoLinesClick();
}

void TConfigForm::FormClose()
{
    // A number typed out of range is still there when the dialog closes without the focus
    // leaving its field; nothing out of range is ever stored. The main window keeps its size.
    LineCount->clampToRange();
    FormX->clampToRange();
    FormY->clampToRange();
    m_settings->save(navrik::SettingSaver::Dialog);
}

void TConfigForm::setVisible(bool visible)
{
    if (visible && !m_placed) {
        m_placed = true;
        // The first control takes the focus at the first opening; later openings return it to
        // the control that had it when the dialog was closed.
        AutoLines->setFocus(Qt::OtherFocusReason);
        centreFrame();
        // A window manager's frame is known only once the window is on the screen: centred
        // again when it shows up (see event()).
        m_frameCentred = frameGeometry().size() != size();
    }
    if (!visible)
        m_frameCentred = true;
    QDialog::setVisible(visible);
}

bool TConfigForm::event(QEvent* event)
{
    const bool handled = QDialog::event(event);
    const QEvent::Type type = event->type();
    const bool placed = type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show;
    if (placed && !m_frameCentred && isVisible() && frameGeometry().size() != size()) {
        m_frameCentred = true;
        centreFrame();
    }
    return handled;
}

// Places the window so that its frame, where it has one, stands in the middle of the screen.
void TConfigForm::centreFrame()
{
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        const QSize size = frameGeometry().size();
        move(area.x() + std::max(0, (area.width() - size.width()) / 2),
             area.y() + std::max(0, (area.height() - size.height()) / 2));
    }
}

// Escape closes the dialog as its close box does.
void TConfigForm::reject()
{
    close();
}

// Every close request (OK, the close box, Alt+F4, the window menu) saves and then ends the
// modal loop with the hidden dialog. A failed save shows the error box and keeps it open.
// Closing the main window while the dialog is open leaves its loop without a close request,
// so the dialog saves nothing then; the end of the session and the end signals save its share
// themselves.
void TConfigForm::closeEvent(QCloseEvent* event)
{
    if (!isVisible()) {
        event->accept();
        return;
    }
    if (!navrik::guarded([&] { FormClose(); })) {
        event->ignore();
        return;
    }
    done(QDialog::Rejected);
    event->accept();
}

void TConfigForm::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && OKBtn->hasFocus()) {
        OKBtn->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---- Control events ----------------------------------------------------------------------

void TConfigForm::AutoLinesClick()
{
    m_settings->setFlag(navrik::SettingKey::AutoLines, AutoLines->isChecked());
    LineCount->setEnabled(AutoLines->isChecked());
    SpinUD->setEnabled(AutoLines->isChecked());
}

void TConfigForm::AutoPasteClick()
{
    m_settings->setFlag(navrik::SettingKey::AutoPaste, AutoPaste->isChecked());
}

// Toggles the main window's stay-on-top, whatever this box now shows.
void TConfigForm::StayOnTopClick()
{
    m_settings->setDialogStayOnTop(StayOnTop->isChecked());
    m_settings->setFlag(navrik::SettingKey::StayOnTop, !m_settings->flag(navrik::SettingKey::StayOnTop));
    // The main window has just been shown again with its new flags. Without a window manager
    // the last window shown stands on top and nothing gives the focus back: the dialog, which
    // blocks the main window, comes back above it with the focus.
    if (isVisible()) {
        raise();
        activateWindow();
    }
}

// Applies a typed width and height in window mode, then closes (and saves).
void TConfigForm::OKBtnClick()
{
    m_settings->applyFormSize();
    close();
}

void TConfigForm::SpinUDUpClick()
{
    stepField(LineCount, LineCount->Increment());
}

void TConfigForm::SpinUDDownClick()
{
    stepField(LineCount, -LineCount->Increment());
}

void TConfigForm::SpinUDXUpClick()
{
    stepField(FormX, FormX->Increment());
    m_settings->applyFormSize();
}

void TConfigForm::SpinUDXDownClick()
{
    stepField(FormX, -FormX->Increment());
    m_settings->applyFormSize();
}

void TConfigForm::SpinUDYUpClick()
{
    stepField(FormY, FormY->Increment());
    m_settings->applyFormSize();
}

void TConfigForm::SpinUDYDownClick()
{
    stepField(FormY, -FormY->Increment());
    m_settings->applyFormSize();
}
