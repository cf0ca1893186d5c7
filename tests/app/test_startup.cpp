#include "app/logger.h"
#include "app/startup.h"
#include "common/settingsindex.h"
#include "common/testenvironment.h"
#include "resources/scriboresources.h"

#include <QSettings>
#include <QTranslator>

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QSettings settings(QString::fromLatin1(SettingsIndex::Organisation),
                           QString::fromLatin1(SettingsIndex::Application));
        settings.clear();
    }

    void settingsLiveInTheTemporaryHome()
    {
        QSettings settings(QString::fromLatin1(SettingsIndex::Organisation),
                           QString::fromLatin1(SettingsIndex::Application));
        QVERIFY2(settings.fileName().startsWith(qEnvironmentVariable("HOME")), qPrintable(settings.fileName()));
    }

    void catalogueChoice_data()
    {
        QTest::addColumn<QVariant>("stored"); // invalid: no key
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("catalogue");

        const QLocale english(QLocale::English, QLocale::UnitedStates);
        const QLocale chinese(QLocale::Chinese, QLocale::China);
        const QLocale german(QLocale::German, QLocale::Germany);
        QTest::newRow("no key, English system") << QVariant() << english << ":/translations/lc_language_en.qm";
        QTest::newRow("no key, Chinese system") << QVariant() << chinese << ":/translations/lc_language_ch.qm";
        QTest::newRow("no key, other system") << QVariant() << german << "";
        QTest::newRow("English") << QVariant("English") << german << ":/translations/lc_language_en.qm";
        QTest::newRow("Korean") << QVariant("Korean") << english << ":/translations/lc_language_korea.qm";
        QTest::newRow("Japanese") << QVariant("Japanese") << english << ":/translations/lc_language_jp.qm";
        QTest::newRow("Chinese") << QVariant("Chinese") << english << ":/translations/lc_language_ch.qm";
        QTest::newRow("lower case is no match") << QVariant("english") << english << "";
        QTest::newRow("unknown value") << QVariant("Klingon") << english << "";
    }

    void catalogueChoice()
    {
        QFETCH(QVariant, stored);
        QFETCH(QLocale, locale);
        QFETCH(QString, catalogue);

        QSettings settings(QString::fromLatin1(SettingsIndex::Organisation),
                           QString::fromLatin1(SettingsIndex::Application));
        if (stored.isValid())
            settings.setValue(QStringLiteral("languages/language"), stored);
        QCOMPARE(catalogueForLanguage(settings, locale), catalogue);
        // The choice never writes the store.
        QCOMPARE(settings.contains(QStringLiteral("languages/language")), stored.isValid());
        if (stored.isValid())
            QCOMPARE(settings.value(QStringLiteral("languages/language")), stored);
    }

    void shippedCataloguesLoad_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("openFailed"); // the catalogue's text for a Chinese source text
        QTest::newRow("en") << ":/translations/lc_language_en.qm" << "Failed to open the file";
        QTest::newRow("korea") << ":/translations/lc_language_korea.qm" << "파일을 열지 못했습니다";
        QTest::newRow("jp") << ":/translations/lc_language_jp.qm" << "ファイルを開けませんでした";
    }

    void shippedCataloguesLoad()
    {
        QFETCH(QString, path);
        QFETCH(QString, openFailed);
        initScriboResources();
        QVERIFY2(QFile::exists(path), qPrintable(path));
        QTranslator translator;
        QVERIFY(translator.load(path));
        QCOMPARE(translator.translate("MainWindow", "打开文件失败"), openFailed);
        QVERIFY(!QFile::exists(QStringLiteral(":/translations/lc_language_ch.qm")));
    }

    void missingKeysTakeIndexedDefaults_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("length unit") << "itemProperty" << "lengthUnit" << QVariant(QStringLiteral("mm"));
        QTest::newRow("scan gap") << "itemProperty" << "scanGap" << QVariant(0.025);
        QTest::newRow("wh lock") << "itemProperty" << "whLock" << QVariant(true);
        QTest::newRow("work width") << "lowerOperatePanel" << "workWidthSave" << QVariant(150.0);
        QTest::newRow("dir mask") << "lowerGrbl" << "grbl_dir_invert_mask" << QVariant(3);
        QTest::newRow("travel Z") << "lowerGrbl" << "grbl_max_travelZ" << QVariant(150.0);
    }

    void missingKeysTakeIndexedDefaults()
    {
        QFETCH(QString, group);
        QFETCH(QString, key);
        QFETCH(QVariant, expected);
        QSettings settings(QString::fromLatin1(SettingsIndex::Organisation),
                           QString::fromLatin1(SettingsIndex::Application));
        QCOMPARE(SettingsIndex::value(settings, group, key), expected);
        QVERIFY(!settings.contains(group + QLatin1Char('/') + key));
    }

    void logLineFormat()
    {
        QMessageLogContext context("src/x.cpp", 42, "void f()", "default");
        const QString line = formatLogLine(QtWarningMsg, context, QStringLiteral("run end"));
        const QRegularExpression pattern(QStringLiteral(
            R"(^\[\d{4}\.\d{2}\.\d{2} \d{2}:\d{2}:\d{2}\.\d{3}\] <\d+> Warning \(default\) \| src/x\.cpp:42 \(void f\(\)\) 'run end'$)"));
        QVERIFY2(pattern.match(line).hasMatch(), qPrintable(line));
    }

    void levelFilter_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("written"); // D W C I
        QTest::newRow("0 writes nothing") << 0 << "";
        QTest::newRow("1 writes nothing") << 1 << "";
        QTest::newRow("2 critical") << 2 << "C";
        QTest::newRow("3 warning and critical") << 3 << "WC";
        QTest::newRow("4 adds info") << 4 << "WCI";
        QTest::newRow("5 everything") << 5 << "DWCI";
        QTest::newRow("6 writes nothing") << 6 << "";
    }

    void levelFilter()
    {
        QFETCH(int, level);
        QFETCH(QString, written);
        QString got;
        if (logLevelAllows(level, QtDebugMsg))
            got += QLatin1Char('D');
        if (logLevelAllows(level, QtWarningMsg))
            got += QLatin1Char('W');
        if (logLevelAllows(level, QtCriticalMsg))
            got += QLatin1Char('C');
        if (logLevelAllows(level, QtInfoMsg))
            got += QLatin1Char('I');
        QCOMPARE(got, written);
    }

    void loggerAppendsFilteredLinesToItsFile()
    {
        logFileUrl = defaultLogFilePath();
        QVERIFY(logFileUrl.startsWith(qEnvironmentVariable("HOME")));
        QVERIFY(logFileUrl.contains(QStringLiteral("/lumacraft/")));
        QFile::remove(logFileUrl);
        logToFile = true;
        appLogLevel = 3;
        QtMessageHandler previous = qInstallMessageHandler(logger);
        qDebug() << "quiet line";
        qWarning() << "loud line";
        qCritical() << "second loud line";
        qInstallMessageHandler(previous);
        appLogLevel = 5;

        QFile file(logFileUrl);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.at(0).contains(QStringLiteral("> Warning (")));
        QVERIFY(lines.at(0).endsWith(QStringLiteral("'loud line'")));
        QVERIFY(lines.at(1).contains(QStringLiteral("> Critical (")));
    }

    void failedWriteOffGuiThreadTouchesNoWidget()
    {
        logFileUrl = QStringLiteral("/nonexistent-folder/x.log");
        logToFile = true;
        appLogLevel = 5;
        QtMessageHandler previous = qInstallMessageHandler(logger);
        QThread *thread = QThread::create([] { qWarning() << "from the worker"; });
        thread->start();
        QVERIFY(thread->wait(5000));
        delete thread;
        qInstallMessageHandler(previous);
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }
};

SCRIBO_TEST_MAIN(TestStartup)
#include "test_startup.moc"
