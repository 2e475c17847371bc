// The two ways out of the screen and the packet that Confirm hands back.
#include "EditingFixture.h"

#include "Cli_Kpf05520.h"
#include "Geralkvr.h"
#include "TClientDataSet.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace
{

using Case = EditingFixture::ScreenCase;

class ConfirmAndCancel : public EditingFixture, public ::testing::WithParamInterface<Case>
{
};

TEST_P(ConfirmAndCancel, ResultAsTheOperatorLeftIt)
{
    RunCase(GetParam());
}

// clang-format off
const Case kExitCases[] = {
    // In browse state nothing is checked: with IMPOSTO gone any lookup would show its error.
    {.name = "ConfirmInBrowseChecksNothing", .stored = true, .setupSql = "DROP TABLE IMPOSTO",
     .steps = "click blsConfirm", .closed = 1, .packet = "0 01 7 100 7; 0 03 18 1000 180"},
    {.name = "ConfirmEmptyList", .steps = "click blsConfirm", .closed = 1, .packet = ""},
    {.name = "ConfirmPostsPendingLine", .stored = true,
     .steps = "keypad 0 4 Enter 2 5 Enter 8 0\nclick blsConfirm", .closed = 1,
     .packet = "0 01 7 100 7; 0 03 18 1000 180; 4 04 25 80 20"},
    {.name = "ConfirmIncompleteThenComplete",
     .steps = "keypad 0 2\nclick blsConfirm\nkeypad 1 2\nclick blsConfirm\nkeypad 5 0 0\n"
     "click blsConfirm",
     .trace = "1 1 2 2 2 3 3 3 3 3", .messages = "Alíquota não informada.|Valor não informado.",
     .closed = 1, .packet = "4 02 12 500 60"},
    {.name = "ConfirmUntouchedNewLineIsRefused", .steps = "keypad +\nclick blsConfirm", .state = 3,
     .messages = "Imposto deve ser informado.", .closed = 0},
    {.name = "CancelAfterAddingLines", .stored = true,
     .steps = "keypad 0 4 Enter 2 5 Enter 8 0 + -\nclick blsCancel", .closed = 1,
     .unassigned = true},
    {.name = "CancelWithPendingLine", .steps = "keypad 0 4 Enter 2 5\nclick blsCancel", .closed = 1,
     .unassigned = true},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Editing, ConfirmAndCancel, ::testing::ValuesIn(kExitCases), CaseName());

class ChangeLog : public EditingFixture
{
protected:
    // Stored 01 kept, stored 03 removed, 04 added, 06 added and removed again: the packet names
    // exactly these changes, so that the host can apply what the operator did.
    Variant PlayMainCase()
    {
        return RunEntry([&](TfrmImpost &form) {
            Play(QStringLiteral("select %1 CDIMPOSTO").arg(RowOf(form, "03")));
            Play("keypad -");
            Play("keypad 0 4 Enter 2 5 Enter 8 0 +");
            Play("keypad 0 6 Enter 1 Enter 5 0 Proximo");
            ASSERT_GE(RowOf(form, "06"), 0);
            Play(QStringLiteral("select %1 VRALIQIMPRZ").arg(RowOf(form, "06")));
            Play("keypad -\nclick blsConfirm");
            EXPECT_FALSE(form.isVisible());
        });
    }

    void ExpectMainCaseResult(const Variant &result)
    {
        QStringList described = DescribePacket(result);
        described.sort();
        EXPECT_EQ(described, (QStringList{"0 01 7 100 7", "2 03 18 1000 180", "4 04 25 80 20"}));
        for (const QVariantMap &row : PacketRows(result)) {
            EXPECT_EQ(row.value("CDFILIAL").toString(), "0001");
            EXPECT_EQ(row.value("NRECFREDZ").toString(), "0000000123");
            EXPECT_EQ(row.value("DTREDUCAOZ").toDate(), QDate(2026, 12, 7));
        }
        EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join('\n'));
        EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join('\n'));
    }
};

TEST_F(ChangeLog, PacketCarriesTheOperatorsChanges)
{
    ExecSql(kStoredLines);
    ExpectMainCaseResult(PlayMainCase());
}

// A schema of its own on the PostgreSQL test server (scripts/pg-start), with the tables, the demo
// data and the stored lines, dropped again at the end.
class PostgresSchema
{
public:
    PostgresSchema()
        : m_schema(QStringLiteral("kpf_editing_%1").arg(QCoreApplication::applicationPid())),
          m_admin(QStringLiteral("kpf_editing_admin"))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_admin);
        db.setHostName(Env("HOST"));
        db.setPort(Env("PORT").toInt());
        db.setDatabaseName(Env("DB"));
        db.setUserName(Env("USER"));
        db.setPassword(Env("PASSWORD"));
    }
    ~PostgresSchema()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_admin, false);
            if (db.isOpen())
                QSqlQuery(db).exec(
                    QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(m_schema));
            db.close();
        }
        QSqlDatabase::removeDatabase(m_admin);
    }

    static QString Env(const char *name)
    {
        return qEnvironmentVariable((QByteArray("KPF_PG_") + name).constData());
    }

    // Empty when the schema is ready, else the driver's error.
    QString Create(const QString &extraSql)
    {
        QSqlDatabase db = QSqlDatabase::database(m_admin);
        if (!db.isOpen())
            return db.lastError().text();
        QString script =
            QStringLiteral("SET client_min_messages TO warning; DROP SCHEMA IF EXISTS %1 "
                           "CASCADE; CREATE SCHEMA %1; "
                           "SET search_path TO %1;")
                .arg(m_schema);
        for (const char *file : {"/db/schema.sql", "/db/demo.sql"}) {
            QFile sql(QStringLiteral(KPF_SOURCE_DIR) + QLatin1String(file));
            if (!sql.open(QIODevice::ReadOnly))
                return sql.fileName() + QStringLiteral(": ") + sql.errorString();
            script += QString::fromUtf8(sql.readAll()) + QLatin1Char(';');
        }
        script += extraSql;
        script.remove(QRegularExpression(QStringLiteral("--[^\\n]*")));
        for (const QString &statement : script.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            QSqlQuery query(db);
            if (!statement.trimmed().isEmpty() && !query.exec(statement))
                return query.lastError().text() + QStringLiteral("\n") + statement;
        }
        return QString();
    }

    QString ConnectionString() const
    {
        return QStringLiteral("Provider=PostgreSQL;Host=%1;Port=%2;Database=%3;User ID=%4;"
                              "Password=%5;Search Path=%6")
            .arg(Env("HOST"), Env("PORT"), Env("DB"), Env("USER"), Env("PASSWORD"), m_schema);
    }

private:
    QString m_schema;
    QString m_admin;
};

TEST_F(ChangeLog, PacketCarriesTheOperatorsChangesOnPostgreSQL)
{
    if (PostgresSchema::Env("HOST").isEmpty()) {
        if (qEnvironmentVariable("KPF_REQUIRE_PG") == QLatin1String("1"))
            FAIL() << "KPF_PG_HOST is not set: eval \"$(scripts/pg-start)\" first";
        GTEST_SKIP() << "no PostgreSQL test server (eval \"$(scripts/pg-start)\")";
    }
    PostgresSchema schema;
    const QString error = schema.Create(kStoredLines);
    ASSERT_TRUE(error.isEmpty()) << qPrintable(error);
    Geralkvr::SetStringConexKvr(schema.ConnectionString());
    ExpectMainCaseResult(PlayMainCase());
}

// The load failed, so the list never opened and the operator typed nothing: Confirm gives an
// empty packet of the tax-line fields, which says that nothing changed.
TEST_F(ChangeLog, ConfirmWithoutLoadedListGivesEmptyPacket)
{
    ExecSql("DROP TABLE IMPOSTOREDZ");
    const Variant result = RunEntry([&](TfrmImpost &form) {
        EXPECT_FALSE(form.cdsImpRedZ->Active());
        Play("click blsConfirm");
        EXPECT_FALSE(form.isVisible());
    });
    EXPECT_EQ(messages.size(), 1) << qPrintable(messages.join('\n'));
    ASSERT_TRUE(result.isPacket());
    TClientDataSet packet;
    packet.SetData(result);
    EXPECT_TRUE(packet.IsEmpty());
    QStringList fields;
    for (const auto &field : packet.Fields())
        fields << field->FieldName();
    EXPECT_EQ(fields.join(' '), "CDFILIAL CDCAIXA NRECFREDZ DTREDUCAOZ CDIMPOSTO VRALIQIMPRZ "
                                "VRBCALCIMPRZ VRIMPOSTORZ");
}

} // namespace
