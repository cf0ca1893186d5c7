#include "app/jobprogressdialog.h"
#include "common/testenvironment.h"

#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>

namespace {

QProgressDialog *visibleProgressDialog()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<QProgressDialog *>(widget); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

// A stand-in generation that takes `stepMs` per percent and records whether
// the dialog was on screen while it ran.
struct SlowGeneration
{
    int stepMs = 0;
    bool dialogSeen = false;
    int lastPercent = -1;

    QString operator()(const JobProgress &progress)
    {
        for (int percent = 0; percent <= 100; percent += 5) {
            QThread::msleep(static_cast<unsigned long>(stepMs));
            lastPercent = percent;
            if (!progress(percent))
                return QStringLiteral("cancelled");
            dialogSeen = dialogSeen || visibleProgressDialog();
        }
        return QString();
    }
};

} // namespace

class TestJobProgress : public QObject
{
    Q_OBJECT

private slots:
    void dialogOnlyForLongWork_data()
    {
        QTest::addColumn<int>("stepMs");
        QTest::addColumn<bool>("dialogSeen");
        QTest::newRow("quick job: no dialog") << 0 << false;
        QTest::newRow("long job: dialog") << 60 << true;
    }

    void dialogOnlyForLongWork()
    {
        QFETCH(int, stepMs);
        QFETCH(bool, dialogSeen);
        QWidget parent;
        parent.show();
        SlowGeneration generation{stepMs};
        const QString result = generateWithProgressDialog(&parent, std::ref(generation));
        QCOMPARE(result, QString());
        QCOMPARE(generation.lastPercent, 100);
        QCOMPARE(generation.dialogSeen, dialogSeen);
        QVERIFY(!visibleProgressDialog());
    }

    void failureTextPassesThrough()
    {
        const QString result = generateWithProgressDialog(nullptr, [](const JobProgress &progress) {
            progress(50);
            return QStringLiteral("Raster line spacing 0 mm is not positive");
        });
        QCOMPARE(result, QStringLiteral("Raster line spacing 0 mm is not positive"));
    }

    void cancelAbandonsTheGeneration()
    {
        QWidget parent;
        parent.show();
        // The user presses Cancel once the dialog is up.
        QTimer pressCancel;
        pressCancel.setInterval(50);
        connect(&pressCancel, &QTimer::timeout, [] {
            if (QProgressDialog *dialog = visibleProgressDialog()) {
                if (auto *button = dialog->findChild<QPushButton *>())
                    button->click();
            }
        });
        pressCancel.start();
        SlowGeneration generation{100};
        const QString result = generateWithProgressDialog(&parent, std::ref(generation));
        QCOMPARE(result, QStringLiteral("cancelled"));
        QVERIFY(generation.lastPercent < 100);
    }
};

SCRIBO_TEST_MAIN(TestJobProgress)
#include "test_jobprogress.moc"
