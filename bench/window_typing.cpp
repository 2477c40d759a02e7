// Types into the window's output folder box as a user does, key by key at a steady pace with the
// event loop running between the keys, while the settings file also holds a large section of
// another program. Prints how often the settings file was written, the window's close included,
// and the CPU seconds the program spent; exits with 1 when the file does not end up holding the
// typed text.
#include "core/settingsstore.h"
#include "shell/form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <cstdio>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) {
        return double(t.tv_sec) + t.tv_usec / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Every write replaces the file by a new one, which has an inode of its own.
ino_t inodeOf(const QString &path)
{
    struct stat status { };
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

void waitMs(qint64 ms)
{
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(qMax<qint64>(0, ms)), &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (argc != 4) {
        std::fputs("usage: window_typing SETTINGS_KIB KEYS KEYS_PER_SECOND\n", stderr);
        return 2;
    }
    const qint64 settingsBytes = QByteArray(argv[1]).toLongLong() * 1024;
    const int keys = QByteArray(argv[2]).toInt();
    const qint64 keyMs = 1000 / QByteArray(argv[3]).toInt();

    QTemporaryDir config;
    const QString file = config.filePath(QStringLiteral("Velmora.conf"));
    QFile other(file);
    if (!other.open(QIODevice::WriteOnly))
        return 1;
    other.write("[Elsewhere]\n");
    for (int n = 0; other.size() < settingsBytes; ++n)
        other.write(QStringLiteral("key%1=%2\n").arg(n).arg(QString(100, u'v')).toUtf8());
    other.close();

    SettingsStore settings(file);
    Form1 window(settings);
    window.show();
    while (!window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    auto *folderBox = window.findChild<QLineEdit *>(QStringLiteral("Text1"));
    folderBox->setFocus();

    int writes = 0;
    ino_t inode = inodeOf(file);
    const auto countWrite = [&] {
        if (const ino_t now = inodeOf(file); now != inode) {
            inode = now;
            ++writes;
        }
    };
    const double cpuBefore = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    for (int n = 0; n < keys; ++n) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QCoreApplication::sendEvent(folderBox, &press);
        QCoreApplication::sendEvent(folderBox, &release);
        // The pace leaves at most one write of the file between two looks at it.
        waitMs((n + 1) * keyMs - clock.elapsed());
        countWrite();
    }
    window.close();
    countWrite();
    const double cpu = cpuSeconds() - cpuBefore;

    const QString typed(keys, u'a');
    if (QSettings(file, QSettings::IniFormat).value(QStringLiteral("Quillmere/Text1")) != typed) {
        std::fputs("window_typing: the settings file does not hold the typed text\n", stderr);
        return 1;
    }
    std::printf("%d %.4f\n", writes, cpu);
    return 0;
}
