#pragma once

#include <QPoint>
#include <QWidget>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTimer;
class ToolButton;

// The main window: a small borderless window with the quote mark field, three tool
// buttons, the text buffer and the program's icon on one flat panel. In icon mode it
// shrinks to the 32 by 32 icon and everything runs through the popup menu.
class TMainForm : public QWidget {
    Q_OBJECT

public:
    TMainForm();
    ~TMainForm() override;

    // Controls, in the order the window declares them. All but MainPanel lie on the
    // panel's client area, so their positions are relative to it.
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
    QAction* Exit1;
    QTimer* PopupTimer;

    // Window events.
    void FormCreate(QObject* sender);
    void FormClose(QObject* sender);
    void FormResize(QObject* sender);

    // The mode switch: true lays the window out as its icon, false as the whole panel at
    // the window-mode size of the settings dialog.
    void FormRedraw(bool icon);

    // Pointer handlers.
    void MainPanelMouseMove(QWidget* sender, int x, int y);
    void MakeBtnMouseMove(QWidget* sender, int x, int y);
    void PasteBtnMouseMove(QWidget* sender, int x, int y);
    void ConfigBtnMouseMove(QWidget* sender, int x, int y);
    void IconImgMouseMove(QWidget* sender, int x, int y);
    void MainPanelMouseDown(QWidget* sender, Qt::MouseButton button, int x, int y);
    void MainPanelMouseUp(QWidget* sender, Qt::MouseButton button, int x, int y);
    void PopupTimerTimer(QObject* sender);

    // Commands.
    void MakeBtnClick(QObject* sender);
    void PasteBtnClick(QObject* sender);
    void IconImgDblClick(QObject* sender);
    void AutoPasteClick(QObject* sender);
    void ConfigBtnClick(QObject* sender);
    void StayOnTopClick(QObject* sender);
    void K7Click(QObject* sender);
    void Exit1Click(QObject* sender);

    // Which tool button is drawn highlighted: 0 none, 1 MakeBtn, 2 PasteBtn, 3 ConfigBtn.
    int hoverState() const { return m_hoverState; }
    bool isDragging() const { return m_dragFlag != 0; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildControls();
    void buildPopupMenu();
    void bindEvents();
    void toolButtonMouseMove(ToolButton* button, int n, QWidget* sender, int x, int y);
    ToolButton* toolButton(int n) const;
    void applyLayout(bool icon);
    void setPanelBorder(bool single);
    void setWindowWidth(int width);
    void setWindowHeight(int height);
    void fitPanelClient();
    void endDrag();

    QWidget* m_panelClient; // the client area of MainPanel, inside its border
    int m_hoverState = 0;   // tool button drawn highlighted
    int m_dragFlag = 0;     // -1 while the window follows the pointer
    QPoint m_anchor;        // press point during a drag, pointer position while PopupTimer runs
};
