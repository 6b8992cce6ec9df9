#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <utility>

class CaptionedGroup;
class CodeEditor;
class FolderListModel;
class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QToolBar;
class QToolButton;

// The article dialog: a new article (Tag 0) in the folder chosen in the
// picker, or changes to the article `nid` (Tag 1).
//
// It is a window of its own with no parent widget, so it has its own
// taskbar entry and can stay open beside the main window; it still belongs
// to its owner and goes when the owner goes.
class TAddF : public QWidget {
    Q_OBJECT
public:
    explicit TAddF(QWidget *owner);
    ~TAddF() override;

    // Deletes the open article dialogs of `owner` at once, without writing.
    static void closeAllFor(QWidget *owner);
    static QList<TAddF *> openFor(const QWidget *owner);

    // Where OK and Cancel go for a window `newWidth` wide: around the middle,
    // 100 px apart from centre to centre, halves rounded to even.
    static std::pair<int, int> centredButtonLefts(int newWidth, int okWidth, int cancelWidth,
                                                  int spread = 100);

    QWidget *owner() const { return m_owner; }
    FolderListModel *folderModel() const { return m_folders; }
    CodeEditor *activeEditor() const;
    // NodeId of the folder the picker shows, or 0 when it shows none.
    qint64 pickedFolder() const;

    CaptionedGroup *dxLayoutGroup4;
    CaptionedGroup *dxLayoutGroup1;
    CaptionedGroup *dxLayoutGroup2;
    CaptionedGroup *dxLayoutGroup3;
    QComboBox *cxLookupComboBox1;
    QLineEdit *cxTextEdit1;
    QCheckBox *CheckBox1;
    QPlainTextEdit *RichEdit1;
    QTabWidget *scGPPageControl1;
    QWidget *scGPPageControlPage4;
    QWidget *scGPPageControlPage5;
    QToolBar *ToolBar1;
    QToolBar *ToolBar2;
    QToolButton *ToolButton1, *ToolButton2, *ToolButton3, *ToolButton4, *ToolButton5;
    QToolButton *ToolButton6, *ToolButton7, *ToolButton8, *ToolButton9, *ToolButton10;
    CodeEditor *SynMemo1;
    CodeEditor *SynMemo2;
    QWidget *Panel1; // the strip along the bottom
    QCheckBox *CheckBox2;
    QCheckBox *CheckBox3;
    QPushButton *cxButton1;
    QPushButton *cxButton2;

    QList<QAction *> ActionList1;
    QAction *CutToClip, *CopyToClip, *PasteFrom, *Save, *DelToclip;

    QString id;        // title of the folder to show in the picker
    QString nid;       // the edited article (Tag 1)
    QString parentNid; // key of the folder to show; wins over `id` when set
    int Tag = 0;

    void FormCanResize(int newWidth);

public slots:
    void FormShow();
    void cxButton1Click();
    void cxButton2Click();
    void CheckBox3Click();
    void CutToClipExecute();
    void CopyToClipExecute();
    void PasteFromExecute();
    void DelToclipExecute();

protected:
    void setVisible(bool visible) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *buildPage(const QString &name, const QString &barName, QToolBar **bar,
                       QToolButton **buttons, int firstNumber, CodeEditor **editor,
                       const QString &editorName, bool leadingBlock);
    void buildActions();
    void keepPickerChoice();
    void centreOverOwner();

    QPointer<QWidget> m_owner;
    FolderListModel *m_folders = nullptr;
    bool m_formShown = false;
    bool m_focusPlaced = false;
    qint64 m_pickedKey = 0; // the folder last chosen, kept across list changes
    bool m_listChanging = false;
};
