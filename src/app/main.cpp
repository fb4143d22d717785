#include "app/AssistiveTechnology.h"
#include "app/CommandLine.h"
#include "app/GraphicsPath.h"
#include "app/PageScreenshots.h"
#include "app/ReaderWindow.h"
#include "app/SingleInstance.h"
#include "app/ToolbarGlyphs.h"
#include "view/HtmlView.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

int main(int argc, char *argv[])
{
    int exitStatus = 0;
    const std::optional<CommandLineOptions> options =
        readCommandLine(argc, argv, QStringLiteral(ZR_FEED_BASE_URL), exitStatus);
    if (!options)
        return exitStatus;

#ifdef Q_OS_UNIX
    // The web engine refuses to start as root with its sandbox on; the reader's page runs
    // no script, so it can do without.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
    useGraphicsPath(chooseGraphicsPath([](const char *name) { return qEnvironmentVariable(name); }));
    HtmlView::registerScheme();
    QApplication app(argc, argv);
    // The user's data folder is named after the program alone (~/.local/share/ZeltonReader).
    QCoreApplication::setApplicationName(QStringLiteral("ZeltonReader"));
    QGuiApplication::setDesktopFileName(QStringLiteral(ZR_DESKTOP_ID));
    app.setWindowIcon(applicationIcon());
#ifndef Q_OS_WIN
    // The toolbar is laid out for Tahoma; where it is missing, a face of similar width
    // keeps the list texts inside their boxes.
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("DejaVu Sans")});
#endif

    // The toolkit's own buttons and messages (Cancel, parser descriptions) in Czech.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Czech), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTexts);

    const ReaderPaths paths = ReaderPaths::forThisProgram();
    SingleInstance instance(paths.folder());
    if (const SingleInstance::Start start = instance.start(); start != SingleInstance::Start::First)
        return instance.reportLaterStart(start);

    enablePageAccessibilityWhenNeeded();
    std::unique_ptr<PageScreenshots> screenshots;
    if (!options->screenshotFolder.isEmpty())
        screenshots = std::make_unique<PageScreenshots>(options->screenshotFolder);
    ReaderConfig config{paths, options->feedBaseUrl, {}};
    // The window is on the screen before the first feed is read: the user sees it at once,
    // and the engine starts its drawing while the feed downloads.
    config.showBeforeFirstCycle = !screenshots;
    ReaderWindow window(std::move(config));
    if (screenshots)
        return screenshots->take(window);
    window.show();
    instance.setWindow(&window);
    return app.exec();
}
