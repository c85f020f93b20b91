// The heat map window's painted cells, legend and tooltips over the model's HeatMap.
#include "ui/qt/ContrastMapWindow.h"

#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/qt/ControlBinder.h"
#include "ui/qt/ExportActions.h"
#include "ui/qt/Language.h"

namespace motifora {

namespace {

// Cells are as wide as the window allows, between these.
constexpr int kNarrowestCell = 14;
constexpr int kWidestCell = 40;
constexpr int kCellHeight = 24;
constexpr int kMargin = 6;
constexpr int kLegendBox = 46;

QColor colourOf(uint32_t rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb)); }

}  // namespace

HeatMapWidget::HeatMapWidget(QWidget* parent) : QWidget(parent) {
    setObjectName("HeatMap");
    setMouseTracking(true);
    // As wide as the window: the cells share its width (down to their narrowest).
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
    addPictureExport(this);
}

void HeatMapWidget::setMap(HeatMap map) {
    map_ = std::move(map);
    updateGeometry();
    update();
}

int HeatMapWidget::left() const {
    return kMargin + fontMetrics().horizontalAdvance("MM") + kMargin;
}

int HeatMapWidget::top() const { return kMargin + fontMetrics().height() + kMargin; }

int HeatMapWidget::legendTop() const {
    return top() + static_cast<int>(map_.letters.size()) * kCellHeight + 2 * kMargin;
}

int HeatMapWidget::cellWidth() const {
    const int columns = std::max<int>(static_cast<int>(map_.positions.size()), 1);
    return std::clamp((width() - left() - kMargin) / columns, kNarrowestCell, kWidestCell);
}

QRect HeatMapWidget::cellRect(int letter, int position) const {
    const int w = cellWidth();
    return {left() + position * w, top() + letter * kCellHeight, w, kCellHeight};
}

std::pair<int, int> HeatMapWidget::cellAt(const QPoint& point) const {
    const int x = point.x() - left(), y = point.y() - top();
    if (x < 0 || y < 0) return {-1, -1};
    const int position = x / cellWidth(), letter = y / kCellHeight;
    if (letter >= static_cast<int>(map_.letters.size()) ||
        position >= static_cast<int>(map_.positions.size()))
        return {-1, -1};
    return {letter, position};
}

QSize HeatMapWidget::sizeHint() const {
    const int columns = std::max<int>(static_cast<int>(map_.positions.size()), 5);
    const int width = left() + columns * 24 + kMargin;
    const int height = legendTop() + kCellHeight + fontMetrics().height() + 2 * kMargin;
    return {width, height};
}

QSize HeatMapWidget::minimumSizeHint() const {
    const int columns = std::max<int>(static_cast<int>(map_.positions.size()), 5);
    return {left() + columns * kNarrowestCell + kMargin, sizeHint().height()};
}

QFont HeatMapWidget::numberFont(const QString& widest, int room) const {
    // The widget's font, made smaller (not below 6 points) until `widest` fits in `room`.
    QFont font = this->font();
    for (double size = font.pointSizeF(); size >= 6.0; size -= 0.5) {
        font.setPointSizeF(size);
        if (QFontMetrics(font).horizontalAdvance(widest) + 2 <= room) return font;
    }
    font.setPointSizeF(6.0);
    return font;
}

void HeatMapWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    p.setPen(palette().text().color());
    if (!map_.shown) {
        p.drawText(rect().adjusted(kMargin, kMargin, -kMargin, -kMargin),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, qs(map_.title));
        return;
    }
    const QFontMetrics metrics = fontMetrics();
    const int cellW = cellWidth();
    // Position labels: every one when they fit, otherwise every fifth (and the first).
    const int labelWidth = metrics.horizontalAdvance(qs(map_.positions.back())) + 4;
    const int every = labelWidth <= cellW ? 1 : 5;
    for (size_t c = 0; c < map_.positions.size(); ++c) {
        if (c != 0 && (c + 1) % every != 0) continue;
        const QRect cell = cellRect(0, static_cast<int>(c));
        p.drawText(QRect(cell.left() - cellW, kMargin, 3 * cellW, metrics.height()),
                   Qt::AlignHCenter | Qt::AlignBottom, qs(map_.positions[c]));
    }
    // Every number when they all fit at the normal size; otherwise the strongest cells' numbers
    // in a font small enough for the cells.
    QString widest, widestShort;
    for (const auto& row : map_.cells)
        for (const HeatMapCell& cell : row) {
            if (cell.value == 0.0) continue;
            if (qs(cell.text).size() > widest.size()) widest = qs(cell.text);
            const QString shortText = qs(compactCellText(cell.text));
            if (cell.strong && shortText.size() > widestShort.size()) widestShort = shortText;
        }
    const bool allFit = metrics.horizontalAdvance(widest) + 2 <= cellW;
    const QFont small = allFit ? font() : numberFont(widestShort, cellW);
    const bool smallFits = QFontMetrics(small).horizontalAdvance(widestShort) + 2 <= cellW;
    for (size_t l = 0; l < map_.letters.size(); ++l) {
        const QRect row = cellRect(static_cast<int>(l), 0);
        p.setPen(palette().text().color());
        p.drawText(QRect(kMargin, row.top(), left() - 2 * kMargin, kCellHeight),
                   Qt::AlignRight | Qt::AlignVCenter, qs(map_.letters[l]));
        for (size_t c = 0; c < map_.cells[l].size(); ++c) {
            const HeatMapCell& cell = map_.cells[l][c];
            const QRect box = cellRect(static_cast<int>(l), static_cast<int>(c));
            p.fillRect(box, colourOf(cell.colour));
            p.setPen(QColor(220, 220, 220));
            p.drawRect(box.adjusted(0, 0, -1, -1));
            if (cell.value != 0.0 && (allFit || (cell.strong && smallFits))) {
                p.setFont(small);
                p.setPen(colourOf(cell.textColour));
                p.drawText(box, Qt::AlignCenter,
                           qs(allFit ? cell.text : compactCellText(cell.text)));
                p.setFont(font());
            }
        }
    }
    // The legend: its colour boxes with their values, then what the colours mean.
    int x = left();
    const int y = legendTop();
    for (const HeatMapLegendEntry& entry : map_.legend) {
        const QRect box(x, y, kLegendBox, kCellHeight);
        p.fillRect(box, colourOf(entry.colour));
        p.setPen(QColor(160, 160, 160));
        p.drawRect(box.adjusted(0, 0, -1, -1));
        p.setPen(colourOf(heatTextColour(entry.colour)));
        p.drawText(box, Qt::AlignCenter, qs(entry.text));
        x += kLegendBox;
    }
    p.setPen(palette().text().color());
    p.drawText(QRect(x + kMargin, y, std::max(width() - x - 2 * kMargin, 0), kCellHeight),
               Qt::AlignLeft | Qt::AlignVCenter,
               "red: speaks for a positive, blue: for a negative");
}

bool HeatMapWidget::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const auto [letter, position] = cellAt(help->pos());
        if (letter >= 0 && map_.shown) {
            QToolTip::showText(
                help->globalPos(),
                qs(map_.cells[static_cast<size_t>(letter)][static_cast<size_t>(position)].tip),
                this, cellRect(letter, position));
        } else {
            QToolTip::hideText();
            e->ignore();
        }
        return true;
    }
    return QWidget::event(e);
}

ContrastMapWindow::ContrastMapWindow(ContrastMapView& model, ControlBinder& binder, QWidget* parent)
    : HidingWindow([&model] { model.setVisible(false); }, parent, Qt::Window) {
    setObjectName("ContrastMapWindow");
    setWindowTitle("Discriminative Heat Map");
    auto* title = new QLabel;
    title->setObjectName("ContrastMapTitle");
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->setWordWrap(true);
    map_ = new HeatMapWidget;
    auto* scroll = new QScrollArea;
    scroll->setWidget(map_);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* explanation = new QLabel;
    explanation->setObjectName("ContrastMapLegendText");
    explanation->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(scroll, 1);
    layout->addWidget(explanation);
    resize(900, 360);

    binder.bind(model, [this, &model, title, explanation] {
        HeatMap map = model.map();
        title->setText(qs(map.title));
        explanation->setText(qs(map.legendText));
        explanation->setVisible(map.shown);
        map_->setMap(std::move(map));
    });
    binder.bindWindow(model, this);
}

}  // namespace motifora
