// SPDX-License-Identifier: MIT
#pragma once

class TMainForm;
class TConfigForm;

// The program-wide references to its two windows, for start-up, shutdown and the tests. Each is
// set before its window's creation handler runs; ConfigForm is null while the main window is
// being created. The windows themselves share state only through the settings model.
extern TMainForm* MainForm;
extern TConfigForm* ConfigForm;
