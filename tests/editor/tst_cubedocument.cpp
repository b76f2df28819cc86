#include "core/CubeEdits.h"
#include "core/CubeFile.h"
#include "core/CubeModel.h"
#include "core/Settings.h"
#include "editor/CubeDocument.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <QUndoStack>

using namespace TestPictures;

// The cube as a document, without a window: its file, its unsaved changes
// and their recovery copy.
class TestCubeDocument : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void saveMakesTheCubeUnchangedUntilItChanges();
    void openTakesTheDocumentAndLeavesNothingToUndo();
    void openThatFailsLeavesTheCube_data();
    void openThatFailsLeavesTheCube();
    void failedSaveKeepsTheChanges();
    void recentCubesLatestFirst();
    void recoveryCopyFollowsUnsavedChanges();
    void recoverTakesTheChangesUnsaved();

private:
    void change(int face, const QString &photo);

    QScopedPointer<TestEnvironment> m_env;
    QScopedPointer<CubeModel> m_cube;
    QScopedPointer<QUndoStack> m_undo;
    QScopedPointer<CubeDocument> m_document;
    QString m_photo;
};

void TestCubeDocument::init()
{
    m_env.reset(new TestEnvironment);
    m_cube.reset(new CubeModel);
    m_undo.reset(new QUndoStack);
    m_document.reset(new CubeDocument(*m_cube, *m_undo));
    m_photo = WriteFile(m_env->path(QStringLiteral("photos/beach day.jpg")), Encode(Solid(QSize(40, 30), Qt::red), "jpeg"));
}

void TestCubeDocument::cleanup()
{
    m_document.reset();
    m_env.reset();
}

void TestCubeDocument::change(int face, const QString &photo)
{
    m_undo->push(new FaceEdit(*m_cube, face, CubeFace::Photo(photo), face, QStringLiteral("Insert Photo")));
}

void TestCubeDocument::saveMakesTheCubeUnchangedUntilItChanges()
{
    QCOMPARE(m_document->DisplayName(), QStringLiteral("Untitled"));
    QVERIFY(!m_document->IsModified());
    QSignalSpy title(m_document.data(), &CubeDocument::titleChanged);
    change(0, m_photo);
    QVERIFY(m_document->IsModified());
    QVERIFY(!title.isEmpty());

    const QString path = m_env->path(QStringLiteral("cubes/Sommer ü.vexilo"));
    QDir().mkpath(QFileInfo(path).path());
    QString reason;
    QVERIFY(m_document->SaveAs(path, &reason));
    QVERIFY(!m_document->IsModified());
    QCOMPARE(m_document->Path(), path);
    QCOMPARE(m_document->DisplayName(), QStringLiteral("Sommer ü.vexilo"));
    QVERIFY(CubeFile::Load(path).content == m_cube->Content());

    m_undo->undo();
    QVERIFY(m_document->IsModified());
    m_undo->redo();
    QVERIFY(!m_document->IsModified());
}

void TestCubeDocument::openTakesTheDocumentAndLeavesNothingToUndo()
{
    CubeContent content;
    content.faces[3] = CubeFace::Photo(m_photo);
    content.caption = QStringLiteral("Trip");
    const QString path = m_env->path(QStringLiteral("trip.vexilo"));
    QVERIFY(CubeFile::Save(content, path));
    change(1, m_photo);
    m_cube->SetCurrentFace(4);

    QCOMPARE(m_document->Open(path).status, CubeFile::Status::Read);
    QVERIFY(m_cube->Content() == content);
    QCOMPARE(m_cube->CurrentFace(), 0);
    QVERIFY(m_cube->FaceChanged(1));
    QCOMPARE(m_undo->count(), 0);
    QVERIFY(!m_document->IsModified());
    QCOMPARE(m_document->Path(), path);
}

void TestCubeDocument::openThatFailsLeavesTheCube_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status");
    QTest::newRow("damaged") << QByteArray("{\"format\": \"vexilo-cube\", \"version\": 1, \"faces\": [") << int(CubeFile::Status::Damaged);
    QTest::newRow("newer") << QByteArray("{\"format\": \"vexilo-cube\", \"version\": 99, \"faces\": []}")
                           << int(CubeFile::Status::TooNew);
    QTest::newRow("missing") << QByteArray() << int(CubeFile::Status::Unreadable);
}

void TestCubeDocument::openThatFailsLeavesTheCube()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    const QString path = m_env->path(QStringLiteral("other.vexilo"));
    if (!bytes.isEmpty())
        WriteFile(path, bytes);
    change(2, m_photo);
    const CubeContent before = m_cube->Content();
    QCOMPARE(int(m_document->Open(path).status), status);
    QVERIFY(m_cube->Content() == before);
    QCOMPARE(m_undo->count(), 1);
    QCOMPARE(m_document->Path(), QString());
}

void TestCubeDocument::failedSaveKeepsTheChanges()
{
    change(0, m_photo);
    const QString blocker = WriteFile(m_env->path(QStringLiteral("plainfile")), "x");
    QString reason;
    QVERIFY(!m_document->SaveAs(blocker + QStringLiteral("/cube.vexilo"), &reason));
    QVERIFY(!reason.isEmpty());
    QVERIFY(m_document->IsModified());
    QCOMPARE(m_document->Path(), QString());
}

void TestCubeDocument::recentCubesLatestFirst()
{
    QStringList saved;
    for (int i = 0; i < Settings::RecentCubeCount + 2; ++i) {
        saved.prepend(m_env->path(QStringLiteral("cube%1.vexilo").arg(i)));
        QVERIFY(m_document->SaveAs(saved.constFirst(), nullptr));
    }
    QVERIFY(m_document->SaveAs(saved.at(2), nullptr));
    QStringList expected = saved.mid(0, Settings::RecentCubeCount);
    expected.move(2, 0);
    QCOMPARE(Settings::recentCubes(), expected);
}

void TestCubeDocument::recoveryCopyFollowsUnsavedChanges()
{
    QVERIFY(!CubeDocument::HasRecovery());
    change(5, m_photo);
    QTRY_VERIFY_WITH_TIMEOUT(CubeDocument::HasRecovery(), CubeDocument::RecoveryDelayMs * 3);
    QVERIFY(CubeFile::Load(CubeDocument::RecoveryFile()).content == m_cube->Content());
    // Back to the saved state, nothing is left to recover.
    m_undo->undo();
    QVERIFY(!CubeDocument::HasRecovery());
    change(5, m_photo);
    QVERIFY(m_document->SaveAs(m_env->path(QStringLiteral("kept.vexilo")), nullptr));
    QTest::qWait(CubeDocument::RecoveryDelayMs + 500);
    QVERIFY(!CubeDocument::HasRecovery());
}

void TestCubeDocument::recoverTakesTheChangesUnsaved()
{
    const QString path = m_env->path(QStringLiteral("trip.vexilo"));
    QVERIFY(m_document->SaveAs(path, nullptr));
    change(1, m_photo);
    m_cube->SetCaption(QStringLiteral("Unsaved"));
    const CubeContent unsaved = m_cube->Content();
    QTRY_VERIFY_WITH_TIMEOUT(CubeDocument::HasRecovery(), CubeDocument::RecoveryDelayMs * 3);

    // The next start, after a kill.
    CubeModel cube;
    QUndoStack undo;
    CubeDocument document(cube, undo);
    QCOMPARE(document.Recover().status, CubeFile::Status::Read);
    QVERIFY(cube.Content() == unsaved);
    QVERIFY(document.IsModified());
    QCOMPARE(document.Path(), path);
    undo.undo();
    QVERIFY(cube.Content() == CubeContent());
    CubeDocument::DiscardRecovery();
    QVERIFY(!CubeDocument::HasRecovery());
}

QTEST_MAIN(TestCubeDocument)
#include "tst_cubedocument.moc"
