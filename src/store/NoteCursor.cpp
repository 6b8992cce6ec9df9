#include "NoteCursor.h"

#include "NoteTable.h"
#include "StoreError.h"

#include <QRegularExpression>
#include <algorithm>

namespace {
bool bySeq(const NoteRow *a, const NoteRow *b) {
    return a->seq < b->seq;
}

// A row, its values and the text of one value are three separate blocks of
// memory, so a pass over 100 000 rows mostly waits for memory. Asking for
// them some rows ahead lets those waits overlap; it changes nothing else.
void prefetchAhead(const std::vector<NoteRow *> &rows, std::size_t i, std::size_t column) {
    constexpr std::size_t RowAhead = 16, ValuesAhead = 8, TextAhead = 4;
    const std::size_t n = rows.size();
    if (i + RowAhead < n)
        __builtin_prefetch(rows[i + RowAhead]);
    if (i + ValuesAhead < n && column < rows[i + ValuesAhead]->values.size())
        __builtin_prefetch(rows[i + ValuesAhead]->values.data() + column);
    if (i + TextAhead < n && column < rows[i + TextAhead]->values.size()) {
        const QVariant &v = rows[i + TextAhead]->values[column];
        if (v.typeId() == QMetaType::QString)
            __builtin_prefetch(static_cast<const QString *>(v.constData())->constData());
    }
}
} // namespace

NoteCursor::NoteCursor(QObject *parent) : QObject(parent) {}

NoteCursor::~NoteCursor() = default;

void NoteCursor::attach(NoteTable *table) {
    if (m_table)
        disconnect(m_table, nullptr, this, nullptr);
    m_table = table;
    if (!table)
        return;
    connect(table, &NoteTable::aboutToReset, this, &NoteCursor::aboutToReset);
    connect(table, &NoteTable::resetDone, this, [this] {
        m_open = m_table && m_table->isOpen();
        m_filterColumn = -1;
        m_current = nullptr;
        rebuild();
    });
    connect(table, &NoteTable::rowAppended, this, &NoteCursor::onRowAppended);
    connect(table, &NoteTable::rowChanged, this, &NoteCursor::onRowChanged);
    connect(table, &NoteTable::rowAboutToBeRemoved, this, &NoteCursor::onRowAboutToBeRemoved);
    connect(table, &NoteTable::rowRemoved, this, &NoteCursor::onRowRemoved);
}

void NoteCursor::cloneCursor(NoteCursor &source) {
    emit aboutToReset();
    attach(source.table());
    m_open = m_table && m_table->isOpen();
    // The clone takes the source's filter settings; filters always ignore case.
    m_filterText = source.m_filterText;
    m_filter = source.m_filter;
    m_filtered = source.m_filtered;
    m_filterColumn = -1;
    m_current = nullptr;
    rebuild();
}

void NoteCursor::close() {
    emit aboutToReset();
    if (m_table)
        disconnect(m_table, nullptr, this, nullptr);
    m_table = nullptr;
    m_open = false;
    m_visible.clear();
    m_current = nullptr;
    emit resetDone();
    emit currentChanged(nullptr);
}

bool NoteCursor::isOpen() const {
    return m_open && m_table && m_table->isOpen();
}

int NoteCursor::recordCount() const {
    return isOpen() ? int(m_visible.size()) : 0;
}

int NoteCursor::indexOf(const NoteRow *row) const {
    if (!row)
        return -1;
    auto it = std::lower_bound(m_visible.begin(), m_visible.end(), row, bySeq);
    return (it != m_visible.end() && *it == row) ? int(it - m_visible.begin()) : -1;
}

void NoteCursor::setCurrentRow(NoteRow *row) {
    if (row && indexOf(row) < 0)
        return;
    if (row == m_current)
        return;
    m_current = row;
    emit currentChanged(row);
}

bool NoteCursor::first() {
    setCurrentRow(m_visible.empty() ? nullptr : m_visible.front());
    return m_current != nullptr;
}

bool NoteCursor::passes(const NoteRow *row) const {
    if (!m_filtered || m_filter.isEmpty())
        return true;
    if (m_filterColumn < 0)
        return false;
    // A loaded value is read in place: copying every title into a QVariant
    // of its own cost more than matching it. Long texts left in the file are
    // null here and still come through the table.
    const auto column = std::size_t(m_filterColumn);
    if (column < row->values.size() && !row->values[column].isNull())
        return m_filter.accepts(row->values[column]);
    return m_filter.accepts(m_table->value(row, m_filterColumn));
}

// Called with listeners already told of a reset, or inside one.
void NoteCursor::rebuild() {
    NoteRow *before = m_current;
    m_visible.clear();
    if (isOpen()) {
        // A filter on a column the table lacks lets no row through; setFilter
        // has already refused such a filter where it could.
        if (m_filtered && !m_filter.isEmpty())
            m_filterColumn = m_table->columnIndex(m_filter.column());
        const auto &rows = m_table->rows();
        if (!m_filtered || m_filter.isEmpty()) {
            m_visible = rows;
        } else {
            for (std::size_t i = 0; i < rows.size(); ++i) {
                if (m_filterColumn >= 0)
                    prefetchAhead(rows, i, std::size_t(m_filterColumn));
                if (passes(rows[i]))
                    m_visible.push_back(rows[i]);
            }
        }
    }
    if (!m_current || indexOf(m_current) < 0)
        m_current = m_visible.empty() ? nullptr : m_visible.front();
    emit resetDone();
    if (m_current != before)
        emit currentChanged(m_current);
}

void NoteCursor::setFilter(const QString &text) {
    RowFilter parsed = RowFilter::parse(text); // refuses before anything changes
    if (text == m_filterText)
        return;
    if (m_filtered && isOpen()) {
        if (!parsed.isEmpty() && m_table->columnIndex(parsed.column()) < 0)
            throw StoreError(tr("过滤条件中的列 %1 不存在").arg(parsed.column()));
    }
    m_filterText = text;
    m_filter = std::move(parsed);
    if (m_filtered) {
        emit aboutToReset();
        rebuild();
    }
}

void NoteCursor::setFiltered(bool on) {
    if (on == m_filtered)
        return;
    if (on && isOpen() && !m_filter.isEmpty() && m_table->columnIndex(m_filter.column()) < 0)
        throw StoreError(tr("过滤条件中的列 %1 不存在").arg(m_filter.column()));
    m_filtered = on;
    emit aboutToReset();
    rebuild();
}

void NoteCursor::insertVisible(NoteRow *row) {
    auto it = std::lower_bound(m_visible.begin(), m_visible.end(), row, bySeq);
    m_visible.insert(it, row);
    if (!m_current) {
        m_current = row;
        emit rowInserted(row);
        emit currentChanged(row);
        return;
    }
    emit rowInserted(row);
}

void NoteCursor::onRowAppended(NoteRow *row) {
    if (!isOpen() || !passes(row))
        return;
    insertVisible(row);
}

void NoteCursor::onRowChanged(NoteRow *row, const QList<int> &columns) {
    if (!isOpen())
        return;
    const bool was = indexOf(row) >= 0;
    const bool is = passes(row);
    if (was && is) {
        emit rowChanged(row, columns);
    } else if (!was && is) {
        insertVisible(row);
    } else if (was && !is) {
        onRowAboutToBeRemoved(row);
        onRowRemoved(row);
    }
}

void NoteCursor::onRowAboutToBeRemoved(NoteRow *row) {
    if (!isOpen() || indexOf(row) < 0)
        return;
    m_removing = row;
    emit rowAboutToBeRemoved(row);
}

void NoteCursor::onRowRemoved(NoteRow *row) {
    if (m_removing != row)
        return;
    m_removing = nullptr;
    const int i = indexOf(row);
    if (i < 0)
        return;
    m_visible.erase(m_visible.begin() + i);
    emit rowRemoved(row);
    if (m_current == row) {
        // The cursor moves on to the next row, or back when it was the last.
        m_current =
            m_visible.empty() ? nullptr : m_visible[std::min<std::size_t>(i, m_visible.size() - 1)];
        emit currentChanged(m_current);
    }
}

NoteRow *NoteCursor::requireCurrent() const {
    if (!isOpen())
        throw StoreError(tr("数据集没有打开"));
    if (!m_current)
        throw StoreError(tr("没有当前记录"));
    return m_current;
}

QVariant NoteCursor::value(const NoteRow *row, QStringView column) const {
    if (!isOpen() || !row)
        return {};
    const int c = m_table->columnIndex(column);
    if (c < 0)
        throw StoreError(tr("找不到字段 %1").arg(column));
    return m_table->value(row, c);
}

QVariant NoteCursor::fieldValue(QStringView column) const {
    return value(requireCurrent(), column);
}

QString NoteCursor::fieldText(QStringView column) const {
    return textOf(fieldValue(column));
}

qint64 NoteCursor::fieldInt(QStringView column) const {
    const QVariant v = fieldValue(column);
    if (v.isNull())
        return 0;
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (!ok)
        throw StoreError(tr("“%1”不是有效的整数").arg(v.toString()));
    return n;
}

QDate NoteCursor::fieldDate(QStringView column) const {
    return dateOf(fieldValue(column));
}

QString NoteCursor::textOf(const QVariant &v) {
    if (v.isNull())
        return {};
    return v.toString();
}

// Dates are stored as "yyyy-mm-dd" text; other separators ("yyyy/mm/dd",
// "yyyy.mm.dd") and a time after the date are accepted too.
QDate NoteCursor::dateOf(const QVariant &v) {
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().date();
    static const QRegularExpression re(QStringLiteral(R"(^\s*(\d{4})\D(\d{1,2})\D(\d{1,2}))"));
    const auto m = re.match(v.toString());
    if (!m.hasMatch())
        return {};
    return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
}

bool NoteCursor::locate(QStringView column, const QString &value) {
    if (!isOpen())
        return false;
    const int c = m_table->columnIndex(column);
    if (c < 0)
        throw StoreError(tr("找不到字段 %1").arg(column));
    if (c == m_table->keyColumn()) {
        // Keys are found through the index, by their decimal text.
        bool ok = false;
        const qint64 key = value.toLongLong(&ok);
        if (!ok || QString::number(key) != value)
            return false;
        NoteRow *row = m_table->findByKey(key);
        if (!row || indexOf(row) < 0)
            return false;
        setCurrentRow(row);
        return true;
    }
    for (NoteRow *row : m_visible) {
        if (textOf(m_table->value(row, c)) == value) {
            setCurrentRow(row);
            return true;
        }
    }
    return false;
}
