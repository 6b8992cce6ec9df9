#include "CaptionedGroup.h"

#include "UiFonts.h"

#include <QBoxLayout>

CaptionedGroup::CaptionedGroup(const QIcon &icon, const QString &caption, QWidget *parent)
    : QFrame(parent) {
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Plain);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 4, 6, 6);
    outer->setSpacing(4);
    auto *head = new QHBoxLayout;
    head->setSpacing(4);
    auto *picture = new QLabel(this);
    const int px = UiFonts::scaled(this, 16);
    picture->setPixmap(icon.pixmap(px, px));
    picture->setFixedSize(px, px);
    m_caption = new QLabel(caption, this);
    m_caption->setFont(UiFonts::yaHei(12, true));
    head->addWidget(picture);
    head->addWidget(m_caption);
    head->addStretch(1);
    outer->addLayout(head);
    m_content = new QHBoxLayout;
    m_content->setSpacing(6);
    outer->addLayout(m_content, 1);
}

LabeledItem::LabeledItem(const QIcon &icon, const QString &caption, QWidget *parent)
    : QWidget(parent) {
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(4);
    auto *picture = new QLabel(this);
    const int px = UiFonts::scaled(this, 16);
    picture->setPixmap(icon.pixmap(px, px));
    picture->setFixedSize(px, px);
    m_text = new QLabel(caption, this);
    m_text->setFont(UiFonts::yaHei(12));
    row->addWidget(picture);
    row->addWidget(m_text);
}
