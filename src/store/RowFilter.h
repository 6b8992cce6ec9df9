#pragma once

#include "TitlePattern.h"

#include <QString>
#include <QVariant>

// A record filter, parsed once when it is set. Two forms are understood:
//   <column>=<value>            e.g. type=0  (whole value, any letter case)
//   <column> like '<pattern>'   e.g. title like '%abc%' (quotes doubled inside)
// Any other text is refused with StoreError.
class RowFilter {
public:
    RowFilter() = default;
    static RowFilter parse(const QString &text);

    bool isEmpty() const { return m_kind == Kind::None; }
    QString text() const { return m_text; }
    QString column() const { return m_column; }
    // Whether a row whose filtered column holds `value` passes.
    bool accepts(const QVariant &value) const;

    // Quotes a text as a literal for a filter: 'it''s'.
    static QString quote(const QString &text);

private:
    enum class Kind { None, Equals, Like };
    Kind m_kind = Kind::None;
    QString m_text;
    QString m_column;
    QString m_value;
    qint64 m_integer = 0;
    bool m_valueIsInteger = false;
    TitlePattern m_pattern;
};
