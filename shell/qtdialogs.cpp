#include "shell/qtdialogs.h"

#include "filelist/openfilesresult.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>
#include <QWindow>

namespace {

QString applicationTitle()
{
    return QCoreApplication::applicationName();
}

int showBox(QWidget *owner, QMessageBox::Icon icon, const QString &title, const QString &text,
            QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, title, displayText(text), buttons, owner);
    // Paths and parser messages must show as typed, never as markup.
    box.setTextFormat(Qt::PlainText);
    return box.exec();
}

// Qt's file dialogs write their history and last folder to "QtProject.conf" when they are
// destroyed. The program keeps no file of its own but its settings, so each kind of file dialog
// is made once and never destroyed: kept alive, it remembers its folder for the session only.
QFileDialog &sessionDialog(QFileDialog::FileMode mode)
{
    static QFileDialog *const filesDialog = new QFileDialog;
    static QFileDialog *const folderDialog = new QFileDialog;
    QFileDialog &dialog = mode == QFileDialog::Directory ? *folderDialog : *filesDialog;
    dialog.setFileMode(mode);
    return dialog;
}

// Runs the dialog over the owner's window. The owner is not its parent, which would destroy it
// with the window.
bool execOver(QWidget *owner, QFileDialog &dialog)
{
    dialog.setWindowModality(Qt::ApplicationModal);
    if (owner) {
        dialog.winId();
        owner->window()->winId();
        dialog.windowHandle()->setTransientParent(owner->window()->windowHandle());
    }
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

QString displayText(const QString &text)
{
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

void QtDialogs::message(const QString &text)
{
    showBox(m_owner, QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok);
}

bool QtDialogs::question(const QString &text)
{
    return showBox(m_owner, QMessageBox::NoIcon, applicationTitle(), text,
                   QMessageBox::Yes | QMessageBox::No)
            == QMessageBox::Yes;
}

void QtDialogs::errorReport(const QString &text)
{
    showBox(m_owner, QMessageBox::Warning, QStringLiteral("Application Error"), text,
            QMessageBox::Ok);
}

QString QtDialogs::inputBox(const QString &prompt, const QString &title, const QString &preset)
{
    QInputDialog dialog(m_owner);
    dialog.setWindowTitle(title);
    dialog.setLabelText(displayText(prompt));
    dialog.setTextValue(preset);
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

QString QtDialogs::openFiles(const QString &title, const QString &filter)
{
    QFileDialog &dialog = sessionDialog(QFileDialog::ExistingFiles);
    dialog.setWindowTitle(title);
    dialog.setNameFilter(filter);
    // No name buffer to overflow: any number of files comes back.
    return execOver(m_owner, dialog) ? openFilesResult(dialog.selectedFiles()) : QString();
}

QString QtDialogs::browseForFolder(const QString &prompt, const QString &startFolder)
{
    QFileDialog &dialog = sessionDialog(QFileDialog::Directory);
    dialog.setWindowTitle(prompt);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setLabelText(QFileDialog::LookIn, prompt);
    // The start folder is shown selected inside its parent; a missing one leaves the dialog at
    // its default position. A trailing separator would make the folder its own parent.
    const QString start = QDir::cleanPath(QDir::fromNativeSeparators(startFolder));
    if (!startFolder.isEmpty() && QFileInfo(start).isDir()) {
        const QFileInfo info(start);
        dialog.setDirectory(info.isRoot() ? start : info.absolutePath());
        if (!info.isRoot())
            dialog.selectFile(info.absoluteFilePath());
    }
    if (!execOver(m_owner, dialog) || dialog.selectedFiles().isEmpty())
        return {};
    return QDir::toNativeSeparators(dialog.selectedFiles().front());
}

void QtDialogs::openFolder(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
