#include "RowFilter.h"

#include "StoreError.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace {
QString unquote(const QString &literal) {
    QString inner = literal.mid(1, literal.size() - 2);
    inner.replace(QStringLiteral("''"), QStringLiteral("'"));
    return inner;
}

QString tr(const char *text) {
    return QCoreApplication::translate("RowFilter", text);
}
} // namespace

RowFilter RowFilter::parse(const QString &text) {
    RowFilter f;
    f.m_text = text;
    if (text.trimmed().isEmpty())
        return f;

    // A quoted literal: '...' with '' standing for one quote inside.
    static const QRegularExpression like(
        QStringLiteral(R"(^\s*([A-Za-z_][A-Za-z0-9_]*)\s+like\s+('(?:[^']|'')*')\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression equals(
        QStringLiteral(R"(^\s*([A-Za-z_][A-Za-z0-9_]*)\s*=\s*('(?:[^']|'')*'|[^\s']+)\s*$)"),
        QRegularExpression::DotMatchesEverythingOption);

    if (auto m = like.match(text); m.hasMatch()) {
        f.m_kind = Kind::Like;
        f.m_column = m.captured(1);
        f.m_pattern = TitlePattern(unquote(m.captured(2)));
        return f;
    }
    if (auto m = equals.match(text); m.hasMatch()) {
        f.m_kind = Kind::Equals;
        f.m_column = m.captured(1);
        const QString v = m.captured(2);
        f.m_value = v.startsWith(u'\'') ? unquote(v) : v;
        bool ok = false;
        f.m_integer = f.m_value.toLongLong(&ok);
        // Only the plain decimal text of a number matches that number's text.
        f.m_valueIsInteger = ok && QString::number(f.m_integer) == f.m_value;
        return f;
    }
    throw StoreError(tr("无法识别的过滤条件：%1").arg(text));
}

bool RowFilter::accepts(const QVariant &value) const {
    switch (m_kind) {
    case Kind::None:
        return true;
    case Kind::Equals:
        if (value.isNull())
            return false;
        // Whole numbers compare without turning each row's value into text.
        if (m_valueIsInteger &&
            (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int))
            return value.toLongLong() == m_integer;
        return value.toString().compare(m_value, Qt::CaseInsensitive) == 0;
    case Kind::Like:
        if (value.isNull())
            return false;
        if (value.typeId() == QMetaType::QString)
            return m_pattern.matches(*static_cast<const QString *>(value.constData()));
        return m_pattern.matches(value.toString());
    }
    return false;
}

QString RowFilter::quote(const QString &text) {
    QString q = text;
    q.replace(u'\'', QStringLiteral("''"));
    return u'\'' + q + u'\'';
}
