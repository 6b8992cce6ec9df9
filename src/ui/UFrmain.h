#pragma once

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QString>

class CaptionedGroup;
class CodeEditor;
class LabeledItem;
class NoteTreeModel;
class NoteTreeView;
class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QStatusBar;
class QTabWidget;
class QToolBar;
class QToolButton;
class QWidget;
struct NoteRow;

// The note identities passed from one event of the main window to a later one.
extern QString CurrentNodeId; // the row last clicked in the folder tree
extern QString EditedNodeId;  // the article whose text the editors hold edited

// The main window: the folder and bookmark trees, the article view with its
// editors, and every command on notes.
class TFrmain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFrmain(QWidget *parent = nullptr);
    ~TFrmain() override;

    // Components, named as the rest of the program addresses them.
    QWidget *scGPPanel1;
    QLabel *Image1;
    QLabel *scGPLabel1;
    QWidget *scPanel3;
    QSplitter *cxSplitter1;
    QFrame *scPanel1;
    QTabWidget *scGPPageControl2;
    QWidget *scGPPageControlPage4;
    QWidget *scGPPageControlPage5;
    NoteTreeView *cxDBTreeList1;
    NoteTreeView *cxDBTreeList2;
    QFrame *scPanel2;
    QWidget *dxLayoutControl1;
    CaptionedGroup *dxLayoutGroup1;
    CaptionedGroup *dxLayoutGroup2;
    CaptionedGroup *dxLayoutGroup3;
    QLineEdit *cxTextEdit1;
    QLineEdit *scGPEdit1;
    QTabWidget *scGPPageControl1;
    QWidget *scGPPageControlPage2;
    QWidget *scGPPageControlPage3;
    QWidget *scGPPageControlPage1;
    QFrame *Panel1, *Panel2, *Panel3, *Panel4, *Panel5, *Panel6;
    QToolBar *ToolBar1;
    QToolBar *ToolBar2;
    QToolButton *ToolButton1, *ToolButton2, *ToolButton3, *ToolButton4, *ToolButton5;
    QToolButton *ToolButton6, *ToolButton7, *ToolButton8, *ToolButton9, *ToolButton10;
    CodeEditor *SynMemo1;
    CodeEditor *SynMemo2;
    QPlainTextEdit *RichEdit1;
    LabeledItem *dxLayoutLabeledItem1;
    LabeledItem *dxLayoutLabeledItem2;
    QFrame *dxLayoutSeparatorItem1, *dxLayoutSeparatorItem2, *dxLayoutSeparatorItem3;
    QStatusBar *dxBarManager1;
    QWidget *dxBarManager1Bar1;
    QLabel *dxBarStatic1, *dxBarStatic2, *dxBarStatic3, *dxBarStatic4;

    QObject *ActionList1;
    QAction *Addd, *Addw, *Del, *Rname, *FullEx, *FullClose, *ShuQian, *ShuQianDel;
    QObject *ActionList2;
    QAction *CutToClipboard, *CopyToClipboard, *PasteFromClipboard, *Search, *Copytip;
    QAction *Synmemo2Save, *Synmemo1Save, *DelTip;

    QMenu *PopupMenu1;
    QAction *N1, *N2, *N3, *N4, *N5, *N6, *N7, *N8, *N9, *N10;
    QMenu *PopupMenu2;
    QAction *MenuItem7;

    NoteTreeModel *folderModel() const { return m_folderModel; }
    NoteTreeModel *bookmarkModel() const { return m_bookmarkModel; }
    // The article whose text the editors hold, or empty.
    QString shownNodeId() const { return m_shownNodeId; }
    bool editPending() const;

public slots:
    void FormShow();
    void scGPPageControl2ChangePage();
    void cxDBTreeList1Click();
    void cxDBTreeList2Click();
    void cxDBTreeList1MouseLeave();

    void SynMemo1Change();
    void SynMemo2Change();
    void Synmemo1SaveExecute();
    void Synmemo2SaveExecute();
    void DelTipExecute();
    void CopytipExecute();
    void CutToClipboardExecute();
    void CopyToClipboardExecute();
    void PasteFromClipboardExecute();

    void AdddExecute();
    void AddwExecute();
    void RnameExecute();
    void DelExecute();
    void FullExExecute();
    void FullCloseExecute();

    void scGPEdit1Change();
    void scGPEdit1RightButtonClick();
    void SearchExecute();
    void ShuQianExecute();
    void ShuQianDelExecute();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildHeader();
    void buildNavigation();
    void buildArticlePanel();
    void buildStatusBar();
    void buildActions();
    void buildMenus();
    QFrame *buildToolStrip(QWidget *page, const QString &stripName, const QString &spacerName,
                           const QString &barName, QFrame **spacer, QFrame **holder, QToolBar **bar,
                           QToolButton *buttons[5], int firstNumber, QAction *save);
    CodeEditor *activeEditor() const;
    void setSaveState(QToolButton *button, bool pending);
    void editorChanged(CodeEditor *editor, QToolButton *button);
    void saveEditor(CodeEditor *editor, QToolButton *button, const QString &column);
    void askAndStorePending();
    void showArticleText(const QString &title, const QString &code, const QString &example,
                         const QString &notes);
    void refreshBookmarks();
    void watchBookmarkedRows();

    NoteTreeModel *m_folderModel = nullptr;
    NoteTreeModel *m_bookmarkModel = nullptr;
    QString m_shownNodeId;
    bool m_shown = false;
    bool m_closing = false;
};

extern TFrmain *Frmain;
