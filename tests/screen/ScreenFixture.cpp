#include "ScreenFixture.h"

#include "Cli_Kpf05520.h"
#include "DataPacket.h"
#include "EventGuard.h"
#include "Geralkvr.h"
#include "Mensagemkvr.h"
#include "ScriptReader.h"
#include "ScriptedOperator.h"
#include "SysUtils.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"

#include <QApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QXmlStreamWriter>

namespace
{

// Used until db/schema.sql exists: the two tables as the data module reads them.
const char *const kFallbackSchema = R"(
CREATE TABLE IMPOSTO (CDIMPOSTO varchar(2) PRIMARY KEY, NMIMPOSTO varchar(40));
CREATE TABLE IMPOSTOREDZ (CDFILIAL varchar(4), CDCAIXA varchar(3), NRECFREDZ varchar(10),
  DTREDUCAOZ date, CDIMPOSTO varchar(2), VRALIQIMPRZ numeric, VRBCALCIMPRZ numeric,
  VRIMPOSTORZ numeric);
)";

QString ReadSource(const QString &relative)
{
    QFile file(QStringLiteral(KPF_SOURCE_DIR "/") + relative);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

// Statements separated by ';', with "--" comments removed.
QStringList SplitSql(const QString &sql)
{
    QString clean;
    for (const QString &line : sql.split(QLatin1Char('\n'))) {
        const int comment = line.indexOf(QLatin1String("--"));
        clean += (comment >= 0 ? line.left(comment) : line) + QLatin1Char('\n');
    }
    QStringList statements;
    for (const QString &part : clean.split(QLatin1Char(';'))) {
        if (!part.trimmed().isEmpty())
            statements << part.trimmed();
    }
    return statements;
}

// The test interface of the linked libkpf_test, as kpfhost finds it at run time.
const TestInterface &LinkedTestInterface()
{
    static const TestInterface screen{
        &KpfTest_ScreenStatus, &KpfTest_SetScreenObserver, &KpfTest_GetScreenState,
        &KpfTest_Touch,        &KpfTest_TouchGridCell,     &KpfTest_GridRowCount,
        &KpfTest_SendKey,      &KpfTest_ActivateScreen,    &KpfTest_CloseScreen,
        &KpfTest_EndScreen,    &KpfTest_SaveScreenshot,    &KpfTest_SetErrorObserver};
    return screen;
}

} // namespace

void ScreenFixture::SetUp()
{
    ASSERT_TRUE(m_home.isValid());
    SetProgramPathOverride(m_home.filePath(QStringLiteral("kpfhost")));
    Mensagemkvr::SetMessagePresenter([this](const QString &text, TTipoMsg) { messages << text; });
    SetErrorPresenter([this](const QString &text) { errors << text; });
    WriteSettings(QStringLiteral("13"));
    CreateDatabase();
}

void ScreenFixture::TearDown()
{
    Mensagemkvr::SetMessagePresenter({});
    SetErrorPresenter({});
    Geralkvr::SetStringConexKvr(QString());
    SetProgramPathOverride(QString());
    const QString name = QStringLiteral("screenfixture");
    if (QSqlDatabase::contains(name))
        QSqlDatabase::removeDatabase(name);
}

void ScreenFixture::WriteSettings(const QString &printerType, const QString &idEsquema)
{
    WriteSettingsFile(QStringLiteral("PARAMETROSKVR.CDS"),
                      {{QStringLiteral("IDESQUEMA"), idEsquema}});
    WriteSettingsFile(QStringLiteral("KAVIRON.CDS"),
                      {{QStringLiteral("IDTIPOIMPFIS"),
                        printerType.isEmpty() ? QVariant() : QVariant(printerType)}});
}

void ScreenFixture::WriteSettingsFile(const QString &fileName, const QVariantMap &fields)
{
    QFile file(m_home.filePath(fileName));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(fileName);
    QXmlStreamWriter xml(&file);
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    xml.writeStartElement(QStringLiteral("DATAPACKET"));
    xml.writeAttribute(QStringLiteral("Version"), QStringLiteral("2.0"));
    xml.writeStartElement(QStringLiteral("METADATA"));
    xml.writeStartElement(QStringLiteral("FIELDS"));
    for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
        xml.writeEmptyElement(QStringLiteral("FIELD"));
        xml.writeAttribute(QStringLiteral("attrname"), it.key());
        xml.writeAttribute(QStringLiteral("fieldtype"), QStringLiteral("string"));
        xml.writeAttribute(QStringLiteral("WIDTH"), QStringLiteral("20"));
    }
    xml.writeEndElement();
    xml.writeEmptyElement(QStringLiteral("PARAMS"));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("ROWDATA"));
    xml.writeEmptyElement(QStringLiteral("ROW"));
    for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
        if (it.value().isValid())
            xml.writeAttribute(it.key(), it.value().toString());
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
}

void ScreenFixture::RemoveSettingsFile(const QString &fileName)
{
    QFile::remove(m_home.filePath(fileName));
}

QString ScreenFixture::DatabasePath() const
{
    return m_home.filePath(QStringLiteral("kpf05520.db"));
}

void ScreenFixture::CreateDatabase(const QString &extraSql)
{
    QFile::remove(DatabasePath());
    QString schema = ReadSource(QStringLiteral("db/schema.sql"));
    if (schema.isEmpty())
        schema = QString::fromLatin1(kFallbackSchema);
    ExecSql(schema);
    ExecSql(ReadSource(QStringLiteral("db/demo.sql")));
    ExecSql(extraSql);
    Geralkvr::SetStringConexKvr(QStringLiteral("Provider=SQLite;Data Source=") + DatabasePath());
}

void ScreenFixture::ExecSql(const QString &sql)
{
    const QString name = QStringLiteral("screenfixture");
    {
        QSqlDatabase db = QSqlDatabase::contains(name)
                              ? QSqlDatabase::database(name)
                              : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(DatabasePath());
        ASSERT_TRUE(db.open()) << qPrintable(db.lastError().text());
        // One transaction: SQLite would otherwise wait for the disk after every statement.
        ASSERT_TRUE(db.transaction()) << qPrintable(db.lastError().text());
        for (const QString &statement : SplitSql(sql)) {
            QSqlQuery query(db);
            if (!query.exec(statement)) {
                ADD_FAILURE() << qPrintable(query.lastError().text()) << "\n"
                              << qPrintable(statement);
                query.finish();
                db.rollback();
                db.close();
                return;
            }
        }
        EXPECT_TRUE(db.commit()) << qPrintable(db.lastError().text());
        db.close();
    }
}

Variant ScreenFixture::RunEntry(const ScreenAction &action, const ZKey &key, TClientDataSet *source)
{
    Variant result;
    RunOnScreen(action, [&] {
        result = Cli_Kpf05520::CriaImpostoRedZ(key.branch, key.till, key.zCounter, key.zDate,
                                               key.referenceDate, source);
    });
    return result;
}

void ScreenFixture::RunOnScreen(const ScreenAction &action, const std::function<void()> &call)
{
    m_actionRan = false;
    // Polls until the screen is up: the entry shows it modally, so the action runs inside the
    // screen's own modal loop, as an operator's touches would.
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, &poll, [this, &poll, &action] {
        TfrmImpost *form = Cli_Kpf05520::frmImpost;
        if (!form || !form->isVisible())
            return;
        poll.stop();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form)) << "the screen never became active";
        m_actionRan = true;
        if (action)
            action(*form);
        if (Cli_Kpf05520::frmImpost == form && form->isVisible())
            form->Close();
    });
    poll.start();
    call();
}

std::unique_ptr<TClientDataSet> ScreenFixture::MakeSource(const QList<SourceLine> &lines,
                                                          int current)
{
    auto source = std::make_unique<TClientDataSet>();
    for (const char *name : {"CDIMPOSTO", "VRALIQIMPFIS", "VRVENDIDO", "VRIMPOSTO"})
        source->AddField(QString::fromLatin1(name), TFieldType::ftString, 20);
    source->CreateDataSet();
    // Insert places a line before the current one, so the lines go in from the last, each at the
    // top.
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const SourceLine &line = *it;
        source->First();
        source->Insert();
        source->FieldByName(QStringLiteral("CDIMPOSTO"))->SetAsString(line.cdImposto);
        source->FieldByName(QStringLiteral("VRALIQIMPFIS"))->SetAsString(line.vrAliqImpFis);
        source->FieldByName(QStringLiteral("VRVENDIDO"))->SetAsString(line.vrVendido);
        source->FieldByName(QStringLiteral("VRIMPOSTO"))->SetAsString(line.vrImposto);
        source->Post();
    }
    if (!lines.isEmpty())
        source->MoveToRow(current);
    return source;
}

void ScreenFixture::Play(const QString &script, const std::function<void()> &afterEach)
{
    const ScriptReader::Result read = ScriptReader::parse(script.toUtf8());
    ASSERT_TRUE(read.ok()) << "script line " << read.errorLine << ": " << qPrintable(read.error);
    ScriptedOperator player(LinkedTestInterface(), {});
    for (const ScriptCommand &command : read.commands) {
        QString error;
        ASSERT_TRUE(player.Play(command, &error))
            << "script line " << command.line << ": " << qPrintable(error);
        if (afterEach)
            afterEach();
    }
}

QList<QVariantMap> ScreenFixture::Rows(const TfrmImpost &form)
{
    QList<QVariantMap> rows;
    const TClientDataSet *data = form.cdsImpRedZ;
    if (!data->Active())
        return rows;
    for (int row = 0; row < data->RecordCount(); ++row) {
        QVariantMap values;
        for (const auto &field : data->Fields())
            values.insert(field->FieldName(), data->RowValue(row, field->Index()));
        rows << values;
    }
    return rows;
}

int ScreenFixture::State(const TfrmImpost &form)
{
    return form.cdsImpRedZ->State();
}

QList<QVariantMap> ScreenFixture::PacketRows(const Variant &packet)
{
    QList<QVariantMap> rows;
    const DataPacket parsed = DataPacket::Parse(packet.packet());
    for (const DataPacket::Row &row : parsed.rows) {
        QVariantMap values;
        for (size_t i = 0; i < parsed.fields.size(); ++i)
            values.insert(parsed.fields[i].name, row.values[i]);
        values.insert(QStringLiteral("rowState"), row.rowState);
        rows << values;
    }
    return rows;
}
