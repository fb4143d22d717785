#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What the reader was started with.
struct CommandLineOptions
{
    QString feedBaseUrl;
    QString screenshotFolder;  // absolute; empty when the reader runs as usual
};

// The answer to one command line: options to run with, or what to print before ending.
struct CommandLineVerdict
{
    std::optional<CommandLineOptions> options;
    int exitStatus = 0;
    QString output;  // for standard output: help, version
    QString error;   // one line for standard error
};

// Exit status of a command line the reader cannot run with.
constexpr int CommandLineMistakeStatus = 2;

// Whether `url` can be the feed server's base address: an http:// or https:// URL whose
// path ends in "/reader/", the same rule the build applies to its default.
bool isFeedBaseUrl(const QString &url);

// The languages the options are described in: Czech for --help, English too for the manual page.
enum class OptionLanguage { Czech, English };

// The options the reader takes, in the order --help lists them. The parser and the manual
// page are both made from this one table, so the two never disagree. A description may
// name `defaultFeedBaseUrl`.
QList<QCommandLineOption> commandLineOptions(const QString &defaultFeedBaseUrl,
                                             OptionLanguage language = OptionLanguage::Czech);

// `arguments` starts with the program's name.
CommandLineVerdict parseCommandLine(const QStringList &arguments, const QString &defaultFeedBaseUrl);

// Reads the process's command line before the application object exists, so help, version
// and mistakes are answered without a display and without starting the web engine.
// Returns the options to run with, or nothing with `exitStatus` set.
std::optional<CommandLineOptions> readCommandLine(int argc, char *argv[], const QString &defaultFeedBaseUrl,
                                                  int &exitStatus);
