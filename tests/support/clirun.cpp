#include "support/clirun.h"

#include "cli/runcli.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <cstdio>
#include <ftw.h>

CliRun runCliInMemory(QStringList arguments, const QByteArray &input)
{
    arguments.prepend(QStringLiteral("quillmere-cli"));
    QBuffer in;
    in.setData(input);
    in.open(QIODevice::ReadOnly);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QBuffer err;
    err.open(QIODevice::WriteOnly);
    CliRun result;
    result.status = runCli(arguments, in, out, err);
    result.out = out.data();
    result.err = err.data();
    return result;
}

void CliFolder::setUp()
{
    m_dir.emplace();
    QVERIFY(m_dir->isValid());
    m_previousCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void CliFolder::tearDown()
{
    if (!m_previousCurrent.isEmpty())
        QDir::setCurrent(m_previousCurrent);
    // Removed by the names' bytes: Qt cannot name entries whose names are not UTF-8.
    if (m_dir) {
        ::nftw(
                QFile::encodeName(m_dir->path()).constData(),
                [](const char *path, const struct stat *, int, struct FTW *) {
                    ::remove(path);
                    return 0;
                },
                16, FTW_DEPTH | FTW_PHYS);
    }
    m_dir.reset();
}

QString CliFolder::path(const QString &relative) const
{
    return m_dir->filePath(relative);
}

void CliFolder::writeFile(const QString &relative, const QByteArray &content) const
{
    const QString target = path(relative);
    QVERIFY(QDir().mkpath(QFileInfo(target).absolutePath()));
    QFile file(target);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
    QCOMPARE(file.write(content), content.size());
}

QByteArray CliFolder::readFile(const QString &relative) const
{
    QFile file(path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
