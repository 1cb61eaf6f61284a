// SPDX-License-Identifier: MIT
#include "gui/mainwindow/QuoteMarkValidator.h"

#include "core/Cp932.h"

#include <QLineEdit>

namespace {

qsizetype lineBreakIn(const QString& text, qsizetype from = 0)
{
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n')
            return i;
    }
    return -1;
}

} // namespace

QuoteMarkValidator::QuoteMarkValidator(QLineEdit* field) : QValidator(field), m_before(field->text())
{
    field->setValidator(this);
    connect(field, &QLineEdit::textChanged, this, [this](const QString& text) { m_before = text; });
}

QValidator::State QuoteMarkValidator::validate(QString& input, int& position) const
{
    if (input.contains(QChar(0)))
        return Invalid;
    if (lineBreakIn(input) >= 0) {
        // What the edit put in lies between the text kept before and after it; only its first
        // line goes in.
        qsizetype head = 0;
        while (head < input.size() && head < m_before.size() && input[head] == m_before[head])
            ++head;
        qsizetype tail = 0;
        while (tail < input.size() - head && tail < m_before.size() - head
               && input[input.size() - 1 - tail] == m_before[m_before.size() - 1 - tail])
            ++tail;
        const qsizetype cut = lineBreakIn(input, head);
        if (cut >= 0 && cut < input.size() - tail) {
            input = input.left(cut) + input.right(tail);
            position = int(cut);
        } else {
            input.truncate(lineBreakIn(input)); // a break the field held before: none after it
            position = std::min(position, int(input.size()));
        }
        emit linesDropped();
    }
    return navrik::representableInCp932(input.toStdString()) ? Acceptable : Invalid;
}
