#include "core/settingsstore.h"
#include "shell/form1.h"
#include "shell/informationoptions.h"

#include <QApplication>

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
    SettingsStore settings;
    Form1 window(settings);
    window.Form_Load();
    window.show();
    return application.exec();
}
