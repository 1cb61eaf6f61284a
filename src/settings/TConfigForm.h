#pragma once

#include "settings/SpinButton.h"
#include "settings/SpinField.h"

#include <QDialog>

class QCheckBox;
class QCloseEvent;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QPushButton;

// The settings dialog. Its controls are the settings: the quote command and the main window
// read them whenever they need an option, and changes take effect while the dialog is open.
// It is created once at start-up, shown only modally, and hidden, never destroyed, when it
// closes; every closing saves its settings.
class TConfigForm : public QDialog {
    Q_OBJECT

public:
    TConfigForm();

    // Controls, in the order the dialog declares (and stacks) them.
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

    // Window events.
    void FormCreate(QObject* sender);
    void FormClose(QObject* sender);

    // Control events.
    void AutoLinesClick(QObject* sender);
    void AutoPasteClick(QObject* sender);
    void StayOnTopClick(QObject* sender);
    void OKBtnClick(QObject* sender);
    void SpinUDUpClick(QObject* sender);
    void SpinUDDownClick(QObject* sender);
    void SpinUDXUpClick(QObject* sender);
    void SpinUDXDownClick(QObject* sender);
    void SpinUDYUpClick(QObject* sender);
    void SpinUDYDownClick(QObject* sender);

    // Centres the dialog on the screen the first time it is shown; later it shows where it
    // was left.
    void setVisible(bool visible) override;

public slots:
    // The dialog has no cancel: Escape, and anything else that would reject it, does nothing.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void buildVersionBox();
    void bindEvents();
    void setFlatLook();

    bool m_placed = false; // shown once: the position is the user's from now on
};
