// SPDX-License-Identifier: MIT
#pragma once

#include "gui/settings/SpinButton.h"
#include "gui/settings/SpinField.h"

#include <QDialog>

class QCheckBox;
class QCloseEvent;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QPushButton;

namespace navrik {
class SettingsModel;
}

// The settings dialog. Its controls edit the settings model, so changes take effect while the
// dialog is open; it follows the mode when the main window's menu changes it. It is created once
// at start-up, shown only modally, and hidden, never destroyed, when it closes; every closing
// saves its share of the settings.
class TConfigForm : public QDialog {
    Q_OBJECT

public:
    explicit TConfigForm(navrik::SettingsModel* settings);

    // Window events.
    void FormCreate();
    void FormClose();

    // Control events.
    void AutoLinesClick();
    void AutoPasteClick();
    void StayOnTopClick();
    void OKBtnClick();
    void SpinUDUpClick();
    void SpinUDDownClick();
    void SpinUDXUpClick();
    void SpinUDXDownClick();
    void SpinUDYUpClick();
    void SpinUDYDownClick();

    // Centres the dialog's frame on its screen (the one it was given, see setScreen) the first
    // time it is shown; later it shows where it was left.
    void setVisible(bool visible) override;

public slots:
    // The dialog has no cancel: Escape, and anything else that would reject it, closes it as
    // the close box does (and so saves).
    void reject() override;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Controls, in the order buildControls() makes (and so stacks) them, each with its name as
    // its object name.
    QLabel* Label1;
    QLabel* Label7;
    QLabel* Label8;
    QCheckBox* AutoPaste;
    QCheckBox* AutoLines;
    navrik::SpinField* LineCount;
    navrik::SpinButton* SpinUD;
    QGroupBox* AboutBox;
    QLabel* IconImg;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QCheckBox* StayOnTop;
    QPushButton* OKBtn;
    navrik::SpinField* FormX;
    navrik::SpinField* FormY;
    navrik::SpinButton* SpinUDX;
    navrik::SpinButton* SpinUDY;

    void buildControls();
    void nameControls();
    void buildVersionBox();
    void bindEvents();
    void setFlatLook();
    void centreFrame();

    navrik::SettingsModel* m_settings;
    bool m_placed = false;       // shown once: the position is the user's from now on
    bool m_frameCentred = true;  // false from the first showing until the frame is known
};
