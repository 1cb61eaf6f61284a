// SPDX-License-Identifier: MIT
#pragma once

#include <QValidator>

// Refuses an edit of the quote mark field that would put in a character code page 932 cannot
// store (the file keeps a typed mark in code page 932), so the stored mark always comes back
// exactly. Typed and pasted text alike; the field beeps on a refusal.
class QuoteMarkValidator : public QValidator {
    Q_OBJECT

public:
    using QValidator::QValidator;

    State validate(QString& input, int& position) const override;
};
