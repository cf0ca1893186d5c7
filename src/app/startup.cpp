#include "app/startup.h"

#include "app/commandline.h"
#include "app/designwindow.h"
#include "app/logger.h"
#include "common/settingsindex.h"
#include "gcode/gcodebuffer.h"
#include "resources/scriboresources.h"

#include <QApplication>
#include <QIcon>
#include <QSettings>
#include <QStyleFactory>
#include <QTextCodec>
#include <QTranslator>

namespace {

const char *const ChineseCatalogue = ":/translations/lc_language_ch.qm";
const char *const EnglishCatalogue = ":/translations/lc_language_en.qm";
const char *const KoreanCatalogue = ":/translations/lc_language_korea.qm";
const char *const JapaneseCatalogue = ":/translations/lc_language_jp.qm";

// The design file named on the command line: the first argument that is no option.
QString designFileArgument(const QStringList &arguments)
{
    for (int i = 1; i < arguments.size(); ++i) {
        if (!arguments.at(i).startsWith(QLatin1Char('-')))
            return arguments.at(i);
    }
    return {};
}

// Stands in for the main window until it exists: the design view over a new
// document, or over the design file given on the command line.
DesignWindow *createStartWindow()
{
    auto *window = new DesignWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    return window;
}

} // namespace

QString catalogueForLanguage(QSettings &settings, const QLocale &systemLocale)
{
    settings.beginGroup(QStringLiteral("languages"));
    const bool stored = settings.contains(QStringLiteral("language"));
    const QString language =
        settings.value(QStringLiteral("language"), SettingsIndex::defaultValue(QStringLiteral("languages"),
                                                                              QStringLiteral("language")))
            .toString();
    settings.endGroup();

    if (stored) {
        if (language == QLatin1String("Chinese"))
            return QString::fromLatin1(ChineseCatalogue);
        if (language == QLatin1String("English"))
            return QString::fromLatin1(EnglishCatalogue);
        if (language == QLatin1String("Korean"))
            return QString::fromLatin1(KoreanCatalogue);
        if (language == QLatin1String("Japanese"))
            return QString::fromLatin1(JapaneseCatalogue);
        return {};
    }

    switch (systemLocale.language()) {
    case QLocale::English:
        return QString::fromLatin1(EnglishCatalogue);
    case QLocale::Chinese:
        return QString::fromLatin1(ChineseCatalogue);
    default:
        return {};
    }
}

int runApplication(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLineRequest request = parseCommandLine(arguments);
    const bool commandLineJob = request.mode != CommandLineRequest::Mode::Window;
    if (commandLineJob && !prepareCommandLinePlatform(request))
        return CommandLineExit::Usage;

    initScriboResources();
    logFileUrl = defaultLogFilePath();
    if (!logFileUrl.isEmpty())
        qInstallMessageHandler(logger);

    QApplication app(argc, argv);
    if (commandLineJob) {
        registerGCodeBufferMetaTypes();
        return runCommandLine(request);
    }

    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/image/lc_ico.png")));
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps, true);
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));

    QTranslator translator;
    {
        QSettings settings(QString::fromLatin1(SettingsIndex::Organisation),
                           QString::fromLatin1(SettingsIndex::Application));
        const QString catalogue = catalogueForLanguage(settings, QLocale());
        // A missing or damaged catalogue leaves the source texts; no message.
        if (!catalogue.isEmpty())
            translator.load(catalogue);
    }
    QApplication::installTranslator(&translator);

    registerGCodeBufferMetaTypes();

    DesignWindow *window = createStartWindow();
    QFont font(QStringLiteral("微软雅黑"));
    font.setPixelSize(12);
    QApplication::setFont(font);
    window->resize(1250, 800);
    window->show();
    const QString design = designFileArgument(QApplication::arguments());
    if (!design.isEmpty())
        window->openDesign(design);
    // The fit needs the view's final size.
    QApplication::sendPostedEvents();
    window->fitToWindow();

    return app.exec();
}
