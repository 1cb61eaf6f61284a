#include "settings/TConfigForm.h"

#include "app/ErrorBox.h"
#include "app/Fonts.h"
#include "app/Forms.h"
#include "mainwindow/TMainForm.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>

namespace {

QSpinBox* spinBox(QWidget* parent, int min, int max, int step, int value, QRect geometry)
{
    auto* box = new QSpinBox(parent);
    box->setRange(min, max);
    box->setSingleStep(step);
    box->setValue(value);
    box->setGeometry(geometry);
    return box;
}

} // namespace

TConfigForm::TConfigForm()
    : QDialog(nullptr, Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("設定"));
    setFont(navrik::proportionalGothicFont());
    setFixedSize(265, 225);

    AutoPaste = new QCheckBox(QStringLiteral("簡易エディタ不要"), this);
    AutoPaste->setGeometry(8, 32, 113, 17);
    AutoLines = new QCheckBox(QStringLiteral("１行の文字数を調整"), this);
    AutoLines->setGeometry(8, 8, 129, 17);
    LineCount = spinBox(this, 20, 120, 1, 70, {140, 6, 49, 21});
    StayOnTop = new QCheckBox(QStringLiteral("最上面に配置"), this);
    StayOnTop->setGeometry(8, 80, 129, 17);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setGeometry(192, 84, 65, 21);
    OKBtn->setAutoDefault(false);
    FormX = spinBox(this, 300, 600, 50, 300, {100, 56, 49, 21});
    FormY = spinBox(this, 200, 400, 50, 200, {168, 56, 49, 21});

    // A check box runs its handler whenever its state changes, by the user or the program.
    connect(AutoPaste, &QCheckBox::toggled, this, [this] { navrik::guarded([&] { AutoPasteClick(AutoPaste); }); });
    connect(AutoLines, &QCheckBox::toggled, this, [this] { navrik::guarded([&] { AutoLinesClick(AutoLines); }); });
    connect(StayOnTop, &QCheckBox::toggled, this, [this] { navrik::guarded([&] { StayOnTopClick(StayOnTop); }); });
    connect(OKBtn, &QPushButton::clicked, this, [this] { navrik::guarded([&] { OKBtnClick(OKBtn); }); });
}

void TConfigForm::FormCreate(QObject*)
{
    LineCount->setEnabled(AutoLines->isChecked());
}

void TConfigForm::AutoLinesClick(QObject*)
{
    LineCount->setEnabled(AutoLines->isChecked());
}

void TConfigForm::AutoPasteClick(QObject*)
{
    MainForm->FormRedraw(AutoPaste->isChecked());
}

void TConfigForm::StayOnTopClick(QObject*)
{
    MainForm->StayOnTop->trigger();
}

void TConfigForm::OKBtnClick(QObject*)
{
    MainForm->FormRedraw(AutoPaste->isChecked());
    close();
}
