#pragma once

#include "core/settingsstore.h"
#include "shell/form1.h"
#include "support/scripteddialogs.h"

#include <QTemporaryDir>

class QRadioButton;

// A main window whose settings live in a file in a temporary folder and whose dialogs are
// scripted. Create one per test function, on the stack.
class WindowFixture {
public:
    WindowFixture();

    // The control with the given object name, or a failed test when there is none.
    template<typename Control> Control *control(const char *name)
    {
        auto *found = window.findChild<Control *>(QLatin1String(name));
        if (!found)
            failMissing(name);
        return found;
    }

    // The settings file's path, to prepare it before Form_Load.
    QString settingsFile() const { return settings.filePath(); }

    // The settings file as it lies on disk once the store has written what it holds: the keys of
    // the section "Quillmere" in the order they stand there, and a key's value.
    QStringList storedKeys();
    QString storedValue(const QString &key);

    QTemporaryDir configFolder;
    SettingsStore settings;
    ScriptedDialogs dialogs;
    Form1 window;

private:
    void flushSettings();
    static void failMissing(const char *name);
};

// Leaves the option's group with nothing selected, as a stored "False" for every key can.
void clearGroupOf(QRadioButton *option);
