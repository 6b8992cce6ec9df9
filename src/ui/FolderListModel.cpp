#include "FolderListModel.h"

#include "store/NoteColumns.h"
#include "store/NoteCursor.h"
#include "store/NoteTable.h"

#include <algorithm>

namespace {
bool bySeq(const NoteRow *a, const NoteRow *b) {
    return a->seq < b->seq;
}
} // namespace

FolderListModel::FolderListModel(NoteCursor *cursor, QObject *parent)
    : QAbstractListModel(parent), m_cursor(cursor) {
    connect(cursor, &NoteCursor::aboutToReset, this, &FolderListModel::onAboutToReset);
    connect(cursor, &NoteCursor::resetDone, this, &FolderListModel::onResetDone);
    connect(cursor, &NoteCursor::rowInserted, this, &FolderListModel::onRowInserted);
    connect(cursor, &NoteCursor::rowChanged, this, &FolderListModel::onRowChanged);
    connect(cursor, &NoteCursor::rowAboutToBeRemoved, this,
            &FolderListModel::onRowAboutToBeRemoved);
    connect(cursor, &NoteCursor::rowRemoved, this, &FolderListModel::onRowRemoved);
    if (cursor->isOpen())
        m_rows = cursor->visibleRows();
}

FolderListModel::~FolderListModel() = default;

int FolderListModel::positionFor(const NoteRow *row) const {
    return int(std::lower_bound(m_rows.begin(), m_rows.end(), row, bySeq) - m_rows.begin());
}

int FolderListModel::rowOf(const NoteRow *row) const {
    const int at = positionFor(row);
    return (at < int(m_rows.size()) && m_rows[at] == row) ? at : -1;
}

NoteRow *FolderListModel::rowAt(int row) const {
    return (row >= 0 && row < int(m_rows.size()) && !m_resetting) ? m_rows[row] : nullptr;
}

qint64 FolderListModel::nodeIdAt(int row) const {
    const NoteRow *r = rowAt(row);
    NoteTable *t = m_cursor->table();
    return (r && t && t->keyColumn() >= 0) ? t->key(r) : 0;
}

QString FolderListModel::titleAt(int row) const {
    const NoteRow *r = rowAt(row);
    NoteTable *t = m_cursor->table();
    const int column = t ? t->columnIndex(NoteColumns::Title) : -1;
    return (r && column >= 0) ? NoteCursor::textOf(t->value(r, column)) : QString();
}

int FolderListModel::rowOfNodeId(qint64 nodeId) const {
    for (int i = 0; i < rowCount(); ++i)
        if (nodeIdAt(i) == nodeId)
            return i;
    return -1;
}

int FolderListModel::rowOfTitle(const QString &title) const {
    for (int i = 0; i < rowCount(); ++i)
        if (titleAt(i) == title)
            return i;
    return -1;
}

int FolderListModel::rowCount(const QModelIndex &parent) const {
    return (parent.isValid() || m_resetting) ? 0 : int(m_rows.size());
}

QVariant FolderListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.column() != 0 || !rowAt(index.row()))
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return titleAt(index.row());
    case Qt::UserRole:
        return nodeIdAt(index.row());
    default:
        return {};
    }
}

Qt::ItemFlags FolderListModel::flags(const QModelIndex &index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

// The table destroys its rows between the two reset signals, so the copied
// list is dropped at once and nothing reads a row until the cursor is back.
void FolderListModel::onAboutToReset() {
    if (m_resetting)
        return;
    beginResetModel();
    m_resetting = true;
    m_rows.clear();
    m_removing = nullptr;
}

void FolderListModel::onResetDone() {
    if (!m_resetting)
        beginResetModel();
    m_rows = m_cursor->isOpen() ? m_cursor->visibleRows() : std::vector<NoteRow *>();
    m_removing = nullptr;
    m_resetting = false;
    endResetModel();
}

void FolderListModel::onRowInserted(NoteRow *row) {
    if (m_resetting || rowOf(row) >= 0)
        return;
    const int at = positionFor(row);
    beginInsertRows({}, at, at);
    m_rows.insert(m_rows.begin() + at, row);
    endInsertRows();
}

void FolderListModel::onRowChanged(NoteRow *row) {
    const int at = m_resetting ? -1 : rowOf(row);
    if (at < 0)
        return;
    const QModelIndex idx = index(at, 0);
    emit dataChanged(idx, idx, {Qt::DisplayRole, Qt::EditRole, Qt::UserRole});
}

void FolderListModel::onRowAboutToBeRemoved(NoteRow *row) {
    if (m_resetting)
        return;
    if (m_removing && m_removing != row)
        onRowRemoved(m_removing); // a removal never finished; close it first
    const int at = m_removing ? -1 : rowOf(row);
    if (at < 0)
        return;
    m_removing = row;
    beginRemoveRows({}, at, at);
}

void FolderListModel::onRowRemoved(NoteRow *row) {
    if (!m_removing || row != m_removing)
        return;
    m_rows.erase(m_rows.begin() + rowOf(row));
    m_removing = nullptr;
    endRemoveRows();
}
