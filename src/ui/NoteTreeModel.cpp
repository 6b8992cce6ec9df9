#include "NoteTreeModel.h"

#include "store/IconList.h"
#include "store/NoteColumns.h"
#include "store/NoteCursor.h"
#include "store/NoteTable.h"

#include <algorithm>

NoteTreeModel::NoteTreeModel(NoteCursor *cursor, const IconList *icons, QObject *parent)
    : QAbstractItemModel(parent), m_cursor(cursor), m_icons(icons) {
    connect(cursor, &NoteCursor::aboutToReset, this, &NoteTreeModel::onAboutToReset);
    connect(cursor, &NoteCursor::resetDone, this, &NoteTreeModel::onResetDone);
    connect(cursor, &NoteCursor::rowInserted, this, &NoteTreeModel::onRowInserted);
    connect(cursor, &NoteCursor::rowChanged, this, &NoteTreeModel::onRowChanged);
    connect(cursor, &NoteCursor::rowAboutToBeRemoved, this, &NoteTreeModel::onRowAboutToBeRemoved);
    rebuild();
}

NoteTreeModel::~NoteTreeModel() = default;

void NoteTreeModel::resolveColumns() {
    NoteTable *t = m_cursor->isOpen() ? m_cursor->table() : nullptr;
    m_idColumn = t ? t->columnIndex(NoteColumns::NodeId) : -1;
    m_parentColumn = t ? t->columnIndex(NoteColumns::ParentId) : -1;
    m_titleColumn = t ? t->columnIndex(NoteColumns::Title) : -1;
    m_typeColumn = t ? t->columnIndex(NoteColumns::Type) : -1;
}

qint64 NoteTreeModel::readId(const NoteRow *row, int column) const {
    if (column < 0)
        return 0;
    const QVariant &v = row->values[column];
    // Integer columns arrive as qlonglong; taking it directly spares the
    // general conversion, which a rebuild pays twice per row. A null
    // qlonglong holds 0, the value a null reads as anyway.
    if (v.typeId() == QMetaType::LongLong)
        return *static_cast<const qlonglong *>(v.constData());
    return v.isNull() ? 0 : v.toLongLong();
}

void NoteTreeModel::rebuild() {
    m_root.children.clear();
    m_pool.clear();
    m_byId.clear();
    m_waiting.clear();
    resolveColumns();
    if (!m_cursor->isOpen() || m_idColumn < 0)
        return;

    const auto &rows = m_cursor->visibleRows();
    m_pool.reserve(rows.size());
    m_byId.reserve(qsizetype(rows.size()));
    // A row and its values are separate blocks of memory: asking for them
    // some rows ahead lets the waits for memory overlap.
    constexpr std::size_t RowAhead = 16, ValuesAhead = 8;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i + RowAhead < rows.size())
            __builtin_prefetch(rows[i + RowAhead]);
        if (i + ValuesAhead < rows.size()) {
            const std::vector<QVariant> &ahead = rows[i + ValuesAhead]->values;
            for (int column : {m_idColumn, m_parentColumn})
                if (column >= 0 && std::size_t(column) < ahead.size())
                    __builtin_prefetch(ahead.data() + column);
        }
        NoteRow *row = rows[i];
        auto node = std::make_unique<Node>();
        node->row = row;
        node->id = readId(row, m_idColumn);
        node->parentId = readId(row, m_parentColumn);
        // The first row with a key keeps it; one lookup instead of two.
        Node *&byId = m_byId[node->id];
        if (!byId)
            byId = node.get();
        m_pool.push_back(std::move(node));
    }
    // Rows come in record-set order, so every child list is born sorted.
    for (auto &owned : m_pool) {
        Node *node = owned.get();
        Node *parent = m_byId.value(node->parentId, nullptr);
        if (parent == node)
            parent = nullptr;
        node->parent = parent ? parent : &m_root;
        node->parent->children.push_back(node);
    }
    // Rows whose parents form a ring hang from nothing: the first of each
    // ring in record-set order is shown at the top level. Each node sits in
    // exactly one child list, so counting what hangs below the top level
    // tells whether there is a ring at all; the search for rings only runs
    // when there is one.
    std::size_t hanging = 0;
    {
        std::vector<const Node *> stack(m_root.children.begin(), m_root.children.end());
        while (!stack.empty()) {
            const Node *n = stack.back();
            stack.pop_back();
            ++hanging;
            stack.insert(stack.end(), n->children.begin(), n->children.end());
        }
    }
    if (hanging != m_pool.size()) {
        std::vector<char> reached(m_pool.size(), 0);
        QHash<const Node *, std::size_t> order;
        order.reserve(qsizetype(m_pool.size()));
        for (std::size_t i = 0; i < m_pool.size(); ++i)
            order.insert(m_pool[i].get(), i);
        auto mark = [&](Node *top) {
            std::vector<Node *> stack{top};
            while (!stack.empty()) {
                Node *n = stack.back();
                stack.pop_back();
                reached[order.value(n)] = 1;
                for (Node *c : n->children)
                    stack.push_back(c);
            }
        };
        for (Node *top : m_root.children)
            mark(top);
        for (std::size_t i = 0; i < m_pool.size(); ++i) {
            if (reached[i])
                continue;
            Node *node = m_pool[i].get();
            auto &siblings = node->parent->children;
            siblings.erase(std::find(siblings.begin(), siblings.end(), node));
            insertSorted(&m_root, node);
            mark(node);
        }
    }
    for (Node *top : m_root.children)
        if (top->parentId != 0 && !m_byId.contains(top->parentId))
            m_waiting.insert(top->parentId, top);
}

void NoteTreeModel::insertSorted(Node *parent, Node *node) {
    auto &list = parent->children;
    auto it = std::lower_bound(list.begin(), list.end(), node, [](const Node *a, const Node *b) {
        return a->row->seq < b->row->seq;
    });
    list.insert(it, node);
    node->parent = parent;
}

int NoteTreeModel::position(const Node *node) const {
    const auto &list = node->parent->children;
    auto it = std::lower_bound(list.begin(), list.end(), node, [](const Node *a, const Node *b) {
        return a->row->seq < b->row->seq;
    });
    return int(it - list.begin());
}

QModelIndex NoteTreeModel::indexOfNode(const Node *node) const {
    if (!node || node == &m_root)
        return {};
    return createIndex(position(node), 0, const_cast<Node *>(node));
}

NoteTreeModel::Node *NoteTreeModel::nodeAt(const QModelIndex &index) const {
    if (!index.isValid())
        return const_cast<Node *>(&m_root);
    return static_cast<Node *>(index.internalPointer());
}

std::vector<std::unique_ptr<NoteTreeModel::Node>>::iterator
NoteTreeModel::poolPlace(const NoteRow *row) {
    return std::lower_bound(
        m_pool.begin(), m_pool.end(), row->seq,
        [](const std::unique_ptr<Node> &n, quint64 seq) { return n->row->seq < seq; });
}

NoteTreeModel::Node *NoteTreeModel::nodeOf(const NoteRow *row) const {
    if (!row)
        return nullptr;
    auto it = std::lower_bound(
        m_pool.begin(), m_pool.end(), row->seq,
        [](const std::unique_ptr<Node> &n, quint64 seq) { return n->row->seq < seq; });
    return (it != m_pool.end() && (*it)->row == row) ? it->get() : nullptr;
}

NoteRow *NoteTreeModel::rowAt(const QModelIndex &index) const {
    return index.isValid() ? nodeAt(index)->row : nullptr;
}

QModelIndex NoteTreeModel::indexOf(const NoteRow *row) const {
    return indexOfNode(nodeOf(row));
}

qint64 NoteTreeModel::nodeIdAt(const QModelIndex &index) const {
    return index.isValid() ? nodeAt(index)->id : 0;
}

QModelIndex NoteTreeModel::indexOfNodeId(qint64 nodeId) const {
    return indexOfNode(m_byId.value(nodeId, nullptr));
}

QModelIndex NoteTreeModel::index(int row, int column, const QModelIndex &parent) const {
    if (column != 0 || row < 0)
        return {};
    const Node *p = nodeAt(parent);
    if (row >= int(p->children.size()))
        return {};
    return createIndex(row, 0, p->children[row]);
}

QModelIndex NoteTreeModel::parent(const QModelIndex &child) const {
    if (!child.isValid())
        return {};
    return indexOfNode(nodeAt(child)->parent);
}

int NoteTreeModel::rowCount(const QModelIndex &parent) const {
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return int(nodeAt(parent)->children.size());
}

int NoteTreeModel::columnCount(const QModelIndex &) const {
    return 1;
}

bool NoteTreeModel::hasChildren(const QModelIndex &parent) const {
    return rowCount(parent) > 0;
}

QVariant NoteTreeModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || m_resetting)
        return {};
    const Node *node = nodeAt(index);
    switch (role) {
    case Qt::DisplayRole:
        return m_titleColumn < 0 ? QString() : NoteCursor::textOf(node->row->values[m_titleColumn]);
    case Qt::DecorationRole: {
        if (!m_icons || m_typeColumn < 0)
            return {};
        bool ok = false;
        const int type = node->row->values[m_typeColumn].toInt(&ok);
        return ok ? QVariant(m_icons->icon(type)) : QVariant();
    }
    default:
        return {};
    }
}

Qt::ItemFlags NoteTreeModel::flags(const QModelIndex &index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

bool NoteTreeModel::isAncestor(const Node *candidate, const Node *node) const {
    for (const Node *p = node; p && p != &m_root; p = p->parent)
        if (p == candidate)
            return true;
    return false;
}

// The node a row belongs under: its parent row when shown, unless that
// would hang the row below itself.
NoteTreeModel::Node *NoteTreeModel::parentFor(Node *node) const {
    Node *parent = m_byId.value(node->parentId, nullptr);
    if (!parent || isAncestor(node, parent))
        return const_cast<Node *>(&m_root);
    return parent;
}

void NoteTreeModel::noteWaiting(Node *node) {
    m_waiting.remove(node->parentId, node);
    if (node->parent == &m_root && node->parentId != 0 && !m_byId.contains(node->parentId))
        m_waiting.insert(node->parentId, node);
}

void NoteTreeModel::moveNode(Node *node, Node *newParent) {
    if (node->parent == newParent)
        return;
    const QModelIndex from = indexOfNode(node->parent);
    const int fromRow = position(node);
    const QModelIndex to = indexOfNode(newParent);
    auto &dest = newParent->children;
    const int toRow = int(
        std::lower_bound(dest.begin(), dest.end(), node,
                         [](const Node *a, const Node *b) { return a->row->seq < b->row->seq; }) -
        dest.begin());
    beginMoveRows(from, fromRow, fromRow, to, toRow);
    auto &src = node->parent->children;
    src.erase(src.begin() + fromRow);
    insertSorted(newParent, node);
    endMoveRows();
}

void NoteTreeModel::onAboutToReset() {
    if (m_resetting)
        return;
    m_resetting = true;
    beginResetModel();
}

void NoteTreeModel::onResetDone() {
    if (!m_resetting)
        beginResetModel();
    rebuild();
    m_resetting = false;
    endResetModel();
}

void NoteTreeModel::onRowInserted(NoteRow *row) {
    if (m_resetting)
        return;
    resolveColumns();
    if (m_idColumn < 0)
        return;
    auto owned = std::make_unique<Node>();
    Node *node = owned.get();
    node->row = row;
    node->id = readId(row, m_idColumn);
    node->parentId = readId(row, m_parentColumn);
    m_pool.insert(poolPlace(row), std::move(owned));
    Node *parent = m_byId.value(node->parentId, nullptr);
    if (parent == node)
        parent = nullptr;
    if (!m_byId.contains(node->id))
        m_byId.insert(node->id, node);
    if (!parent)
        parent = &m_root;

    auto &list = parent->children;
    const int at = int(
        std::lower_bound(list.begin(), list.end(), node,
                         [](const Node *a, const Node *b) { return a->row->seq < b->row->seq; }) -
        list.begin());
    beginInsertRows(indexOfNode(parent), at, at);
    list.insert(list.begin() + at, node);
    node->parent = parent;
    endInsertRows();
    noteWaiting(node);

    // Rows that were waiting for this one as their parent move under it.
    const QList<Node *> waiting = m_waiting.values(node->id);
    for (Node *child : waiting) {
        if (isAncestor(child, node))
            continue;
        m_waiting.remove(node->id, child);
        moveNode(child, node);
    }
}

void NoteTreeModel::onRowChanged(NoteRow *row, const QList<int> &columns) {
    if (m_resetting)
        return;
    Node *node = nodeOf(row);
    if (!node)
        return;
    if (columns.contains(m_idColumn) && readId(row, m_idColumn) != node->id) {
        // Keys never change through the program; start over if one did.
        beginResetModel();
        rebuild();
        endResetModel();
        return;
    }
    const qint64 parentId = readId(row, m_parentColumn);
    if (parentId != node->parentId) {
        m_waiting.remove(node->parentId, node);
        node->parentId = parentId;
        moveNode(node, parentFor(node));
        noteWaiting(node);
    }
    const QModelIndex idx = indexOfNode(node);
    emit dataChanged(idx, idx, {Qt::DisplayRole, Qt::DecorationRole});
}

void NoteTreeModel::onRowAboutToBeRemoved(NoteRow *row) {
    if (m_resetting)
        return;
    Node *node = nodeOf(row);
    if (!node)
        return;
    // Its children stay shown, at the top level, until it comes back.
    const std::vector<Node *> children = node->children;
    for (Node *child : children) {
        moveNode(child, &m_root);
        m_waiting.insert(child->parentId, child);
    }
    const int at = position(node);
    beginRemoveRows(indexOfNode(node->parent), at, at);
    auto &list = node->parent->children;
    list.erase(list.begin() + at);
    endRemoveRows();
    m_waiting.remove(node->parentId, node);
    if (m_byId.value(node->id) == node)
        m_byId.remove(node->id);
    auto it = poolPlace(row);
    if (it != m_pool.end() && (*it)->row == row)
        m_pool.erase(it);
}
