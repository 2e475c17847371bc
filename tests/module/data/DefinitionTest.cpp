// The data module built from its definition resource, and how bad definitions are reported.
#include "TestDatabase.h"

#include "Cli_Kpf05520.h"
#include "Geralkvr.h"
#include "Srv_Kpf05520.h"
#include "TADOConnection.h"
#include "TADOQuery.h"
#include "TDataSetProvider.h"
#include "TField.h"

#include <QSqlQuery>
#include <QTemporaryFile>
#include <gtest/gtest.h>

namespace
{

TEST(Definition, BuildsTheFiveComponentsInOrderWithTheirProperties)
{
    TrdmImpost module;
    QStringList names;
    for (const QObject *child : module.children())
        names << child->objectName();
    EXPECT_EQ(names,
              QStringList({"adcImpost", "adqImpRedZ", "dspImpRedZ", "adqPesqImp", "dspPesqImp"}));

    EXPECT_EQ(module.adcImpost->Provider(), "MSDAORA.1");
    EXPECT_FALSE(module.adcImpost->LoginPrompt());
    EXPECT_TRUE(module.adcImpost->ConnectionString().isEmpty());
    EXPECT_TRUE(module.adcImpost->BeforeConnect && module.adcImpost->AfterConnect);
    EXPECT_EQ(module.adqImpRedZ->Connection(), module.adcImpost);
    EXPECT_EQ(module.adqPesqImp->Connection(), module.adcImpost);
    EXPECT_FALSE(module.adqImpRedZ->EnableBCD());
    EXPECT_EQ(module.dspImpRedZ->DataSet(), module.adqImpRedZ);
    EXPECT_EQ(module.dspPesqImp->DataSet(), module.adqPesqImp);
    EXPECT_TRUE(module.dspImpRedZ->Constraints() && module.dspPesqImp->Constraints());

    // Leading blanks of the SQL lines are kept as written.
    EXPECT_EQ(module.adqPesqImp->SQL(),
              QStringList({"SELECT", "   CDIMPOSTO,", "   NMIMPOSTO", "FROM", "   IMPOSTO", "WHERE",
                           "   CDIMPOSTO = :P_CDIMPOSTO"}));
    ASSERT_EQ(module.adqImpRedZ->SQL().size(), 15);
    EXPECT_EQ(module.adqImpRedZ->SQL()[14], "   DTREDUCAOZ = :P_DTREDUCAOZ");
    TParameters &params = module.adqImpRedZ->Parameters();
    ASSERT_EQ(params.Count(), 3);
    for (int i = 0; i < params.Count(); ++i) {
        EXPECT_EQ(params[i].DataType(), TParamDataType::ftString);
        EXPECT_EQ(params[i].Size(), 16);
        EXPECT_FALSE(params[i].Value().isValid()) << "initial value must be null";
    }
    EXPECT_EQ(module.adqImpRedZ->FieldCount(), 8);
    EXPECT_EQ(module.adqPesqImp->FieldCount(), 2);
}

// The tax line is described once, in the screen's table: the data module's query selects its
// fields in its order, and declares them with the same types and sizes.
TEST(Definition, TheTaxLineQueryMatchesTheScreensTable)
{
    TrdmImpost module;
    QStringList table, selected, declared, fromTable;
    for (const auto &campo : TfrmImpost::CamposImpRedZ()) {
        table << QString::fromLatin1(campo.nome);
        fromTable << QStringLiteral("%1 %2 %3")
                         .arg(QString::fromLatin1(campo.nome), FieldTypes::PacketName(campo.tipo))
                         .arg(campo.tamanho);
    }
    const QStringList sql = module.adqImpRedZ->SQL();
    const qsizetype from = sql.indexOf(QStringLiteral("FROM"));
    ASSERT_GT(from, 1);
    for (qsizetype i = 1; i < from; ++i)
        selected << sql[i].trimmed().remove(QLatin1Char(','));
    EXPECT_EQ(selected, table);
    for (const auto &field : module.adqImpRedZ->Fields())
        declared << QStringLiteral("%1 %2 %3")
                        .arg(field->FieldName(), FieldTypes::PacketName(field->DataType()))
                        .arg(field->DataType() == TFieldType::ftString ? field->Size() : 0);
    EXPECT_EQ(declared, fromTable);
}

TEST(Definition, ConnectingTakesTheHostsStringAndSetsUpTheSession)
{
    TestDatabase db(Backend::SQLite);
    Geralkvr::SetStringConexKvr(db.ConnectionString());
    TrdmImpost module;
    module.adcImpost->Open();
    EXPECT_EQ(module.adcImpost->ConnectionString(), db.ConnectionString());
    QSqlQuery query(module.adcImpost->Database());
    ASSERT_TRUE(query.exec("PRAGMA query_only") && query.next());
    EXPECT_EQ(query.value(0).toInt(), 1);

    module.MtsDataModuleDeactivate(&module);
    EXPECT_FALSE(module.adcImpost->Connected());
    module.MtsDataModuleActivate(&module);
    EXPECT_TRUE(module.adcImpost->Connected());
    Geralkvr::SetStringConexKvr(QString());
}

TEST(Definition, HostStringWithoutProviderUsesTheDesignTimeOracleProvider)
{
    if (QSqlDatabase::isDriverAvailable("QOCI"))
        GTEST_SKIP() << "the Qt OCI driver is installed here";
    Geralkvr::SetStringConexKvr("Data Source=ORCL;User ID=kvr;Password=x9");
    TrdmImpost module;
    QString error;
    try {
        module.adcImpost->Open();
    } catch (const EDatabaseError &e) {
        error = e.Message();
    }
    Geralkvr::SetStringConexKvr(QString());
    EXPECT_TRUE(error.contains("MSDAORA.1") && error.contains("MSDASQL")) << error.toStdString();
}

// A module class of its own, with one handler to bind.
class TestModule : public TDataModule
{
    Q_OBJECT

public:
    QObject *sender = nullptr;
    QString connectTo;

public slots:
    void onBefore(QObject *Sender)
    {
        sender = Sender;
        static_cast<TADOConnection *>(Sender)->SetConnectionString(connectTo);
    }
};

QString WriteDefinition(QTemporaryFile &file, const QString &components,
                        const QString &className = "TestModule")
{
    file.open();
    file.write(QStringLiteral("<?xml version=\"1.0\"?>\n<DataModule class=\"%1\" name=\"m\">\n%2\n"
                              "</DataModule>\n")
                   .arg(className, components)
                   .toUtf8());
    file.close();
    return file.fileName();
}

TEST(Definition, HandlersAreBoundByName)
{
    TestDatabase db(Backend::SQLite);
    QTemporaryFile file;
    TestModule module;
    module.connectTo = db.ConnectionString();
    module.LoadDefinition(WriteDefinition(file, R"(<Component class="TADOConnection" name="c">
        <Property name="Provider" value="SQLite"/><Event name="BeforeConnect" handler="onBefore"/>
        </Component>)"));
    auto *connection = module.Component<TADOConnection>("c");
    connection->Open();
    EXPECT_EQ(module.sender, connection);
    EXPECT_TRUE(connection->Connected());
}

// The parsed definition is shared within the process: every module still gets components of its
// own, and a file rewritten at the same path is read afresh.
TEST(Definition, EachModuleBuildsItsOwnComponentsFromTheFileAsItIsNow)
{
    {
        TrdmImpost first;
        first.adqImpRedZ->Parameters()[0].SetAsString("0001");
        first.adqImpRedZ->SQL() << "-- changed";
        TrdmImpost second;
        EXPECT_NE(second.adqImpRedZ, first.adqImpRedZ);
        EXPECT_FALSE(second.adqImpRedZ->Parameters()[0].Value().isValid());
        EXPECT_EQ(second.adqImpRedZ->SQL().size(), 15);
    }
    QTemporaryFile file;
    const QString path = WriteDefinition(file, R"(<Component class="TADOConnection" name="a"/>)");
    TestModule before;
    before.LoadDefinition(path);
    WriteDefinition(file, R"(<Component class="TADOConnection" name="b"/>)");
    TestModule after;
    after.LoadDefinition(path);
    EXPECT_NE(after.findChild<TADOConnection *>("b"), nullptr);
    EXPECT_EQ(after.findChild<TADOConnection *>("a"), nullptr);
}

TEST(Definition, FaultsAreReportedWithTheirPlace)
{
    const struct {
        const char *name;
        QString components;
        QString className;
        QString expected;
    } cases[] = {
        {"another module's definition", "", "TrdmImpost", "não de TestModule"},
        {"unknown class", R"(<Component class="TFoo" name="a"/>)", "TestModule",
         "classe TFoo desconhecida"},
        {"unknown property",
         R"(<Component class="TADOConnection" name="a"><Property name="Colour" value="x"/></Component>)",
         "TestModule", "propriedade Colour desconhecida"},
        {"missing handler",
         R"(<Component class="TADOConnection" name="a"><Event name="AfterConnect" handler="nope"/></Component>)",
         "TestModule", "o método nope não existe"},
        {"reference before definition",
         R"(<Component class="TADOQuery" name="q"><Property name="Connection" value="c"/></Component>)",
         "TestModule", "não foi definido antes"},
        {"bad boolean",
         R"(<Component class="TADOConnection" name="a"><Property name="LoginPrompt" value="Sim"/></Component>)",
         "TestModule", "não é True nem False"},
        {"same name twice",
         R"(<Component class="TADOConnection" name="a"/><Component class="TADOConnection" name="a"/>)",
         "TestModule", "já existe"},
        {"broken XML", R"(<Component class="TADOConnection" name="a">)", "TestModule", "linha"},
        {"field type with its scope",
         R"(<Component class="TADOQuery" name="q"><Fields><Field name="d" type="TFieldType::ftDate"/></Fields></Component>)",
         "TestModule", "tipo de campo TFieldType::ftDate desconhecido"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryFile file;
        TestModule module;
        QString error;
        try {
            module.LoadDefinition(WriteDefinition(file, c.components, c.className));
        } catch (const Exception &e) {
            error = e.Message();
        }
        EXPECT_TRUE(error.contains(c.expected)) << error.toStdString();
        EXPECT_TRUE(error.contains("linha")) << error.toStdString();
    }
}

} // namespace

#include "DefinitionTest.moc"
