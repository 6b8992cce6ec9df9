#include "UAdd.h"

#include "MsgBox.h"
#include "QuillboxApplication.h"
#include "UiFonts.h"
#include "store/NoteColumns.h"
#include "store/UDM.h"

#include <QCheckBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

namespace {
namespace C = NoteColumns;

const QString Notice = QStringLiteral("提示");

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
} // namespace

TAdd::TAdd(QWidget *owner) : QDialog(owner) {
    setObjectName(QStringLiteral("Add"));
    setWindowTitle(QStringLiteral("新建目录"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);
    setFont(UiFonts::yaHei(13));
    auto px = [this](int v) { return UiFonts::scaled(this, v); };
    setFixedSize(px(334), px(191));

    Panel1 = new QLabel(QStringLiteral("    新建节点的默认语法高亮与父节点相同"), this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setTextFormat(Qt::PlainText); // the leading blanks are part of the look
    Panel1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Panel1->setFont(UiFonts::yaHei(14, true));
    Panel1->setAutoFillBackground(true);
    QPalette band = Panel1->palette();
    band.setColor(QPalette::Window, Qt::white);
    Panel1->setPalette(band);
    Panel1->setGeometry(0, 0, width(), px(58));

    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(
        QIcon(QStringLiteral(":/resources/icons/folder_up.svg")).pixmap(px(32), px(32)));
    Image1->setGeometry(px(290), px(12), px(32), px(37));

    cxLabel1 = new QLabel(QStringLiteral("输入目录标题"), this);
    cxLabel1->setObjectName(QStringLiteral("cxLabel1"));
    cxLabel1->setFont(UiFonts::yaHei(14));
    cxLabel1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    cxLabel1->setGeometry(px(13), px(72), px(94), px(21));

    cxTextEdit1 = new QLineEdit(this);
    cxTextEdit1->setObjectName(QStringLiteral("cxTextEdit1"));
    cxTextEdit1->setFont(UiFonts::yaHei(13));
    cxTextEdit1->setGeometry(px(109), px(72), px(211), px(21));

    CheckBox1 = new QCheckBox(QStringLiteral("在顶层新建目录或文章"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setFont(UiFonts::yaHei(13));
    CheckBox1->setGeometry(px(13), px(109), px(172), px(17));

    cxButton1 = new QPushButton(QStringLiteral("确 定"), this);
    cxButton1->setObjectName(QStringLiteral("cxButton1"));
    cxButton1->setGeometry(px(79), px(141), px(75), px(25));
    cxButton2 = new QPushButton(QStringLiteral("取 消"), this);
    cxButton2->setObjectName(QStringLiteral("cxButton2"));
    cxButton2->setGeometry(px(183), px(141), px(75), px(25));
    // Enter types nothing into the title and presses nothing.
    for (QPushButton *b : {cxButton1, cxButton2}) {
        b->setFont(UiFonts::yaHei(13));
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    setTabOrder(cxTextEdit1, cxButton1);
    setTabOrder(cxButton1, cxButton2);
    setTabOrder(cxButton2, CheckBox1);

    connect(cxButton1, &QPushButton::clicked, this,
            [this] { guarded([this] { cxButton1Click(); }); });
    connect(cxButton2, &QPushButton::clicked, this,
            [this] { guarded([this] { cxButton2Click(); }); });
}

TAdd::~TAdd() = default;

void TAdd::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    cxTextEdit1->setFocus();
}

// Esc leaves the dialog open; only Cancel and the title bar close it.
void TAdd::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TAdd::cxButton1Click() {
    if (Tag != 0 && Tag != 1)
        return;
    const QString title = cxTextEdit1->text();
    if (title.isEmpty()) {
        MsgBox::show(this, QStringLiteral("目录标题不能为空"), Notice, QMessageBox::Ok,
                     QMessageBox::NoIcon);
        if (Tag == 0)
            cxTextEdit1->setFocus();
        return;
    }
    NoteQuery &q = DM->FDQuery1;
    if (Tag == 0) {
        q.append();
        writeRow(q, [&] {
            q.setField(C::Title, title);
            q.setField(C::ParentId, CheckBox1->isChecked() ? QStringLiteral("0") : nid);
            q.setField(C::Type, 0);
        });
    } else {
        // The folder may have gone while the dialog was open (another
        // window, a re-read); a title for nothing is not written anywhere.
        if (!q.locate(C::NodeId, nid)) {
            MsgBox::show(this, QStringLiteral("该目录已不存在，无法保存"), Notice, QMessageBox::Ok,
                         QMessageBox::NoIcon);
            return;
        }
        q.edit();
        writeRow(q, [&] { q.setField(C::Title, title); });
    }
    accept();
}

void TAdd::cxButton2Click() {
    reject();
}
