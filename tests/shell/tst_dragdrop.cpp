#include "filelist/droppedfiles.h"
#include "shell/filelistview.h"
#include "support/testfiles.h"
#include "support/windowfixture.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

QList<QUrl> fileUrls(const QStringList &paths)
{
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls.append(QUrl::fromLocalFile(path));
    return urls;
}

// What the list does with a drag: whether entering, moving and dropping are accepted.
struct DragOutcome {
    bool enterAccepted;
    bool moveAccepted;
    bool dropAccepted;
    Qt::DropAction dropAction;
};

// Shift asks for a move, as in a file manager.
DragOutcome dragOnto(FileListView &list, const QMimeData &data)
{
    QWidget *viewport = list.viewport();
    const QPoint centre = viewport->rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                          Qt::ShiftModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(centre, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                        Qt::ShiftModifier);
    QCoreApplication::sendEvent(viewport, &move);
    QDropEvent drop(QPointF(centre), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                    Qt::ShiftModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    return {enter.isAccepted(), move.isAccepted(), drop.isAccepted(), drop.dropAction()};
}

} // namespace

class TestDragDrop : public QObject {
    Q_OBJECT

private slots:
    void acceptance_data();
    void acceptance();
    void droppedPathsKeepTheSourceOrder();
    void droppedNamesKeepTheirBytes();
    void drops_data();
    void drops();
    void vanishedItemDoesNotStopTheOthers();
};

void TestDragDrop::acceptance_data()
{
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");

    const QList<QUrl> local{QUrl::fromLocalFile(QStringLiteral("/tmp/a.xml"))};
    QTest::newRow("files") << local << QString() << true;
    QTest::newRow("text") << QList<QUrl>{} << QStringLiteral("/tmp/a.xml") << false;
    QTest::newRow("files-and-text") << local << QStringLiteral("a.xml") << true;
    QTest::newRow("web-link") << QList<QUrl>{QUrl(QStringLiteral("https://example.org/a.xml"))}
                              << QString() << false;
    // A host part naming this machine leaves the path as it is; another machine's file is no
    // file here.
    QTest::newRow("localhost") << QList<QUrl>{QUrl(QStringLiteral("file://localhost/tmp/a.xml"))}
                               << QString() << true;
    QTest::newRow("LOCALHOST") << QList<QUrl>{QUrl(QStringLiteral("file://LOCALHOST/tmp/a.xml"))}
                               << QString() << true;
    QTest::newRow("own-name") << QList<QUrl>{QUrl(
            QStringLiteral("file://%1/tmp/a.xml").arg(QSysInfo::machineHostName()))}
                              << QString() << true;
    QTest::newRow("other-host") << QList<QUrl>{QUrl(
            QStringLiteral("file://elsewhere.example/tmp/a.xml"))}
                                << QString() << false;
}

void TestDragDrop::acceptance()
{
    QFETCH(QList<QUrl>, urls);
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    WindowFixture fixture;
    auto *list = fixture.control<FileListView>("ListView1");
    QSignalSpy dropped(list, &FileListView::filesDropped);
    QMimeData data;
    if (!urls.isEmpty())
        data.setUrls(urls);
    if (!text.isEmpty())
        data.setText(text);

    const DragOutcome outcome = dragOnto(*list, data);
    QCOMPARE(outcome.enterAccepted, accepted);
    QCOMPARE(outcome.moveAccepted, accepted);
    QCOMPARE(outcome.dropAccepted, accepted);
    // Taken as a copy, so a file manager that offered a move never deletes the user's files.
    if (accepted)
        QCOMPARE(outcome.dropAction, Qt::CopyAction);
    QCOMPARE(dropped.size(), accepted ? 1 : 0);
    // The rows come from a queued call once the drop has been answered.
    QCOMPARE(list->rowCount(), 0);
    QTRY_COMPARE(list->rows(),
                 accepted ? QStringList{QStringLiteral("/tmp/a.xml")} : QStringList());
}

void TestDragDrop::droppedPathsKeepTheSourceOrder()
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QStringLiteral("/z/b.xml")),
                  QUrl(QStringLiteral("https://example.org/x")),
                  QUrl::fromLocalFile(QStringLiteral("/a/a b.xml")),
                  QUrl::fromLocalFile(QStringLiteral("/z/b.xml"))});
    QCOMPARE(droppedLocalPaths(&data),
             fileNamesFromPaths({QStringLiteral("/z/b.xml"), QStringLiteral("/a/a b.xml"),
                                 QStringLiteral("/z/b.xml")}));
    QCOMPARE(droppedLocalPaths(nullptr), QList<FileName>{});
}

void TestDragDrop::droppedNamesKeepTheirBytes()
{
    // A name that is not UTF-8 is listed with its own bytes, not as the name of another file.
    QMimeData data;
    data.setUrls({QUrl::fromEncoded("file:///z/a.xml"), QUrl::fromEncoded("file:///z/bad%FF.xml"),
                  QUrl::fromEncoded("file:///z/raw%E9/"),
                  QUrl::fromEncoded("file:///z/caf%C3%A9")});
    QList<QByteArray> bytes;
    for (const FileName &name : droppedLocalPaths(&data))
        bytes.append(name.bytes());
    QCOMPARE(bytes,
             (QList<QByteArray>{"/z/a.xml", "/z/bad\xff.xml", "/z/raw\xe9/", "/z/caf\xc3\xa9"}));
}

void TestDragDrop::drops_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("files") << QStringList{QStringLiteral("c.xml"), QStringLiteral("a.xml"),
                                          QStringLiteral("notes.txt")}
                           << QStringList{QStringLiteral("c.xml"), QStringLiteral("a.xml"),
                                          QStringLiteral("notes.txt")};
    QTest::newRow("same-file-twice")
            << QStringList{QStringLiteral("a.xml"), QStringLiteral("a.xml")}
            << QStringList{QStringLiteral("a.xml"), QStringLiteral("a.xml")};
    QTest::newRow("folder") << QStringList{QStringLiteral("one")}
                            << QStringList{QStringLiteral("one/.hidden"),
                                           QStringLiteral("one/data.xml"),
                                           QStringLiteral("one/notes.txt"),
                                           QStringLiteral("one/README"),
                                           QStringLiteral("one/deep/x.xml"),
                                           QStringLiteral("one/deep/deeper/y.bin")};
    QTest::newRow("folder-and-file")
            << QStringList{QStringLiteral("notes.txt"), QStringLiteral("two"),
                           QStringLiteral("a.xml")}
            << QStringList{QStringLiteral("notes.txt"), QStringLiteral("two/t.xml"),
                           QStringLiteral("a.xml")};
    QTest::newRow("two-folders") << QStringList{QStringLiteral("two"), QStringLiteral("one/deep")}
                                 << QStringList{QStringLiteral("two/t.xml"),
                                                QStringLiteral("one/deep/x.xml"),
                                                QStringLiteral("one/deep/deeper/y.bin")};
    QTest::newRow("folder-inside-folder")
            << QStringList{QStringLiteral("one/deep/deeper"), QStringLiteral("one/deep")}
            << QStringList{QStringLiteral("one/deep/deeper/y.bin"),
                           QStringLiteral("one/deep/x.xml"),
                           QStringLiteral("one/deep/deeper/y.bin")};
}

void TestDragDrop::drops()
{
    QFETCH(QStringList, items);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    const QString root = dir.path();
    makeTree(root,
             {QStringLiteral("a.xml"), QStringLiteral("c.xml"), QStringLiteral("notes.txt"),
              QStringLiteral("one/data.xml"), QStringLiteral("one/notes.txt"),
              QStringLiteral("one/README"), QStringLiteral("one/.hidden"),
              QStringLiteral("one/~data.xml"), QStringLiteral("one/deep/x.xml"),
              QStringLiteral("one/deep/deeper/y.bin"), QStringLiteral("two/t.xml")});
    WindowFixture fixture;
    auto *list = fixture.control<FileListView>("ListView1");
    QStringList paths;
    for (const QString &item : std::as_const(items))
        paths.append(root + u'/' + item);
    QMimeData data;
    data.setUrls(fileUrls(paths));

    QVERIFY(dragOnto(*list, data).dropAccepted);
    QStringList wanted;
    for (const QString &path : std::as_const(expected))
        wanted.append(root + u'/' + path);
    QTRY_COMPARE(list->rows(), wanted);
    QCOMPARE(fixture.dialogs.calls().size(), 0);
}

void TestDragDrop::vanishedItemDoesNotStopTheOthers()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    makeTree(root,
             {QStringLiteral("a.xml"), QStringLiteral("gone/g.xml"), QStringLiteral("kept/k.xml")});
    WindowFixture fixture;
    auto *list = fixture.control<FileListView>("ListView1");
    QMimeData data;
    data.setUrls(fileUrls({root + QStringLiteral("/gone"), root + QStringLiteral("/a.xml"),
                           root + QStringLiteral("/kept")}));
    QVERIFY(dragOnto(*list, data).dropAccepted);
    // The folder vanishes between the drop and the queued handling.
    QVERIFY(QDir(root + QStringLiteral("/gone")).removeRecursively());

    // A dropped path that names nothing is taken as a file, as given.
    QTRY_COMPARE(list->rows(),
                 (QStringList{root + QStringLiteral("/gone"), root + QStringLiteral("/a.xml"),
                              root + QStringLiteral("/kept/k.xml")}));
}

QTEST_MAIN(TestDragDrop)
#include "tst_dragdrop.moc"
