#include "shell/qtdialogs.h"

#include "filelist/openfilesresult.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QSettings>
#include <QUrl>

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

// Qt's file dialogs keep their history, last folder and view in "QtProject.conf" beside the
// user's settings. The program keeps no state of its own but its settings store, so that file is
// placed below /dev/null, where nobody can create it: the failed write leaves the values in
// QSettings' memory, and the dialogs remember them for the session only. The settings store
// names its file itself and is not affected.
void keepFileDialogStateInMemory()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QStringLiteral("/dev/null/session-only"));
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
    keepFileDialogStateInMemory();
    // No name buffer to overflow: any number of files comes back.
    return openFilesResult(QFileDialog::getOpenFileNames(m_owner, title, QString(), filter));
}

QString QtDialogs::browseForFolder(const QString &prompt, const QString &startFolder)
{
    keepFileDialogStateInMemory();
    QFileDialog dialog(m_owner, prompt);
    dialog.setFileMode(QFileDialog::Directory);
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
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return QDir::toNativeSeparators(dialog.selectedFiles().front());
}

void QtDialogs::openFolder(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
