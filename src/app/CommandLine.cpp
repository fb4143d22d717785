#include "app/CommandLine.h"

#include "common/Texts.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTranslator>
#include <QUrl>

#include <cstdio>

namespace {

void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

bool isFeedBaseUrl(const QString &url)
{
    // Kept in step with the check of FEED_BASE_URL in cmake/FeedBaseUrl.cmake.
    static const QRegularExpression pattern(QStringLiteral("^https?://[^/?#]+(/[^?#]*)?/reader/$"));
    return pattern.match(url).hasMatch() && QUrl(url, QUrl::StrictMode).isValid();
}

QList<QCommandLineOption> commandLineOptions(const QString &defaultFeedBaseUrl, OptionLanguage language)
{
    const bool czech = language == OptionLanguage::Czech;
    const auto pick = [czech](const QString &czechText, const char *englishText) {
        return czech ? czechText : QString::fromUtf8(englishText);
    };
    return {
        QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                           pick(Texts::OptionHelp, "Prints these options and ends.")),
        QCommandLineOption({QStringLiteral("v"), QStringLiteral("version")},
                           pick(Texts::OptionVersion, "Prints the program's version and ends.")),
        QCommandLineOption(QStringLiteral("feed-base-url"),
                           pick(Texts::OptionFeedBaseUrl,
                                "The feed server's base address for this run: an http:// or https:// URL whose path "
                                "ends in \"/reader/\" (default %1).")
                               .arg(defaultFeedBaseUrl),
                           pick(Texts::ValueUrl, "URL"), defaultFeedBaseUrl),
        QCommandLineOption(QStringLiteral("screenshots"),
                           pick(Texts::OptionScreenshots,
                                "Once the first refresh has shown the news, saves the news, information and contacts "
                                "pages as PNG pictures into the folder and ends."),
                           pick(Texts::ValueFolder, "FOLDER")),
    };
}

CommandLineVerdict parseCommandLine(const QStringList &arguments, const QString &defaultFeedBaseUrl)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(Texts::CommandLineDescription);
    // "-platform" is then named as the option it was meant to be, not as the letter "p".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(commandLineOptions(defaultFeedBaseUrl));
    const QString help = QStringLiteral("help");
    const QString version = QStringLiteral("version");
    const QString feedBaseUrl = QStringLiteral("feed-base-url");
    const QString screenshots = QStringLiteral("screenshots");

    const QString program = arguments.isEmpty() ? QStringLiteral("ZeltonReader") : QFileInfo(arguments.first()).fileName();
    const auto mistake = [&program](const QString &text) {
        CommandLineVerdict verdict;
        verdict.exitStatus = CommandLineMistakeStatus;
        verdict.error = program + QStringLiteral(": ") + text + Texts::SeeHelp + u'\n';
        return verdict;
    };

    if (!parser.parse(arguments))
        return mistake(parser.errorText());
    if (parser.isSet(help)) {
        // The parser names the program after the application object, when there is one.
        QString text = parser.helpText();
        const QStringList appArguments = QCoreApplication::instance() ? QCoreApplication::arguments() : QStringList();
        const QString named = appArguments.isEmpty() ? QStringLiteral("<executable_name>") : appArguments.first();
        if (const qsizetype at = text.indexOf(named); at >= 0 && !arguments.isEmpty())
            text.replace(at, named.size(), arguments.first());
        return {{}, 0, text, {}};
    }
    if (parser.isSet(version))
        return {{}, 0, program + u' ' + Texts::Version + u'\n', {}};
    if (!parser.positionalArguments().isEmpty())
        return mistake(Texts::unexpectedArgument(parser.positionalArguments().first()));

    CommandLineOptions options;
    options.feedBaseUrl = parser.value(feedBaseUrl);
    if (!isFeedBaseUrl(options.feedBaseUrl))
        return mistake(Texts::badFeedBaseUrl(options.feedBaseUrl));
    if (parser.isSet(screenshots)) {
        if (parser.value(screenshots).isEmpty())
            return mistake(Texts::EmptyScreenshotFolder);
        options.screenshotFolder = QDir(parser.value(screenshots)).absolutePath();
    }
    return {options, 0, {}, {}};
}

std::optional<CommandLineOptions> readCommandLine(int argc, char *argv[], const QString &defaultFeedBaseUrl,
                                                  int &exitStatus)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    CommandLineVerdict verdict = parseCommandLine(arguments, defaultFeedBaseUrl);
    if (verdict.options)
        return verdict.options;

    // The answer is given in Czech like everything else; the parser's own words (headings,
    // its errors) need the toolkit's translation, which needs an application object. A
    // core one is enough and needs no display.
    QCoreApplication app(argc, argv);
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Czech), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    verdict = parseCommandLine(QCoreApplication::arguments(), defaultFeedBaseUrl);

    print(stdout, verdict.output);
    print(stderr, verdict.error);
    exitStatus = verdict.exitStatus;
    return std::nullopt;
}
