// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QValidator>

class QLineEdit;

// Guards the quote mark field: the mark is one line, which the file keeps in code page 932.
// An edit that would put in a character code page 932 cannot store, or a NUL, is refused, so
// the stored mark always comes back exactly; the field beeps on a refusal. Text put in with
// line breaks (a mail pasted into the field) keeps its first line only, and linesDropped() is
// emitted. Typed, pasted and dropped text alike.
class QuoteMarkValidator : public QValidator {
    Q_OBJECT

public:
    // Installs itself on the field.
    explicit QuoteMarkValidator(QLineEdit* field);

    State validate(QString& input, int& position) const override;

signals:
    void linesDropped() const;

private:
    QString m_before; // the field's text before the edit being validated
};
