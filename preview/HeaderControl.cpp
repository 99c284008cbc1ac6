#include "preview/HeaderControl.h"

#include <QMouseEvent>
#include <QStyleOptionHeader>
#include <QStylePainter>

THeaderControl::THeaderControl(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void THeaderControl::addSection(Section section)
{
    m_sections.push_back(std::move(section));
    update();
}

void THeaderControl::setSectionText(int index, const QString& text)
{
    Section& s = m_sections.at(std::size_t(index));
    if (s.text == text)
        return;
    s.text = text;
    update(); // a wider text moves the sections after it
}

int THeaderControl::sectionWidth(int index) const
{
    const Section& s = m_sections.at(std::size_t(index));
    if (s.text.isEmpty())
        return s.width;
    constexpr int padding = 12; // the section's frame and margins
    return std::max(s.width, fontMetrics().horizontalAdvance(s.text) + padding);
}

QSize THeaderControl::sizeHint() const
{
    int width = 0;
    for (int i = 0; i < sectionCount(); ++i)
        width += sectionWidth(i);
    return {width, 17};
}

QRect THeaderControl::sectionRect(int index) const
{
    int left = 0;
    for (int i = 0; i < index; ++i)
        left += sectionWidth(i);
    // The last section takes what is left of the strip.
    const bool last = index == sectionCount() - 1;
    const int width =
        last ? std::max(sectionWidth(index), this->width() - left) : sectionWidth(index);
    return {left, 0, width, height()};
}

int THeaderControl::sectionAt(QPoint point) const
{
    for (int i = 0; i < sectionCount(); ++i) {
        if (sectionRect(i).contains(point))
            return i;
    }
    return -1;
}

void THeaderControl::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    for (int i = 0; i < sectionCount(); ++i) {
        const Section& s = m_sections[std::size_t(i)];
        QStyleOptionHeader option;
        option.initFrom(this);
        option.rect = sectionRect(i);
        option.section = i;
        option.text = s.text;
        option.textAlignment = s.alignment | Qt::AlignVCenter;
        option.position = QStyleOptionHeader::Middle;
        if (i == m_pressed)
            option.state |= QStyle::State_Sunken;
        else
            option.state |= QStyle::State_Raised;
        painter.drawControl(QStyle::CE_Header, option);
    }
}

void THeaderControl::mousePressEvent(QMouseEvent* event)
{
    const int at = sectionAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && at >= 0 && section(at).allowClick) {
        m_pressed = at;
        update(sectionRect(at));
    }
}

void THeaderControl::mouseReleaseEvent(QMouseEvent* event)
{
    const int pressed = m_pressed;
    m_pressed = -1;
    if (pressed < 0)
        return;
    update(sectionRect(pressed));
    if (sectionAt(event->position().toPoint()) == pressed)
        emit sectionClicked(pressed);
}
