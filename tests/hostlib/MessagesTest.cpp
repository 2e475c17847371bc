#include "Exceptions.h"
#include "Geralkvr.h"
#include "Mensagemkvr.h"
#include "SysUtils.h"
#include "Tec_msg.h"
#include "kpf_dll.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <utility>
#include <vector>

namespace
{

const std::pair<const char *, const char *> kMessageTable[] = {
    {"DADO_N_INF", "Dado não informado."},
    {"IMP_N_INF", "Imposto deve ser informado."},
    {"IMP_N_CAD", "Imposto não cadastrado."},
    {"ALIQ_N_INF", "Alíquota não informada."},
    {"VALOR_N_INF", "Valor não informado."},
    {"ALIQ_VAL", "Valor da alíquota deve ser menor que 100."},
};

QStringList tableLines()
{
    QStringList lines;
    for (const auto &[key, text] : kMessageTable)
        lines << QString::fromUtf8(key) + QLatin1Char('|') + QString::fromUtf8(text);
    return lines;
}

TEST(TMessages, GivesTheTextOfEachKey)
{
    TMessages messages;
    messages.SetMessages(tableLines());
    for (const auto &[key, text] : kMessageTable)
        EXPECT_EQ(messages.Msg(QString::fromUtf8(key)), QString::fromUtf8(text)) << key;
}

TEST(TMessages, UnknownOrPartialKeyGivesTheKeyItself)
{
    TMessages messages;
    messages.SetMessages(tableLines());
    for (const char *key : {"NAO_EXISTE", "IMP_N", "IMP_N_CAD ", "imp_n_cad", ""})
        EXPECT_EQ(messages.Msg(QString::fromUtf8(key)), QString::fromUtf8(key)) << key;
}

TEST(TMessages, TextMayHoldBarsAndFirstMatchingLineWins)
{
    TMessages messages;
    messages.SetMessages({"A|x|y", "A|second", "B|"});
    EXPECT_EQ(messages.Msg("A"), "x|y");
    EXPECT_EQ(messages.Msg("B"), "");
}

TEST(TMessages, LoadsUtf8LinesFromAFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("msg.txt");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\xEF\xBB\xBF" + tableLines().join("\r\n").toUtf8() + "\r\n");
    file.close();

    TMessages messages;
    messages.LoadFromFile(path);
    EXPECT_EQ(messages.Messages(), tableLines());
    EXPECT_EQ(messages.Msg("ALIQ_N_INF"), QString::fromUtf8("Alíquota não informada."));
}

TEST(TMessages, MissingFileRaisesAndKeepsTheTable)
{
    TMessages messages;
    messages.SetMessages(tableLines());
    EXPECT_THROW(messages.LoadFromFile("/nonexistent/kpf/msg.txt"), Exception);
    EXPECT_EQ(messages.Messages(), tableLines());
}

struct Shown {
    QString text;
    TTipoMsg kind;
};

// Every message goes to a recorder instead of a modal box.
class MensagemMetodoTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Mensagemkvr::SetMessagePresenter([this](const QString &text, TTipoMsg kind) {
            shown.push_back({text, kind});
        });
    }
    void TearDown() override { Mensagemkvr::SetMessagePresenter({}); }

    Variant call(const Variant &result, const QString &context = "01")
    {
        return Mensagemkvr::MensagemMetodo(result, true, 0, "getPesqImp", "Cli_Kpf05520", context,
                                           "ESQ");
    }

    std::vector<Shown> shown;
};

TEST_F(MensagemMetodoTest, PacketComesBackUnchangedWithoutMessage)
{
    const Variant packet = Variant::fromPacket("<DATAPACKET Version=\"2.0\"/>");
    EXPECT_EQ(call(packet), packet);
    EXPECT_TRUE(shown.empty());
}

TEST_F(MensagemMetodoTest, ErrorTextIsShownOnceThenAborts)
{
    EXPECT_THROW(call(Variant::fromText("ORA-12541: TNS:no listener")), EAbort);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Erro em getPesqImp (Cli_Kpf05520) [01]: ORA-12541: TNS:no listener");
    EXPECT_EQ(shown[0].kind, TTipoMsg::tmErro);
}

TEST_F(MensagemMetodoTest, UnassignedIsShownThenAborts)
{
    EXPECT_THROW(call(Variant(), "0001-001-01/02/2024"), EAbort);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(
        shown[0].text.startsWith("Erro em getPesqImp (Cli_Kpf05520) [0001-001-01/02/2024]: "))
        << shown[0].text.toStdString();
    EXPECT_GT(shown[0].text.size(),
              QString("Erro em getPesqImp (Cli_Kpf05520) [0001-001-01/02/2024]: ").size());
}

TEST_F(MensagemMetodoTest, WithoutShowErrorItOnlyAborts)
{
    EXPECT_THROW(Mensagemkvr::MensagemMetodo(Variant::fromText("x"), false, 0, "getImpRedZ",
                                             "Cli_Kpf05520", "", ""),
                 EAbort);
    EXPECT_TRUE(shown.empty());
}

TEST_F(MensagemMetodoTest, MensagemPassesTextAndKindToPresenterAndObserver)
{
    std::vector<Shown> observed;
    KpfDll_SetMessageObserver(
        [](const char *text, int kind, void *context) {
            static_cast<std::vector<Shown> *>(context)->push_back(
                {QString::fromUtf8(text), static_cast<TTipoMsg>(kind)});
        },
        &observed);
    Mensagemkvr::Mensagem(QString::fromUtf8("Alíquota não informada."), "", "N", "N",
                          TTipoMsg::tmAtencao, "", "ESQ", 0, nullptr);
    KpfDll_SetMessageObserver(nullptr, nullptr);
    Mensagemkvr::Mensagem("after", "", "N", "N", TTipoMsg::tmAviso, "", "", 0, nullptr);

    ASSERT_EQ(observed.size(), 1u);
    EXPECT_EQ(observed[0].text, QString::fromUtf8("Alíquota não informada."));
    EXPECT_EQ(observed[0].kind, TTipoMsg::tmAtencao);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, observed[0].text);
    EXPECT_EQ(static_cast<int>(shown[0].kind), 3);
}

TEST(MontaRodapeGeral, ScreenCodeAloneOrWithVersion)
{
    EXPECT_EQ(Mensagemkvr::MontaRodapeGeral(false, "KPF05520", "N"), "KPF05520");
    const QString withVersion = Mensagemkvr::MontaRodapeGeral(true, "KPF05520", "N");
    EXPECT_TRUE(withVersion.startsWith("KPF05520 v")) << withVersion.toStdString();
    EXPECT_GT(withVersion.size(), QString("KPF05520 v").size());
}

// Precedence of the connection string: what the host set, then KPF_CONNECTION, then the SQLite
// file beside the host program.
class ConnectionStringTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        savedEnv = qgetenv("KPF_CONNECTION");
        qunsetenv("KPF_CONNECTION");
        KpfDll_SetConnectionString(nullptr);
    }
    void TearDown() override
    {
        KpfDll_SetConnectionString(nullptr);
        SetProgramPathOverride({});
        if (savedEnv.isEmpty())
            qunsetenv("KPF_CONNECTION");
        else
            qputenv("KPF_CONNECTION", savedEnv);
    }
    QByteArray savedEnv;
};

TEST_F(ConnectionStringTest, DefaultIsTheSqliteFileBesideTheProgram)
{
    EXPECT_EQ(Geralkvr::_GetStringConexKvr(""),
              "Provider=SQLite;Data Source=" + QCoreApplication::applicationDirPath() +
                  "/kpf05520.db");
    SetProgramPathOverride("/opt/pdv/bin/host");
    EXPECT_EQ(Geralkvr::_GetStringConexKvr(""),
              "Provider=SQLite;Data Source=/opt/pdv/bin/kpf05520.db");
}

TEST_F(ConnectionStringTest, HostSettingBeatsEnvironmentWhichBeatsDefault)
{
    qputenv("KPF_CONNECTION", "Provider=PostgreSQL;Host=db;Database=env");
    EXPECT_EQ(Geralkvr::_GetStringConexKvr(""), "Provider=PostgreSQL;Host=db;Database=env");

    KpfDll_SetConnectionString("Provider=SQLite;Data Source=/tmp/são.db");
    EXPECT_EQ(Geralkvr::_GetStringConexKvr(""),
              QString::fromUtf8("Provider=SQLite;Data Source=/tmp/são.db"));
    Geralkvr::SetStringConexKvr("Provider=MSDASQL;DSN=kpf");
    EXPECT_EQ(Geralkvr::_GetStringConexKvr(""), "Provider=MSDASQL;DSN=kpf");

    KpfDll_SetConnectionString("");
    EXPECT_EQ(Geralkvr::_GetStringConexKvr(""), "Provider=PostgreSQL;Host=db;Database=env");
}

// What a host opens its own connection with: the same reading of the string as the module's, and
// no password where a message could show it.
TEST_F(ConnectionStringTest, QtConnectionDescribesTheModulesConnection)
{
    const auto describe = [](const char *connection) {
        KpfDll_SetConnectionString(connection);
        QByteArray json(KpfDll_GetQtConnection(nullptr, 0), '\0');
        EXPECT_EQ(KpfDll_GetQtConnection(json.data(), int(json.size()) + 1), json.size());
        return QJsonDocument::fromJson(json).object();
    };
    QJsonObject pg = describe("Provider=PostgreSQL;Host=db;Port=5433;Database=k;User ID=u;"
                              "Password={se;cr}}et}");
    EXPECT_EQ(pg.value("driver").toString(), "QPSQL");
    EXPECT_EQ(pg.value("hostName").toString(), "db");
    EXPECT_EQ(pg.value("port").toInt(), 5433);
    EXPECT_EQ(pg.value("databaseName").toString(), "k");
    EXPECT_EQ(pg.value("userName").toString(), "u");
    EXPECT_EQ(pg.value("password").toString(), "se;cr}et");
    EXPECT_TRUE(pg.value("connectOptions").toString().contains("connect_timeout=5"));
    EXPECT_FALSE(pg.value("description").toString().contains("se;cr"));

    // Qt's ODBC driver would append a separate password unquoted: it travels braced instead.
    const QJsonObject odbc = describe("Provider=MSDASQL;DSN=kpf;UID=u;PWD={a;b}");
    EXPECT_EQ(odbc.value("driver").toString(), "QODBC");
    EXPECT_EQ(odbc.value("databaseName").toString(), "kpf;UID=u;PWD={a;b}");
    EXPECT_EQ(odbc.value("password").toString(), "");

    for (const char *bad : {"Provider=Nope;Password=zz9", "Data Source=orcl;Password=zz9"}) {
        const QJsonObject error = describe(bad);
        EXPECT_EQ(error.keys(), QStringList{"error"}) << bad;
        EXPECT_FALSE(error.value("error").toString().isEmpty()) << bad;
        EXPECT_FALSE(error.value("error").toString().contains("zz9")) << bad;
    }
}

} // namespace
