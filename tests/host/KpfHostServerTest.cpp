#include "../data/TestDatabase.h"
#include "KpfHostProcess.h"

#include <gtest/gtest.h>

namespace
{

// kpfhost pointed with --connection at the test server, directly and through ODBC: the stored
// lines load, a typed line comes back, and a wrong password fails without showing it.
class KpfHostServer : public ::testing::TestWithParam<Backend>
{
protected:
    void SetUp() override
    {
        KPF_SKIP_WITHOUT_SERVER(GetParam());
        ASSERT_TRUE(host.ready()) << host.setupError().toStdString();
        db = std::make_unique<TestDatabase>(GetParam());
        ASSERT_FALSE(HasFatalFailure());
    }

    static std::string show(const KpfHostProcess::Run &run)
    {
        return ("stdout:\n" + run.lines.join(QLatin1Char('\n')) + "\nstderr:\n" + run.errors)
            .toStdString();
    }

    KpfHostProcess host;
    std::unique_ptr<TestDatabase> db;
};

TEST_P(KpfHostServer, TypedLineComesBackBesideTheStoredOnes)
{
    const auto run =
        host.runDemo("type 02\nkey Enter\ntype 12\nkey Enter\ntype 50\nclick blsConfirm\n",
                     {QStringLiteral("--connection"), db->ConnectionString()});
    ASSERT_EQ(run.exitCode, 0) << show(run);
    QStringList codes;
    for (const QJsonObject &row : run.objects(QStringLiteral("ROW ")))
        codes.append(row.value("CDIMPOSTO").toString() + "/" + row.value("rowState").toString());
    codes.sort();
    EXPECT_EQ(codes, (QStringList{"00/original", "02/inserted", "02/original", "03/original"}))
        << show(run);
}

TEST_P(KpfHostServer, WrongPasswordFailsWithoutShowingIt)
{
    const ServerSettings server = ServerSettings::FromEnvironment();
    const QString wrong = QStringLiteral("wrong-") + server.password;
    QString connection = db->ConnectionString();
    connection.replace(QStringLiteral("Password=") + server.password,
                       QStringLiteral("Password=") + wrong);
    ASSERT_TRUE(connection.contains(wrong));
    const auto run = host.runDemo("close\n", {QStringLiteral("--connection"), connection});
    EXPECT_EQ(run.exitCode, 1) << show(run);
    EXPECT_EQ(run.linesStartingWith(QStringLiteral("FAILED ")).size(), 1) << show(run);
    const QString everything = run.lines.join(QLatin1Char('\n')) + run.errors;
    EXPECT_FALSE(everything.contains(wrong)) << show(run);
    EXPECT_FALSE(everything.contains(server.password)) << show(run);
}

INSTANTIATE_TEST_SUITE_P(Servers, KpfHostServer,
                         ::testing::Values(Backend::PostgreSQL, Backend::ODBC),
                         [](const auto &info) { return BackendName(info.param).toStdString(); });

} // namespace
