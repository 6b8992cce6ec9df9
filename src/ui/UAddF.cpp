#include "UAddF.h"

#include "CaptionedGroup.h"
#include "CodeEditor.h"
#include "FolderListModel.h"
#include "MsgBox.h"
#include "QuillboxApplication.h"
#include "UiFonts.h"
#include "store/NoteColumns.h"
#include "store/StoreError.h"
#include "store/UDM.h"

#include <QAction>
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {
namespace C = NoteColumns;

const QString Notice = QStringLiteral("提示");

QIcon glyph(const QString &name) {
    return QIcon(QStringLiteral(":/resources/icons/%1.svg").arg(name));
}

QList<QPointer<TAddF>> &openDialogs() {
    static QList<QPointer<TAddF>> list;
    return list;
}

// A failed setField would leave the pending row behind; whatever goes wrong,
// the record set is back to browsing before the error leaves.
template <typename F> void writeRow(NoteQuery &q, F &&setFields) {
    try {
        setFields();
        q.post();
    } catch (...) {
        q.cancel();
        throw;
    }
}

int roundHalfEven(double v) {
    const double down = std::floor(v);
    const double rest = v - down;
    if (rest > 0.5)
        return int(down) + 1;
    if (rest < 0.5)
        return int(down);
    return int(down) % 2 == 0 ? int(down) : int(down) + 1;
}
} // namespace

TAddF::TAddF(QWidget *owner) : QWidget(nullptr), m_owner(owner) {
    setObjectName(QStringLiteral("AddF"));
    setWindowTitle(QStringLiteral("新建文章"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_DeleteOnClose);
    // The main window alone decides when the program ends; an article left
    // open does not keep it running.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(UiFonts::yaHei(13));
    auto px = [this](int v) { return UiFonts::scaled(this, v); };

    openDialogs().append(this);
    if (owner)
        connect(owner, &QObject::destroyed, this, [this] { delete this; });

    buildActions();

    // ---- the upper area: four captioned groups
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto *upper = new QVBoxLayout;
    upper->setContentsMargins(px(8), px(8), px(8), px(4));
    upper->setSpacing(px(6));
    outer->addLayout(upper, 1);

    dxLayoutGroup4 =
        new CaptionedGroup(glyph(QStringLiteral("dlg_category")), QStringLiteral("选择分类"), this);
    dxLayoutGroup4->setObjectName(QStringLiteral("dxLayoutGroup4"));
    cxLookupComboBox1 = new QComboBox(dxLayoutGroup4);
    cxLookupComboBox1->setObjectName(QStringLiteral("cxLookupComboBox1"));
    cxLookupComboBox1->setEditable(false);
    cxLookupComboBox1->setFixedHeight(px(27));
    cxLookupComboBox1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_folders = new FolderListModel(&DM->FDMemFenLei, this);
    cxLookupComboBox1->setModel(m_folders);
    cxLookupComboBox1->setCurrentIndex(-1);
    keepPickerChoice();
    dxLayoutGroup4->contentLayout()->addWidget(cxLookupComboBox1);
    upper->addWidget(dxLayoutGroup4);

    dxLayoutGroup1 =
        new CaptionedGroup(glyph(QStringLiteral("dlg_title")), QStringLiteral("文章标题"), this);
    dxLayoutGroup1->setObjectName(QStringLiteral("dxLayoutGroup1"));
    cxTextEdit1 = new QLineEdit(dxLayoutGroup1);
    cxTextEdit1->setObjectName(QStringLiteral("cxTextEdit1"));
    cxTextEdit1->setFont(UiFonts::yaHei(13));
    cxTextEdit1->setFixedSize(px(360), px(27));
    CheckBox1 = new QCheckBox(QStringLiteral("是否添加到顶层"), dxLayoutGroup1);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setFixedWidth(px(123));
    dxLayoutGroup1->contentLayout()->addWidget(cxTextEdit1);
    dxLayoutGroup1->contentLayout()->addSpacing(px(6));
    dxLayoutGroup1->contentLayout()->addWidget(CheckBox1);
    dxLayoutGroup1->contentLayout()->addStretch(1);
    upper->addWidget(dxLayoutGroup1);

    dxLayoutGroup2 =
        new CaptionedGroup(glyph(QStringLiteral("dlg_notes")), QStringLiteral("注释说明"), this);
    dxLayoutGroup2->setObjectName(QStringLiteral("dxLayoutGroup2"));
    RichEdit1 = new QPlainTextEdit(dxLayoutGroup2);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setFont(UiFonts::yaHei(12));
    RichEdit1->setFixedHeight(px(71));
    // Tab moves on to the code; only the code editors take it as text.
    RichEdit1->setTabChangesFocus(true);
    dxLayoutGroup2->contentLayout()->addWidget(RichEdit1);
    upper->addWidget(dxLayoutGroup2);

    dxLayoutGroup3 =
        new CaptionedGroup(glyph(QStringLiteral("dlg_code")), QStringLiteral("代码与示例"), this);
    dxLayoutGroup3->setObjectName(QStringLiteral("dxLayoutGroup3"));
    scGPPageControl1 = new QTabWidget(dxLayoutGroup3);
    scGPPageControl1->setObjectName(QStringLiteral("scGPPageControl1"));
    scGPPageControl1->setFont(UiFonts::yaHei(13));
    // The tabs are chosen with the mouse; Tab goes from the notes straight
    // into the shown editor.
    scGPPageControl1->setFocusPolicy(Qt::NoFocus);
    scGPPageControl1->tabBar()->setFocusPolicy(Qt::NoFocus);
    QToolButton *first[5];
    QToolButton *second[5];
    scGPPageControlPage4 =
        buildPage(QStringLiteral("scGPPageControlPage4"), QStringLiteral("ToolBar1"), &ToolBar1,
                  first, 1, &SynMemo1, QStringLiteral("SynMemo1"), true);
    scGPPageControlPage5 =
        buildPage(QStringLiteral("scGPPageControlPage5"), QStringLiteral("ToolBar2"), &ToolBar2,
                  second, 6, &SynMemo2, QStringLiteral("SynMemo2"), false);
    ToolButton1 = first[0];
    ToolButton2 = first[1];
    ToolButton3 = first[2];
    ToolButton4 = first[3];
    ToolButton5 = first[4];
    ToolButton6 = second[0];
    ToolButton7 = second[1];
    ToolButton8 = second[2];
    ToolButton9 = second[3];
    ToolButton10 = second[4];
    scGPPageControl1->addTab(scGPPageControlPage4, QStringLiteral("Delphi代码"));
    scGPPageControl1->addTab(scGPPageControlPage5, QStringLiteral("代码示例"));
    scGPPageControl1->setCurrentIndex(0);
    dxLayoutGroup3->contentLayout()->addWidget(scGPPageControl1);
    upper->addWidget(dxLayoutGroup3, 1);

    // ---- the strip along the bottom, laid out by position
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(px(36));
    Panel1->setFont(UiFonts::yaHei(13));
    outer->addWidget(Panel1);

    CheckBox2 = new QCheckBox(QStringLiteral("连续增加"), Panel1);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->setFont(UiFonts::yaHei(13, true));
    CheckBox2->setGeometry(px(24), px(9), px(81), px(17));
    cxButton1 = new QPushButton(QStringLiteral("确 定"), Panel1);
    cxButton1->setObjectName(QStringLiteral("cxButton1"));
    cxButton2 = new QPushButton(QStringLiteral("取 消"), Panel1);
    cxButton2->setObjectName(QStringLiteral("cxButton2"));
    for (QPushButton *b : {cxButton1, cxButton2}) {
        b->setFont(UiFonts::yaHei(13));
        b->setFixedSize(px(75), px(25));
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    CheckBox3 = new QCheckBox(QStringLiteral("总在最前面显示"), Panel1);
    CheckBox3->setObjectName(QStringLiteral("CheckBox3"));
    CheckBox3->setFont(UiFonts::yaHei(13, true));
    CheckBox3->setGeometry(px(408), px(9), px(122), px(17));

    setTabOrder(cxLookupComboBox1, cxTextEdit1);
    setTabOrder(cxTextEdit1, CheckBox1);
    setTabOrder(CheckBox1, RichEdit1);
    setTabOrder(RichEdit1, SynMemo1);
    setTabOrder(SynMemo1, SynMemo2);
    setTabOrder(SynMemo2, cxButton1);
    setTabOrder(cxButton1, cxButton2);
    setTabOrder(cxButton2, CheckBox2);
    setTabOrder(CheckBox2, CheckBox3);

    connect(cxButton1, &QPushButton::clicked, this,
            [this] { guarded([this] { cxButton1Click(); }); });
    connect(cxButton2, &QPushButton::clicked, this,
            [this] { guarded([this] { cxButton2Click(); }); });
    connect(CheckBox3, &QCheckBox::toggled, this,
            [this] { guarded([this] { CheckBox3Click(); }); });

    setFixedSize(px(548), px(561));
    FormCanResize(frameGeometry().width());
}

TAddF::~TAddF() {
    openDialogs().removeAll(QPointer<TAddF>(this));
    openDialogs().removeAll(QPointer<TAddF>());
}

void TAddF::buildActions() {
    struct ActionDef {
        QAction **slot;
        const char *name;
        QString text;
        int picture;
        void (TAddF::*handler)();
    };
    const ActionDef defs[] = {
        {&CutToClip, "CutToClip", QStringLiteral("剪切"), 0, &TAddF::CutToClipExecute},
        {&CopyToClip, "CopyToClip", QStringLiteral("复制"), 1, &TAddF::CopyToClipExecute},
        {&PasteFrom, "PasteFrom", QStringLiteral("粘贴"), 2, &TAddF::PasteFromExecute},
        {&Save, "Save", QStringLiteral("删除空行"), 10, nullptr},
        {&DelToclip, "DelToclip", QStringLiteral("删除空行"), 11, &TAddF::DelToclipExecute},
    };
    for (const ActionDef &s : defs) {
        auto *action = new QAction(DM->img24.icon(s.picture), s.text, this);
        action->setObjectName(QString::fromLatin1(s.name));
        if (s.handler) {
            const auto handler = s.handler;
            connect(action, &QAction::triggered, this,
                    [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
        }
        *s.slot = action;
        ActionList1.append(action);
    }
    // Saving belongs to OK here; the button stays in its place, greyed.
    Save->setEnabled(false);
}

QWidget *TAddF::buildPage(const QString &name, const QString &barName, QToolBar **bar,
                          QToolButton **buttons, int firstNumber, CodeEditor **editor,
                          const QString &editorName, bool leadingBlock) {
    auto px = [this](int v) { return UiFonts::scaled(this, v); };
    auto *page = new QWidget;
    page->setObjectName(name);
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto *strip = new QWidget(page);
    strip->setFixedHeight(px(27));
    auto *row = new QHBoxLayout(strip);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    if (leadingBlock) {
        auto *block = new QWidget(strip);
        block->setFixedWidth(px(45));
        row->addWidget(block);
    }
    *bar = new QToolBar(strip);
    (*bar)->setObjectName(barName);
    (*bar)->setToolButtonStyle(Qt::ToolButtonIconOnly);
    (*bar)->setIconSize(QSize(px(16), px(16)));
    (*bar)->setMovable(false);
    (*bar)->setFloatable(false);
    for (int i = 0; i < 5; ++i) {
        auto *button = new QToolButton(*bar);
        button->setObjectName(QStringLiteral("ToolButton%1").arg(firstNumber + i));
        button->setDefaultAction(ActionList1.at(i));
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        button->setAutoRaise(true);
        // The editor keeps the keyboard while its commands are clicked.
        button->setFocusPolicy(Qt::NoFocus);
        (*bar)->addWidget(button);
        buttons[i] = button;
    }
    row->addWidget(*bar);
    row->addStretch(1);
    column->addWidget(strip);

    *editor = new CodeEditor(page);
    (*editor)->setObjectName(editorName);
    column->addWidget(*editor, 1);
    return page;
}

// A lookup picker holds a key, not a row: inserts, removals and re-reads of
// the folder list leave the chosen folder chosen (or none shown while it is
// missing), and never choose one the user did not pick, as the combo box
// would by itself take the first or a neighbouring entry.
void TAddF::keepPickerChoice() {
    connect(cxLookupComboBox1, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_listChanging)
            m_pickedKey = pickedFolder();
    });
    auto changing = [this] { m_listChanging = true; };
    auto changed = [this] {
        const int row = m_pickedKey ? m_folders->rowOfNodeId(m_pickedKey) : -1;
        if (cxLookupComboBox1->currentIndex() != row)
            cxLookupComboBox1->setCurrentIndex(row);
        m_listChanging = false;
    };
    connect(m_folders, &QAbstractItemModel::rowsAboutToBeInserted, this, changing);
    connect(m_folders, &QAbstractItemModel::rowsAboutToBeRemoved, this, changing);
    connect(m_folders, &QAbstractItemModel::modelAboutToBeReset, this, changing);
    connect(m_folders, &QAbstractItemModel::rowsInserted, this, changed);
    connect(m_folders, &QAbstractItemModel::rowsRemoved, this, changed);
    connect(m_folders, &QAbstractItemModel::modelReset, this, changed);
}

void TAddF::closeAllFor(QWidget *owner) {
    for (TAddF *dialog : openFor(owner))
        delete dialog;
}

QList<TAddF *> TAddF::openFor(const QWidget *owner) {
    QList<TAddF *> out;
    for (const QPointer<TAddF> &dialog : std::as_const(openDialogs()))
        if (dialog && dialog->m_owner == owner)
            out << dialog.data();
    return out;
}

std::pair<int, int> TAddF::centredButtonLefts(int newWidth, int okWidth, int cancelWidth,
                                              int spread) {
    return {roundHalfEven((newWidth - spread - okWidth) / 2.0),
            roundHalfEven((newWidth + spread - cancelWidth) / 2.0)};
}

void TAddF::FormCanResize(int newWidth) {
    const auto [okLeft, cancelLeft] = centredButtonLefts(
        newWidth, cxButton1->width(), cxButton2->width(), UiFonts::scaled(this, 100));
    const int top = UiFonts::scaled(this, 6);
    cxButton1->move(okLeft, top);
    cxButton2->move(cancelLeft, top);
}

void TAddF::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    // The width of the whole window, frame included, as it will be.
    const int frame = frameGeometry().width() - geometry().width();
    FormCanResize(event->size().width() + frame);
}

CodeEditor *TAddF::activeEditor() const {
    return scGPPageControl1->currentWidget() == scGPPageControlPage5 ? SynMemo2 : SynMemo1;
}

qint64 TAddF::pickedFolder() const {
    return m_folders->nodeIdAt(cxLookupComboBox1->currentIndex());
}

void TAddF::centreOverOwner() {
    if (!m_owner)
        return;
    const QRect over = m_owner->frameGeometry();
    const QSize size = frameGeometry().size();
    QPoint topLeft(over.center().x() - size.width() / 2, over.center().y() - size.height() / 2);
    if (QScreen *screen = m_owner->screen()) {
        // Never with the title bar off the screen.
        const QRect room = screen->availableGeometry();
        topLeft.setX(std::clamp(topLeft.x(), room.left(),
                                std::max(room.left(), room.right() + 1 - size.width())));
        topLeft.setY(std::clamp(topLeft.y(), room.top(),
                                std::max(room.top(), room.bottom() + 1 - size.height())));
    }
    move(topLeft);
}

// The form is made ready before it first appears, so it comes up in its
// place, with its folder and on top, rather than being shown a second time.
void TAddF::setVisible(bool visible) {
    if (visible && !m_formShown) {
        m_formShown = true;
        centreOverOwner();
        guarded([this] { FormShow(); });
    }
    QWidget::setVisible(visible);
}

void TAddF::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (!m_focusPlaced) {
        m_focusPlaced = true;
        cxTextEdit1->setFocus();
    }
}

void TAddF::FormShow() {
    int row = -1;
    if (!parentNid.isEmpty()) {
        bool ok = false;
        const qint64 key = parentNid.toLongLong(&ok);
        if (ok && key != 0 && QString::number(key) == parentNid)
            row = m_folders->rowOfNodeId(key);
    } else if (!id.isEmpty()) {
        row = m_folders->rowOfTitle(id);
    }
    cxLookupComboBox1->setCurrentIndex(row);
    cxTextEdit1->setFocus();
    CheckBox3->setChecked(true);
}

void TAddF::CheckBox3Click() {
    const bool on = CheckBox3->isChecked();
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    const bool wasVisible = isVisible();
    const bool wasActive = isActiveWindow();
    // Changing the flags takes the window off the screen; it comes back
    // where it was, and keeps the keyboard when it had it.
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (wasVisible)
        show();
    if (wasActive)
        activateWindow();
}

void TAddF::cxButton1Click() {
    if (Tag != 0 && Tag != 1)
        return;
    const QString title = cxTextEdit1->text();
    if (title.isEmpty()) {
        MsgBox::show(this, QStringLiteral("文章标题不能为空"), Notice, QMessageBox::Ok,
                     QMessageBox::NoIcon);
        return;
    }
    NoteQuery &q = DM->FDQuery1;
    const qint64 folder = pickedFolder();

    if (Tag == 0) {
        const bool topLevel = CheckBox1->isChecked();
        if (!topLevel && folder == 0) {
            MsgBox::show(this, QStringLiteral("请选择文章所属的分类"), Notice, QMessageBox::Ok,
                         QMessageBox::NoIcon);
            return;
        }
        q.append();
        writeRow(q, [&] {
            q.setField(C::Title, title);
            q.setField(C::ParentId, topLevel ? QStringLiteral("0") : QString::number(folder));
            q.setField(C::RichInfo, RichEdit1->toPlainText());
            q.setField(C::Info, SynMemo1->wholeText());
            q.setField(C::DemoInfo, SynMemo2->wholeText());
            const QDate today = QDate::currentDate();
            try {
                q.setField(C::CreateTime, today.toString(QStringLiteral("yyyy-MM-dd")));
            } catch (const StoreError &) {
                q.setField(C::CreateTime, today.toString(QStringLiteral("yyyy/MM/dd")));
            }
            q.setField(C::Type, 1);
        });
        if (CheckBox2->isChecked()) {
            // Ready for the next article of the same folder.
            cxTextEdit1->clear();
            RichEdit1->clear();
            SynMemo1->setWholeText(QString());
            SynMemo2->setWholeText(QString());
            cxTextEdit1->setFocus();
            return;
        }
        close();
        return;
    }

    // The article may have gone while the dialog was open.
    if (!q.locate(C::NodeId, nid)) {
        MsgBox::show(this, QStringLiteral("该文章已被删除，无法保存"), Notice, QMessageBox::Ok,
                     QMessageBox::NoIcon);
        return;
    }
    q.edit();
    writeRow(q, [&] {
        // With no folder shown the article stays where it is.
        if (folder != 0)
            q.setField(C::ParentId, QString::number(folder));
        q.setField(C::Title, title);
        q.setField(C::RichInfo, RichEdit1->toPlainText());
        q.setField(C::Info, SynMemo1->wholeText());
        q.setField(C::DemoInfo, SynMemo2->wholeText());
    });
    close();
}

void TAddF::cxButton2Click() {
    close();
}

void TAddF::CutToClipExecute() {
    activeEditor()->cut();
}

void TAddF::CopyToClipExecute() {
    activeEditor()->copy();
}

void TAddF::PasteFromExecute() {
    activeEditor()->paste();
}

void TAddF::DelToclipExecute() {
    activeEditor()->deleteBlankLines();
}
