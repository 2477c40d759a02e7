#include "core/settingsstore.h"
#include "shell/form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    SettingsStore settings;
    Form1 window(settings);
    window.Form_Load();
    window.show();
    return application.exec();
}
