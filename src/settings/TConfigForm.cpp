#include "settings/TConfigForm.h"

#include "app/ErrorBox.h"
#include "app/Fonts.h"
#include "app/Forms.h"
#include "app/SettingsFile.h"
#include "app/SettingsKeys.h"
#include "mainwindow/TMainForm.h"

#include <QAction>
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

SpinField* spinField(QWidget* parent, int minValue, int maxValue, int increment, int value,
                     QRect geometry)
{
    auto* field = new SpinField(parent);
    field->setMinValue(minValue);
    field->setMaxValue(maxValue);
    field->setIncrement(increment);
    field->setValue(value);
    field->setGeometry(geometry);
    return field;
}

// Laid over the right 20 pixels of its field, above it, so that it covers the field's own
// built-in button and the pointer never reaches that one. It keeps its default glyphs, the
// same black arrows the dialog declares.
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

TConfigForm::TConfigForm()
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint
                           | Qt::MSWindowsFixedSizeDialogHint)
{
    setWindowTitle(QStringLiteral("設定"));
    setFont(navrik::proportionalGothicFont());
    setFixedSize(265, 225);
    buildControls();
    setFlatLook();
    bindEvents();
}

// ---- Declaration -------------------------------------------------------------------------

void TConfigForm::buildControls()
{
    // Labels first: they lie beneath every other control.
    Label1 = label(QStringLiteral("文字（半角）"), this, 190, 14);
    Label7 = label(QStringLiteral("ウィンドウサイズ"), this, 8, 60);
    Label8 = label(QStringLiteral("×"), this, 152, 64);

    AutoPaste = checkBox(QStringLiteral("簡易エディタ不要"), this, {8, 32, 113, 17});
    AutoLines = checkBox(QStringLiteral("１行の文字数を調整"), this, {8, 8, 129, 17});
    LineCount = spinField(this, 20, 120, 1, 70, {140, 6, 49, 21});
    SpinUD = spinButton(LineCount);
    buildVersionBox();
    StayOnTop = checkBox(QStringLiteral("最上面に配置"), this, {8, 80, 129, 17});
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setGeometry(192, 84, 65, 21);
    // Neither default nor auto-default: Enter presses it only while it has the focus.
    OKBtn->setAutoDefault(false);
    OKBtn->setDefault(false);
    FormX = spinField(this, 300, 600, 50, 300, {100, 56, 49, 21});
    FormY = spinField(this, 200, 400, 50, 200, {168, 56, 49, 21});
    SpinUDX = spinButton(FormX);
    SpinUDY = spinButton(FormY);

    // The spin buttons and the version box are never tab stops.
    setTabOrder(AutoPaste, AutoLines);
    setTabOrder(AutoLines, LineCount);
    setTabOrder(LineCount, StayOnTop);
    setTabOrder(StayOnTop, OKBtn);
    setTabOrder(OKBtn, FormX);
    setTabOrder(FormX, FormY);
    // Where the focus goes at the first opening; later openings return it to the control
    // that had it when the dialog was closed.
    AutoPaste->setFocus(Qt::OtherFocusReason);
}

void TConfigForm::buildVersionBox()
{
    AboutBox = new QGroupBox(QStringLiteral("バージョン情報"), this);
    AboutBox->setGeometry(8, 104, 249, 113);

    IconImg = new QLabel(AboutBox);
    IconImg->setPixmap(QPixmap(QStringLiteral(":/navrik.xpm")));
    IconImg->move(8, 16);
    IconImg->adjustSize();

    Label2 = new QLabel(QStringLiteral("Navrik"), AboutBox);
    QFont bold = font();
    bold.setBold(true);
    Label2->setFont(bold);
    Label2->move(56, 20);
    Label2->adjustSize();
    Label3 = label(QStringLiteral("version " NAVRIK_VERSION), AboutBox, 72, 32);
    Label4 = label(QStringLiteral("メールの返信に引用符を付ける道具"), AboutBox, 16, 56);
    Label5 = label(QStringLiteral("作：Navrik 開発チーム"), AboutBox, 80, 70);
    Label6 = label(QStringLiteral("ご利用ありがとうございます。"), AboutBox, 16, 88);
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
    connect(AutoPaste, &QCheckBox::toggled, this, [this] { navrik::guarded([&] { AutoPasteClick(AutoPaste); }); });
    connect(AutoLines, &QCheckBox::toggled, this, [this] { navrik::guarded([&] { AutoLinesClick(AutoLines); }); });
    connect(StayOnTop, &QCheckBox::toggled, this, [this] { navrik::guarded([&] { StayOnTopClick(StayOnTop); }); });
    connect(OKBtn, &QPushButton::clicked, this, [this] { navrik::guarded([&] { OKBtnClick(OKBtn); }); });
    SpinUD->OnUpClick = [this](SpinButton* sender) { navrik::guarded([&] { SpinUDUpClick(sender); }); };
    SpinUD->OnDownClick = [this](SpinButton* sender) { navrik::guarded([&] { SpinUDDownClick(sender); }); };
    SpinUDX->OnUpClick = [this](SpinButton* sender) { navrik::guarded([&] { SpinUDXUpClick(sender); }); };
    SpinUDX->OnDownClick = [this](SpinButton* sender) { navrik::guarded([&] { SpinUDXDownClick(sender); }); };
    SpinUDY->OnUpClick = [this](SpinButton* sender) { navrik::guarded([&] { SpinUDYUpClick(sender); }); };
    SpinUDY->OnDownClick = [this](SpinButton* sender) { navrik::guarded([&] { SpinUDYDownClick(sender); }); };

    // A window manager closes the dialog on Alt+F4 by itself; without one the key does it here.
    auto* altF4 = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F4), this);
    altF4->setContext(Qt::WindowShortcut);
    connect(altF4, &QShortcut::activated, this, &QWidget::close);
}

// ---- Window events -----------------------------------------------------------------------

void TConfigForm::FormCreate(QObject*)
{
    const navrik::SettingsFile file;
    const auto section = navrik::kSettingsSection;

    // Each check box runs its click handler here when the stored state differs from its own:
    // icon mode, line adjustment, stay-on-top. The spin fields are read after them.
    AutoPaste->setChecked(file.ReadFlag(section, navrik::kKeyAutoPaste.name, AutoPaste->isChecked()));
    AutoLines->setChecked(file.ReadFlag(section, navrik::kKeyAutoLines.name, AutoLines->isChecked()));
    StayOnTop->setChecked(file.ReadFlag(section, navrik::kKeyStayOnTop.name, StayOnTop->isChecked()));
    LineCount->setValue(file.ReadNumber(section, navrik::kKeyCharcters.name, LineCount->Value()));
    FormX->setValue(file.ReadNumber(section, navrik::kKeyFormWidth.name, FormX->Value()));
    FormY->setValue(file.ReadNumber(section, navrik::kKeyFormHeight.name, FormY->Value()));

    AutoLinesClick(AutoLines);
}

void TConfigForm::FormClose(QObject*)
{
    // A number typed out of range is still there when the dialog closes without the focus
    // leaving its field; nothing out of range is ever stored. The main window keeps its size.
    LineCount->clampToRange();
    FormX->clampToRange();
    FormY->clampToRange();

    const navrik::SettingsFile file;
    const auto section = navrik::kSettingsSection;
    file.WriteFlag(section, navrik::kKeyAutoPaste.name, AutoPaste->isChecked());
    file.WriteFlag(section, navrik::kKeyAutoLines.name, AutoLines->isChecked());
    file.WriteFlag(section, navrik::kKeyStayOnTop.name, StayOnTop->isChecked());
    file.WriteNumber(section, navrik::kKeyCharcters.name, LineCount->Value());
    file.WriteNumber(section, navrik::kKeyFormWidth.name, FormX->Value());
    file.WriteNumber(section, navrik::kKeyFormHeight.name, FormY->Value());
}

void TConfigForm::setVisible(bool visible)
{
    if (visible && !m_placed) {
        m_placed = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->geometry();
            const QSize size = frameGeometry().size();
            move(area.x() + std::max(0, (area.width() - size.width()) / 2),
                 area.y() + std::max(0, (area.height() - size.height()) / 2));
        }
    }
    QDialog::setVisible(visible);
}

void TConfigForm::reject()
{
}

// Every close request (OK, the close box, Alt+F4, the window menu) saves and then ends the
// modal loop with the hidden dialog. A failed save shows the error box and keeps it open.
// Ending the program while the dialog is open leaves its loop without a close request, so
// nothing is saved then.
void TConfigForm::closeEvent(QCloseEvent* event)
{
    if (!isVisible()) {
        event->accept();
        return;
    }
    if (!navrik::guarded([&] { FormClose(this); })) {
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

void TConfigForm::AutoLinesClick(QObject*)
{
    LineCount->setEnabled(AutoLines->isChecked());
    SpinUD->setEnabled(AutoLines->isChecked());
}

void TConfigForm::AutoPasteClick(QObject*)
{
    MainForm->FormRedraw(AutoPaste->isChecked());
}

// Toggles the main window's stay-on-top through its popup item, whatever this box now shows.
void TConfigForm::StayOnTopClick(QObject*)
{
    MainForm->StayOnTop->trigger();
}

// Applies a typed width and height in window mode, then closes (and saves).
void TConfigForm::OKBtnClick(QObject*)
{
    MainForm->FormRedraw(AutoPaste->isChecked());
    close();
}

void TConfigForm::SpinUDUpClick(QObject*)
{
    stepField(LineCount, 1);
}

void TConfigForm::SpinUDDownClick(QObject*)
{
    stepField(LineCount, -1);
}

void TConfigForm::SpinUDXUpClick(QObject*)
{
    stepField(FormX, 50);
    MainForm->FormRedraw(AutoPaste->isChecked());
}

void TConfigForm::SpinUDXDownClick(QObject*)
{
    stepField(FormX, -50);
    MainForm->FormRedraw(AutoPaste->isChecked());
}

void TConfigForm::SpinUDYUpClick(QObject*)
{
    stepField(FormY, 50);
    MainForm->FormRedraw(AutoPaste->isChecked());
}

void TConfigForm::SpinUDYDownClick(QObject*)
{
    stepField(FormY, -50);
    MainForm->FormRedraw(AutoPaste->isChecked());
}
