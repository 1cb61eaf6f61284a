// SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <QString>
#include <QWidget>

#include <memory>
#include <string>

class QAction;
class QDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTimer;
class ToolButton;

namespace navrik {
class GlobalShortcut;
class SettingsModel;
enum class SettingKey;
}

// The main window: a small borderless window with the quote mark field, three tool
// buttons, the text buffer and the program's icon on one flat panel. In icon mode it
// shrinks to the 32 by 32 icon and everything runs through the popup menu. Its mode, stay-on-top
// and the quoting options follow the settings model.
class TMainForm : public QWidget {
    Q_OBJECT

public:
    explicit TMainForm(navrik::SettingsModel* settings);
    ~TMainForm() override;

    // The dialog that 設定 and オプション設定 show modally.
    void setSettingsDialog(QDialog* dialog) { m_settingsDialog = dialog; }

    // Window events.
    void FormCreate();
    void FormClose();
    void FormResize();

    // The mode switch: true lays the window out as its icon, false as the whole panel at
    // the window-mode size in force.
    void FormRedraw(bool icon);

    // Pointer handlers; positions are in the reporting control's own coordinates.
    void MainPanelMouseMove(int x, int y);
    void MakeBtnMouseMove(int x, int y);
    void PasteBtnMouseMove(int x, int y);
    void ConfigBtnMouseMove(int x, int y);
    void IconImgMouseMove(int x, int y);
    void MainPanelMouseDown(Qt::MouseButton button, int x, int y);
    void MainPanelMouseUp();
    void PopupTimerTimer();

    // Commands.
    void MakeBtnClick();
    void PasteBtnClick();
    void IconImgDblClick();
    void AutoPasteClick();
    void ConfigBtnClick();
    void StayOnTopClick();
    void K7Click();
    void SmartBreaksClick();
    void ReflowClick();
    void Exit1Click();
    void GlobalHotKeyClick();
    void StartAtLoginClick();

    // Brings the window to the front: shown, not minimised, raised above the others and active.
    // A second start of the program, or its --show, asks for this.
    void BringToFront();

    // Which tool button is drawn highlighted: 0 none, 1 MakeBtn, 2 PasteBtn, 3 ConfigBtn.
    int hoverState() const { return m_hoverState; }
    bool isDragging() const { return m_dragFlag != 0; }
    // True once a close has saved the settings and asked the program to end.
    bool isQuitting() const { return m_quitting; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Controls, in the order buildControls() makes them, each with its name as its object name.
    // All but MainPanel lie on the panel's client area, so their positions are relative to it.
    QFrame* MainPanel;
    QLabel* IconImg;
    QLabel* Label1;
    QLineEdit* FlagEdit;
    QPlainTextEdit* MailBuff;
    ToolButton* PasteBtn;
    ToolButton* ConfigBtn;
    ToolButton* MakeBtn;

    // Components without a place on the screen.
    QMenu* MainPopup;
    QAction* K1;
    QAction* N1;
    QAction* AutoPaste;
    QAction* K3;
    QAction* StayOnTop;
    QAction* N3;
    QAction* K7;
    QMenu* OptionsMenu;    // 追加オプション, just above 終了
    QAction* SmartBreaks;  // in OptionsMenu: 禁則処理で改行
    QAction* Reflow;       // in OptionsMenu: 段落を再整形
    QAction* GlobalHotKey; // in OptionsMenu: グローバルホットキー
    QAction* StartAtLogin; // in OptionsMenu: ログイン時に起動
    QAction* Exit1;
    QTimer* PopupTimer;

    void buildControls();
    void nameControls();
    void buildPopupMenu();
    void bindEvents();
    void toolButtonMouseMove(ToolButton* button, int n, int x, int y);
    void applyStayOnTop(bool on);
    // Sets or clears a window flag, which hides the window, and shows it again as it was.
    void setWindowFlagInPlace(Qt::WindowType flag, bool on);
    ToolButton* toolButton(int n) const;
    void applyLayout(bool icon);
    void setPanelBorder(bool single);
    void setWindowWidth(int width);
    void setWindowHeight(int height);
    QRect screenSpace() const;
    void placeOnScreens();
    void fitOnScreen();
    void popupAtFocus(QWidget* control);
    void fitPanelClient();
    void endDrag();
    void applyHotKey();
    void settingChanged(navrik::SettingKey key);

    navrik::SettingsModel* m_settings;
    QDialog* m_settingsDialog = nullptr;
    bool m_saveFailed = false; // a close could not save: the next close ends the program anyway
    QWidget* m_panelClient; // the client area of MainPanel, inside its border
    int m_hoverState = 0;   // tool button drawn highlighted
    int m_dragFlag = 0;     // -1 while the window follows the pointer
    QPoint m_anchor;        // press point during a drag, pointer position while PopupTimer runs
    QPoint m_lastPointer;   // global pointer position of the last move event seen
    // Where the window was put at start-up (elsewhere than the stored place, when that is off
    // every screen): until it moves from there, the stored place is saved back as it was.
    QPoint m_appliedPlace;
    bool m_keepStoredPlace = false;
    bool m_quitting = false;
    QLabel* m_menuHint = nullptr; // made when the icon first opens its menu, to say how it opens
    std::unique_ptr<navrik::GlobalShortcut> m_hotKey;
    std::string m_lastHotKey; // the combination GlobalHotKey turns back on
};
