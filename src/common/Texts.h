#pragma once

#include <QString>

// Every text the reader shows to its user, named once.
namespace Texts {

inline const QString WindowCaption = QStringLiteral("Ostrel");
inline const QString Version = QStringLiteral("1.50");

inline const QString HintReload = QStringLiteral("Načíst znovu obsah");
inline const QString HintEnterId = QStringLiteral("Zadej ID organizace");
inline const QString HintInformation = QStringLiteral("Informace o organizaci");
inline const QString HintContacts = QStringLiteral("Kontakty");
inline const QString HintFontSize = QStringLiteral("Velikost písma");
// A control's hint followed by the keys that do the same.
inline QString withKeys(const QString &hint, const QString &keys)
{
    return hint + QStringLiteral(" (") + keys + u')';
}

// The find bar under the toolbar.
inline const QString FindPlaceholder = QStringLiteral("Hledat na stránce");
inline const QString FindNext = QStringLiteral("Další");
inline const QString FindPrevious = QStringLiteral("Předchozí");
inline const QString FindClose = QStringLiteral("Zavřít hledání");
inline const QString FindNotFound = QStringLiteral("Nenalezeno");
inline QString findMatch(int active, int count)
{
    return QString::number(active) + QStringLiteral(" z ") + QString::number(count);
}

inline const QString IdBoxCaption = QStringLiteral("ID organizace");
inline const QString IdBoxPrompt = QStringLiteral("Zadej ID organizace");

inline const QString AllGroups = QStringLiteral("Vše");
inline const QString StyleRounded = QStringLiteral("Zaoblené");
inline const QString StyleSquare = QStringLiteral("Hranaté");
inline const QString StyleShadow = QStringLiteral("Stín");
inline const QString StyleFullWidth = QStringLiteral("100%");

inline const QString WorkFolderFailed = QStringLiteral("Nepodařilo se vytvořit temp adresář.");
inline const QString NoConnection =
    QStringLiteral("Nelze se připojit k Internetu, nebo zvolený odkaz není funkční.");
inline const QString NoTempFeed = QStringLiteral("Nelze vyhledat dočasný XML soubor.");
inline const QString NotUtf8 =
    QStringLiteral("Chyba v XML souboru. Tento soubor musí být v kódování UTF-8.");
inline const QString BadTag = QStringLiteral("Chyba v XML tagu.");
// Descriptions of the feed faults that the reader finds itself rather than the XML parser.
inline const QString FeedDoctypeRefused =
    QStringLiteral("Dokument nesmí obsahovat deklaraci typu dokumentu.");
inline const QString FeedBadUtf8 =
    QStringLiteral("Dokument obsahuje bajty, které nejsou platným kódováním UTF-8.");
inline QString childNotPlainText(const QString &elementName)
{
    return QStringLiteral("Prvek ") + elementName + QStringLiteral(" neobsahuje jen text.");
}
inline QString deleteFailed(const QString &path)
{
    return QStringLiteral("Chyba při odstraňování souboru ") + path + u'.';
}

inline const QString OfflineMark = QStringLiteral("Offline");

// News the user has not seen yet: the mark on their cards and the desktop notification.
inline const QString NewMark = QStringLiteral("Nové");
inline QString newNewsSummary(int count)
{
    if (count == 1)
        return QStringLiteral("1 nová zpráva");
    if (count >= 2 && count <= 4)
        return QString::number(count) + QStringLiteral(" nové zprávy");
    return QString::number(count) + QStringLiteral(" nových zpráv");
}
inline const QString NotificationShow = QStringLiteral("Zobrazit");

// Failures of the environment keep the wording the settings and registry layers always had.
inline QString unableToWrite(const QString &path)
{
    return QStringLiteral("Unable to write to ") + path;
}
inline QString failedToSetData(const QString &valueName)
{
    return QStringLiteral("Failed to set data for '") + valueName + u'\'';
}

// The command line; the program's name and a colon come before each error.
inline const QString CommandLineDescription =
    QStringLiteral("Zobrazuje zprávy, informace a kontakty organizace z jejího XML kanálu.");
inline const QString OptionHelp = QStringLiteral("Zobrazí tuto nápovědu.");
inline const QString OptionVersion = QStringLiteral("Zobrazí verzi programu.");
inline const QString OptionFeedBaseUrl =
    QStringLiteral("Adresa serveru se zprávami: http:// nebo https:// adresa, jejíž cesta končí na "
                   "\"/reader/\" (výchozí %1).");
inline const QString OptionScreenshots =
    QStringLiteral("Po prvním načtení uloží stránku zpráv, informací a kontaktů jako obrázky PNG do "
                   "složky a skončí.");
inline const QString ValueUrl = QStringLiteral("adresa");
inline const QString ValueFolder = QStringLiteral("složka");
inline QString badFeedBaseUrl(const QString &url)
{
    return QStringLiteral("--feed-base-url musí být http:// nebo https:// adresa, jejíž cesta končí na "
                          "\"/reader/\", ne \"") + url + QStringLiteral("\".");
}
inline const QString EmptyScreenshotFolder = QStringLiteral("--screenshots potřebuje složku.");
inline QString unexpectedArgument(const QString &argument)
{
    return QStringLiteral("Nečekaný argument \"") + argument + QStringLiteral("\".");
}
inline const QString SeeHelp = QStringLiteral(" Viz --help.");

// The pictures of the pages taken by --screenshots.
inline QString screenshotFolderFailed(const QString &path)
{
    return QStringLiteral("Nelze vytvořit složku pro obrázky ") + path + u'.';
}
inline QString screenshotSaveFailed(const QString &path)
{
    return QStringLiteral("Nelze uložit obrázek ") + path + u'.';
}
inline QString pageNotShown(const QString &fileName, int seconds)
{
    return QStringLiteral("Stránka pro ") + fileName + QStringLiteral(" se do ") + QString::number(seconds)
           + QStringLiteral(" s nezobrazila.");
}
inline QString boxInsteadOfPage(const QString &text)
{
    return QStringLiteral("Místo stránky se zobrazilo okno: ") + text;
}

// A second start on the same files, told on the terminal it was started from.
inline QString alreadyRunningNoAnswer(const QString &folder)
{
    return QStringLiteral("ZeltonReader už běží nad soubory ve složce ") + folder + QStringLiteral(", ale neodpovídá.");
}
inline QString alreadyRunning(const QString &folder, bool raised)
{
    return QStringLiteral("ZeltonReader už běží nad soubory ve složce ") + folder
           + (raised ? QStringLiteral("; jeho okno je nyní vpředu.")
                     : QStringLiteral("; bylo požádáno o přenesení okna do popředí."));
}

// The context menu of the HTML view.
inline const QString MenuCopy = QStringLiteral("Kopírovat");
inline const QString MenuSelectAll = QStringLiteral("Vybrat vše");
inline const QString MenuCopyLink = QStringLiteral("Kopírovat odkaz");

// Shown over the HTML view while its page is being brought back after a crash of the part
// of the engine that draws it.
inline const QString RendererEnded =
    QStringLiteral("Zobrazení stránky se přerušilo. Program ji za chvíli zkusí zobrazit znovu "
                   "sám; klávesou F5 ji načtete hned.");

} // namespace Texts
