#include "shell/qtdialogs.h"

#include "filelist/openfilesresult.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
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

// What the user does with the keyboard, the mouse or a drag.
bool isInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
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

QtDialogs::QtDialogs(QWidget *owner) : m_owner(owner)
{
    // Sees the owner's close, and the input to its controls while a dialog is open.
    QCoreApplication::instance()->installEventFilter(this);
}

void QtDialogs::waitForAnswer(QDialog &dialog)
{
    // Closing the owner ends the program, and with it every event loop, a dialog's included.
    // A dialog shown after that would only flash.
    if (m_ownerClosed)
        return;
    // Qt drops the window system's close request (title-bar X, Alt+F4) for a window that a modal
    // dialog blocks, and closing the window must end the program at once. So the dialog is not
    // modal; instead the owner takes no input while it is open (eventFilter()).
    dialog.setWindowModality(Qt::NonModal);
    QEventLoop loop;
    connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    ++m_openDialogs;
    dialog.show();
    loop.exec(QEventLoop::DialogExec);
    --m_openDialogs;
}

bool QtDialogs::eventFilter(QObject *watched, QEvent *event)
{
    // The owner never refuses to close.
    if (watched == m_owner && event->type() == QEvent::Close)
        m_ownerClosed = true;
    if (m_openDialogs == 0 || !isInput(event->type()))
        return false;
    const auto *widget = qobject_cast<const QWidget *>(watched);
    return widget && widget->window() == m_owner;
}

int QtDialogs::pressed(QMessageBox &box)
{
    // Paths and parser messages must show as typed, never as markup.
    box.setTextFormat(Qt::PlainText);
    waitForAnswer(box);
    // No button when the box was not answered.
    return box.standardButton(box.clickedButton());
}

QString displayText(const QString &text)
{
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

void QtDialogs::message(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), displayText(text), QMessageBox::Ok,
                    m_owner);
    pressed(box);
}

bool QtDialogs::question(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), displayText(text),
                    QMessageBox::Yes | QMessageBox::No, m_owner);
    return pressed(box) == QMessageBox::Yes;
}

void QtDialogs::errorReport(const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Application Error"), displayText(text),
                    QMessageBox::Ok, m_owner);
    pressed(box);
}

QString QtDialogs::inputBox(const QString &prompt, const QString &title, const QString &preset)
{
    QInputDialog dialog(m_owner);
    dialog.setWindowTitle(title);
    dialog.setLabelText(displayText(prompt));
    dialog.setTextValue(preset);
    waitForAnswer(dialog);
    return dialog.result() == QDialog::Accepted ? dialog.textValue() : QString();
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
