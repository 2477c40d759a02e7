#pragma once

#include <QString>

// Every modal interaction of the program goes through this interface: the window owns the real
// one, tests install a scripted one. Texts keep the program's own line breaks (CR, CR LF).
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A plain message with an OK button and no icon, titled with the application title.
    virtual void message(const QString &text) = 0;

    // A question with Yes and No, no icon, titled with the application title; true for Yes.
    virtual bool question(const QString &text) = 0;

    // The error report: title "Application Error", warning icon, OK only.
    virtual void errorReport(const QString &text) = 0;

    // A one-line input prompt; returns the typed text, or empty text on Cancel.
    virtual QString inputBox(const QString &prompt, const QString &title, const QString &preset)
            = 0;

    // The Open dialog with several files selectable. Returns one full path, or the folder, a NUL
    // and the names separated by NULs; empty text on Cancel. Files picked in several folders at
    // once come back as an empty folder part followed by the full paths (see openFilesResult).
    virtual QString openFiles(const QString &title, const QString &filter) = 0;

    // A folder-only dialog showing the prompt, opened at the start folder when it exists.
    // Returns the chosen folder as the dialog gives it, or empty text on Cancel.
    virtual QString browseForFolder(const QString &prompt, const QString &startFolder) = 0;

    // Shows the folder in the desktop's file manager without waiting for it.
    virtual void openFolder(const QString &path) = 0;
};
