#pragma once

#include <QDialog>

class QCheckBox;
class QPushButton;
class QSpinBox;

// The settings dialog. Its controls are the settings: other windows read them whenever
// they need an option.
class TConfigForm : public QDialog {
    Q_OBJECT

public:
    TConfigForm();

    QCheckBox* AutoPaste;
    QCheckBox* AutoLines;
    QCheckBox* StayOnTop;
    QSpinBox* LineCount;
    QSpinBox* FormX;
    QSpinBox* FormY;
    QPushButton* OKBtn;

    void FormCreate(QObject* sender);
    void AutoLinesClick(QObject* sender);
    void AutoPasteClick(QObject* sender);
    void StayOnTopClick(QObject* sender);
    void OKBtnClick(QObject* sender);
};
