#include "NoteQuery.h"

#include "NoteTable.h"
#include "StoreError.h"

#include <QRegularExpression>

NoteQuery::NoteQuery(QObject *parent) : NoteCursor(parent), m_ownTable(new NoteTable(this)) {}

NoteQuery::~NoteQuery() = default;

void NoteQuery::setSQL(const QString &statement) {
    static const QRegularExpression re(
        QStringLiteral(
            R"re(^\s*select\s+\*\s+from\s+"?([A-Za-z_][A-Za-z0-9_]*)"?)re"
            R"re((?:\s+where\s+"?([A-Za-z_][A-Za-z0-9_]*)"?\s*=\s*(-?\d+))?\s*;?\s*$)re"),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(statement);
    if (!m.hasMatch())
        throw StoreError(tr("不支持的查询语句：%1").arg(statement));
    m_sql = statement;
    m_tableName = m.captured(1);
    m_whereColumn = m.captured(2);
    m_whereValue = m.captured(3).isEmpty() ? QVariant() : QVariant(m.captured(3).toLongLong());
}

void NoteQuery::open() {
    cancel();
    if (m_tableName.isEmpty())
        throw StoreError(tr("没有查询语句"));
    attach(m_ownTable);
    // The table tells this cursor (and every clone) of the reset itself.
    m_ownTable->open(m_db, m_tableName, m_whereColumn, m_whereValue, m_lazy);
}

void NoteQuery::openUsing(const NoteQuery &source) {
    NoteTable *from = source.table();
    if (!source.isOpen() || !from ||
        m_tableName.compare(source.m_tableName, Qt::CaseInsensitive) != 0 ||
        !source.m_whereColumn.isEmpty()) {
        open();
        return;
    }
    cancel();
    std::vector<qint64> keys;
    const int key = from->keyColumn();
    const int where = m_whereColumn.isEmpty() ? -1 : from->columnIndex(m_whereColumn);
    if (!m_whereColumn.isEmpty() && where < 0)
        throw StoreError(tr("表 %1 缺少列 %2").arg(m_tableName, m_whereColumn));
    const qint64 wanted = m_whereValue.toLongLong();
    for (NoteRow *row : from->rows()) {
        if (where >= 0) {
            bool ok = false;
            const QVariant &v = row->values[where];
            if (v.isNull() || v.toDouble(&ok) != double(wanted) || !ok)
                continue;
        }
        keys.push_back(row->values[key].toLongLong());
    }
    attach(m_ownTable);
    m_ownTable->openKeys(m_db, m_tableName, m_whereColumn, keys, m_lazy);
}

void NoteQuery::close() {
    cancel();
    if (m_ownTable->isOpen())
        m_ownTable->close();
}

void NoteQuery::refresh() {
    if (!isOpen())
        throw StoreError(tr("数据集没有打开"));
    const qint64 key = currentRow() ? m_ownTable->key(currentRow()) : 0;
    open();
    // Stay on the same row where it is still there.
    if (NoteRow *row = m_ownTable->findByKey(key))
        setCurrentRow(row);
}

int NoteQuery::requireColumn(QStringView column) const {
    const int c = table() ? table()->columnIndex(column) : -1;
    if (c < 0)
        throw StoreError(tr("找不到字段 %1").arg(column));
    return c;
}

void NoteQuery::append() {
    if (!isOpen())
        throw StoreError(tr("数据集没有打开"));
    cancel();
    m_state = State::Insert;
}

void NoteQuery::edit() {
    requireCurrent();
    if (m_state == State::Browse)
        m_state = State::Edit;
}

void NoteQuery::setField(QStringView column, const QVariant &value) {
    if (m_state == State::Browse)
        throw StoreError(tr("数据集不在编辑状态"));
    m_buffer.insert(requireColumn(column), value);
}

void NoteQuery::post() {
    if (m_state == State::Browse)
        return;
    // Whatever the database says, the pending change ends here: on failure
    // the row stays as the table holds it and the query is usable at once.
    const State state = m_state;
    const QHash<int, QVariant> values = std::move(m_buffer);
    m_buffer.clear();
    m_state = State::Browse;
    if (state == State::Insert) {
        NoteRow *row = m_ownTable->insert(values);
        setCurrentRow(row);
    } else {
        m_ownTable->update(requireCurrent(), values);
    }
}

void NoteQuery::cancel() {
    m_buffer.clear();
    m_state = State::Browse;
}

void NoteQuery::deleteRow() {
    NoteRow *row = requireCurrent();
    cancel();
    m_ownTable->remove(row);
}

QVariant NoteQuery::fieldValue(QStringView column) const {
    if (m_state != State::Browse) {
        const int c = requireColumn(column);
        if (m_buffer.contains(c))
            return m_buffer.value(c);
        if (m_state == State::Insert)
            return {};
    }
    return NoteCursor::fieldValue(column);
}
