#pragma once

#include <QIcon>
#include <QString>
#include <vector>

// A numbered list of pictures, drawn from SVG files in the resources
// (":/resources/icons/<prefix>_NN.svg"). The numbers are part of the
// interface: trees, actions and buttons name pictures by them.
class IconList {
public:
    IconList(const QString &prefix, int count);

    int count() const { return m_count; }
    QIcon icon(int index) const; // a null icon outside 0..count-1

private:
    QString m_prefix;
    int m_count;
    mutable std::vector<QIcon> m_icons;
};
