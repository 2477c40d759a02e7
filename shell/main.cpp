#include "core/settingsstore.h"
#include "shell/form1.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLMERE_VERSION));
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
            QStringLiteral("PATH"),
            QStringLiteral("XML file to add to the list, or folder whose XML files to add."),
            QStringLiteral("[PATH...]"));
    parser.process(application);

    SettingsStore settings;
    Form1 window(settings);
    window.Form_Load();
    window.show();
    if (!parser.positionalArguments().isEmpty())
        window.openPaths(parser.positionalArguments());
    return application.exec();
}
