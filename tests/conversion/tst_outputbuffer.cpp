#include "conversion/walk/outputbuffer.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

// The output buffer hands full buffers to a writer thread and writes values larger than the
// buffer directly: the bytes reach the device in the order they were appended.
class TestOutputBuffer : public QObject {
    Q_OBJECT

private slots:
    void directWriteWaitsForTheWriter();
};

namespace {

// A file whose first write goes out one byte at a time, so that the writer thread is still
// busy with it when the next bytes arrive.
class SlowStartFile final : public QFile {
public:
    using QFile::QFile;

protected:
    qint64 writeData(const char *data, qint64 size) override
    {
        if (m_firstWriteDone)
            return QFile::writeData(data, size);
        for (qint64 i = 0; i < size; ++i) {
            if (QFile::writeData(data + i, 1) != 1)
                return i > 0 ? i : -1;
            std::this_thread::yield();
        }
        m_firstWriteDone = true;
        return size;
    }

private:
    bool m_firstWriteDone = false;
};

void appendAll(OutputBuffer &buffer)
{
    // Nearly fills the buffer, then a value many times its size follows: the full buffer goes
    // to the writer thread (slowly) and the value must wait for it.
    for (int i = 0; i < 100; ++i)
        buffer.append("line " + std::to_string(i) + "\r\n");
    const std::string large(20000, 'L');
    buffer.append(large);
    buffer.append("end\r\n");
}

} // namespace

void TestOutputBuffer::directWriteWaitsForTheWriter()
{
    constexpr std::size_t capacity = 1024;
    QBuffer memory;
    QVERIFY(memory.open(QIODevice::WriteOnly));
    {
        OutputBuffer buffer(&memory, capacity);
        appendAll(buffer);
        QVERIFY(buffer.flush());
    }

    QTemporaryDir folder;
    SlowStartFile file(folder.filePath(QStringLiteral("out.csv")));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    {
        OutputBuffer buffer(&file, capacity);
        appendAll(buffer);
        QVERIFY(buffer.flush());
    }
    file.close();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), memory.data());
}

QTEST_GUILESS_MAIN(TestOutputBuffer)
#include "tst_outputbuffer.moc"
