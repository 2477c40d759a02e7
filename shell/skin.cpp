#include "shell/skin.h"

#include "core/applicationfolder.h"
#include "core/failure.h"
#include "core/pathhelpers.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QRadioButton>
#include <QStringDecoder>
#include <QWidget>

namespace Main {

namespace {

// Qt reports a style sheet it cannot parse only as a warning, when a widget using it is
// polished; the warning is the one sign of a broken skin.
bool parseWarningSeen = false;
QtMessageHandler previousHandler = nullptr;

void watchForParseWarning(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.contains(QLatin1String("Could not parse"))) {
        parseWarningSeen = true;
        return;
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

bool styleSheetParses(const QString &styleSheet)
{
    QWidget probe;
    probe.setStyleSheet(styleSheet);
    parseWarningSeen = false;
    previousHandler = qInstallMessageHandler(watchForParseWarning);
    probe.ensurePolished();
    qInstallMessageHandler(previousHandler);
    previousHandler = nullptr;
    return !parseWarningSeen;
}

// The face comes with the text colour the desktop theme draws on it, so a control's text stays
// readable on a dark face as on a light one.
void setFaceColour(QWidget &widget, const QColor &face, const QColor &text)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, face);
    palette.setColor(QPalette::WindowText, text);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

bool takesFaceColour(const QWidget *widget)
{
    return qobject_cast<const QRadioButton *>(widget) || qobject_cast<const QCheckBox *>(widget)
            || qobject_cast<const QGroupBox *>(widget) || qobject_cast<const QLabel *>(widget);
}

} // namespace

QString skinFilePath()
{
    const QChar separator = pathSeparator();
    return applicationFolder() + separator + QStringLiteral("x") + separator
            + QStringLiteral("o.cjs");
}

QString loadSkin(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Cannot load the skin %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Failure(QStringLiteral("Cannot load the skin %1: %2").arg(path, file.errorString()));
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString styleSheet = decoder.decode(bytes);
    if (decoder.hasError())
        throw Failure(QStringLiteral("Cannot load the skin %1: it is not UTF-8 text").arg(path));
    if (!styleSheetParses(styleSheet))
        throw Failure(
                QStringLiteral("Cannot load the skin %1: it is not a valid style sheet").arg(path));
    return styleSheet;
}

void ApplySkin(QWidget &window)
{
    const QString path = skinFilePath();
    if (!QFileInfo(path).isFile())
        return;
    const QColor face = QGuiApplication::palette().color(QPalette::Button);
    const QColor text = QGuiApplication::palette().color(QPalette::ButtonText);
    setFaceColour(window, face, text);
    const QList<QWidget *> children = window.findChildren<QWidget *>();
    for (QWidget *child : children) {
        if (takesFaceColour(child))
            setFaceColour(*child, face, text);
    }
    window.setStyleSheet(loadSkin(path));
}

} // namespace Main
