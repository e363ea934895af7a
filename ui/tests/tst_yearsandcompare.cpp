// The years and the compare tables as the schedule window will show them: each cell the calc
// figure it stands for, the columns a dated plan adds, a scenario without a schedule saying why.
#include "ChartLoans.h"

#include "calc/ScheduleScenarios.h"
#include "ui/common/QtText.h"
#include "ui/schedule/CompareModel.h"
#include "ui/schedule/DateEdit.h"
#include "ui/schedule/YearsModel.h"

#include <QtTest>

namespace {

QString Cell(const QAbstractItemModel& model, int row, int column, int role = Qt::DisplayRole) {
    return model.data(model.index(row, column), role).toString();
}

} // namespace

class YearsAndCompareTest : public QObject {
    Q_OBJECT

  private slots:
    void yearsAreTheCalcYears_data() {
        QTest::addColumn<bool>("dated");
        QTest::newRow("loan years") << false;
        QTest::newRow("calendar years") << true;
    }
    void yearsAreTheCalcYears() {
        QFETCH(bool, dated);
        const calc::LoanSchedule schedule = ChartLoans::Busy(dated);
        const calc::ScheduleYears years(schedule);
        YearsModel model;
        model.SetSchedule(&schedule);
        QCOMPARE(model.rowCount(), static_cast<int>(years.Rows().size()));
        QCOMPARE(model.headerData(YearsModel::Year, Qt::Horizontal, Qt::DisplayRole).toString(),
                 dated ? QStringLiteral("Year") : QStringLiteral("Loan Year"));
        for (int r = 0; r < model.rowCount(); ++r) {
            const calc::YearRow& y = years.Rows()[static_cast<std::size_t>(r)];
            QCOMPARE(Cell(model, r, YearsModel::Year), QString::number(y.year));
            QVERIFY(Cell(model, r, YearsModel::Periods).startsWith(QString::number(y.firstPeriod)));
            QVERIFY(Cell(model, r, YearsModel::Periods).endsWith(QString::number(y.lastPeriod)));
            QCOMPARE(Cell(model, r, YearsModel::Payments), QtText::Currency(y.payments));
            QCOMPARE(Cell(model, r, YearsModel::Interest), QtText::Currency(y.interest));
            QCOMPARE(Cell(model, r, YearsModel::Principal), QtText::Currency(y.principal));
            QCOMPARE(Cell(model, r, YearsModel::Balance), QtText::Currency(y.balance));
            QVERIFY(Cell(model, r, YearsModel::Balance, Qt::AccessibleDescriptionRole)
                        .contains(QString::number(y.year)));
        }
        model.SetSchedule(nullptr);
        QCOMPARE(model.rowCount(), 0);
    }

    // Every scenario's figures as calc has them; Last Date only with a start date.
    void compareShowsEachScenario_data() {
        QTest::addColumn<bool>("dated");
        QTest::newRow("no start date") << false;
        QTest::newRow("a start date") << true;
    }
    void compareShowsEachScenario() {
        QFETCH(bool, dated);
        const calc::LoanSchedule schedule = ChartLoans::Busy(dated);
        const calc::ScheduleScenarios scenarios(schedule);
        CompareModel model;
        model.SetScenarios(&scenarios);
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(model.columnCount(), dated ? 6 : 5);
        for (int r = 0; r < 4; ++r) {
            const calc::Scenario& s = scenarios.All()[static_cast<std::size_t>(r)];
            QCOMPARE(Cell(model, r, CompareModel::Scenario),
                     QtText::FromUtf8(calc::ScheduleScenarios::Name(s.kind)));
            QCOMPARE(Cell(model, r, CompareModel::Installment), QtText::Currency(s.figures.instalment));
            QCOMPARE(Cell(model, r, CompareModel::HighestInstallment),
                     QtText::Currency(s.figures.highestInstalment));
            QCOMPARE(Cell(model, r, CompareModel::TotalInterest),
                     QtText::Currency(s.figures.totalInterest));
            QCOMPARE(Cell(model, r, CompareModel::LastPeriod), QString::number(s.figures.lastPeriod));
            if (dated)
                QCOMPARE(Cell(model, r, CompareModel::LastDate),
                         DateEdit::Text(*s.figures.lastDate));
        }
    }

    void scenarioWithoutScheduleSaysWhy() {
        calc::LoanTerms terms = ChartLoans::Terms(200000, 100000, 40, 4);
        calc::LoanPlan plan;
        plan.rateChanges = {{200, 7.9}};
        plan.afterRateChange = calc::AfterRateChange::PaymentStays;
        const calc::LoanSchedule schedule = ChartLoans::Make(terms, plan);
        const calc::ScheduleScenarios scenarios(schedule);
        CompareModel model;
        model.SetScenarios(&scenarios);
        QCOMPARE(Cell(model, 2, CompareModel::Scenario), QStringLiteral("Variable +2%"));
        QVERIFY(Cell(model, 2, CompareModel::Installment).contains(QStringLiteral("period 200")));
        QVERIFY(Cell(model, 2, CompareModel::TotalInterest).isEmpty());
    }
};

QTEST_MAIN(YearsAndCompareTest)
#include "tst_yearsandcompare.moc"
