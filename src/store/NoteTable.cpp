#include "NoteTable.h"

#include "NoteColumns.h"
#include "StoreError.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>

namespace {
// The database's complaint in the program's own words where it is a common
// one; the driver's text otherwise.
QString describe(const QSqlError &error) {
    // Primary SQLite result codes; extended codes carry them in the low byte.
    switch (error.nativeErrorCode().toInt() & 0xff) {
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return QCoreApplication::translate("NoteTable", "数据库正被其他程序占用，请稍后再试");
    case 8: // SQLITE_READONLY
        return QCoreApplication::translate("NoteTable", "数据库文件是只读的，无法写入");
    case 13: // SQLITE_FULL
        return QCoreApplication::translate("NoteTable", "磁盘已满");
    case 11: // SQLITE_CORRUPT
    case 26: // SQLITE_NOTADB
        return QCoreApplication::translate("NoteTable", "数据库文件已损坏或不是笔记本文件");
    default:
        return error.text();
    }
}

QString folded(QStringView name) {
    return name.toString().toCaseFolded();
}

QString quoteIdentifier(const QString &name) {
    QString q = name;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

bool isLongText(const QString &foldedName) {
    return foldedName == folded(NoteColumns::Info) || foldedName == folded(NoteColumns::DemoInfo) ||
           foldedName == folded(NoteColumns::RichInfo);
}
} // namespace

NoteTable::NoteTable(QObject *parent) : QObject(parent) {}

NoteTable::~NoteTable() = default;

void NoteTable::fail(const QString &what, const QString &detail) const {
    throw StoreError(detail.isEmpty() ? what : what + QStringLiteral("：") + detail);
}

int NoteTable::columnIndex(QStringView name) const {
    return m_columnByFoldedName.value(folded(name), -1);
}

QString NoteTable::quoted(int column) const {
    return quoteIdentifier(m_columns.at(column));
}

QString NoteTable::selectList() const {
    QStringList parts;
    for (int c : m_loadedColumns)
        parts << quoted(c);
    return parts.join(u',');
}

void NoteTable::open(const QSqlDatabase &db, const QString &table, const QString &whereColumn,
                     const QVariant &whereValue, bool lazyLongTexts) {
    openImpl(db, table, whereColumn, whereValue, nullptr, lazyLongTexts);
}

void NoteTable::openKeys(const QSqlDatabase &db, const QString &table, const QString &whereColumn,
                         const std::vector<qint64> &keys, bool lazyLongTexts) {
    openImpl(db, table, whereColumn, QVariant(), &keys, lazyLongTexts);
}

void NoteTable::openImpl(const QSqlDatabase &db, const QString &table, const QString &whereColumn,
                         const QVariant &whereValue, const std::vector<qint64> *keys,
                         bool lazyLongTexts) {
    emit aboutToReset();
    m_open = false;
    m_rowList.clear();
    m_rows.clear();
    m_byKey.clear();
    m_cachedRow = nullptr;
    m_columns.clear();
    m_columnByFoldedName.clear();
    m_lazy.clear();
    m_loadedColumns.clear();
    m_keyColumn = -1;

    // The reset must reach the listeners whatever happens below.
    struct ResetAtEnd {
        NoteTable *t;
        ~ResetAtEnd() { emit t->resetDone(); }
    } resetAtEnd{this};

    m_db = db;
    m_table = table;
    if (!db.isOpen())
        fail(tr("数据库没有打开"), {});

    // The column list comes from the table itself: extra columns are read
    // and kept, and any spelling of a column name is accepted.
    {
        QSqlQuery info(db);
        if (!info.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdentifier(table))))
            fail(tr("无法读取表 %1").arg(table), describe(info.lastError()));
        while (info.next())
            m_columns << info.value(1).toString();
        if (m_columns.isEmpty()) {
            // An empty answer also comes from a file that is no database at
            // all; a plain statement tells which it is.
            QSqlQuery probe(db);
            if (!probe.exec(QStringLiteral("SELECT 1 FROM %1 LIMIT 0").arg(quoteIdentifier(table))))
                fail(tr("无法读取表 %1").arg(table), describe(probe.lastError()));
            fail(tr("表 %1 没有列").arg(table), {});
        }
    }
    for (int c = 0; c < m_columns.size(); ++c)
        m_columnByFoldedName.insert(folded(m_columns[c]), c);
    for (auto required :
         {NoteColumns::NodeId, NoteColumns::ParentId, NoteColumns::Title, NoteColumns::Type}) {
        if (columnIndex(required) < 0)
            fail(tr("表 %1 缺少列 %2").arg(table, required), {});
    }
    m_keyColumn = columnIndex(NoteColumns::NodeId);
    m_lazy.assign(m_columns.size(), false);
    for (int c = 0; c < m_columns.size(); ++c) {
        m_lazy[c] = lazyLongTexts && isLongText(folded(m_columns[c]));
        if (!m_lazy[c])
            m_loadedColumns.push_back(c);
    }

    int whereIndex = -1;
    if (!whereColumn.isEmpty()) {
        whereIndex = columnIndex(whereColumn);
        if (whereIndex < 0)
            fail(tr("表 %1 缺少列 %2").arg(table, whereColumn), {});
    }
    const QString select =
        QStringLiteral("SELECT %1 FROM %2").arg(selectList(), quoteIdentifier(table));
    const int loaded = int(m_loadedColumns.size());
    std::vector<std::unique_ptr<NoteRow>> rows;
    auto readAll = [&](QSqlQuery &q) {
        while (q.next()) {
            auto row = std::make_unique<NoteRow>();
            row->values.resize(m_columns.size());
            for (int i = 0; i < loaded; ++i)
                row->values[m_loadedColumns[i]] = q.value(i);
            rows.push_back(std::move(row));
        }
        if (q.lastError().isValid())
            fail(tr("无法读取表 %1").arg(table), describe(q.lastError()));
    };

    if (!keys) {
        QString sql = select;
        if (whereIndex >= 0)
            sql += QStringLiteral(" WHERE %1=?").arg(quoted(whereIndex));
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.prepare(sql))
            fail(tr("无法读取表 %1").arg(table), describe(q.lastError()));
        if (whereIndex >= 0)
            q.addBindValue(whereValue);
        if (!q.exec())
            fail(tr("无法读取表 %1").arg(table), describe(q.lastError()));
        readAll(q);
    } else {
        // Read by key in batches, then put the rows in the order given.
        constexpr std::size_t batch = 500;
        for (std::size_t from = 0; from < keys->size(); from += batch) {
            const std::size_t n = std::min(batch, keys->size() - from);
            QStringList marks;
            for (std::size_t i = 0; i < n; ++i)
                marks << QStringLiteral("?");
            QSqlQuery q(db);
            q.setForwardOnly(true);
            if (!q.prepare(
                    select +
                    QStringLiteral(" WHERE %1 IN (%2)").arg(quoted(m_keyColumn), marks.join(u','))))
                fail(tr("无法读取表 %1").arg(table), describe(q.lastError()));
            for (std::size_t i = 0; i < n; ++i)
                q.addBindValue((*keys)[from + i]);
            if (!q.exec())
                fail(tr("无法读取表 %1").arg(table), describe(q.lastError()));
            readAll(q);
        }
        QHash<qint64, std::size_t> place;
        for (std::size_t i = 0; i < keys->size(); ++i)
            place.insert((*keys)[i], i);
        std::stable_sort(rows.begin(), rows.end(), [&](const auto &a, const auto &b) {
            return place.value(a->values[m_keyColumn].toLongLong()) <
                   place.value(b->values[m_keyColumn].toLongLong());
        });
    }
    for (auto &row : rows)
        row->seq = m_nextSeq++;

    m_rows = std::move(rows);
    m_rowList.reserve(m_rows.size());
    m_byKey.reserve(qsizetype(m_rows.size()));
    for (auto &row : m_rows) {
        m_rowList.push_back(row.get());
        const QVariant &k = row->values[m_keyColumn];
        if (!k.isNull())
            m_byKey.insert(k.toLongLong(), row.get());
    }
    m_open = true;
}

void NoteTable::close() {
    emit aboutToReset();
    m_open = false;
    m_db = QSqlDatabase();
    m_rowList.clear();
    m_rows.clear();
    m_byKey.clear();
    m_cachedRow = nullptr;
    emit resetDone();
}

NoteRow *NoteTable::findByKey(qint64 nodeId) const {
    return m_byKey.value(nodeId, nullptr);
}

qint64 NoteTable::key(const NoteRow *row) const {
    return row->values[m_keyColumn].toLongLong();
}

QVariant NoteTable::value(const NoteRow *row, int column) const {
    if (column < 0 || column >= int(m_columns.size()))
        return {};
    if (!m_lazy[column])
        return row->values[column];
    if (m_cachedRow != row) {
        // Fetch all long texts of the row at once: a display reads them together.
        std::vector<int> lazyColumns;
        QStringList names;
        for (int c = 0; c < int(m_columns.size()); ++c) {
            if (m_lazy[c]) {
                lazyColumns.push_back(c);
                names << quoted(c);
            }
        }
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        q.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3=?")
                      .arg(names.join(u','), quoteIdentifier(m_table), quoted(m_keyColumn)));
        q.addBindValue(row->values[m_keyColumn]);
        if (!q.exec())
            fail(tr("无法读取记录"), describe(q.lastError()));
        m_cachedValues.assign(m_columns.size(), QVariant());
        if (q.next()) {
            for (int i = 0; i < int(lazyColumns.size()); ++i)
                m_cachedValues[lazyColumns[i]] = q.value(i);
        }
        m_cachedRow = row;
    }
    return m_cachedValues[column];
}

// Brings the in-memory row to what the table now holds (defaults, the key
// given by the database, the column types it chose).
void NoteTable::readBack(NoteRow *row, const QString &whereSql, const QVariant &key) const {
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                  .arg(selectList(), quoteIdentifier(m_table), whereSql));
    q.addBindValue(key);
    if (q.exec() && q.next()) {
        for (int i = 0; i < int(m_loadedColumns.size()); ++i)
            row->values[m_loadedColumns[i]] = q.value(i);
    }
}

NoteRow *NoteTable::insert(const QHash<int, QVariant> &values) {
    if (!m_open)
        fail(tr("数据集没有打开"), {});
    QStringList names, marks;
    QList<int> columns = values.keys();
    std::sort(columns.begin(), columns.end());
    for (int c : columns) {
        names << quoted(c);
        marks << QStringLiteral("?");
    }
    QSqlQuery q(m_db);
    const QString sql =
        columns.isEmpty()
            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteIdentifier(m_table))
            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(quoteIdentifier(m_table), names.join(u','), marks.join(u','));
    if (!q.prepare(sql))
        fail(tr("保存失败"), describe(q.lastError()));
    for (int c : columns)
        q.addBindValue(values.value(c));
    if (!q.exec())
        fail(tr("保存失败"), describe(q.lastError()));
    const QVariant rowid = q.lastInsertId();

    auto owned = std::make_unique<NoteRow>();
    NoteRow *row = owned.get();
    row->seq = m_nextSeq++;
    row->values.resize(m_columns.size());
    for (int c : columns)
        if (!m_lazy[c])
            row->values[c] = values.value(c);
    readBack(row, QStringLiteral("rowid=?"), rowid);
    m_rows.push_back(std::move(owned));
    m_rowList.push_back(row);
    const QVariant &k = row->values[m_keyColumn];
    if (!k.isNull())
        m_byKey.insert(k.toLongLong(), row);
    emit rowAppended(row);
    return row;
}

void NoteTable::update(NoteRow *row, const QHash<int, QVariant> &values) {
    if (!m_open)
        fail(tr("数据集没有打开"), {});
    if (values.isEmpty())
        return;
    QList<int> columns = values.keys();
    std::sort(columns.begin(), columns.end());
    QStringList sets;
    for (int c : columns)
        sets << quoted(c) + QStringLiteral("=?");
    QSqlQuery q(m_db);
    if (!q.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE %3=?")
                       .arg(quoteIdentifier(m_table), sets.join(u','), quoted(m_keyColumn))))
        fail(tr("保存失败"), describe(q.lastError()));
    for (int c : columns)
        q.addBindValue(values.value(c));
    const QVariant oldKey = row->values[m_keyColumn];
    q.addBindValue(oldKey);
    if (!q.exec())
        fail(tr("保存失败"), describe(q.lastError()));
    if (q.numRowsAffected() == 0)
        throw RowGoneError(tr("保存失败：记录已不在数据库中"));

    if (m_cachedRow == row)
        m_cachedRow = nullptr;
    for (int c : columns)
        if (!m_lazy[c])
            row->values[c] = values.value(c);
    const QVariant newKey = values.contains(m_keyColumn) ? values.value(m_keyColumn) : oldKey;
    readBack(row, quoted(m_keyColumn) + QStringLiteral("=?"), newKey);
    if (row->values[m_keyColumn] != oldKey) {
        m_byKey.remove(oldKey.toLongLong());
        m_byKey.insert(row->values[m_keyColumn].toLongLong(), row);
    }
    emit rowChanged(row, columns);
}

void NoteTable::remove(NoteRow *row) {
    if (!m_open)
        fail(tr("数据集没有打开"), {});
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("DELETE FROM %1 WHERE %2=?")
                  .arg(quoteIdentifier(m_table), quoted(m_keyColumn)));
    q.addBindValue(row->values[m_keyColumn]);
    if (!q.exec())
        fail(tr("删除失败"), describe(q.lastError()));

    emit rowAboutToBeRemoved(row);
    if (m_cachedRow == row)
        m_cachedRow = nullptr;
    const QVariant &k = row->values[m_keyColumn];
    if (!k.isNull() && m_byKey.value(k.toLongLong()) == row)
        m_byKey.remove(k.toLongLong());
    // Rows stay in ascending seq order, so the place is found by halving.
    auto it = std::lower_bound(m_rowList.begin(), m_rowList.end(), row,
                               [](const NoteRow *a, const NoteRow *b) { return a->seq < b->seq; });
    if (it != m_rowList.end() && *it == row)
        m_rowList.erase(it);
    auto owned =
        std::find_if(m_rows.begin(), m_rows.end(), [row](const auto &p) { return p.get() == row; });
    std::unique_ptr<NoteRow> keep;
    if (owned != m_rows.end()) {
        keep = std::move(*owned);
        m_rows.erase(owned);
    }
    emit rowRemoved(row);
}
