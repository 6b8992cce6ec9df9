#include "NoteTreeView.h"

#include "NoteTreeModel.h"
#include "store/NoteCursor.h"

#include <QHeaderView>

NoteTreeView::NoteTreeView(QWidget *parent) : QTreeView(parent) {
    setHeaderHidden(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setFrameShape(QFrame::NoFrame);
    setUniformRowHeights(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QTreeView::clicked, this, [this](const QModelIndex &) { emit rowClicked(); });
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex &index) {
        if (m_model)
            m_expanded.insert(m_model->nodeIdAt(index));
    });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex &index) {
        if (m_model)
            m_expanded.remove(m_model->nodeIdAt(index));
    });
}

void NoteTreeView::setNoteModel(NoteTreeModel *model) {
    m_model = model;
    setModel(model);
    header()->setStretchLastSection(true);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (m_syncing || !current.isValid())
                    return;
                m_syncing = true;
                m_model->cursor()->setCurrentRow(m_model->rowAt(current));
                m_syncing = false;
            });
    connect(model->cursor(), &NoteCursor::currentChanged, this, [this] { followCursor(); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        restoreExpanded();
        followCursor();
    });
    followCursor();
}

// The cursor moved by itself (a delete, a filter): the tree shows it there.
void NoteTreeView::followCursor() {
    if (m_syncing || !m_model)
        return;
    const QModelIndex target = m_model->indexOf(m_model->cursor()->currentRow());
    if (target == currentIndex())
        return;
    m_syncing = true;
    if (target.isValid())
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
    else
        selectionModel()->clear();
    m_syncing = false;
}

void NoteTreeView::restoreExpanded() {
    const QSet<qint64> wanted = m_expanded;
    for (qint64 id : wanted) {
        const QModelIndex index = m_model->indexOfNodeId(id);
        if (index.isValid())
            setExpanded(index, true);
    }
    m_expanded = wanted; // folders hidden for now open again when they return
}

NoteRow *NoteTreeView::selectedRow() const {
    const QModelIndexList rows =
        selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    return rows.isEmpty() || !m_model ? nullptr : m_model->rowAt(rows.first());
}

void NoteTreeView::expandEverything() {
    expandAll();
    if (!m_model)
        return;
    // expandAll() reports nothing, so the open folders are noted here.
    std::vector<QModelIndex> stack{QModelIndex()};
    while (!stack.empty()) {
        const QModelIndex parent = stack.back();
        stack.pop_back();
        for (int r = 0, n = m_model->rowCount(parent); r < n; ++r) {
            const QModelIndex child = m_model->index(r, 0, parent);
            if (m_model->hasChildren(child)) {
                m_expanded.insert(m_model->nodeIdAt(child));
                stack.push_back(child);
            }
        }
    }
}

void NoteTreeView::collapseEverything() {
    collapseAll();
    m_expanded.clear();
}

void NoteTreeView::leaveEvent(QEvent *event) {
    QTreeView::leaveEvent(event);
    emit mouseLeft();
}
