#include "WindowFixture.h"

#include "ui/CodeEditor.h"
#include "ui/NoteTreeModel.h"
#include "ui/NoteTreeView.h"

#include <QApplication>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

BoxAnswerer::BoxAnswerer() {
    MsgBox::setResponder([this](const MsgBox::Request &r) {
        asked << AskedBox{r.text, r.caption, r.buttons, r.icon};
        if (!m_answers.isEmpty())
            return m_answers.takeFirst();
        return r.buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
    });
}

BoxAnswerer::~BoxAnswerer() {
    MsgBox::setResponder({});
}

QStringList BoxAnswerer::texts() const {
    QStringList out;
    for (const AskedBox &b : asked)
        out << b.text;
    return out;
}

WindowFixture::WindowFixture(const std::function<void(TestNotebook &)> &fill) {
    if (fill)
        fill(nb);
    dm = std::make_unique<TDM>(nullptr, nb.path());
    w = std::make_unique<TFrmain>();
    Frmain = w.get();
    w->show();
    QTest::qWait(0);
}

WindowFixture::~WindowFixture() {
    closeNotices();
    Frmain = nullptr;
    w.reset();
    dm.reset();
    CurrentNodeId.clear();
    EditedNodeId.clear();
}

void WindowFixture::click(NoteTreeView *tree, qint64 nodeId) {
    QModelIndex index = tree->noteModel()->indexOfNodeId(nodeId);
    QVERIFY2(index.isValid(), "row not shown in the tree");
    for (QModelIndex p = index.parent(); p.isValid(); p = p.parent())
        tree->expand(p);
    tree->scrollTo(index);
    QApplication::processEvents();
    const QRect r = tree->visualRect(index);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, r.center());
}

void WindowFixture::clickFolderTree(qint64 nodeId) {
    w->scGPPageControl2->setCurrentWidget(w->scGPPageControlPage4);
    click(w->cxDBTreeList1, nodeId);
}

void WindowFixture::clickBookmarkTree(qint64 nodeId) {
    w->scGPPageControl2->setCurrentWidget(w->scGPPageControlPage5);
    click(w->cxDBTreeList2, nodeId);
}

void WindowFixture::moveFolderTreeTo(qint64 nodeId) {
    const QModelIndex index = w->cxDBTreeList1->noteModel()->indexOfNodeId(nodeId);
    w->cxDBTreeList1->setCurrentIndex(index);
}

void WindowFixture::type(QWidget *widget, const QString &text) {
    widget->setFocus();
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void WindowFixture::typeInCode(const QString &text) {
    w->SynMemo1->setCursorPosition(w->SynMemo1->lines() - 1,
                                   w->SynMemo1->text(w->SynMemo1->lines() - 1).size());
    type(w->SynMemo1, text);
}

void WindowFixture::typeInExample(const QString &text) {
    w->scGPPageControl1->setCurrentWidget(w->scGPPageControlPage3);
    w->SynMemo2->setCursorPosition(w->SynMemo2->lines() - 1,
                                   w->SynMemo2->text(w->SynMemo2->lines() - 1).size());
    type(w->SynMemo2, text);
}

bool WindowFixture::pending(QToolButton *saveButton) const {
    const bool waitingPicture = saveButton->icon().cacheKey() == dm->img24.icon(13).cacheKey();
    const bool idlePicture = saveButton->icon().cacheKey() == dm->img24.icon(10).cacheKey();
    if (saveButton->isEnabled() && waitingPicture)
        return true;
    if (!saveButton->isEnabled() && idlePicture)
        return false;
    QTest::qFail("save button is neither idle nor pending", __FILE__, __LINE__);
    return false;
}

QString WindowFixture::notices() const {
    QStringList out;
    for (NoticeWindow *n : dm->Tip.openNotices())
        out << n->text();
    return out.join(u'|');
}

void WindowFixture::closeNotices() {
    if (!dm)
        return;
    for (NoticeWindow *n : dm->Tip.openNotices())
        n->close();
    QApplication::processEvents();
}

namespace {
QString rowsText(const NoteTreeModel *model, const QModelIndex &parent) {
    QStringList parts;
    for (int r = 0, n = model->rowCount(parent); r < n; ++r) {
        const QModelIndex child = model->index(r, 0, parent);
        QString part = child.data().toString();
        if (model->hasChildren(child))
            part += u'(' + rowsText(model, child) + u')';
        parts << part;
    }
    return parts.join(u' ');
}
} // namespace

QString WindowFixture::treeText(const NoteTreeView *tree) {
    return rowsText(tree->noteModel(), QModelIndex());
}
