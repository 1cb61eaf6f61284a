// SPDX-License-Identifier: MIT
#include "gui/mainwindow/QuoteMarkValidator.h"

#include "core/Cp932.h"

QValidator::State QuoteMarkValidator::validate(QString& input, int&) const
{
    return navrik::representableInCp932(input.toStdString()) ? Acceptable : Invalid;
}
