#pragma once

#include <QString>
#include <QWidget>

#include <vector>

// A strip of captioned sections side by side, like a table's header: the preview window's
// status line.
class THeaderControl : public QWidget {
    Q_OBJECT

public:
    struct Section {
        QString text;
        int width = 100;
        Qt::Alignment alignment = Qt::AlignLeft;
        bool allowClick = false; // a section with text widens to show the whole of it
    };

    explicit THeaderControl(QWidget* parent = nullptr);

    void addSection(Section section);
    int sectionCount() const noexcept { return int(m_sections.size()); }
    const Section& section(int index) const { return m_sections.at(std::size_t(index)); }
    QString sectionText(int index) const { return section(index).text; }
    void setSectionText(int index, const QString& text);

    // The width the section takes: its own, or more where its text needs it.
    int sectionWidth(int index) const;
    QSize sizeHint() const override;

signals:
    void sectionClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QRect sectionRect(int index) const;
    int sectionAt(QPoint point) const;

    std::vector<Section> m_sections;
    int m_pressed = -1;
};
