#include "core/nativename.h"
#include "core/settingsstore.h"
#include "shell/form1.h"
#include "shell/informationoptions.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Answered before QApplication, which cannot start without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (const auto answer = informationAnswer(arguments)) {
        std::fputs(answer->toLocal8Bit().constData(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }

    QApplication application(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLMERE_VERSION));
    // --help and --version were answered above; what is left are the paths to add.
    QCommandLineParser parser;
    parser.addPositionalArgument(
            QStringLiteral("PATH"),
            QStringLiteral("XML file to add to the list, or folder whose XML files to add."),
            QStringLiteral("[PATH...]"));
    // Taken from argv as bytes, once Qt has removed its own options: arguments() would turn a
    // name that is not UTF-8 into the name of another file.
    QStringList remaining;
    for (int i = 0; i < argc; ++i)
        remaining.append(decodeNativeName(argv[i]));
    parser.process(remaining);

    SettingsStore settings;
    Form1 window(settings);
    window.Form_Load();
    window.show();
    if (!parser.positionalArguments().isEmpty())
        window.openPaths(parser.positionalArguments());
    return application.exec();
}
