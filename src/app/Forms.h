#pragma once

class TMainForm;
class TConfigForm;

// The program-wide references to its two windows. Each is set before its window's
// creation handler runs; ConfigForm is null while the main window is being created.
extern TMainForm* MainForm;
extern TConfigForm* ConfigForm;
