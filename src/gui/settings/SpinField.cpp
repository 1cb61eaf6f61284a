// SPDX-License-Identifier: MIT
#include "gui/settings/SpinField.h"

#include "gui/settings/SpinButton.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontInfo>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>
#include <utility>

namespace navrik {
namespace {

SpinField::BeepFunction s_beep = &QApplication::beep;

constexpr int kButtonWidth = 15;
// The text stops this far before the right edge of the area inside the border, clear of the
// built-in button and one pixel beside it.
constexpr int kTextEndGap = kButtonWidth + 2;
// QLineEdit draws its text this far inside its contents rectangle on either side.
constexpr int kLineEditInnerMargin = 2;
// A thin window border.
constexpr int kThinBorder = 1;

} // namespace

SpinField::SpinField(QWidget* parent) : QLineEdit(QStringLiteral("0"), parent)
{
    setInputMethodHints(Qt::ImhFormattedNumbersOnly);
    // No edit menu: it would show in English inside the dialog.
    setContextMenuPolicy(Qt::PreventContextMenu);
    m_button = new SpinButton(this);
    m_button->setFocusControl(this);
    m_button->setCursor(Qt::ArrowCursor);
    connect(m_button, &SpinButton::upClicked, this, &SpinField::stepUp);
    connect(m_button, &SpinButton::downClicked, this, &SpinField::stepDown);
    setMinimumHeight(minimumFieldHeight());
    layOut();
}

int SpinField::Value() const
{
    return m_rules.read(text().toStdString());
}

void SpinField::setValue(int value)
{
    setText(QString::fromStdString(m_rules.write(value)));
}

void SpinField::stepUp()
{
    setText(QString::fromStdString(m_rules.stepUp(text().toStdString())));
}

void SpinField::stepDown()
{
    setText(QString::fromStdString(m_rules.stepDown(text().toStdString())));
}

// The pixel size of a font is its line height as the system measures it for these faces;
// Qt's ascent plus descent comes out a pixel taller for IPAPGothic at 12 pixels, because
// it rounds each of them up.
int SpinField::minimumFieldHeight() const
{
    const int h = QFontInfo(font()).pixelSize();
    const int s = QFontInfo(QApplication::font()).pixelSize();
    return h + std::min(h, s) / 4 + 4 * kThinBorder + 2;
}

SpinField::BeepFunction SpinField::setBeepFunction(BeepFunction beep)
{
    return std::exchange(s_beep, beep);
}

bool SpinField::accepts(QChar c)
{
    if (c.unicode() == '\r')
        return false;
    if (c.unicode() < 0x20 || c.unicode() == 0x7f)
        return true;
    if ((c >= u'0' && c <= u'9') || c == u'+' || c == u'-')
        return true;
    return QLocale().decimalPoint() == QString(c);
}

bool SpinField::isEditingShortcut(const QKeyEvent* event)
{
    for (QKeySequence::StandardKey key : {QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste,
                                          QKeySequence::SelectAll, QKeySequence::Undo, QKeySequence::Redo}) {
        if (event->matches(key))
            return true;
    }
    return false;
}

void SpinField::keyPressEvent(QKeyEvent* event)
{
    // The step changes the text and nothing else; a one-line edit has no use for the arrow.
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        if (event->key() == Qt::Key_Up)
            stepUp();
        else
            stepDown();
        event->accept();
        return;
    }
    // The editing shortcuts go through; any other character key held with Ctrl, Alt or Super is
    // refused like the character itself (Alt+A would type "a", Ctrl+M a line break). Keys that
    // type nothing (the arrows, Home, Backspace, Tab) go through with any modifier.
    if (isEditingShortcut(event)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const auto shortcutModifiers = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    const bool characterKey = event->key() > Qt::Key_Space && event->key() <= Qt::Key_ydiaeresis;
    const QString typed = asciiForm(event->text());
    const bool withModifier = (event->modifiers() & shortcutModifiers) != 0;
    if (withModifier ? !characterKey
                     : typed.isEmpty() || std::all_of(typed.begin(), typed.end(), accepts)) {
        if (withModifier || typed == event->text())
            QLineEdit::keyPressEvent(event);
        else
            insert(typed); // a full-width digit goes in as its ASCII digit
        event->accept();
        return;
    }
    // Enter ends here too, so it never reaches the dialog's buttons.
    event->accept();
    s_beep();
}

// Committed input-method text follows the typing rules, full-width digits and signs taken as
// their ASCII forms; paste does not come this way. The composition takes the selected text
// away as it starts: a refused one puts the field back as it was before it.
void SpinField::inputMethodEvent(QInputMethodEvent* event)
{
    if (!m_composing)
        m_beforeComposing = {text(), selectionStart(), selectionLength(), cursorPosition()};
    m_composing = !event->preeditString().isEmpty();
    const QString committed = asciiForm(event->commitString());
    if (std::all_of(committed.begin(), committed.end(), accepts)) {
        QInputMethodEvent ascii(event->preeditString(), event->attributes());
        ascii.setCommitString(committed, event->replacementStart(), event->replacementLength());
        QLineEdit::inputMethodEvent(&ascii);
        return;
    }
    s_beep();
    QInputMethodEvent kept(event->preeditString(), event->attributes());
    QLineEdit::inputMethodEvent(&kept);
    const Snapshot& before = m_beforeComposing;
    setText(before.text);
    if (before.selectionStart >= 0)
        setSelection(before.selectionStart, before.selectionLength);
    else
        setCursorPosition(before.cursor);
}

QString SpinField::asciiForm(const QString& text)
{
    return QString::fromStdString(SpinValue::asciiForm(text.toStdString()));
}

void SpinField::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (event->reason() != Qt::MouseFocusReason && event->reason() != Qt::PopupFocusReason)
        selectAll();
}

// Leaving: the focus went to another control of this window and the window is still active.
// Hiding the window or switching to another one keeps the text as typed; so does a menu.
void SpinField::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason
        || reason == Qt::MenuBarFocusReason)
        return;
    const QWidget* next = QApplication::focusWidget();
    if (!next || next == this || next->window() != window() || !window()->isActiveWindow())
        return;
    clampToRange();
}

void SpinField::clampToRange()
{
    if (m_rules.needsClamp(text().toStdString()))
        setValue(Value());
}

void SpinField::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    layOut();
}

void SpinField::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::ApplicationFontChange:
        setMinimumHeight(minimumFieldHeight());
        break;
    case QEvent::StyleChange:
        layOut();
        break;
    default:
        break;
    }
}

int SpinField::frameWidth() const
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    return option.lineWidth;
}

// The area inside the border is the field's client area. The button stands one pixel inside
// its right and bottom edges (x = width - 15 - 5 and height - 5 under a 2-pixel border), and
// the text ends 17 pixels before its right edge.
void SpinField::layOut()
{
    const int frame = frameWidth();
    const QRect client = rect().adjusted(frame, frame, -frame, -frame);
    m_button->setGeometry(client.right() - kButtonWidth, client.top(), kButtonWidth,
                          client.height() - 1);

    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    const int textEnd = client.right() + 1 - kTextEndGap;
    const int right = contents.right() + 1 - kLineEditInnerMargin - textEnd;
    const QMargins margins = textMargins();
    if (margins.right() != std::max(right, 0))
        setTextMargins(margins.left(), margins.top(), std::max(right, 0), margins.bottom());
}

} // namespace navrik
