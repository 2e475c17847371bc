// kpfhost --store on every database the module reaches: SQLite, the PostgreSQL test server
// directly (where the module's own session is read-only) and through ODBC. A stored line with
// decimals is deleted by its values and a typed line inserted; the next call shows both changes.
#include "../data/TestDatabase.h"
#include "KpfHostProcess.h"

#include <gtest/gtest.h>

namespace
{

class StoreOn : public ::testing::TestWithParam<Backend>
{
protected:
    void SetUp() override
    {
        KPF_SKIP_WITHOUT_SERVER(GetParam());
        ASSERT_TRUE(host.ready()) << host.setupError().toStdString();
        db = std::make_unique<TestDatabase>(GetParam());
        ASSERT_FALSE(HasFatalFailure());
    }

    KpfHostProcess::Run Run(const QByteArray &script, bool store)
    {
        QStringList extra{QStringLiteral("--connection"), db->ConnectionString()};
        if (store)
            extra << QStringLiteral("--store");
        return host.runDemo(script, extra);
    }

    int Stored(const QString &code) const
    {
        return db->Count(QStringLiteral("SELECT COUNT(*) FROM IMPOSTOREDZ WHERE CDFILIAL = '0001' "
                                        "AND DTREDUCAOZ = '2026-12-02' AND CDIMPOSTO = '%1'")
                             .arg(code));
    }

    static std::string Show(const KpfHostProcess::Run &run)
    {
        return ("stdout:\n" + run.lines.join(QLatin1Char('\n')) + "\nstderr:\n" + run.errors)
            .toStdString();
    }

    KpfHostProcess host;
    std::unique_ptr<TestDatabase> db;
};

TEST_P(StoreOn, DeletedAndTypedLinesAreStoredAndShownByTheNextCall)
{
    ASSERT_EQ(Stored(QStringLiteral("01")), 0);
    // Row 1 of the demo Z reduction's day; the server's order is not fixed, so the packet says
    // which line went.
    const auto first = Run("select 1 CDIMPOSTO\nclick blsMenos\nclick blsMais\n"
                           "type 01\nkey Enter\ntype 7\nkey Enter\ntype 100\nclick blsConfirm\n",
                           true);
    ASSERT_EQ(first.exitCode, 0) << Show(first);
    EXPECT_EQ(first.linesStartingWith(QStringLiteral("STORED")), QStringList{"STORED 1 1"})
        << Show(first);
    QString deleted;
    for (const QJsonObject &row : first.objects(QStringLiteral("ROW "))) {
        if (row.value(QStringLiteral("rowState")).toString() == QLatin1String("deleted"))
            deleted = row.value(QStringLiteral("CDIMPOSTO")).toString();
    }
    ASSERT_FALSE(deleted.isEmpty()) << Show(first);
    EXPECT_EQ(Stored(deleted), 0);
    EXPECT_EQ(Stored(QStringLiteral("01")), 1);

    const auto second = Run("click blsConfirm\n", false);
    ASSERT_EQ(second.exitCode, 0) << Show(second);
    QStringList codes;
    for (const QJsonObject &row : second.objects(QStringLiteral("ROW ")))
        codes << row.value(QStringLiteral("CDIMPOSTO")).toString() + "/" +
                     row.value(QStringLiteral("rowState")).toString();
    codes.sort();
    QStringList expected{"00/original", "01/original", "02/original", "03/original"};
    expected.removeAll(deleted + QStringLiteral("/original"));
    EXPECT_EQ(codes, expected) << Show(second);
}

INSTANTIATE_TEST_SUITE_P(Databases, StoreOn,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL, Backend::ODBC),
                         [](const auto &info) { return BackendName(info.param).toStdString(); });

} // namespace
