#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

// What one run of the command line gave back: its exit status and what it wrote to each stream.
struct CliRun {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the command line as "quillmere-cli" with the arguments, reading the input as its standard
// input and collecting its standard output and error in memory.
CliRun runCliInMemory(QStringList arguments, const QByteArray &input = {});

// A fresh temporary folder made the current folder between setUp() (from a test's init()) and
// tearDown() (from its cleanup()). A failure to set up fails the test.
class CliFolder final {
public:
    void setUp();
    void tearDown();

    // The path of a file named relative to the folder; the folder itself without a name.
    QString path(const QString &relative = {}) const;
    // Writes the file named relative to the folder, making its folders; a failure fails the test.
    void writeFile(const QString &relative, const QByteArray &content) const;
    // The content of the file named relative to the folder, or "<missing>" when it cannot be read.
    QByteArray readFile(const QString &relative) const;

private:
    std::optional<QTemporaryDir> m_dir;
    QString m_previousCurrent;
};
