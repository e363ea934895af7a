#include "LoanChartAccessible.h"

#include "LoanChart.h"

namespace {

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (className == QLatin1String("LoanChart"))
        return new LoanChartAccessible(static_cast<LoanChart*>(object));
    return nullptr;
}

} // namespace

void LoanChartAccessible::Install() {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

LoanChartAccessible::LoanChartAccessible(LoanChart* chart) : QAccessibleWidget(chart) {}

QAccessible::Role LoanChartAccessible::role() const {
    return QAccessible::Chart;
}
