// kpfhost for the people at the till and behind it: the screen at 200 %, --lang, and --store
// followed by a second call that shows what was stored.
#include "KpfHostProcess.h"

#include <QFile>
#include <QImage>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <gtest/gtest.h>

namespace
{

// The demo Z reduction holds three stored lines on 2026-12-02: codes 00, 02 and 03, in that order.
const QByteArray kNewLine = "type 01\nkey Enter\ntype 7\nkey Enter\ntype 100\nclick blsConfirm\n";
const QByteArray kDeleteSecond = "select 1 CDIMPOSTO\nclick blsMenos\nclick blsConfirm\n";
const QByteArray kDeleteSecondAndAddLine =
    "select 1 CDIMPOSTO\nclick blsMenos\nclick blsMais\n" + kNewLine;
const QByteArray kConfirm = "click blsConfirm\n";

std::string Show(const KpfHostProcess::Run &run)
{
    return ("stdout:\n" + run.lines.join(QLatin1Char('\n')) + "\nstderr:\n" + run.errors)
        .toStdString();
}

class HostForPeople : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(host.ready()) << host.setupError().toStdString(); }

    // Statements on the demo database, separated by ';' at line ends.
    static void Sql(KpfHostProcess &host, const QString &statements)
    {
        const QString name = QUuid::createUuid().toString();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(host.path(QStringLiteral("kpf05520.db")));
            ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
            for (const QString &statement :
                 statements.split(QStringLiteral(";\n"), Qt::SkipEmptyParts)) {
                QSqlQuery query(db);
                EXPECT_TRUE(query.exec(statement))
                    << statement.toStdString() << ": " << query.lastError().text().toStdString();
            }
        }
        QSqlDatabase::removeDatabase(name);
    }

    // The codes stored for the demo Z reduction's day, in the server's order.
    static QStringList StoredCodes(KpfHostProcess &host)
    {
        QStringList codes;
        const QString name = QUuid::createUuid().toString();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(host.path(QStringLiteral("kpf05520.db")));
            EXPECT_TRUE(db.open());
            QSqlQuery query(
                QStringLiteral("SELECT CDIMPOSTO FROM IMPOSTOREDZ WHERE CDFILIAL = '0001' "
                               "AND CDCAIXA = '001' AND DTREDUCAOZ = '2026-12-02'"),
                db);
            while (query.next())
                codes << query.value(0).toString();
        }
        QSqlDatabase::removeDatabase(name);
        return codes;
    }

    static QStringList Codes(const KpfHostProcess::Run &run)
    {
        QStringList codes;
        for (const QJsonObject &row : run.objects(QStringLiteral("ROW ")))
            codes << row.value(QStringLiteral("CDIMPOSTO")).toString();
        return codes;
    }

    KpfHostProcess host;
};

// --- high DPI ------------------------------------------------------------------------------

QImage Screenshot(KpfHostProcess &host, const char *scale)
{
    const QString file = host.path(QStringLiteral("screen-%1.png").arg(QLatin1String(scale)));
    host.environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QLatin1String(scale));
    const auto run = host.runDemo("dump\n", {QStringLiteral("--screenshot"), file});
    EXPECT_EQ(run.exitCode, KpfHostProcess::kNotConfirmed) << Show(run);
    return QImage(file).convertToFormat(QImage::Format_RGB32);
}

// Mean of the largest channel difference per pixel, 0..255.
double MeanDifference(const QImage &a, const QImage &b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                             std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return sum / (double(a.width()) * a.height());
}

TEST_F(HostForPeople, AtTwiceTheScaleTheScreenIsTheSameTwiceAsLargeAndSharper)
{
    const QImage single = Screenshot(host, "1");
    const QImage twice = Screenshot(host, "2");
    ASSERT_EQ(single.size(), QSize(748, 315));
    ASSERT_EQ(twice.size(), QSize(1496, 630));
    const QImage reduced =
        twice.scaled(single.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage enlarged =
        single.scaled(twice.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    // Same layout, colours and glyphs: what remains is anti-aliasing at the edges.
    // (Measured: about 0.9; the layout shifted by 4 pixels gives about 11.)
    constexpr double kSame = 2.5;
    EXPECT_LT(MeanDifference(reduced, single), kSame);
    // Drawn anew at the higher resolution, not the small picture blown up.
    // (Measured: about 1.5; the small picture blown up would give 0.)
    EXPECT_GT(MeanDifference(twice, enlarged), 0.75);
    // The comparison sees a shifted layout.
    EXPECT_GT(MeanDifference(reduced, single.copy(4, 0, 748, 315)), kSame);
}

// --- --lang --------------------------------------------------------------------------------

struct LangCase {
    const char *language;
    const char *message;
};

TEST_F(HostForPeople, LangShowsTheMessagesInThatLanguageAndLeavesThePacketAlone)
{
    const LangCase cases[] = {
        {"pt", "MESSAGE Imposto não cadastrado."},
        {"en", "MESSAGE Tax code not registered."},
        {"es", "MESSAGE Impuesto no registrado."},
    };
    QByteArray portuguese;
    for (const LangCase &c : cases) {
        SCOPED_TRACE(c.language);
        const QString out = host.path(QStringLiteral("out-%1.xml").arg(QLatin1String(c.language)));
        // An unknown code first (one message), then a whole line and Confirm.
        const auto run = host.runDemo(
            "type 99\nkey Enter\nkey Backspace\nkey Backspace\n" + kNewLine,
            {QStringLiteral("--lang"), QLatin1String(c.language), QStringLiteral("--out"), out});
        ASSERT_EQ(run.exitCode, 0) << Show(run);
        EXPECT_EQ(run.linesStartingWith(QStringLiteral("MESSAGE ")),
                  QStringList{QString::fromUtf8(c.message)})
            << Show(run);
        QFile file(out);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray packet = file.readAll();
        if (portuguese.isEmpty())
            portuguese = packet;
        EXPECT_EQ(packet, portuguese);
    }
    const auto bad = host.runDemo(kConfirm, {QStringLiteral("--lang"), QStringLiteral("fr")});
    EXPECT_EQ(bad.exitCode, 2) << Show(bad);
    EXPECT_TRUE(bad.errors.contains(QStringLiteral("--lang must be en, es or pt"))) << Show(bad);
}

// --- --store -------------------------------------------------------------------------------

TEST_F(HostForPeople, StoreThenTheNextCallShowsWhatWasStored)
{
    const auto first = host.runDemo(kNewLine, {QStringLiteral("--store")});
    ASSERT_EQ(first.exitCode, 0) << Show(first);
    EXPECT_EQ(first.linesStartingWith(QStringLiteral("STORED")), QStringList{"STORED 1 0"});

    const auto second = host.runDemo(kDeleteSecond, {QStringLiteral("--store")});
    ASSERT_EQ(second.exitCode, 0) << Show(second);
    EXPECT_EQ(Codes(second), (QStringList{"00", "02", "03", "01"})) << Show(second);
    const QList<QJsonObject> rows = second.objects(QStringLiteral("ROW "));
    ASSERT_EQ(rows.size(), 4);
    // The stored line comes back as it was entered, with the Z reduction's key and its tax.
    EXPECT_EQ(rows[3].value(QStringLiteral("NRECFREDZ")).toString(), QStringLiteral("000123"));
    EXPECT_EQ(rows[3].value(QStringLiteral("VRALIQIMPRZ")).toDouble(), 7.0);
    EXPECT_EQ(rows[3].value(QStringLiteral("VRBCALCIMPRZ")).toDouble(), 100.0);
    EXPECT_EQ(rows[3].value(QStringLiteral("VRIMPOSTORZ")).toDouble(), 7.0);
    EXPECT_EQ(second.linesStartingWith(QStringLiteral("STORED")), QStringList{"STORED 0 1"});

    const auto third = host.runDemo(kConfirm);
    ASSERT_EQ(third.exitCode, 0) << Show(third);
    EXPECT_EQ(Codes(third), (QStringList{"00", "03", "01"})) << Show(third);
}

struct StoreFailure {
    const char *name;
    const char *setupSql;
    QByteArray script;
    const char *reasonPart;
    QStringList storedAfter;
};

TEST_F(HostForPeople, AFailingStoreRollsEverythingBackAndSaysWhy)
{
    const QStringList demo{"00", "02", "03"};
    const StoreFailure cases[] = {
        {"insert_refused_after_a_deletion",
         "CREATE TRIGGER refuse BEFORE INSERT ON IMPOSTOREDZ BEGIN SELECT RAISE(ABORT, "
         "'no new lines today'); END",
         kDeleteSecondAndAddLine, "no new lines today", demo},
        {"deleted_line_no_longer_stored",
         "CREATE TRIGGER keep BEFORE DELETE ON IMPOSTOREDZ BEGIN SELECT RAISE(IGNORE); END",
         kDeleteSecondAndAddLine, "corresponde a 0 linhas gravadas", demo},
        {"deleted_line_stored_twice",
         "CREATE TABLE T AS SELECT * FROM IMPOSTOREDZ;\nDROP TABLE IMPOSTOREDZ;\n"
         "ALTER TABLE T RENAME TO IMPOSTOREDZ;\n"
         "INSERT INTO IMPOSTOREDZ SELECT * FROM IMPOSTOREDZ WHERE CDIMPOSTO = '03' AND "
         "DTREDUCAOZ = '2026-12-02'",
         "select 2 CDIMPOSTO\nclick blsMenos\nclick blsMais\n" + kNewLine,
         "corresponde a 2 linhas gravadas", QStringList{"00", "02", "03", "03"}},
    };
    for (const StoreFailure &c : cases) {
        SCOPED_TRACE(c.name);
        KpfHostProcess fresh;
        ASSERT_TRUE(fresh.ready()) << fresh.setupError().toStdString();
        Sql(fresh, QString::fromUtf8(c.setupSql));
        const auto run = fresh.runDemo(c.script, {QStringLiteral("--store")});
        EXPECT_EQ(run.exitCode, 1) << Show(run);
        const QStringList failed = run.linesStartingWith(QStringLiteral("STORE FAILED "));
        ASSERT_EQ(failed.size(), 1) << Show(run);
        EXPECT_TRUE(failed[0].contains(QString::fromUtf8(c.reasonPart))) << Show(run);
        EXPECT_TRUE(run.linesStartingWith(QStringLiteral("STORED")).isEmpty()) << Show(run);
        EXPECT_EQ(StoredCodes(fresh), c.storedAfter);
    }
}

TEST_F(HostForPeople, NothingIsStoredForAnUnassignedResult)
{
    // The script ends without Confirm: kpfhost closes the screen and the result is unassigned.
    Sql(host, QStringLiteral("CREATE TRIGGER refuse BEFORE DELETE ON IMPOSTOREDZ BEGIN SELECT "
                             "RAISE(ABORT, 'written'); END"));
    const auto run =
        host.runDemo("select 1 CDIMPOSTO\nclick blsMenos\n", {QStringLiteral("--store")});
    EXPECT_EQ(run.exitCode, KpfHostProcess::kNotConfirmed) << Show(run);
    EXPECT_EQ(run.linesStartingWith(QStringLiteral("RESULT")), QStringList{"RESULT UNASSIGNED"});
    EXPECT_TRUE(run.linesStartingWith(QStringLiteral("STORE")).isEmpty()) << Show(run);
    EXPECT_EQ(StoredCodes(host), (QStringList{"00", "02", "03"}));
}

} // namespace
