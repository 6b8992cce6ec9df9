#include "IconList.h"

#include <algorithm>

IconList::IconList(const QString &prefix, int count)
    : m_prefix(prefix), m_count(std::max(count, 0)), m_icons(static_cast<std::size_t>(m_count)) {}

QIcon IconList::icon(int index) const {
    if (index < 0 || index >= m_count)
        return {};
    // Most pictures of a list are never shown in a session, so a file is
    // read only when its picture is first asked for.
    QIcon &cached = m_icons[static_cast<std::size_t>(index)];
    if (cached.isNull())
        cached = QIcon(QStringLiteral(":/resources/icons/%1_%2.svg")
                           .arg(m_prefix)
                           .arg(index, 2, 10, QLatin1Char('0')));
    return cached;
}
