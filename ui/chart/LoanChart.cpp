#include "LoanChart.h"

#include "ChartPainter.h"
#include "LoanChartAccessible.h"

#include "calc/LoanSchedule.h"

#include <QAccessible>
#include <QEvent>
#include <QFontInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <cmath>

namespace {

// The widget's font in pixels: the geometry measures texts in its own units.
QFont UnitFont(const QWidget& widget) {
    QFont font = widget.font();
    font.setPixelSize(QFontInfo(font).pixelSize());
    return font;
}

} // namespace

LoanChart::LoanChart(QWidget* parent) : QWidget(parent) {
    LoanChartAccessible::Install();
    setObjectName(QStringLiteral("LoanChart"));
    setAccessibleName(QStringLiteral("Repayment chart"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
}

void LoanChart::SetSchedule(const calc::LoanSchedule* schedule,
                            const calc::ScheduleScenarios* scenarios) {
    schedule_ = schedule;
    scenarios_ = scenarios;
    const int periods = schedule_ ? static_cast<int>(schedule_->Periods()) : 0;
    cursor_ = periods == 0 ? 0 : std::clamp(cursor_, 1, periods);
    Invalidate();
    CursorChanged(false);
}

void LoanChart::SetStressedShown(bool shown) {
    if (stressed_ == shown) return;
    stressed_ = shown;
    Invalidate();
}

void LoanChart::SetCursorPeriod(int period) {
    if (!schedule_ || schedule_->Periods() == 0) return;
    const int clamped = std::clamp(period, 1, static_cast<int>(schedule_->Periods()));
    if (clamped == cursor_) return;
    cursor_ = clamped;
    CursorChanged(false);
}

const ChartGeometry* LoanChart::Geometry() const {
    if (!schedule_) return nullptr;
    if (!geometry_) {
        ChartGeometry::Options options;
        options.size = size();
        options.font = UnitFont(*this);
        options.stressed = stressed_;
        geometry_.emplace(*schedule_, scenarios_, options);
    }
    return &*geometry_;
}

void LoanChart::Invalidate() {
    geometry_.reset();
    update();
}

void LoanChart::CursorChanged(bool tellTheTooltip) {
    // The texts need only the schedule's row: a chart out of sight (behind a tab), whose
    // schedule changes at every keystroke, is laid out once it is painted, not here.
    const QString text = schedule_ ? ChartGeometry::CursorText(*schedule_, cursor_) : QString();
    setToolTip(text);
    // Sends the description's change to a screen reader.
    setAccessibleDescription(text);
    if (tellTheTooltip && !text.isEmpty() && isVisible()) {
        if (const ChartGeometry* g = Geometry())
            if (const auto cursor = g->CursorAt(cursor_))
                QToolTip::showText(mapToGlobal(cursor->at.toPoint()), text, this);
    }
    update();
    emit CursorMoved(cursor_);
}

QSize LoanChart::sizeHint() const {
    const int h = fontMetrics().height();
    return {48 * h, 26 * h};
}

QSize LoanChart::minimumSizeHint() const {
    const int h = fontMetrics().height();
    return {24 * h, 14 * h};
}

void LoanChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const ChartGeometry* g = Geometry();
    if (!g) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    ChartPainter::Paint(painter, *g, cursor_ > 0 ? std::optional<int>(cursor_) : std::nullopt);
    // A frame in the selection's colour says the chart has the focus. The style's own focus
    // rectangle is no use here: some styles fill it with a tint, which would change every
    // colour the chart tells its lines apart by.
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

void LoanChart::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Invalidate();
}

void LoanChart::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) Invalidate();
}

void LoanChart::keyPressEvent(QKeyEvent* event) {
    if (!schedule_ || schedule_->Periods() == 0 || event->modifiers() & ~Qt::KeypadModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    // A year's periods, whole: 52 weekly, 26 fortnightly, 24, 12 or 4.
    const int year = static_cast<int>(std::lround(schedule_->PeriodsPerYear()));
    const int last = static_cast<int>(schedule_->Periods());
    int target = cursor_;
    switch (event->key()) {
    case Qt::Key_Left:
        target = cursor_ - 1;
        break;
    case Qt::Key_Right:
        target = cursor_ + 1;
        break;
    case Qt::Key_PageUp:
        target = cursor_ - year;
        break;
    case Qt::Key_PageDown:
        target = cursor_ + year;
        break;
    case Qt::Key_Home:
        target = 1;
        break;
    case Qt::Key_End:
        target = last;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    target = std::clamp(target, 1, last);
    if (target == cursor_) return;
    cursor_ = target;
    CursorChanged(true);
}

void LoanChart::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    mouseMoveEvent(event);
}

void LoanChart::mouseMoveEvent(QMouseEvent* event) {
    const ChartGeometry* g = Geometry();
    if (!g || !(event->buttons() & Qt::LeftButton)) return;
    const int period = g->PeriodAt(event->position().x());
    if (period == 0 || period == cursor_) return;
    cursor_ = period;
    CursorChanged(true);
}
