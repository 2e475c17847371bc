// What an attacker or a careless configuration could abuse: SQL built from values, passwords in
// printed texts, and packets that exhaust the stack or the memory.
#include "DataPacket.h"
#include "Exceptions.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace
{

QStringList SourceFiles()
{
    QStringList files;
    for (const char *folder : {"/src", "/host"}) {
        QDirIterator it(QStringLiteral(KPF_SOURCE_DIR) + QLatin1String(folder),
                        {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next();
    }
    return files;
}

// A SQL keyword in a literal on the same line as a concatenation or an arg(): a value going
// into SQL text. Error texts that quote a statement are fine, so only the SQL verbs of queries.
TEST(Security, NoValueIsConcatenatedIntoSql)
{
    static const QRegularExpression sqlBuilt(
        QStringLiteral("\"[^\"]*\\b(SELECT|INSERT|UPDATE|DELETE|WHERE|VALUES)\\b[^\"]*\"\\s*"
                       "(\\+|\\)\\s*\\.arg\\(|\\.arg\\()"));
    const QStringList files = SourceFiles();
    ASSERT_GT(files.size(), 20);
    for (const QString &path : files) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        int number = 0;
        for (const QByteArray &line : file.readAll().split('\n')) {
            ++number;
            EXPECT_FALSE(sqlBuilt.match(QString::fromUtf8(line)).hasMatch())
                << path.toStdString() << ":" << number << ": " << line.toStdString();
        }
    }
}

// Statements run as text (not prepared) are only the fixed session statements, the probes and
// the demo database's scripts.
TEST(Security, OnlyFixedStatementsRunUnprepared)
{
    static const QRegularExpression execWithText(QStringLiteral("\\b(exec|Execute)\\((?!\\))"));
    QStringList found;
    for (const QString &path : SourceFiles()) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        for (const QByteArray &line : file.readAll().split('\n'))
            if (execWithText.match(QString::fromUtf8(line)).hasMatch())
                found << QFileInfo(path).fileName() + QLatin1Char(':') +
                             QString::fromUtf8(line).trimmed();
    }
    const QStringList allowed = {
        QStringLiteral("TADOConnection.cpp:if (!query.exec(sql))"),
        QStringLiteral("TADOQuery.cpp:m_connection->Execute(QStringLiteral(\"START TRANSACTION "
                       "READ ONLY\"));"),
        QStringLiteral("TADOConnection.cpp:const bool answers = probe.exec(m_driverName == "
                       "u\"QOCI\" ? QStringLiteral(\"SELECT 1 FROM DUAL\")"),
        QStringLiteral("Kvr_molvane.cpp:connection->Execute(statement);"),
        QStringLiteral("TADOConnection.cpp:void TADOConnection::Execute(const QString &sql)"),
        QStringLiteral("TADOConnection.h:void Execute(const QString &sql);"),
        QStringLiteral("ResultStore.cpp:return query.exec(QStringLiteral(\"SELECT 1\")) && "
                       "query.next();"),
        QStringLiteral("ResultStore.cpp:if (!query.exec(QString::fromLatin1(probe.statement)))"),
        // The demo database's own schema and data scripts, as shipped, into a new file.
        QStringLiteral("DemoHome.cpp:if (!query.exec(statement.trimmed())) {"),
    };
    for (const QString &line : found)
        EXPECT_TRUE(allowed.contains(line)) << "unprepared statement: " << line.toStdString();
}

// The data module's queries: placeholders only, no literal values.
TEST(Security, TheModulesQueriesUsePlaceholders)
{
    QFile file(QStringLiteral(KPF_SOURCE_DIR "/resources/Srv_Kpf05520.dmd"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains(QLatin1String(":P_CDIMPOSTO")));
    EXPECT_TRUE(text.contains(QLatin1String(":P_DTREDUCAOZ")));
    static const QRegularExpression literal(QStringLiteral("(=|IN|LIKE)\\s*'"));
    EXPECT_FALSE(literal.match(text).hasMatch());
}

TEST(Security, DeepPacketIsRefusedWithoutExhaustingTheStack)
{
    QByteArray xml = "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS/><PARAMS/></METADATA>";
    xml += QByteArray("<ROWDATA>").repeated(200000) + QByteArray("</ROWDATA>").repeated(200000);
    xml += "</DATAPACKET>";
    QElapsedTimer timer;
    timer.start();
    EXPECT_THROW(DataPacket::Parse(xml), EDatabaseError);
    EXPECT_LT(timer.elapsed(), 10000);
}

TEST(Security, WideRowsAndManyAttributesAreBounded)
{
    const QByteArray head = "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                            "<FIELD attrname=\"CD\" fieldtype=\"string\" WIDTH=\"4\"/>"
                            "</FIELDS><PARAMS/></METADATA><ROWDATA>";
    const QByteArray tail = "</ROWDATA></DATAPACKET>";
    QByteArray manyAttributes = "<ROW";
    // Qt checks duplicate attributes pairwise: the reader must refuse this before Qt sees it.
    for (int i = 0; i < 100000; ++i)
        manyAttributes += " A" + QByteArray::number(i) + "=\"1\"";
    manyAttributes += "/>";
    const QByteArray longValue = "<ROW CD=\"" + QByteArray(8 * 1024 * 1024, 'x') + "\"/>";
    for (const QByteArray &rows : {manyAttributes, longValue}) {
        QElapsedTimer timer;
        timer.start();
        EXPECT_THROW(DataPacket::Parse(head + rows + tail), EDatabaseError);
        EXPECT_LT(timer.elapsed(), 10000);
    }
}

TEST(Security, OversizedPacketIsRefusedUnread)
{
    // Only the size is looked at: a buffer one byte over the limit, never parsed.
    QByteArray xml(DataPacket::MaxBytes + 1, ' ');
    try {
        DataPacket::Parse(xml);
        ADD_FAILURE() << "a packet over the limit was read";
    } catch (const EDatabaseError &error) {
        EXPECT_LT(error.Message().size(), 300);
    }
}

// kpfhost prints every error it meets; none may carry the password of its connection string.
TEST(Security, KpfhostNeverPrintsThePassword)
{
    const QString secret = QStringLiteral("Kpf-S3nha-kpfhost-77");
    const QStringList connections = {
        QStringLiteral("Provider=PostgreSQL;Host=127.0.0.1;Port=1;User ID=kpf;Password=%1"),
        QStringLiteral("Provider=PostgreSQL;Host=127.0.0.1;Port=%1;Password=%1"),
        QStringLiteral("Provider=Nada;Password=%1"),
        QStringLiteral("Provider=SQLite;Data Source=/nonexistent/kpf.db;Password=%1"),
        QStringLiteral("Provider=MSDASQL;DSN=kpf-nenhuma;UID=kpf;PWD={%1}"),
        QStringLiteral("Provider=SQLite;Password=\"%1"),
    };
    for (const QString &connection : connections) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(KPF_BINARY_DIR "/bin/kpfhost"),
                      {"--branch", "0001", "--till", "001", "--z", "1", "--date", "2026-12-02",
                       "--home", QStringLiteral(KPF_BINARY_DIR), "--connection",
                       connection.arg(secret), "--script", "-"});
        process.write("close\n");
        process.closeWriteChannel();
        ASSERT_TRUE(process.waitForFinished(60000));
        const QString out =
            QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
        EXPECT_NE(process.exitCode(), 0) << out.toStdString();
        EXPECT_FALSE(out.isEmpty());
        EXPECT_FALSE(out.contains(secret)) << connection.toStdString() << "\n" << out.toStdString();
    }
}

} // namespace
