#pragma once

#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QString>

class QBoxLayout;

// A group with a caption line (a small picture and a text) above its
// content, as the article panel and the dialogs arrange their parts.
class CaptionedGroup : public QFrame {
    Q_OBJECT
public:
    CaptionedGroup(const QIcon &icon, const QString &caption, QWidget *parent = nullptr);
    QString caption() const { return m_caption->text(); }
    QBoxLayout *contentLayout() const { return m_content; }

private:
    QLabel *m_caption;
    QBoxLayout *m_content;
};

// A picture followed by a text, for the date and read-count line.
class LabeledItem : public QWidget {
    Q_OBJECT
public:
    LabeledItem(const QIcon &icon, const QString &caption, QWidget *parent = nullptr);
    QString caption() const { return m_text->text(); }
    void setCaption(const QString &caption) { m_text->setText(caption); }

private:
    QLabel *m_text;
};
