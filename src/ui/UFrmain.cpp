#include "UFrmain.h"

#include "CaptionedGroup.h"
#include "CodeEditor.h"
#include "MsgBox.h"
#include "NoteTreeModel.h"
#include "NoteTreeView.h"
#include "QuillboxApplication.h"
#include "UAdd.h"
#include "UAddF.h"
#include "UiFonts.h"
#include "store/NoteColumns.h"
#include "store/NoteTable.h"
#include "store/RowFilter.h"
#include "store/StoreError.h"
#include "store/UDM.h"

#include <QAction>
#include <QBoxLayout>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

QString CurrentNodeId;
QString EditedNodeId;
TFrmain *Frmain = nullptr;

namespace C = NoteColumns;

namespace {
const QString Notice = QStringLiteral("提示");
const QString UnsavedQuestion = QStringLiteral("当前内容有改动，是否要保存");

// The coloured band across the top of the window.
class HeaderBar : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(0, 128, 255));
    }
};

template <typename T> T *named(T *object, const QString &name) {
    object->setObjectName(name);
    return object;
}

QIcon resourceIcon(const QString &name) {
    return QIcon(QStringLiteral(":/resources/icons/%1.svg").arg(name));
}

// The text of a key, with characters at or below U+0020 cut from both ends.
QString trimControls(const QString &text) {
    qsizetype b = 0, e = text.size();
    while (b < e && text[b].unicode() <= 0x20)
        ++b;
    while (e > b && text[e - 1].unicode() <= 0x20)
        --e;
    return text.mid(b, e - b);
}
} // namespace

TFrmain::TFrmain(QWidget *parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Frmain"));
    setWindowTitle(QStringLiteral("Quillbox"));
    setWindowIcon(resourceIcon(QStringLiteral("quillbox")));
    setFont(UiFonts::tahoma(11));

    buildActions();
    auto *central = new QWidget(this);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    setCentralWidget(central);
    buildHeader();
    column->addWidget(scGPPanel1);

    scPanel3 = named(new QWidget(central), QStringLiteral("scPanel3"));
    auto *body = new QHBoxLayout(scPanel3);
    body->setContentsMargins(0, 0, 0, 0);
    cxSplitter1 = named(new QSplitter(Qt::Horizontal, scPanel3), QStringLiteral("cxSplitter1"));
    cxSplitter1->setHandleWidth(UiFonts::scaled(this, 5));
    cxSplitter1->setChildrenCollapsible(false);
    body->addWidget(cxSplitter1);
    column->addWidget(scPanel3, 1);
    buildNavigation();
    buildArticlePanel();
    cxSplitter1->addWidget(scPanel1);
    cxSplitter1->addWidget(scPanel2);
    cxSplitter1->setStretchFactor(0, 0);
    cxSplitter1->setStretchFactor(1, 1);
    cxSplitter1->setSizes({UiFonts::scaled(this, 320), UiFonts::scaled(this, 516)});
    buildStatusBar();
    buildMenus();

    // Client area 836 x 588 at 96 dpi, placed where it was designed.
    resize(UiFonts::scaled(this, 836), UiFonts::scaled(this, 588));
    move(UiFonts::scaled(this, 342), UiFonts::scaled(this, 165));
    watchBookmarkedRows();
}

TFrmain::~TFrmain() {
    // Article dialogs are windows of their own; they go with the main window.
    TAddF::closeAllFor(this);
    CurrentNodeId.clear();
    EditedNodeId.clear();
}

// ---------------------------------------------------------------- building

void TFrmain::buildHeader() {
    scGPPanel1 = named(new HeaderBar(this), QStringLiteral("scGPPanel1"));
    scGPPanel1->setFixedHeight(UiFonts::scaled(this, 60));
    Image1 = named(new QLabel(scGPPanel1), QStringLiteral("Image1"));
    const int logo = UiFonts::scaled(this, 32);
    Image1->setPixmap(resourceIcon(QStringLiteral("quillbox")).pixmap(logo, logo));
    Image1->setGeometry(UiFonts::scaled(this, 29), UiFonts::scaled(this, 14), logo, logo);
    scGPLabel1 =
        named(new QLabel(QStringLiteral("Quillbox"), scGPPanel1), QStringLiteral("scGPLabel1"));
    scGPLabel1->setFont(UiFonts::yaHei(16, true));
    scGPLabel1->setStyleSheet(
        QStringLiteral("QLabel { color: white; background: rgba(0,128,255,20); border: 1px solid "
                       "rgba(0,128,255,40); border-radius: 5px; padding: 2px 4px; }"));
    scGPLabel1->adjustSize();
    scGPLabel1->move(UiFonts::scaled(this, 67), UiFonts::scaled(this, 14));
}

void TFrmain::buildNavigation() {
    scPanel1 = named(new QFrame(cxSplitter1), QStringLiteral("scPanel1"));
    scPanel1->setFrameShape(QFrame::StyledPanel);
    scPanel1->setFrameShadow(QFrame::Sunken);
    scPanel1->setMinimumWidth(UiFonts::scaled(this, 120));
    auto *layout = new QVBoxLayout(scPanel1);
    const int m = UiFonts::scaled(this, 3);
    layout->setContentsMargins(m, m, m, m);

    scGPPageControl2 = named(new QTabWidget(scPanel1), QStringLiteral("scGPPageControl2"));
    scGPPageControl2->setFont(UiFonts::yaHei(13));
    scGPPageControl2->setDocumentMode(true);
    scGPPageControl2->setIconSize(QSize(UiFonts::scaled(this, 16), UiFonts::scaled(this, 16)));
    layout->addWidget(scGPPageControl2);

    auto makeTree = [this](QWidget *page, const QString &name, NoteCursor *cursor,
                           bool rootDecorated) {
        auto *l = new QVBoxLayout(page);
        l->setContentsMargins(0, 0, 0, 0);
        auto *tree = named(new NoteTreeView(page), name);
        tree->setFont(UiFonts::yaHei(13));
        tree->setRootIsDecorated(rootDecorated);
        auto *model = new NoteTreeModel(cursor, &DM->img16, tree);
        tree->setNoteModel(model);
        l->addWidget(tree);
        return tree;
    };
    scGPPageControlPage4 = named(new QWidget, QStringLiteral("scGPPageControlPage4"));
    scGPPageControlPage5 = named(new QWidget, QStringLiteral("scGPPageControlPage5"));
    cxDBTreeList1 =
        makeTree(scGPPageControlPage4, QStringLiteral("cxDBTreeList1"), DM->DSReg.DataSet, true);
    cxDBTreeList2 = makeTree(scGPPageControlPage5, QStringLiteral("cxDBTreeList2"),
                             DM->DSshuqian.DataSet, false);
    m_folderModel = cxDBTreeList1->noteModel();
    m_bookmarkModel = cxDBTreeList2->noteModel();
    scGPPageControl2->addTab(scGPPageControlPage4, DM->img16.icon(10), QStringLiteral("目录"));
    scGPPageControl2->addTab(scGPPageControlPage5, DM->img16.icon(9), QStringLiteral("我的书签"));
    scGPPageControl2->setCurrentIndex(0);

    connect(scGPPageControl2, &QTabWidget::currentChanged, this,
            [this] { guarded([this] { scGPPageControl2ChangePage(); }); });
    connect(cxDBTreeList1, &NoteTreeView::rowClicked, this,
            [this] { guarded([this] { cxDBTreeList1Click(); }); });
    connect(cxDBTreeList2, &NoteTreeView::rowClicked, this,
            [this] { guarded([this] { cxDBTreeList2Click(); }); });
    for (NoteTreeView *tree : {cxDBTreeList1, cxDBTreeList2})
        connect(tree, &NoteTreeView::mouseLeft, this,
                [this] { guarded([this] { cxDBTreeList1MouseLeave(); }); });
}

QFrame *TFrmain::buildToolStrip(QWidget *page, const QString &stripName, const QString &spacerName,
                                const QString &barName, QFrame **spacer, QFrame **holder,
                                QToolBar **bar, QToolButton *buttons[5], int firstNumber,
                                QAction *save) {
    auto *strip = named(new QFrame(page), stripName);
    strip->setFixedHeight(UiFonts::scaled(this, 27));
    auto *row = new QHBoxLayout(strip);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    *spacer = named(new QFrame(strip), spacerName);
    (*spacer)->setFixedWidth(UiFonts::scaled(this, 45));
    *holder = named(new QFrame(strip), barName);
    auto *holderRow = new QHBoxLayout(*holder);
    holderRow->setContentsMargins(0, 0, 0, 0);
    *bar = new QToolBar(*holder);
    (*bar)->setIconSize(QSize(UiFonts::scaled(this, 16), UiFonts::scaled(this, 16)));
    (*bar)->setToolButtonStyle(Qt::ToolButtonIconOnly);
    QAction *actions[5] = {CutToClipboard, CopyToClipboard, PasteFromClipboard, save, DelTip};
    const QString hints[5] = {QStringLiteral("剪切"), QStringLiteral("复制"),
                              QStringLiteral("粘贴"), QStringLiteral("保存"),
                              QStringLiteral("删除空行")};
    for (int i = 0; i < 5; ++i) {
        auto *b = named(new QToolButton(*bar), QStringLiteral("ToolButton%1").arg(firstNumber + i));
        b->setDefaultAction(actions[i]);
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        b->setAutoRaise(true);
        b->setFixedSize(UiFonts::scaled(this, 23), UiFonts::scaled(this, 22));
        // Hints are off in this window: the buttons show no tooltips.
        b->setToolTip(QString());
        b->setProperty("hint", hints[i]);
        (*bar)->addWidget(b);
        buttons[i] = b;
    }
    holderRow->addWidget(*bar);
    holderRow->addStretch(1);
    row->addWidget(*spacer);
    row->addWidget(*holder, 1);
    return strip;
}

void TFrmain::buildArticlePanel() {
    scPanel2 = named(new QFrame(cxSplitter1), QStringLiteral("scPanel2"));
    scPanel2->setFrameShape(QFrame::StyledPanel);
    scPanel2->setFrameShadow(QFrame::Sunken);
    auto *outer = new QVBoxLayout(scPanel2);
    const int m = UiFonts::scaled(this, 3);
    outer->setContentsMargins(m, m, m, m);
    dxLayoutControl1 = named(new QWidget(scPanel2), QStringLiteral("dxLayoutControl1"));
    outer->addWidget(dxLayoutControl1);
    auto *stack = new QVBoxLayout(dxLayoutControl1);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(UiFonts::scaled(this, 4));

    // Row 1: title and search.
    auto *top = new QHBoxLayout;
    dxLayoutGroup1 = named(new CaptionedGroup(resourceIcon(QStringLiteral("grp_title")),
                                              QStringLiteral("文章标题"), dxLayoutControl1),
                           QStringLiteral("dxLayoutGroup1"));
    cxTextEdit1 = named(new QLineEdit(dxLayoutGroup1), QStringLiteral("cxTextEdit1"));
    cxTextEdit1->setFont(UiFonts::yaHei(13));
    cxTextEdit1->setFixedHeight(UiFonts::scaled(this, 30));
    cxTextEdit1->setMinimumWidth(UiFonts::scaled(this, 120));
    dxLayoutGroup1->contentLayout()->addWidget(cxTextEdit1);
    dxLayoutGroup2 = named(new CaptionedGroup(resourceIcon(QStringLiteral("grp_search")),
                                              QStringLiteral("文章搜索"), dxLayoutControl1),
                           QStringLiteral("dxLayoutGroup2"));
    scGPEdit1 = named(new QLineEdit(dxLayoutGroup2), QStringLiteral("scGPEdit1"));
    scGPEdit1->setFont(UiFonts::yaHei(13));
    scGPEdit1->setFixedHeight(UiFonts::scaled(this, 30));
    scGPEdit1->setMinimumWidth(UiFonts::scaled(this, 100));
    scGPEdit1->setPlaceholderText(QStringLiteral("关键字查询"));
    // The clear button stays visible and usable, as the search box's right-hand button.
    QAction *clear = scGPEdit1->addAction(style()->standardIcon(QStyle::SP_LineEditClearButton),
                                          QLineEdit::TrailingPosition);
    clear->setObjectName(QStringLiteral("scGPEdit1RightButton"));
    connect(clear, &QAction::triggered, this,
            [this] { guarded([this] { scGPEdit1RightButtonClick(); }); });
    connect(scGPEdit1, &QLineEdit::textChanged, this,
            [this] { guarded([this] { scGPEdit1Change(); }); });
    dxLayoutGroup2->contentLayout()->addWidget(scGPEdit1);
    top->addWidget(dxLayoutGroup1, 366);
    top->addWidget(dxLayoutGroup2, 220);
    stack->addLayout(top);

    // Row 2: the article tabs.
    dxLayoutGroup3 = named(new CaptionedGroup(resourceIcon(QStringLiteral("grp_notes")),
                                              QStringLiteral("说明和代码"), dxLayoutControl1),
                           QStringLiteral("dxLayoutGroup3"));
    scGPPageControl1 = named(new QTabWidget(dxLayoutGroup3), QStringLiteral("scGPPageControl1"));
    scGPPageControl1->setFont(UiFonts::yaHei(12));
    dxLayoutGroup3->contentLayout()->addWidget(scGPPageControl1);
    stack->addWidget(dxLayoutGroup3, 1);

    scGPPageControlPage2 = named(new QWidget, QStringLiteral("scGPPageControlPage2"));
    scGPPageControlPage3 = named(new QWidget, QStringLiteral("scGPPageControlPage3"));
    scGPPageControlPage1 = named(new QWidget, QStringLiteral("scGPPageControlPage1"));
    QToolButton *codeButtons[5];
    QToolButton *exampleButtons[5];
    auto buildPage = [this](QWidget *page, QFrame *strip, CodeEditor **editor,
                            const QString &name) {
        auto *l = new QVBoxLayout(page);
        l->setContentsMargins(0, 0, 0, 0);
        l->setSpacing(0);
        l->addWidget(strip);
        *editor = named(new CodeEditor(page), name);
        l->addWidget(*editor, 1);
    };
    QFrame *strip1 = buildToolStrip(scGPPageControlPage2, QStringLiteral("Panel1"),
                                    QStringLiteral("Panel2"), QStringLiteral("Panel3"), &Panel2,
                                    &Panel3, &ToolBar1, codeButtons, 1, Synmemo1Save);
    Panel1 = strip1;
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    buildPage(scGPPageControlPage2, strip1, &SynMemo1, QStringLiteral("SynMemo1"));
    QFrame *strip2 = buildToolStrip(scGPPageControlPage3, QStringLiteral("Panel4"),
                                    QStringLiteral("Panel5"), QStringLiteral("Panel6"), &Panel5,
                                    &Panel6, &ToolBar2, exampleButtons, 6, Synmemo2Save);
    Panel4 = strip2;
    ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
    buildPage(scGPPageControlPage3, strip2, &SynMemo2, QStringLiteral("SynMemo2"));
    ToolButton1 = codeButtons[0];
    ToolButton2 = codeButtons[1];
    ToolButton3 = codeButtons[2];
    ToolButton4 = codeButtons[3];
    ToolButton5 = codeButtons[4];
    ToolButton6 = exampleButtons[0];
    ToolButton7 = exampleButtons[1];
    ToolButton8 = exampleButtons[2];
    ToolButton9 = exampleButtons[3];
    ToolButton10 = exampleButtons[4];

    auto *notesLayout = new QVBoxLayout(scGPPageControlPage1);
    notesLayout->setContentsMargins(0, 0, 0, 0);
    RichEdit1 = named(new QPlainTextEdit(scGPPageControlPage1), QStringLiteral("RichEdit1"));
    RichEdit1->setFont(UiFonts::yaHei(13));
    RichEdit1->setFrameShape(QFrame::NoFrame);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    notesLayout->addWidget(RichEdit1);
    scGPPageControl1->addTab(scGPPageControlPage2, QStringLiteral("代码"));
    scGPPageControl1->addTab(scGPPageControlPage3, QStringLiteral("代码示例"));
    scGPPageControl1->addTab(scGPPageControlPage1, QStringLiteral("注释说明"));
    scGPPageControl1->setCurrentIndex(0);

    connect(SynMemo1, &CodeEditor::userEdited, this,
            [this] { guarded([this] { SynMemo1Change(); }); });
    connect(SynMemo2, &CodeEditor::userEdited, this,
            [this] { guarded([this] { SynMemo2Change(); }); });

    // Row 3: date and read count.
    auto *bottom = new QHBoxLayout;
    bottom->setSpacing(UiFonts::scaled(this, 6));
    dxLayoutLabeledItem1 = named(new LabeledItem(resourceIcon(QStringLiteral("lbl_date")),
                                                 QStringLiteral(" 发布时间："), dxLayoutControl1),
                                 QStringLiteral("dxLayoutLabeledItem1"));
    dxLayoutLabeledItem2 = named(new LabeledItem(resourceIcon(QStringLiteral("lbl_read")),
                                                 QStringLiteral("阅读：（0）"), dxLayoutControl1),
                                 QStringLiteral("dxLayoutLabeledItem2"));
    auto separator = [this](const QString &name) {
        auto *line = named(new QFrame(dxLayoutControl1), name);
        line->setFrameShape(QFrame::VLine);
        line->setFrameShadow(QFrame::Sunken);
        return line;
    };
    dxLayoutSeparatorItem1 = separator(QStringLiteral("dxLayoutSeparatorItem1"));
    dxLayoutSeparatorItem2 = separator(QStringLiteral("dxLayoutSeparatorItem2"));
    dxLayoutSeparatorItem3 = separator(QStringLiteral("dxLayoutSeparatorItem3"));
    bottom->addWidget(dxLayoutLabeledItem1);
    bottom->addWidget(dxLayoutSeparatorItem1);
    bottom->addWidget(dxLayoutLabeledItem2);
    bottom->addWidget(dxLayoutSeparatorItem2);
    bottom->addWidget(dxLayoutSeparatorItem3);
    bottom->addStretch(1);
    stack->addLayout(bottom);
}

void TFrmain::buildStatusBar() {
    dxBarManager1 = named(new QStatusBar(this), QStringLiteral("dxBarManager1"));
    dxBarManager1->setSizeGripEnabled(false);
    dxBarManager1->setFixedHeight(UiFonts::scaled(this, 24));
    setStatusBar(dxBarManager1);
    dxBarManager1Bar1 = named(new QWidget(dxBarManager1), QStringLiteral("dxBarManager1Bar1"));
    auto *row = new QHBoxLayout(dxBarManager1Bar1);
    row->setContentsMargins(4, 0, 4, 0);
    row->setSpacing(UiFonts::scaled(this, 12));
    auto item = [this](const QString &name, const QString &icon, const QString &caption) {
        auto *w = named(new QLabel(dxBarManager1Bar1), name);
        const int px = UiFonts::scaled(this, 16);
        w->setTextFormat(Qt::RichText);
        // The picture and the caption in one item; the hint repeats the caption.
        const QPixmap pm = resourceIcon(icon).pixmap(px, px);
        w->setProperty("caption", caption);
        w->setText(
            QStringLiteral("<span style='white-space:pre'>%1</span>").arg(caption.toHtmlEscaped()));
        w->setToolTip(caption);
        auto *box = new QWidget(dxBarManager1Bar1);
        auto *l = new QHBoxLayout(box);
        l->setContentsMargins(0, 0, 0, 0);
        l->setSpacing(3);
        auto *pic = new QLabel(box);
        pic->setPixmap(pm);
        l->addWidget(pic);
        w->setParent(box);
        l->addWidget(w);
        return std::pair{box, w};
    };
    auto [b1, s1] = item(QStringLiteral("dxBarStatic1"), QStringLiteral("st_info"),
                         QStringLiteral("版本：1.0    "));
    auto [b2, s2] = item(QStringLiteral("dxBarStatic2"), QStringLiteral("st_home"),
                         QStringLiteral("官网：https://quillbox.example.org"));
    auto [b4, s4] = item(QStringLiteral("dxBarStatic4"), QStringLiteral("st_hint"),
                         QStringLiteral("热键：【F2】搜索 【F3】复制代码"));
    auto [b3, s3] = item(QStringLiteral("dxBarStatic3"), QStringLiteral("st_contact"),
                         QStringLiteral("联系：（暂无）"));
    dxBarStatic1 = s1;
    dxBarStatic2 = s2;
    dxBarStatic3 = s3;
    dxBarStatic4 = s4;
    row->addWidget(b1);
    row->addWidget(b2);
    row->addWidget(b4);
    row->addStretch(1);
    row->addWidget(b3);
    dxBarManager1->addWidget(dxBarManager1Bar1, 1);
}

void TFrmain::buildActions() {
    ActionList1 = new QObject(this);
    ActionList1->setObjectName(QStringLiteral("ActionList1"));
    ActionList2 = new QObject(this);
    ActionList2->setObjectName(QStringLiteral("ActionList2"));
    auto make = [this](QObject *list, const QString &name, const QString &caption,
                       const QIcon &icon, void (TFrmain::*handler)()) {
        auto *a = new QAction(icon, caption, list);
        a->setObjectName(name);
        a->setIconVisibleInMenu(true);
        // Added to the window so their shortcuts act wherever the focus is in it.
        addAction(a);
        connect(a, &QAction::triggered, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
        return a;
    };
    const IconList &i16 = DM->img16;
    const IconList &i24 = DM->img24;
    Addd = make(ActionList1, QStringLiteral("Addd"), QStringLiteral("新建目录(&D)"), i16.icon(0),
                &TFrmain::AdddExecute);
    Addw = make(ActionList1, QStringLiteral("Addw"), QStringLiteral("新建文章(&F)"), i16.icon(3),
                &TFrmain::AddwExecute);
    Del = make(ActionList1, QStringLiteral("Del"), QStringLiteral("删 除(&E)"), i16.icon(5),
               &TFrmain::DelExecute);
    Rname = make(ActionList1, QStringLiteral("Rname"), QStringLiteral("属 性(&R)"), i16.icon(6),
                 &TFrmain::RnameExecute);
    FullEx = make(ActionList1, QStringLiteral("FullEx"), QStringLiteral("全部展开(&S)"),
                  i16.icon(12), &TFrmain::FullExExecute);
    FullClose = make(ActionList1, QStringLiteral("FullClose"), QStringLiteral("全部合闭(&C)"),
                     i16.icon(14), &TFrmain::FullCloseExecute);
    ShuQian = make(ActionList1, QStringLiteral("ShuQian"), QStringLiteral("加入书签(&Q)"),
                   i16.icon(9), &TFrmain::ShuQianExecute);
    ShuQianDel = make(ActionList1, QStringLiteral("ShuQianDel"), QStringLiteral("删除(&D)"),
                      QIcon(), &TFrmain::ShuQianDelExecute);

    CutToClipboard = make(ActionList2, QStringLiteral("CutToClipboard"), QStringLiteral("剪切"),
                          i24.icon(0), &TFrmain::CutToClipboardExecute);
    CopyToClipboard = make(ActionList2, QStringLiteral("CopyToClipboard"), QStringLiteral("复制"),
                           i24.icon(1), &TFrmain::CopyToClipboardExecute);
    PasteFromClipboard =
        make(ActionList2, QStringLiteral("PasteFromClipboard"), QStringLiteral("粘贴"), i24.icon(2),
             &TFrmain::PasteFromClipboardExecute);
    Search = make(ActionList2, QStringLiteral("Search"), QStringLiteral("搜索"), i24.icon(12),
                  &TFrmain::SearchExecute);
    Search->setShortcut(QKeySequence(Qt::Key_F2));
    Copytip = make(ActionList2, QStringLiteral("Copytip"), QStringLiteral("复制"), i24.icon(1),
                   &TFrmain::CopytipExecute);
    Copytip->setShortcut(QKeySequence(Qt::Key_F3));
    Synmemo2Save = make(ActionList2, QStringLiteral("Synmemo2Save"), QStringLiteral("Synmemo2保存"),
                        i24.icon(10), &TFrmain::Synmemo2SaveExecute);
    Synmemo1Save =
        make(ActionList2, QStringLiteral("Synmemo1Save"), QStringLiteral("Synmemo1Save保存"),
             i24.icon(10), &TFrmain::Synmemo1SaveExecute);
    DelTip = make(ActionList2, QStringLiteral("DelTip"), QStringLiteral("删除空行"), i24.icon(11),
                  &TFrmain::DelTipExecute);
    for (QAction *a : {Search, Copytip})
        a->setShortcutContext(Qt::WindowShortcut);
}

void TFrmain::buildMenus() {
    // A menu item shows its action's caption and picture and runs it; N5
    // carries a caption of its own.
    auto item = [this](QMenu *menu, const QString &name, QAction *action,
                       const QString &caption = {}) {
        auto *i = new QAction(action->icon(), caption.isEmpty() ? action->text() : caption, menu);
        i->setObjectName(name);
        i->setIconVisibleInMenu(true);
        connect(i, &QAction::triggered, action, &QAction::trigger);
        menu->addAction(i);
        return i;
    };
    auto separator = [](QMenu *menu, const QString &name) {
        QAction *s = menu->addSeparator();
        s->setObjectName(name);
        return s;
    };
    PopupMenu1 = named(new QMenu(this), QStringLiteral("PopupMenu1"));
    PopupMenu1->setSeparatorsCollapsible(true);
    N1 = item(PopupMenu1, QStringLiteral("N1"), Addd);
    N2 = item(PopupMenu1, QStringLiteral("N2"), Addw);
    N3 = separator(PopupMenu1, QStringLiteral("N3"));
    N6 = item(PopupMenu1, QStringLiteral("N6"), FullEx);
    N7 = item(PopupMenu1, QStringLiteral("N7"), FullClose);
    N8 = separator(PopupMenu1, QStringLiteral("N8"));
    N4 = item(PopupMenu1, QStringLiteral("N4"), Del);
    N5 = item(PopupMenu1, QStringLiteral("N5"), Rname, QStringLiteral("编 辑(&R)"));
    N10 = separator(PopupMenu1, QStringLiteral("N10"));
    N9 = item(PopupMenu1, QStringLiteral("N9"), ShuQian);
    PopupMenu2 = named(new QMenu(this), QStringLiteral("PopupMenu2"));
    MenuItem7 = item(PopupMenu2, QStringLiteral("MenuItem7"), ShuQianDel);

    connect(cxDBTreeList1, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        PopupMenu1->popup(cxDBTreeList1->viewport()->mapToGlobal(pos));
    });
    connect(cxDBTreeList2, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        PopupMenu2->popup(cxDBTreeList2->viewport()->mapToGlobal(pos));
    });
}

// ---------------------------------------------------------------- browsing

void TFrmain::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        guarded([this] { FormShow(); });
    }
}

void TFrmain::FormShow() {
    scGPPageControl1->setTabVisible(1, false);
    scGPPageControl1->setCurrentWidget(scGPPageControlPage2);
    SynMemo1->setLocked(true);
    setSaveState(ToolButton4, false);
    setSaveState(ToolButton9, false);
}

void TFrmain::scGPPageControl2ChangePage() {
    QWidget *page = scGPPageControl2->currentWidget();
    // The strips themselves stay, so the editors do not move.
    if (page == scGPPageControlPage5) {
        Panel3->hide();
        Panel6->hide();
    } else if (page == scGPPageControlPage4) {
        Panel3->show();
        Panel6->show();
    }
}

bool TFrmain::editPending() const {
    return (SynMemo1->isModifiedFlag() && ToolButton4->isEnabled()) ||
           (SynMemo2->isModifiedFlag() && ToolButton9->isEnabled());
}

// Asks about a pending edit before the editors take another article's text.
// Yes stores code, example and notes into the edited article; both answers
// end the pending state.
void TFrmain::askAndStorePending() {
    if (!editPending())
        return;
    const bool yes = MsgBox::askYesNo(this, UnsavedQuestion, QMessageBox::Question);
    if (yes) {
        NoteQuery &q = DM->FDQuery1;
        if (!q.locate(C::NodeId, EditedNodeId)) {
            MsgBox::inform(this, QStringLiteral("该文章已不存在，无法保存"),
                           QMessageBox::Information);
        } else {
            q.edit();
            q.setField(C::Info, SynMemo1->wholeText());
            q.setField(C::DemoInfo, SynMemo2->wholeText());
            q.setField(C::RichInfo, RichEdit1->toPlainText());
            q.post();
        }
    }
    setSaveState(ToolButton4, false);
    setSaveState(ToolButton9, false);
}

void TFrmain::showArticleText(const QString &title, const QString &code, const QString &example,
                              const QString &notes) {
    cxTextEdit1->setText(title);
    SynMemo1->setWholeText(code);
    RichEdit1->setPlainText(notes);
    if (example.isEmpty()) {
        scGPPageControl1->setTabVisible(1, false);
        scGPPageControl1->setCurrentWidget(scGPPageControlPage2);
    } else {
        scGPPageControl1->setTabVisible(1, true);
    }
    SynMemo2->setWholeText(example);
}

void TFrmain::cxDBTreeList1Click() {
    NoteCursor &reg = DM->FDMemReg;
    if (reg.recordCount() <= 0)
        return;
    const bool article = reg.fieldText(C::Type) == QStringLiteral("1");
    SynMemo1->setLocked(!article);
    SynMemo2->setLocked(!article);
    askAndStorePending();

    CurrentNodeId = reg.fieldText(C::NodeId);
    const QString type = reg.fieldText(C::Type);
    qint64 count = 0;
    try {
        count = reg.fieldInt(C::Read);
    } catch (const StoreError &) {
        count = 0; // a counter that is no number counts from zero
    }
    if (type == QStringLiteral("0"))
        return;

    // A missing text shows as empty, a missing date as none.
    showArticleText(reg.fieldText(C::Title), reg.fieldText(C::Info), reg.fieldText(C::DemoInfo),
                    reg.fieldText(C::RichInfo));
    m_shownNodeId = CurrentNodeId;
    const QDate created = reg.fieldDate(C::CreateTime);
    dxLayoutLabeledItem1->setCaption(
        QStringLiteral("发布时间：") +
        (created.isValid() ? QLocale::system().toString(created, QLocale::ShortFormat)
                           : QString()));
    dxLayoutLabeledItem2->setCaption(QStringLiteral("阅读：（%1）").arg(count));

    NoteQuery &q = DM->FDQuery1;
    if (!q.locate(C::NodeId, CurrentNodeId))
        return; // the row is gone: no other row is touched
    q.edit();
    q.setField(C::Read, count + 1);
    try {
        q.post();
    } catch (const RowGoneError &) {
        // Deleted by another program meanwhile: there is nothing to count.
    }
}

void TFrmain::cxDBTreeList2Click() {
    NoteQuery &bm = DM->FDshuqian;
    if (bm.recordCount() <= 0 || !bm.currentRow())
        return;
    SynMemo1->setLocked(false);
    SynMemo2->setLocked(false);
    // Without this question the bookmark's text would replace an unsaved edit.
    askAndStorePending();
    showArticleText(bm.fieldText(C::Title), bm.fieldText(C::Info), bm.fieldText(C::DemoInfo),
                    bm.fieldText(C::RichInfo));
    m_shownNodeId = bm.fieldText(C::NodeId);
}

void TFrmain::cxDBTreeList1MouseLeave() {
    NoteCursor &reg = DM->FDMemReg;
    if (reg.recordCount() <= 0)
        return;
    const bool article = reg.fieldText(C::Type) == QStringLiteral("1");
    N1->setVisible(!article);
    N2->setVisible(!article);
    N3->setVisible(!article);
    N9->setVisible(article);
}

// ---------------------------------------------------------------- editing

void TFrmain::setSaveState(QToolButton *button, bool pending) {
    button->setEnabled(pending);
    button->setIcon(DM->img24.icon(pending ? 13 : 10));
}

void TFrmain::editorChanged(CodeEditor *editor, QToolButton *button) {
    if (!editor->isModifiedFlag())
        return;
    // The edit belongs to the article whose text the editor holds.
    EditedNodeId = m_shownNodeId;
    setSaveState(button, true);
}

void TFrmain::SynMemo1Change() {
    editorChanged(SynMemo1, ToolButton4);
}
void TFrmain::SynMemo2Change() {
    editorChanged(SynMemo2, ToolButton9);
}

void TFrmain::saveEditor(CodeEditor *editor, QToolButton *button, const QString &column) {
    if (cxTextEdit1->text().isEmpty())
        return;
    NoteQuery &q = DM->FDQuery1;
    if (!q.locate(C::NodeId, EditedNodeId)) {
        MsgBox::inform(this, QStringLiteral("该文章已不存在，无法保存"), QMessageBox::Information);
        return;
    }
    q.edit();
    q.setField(column, editor->wholeText());
    q.post();
    editor->markSaved();
    setSaveState(button, false);
}

void TFrmain::Synmemo1SaveExecute() {
    saveEditor(SynMemo1, ToolButton4, C::Info);
}
void TFrmain::Synmemo2SaveExecute() {
    saveEditor(SynMemo2, ToolButton9, C::DemoInfo);
}

CodeEditor *TFrmain::activeEditor() const {
    QWidget *page = scGPPageControl1->currentWidget();
    if (page == scGPPageControlPage2)
        return SynMemo1;
    if (page == scGPPageControlPage3)
        return SynMemo2;
    return nullptr;
}

void TFrmain::DelTipExecute() {
    CodeEditor *editor = activeEditor();
    if (!editor)
        return;
    QToolButton *button = editor == SynMemo1 ? ToolButton4 : ToolButton9;
    for (int i = editor->lineCount() - 1; i >= 0; --i) {
        if (!CodeEditor::isBlankLine(editor->lineText(i)))
            continue;
        EditedNodeId = m_shownNodeId;
        editor->deleteLine(i);
        editor->setModifiedFlag(true);
        setSaveState(button, true);
    }
}

void TFrmain::CopytipExecute() {
    SynMemo1->selectWhole();
    if (SynMemo1->hasSelectedText())
        SynMemo1->copy();
    DM->Tip.show(Notice, QStringLiteral("代码已复制到剪贴板"), -1);
}

void TFrmain::CutToClipboardExecute() {
    if (CodeEditor *e = activeEditor())
        e->cut();
}

void TFrmain::CopyToClipboardExecute() {
    if (CodeEditor *e = activeEditor())
        e->copy();
}

void TFrmain::PasteFromClipboardExecute() {
    if (CodeEditor *e = activeEditor())
        e->paste();
}

void TFrmain::closeEvent(QCloseEvent *event) {
    if (!m_closing && editPending()) {
        // Nothing typed is lost without a question; the program ends either way.
        guarded([this] { askAndStorePending(); });
    }
    m_closing = true;
    TAddF::closeAllFor(this);
    event->accept();
}

// ---------------------------------------------------------------- tree commands

void TFrmain::AdddExecute() {
    NoteCursor &reg = DM->FDMemReg;
    auto *dlg = new TAdd(this);
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->nid = reg.recordCount() > 0 ? reg.fieldText(C::NodeId) : QStringLiteral("0");
    dlg->Tag = 0;
    dlg->exec();
}

void TFrmain::AddwExecute() {
    NoteCursor &reg = DM->FDMemReg;
    auto *dlg = new TAddF(this);
    if (reg.recordCount() > 0) {
        dlg->id = reg.fieldText(C::Title);
        // The picker is preset by key: titles need not be unique.
        dlg->parentNid = reg.fieldText(C::NodeId);
    }
    dlg->Tag = 0;
    dlg->show();
}

void TFrmain::RnameExecute() {
    NoteCursor &reg = DM->FDMemReg;
    if (reg.recordCount() <= 0)
        return;
    if (reg.fieldText(C::Type) != QStringLiteral("1")) {
        auto *dlg = new TAdd(this);
        dlg->setAttribute(Qt::WA_DeleteOnClose);
        dlg->cxTextEdit1->setText(reg.fieldText(C::Title));
        dlg->nid = reg.fieldText(C::NodeId);
        dlg->CheckBox1->setEnabled(false);
        dlg->Tag = 1;
        dlg->exec();
        return;
    }
    auto *dlg = new TAddF(this);
    dlg->cxTextEdit1->setText(reg.fieldText(C::Title));
    dlg->RichEdit1->setPlainText(reg.fieldText(C::RichInfo));
    dlg->SynMemo1->setWholeText(reg.fieldText(C::Info));
    dlg->SynMemo2->setWholeText(reg.fieldText(C::DemoInfo));
    dlg->nid = reg.fieldText(C::NodeId);
    // The folder title as the tree shows it above the article; none for a
    // top-level article or one whose folder the search hides. The picker
    // itself is preset by key, from the article's own ParentId, so it shows
    // the folder that really holds the article even when titles repeat or
    // the search hides it; a top-level article shows none and keeps its place.
    const QModelIndex node = m_folderModel->indexOf(reg.currentRow());
    const QModelIndex parentNode = node.parent();
    dlg->id = parentNode.isValid() ? parentNode.data().toString() : QString();
    dlg->parentNid = reg.fieldText(C::ParentId);
    dlg->Tag = 1;
    dlg->CheckBox2->setEnabled(false);
    dlg->setWindowTitle(QStringLiteral("修改文章"));
    dlg->show();
}

void TFrmain::DelExecute() {
    if (MsgBox::show(this, QStringLiteral("确定真的要删除吗？"), Notice,
                     QMessageBox::Yes | QMessageBox::No, QMessageBox::NoIcon) != QMessageBox::Yes)
        return;
    NoteRow *selected = cxDBTreeList1->selectedRow();
    if (!selected)
        return;
    // Children are counted in the table, not in the tree: a search may hide them.
    NoteQuery &q = DM->FDQuery1;
    const QString key = NoteCursor::textOf(q.value(selected, C::NodeId));
    const int parentColumn = q.table()->columnIndex(C::ParentId);
    for (NoteRow *row : q.visibleRows()) {
        if (row != selected && NoteCursor::textOf(q.table()->value(row, parentColumn)) == key) {
            MsgBox::show(this, QStringLiteral("当前目录下子有目录或文章，请先删除！"), Notice,
                         QMessageBox::Ok, QMessageBox::Information);
            return;
        }
    }
    if (!q.locate(C::NodeId, key))
        return;
    q.deleteRow();
}

void TFrmain::FullExExecute() {
    cxDBTreeList1->expandEverything();
}
void TFrmain::FullCloseExecute() {
    cxDBTreeList1->collapseEverything();
}

// ---------------------------------------------------------------- search and bookmarks

void TFrmain::scGPEdit1Change() {
    NoteCursor &reg = DM->FDMemReg;
    if (!reg.isOpen())
        return;
    const QString keyword = trimControls(scGPEdit1->text());
    scGPPageControl2->setCurrentWidget(scGPPageControlPage4);
    if (keyword.isEmpty()) {
        reg.setFiltered(false);
        return;
    }
    // Switching the filter off and on again would rebuild the tree twice per
    // keystroke; setting the new text on a filtered view does it once.
    reg.setFilter(QStringLiteral("title like ") + RowFilter::quote(u'%' + keyword + u'%'));
    reg.setFiltered(true);
}

void TFrmain::scGPEdit1RightButtonClick() {
    scGPEdit1->clear();
}

void TFrmain::SearchExecute() {
    scGPEdit1->setFocus(Qt::ShortcutFocusReason);
}

void TFrmain::refreshBookmarks() {
    if (DM->FDshuqian.isOpen())
        DM->FDshuqian.refresh();
}

void TFrmain::ShuQianExecute() {
    NoteQuery &q = DM->FDQuery1;
    if (q.locate(C::NodeId, CurrentNodeId)) {
        q.edit();
        q.setField(C::Shuqian, QStringLiteral("1"));
        try {
            q.post();
        } catch (const RowGoneError &) {
            // Deleted by another program meanwhile: there is nothing to flag.
        }
    }
    refreshBookmarks();
}

void TFrmain::ShuQianDelExecute() {
    NoteQuery &bm = DM->FDshuqian;
    if (bm.recordCount() <= 0 || !bm.currentRow())
        return;
    // A bookmark whose article was deleted meanwhile, here or by another
    // program, only leaves the list.
    if (DM->FDQuery1.locate(C::NodeId, bm.fieldText(C::NodeId))) {
        bm.edit();
        bm.setField(C::Shuqian, QStringLiteral("0"));
        try {
            bm.post();
        } catch (const RowGoneError &) {
        }
    }
    refreshBookmarks();
}

// The bookmark list holds its own copy of the rows; it is read again
// whenever a bookmarked row is deleted or changes in a way the list shows.
void TFrmain::watchBookmarkedRows() {
    NoteQuery *main = &DM->FDQuery1;
    auto isBookmarked = [](NoteRow *row) {
        NoteQuery &bm = DM->FDshuqian;
        if (!bm.isOpen() || !bm.table())
            return false;
        return bm.table()->findByKey(DM->FDQuery1.table()->key(row)) != nullptr;
    };
    auto refreshQuietly = [this] {
        try {
            refreshBookmarks();
        } catch (const std::exception &) {
            // The write itself succeeded; a list that could not be re-read stays as it was.
        }
    };
    connect(main, &NoteCursor::rowChanged, this, [=](NoteRow *row, const QList<int> &columns) {
        const int readColumn = DM->FDQuery1.table()->columnIndex(C::Read);
        const bool onlyRead = columns.size() == 1 && columns.first() == readColumn;
        if (!onlyRead && isBookmarked(row))
            refreshQuietly();
    });
    connect(main, &NoteCursor::rowRemoved, this, [=](NoteRow *row) {
        if (isBookmarked(row))
            refreshQuietly();
    });
}
