#include "app/commandline.h"
#include "common/testenvironment.h"

#include <algorithm>
#include "document/jobassembly.h"
#include "document/svgview.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

namespace {

const char *const Head =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
    "xmlns:lumacraft=\"http://www.lumacraft.net/scribo\" width=\"%1\" height=\"%2\">\n";

QString parameters(double accuracy = 0.5, double power = 100, double times = 1, double angle = 0)
{
    return QStringLiteral("lumacraft:scanAccuracy=\"%1\" lumacraft:scanPower=\"%2\" lumacraft:scanSpeed=\"100\" "
                          "lumacraft:scanTimes=\"%3\" lumacraft:scanAngle=\"%4\" lumacraft:scanBuffer=\"0\" "
                          "lumacraft:scanError=\"0\" lumacraft:XMotorMovementError=\"0\" "
                          "lumacraft:YMotorMovementError=\"0\"")
        .arg(accuracy)
        .arg(power)
        .arg(times)
        .arg(angle);
}

QString design(const QString &body, double width = 1875, double height = 1875)
{
    return QString::fromLatin1(Head).arg(width).arg(height) + body + QStringLiteral("</svg>\n");
}

QStringList lines(const QList<GCodeBuffer> &job)
{
    QStringList out;
    for (const GCodeBuffer &record : job)
        out.append(gcodeBuffer2Str(record).trimmed());
    return out;
}

const QStringList Header = {"G00", "G17", "G40", "G21", "G54", "M106"};
const QStringList Footer = {"M107", "G90", "M9", "G1S0.0000", "M5", "G90", "G0X0.0000Y0.0000", "M2"};

QString dataUri(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QString suffix = QFileInfo(file).suffix();
    const QString mime = suffix == QLatin1String("png") ? QStringLiteral("image/png")
                                                        : QStringLiteral("image/") + suffix;
    return QStringLiteral("data:%1;base64,%2").arg(mime, QString::fromLatin1(f.readAll().toBase64()));
}

QString imageElement(const QString &href, const QString &mode, double width = 150, double height = 150)
{
    return QStringLiteral("<image x=\"125\" y=\"125\" width=\"%1\" height=\"%2\" lumacraft:image=\"%3\" %4 "
                          "xlink:href=\"%5\"/>\n")
        .arg(width)
        .arg(height)
        .arg(mode, parameters(), href);
}

// Whether the job holds raster rows (they run in relative coordinates).
bool hasRaster(const QList<GCodeBuffer> &job)
{
    for (const GCodeBuffer &record : job) {
        if (record.g == 91)
            return true;
    }
    return false;
}

// Records that engrave (relative G1 with power above zero).
int burningMoves(const QList<GCodeBuffer> &job)
{
    int count = 0;
    for (const GCodeBuffer &record : job) {
        if (record.g == 1 && record.s > 0)
            ++count;
    }
    return count;
}

} // namespace

class TestJobAssembly : public QObject
{
    Q_OBJECT

private slots:
    // ---- Golden jobs: designs in tests/data/jobs with their expected G-code ----
    void goldenJobs_data()
    {
        QTest::addColumn<QString>("svg");
        const QStringList files =
            QDir(ScriboTest::dataPath("jobs")).entryList({QStringLiteral("*.svg")}, QDir::Files, QDir::Name);
        QVERIFY(files.size() >= 8);
        for (const QString &file : files)
            QTest::newRow(qPrintable(file)) << ScriboTest::dataPath("jobs/" + file);
    }

    void goldenJobs()
    {
        QFETCH(QString, svg);
        QList<GCodeBuffer> job;
        QString error;
        int exitCode = -1;
        QVERIFY2(generateDesignJob(svg, 150, 150, job, error, exitCode), qPrintable(error));
        QString text;
        for (const GCodeBuffer &record : job)
            text += gcodeBuffer2Str(record);

        const QString golden = svg.left(svg.size() - 4) + QStringLiteral(".gc");
        if (qEnvironmentVariableIntValue("SCRIBO_UPDATE_GOLDEN") == 1) {
            QFile out(golden);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(text.toLatin1());
            QSKIP("golden file rewritten");
        }
        QFile in(golden);
        QVERIFY2(in.open(QIODevice::ReadOnly), qPrintable(golden + " missing; run with SCRIBO_UPDATE_GOLDEN=1"));
        const QStringList expected = QString::fromLatin1(in.readAll()).split(QLatin1Char('\n'));
        const QStringList actual = text.split(QLatin1Char('\n'));
        for (int i = 0; i < qMin(expected.size(), actual.size()); ++i)
            QVERIFY2(expected.at(i) == actual.at(i),
                     qPrintable(QStringLiteral("line %1: expected %2, got %3").arg(i + 1).arg(expected.at(i),
                                                                                         actual.at(i))));
        QCOMPARE(actual.size(), expected.size());
    }

    // ---- Worked cases ----
    void emptyDesignIsHeaderAndFooter_data()
    {
        QTest::addColumn<QString>("body");
        QTest::newRow("no element") << QString();
        QTest::newRow("empty group") << QStringLiteral("<g/>\n");
        QTest::newRow("only definitions")
            << QStringLiteral("<defs><linearGradient id=\"a\"><stop offset=\"0\" style=\"stop-color:#000\"/>"
                              "</linearGradient></defs>\n");
        QTest::newRow("degenerate outline")
            << QStringLiteral("<rect x=\"0\" y=\"0\" width=\"0\" height=\"0\" style=\"fill:none\"/>\n");
        QTest::newRow("unknown shape") << QStringLiteral("<foo style=\"fill:none\"/>\n");
    }

    void emptyDesignIsHeaderAndFooter()
    {
        QFETCH(QString, body);
        SVGView view(nullptr);
        QCOMPARE(view.svg2Gcode(design(body)), QString());
        const QStringList expected = Header + QStringList{"M4", "M8"} + Footer;
        QCOMPARE(lines(view.mGcode), expected);
    }

    void vectorOnlyJobHasTheSecondM4M8()
    {
        SVGView view(nullptr);
        view.svg2Gcode(design(QStringLiteral("<rect x=\"10\" y=\"10\" width=\"100\" height=\"50\" "
                                             "style=\"fill:none\" %1/>\n")
                                  .arg(parameters())));
        const QStringList text = lines(view.mGcode);
        const QStringList start = Header + QStringList{"M4", "M8", "M4", "M8"};
        QCOMPARE(text.mid(0, 10), start);
        QCOMPARE(text.mid(text.size() - Footer.size()), Footer);
        QVERIFY(!hasRaster(view.mGcode));
    }

    void rasterThenVectorSwitchesBackToAbsolute()
    {
        SVGView view(nullptr);
        view.svg2Gcode(design(QStringLiteral("<rect x=\"125\" y=\"125\" width=\"250\" height=\"125\" "
                                             "style=\"fill:#000\" %1/>\n"
                                             "<rect x=\"10\" y=\"10\" width=\"100\" height=\"50\" "
                                             "style=\"fill:none\" %1/>\n")
                                  .arg(parameters())));
        const QList<GCodeBuffer> &job = view.mGcode;
        int lastRelative = -1;
        int firstAbsoluteCut = -1;
        for (int i = 0; i < job.size(); ++i) {
            if (!job[i].absolute && job[i].g == 1)
                lastRelative = i;
            if (job[i].absolute && job[i].g == 1 && firstAbsoluteCut < 0 && i > lastRelative && lastRelative >= 0)
                firstAbsoluteCut = i;
        }
        QVERIFY(lastRelative > 0);
        QVERIFY(firstAbsoluteCut > lastRelative);
        int switches = 0;
        for (int i = lastRelative + 1; i < firstAbsoluteCut; ++i) {
            if (job[i].g == 90 && !job[i].absolute)
                ++switches;
        }
        QCOMPARE(switches, 1);
    }

    void scanTimesRepeatsTheOutline_data()
    {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<int>("cutsOnce");
        QTest::newRow("rect") << QStringLiteral("<rect x=\"10\" y=\"10\" width=\"100\" height=\"50\" ") << 4;
        QTest::newRow("path") << QStringLiteral("<path d=\"M 10 10 L 100 10 L 100 50\" ") << 2;
    }

    void scanTimesRepeatsTheOutline()
    {
        QFETCH(QString, shape);
        QFETCH(int, cutsOnce);
        for (int times : {1, 3}) {
            SVGView view(nullptr);
            view.svg2Gcode(design(shape + QStringLiteral("style=\"fill:none\" %1/>\n")
                                              .arg(parameters(0.5, 100, times))));
            int cuts = 0;
            for (const GCodeBuffer &record : view.mGcode)
                cuts += record.g == 1 && record.absolute && record.s != 0 ? 1 : 0;
            QCOMPARE(cuts, cutsOnce * times);
        }
    }

    void equalParametersShareOneGroup_data()
    {
        QTest::addColumn<double>("secondPower");
        QTest::addColumn<int>("groups");
        QTest::newRow("equal") << 100.0 << 1;
        QTest::newRow("power differs") << 50.0 << 2;
    }

    void equalParametersShareOneGroup()
    {
        QFETCH(double, secondPower);
        QFETCH(int, groups);
        SVGView view(nullptr);
        view.svg2Gcode(design(QStringLiteral("<rect x=\"125\" y=\"125\" width=\"125\" height=\"125\" "
                                             "style=\"fill:#000\" %1/>\n"
                                             "<rect x=\"375\" y=\"375\" width=\"125\" height=\"125\" "
                                             "style=\"fill:#000\" %2/>\n")
                                  .arg(parameters(), parameters(0.5, secondPower))));
        QCOMPARE(view.paintParameterList.size(), groups);
        // One positioning move (G90, G0, G91) per group.
        int positionings = 0;
        for (const GCodeBuffer &record : view.mGcode)
            positionings += record.g == 91 ? 1 : 0;
        QCOMPARE(positionings, groups);
    }

    void lastImageTypeDecidesThreshold_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<bool>("greyLevels");
        QTest::newRow("gray then bw") << "gray"
                                      << "bw" << false;
        QTest::newRow("bw then gray") << "bw"
                                      << "gray" << true;
    }

    void lastImageTypeDecidesThreshold()
    {
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(bool, greyLevels);
        SVGView view(nullptr);
        // A mid-grey shape in the same group as the pictures shows whether
        // grey survives.
        const QString uri = dataUri(ScriboTest::dataPath("x-image__tux.png"));
        view.svg2Gcode(design(imageElement(uri, first)
                              + QStringLiteral("<rect x=\"500\" y=\"500\" width=\"200\" height=\"200\" "
                                               "style=\"fill:#808080\" %1/>\n")
                                    .arg(parameters())
                              + imageElement(uri, last).replace("x=\"125\"", "x=\"900\"")));
        bool intermediate = false;
        for (const GCodeBuffer &record : view.mGcode) {
            if (record.g == 1 && !record.absolute && record.s > 0 && record.s < view.paintPower)
                intermediate = true;
        }
        QCOMPARE(intermediate, greyLevels);
    }

    void rootThatWouldBeRemovedIsKept_data()
    {
        QTest::addColumn<QString>("rootStyle");
        QTest::newRow("fill none") << "fill:none";
        QTest::newRow("filled") << "fill:#000";
    }

    void rootThatWouldBeRemovedIsKept()
    {
        QFETCH(QString, rootStyle);
        SVGView view(nullptr);
        QString text = design(QStringLiteral("<rect x=\"125\" y=\"125\" width=\"125\" height=\"125\" "
                                             "style=\"fill:#000\" %1/>\n"
                                             "<rect x=\"10\" y=\"10\" width=\"100\" height=\"50\" "
                                             "style=\"fill:none\" %1/>\n")
                                  .arg(parameters()));
        text.replace(QLatin1String("height=\"1875\">"),
                     QStringLiteral("height=\"1875\" style=\"%1\">").arg(rootStyle));
        QCOMPARE(view.svg2Gcode(text), QString());
        QVERIFY(burningMoves(view.mGcode) > 0);
        QVERIFY(hasRaster(view.mGcode));
    }

    void fillsAreInheritedAndStatedByAttribute_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<bool>("cut");
        QTest::addColumn<bool>("engraved");
        const QString p = parameters();
        QTest::newRow("group fill none")
            << QStringLiteral("<g style=\"fill:none\"><rect x=\"10\" y=\"10\" width=\"100\" height=\"50\" %1/></g>")
                   .arg(p)
            << true << false;
        QTest::newRow("fill attribute none")
            << QStringLiteral("<rect x=\"10\" y=\"10\" width=\"100\" height=\"50\" fill=\"none\" %1/>").arg(p)
            << true << false;
        QTest::newRow("no fill at all is black")
            << QStringLiteral("<rect x=\"125\" y=\"125\" width=\"100\" height=\"50\" %1/>").arg(p) << false << true;
        QTest::newRow("definitions are not drawn")
            << QStringLiteral("<defs><rect id=\"r\" x=\"125\" y=\"125\" width=\"100\" height=\"50\" %1/></defs>")
                   .arg(p)
            << false << false;
    }

    void fillsAreInheritedAndStatedByAttribute()
    {
        QFETCH(QString, body);
        QFETCH(bool, cut);
        QFETCH(bool, engraved);
        SVGView view(nullptr);
        QCOMPARE(view.svg2Gcode(design(body)), QString());
        bool absoluteCut = false;
        for (const GCodeBuffer &record : view.mGcode)
            absoluteCut = absoluteCut || (record.g == 1 && record.absolute && record.s > 0);
        QCOMPARE(absoluteCut, cut);
        QCOMPARE(hasRaster(view.mGcode), engraved);
    }

    void rasterScaleIsTheLineSpacing_data()
    {
        QTest::addColumn<double>("spacing");
        QTest::newRow("0.5 mm") << 0.5;
        QTest::newRow("0.1 mm") << 0.1;
        QTest::newRow("0.05 mm") << 0.05;
    }

    // A 20 mm wide black bar is engraved over 20 mm and row by row at the line
    // spacing, whatever the spacing.
    void rasterScaleIsTheLineSpacing()
    {
        QFETCH(double, spacing);
        SVGView view(nullptr);
        view.svg2Gcode(design(QStringLiteral("<rect x=\"125\" y=\"125\" width=\"250\" height=\"25\" "
                                             "style=\"fill:#000\" %1/>\n")
                                  .arg(parameters(spacing))));
        double burnt = 0;
        double rowStep = 0;
        int rows = 0;
        for (const GCodeBuffer &record : view.mGcode) {
            if (record.g == 1 && !record.absolute && record.s > 0) {
                burnt += qAbs(record.x);
                ++rows;
            }
            if (record.g == 1 && !record.absolute && record.s == 0 && record.y != 0 && record.y != -1)
                rowStep = qAbs(record.y);
        }
        QVERIFY(rows > 1);
        QVERIFY2(qAbs(burnt / rows - 20.0) <= spacing + 1e-6, qPrintable(QString::number(burnt / rows)));
        QVERIFY2(qAbs(rowStep - spacing) < 1e-4, qPrintable(QString::number(rowStep)));
        // Antialiased edges may add or drop one row.
        QVERIFY2(qAbs(rows - int(2.0 / spacing + 0.5)) <= 1, qPrintable(QString::number(rows)));
    }

    // ---- Progress and cancelling ----
    void progressRisesToCompletion()
    {
        SVGView view(nullptr);
        QList<int> seen;
        const QString result = view.svg2Gcode(
            design(QStringLiteral("<rect x=\"125\" y=\"125\" width=\"125\" height=\"125\" style=\"fill:#000\" %1/>"
                                  "<rect x=\"375\" y=\"125\" width=\"125\" height=\"125\" style=\"fill:#000\" %2/>"
                                  "<rect x=\"10\" y=\"10\" width=\"100\" height=\"50\" style=\"fill:none\" %1/>")
                       .arg(parameters(), parameters(0.5, 40))),
            [&seen](int percent) {
                seen.append(percent);
                return true;
            });
        QCOMPARE(result, QString());
        QVERIFY(seen.size() >= 5);
        QCOMPARE(seen.first(), 0);
        QCOMPARE(seen.last(), 100);
        for (int i = 1; i < seen.size(); ++i)
            QVERIFY(seen[i] >= seen[i - 1]);
    }

    void cancellingLeavesNoJob_data()
    {
        QTest::addColumn<int>("stopAfterCalls");
        QTest::newRow("at once") << 1;
        QTest::newRow("during raster") << 6;
        QTest::newRow("at the end") << 1000;
    }

    void cancellingLeavesNoJob()
    {
        QFETCH(int, stopAfterCalls);
        SVGView view(nullptr);
        int calls = 0;
        int total = 0;
        const QString text = design(
            QStringLiteral("<rect x=\"125\" y=\"125\" width=\"125\" height=\"125\" style=\"fill:#000\" %1/>"
                           "<rect x=\"375\" y=\"125\" width=\"125\" height=\"125\" style=\"fill:#000\" %2/>")
                .arg(parameters(), parameters(0.5, 40)));
        view.svg2Gcode(text, [&total](int) {
            ++total;
            return true;
        });
        const int stopAt = qMin(stopAfterCalls, total);
        const QString result = view.svg2Gcode(text, [&calls, stopAt](int) { return ++calls < stopAt; });
        QVERIFY(!result.isEmpty());
        QVERIFY(view.mGcode.isEmpty());
        QCOMPARE(calls, stopAt);
    }

    // ---- Bad input ----
    void picturesOfEveryKind_data()
    {
        QTest::addColumn<QString>("href");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("burns"); // a real picture in an engraving mode leaves marks
        const QStringList files = QDir(ScriboTest::dataPath()).entryList(
            {QStringLiteral("*.png"), QStringLiteral("*.gif"), QStringLiteral("*.jpg"), QStringLiteral("*.bmp"),
             QStringLiteral("*.tiff")},
            QDir::Files, QDir::Name);
        QVERIFY(!files.isEmpty());
        for (const QString &file : files) {
            for (const char *mode : {"bw", "gray", "halftone", "", "unknown"})
                QTest::addRow("%s %s", qPrintable(file), mode)
                    << dataUri(ScriboTest::dataPath(file)) << mode << (qstrlen(mode) > 0 && qstrcmp(mode, "unknown") != 0);
        }
        for (const char *mode : {"bw", "gray", "halftone"}) {
            QTest::addRow("undecodable %s", mode) << "data:image/png;base64,AAAAbm90IGEgcGljdHVyZQ==" << mode << false;
            QTest::addRow("no data %s", mode) << "" << mode << false;
            QTest::addRow("file reference %s", mode) << "/nonexistent/picture.png" << mode << false;
        }
    }

    void picturesOfEveryKind()
    {
        QFETCH(QString, href);
        QFETCH(QString, mode);
        QFETCH(bool, burns);
        for (const QSizeF size : {QSizeF(150, 150), QSizeF(0, 150), QSizeF(-50, 20), QSizeF(1e9, 1e9)}) {
            SVGView view(nullptr);
            QCOMPARE(view.svg2Gcode(design(imageElement(href, mode, size.width(), size.height()))), QString());
            QVERIFY(lines(view.mGcode).mid(0, 6) == Header);
            QVERIFY(lines(view.mGcode).mid(view.mGcode.size() - 8) == Footer);
            if (burns && size == QSizeF(150, 150)) {
                const bool burned = std::any_of(view.mGcode.cbegin(), view.mGcode.cend(), [](const GCodeBuffer &r) {
                    return r.g == 1 && r.s > 0;
                });
                QVERIFY2(burned, "the picture was not engraved");
            }
        }
    }

    void unusableSizesGiveAJobOrAMessage_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<double>("width");
        QTest::addColumn<bool>("job");
        const QString rect = QStringLiteral("<rect x=\"10\" y=\"10\" width=\"%1\" height=\"%2\" style=\"fill:%3\" %4/>");
        QTest::newRow("negative rect filled") << rect.arg(-100).arg(-50).arg("#000", parameters()) << 1875.0 << true;
        QTest::newRow("negative rect cut") << rect.arg(-100).arg(50).arg("none", parameters()) << 1875.0 << true;
        QTest::newRow("zero work area") << rect.arg(100).arg(50).arg("#000", parameters()) << 0.0 << true;
        QTest::newRow("negative work area") << rect.arg(100).arg(50).arg("#000", parameters()) << -10.0 << true;
        QTest::newRow("zero line spacing") << rect.arg(100).arg(50).arg("#000", parameters(0)) << 1875.0 << false;
        QTest::newRow("negative line spacing")
            << rect.arg(100).arg(50).arg("#000", parameters(-0.1)) << 1875.0 << false;
        QTest::newRow("picture too large") << rect.arg(100).arg(50).arg("#000", parameters(0.0001)) << 1875.0
                                           << false;
        QTest::newRow("negative power")
            << rect.arg(100).arg(50).arg("#000", parameters(0.5, -20)) << 1875.0 << false;
        QTest::newRow("zero passes") << rect.arg(100).arg(50).arg("#000", parameters(0.5, 100, 0)) << 1875.0
                                     << true;
        QTest::newRow("huge radius") << QStringLiteral("<rect x=\"10\" y=\"10\" width=\"100\" height=\"50\" rx=\"1e300\" "
                                                       "ry=\"-5\" style=\"fill:none\"/>")
                                     << 1875.0 << true;
    }

    void unusableSizesGiveAJobOrAMessage()
    {
        QFETCH(QString, body);
        QFETCH(double, width);
        QFETCH(bool, job);
        SVGView view(nullptr);
        const QString result = view.svg2Gcode(design(body, width, width));
        QCOMPARE(result.isEmpty(), job);
        QCOMPARE(view.mGcode.isEmpty(), !job);
    }

    void unreadableDesignTextIsRefused()
    {
        SVGView view(nullptr);
        QVERIFY(!view.svg2Gcode(QStringLiteral("<svg><rect></svg>")).isEmpty());
        QVERIFY(view.mGcode.isEmpty());
    }

    // The finest line spacing over a large filled area; the full 300 x 300 mm
    // case is measured in the benchmarks.
    void finestSpacingOnAFilledArea()
    {
        SVGView view(nullptr);
        const double side = 60 * 12.5;
        QCOMPARE(view.svg2Gcode(design(QStringLiteral("<rect x=\"0\" y=\"0\" width=\"%1\" height=\"%1\" "
                                                      "style=\"fill:#000\" %2/>")
                                           .arg(side)
                                           .arg(parameters(0.02)),
                                       side, side)),
                 QString());
        QCOMPARE(burningMoves(view.mGcode), 3000);
    }

    // ---- The intermediate file ----
    void intermediateFileIsUtf8AndOptional()
    {
        const QString folder =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QStringLiteral("/lumacraft");
        QDir(folder).removeRecursively();
        QFile::remove(folder);
        const QString body = QStringLiteral("<rect x=\"125\" y=\"125\" width=\"100\" height=\"50\" "
                                            "style=\"fill:#000\" lumacraft:label=\"\u00e9\u4e2d\" %1/>")
                                 .arg(parameters());
        SVGView view(nullptr);
        QCOMPARE(view.svg2Gcode(design(body)), QString());
        QFile written(folder + QStringLiteral("/log.svg"));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(written.readAll()).contains(QStringLiteral("\u00e9\u4e2d")));
        written.close();
        const QList<GCodeBuffer> expected = view.mGcode;

        // A folder that cannot be made: the job is the same.
        QDir(folder).removeRecursively();
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QCOMPARE(view.svg2Gcode(design(body)), QString());
        QCOMPARE(lines(view.mGcode), lines(expected));
        QFile::remove(folder);
    }

    void sortItemKeepsRasterOrderAndFollowsNearestStart()
    {
        SortItemList list;
        auto add = [&list](double sx, double sy, double ex, double ey, bool raster) {
            auto *item = new SortItem;
            item->startX = sx;
            item->startY = sy;
            item->endX = ex;
            item->endY = ey;
            if (raster)
                item->gcode.append(GCodeBuffer());
            else
                item->path.lineTo(1, 1);
            list.append(item);
            return item;
        };
        SortItem *r1 = add(0, 0, 0, 0, true);
        SortItem *r2 = add(0, 0, 0, 0, true);
        SortItem *far = add(500, 500, 600, 600, false);
        SortItem *near = add(10, 0, 20, 0, false);
        SortItem *offPlane = add(2e6, 2e6, 2e6, 2e6, false);
        list.sortItem();
        QCOMPARE(list.list(), (QList<SortItem *>{r1, r2, near, far, offPlane}));
    }
};

SCRIBO_TEST_MAIN(TestJobAssembly)
#include "test_jobassembly.moc"
