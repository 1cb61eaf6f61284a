// SPDX-License-Identifier: MIT
#include "app/Forms.h"

TMainForm* MainForm = nullptr;
TConfigForm* ConfigForm = nullptr;
