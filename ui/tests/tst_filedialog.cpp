// The Open and Save dialogs as the desktop shows them: Qt's own dialog, the one file type, and
// wide enough from the start for the name, size, type and date of every file.
#include "ui/common/DesktopInteraction.h"
#include "ui/common/RunOnlySettings.h"

#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

class FileDialogTest : public QObject {
    Q_OBJECT

    // The dialog keeps its column widths in Qt's settings; each run starts afresh.
    RunOnlySettings settings;

  private slots:
    // Rows run in turn: from the second on, the dialog starts with the columns as the one before
    // left them in Qt's settings, while the dialog itself starts at Qt's default size.
    void opensWithEveryColumnShowing_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("Open") << int(Interaction::FileMode::Open);
        QTest::newRow("Save") << int(Interaction::FileMode::Save);
        QTest::newRow("Open again") << int(Interaction::FileMode::Open);
    }
    void opensWithEveryColumnShowing() {
        QFETCH(int, mode);
        QTemporaryDir dir;
        // Enough files for a vertical scroll bar, which takes its share of the width.
        const QString name = QStringLiteral("Holiday unit and home loans 2028.loa");
        QStringList names{name};
        for (int i = 1; i < 40; ++i)
            names << QStringLiteral("loan %1.loa").arg(i);
        for (const QString& each : names) {
            QFile file(dir.filePath(each));
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(QByteArray(1500, ' ')), 1500);
        }

        QFileDialog dialog;
        Interaction::FileRequest request;
        request.mode = Interaction::FileMode(mode);
        request.initialName = dir.filePath(name);
        request.filter = QStringLiteral("Loan Files (*.loa)");
        request.defaultSuffix = QStringLiteral("loa");
        DesktopInteraction::SetUp(dialog, request);
        QVERIFY(dialog.testOption(QFileDialog::DontUseNativeDialog));
        QCOMPARE(dialog.nameFilters(), QStringList{request.filter});
        QCOMPARE(dialog.defaultSuffix(), request.defaultSuffix);

        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
        QVERIFY(view);
        QCOMPARE(dialog.viewMode(), QFileDialog::Detail);
        // The folder is read on a thread of its own.
        QAbstractItemModel* model = view->model();
        QTRY_COMPARE(model->rowCount(view->rootIndex()), names.size());
        QModelIndex row;
        for (int r = 0; r < model->rowCount(view->rootIndex()); ++r)
            if (model->index(r, 0, view->rootIndex()).data().toString() == name)
                row = model->index(r, 0, view->rootIndex());
        QVERIFY(row.isValid());

        QHeaderView* header = view->header();
        QCOMPARE(header->count(), 4);
        const QFontMetrics metrics(view->font());
        const int icon = view->iconSize().width() + 8;
        for (int column = 0; column < 4; ++column) {
            const QString text = row.siblingAtColumn(column).data().toString();
            QVERIFY(!header->isSectionHidden(column));
            // The text fits its column (the first also holds the file's icon)...
            const int room = header->sectionSize(column) - (column == 0 ? icon : 4);
            QVERIFY2(metrics.horizontalAdvance(text) <= room,
                     qPrintable(QStringLiteral("%1 does not fit %2 pixels").arg(text).arg(room)));
            // ...and the column fits the view.
            QVERIFY2(header->sectionViewportPosition(column) + header->sectionSize(column) <=
                         view->viewport()->width(),
                     qPrintable(QStringLiteral("column %1 is cut off").arg(column)));
        }
    }
};

QTEST_MAIN(FileDialogTest)
#include "tst_filedialog.moc"
