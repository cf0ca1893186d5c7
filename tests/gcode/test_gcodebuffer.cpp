#include "common/testenvironment.h"
#include "gcode/gcodebuffer.h"

class TestGCodeBuffer : public QObject
{
    Q_OBJECT

private slots:
    void textForm_data()
    {
        QTest::addColumn<double>("g");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("s");
        QTest::addColumn<double>("f");
        QTest::addColumn<double>("m");
        QTest::addColumn<bool>("absolute");
        QTest::addColumn<QString>("text");

        QTest::newRow("cutting move") << 1.0 << 10.0 << 5.0 << 500.0 << 3000.0 << -1.0 << true
                                      << "G1X10.0000Y5.0000S500.0000F3000.0000\n";
        QTest::newRow("G00 word") << -2.0 << -1.0 << -1.0 << -1.0 << -1.0 << -1.0 << true << "G00\n";
        QTest::newRow("M word alone") << -1.0 << -1.0 << -1.0 << -1.0 << -1.0 << 106.0 << true << "M106\n";
        QTest::newRow("relative raster move") << 1.0 << 0.08 << 0.0 << 250.0 << -1.0 << -1.0 << false
                                              << "G1X0.0800S250.0000\n";
        QTest::newRow("relative zero writes no coordinates")
            << 90.0 << 0.0 << 0.0 << -1.0 << -1.0 << -1.0 << false << "G90\n";
        QTest::newRow("end marker") << -3.0 << 1.0 << 2.0 << 3.0 << 4.0 << 5.0 << true << "\n";
        QTest::newRow("fractional G truncates") << 2.7 << -1.0 << -1.0 << -1.0 << -1.0 << -1.0 << true << "G2\n";
        QTest::newRow("absolute -1 mm is absent") << 0.0 << -1.0 << 3.0 << -1.0 << -1.0 << -1.0 << true
                                                  << "G0Y3.0000\n";
        QTest::newRow("absolute zero is written") << 0.0 << 0.0 << 0.0 << -1.0 << -1.0 << -1.0 << true
                                                  << "G0X0.0000Y0.0000\n";
        QTest::newRow("negative values") << 1.0 << -12.5 << -0.00004 << 0.0 << -1.0 << -1.0 << false
                                         << "G1X-12.5000Y-0.0000S0.0000\n";
        QTest::newRow("G and M together") << 0.0 << -1.0 << -1.0 << 0.0 << -1.0 << 3.0 << true
                                          << "G0M3S0.0000\n";
    }

    void textForm()
    {
        QFETCH(double, g);
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(double, s);
        QFETCH(double, f);
        QFETCH(double, m);
        QFETCH(bool, absolute);
        QFETCH(QString, text);

        GCodeBuffer record;
        record.g = g;
        record.x = x;
        record.y = y;
        record.s = s;
        record.f = f;
        record.m = m;
        record.absolute = absolute;
        QCOMPARE(gcodeBuffer2Str(record), text);
    }

    void incrementPathMakesOneAbsoluteRecord()
    {
        const QList<GCodeBuffer> list = gcodeBufferIncrementPath(0, 8, 8, -1, -1);
        QCOMPARE(list.size(), 1);
        QCOMPARE(list.first().m, -1.0);
        QVERIFY(list.first().absolute);
        QCOMPARE(gcodeBuffer2Str(list.first()), QStringLiteral("G0X8.0000Y8.0000\n"));
    }

    void listTravelsThroughQueuedSignals()
    {
        registerGCodeBufferMetaTypes();
        QVERIFY(QMetaType::type("QList<GCodeBuffer>") != QMetaType::UnknownType);
        QList<GCodeBuffer> jobs = gcodeBufferIncrementPath(1, 2, 3, 4, 5);
        const QVariant v = QVariant::fromValue(jobs);
        QCOMPARE(gcodeBuffer2Str(v.value<QList<GCodeBuffer>>().first()),
                 QStringLiteral("G1X2.0000Y3.0000S4.0000F5.0000\n"));
    }
};

SCRIBO_TEST_CORE_MAIN(TestGCodeBuffer)
#include "test_gcodebuffer.moc"
