// The SQLite database goes away or is locked by someone else at each point of a call: before the
// connection, during the loading, during a code check and just before Confirm. The operator gets
// one clear message, the typed line stays as typed, and Confirm, once the database is back,
// returns exactly what was on the screen.
#include "ReliabilityFixture.h"

#include "Cli_Kpf05520.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

namespace
{

class DatabaseFault : public ReliabilityFixture
{
protected:
    void TearDown() override
    {
        Unlock();
        ReliabilityFixture::TearDown();
    }

    // Another program holds the database exclusively: every read of the module fails (after the
    // driver's busy wait).
    void Lock()
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), LockName());
        db.setDatabaseName(DatabasePath());
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
        ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
        QSqlQuery query(db);
        ASSERT_TRUE(query.exec(QStringLiteral("BEGIN EXCLUSIVE")))
            << query.lastError().text().toStdString();
    }
    void Unlock()
    {
        if (!QSqlDatabase::contains(LockName()))
            return;
        {
            QSqlDatabase db = QSqlDatabase::database(LockName());
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            db.close();
        }
        QSqlDatabase::removeDatabase(LockName());
    }
    static QString LockName() { return QStringLiteral("reliability-locker"); }

    static QList<QVariantMap> Kept(const QList<QVariantMap> &packetRows)
    {
        QList<QVariantMap> kept;
        for (const QVariantMap &row : packetRows)
            if (row.value(QStringLiteral("rowState")).toInt() != 2)
                kept << row;
        return kept;
    }
};

TEST_F(DatabaseFault, FileRemovedBeforeTheConnection)
{
    ASSERT_TRUE(QFile::remove(DatabasePath()));
    const QString error = FailedEntryText();
    EXPECT_TRUE(error.contains(QStringLiteral("não existe"))) << error.toStdString();
    EXPECT_FALSE(ActionRan());
    EXPECT_FALSE(QFile::exists(DatabasePath())) << "an empty database was made in its place";
    ExpectNothingLeft();
    ExpectNoSecret({error});
}

TEST_F(DatabaseFault, FileDamagedBeforeTheConnection)
{
    QFile file(DatabasePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray(8192, 'x'));
    file.close();
    int shownRows = -1;
    const QString error =
        FailedEntryText([&](TfrmImpost &form) { shownRows = Rows(form).size(); }, StoredDay());
    // Either the connection refuses it or the loading does: one text, never both, never silence.
    EXPECT_EQ(messages.size() + errors.size() + (error.isEmpty() ? 0 : 1), 1)
        << error.toStdString() << " " << Shown().toStdString();
    EXPECT_LE(shownRows, 0) << "rows shown from a damaged file";
    ExpectNothingLeft();
    ExpectNoSecret({error});
}

TEST_F(DatabaseFault, LockedDuringTheLoadingThenBack)
{
    Lock();
    ASSERT_FALSE(HasFatalFailure());
    QStringList onScreen;
    QStringList shownWhileLocked;
    const Variant result = RunEntry(
        [&](TfrmImpost &form) {
            shownWhileLocked = messages + errors;
            EXPECT_TRUE(Rows(form).isEmpty()) << "rows shown although the loading failed";
            Unlock();
            Play(QStringLiteral("reactivate")); // the next activation loads again
            EXPECT_EQ(Rows(form).size(), 3) << Shown().toStdString();
            TypeLine();
            onScreen = Texts(Rows(form));
            Play(QStringLiteral("click blsConfirm"));
        },
        StoredDay());
    ASSERT_EQ(shownWhileLocked.size(), 1) << Shown().toStdString();
    EXPECT_TRUE(shownWhileLocked.first().contains(QStringLiteral("getImpRedZ")))
        << shownWhileLocked.first().toStdString();
    ASSERT_TRUE(result.isPacket());
    EXPECT_EQ(Texts(Kept(PacketRows(result))), onScreen);
    EXPECT_EQ(onScreen.size(), 4);
    EXPECT_TRUE(onScreen.contains(QStringLiteral("04 25 80"))) << onScreen.join('|').toStdString();
    ExpectNoSecret();
}

TEST_F(DatabaseFault, LockedDuringACodeCheck)
{
    QStringList typed;
    QStringList onScreen;
    int fieldAfterFault = -1;
    const Variant result = RunEntry(
        [&](TfrmImpost &form) {
            Play(QStringLiteral("click blsMais\ntype 04"));
            Lock();
            Play(QStringLiteral("key Enter")); // the code check cannot read IMPOSTO
            typed = Codes(form);
            fieldAfterFault = form.NrCampo();
            ASSERT_EQ(messages.size() + errors.size(), 1) << Shown().toStdString();
            Unlock();
            Play(QStringLiteral("key Enter\ntype 25\nkey Enter\ntype 80"));
            onScreen = Texts(Rows(form));
            Play(QStringLiteral("click blsConfirm"));
        },
        StoredDay());
    EXPECT_TRUE(typed.contains(QStringLiteral("04"))) << typed.join('|').toStdString();
    EXPECT_EQ(fieldAfterFault, 1) << "the editor left the code field";
    ASSERT_EQ(messages.size() + errors.size(), 1) << Shown().toStdString();
    EXPECT_TRUE((messages + errors).first().contains(QStringLiteral("getPesqImp")));
    ASSERT_TRUE(result.isPacket());
    EXPECT_EQ(Texts(Kept(PacketRows(result))), onScreen);
    EXPECT_EQ(onScreen.size(), 4);
    ExpectNoSecret();
}

TEST_F(DatabaseFault, LockedJustBeforeConfirm)
{
    QStringList beforeFault;
    QStringList afterFault;
    bool stillShown = false;
    const Variant result = RunEntry(
        [&](TfrmImpost &form) {
            TypeLine();
            beforeFault = Texts(Rows(form));
            Lock();
            Play(QStringLiteral("click blsConfirm")); // the posting's code check fails
            stillShown = form.isVisible();
            afterFault = Texts(Rows(form));
            Unlock();
            Play(QStringLiteral("click blsConfirm"));
        },
        StoredDay());
    EXPECT_TRUE(stillShown) << "Confirm closed the screen although the line was not posted";
    EXPECT_EQ(afterFault, beforeFault) << "the typed line changed";
    ASSERT_EQ(messages.size() + errors.size(), 1) << Shown().toStdString();
    ASSERT_TRUE(result.isPacket());
    EXPECT_EQ(Texts(Kept(PacketRows(result))), beforeFault);
    ExpectNoSecret();
}

TEST_F(DatabaseFault, LockedAtConfirmOfStoredLinesNeedsNoDatabase)
{
    QStringList onScreen;
    const Variant result = RunEntry(
        [&](TfrmImpost &form) {
            onScreen = Texts(Rows(form));
            Lock();
            Play(QStringLiteral("click blsConfirm"));
        },
        StoredDay());
    EXPECT_TRUE(messages.isEmpty() && errors.isEmpty()) << Shown().toStdString();
    ASSERT_TRUE(result.isPacket());
    EXPECT_EQ(Texts(Kept(PacketRows(result))), onScreen);
}

} // namespace
