#include "common/testenvironment.h"
#include "gcode/vectoremit.h"
#include "pathfixtures.h"

#include <limits>

using PathFixtures::pathFrom;

namespace {

QList<double> numbers(const QString &text)
{
    QList<double> values;
    for (const QString &part : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
        values << PathFixtures::parseCoordinate(part.trimmed());
    return values;
}

QList<QPainterPath> outlines(const QString &text)
{
    QList<QPainterPath> paths;
    for (const QString &outline : text.split(QLatin1Char('|'), Qt::SkipEmptyParts))
        paths << pathFrom(outline.trimmed());
    return paths;
}

QStringList lines(const QList<GCodeBuffer> &records)
{
    QStringList text;
    for (const GCodeBuffer &record : records)
        text << gcodeBuffer2Str(record).chopped(1);
    return text;
}

const QString kSquare = QStringLiteral("M0 0 L100 0 L100 100 L0 100 L0 0");
constexpr float kMillimetresPerUnit = 0.08f;

} // namespace

class TestVectorEmit : public QObject
{
    Q_OBJECT

private slots:
    void emission_data()
    {
        QTest::addColumn<QString>("paths");
        QTest::addColumn<QString>("power");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("xBacklash");
        QTest::addColumn<QString>("yBacklash");
        QTest::addColumn<float>("scale");
        QTest::addColumn<QStringList>("expected");

        // Every reversal gets a take-up move, even with no backlash.
        QTest::newRow("square") << kSquare << "50" << "100" << "0" << "0" << kMillimetresPerUnit
                                << QStringList{"G0X0.0000Y0.0000",
                                               "G1X8.0000S500.0000F2400.0000",
                                               "G1Y8.0000",
                                               "G0X8.0000Y8.0000",
                                               "G1X0.0000",
                                               "G0X0.0000Y8.0000",
                                               "G1Y0.0000"};
        // After the X reversal every X is shifted by the backlash, until X
        // reverses back (at the next outline), which takes it up again: that
        // take-up move goes to X0, which must not read as "no move".
        QTest::newRow("square with X backlash")
            << kSquare + " | M200 0 L300 0" << "50,50" << "100,100" << "0.2,0.2" << "0,0"
            << kMillimetresPerUnit
            << QStringList{"G0X0.0000Y0.0000", "G1X8.0000S500.0000F2400.0000", "G1Y8.0000",
                           "G0X8.2000Y8.0000", "G1X0.2000", "G0X0.2000Y8.0000", "G1Y0.0000",
                           "G0X0.0000Y0.0000", "G0X16.0000Y0.0000",
                           "G1X24.0000S500.0000F2400.0000"};
        QTest::newRow("Y backlash of the outline in progress")
            << "M0 0 L0 100 L0 50 | M0 200 L0 300" << "100,100" << "100,100" << "0,0"
            << "0.3,0.7" << kMillimetresPerUnit
            << QStringList{"G0X0.0000Y0.0000", "G1Y8.0000S1000.0000F2400.0000",
                           "G0X0.0000Y8.3000", "G1Y4.3000",
                           "G0X0.0000Y3.6000", "G0X0.0000Y15.6000",
                           "G1Y23.6000S1000.0000F2400.0000"};
        QTest::newRow("each outline states its power and feed")
            << "M0 0 L10 0 L15 0 | M20 0 L30 0 | M40 0 L50 0" << "50,20,20" << "100,50,50"
            << "0,0,0" << "0,0,0" << 1.0f
            << QStringList{"G0X0.0000Y0.0000", "G1X10.0000S500.0000F2400.0000", "G1X15.0000",
                           "G0X20.0000Y0.0000", "G1X30.0000S200.0000F1200.0000",
                           "G0X40.0000Y0.0000", "G1X50.0000S200.0000F1200.0000"};
        // The machine never received the lone move's power: the next outline
        // must state its own even when equal.
        QTest::newRow("outline with only a move")
            << "M0 0 L10 0 | M20 20 | M30 30 L40 30" << "50,70,70" << "100,100,100" << "0,0,0"
            << "0,0,0" << 1.0f
            << QStringList{"G0X0.0000Y0.0000", "G1X10.0000S500.0000F2400.0000",
                           "G0X20.0000Y20.0000", "G0X30.0000Y30.0000",
                           "G1X40.0000S700.0000F2400.0000"};
        // Zero power is written too: the machine may hold another power.
        QTest::newRow("zero power is stated") << "M0 0 L10 0" << "0" << "100" << "0" << "0" << 1.0f
                                              << QStringList{"G0X0.0000Y0.0000",
                                                             "G1X10.0000S0.0000F2400.0000"};
        QTest::newRow("zero-length line") << "M0 0 L0 0 L5 0" << "50" << "100" << "0" << "0"
                                          << 1.0f
                                          << QStringList{"G0X0.0000Y0.0000",
                                                         "G1S500.0000F2400.0000", "G1X5.0000"};
        // A real coordinate of -1 mm still prints: -1 is the absent marker.
        QTest::newRow("coordinate of -1 mm")
            << "M-1 5 L-1 10 L3 10 L3 -1" << "50" << "100" << "0" << "0" << 1.0f
            << QStringList{"G0X-1.0000Y5.0000", "G1Y10.0000S500.0000F2400.0000",
                           "G0X-1.0000Y10.0000", "G1X3.0000", "G0X3.0000Y10.0000", "G1Y-1.0000"};
        QTest::newRow("curves are ignored") << "M0 0 C10 10 20 10 30 0 L40 0" << "50" << "100"
                                            << "0" << "0" << 1.0f
                                            << QStringList{"G0X0.0000Y0.0000",
                                                           "G1X40.0000S500.0000F2400.0000"};
        // A direction needs a move of more than 0.01 mm; once known, a move
        // back of less than 0.0001 mm is no reversal.
        QTest::newRow("small moves")
            << "M-0.005 0 L10 0 L9.99993 0 L5 0" << "50" << "100" << "1" << "0" << 1.0f
            << QStringList{"G0X-0.0050Y0.0000", "G1X10.0000S500.0000F2400.0000",
                           "G1X9.9999", "G0X10.9999Y0.0000", "G1X6.0000"};
        // An undefined point is skipped; the point after it is reached by a
        // rapid move, never by a cut from an unknown place.
        QTest::newRow("undefined point")
            << "M0 0 L10 0 Lnan 5 L10 10 L0 10 | Minf 0 L20 20" << "50,50" << "100,100"
            << "0,0" << "0,0" << 1.0f
            << QStringList{"G0X0.0000Y0.0000", "G1X10.0000S500.0000F2400.0000",
                           "G0X10.0000Y10.0000", "G0X10.0000Y10.0000", "G1X0.0000",
                           "G0X0.0000Y10.0000", "G0X20.0000Y20.0000"};
        QTest::newRow("no outlines") << "" << "" << "" << "" << "" << 1.0f << QStringList{};
        QTest::newRow("empty outline") << " | M0 0 L1 0" << "50,50" << "100,100" << "0,0" << "0,0"
                                       << 1.0f
                                       << QStringList{"G0X0.0000Y0.0000",
                                                      "G1X1.0000S500.0000F2400.0000"};
    }

    void emission()
    {
        QFETCH(QString, paths);
        QFETCH(QString, power);
        QFETCH(QString, speed);
        QFETCH(QString, xBacklash);
        QFETCH(QString, yBacklash);
        QFETCH(float, scale);
        QFETCH(QStringList, expected);

        const QList<QPainterPath> input = outlines(paths);
        const QList<GCodeBuffer> records =
            path2GcodeBufferIncrement(input, scale, 2400, 1000, numbers(power), numbers(speed),
                                      numbers(xBacklash), numbers(yBacklash));
        QCOMPARE(lines(records), expected);
        for (const GCodeBuffer &record : records) {
            QVERIFY(record.absolute);
            QCOMPARE(record.m, -1.0);
        }
    }

    void unusableParametersMakeNoJob_data()
    {
        QTest::addColumn<QString>("power");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("xBacklash");
        QTest::addColumn<QString>("yBacklash");
        QTest::addColumn<double>("paintPower");
        QTest::addColumn<float>("scale");

        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("power list short") << "50" << "100,100" << "0,0" << "0,0" << 1000.0 << 1.0f;
        QTest::newRow("speed list short") << "50,50" << "" << "0,0" << "0,0" << 1000.0 << 1.0f;
        QTest::newRow("X backlash short") << "50,50" << "100,100" << "0" << "0,0" << 1000.0 << 1.0f;
        QTest::newRow("Y backlash short") << "50,50" << "100,100" << "0,0" << "0" << 1000.0 << 1.0f;
        QTest::newRow("power not a number") << "50,nan" << "100,100" << "0,0" << "0,0" << 1000.0
                                            << 1.0f;
        QTest::newRow("infinite backlash") << "50,50" << "100,100" << "0,inf" << "0,0" << 1000.0
                                           << 1.0f;
        QTest::newRow("full power not a number") << "50,50" << "100,100" << "0,0" << "0,0" << nan
                                                 << 1.0f;
        QTest::newRow("infinite scale") << "50,50" << "100,100" << "0,0" << "0,0" << 1000.0
                                        << std::numeric_limits<float>::infinity();
    }

    void unusableParametersMakeNoJob()
    {
        QFETCH(QString, power);
        QFETCH(QString, speed);
        QFETCH(QString, xBacklash);
        QFETCH(QString, yBacklash);
        QFETCH(double, paintPower);
        QFETCH(float, scale);

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("no records made"));
        const QList<GCodeBuffer> records = path2GcodeBufferIncrement(
            outlines(kSquare + " | " + kSquare), scale, 2400, paintPower, numbers(power),
            numbers(speed), numbers(xBacklash), numbers(yBacklash));
        QVERIFY(records.isEmpty());
    }

    void longerParameterListsAreFine()
    {
        const QList<GCodeBuffer> records = path2GcodeBufferIncrement(
            outlines(QStringLiteral("M0 0 L10 0")), 1.0f, 2400, 1000, {50, 60}, {100, 100}, {0, 0},
            {0, 0, 0});
        QCOMPARE(lines(records),
                 (QStringList{"G0X0.0000Y0.0000", "G1X10.0000S500.0000F2400.0000"}));
    }

    void jobTextOnDisk()
    {
        // The records as the saved job file holds them, one line each.
        const QList<GCodeBuffer> records = path2GcodeBufferIncrement(
            outlines(kSquare), kMillimetresPerUnit, 2400, 1000, {50}, {100}, {0}, {0});
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile file(dir.filePath(QStringLiteral("square.gc")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (const GCodeBuffer &record : records)
            file.write(gcodeBuffer2Str(record).toLatin1());
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("G0X0.0000Y0.0000\n"
                                            "G1X8.0000S500.0000F2400.0000\n"
                                            "G1Y8.0000\n"
                                            "G0X8.0000Y8.0000\n"
                                            "G1X0.0000\n"
                                            "G0X0.0000Y8.0000\n"
                                            "G1Y0.0000\n"));
    }
};

SCRIBO_TEST_CORE_MAIN(TestVectorEmit)
#include "test_vectoremit.moc"
