// Sequence logos painted from the window model's letter heights.
#include "ui/qt/LogoWindow.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>

#include "ui/qt/ControlBinder.h"
#include "ui/qt/ExportActions.h"
#include "ui/qt/Language.h"

namespace motifora {

namespace {

constexpr int kAxisRoom = 44;     // the bits axis and its title
constexpr int kBottomRoom = 22;   // the position numbers
constexpr int kTopRoom = 22;      // the title
constexpr int kPlotHeight = 150;  // the height of log2(A) bits
constexpr int kNarrowest = 12;
constexpr int kWidest = 36;

}  // namespace

QColor logoColour(char letter) {
    switch (std::toupper(static_cast<unsigned char>(letter))) {
        case 'A':
            return QColor(0, 150, 0);
        case 'C':
            return QColor(0, 0, 200);
        case 'G':
            return QColor(230, 140, 0);
        case 'T':
        case 'U':
            return QColor(210, 0, 0);
        default:
            return QColor(110, 110, 110);
    }
}

LogoWidget::LogoWidget(SequenceLogo logo, QWidget* parent)
    : QWidget(parent), logo_(std::move(logo)) {
    setObjectName("SequenceLogo");
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    addPictureExport(this);
}

QSize LogoWidget::sizeHint() const {
    const int columns = std::max<int>(static_cast<int>(logo_.columns.size()), 1);
    return {kAxisRoom + columns * 24 + 8, kTopRoom + kPlotHeight + kBottomRoom};
}

QSize LogoWidget::minimumSizeHint() const {
    const int columns = std::max<int>(static_cast<int>(logo_.columns.size()), 1);
    return {kAxisRoom + columns * kNarrowest + 8, kTopRoom + kPlotHeight + kBottomRoom};
}

QRectF LogoWidget::plot() const {
    const int columns = std::max<int>(static_cast<int>(logo_.columns.size()), 1);
    const int columnWidth = std::clamp((width() - kAxisRoom - 8) / columns, kNarrowest, kWidest);
    return {static_cast<double>(kAxisRoom), static_cast<double>(kTopRoom),
            static_cast<double>(columnWidth * columns), static_cast<double>(kPlotHeight)};
}

QRectF LogoWidget::letterRect(int column, int index) const {
    if (column < 0 || column >= static_cast<int>(logo_.columns.size()) || logo_.maxBits <= 0)
        return {};
    const LogoColumn& stack = logo_.columns[static_cast<size_t>(column)];
    if (index < 0 || index >= static_cast<int>(stack.letters.size())) return {};
    const QRectF area = plot();
    const double columnWidth = area.width() / static_cast<double>(logo_.columns.size());
    const double perBit = area.height() / logo_.maxBits;
    double bottom = area.bottom();
    for (int i = 0; i < index; ++i) bottom -= stack.letters[static_cast<size_t>(i)].bits * perBit;
    const double height = stack.letters[static_cast<size_t>(index)].bits * perBit;
    if (height <= 0) return {};
    return {area.left() + column * columnWidth + 1, bottom - height, columnWidth - 2, height};
}

void LogoWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), palette().base());
    const QRectF area = plot();
    p.setPen(palette().text().color());
    p.drawText(QRectF(area.left(), 0, width() - area.left(), kTopRoom),
               Qt::AlignLeft | Qt::AlignVCenter, qs(logo_.title));
    // The bits axis: 0, each whole bit, the top.
    p.drawLine(QPointF(area.left() - 4, area.top()), QPointF(area.left() - 4, area.bottom()));
    for (int bit = 0; bit <= static_cast<int>(logo_.maxBits); ++bit) {
        const double y = area.bottom() - bit / std::max(logo_.maxBits, 1e-9) * area.height();
        p.drawLine(QPointF(area.left() - 8, y), QPointF(area.left() - 4, y));
        p.drawText(QRectF(0, y - 8, area.left() - 10, 16), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(bit));
    }
    p.save();
    p.translate(10, area.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-40, -10, 80, 20), Qt::AlignCenter, "bits");
    p.restore();
    // Position numbers: every one when they fit, otherwise every fifth.
    const int columns = static_cast<int>(logo_.columns.size());
    const double columnWidth = columns > 0 ? area.width() / columns : 0;
    const int every =
        fontMetrics().horizontalAdvance(QString::number(columns)) + 4 <= columnWidth ? 1 : 5;
    for (int c = 0; c < columns; ++c) {
        if (c != 0 && (c + 1) % every != 0) continue;
        p.drawText(QRectF(area.left() + (c - 1) * columnWidth, area.bottom() + 2, 3 * columnWidth,
                          kBottomRoom - 2),
                   Qt::AlignHCenter | Qt::AlignTop, QString::number(c + 1));
    }
    // Each letter's outline stretched over its rectangle.
    QFont letterFont = font();
    letterFont.setBold(true);
    letterFont.setPointSize(48);
    for (int c = 0; c < columns; ++c) {
        const LogoColumn& stack = logo_.columns[static_cast<size_t>(c)];
        for (int i = 0; i < static_cast<int>(stack.letters.size()); ++i) {
            const QRectF box = letterRect(c, i);
            if (box.height() < 0.5) continue;
            QPainterPath glyph;
            glyph.addText(0, 0, letterFont,
                          QString(QChar(stack.letters[static_cast<size_t>(i)].letter)));
            const QRectF shape = glyph.boundingRect();
            if (shape.width() <= 0 || shape.height() <= 0) continue;
            QTransform fit;
            fit.translate(box.left(), box.top());
            fit.scale(box.width() / shape.width(), box.height() / shape.height());
            fit.translate(-shape.left(), -shape.top());
            p.fillPath(fit.map(glyph), logoColour(stack.letters[static_cast<size_t>(i)].letter));
        }
    }
}

LogoWindow::LogoWindow(ValueControl<TMainForm::Logos>& model, ControlBinder& binder,
                       QWidget* parent)
    : HidingWindow([&model] { model.setVisible(false); }, parent, Qt::Window) {
    setObjectName("LogoWindow");
    setWindowTitle("Sequence Logos");
    auto* inner = new QWidget;
    logos_ = new QVBoxLayout(inner);
    note_ = new QLabel;
    note_->setObjectName("LogoNote");
    note_->setWordWrap(true);
    auto* scroll = new QScrollArea;
    scroll->setWidget(inner);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll, 1);
    layout->addWidget(note_);
    resize(900, 600);

    binder.bind(model, [this, &model] {
        const TMainForm::Logos shown = model.value();
        while (QLayoutItem* item = logos_->takeAt(0)) {
            delete item->widget();
            delete item;
        }
        for (const SequenceLogo& logo : shown.logos) logos_->addWidget(new LogoWidget(logo));
        logos_->addStretch(1);
        note_->setText(qs(shown.note));
        note_->setVisible(!shown.note.empty());
    });
    binder.bindWindow(model, this);
}

}  // namespace motifora
