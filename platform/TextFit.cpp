#include "platform/TextFit.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QWidget>

namespace platform {

namespace {

int widestEntry(const QComboBox* combo)
{
    const QFontMetrics metrics(combo->font());
    int widest = 0;
    for (int i = 0; i < combo->count(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(combo->itemText(i)));
    return widest;
}

bool placedByHand(const QWidget* w)
{
    const QWidget* parent = w->parentWidget();
    return parent && (!parent->layout() || parent->layout()->indexOf(w) < 0);
}

// Grows the parents of a control that now passes their edges, up to the form.
void growParents(QWidget* control, QWidget* form)
{
    constexpr int margin = 4;
    for (QWidget* w = control; w != form && w->parentWidget(); w = w->parentWidget()) {
        QWidget* parent = w->parentWidget();
        if (parent->layout() && parent->layout()->indexOf(w) >= 0)
            return;
        const int right = w->geometry().right() + 1 + margin;
        const int bottom = w->geometry().bottom() + 1 + margin;
        if (right <= parent->width() && bottom <= parent->height())
            return;
        const QSize size(std::max(parent->width(), right), std::max(parent->height(), bottom));
        if (parent == form && parent->minimumSize() == parent->maximumSize())
            parent->setFixedSize(size); // a form of fixed size keeps being fixed
        else
            parent->resize(size);
    }
}

// The width and height a control needs to show its whole text; its own size when it shows
// none.
int neededWidth(const QWidget* control)
{
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        if (label->text().isEmpty() || label->wordWrap())
            return label->width();
        return label->sizeHint().width();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
        if (button->text().isEmpty())
            return button->width();
        // The text and the button's frame; not the minimum width some styles give buttons.
        QString text = button->text();
        text.remove(QLatin1Char('&'));
        int width = QFontMetrics(button->font()).horizontalAdvance(text) + 12;
        const auto* tool = qobject_cast<const QToolButton*>(button);
        const bool under = tool && tool->toolButtonStyle() == Qt::ToolButtonTextUnderIcon;
        if (!button->icon().isNull() && !under)
            width += button->iconSize().width() + 4;
        if (qobject_cast<const QCheckBox*>(button) || qobject_cast<const QRadioButton*>(button))
            width = button->sizeHint().width();
        return width;
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(control)) {
        // The frame, the arrow and the margins, beside the widest entry.
        const int chrome = combo->sizeHint().width() -
                           QFontMetrics(combo->font()).horizontalAdvance(combo->currentText());
        return std::max(
            combo->width(),
            widestEntry(combo) +
                std::max(chrome, combo->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 16));
    }
    return control->width();
}

int neededHeight(const QWidget* control)
{
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        if (label->text().isEmpty())
            return label->height();
        return label->wordWrap() ? label->heightForWidth(label->width())
                                 : QFontMetrics(label->font()).height();
    }
    return control->height();
}

} // namespace

void fitTexts(QWidget* form)
{
    for (QWidget* w : form->findChildren<QWidget*>()) {
        const bool text = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
                          qobject_cast<QComboBox*>(w);
        if (!text)
            continue;
        if (auto* combo = qobject_cast<QComboBox*>(w)) {
            combo->view()->setMinimumWidth(
                widestEntry(combo) + combo->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8);
        }
        if (!placedByHand(w))
            continue;
        const int width = std::max(w->width(), neededWidth(w));
        const int height = std::max(w->height(), neededHeight(w));
        if (width != w->width() || height != w->height()) {
            w->resize(width, height);
            growParents(w, form);
        }
    }
}

} // namespace platform
