// Writes the reader's manual page, in English and in Czech, at build time:
//
//   zelton-manual-page FOLDER DEFAULT_FEED_BASE_URL DATE
//
// makes FOLDER/man1/ZeltonReader.1 and FOLDER/cs/man1/ZeltonReader.1. Its options come from the
// table the command line parser is made of, its file names from the reader's own path rules,
// so the page says what --help says and where the files really are.
#include "app/CommandLine.h"
#include "common/ReaderPaths.h"
#include "common/Texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <utility>

namespace {

// Text for a roff line: backslashes and minus signs escaped, and a line that would start
// with a control character kept as text.
QString roff(const QString &text)
{
    QString escaped = text;
    escaped.replace(u'\\', QStringLiteral("\\e")).replace(u'-', QStringLiteral("\\-"));
    QStringList lines = escaped.split(u'\n');
    for (QString &line : lines)
        if (line.startsWith(u'.') || line.startsWith(u'\''))
            line.prepend(QStringLiteral("\\&"));
    return lines.join(u'\n');
}
QString bold(const QString &text)
{
    return QStringLiteral("\\fB") + roff(text) + QStringLiteral("\\fR");
}
QString italic(const QString &text)
{
    return QStringLiteral("\\fI") + roff(text) + QStringLiteral("\\fR");
}

QString optionName(const QString &name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// "[--feed-base-url URL] [--screenshots FOLDER]" and "--help | --version", from the table.
QString synopsis(const QList<QCommandLineOption> &options)
{
    QStringList running;
    QStringList answering;
    for (const QCommandLineOption &option : options) {
        const QString name = bold(optionName(option.names().last()));
        if (option.valueName().isEmpty())
            answering << name;
        else
            running << u'[' + name + u' ' + italic(option.valueName()) + u']';
    }
    const QString program = bold(QStringLiteral("ZeltonReader"));
    return program + u' ' + running.join(u' ') + QStringLiteral("\n.br\n") + program + u' ' + answering.join(QStringLiteral(" | "));
}

QString optionList(const QList<QCommandLineOption> &options)
{
    QString list;
    for (const QCommandLineOption &option : options) {
        QStringList names;
        for (const QString &name : option.names())
            names << bold(optionName(name));
        list += QStringLiteral(".TP\n") + names.join(QStringLiteral(", "));
        if (!option.valueName().isEmpty())
            list += u' ' + italic(option.valueName());
        list += u'\n' + roff(option.description()) + u'\n';
    }
    return list;
}

// One term of a list and what it means.
QString item(const QString &term, const QString &meaning)
{
    return QStringLiteral(".TP\n") + term + u'\n' + roff(meaning) + u'\n';
}

QString fileName(const QString &path)
{
    return QFileInfo(path).fileName();
}

struct PageTexts
{
    QString title;  // the page's heading line: date, source, manual
    QString name, synopsis, description, options, exitStatus, environment, files;
    QString summary;
    QStringList descriptionParagraphs;
    QStringList statuses;  // 0, 1, 2
    QString httpProxy, httpsProxy, noProxy, dataHome, configHome, toolkit;
    QString filesIntro, settings, offlineCopy, workFolder, pictures, lock, emulation;
};

QString page(const PageTexts &texts, const QList<QCommandLineOption> &options, const QString &date)
{
    const ReaderPaths paths(QStringLiteral("/"));
    QString text;
    text += QStringLiteral(".TH ZELTONREADER 1 \"%1\" \"ZeltonReader %2\" \"%3\"\n").arg(date, Texts::Version, texts.title);
    text += QStringLiteral(".nh\n");  // paths and addresses are not split at line ends
    text += QStringLiteral(".SH ") + texts.name + QStringLiteral("\nZeltonReader \\- ") + roff(texts.summary) + u'\n';
    text += QStringLiteral(".SH ") + texts.synopsis + u'\n' + synopsis(options) + u'\n';
    QStringList paragraphs;
    for (const QString &paragraph : texts.descriptionParagraphs)
        paragraphs << roff(paragraph);
    text += QStringLiteral(".SH ") + texts.description + u'\n' + paragraphs.join(QStringLiteral("\n.PP\n")) + u'\n';
    text += QStringLiteral(".SH ") + texts.options + u'\n' + optionList(options);
    text += QStringLiteral(".SH ") + texts.exitStatus + u'\n';
    const QStringList codes{QStringLiteral("0"), QStringLiteral("1"), QString::number(CommandLineMistakeStatus)};
    for (qsizetype i = 0; i < codes.size(); ++i)
        text += item(bold(codes[i]), texts.statuses[i]);
    text += QStringLiteral(".SH ") + texts.environment + u'\n';
    text += item(bold(QStringLiteral("http_proxy")) + QStringLiteral(", ") + bold(QStringLiteral("HTTP_PROXY")), texts.httpProxy);
    text += item(bold(QStringLiteral("https_proxy")) + QStringLiteral(", ") + bold(QStringLiteral("HTTPS_PROXY")), texts.httpsProxy);
    text += item(bold(QStringLiteral("no_proxy")), texts.noProxy);
    text += item(bold(QStringLiteral("XDG_DATA_HOME")), texts.dataHome);
    text += item(bold(QStringLiteral("XDG_CONFIG_HOME")), texts.configHome);
    text += item(bold(QStringLiteral("QT_QPA_PLATFORM")) + QStringLiteral(", ") + bold(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS")),
                 texts.toolkit);
    text += QStringLiteral(".SH ") + texts.files + u'\n' + roff(texts.filesIntro) + u'\n';
    text += item(italic(fileName(paths.settingsFile())), texts.settings);
    text += item(italic(fileName(paths.offlineCopy())), texts.offlineCopy);
    text += item(italic(fileName(paths.workFolder()) + u'/'), texts.workFolder);
    text += item(italic(fileName(paths.pictureCache()) + u'/'), texts.pictures);
    text += item(italic(QStringLiteral("ZeltonReader.lock")), texts.lock);
    text += item(italic(QStringLiteral("~/.config/ZeltonReader/HKEY_CURRENT_USER.ini")), texts.emulation);
    return text;
}

// The page's own words, English beside Czech, so that a change to one is seen in the other.
PageTexts pageTexts(OptionLanguage language)
{
    const bool czech = language == OptionLanguage::Czech;
    PageTexts t;
    t.title = czech ? QStringLiteral("Uživatelské příkazy") : QStringLiteral("User Commands");
    t.name = czech ? QStringLiteral("JMÉNO") : QStringLiteral("NAME");
    t.synopsis = czech ? QStringLiteral("POUŽITÍ") : QStringLiteral("SYNOPSIS");
    t.description = czech ? QStringLiteral("POPIS") : QStringLiteral("DESCRIPTION");
    t.options = czech ? QStringLiteral("VOLBY") : QStringLiteral("OPTIONS");
    t.exitStatus = czech ? QStringLiteral("NÁVRATOVÝ KÓD") : QStringLiteral("EXIT STATUS");
    t.environment = czech ? QStringLiteral("PROSTŘEDÍ") : QStringLiteral("ENVIRONMENT");
    t.files = czech ? QStringLiteral("SOUBORY") : QStringLiteral("FILES");
    t.summary = czech ? QStringLiteral("čtečka zpráv, informací a kontaktů organizace")
                      : QStringLiteral("reader of an organization's news, information and contacts");
    t.descriptionParagraphs = {
        czech ? QStringLiteral(
            "ZeltonReader načítá ze serveru XML kanál organizace a ukazuje ho jako karty zpráv, stránku "
            "informací a stránku kontaktů. Při prvním spuštění se zeptá na ID organizace. Pamatuje si "
            "nastavení, uchovává offline kopii posledního celého přečteného kanálu a když server není "
            "dostupný, ukáže tuto kopii s označením \"Offline\". Když bylo jeho okno aktivováno a žádné "
            "obnovení neselhalo, obnovuje se každých deset minut sám; F5 obnoví obsah hned.")
              : QStringLiteral(
                  "ZeltonReader fetches an organization's XML information feed from its feed server and shows "
                  "it as news cards, an information page and a contacts page; everything it shows is in Czech. "
                  "On its first start it asks for the organization's ID. It remembers its settings, keeps an "
                  "offline copy of the last feed it read whole and, when the feed server cannot be reached, "
                  "shows that copy with the mark \"Offline\". While its window has been activated and no "
                  "refresh has failed it refreshes itself every ten minutes; F5 refreshes at once."),
        czech ? QStringLiteral(
            "Adresa serveru se zprávami je dána při sestavení čtečky; --feed-base-url ji změní pro jedno "
            "spuštění. U adresy https:// se certifikát serveru ověřuje podle úložiště certifikátů "
            "systému.")
              : QStringLiteral(
                  "The feed server's base address is fixed when the reader is built; --feed-base-url changes it "
                  "for one run. With an https:// address the server's certificate is checked against the "
                  "system's certificate store."),
        czech ? QStringLiteral(
            "Nad jednou sadou souborů běží jedna čtečka: druhé spuštění nad stejnými soubory přenese okno "
            "běžící čtečky do popředí a skončí.")
              : QStringLiteral("One reader runs per set of files: a second start on the same files brings the running "
                               "reader's window to the front and ends."),
    };
    t.statuses = {
        czech
            ? QStringLiteral("Okno bylo zavřeno, byla vypsána nápověda nebo verze, nebo byla čtečka, která už běží nad "
                             "stejnými soubory, požádána o přenesení okna do popředí.")
            : QStringLiteral(
                "The window was closed, the help or the version was printed, or the reader already running "
                "on the same files was asked to bring its window to the front."),
        czech ? QStringLiteral(
            "S --screenshots: stránka se neukázala (místo ní se otevřelo okno, třeba dotaz na ID nebo "
            "chyba stahování) nebo se její obrázek nepodařilo uložit; důvod je vypsán na jednom řádku. "
            "Také když stejné soubory drží čtečka, která neodpovídá.")
              : QStringLiteral(
                  "With --screenshots: a page did not show (a box opened instead, such as the ID prompt or a "
                  "failed download) or its picture could not be saved; the reason is printed in one line. Also "
                  "when a reader holds the same files but does not answer."),
        czech ? QStringLiteral(
            "Neznámá volba, nečekaný argument nebo chybná adresa; jednořádková zpráva jde na standardní "
            "chybový výstup.")
              : QStringLiteral(
                  "An unknown option, a stray argument or a bad address; a one-line message goes to standard "
                  "error."),
    };
    t.httpProxy
        = czech ? QStringLiteral("Proxy, přes kterou jdou požadavky na adresy http:// (kanál a obrázky karet), "
                                 "například http://proxy.example.org:3128/.")
                : QStringLiteral("The proxy that requests for http:// addresses (the feed and the cards' pictures) go "
                                 "through, such as http://proxy.example.org:3128/.");
    t.httpsProxy
        = czech ? QStringLiteral("Proxy, přes kterou jdou požadavky na adresy https://, tunelované metodou CONNECT.")
                : QStringLiteral("The proxy that requests for https:// addresses go through, tunnelled with CONNECT.");
    t.noProxy
        = czech ? QStringLiteral("Čárkami oddělené počítače a domény (\".example.org\"), na které se jde bez proxy.")
                : QStringLiteral("Hosts and domains (\".example.org\"), separated by commas, that are reached without "
                                 "a proxy.");
    t.dataHome = czech ? QStringLiteral("Datová složka uživatele je $XDG_DATA_HOME/ZeltonReader/, pokud je proměnná "
                                        "nastavena, jinak ~/.local/share/ZeltonReader/.")
                       : QStringLiteral("The user's data folder is $XDG_DATA_HOME/ZeltonReader/ where this is set, "
                                        "~/.local/share/ZeltonReader/ otherwise.");
    t.configHome
        = czech ? QStringLiteral("Kde je uložena hodnota emulace prohlížeče: "
                                 "$XDG_CONFIG_HOME/ZeltonReader/HKEY_CURRENT_USER.ini, pokud je proměnná nastavena.")
                : QStringLiteral("Where the browser emulation value is kept: "
                                 "$XDG_CONFIG_HOME/ZeltonReader/HKEY_CURRENT_USER.ini where this is set.");
    t.toolkit
        = czech ? QStringLiteral("Čte je knihovna Qt a její webové jádro; nahrazují vlastní volby příkazové řádky Qt, "
                                 "které čtečka nepřijímá (QT_QPA_PLATFORM=offscreen ji spustí bez obrazovky).")
                : QStringLiteral("Read by the toolkit and its web engine; they stand in for the toolkit's own command "
                                 "line options, which the reader does not take (QT_QPA_PLATFORM=offscreen runs it "
                                 "without a screen).");
    t.filesIntro
        = czech ? QStringLiteral("Čtečka má své soubory pohromadě v jedné složce, zvolené jednou při spuštění: vedle "
                                 "spustitelného souboru, pokud tam uživatel smí zapisovat (přenosná kopie), jinak, "
                                 "jako po instalaci do /usr/bin, v datové složce uživatele "
                                 "~/.local/share/ZeltonReader/. Složka programu pod /usr, /opt, /bin nebo /sbin se "
                                 "nepoužije nikdy, ani pro uživatele root.")
                : QStringLiteral("The reader keeps its files together in one folder, chosen once at start-up: beside "
                                 "the executable when the user can write there (a portable copy), otherwise, as "
                                 "after an installation into /usr/bin, in the user's data folder "
                                 "~/.local/share/ZeltonReader/. A program folder under /usr, /opt, /bin or /sbin is "
                                 "never used, not even by root.");
    t.settings
        = czech ? QStringLiteral("Oddíl ZELTON_INFO_READER: ID organizace, poloha a velikost okna, skupina, velikost "
                                 "písma a vzhled karet.")
                : QStringLiteral("Section ZELTON_INFO_READER: the organization's ID, the window's position and size, "
                                 "the group, the font size and the style of the cards.");
    t.offlineCopy
        = czech ? QStringLiteral("Poslední celý přečtený kanál, ukázaný, když server není dostupný; nahrazuje se "
                                 "atomicky.")
                : QStringLiteral("The last feed that was read whole, shown when the server cannot be reached; "
                                 "replaced atomically.");
    t.workFolder
        = czech ? QStringLiteral("Jeden dočasný soubor kanálu na každé obnovení; soubor zůstane, když jeho kanál "
                                 "nešel přečíst.")
                : QStringLiteral("One temporary feed file per refresh; a file is left there when its feed could not "
                                 "be read.");
    t.pictures
        = czech ? QStringLiteral("Obrázky karet, jak je server naposledy poslal, ukázané na offline stránce; nejvýše "
                                 "1000 obrázků a 32 MB, nejstarší odpadají první.")
                : QStringLiteral("The cards' pictures as the feed server last sent them, shown on the offline page; at "
                                 "most 1000 pictures and 32 MB, the oldest dropped first.");
    t.lock
        = czech
              ? QStringLiteral("Drží ho běžící čtečka; zámek po čtečce, která byla zabita, převezme další spuštění.")
              : QStringLiteral("Taken by the running reader; a lock left by a reader that was killed is taken over by "
                               "the next start.");
    t.emulation = czech
                      ? QStringLiteral("Hodnota emulace prohlížeče (9000), uložená tam, kde ji jiné systémy mají v "
                                       "registru.")
                      : QStringLiteral("The browser emulation value (9000), kept where other systems keep it in their "
                                       "registry.");
    return t;
}

bool write(const QString &path, const QString &text)
{
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    QFile file(path);
    const QByteArray bytes = text.toUtf8();
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush();
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s FOLDER DEFAULT_FEED_BASE_URL DATE\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString defaultFeedBaseUrl = QString::fromLocal8Bit(argv[2]);
    const QString date = QString::fromLocal8Bit(argv[3]);

    const QString english =
        page(pageTexts(OptionLanguage::English), commandLineOptions(defaultFeedBaseUrl, OptionLanguage::English), date);
    const QString czech = page(pageTexts(OptionLanguage::Czech), commandLineOptions(defaultFeedBaseUrl, OptionLanguage::Czech), date);
    for (const auto &[path, text] : {std::pair{folder + QStringLiteral("/man1/ZeltonReader.1"), english},
                                     std::pair{folder + QStringLiteral("/cs/man1/ZeltonReader.1"), czech}}) {
        if (!write(path, text)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
