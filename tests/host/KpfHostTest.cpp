#include "DataPacket.h"
#include "KpfHostProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

namespace
{

// The demo Z reduction holds three stored lines on 2026-12-02 (codes 00, 02, 03).
const QByteArray typeALineAndConfirm = "# code 01, rate 7, base 100\n"
                                       "type 01\nkey Enter\ntype 7\nkey Enter\ntype 100\n"
                                       "click blsConfirm\n";

class KpfHost : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(host.ready()) << host.setupError().toStdString(); }

    static std::string show(const KpfHostProcess::Run &run)
    {
        return ("stdout:\n" + run.lines.join(QLatin1Char('\n')) + "\nstderr:\n" + run.errors)
            .toStdString();
    }

    KpfHostProcess host;
};

struct UsageCase {
    const char *name;
    QStringList arguments;
    const char *errorPart;
};

TEST_F(KpfHost, UsageErrorsExitTwoWithTheReasonAndTheUsage)
{
    host.writeFile(QStringLiteral("bad.script"), "dump\nclick\n");
    host.writeFile(QStringLiteral("emoji.script"), "type 1\xF0\x9F\x98\x80\n");
    host.writeFile(QStringLiteral("nul.xml"),
                   QByteArray("<DATAPACKET Version=\"2.0\"/>\0junk", 32));
    const QString missing = host.path(QStringLiteral("missing"));
    const UsageCase cases[] = {
        {"no_arguments", {}, "'--branch' is required"},
        {"unknown_option",
         KpfHostProcess::demoKey() << "--frobnicate"
                                   << "1",
         "unknown option"},
        {"bad_date",
         {"--branch", "1", "--till", "1", "--z", "1", "--date", "2026-13-01"},
         "--date"},
        {"script_error_names_the_line",
         KpfHostProcess::demoKey() << "--script" << host.path(QStringLiteral("bad.script")),
         "line 2: click needs one control name"},
        {"script_character_outside_the_bmp_named_whole",
         KpfHostProcess::demoKey() << "--script" << host.path(QStringLiteral("emoji.script")),
         "line 1: type cannot type the character U+1F600"},
        {"missing_script", KpfHostProcess::demoKey() << "--script" << missing, "cannot read"},
        {"missing_source",
         KpfHostProcess::demoKey() << "--script"
                                   << "-"
                                   << "--source" << missing,
         "cannot read"},
        {"source_with_a_nul",
         KpfHostProcess::demoKey() << "--script"
                                   << "-"
                                   << "--source" << host.path(QStringLiteral("nul.xml")),
         "holds a NUL byte at offset 27"},
        {"home_not_a_directory",
         KpfHostProcess::demoKey() << "--script"
                                   << "-"
                                   << "--home" << missing,
         "is not a directory"},
    };
    for (const UsageCase &c : cases) {
        SCOPED_TRACE(c.name);
        const auto run = host.run(c.arguments);
        EXPECT_EQ(run.exitCode, 2) << show(run);
        EXPECT_TRUE(run.errors.contains(QString::fromUtf8(c.errorPart))) << show(run);
        EXPECT_TRUE(run.errors.contains(QStringLiteral("usage: kpfhost"))) << show(run);
        EXPECT_TRUE(run.lines.isEmpty()) << show(run);
    }
}

TEST_F(KpfHost, WithoutDisplayAndScriptSaysSoAndExitsTwo)
{
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        host.environment.remove(QLatin1String(name));
    const auto run = host.runDemo({});
    EXPECT_EQ(run.exitCode, 2) << show(run);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("no display"))) << show(run);
}

// As a till's service starts it: no display and no login session (no XDG_RUNTIME_DIR), and
// nothing on standard error from Qt.
TEST_F(KpfHost, ScriptWithoutDisplayRunsOffscreenOnItsOwn)
{
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"})
        host.environment.remove(QLatin1String(name));
    host.environment.insert(QStringLiteral("TMPDIR"), host.home());
    const auto run = host.runDemo("close\n");
    EXPECT_EQ(run.exitCode, KpfHostProcess::kNotConfirmed) << show(run);
    EXPECT_EQ(run.lines, QStringList{QStringLiteral("RESULT UNASSIGNED")}) << show(run);
    EXPECT_EQ(run.errors, QString()) << show(run);
}

TEST_F(KpfHost, ReadableReportPrintsTablesInPlaceOfStateAndRows)
{
    const char *const typeALine = "type 01\nkey Enter\ntype 7\nkey Enter\ntype 100\ndump\n"
                                  "click blsConfirm\n";
    const char *const removeAStoredLine = "select 1 CDIMPOSTO\ndump\nclick blsMenos\n"
                                          "click blsConfirm\n";
    const struct {
        const char *language;
        const char *script;
        const char *screenHeading;
        const char *currentLine;
        const char *changedRow;
        int rows; // on the screen at the dump, and in the packet
    } cases[] = {
        {"pt", typeALine, "Linhas na tela:", "> 01 7,00 100,00",
         "0001 001 000123 2026-12-02 01 7,00 100,00 7,00 incluída", 4},
        {"en", typeALine, "Lines on the screen:", "> 01 7.00 100.00",
         "0001 001 000123 2026-12-02 01 7.00 100.00 7.00 inserted", 4},
        {"pt", removeAStoredLine, "Linhas na tela:", "> 02 12,00 845,50 101,46",
         "0001 001 0000000122 2026-12-02 02 12,00 845,50 101,46 excluída", 3},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.changedRow);
        const auto run =
            host.runDemo(c.script, {QStringLiteral("--readable"), QStringLiteral("--lang"),
                                    QLatin1String(c.language)});
        ASSERT_EQ(run.exitCode, 0) << show(run);
        EXPECT_EQ(run.linesStartingWith(QStringLiteral("STATE")), QStringList()) << show(run);
        EXPECT_EQ(run.linesStartingWith(QStringLiteral("ROW")), QStringList()) << show(run);
        EXPECT_EQ(run.linesStartingWith(QStringLiteral("RESULT")), QStringList()) << show(run);
        EXPECT_EQ(run.lines.value(0), QString::fromUtf8(c.screenHeading)) << show(run);
        QStringList cells; // each line's cells, one blank apart
        for (const QString &line : run.lines)
            cells << line.simplified();
        EXPECT_TRUE(cells.contains(QString::fromUtf8(c.currentLine))) << show(run);
        EXPECT_TRUE(cells.contains(QString::fromUtf8(c.changedRow))) << show(run);
        // Two headings and two tables; a removed stored line stays in the packet.
        EXPECT_EQ(run.lines.size(), 2 * (1 + 1 + c.rows)) << show(run);
    }
}

TEST_F(KpfHost, TypedLineConfirmedIsReturnedWithTheChangeLog)
{
    const auto run = host.runDemo(typeALineAndConfirm);
    ASSERT_EQ(run.exitCode, 0) << show(run);
    ASSERT_EQ(run.linesStartingWith(QStringLiteral("RESULT")),
              QStringList{QStringLiteral("RESULT PACKET")})
        << show(run);
    const QList<QJsonObject> rows = run.objects(QStringLiteral("ROW "));
    ASSERT_EQ(rows.size(), 4) << show(run);
    QStringList originals;
    int inserted = 0;
    for (const QJsonObject &row : rows) {
        EXPECT_EQ(row.size(), 9) << "eight fields and rowState";
        EXPECT_EQ(row.value("CDFILIAL").toString(), "0001");
        EXPECT_EQ(row.value("DTREDUCAOZ").toString(), "2026-12-02");
        if (row.value("rowState") == "original") {
            originals.append(row.value("CDIMPOSTO").toString());
            continue;
        }
        ++inserted;
        EXPECT_EQ(row.value("rowState").toString(), "inserted");
        EXPECT_EQ(row.value("CDCAIXA").toString(), "001");
        EXPECT_EQ(row.value("NRECFREDZ").toString(), "000123");
        EXPECT_EQ(row.value("CDIMPOSTO").toString(), "01");
        EXPECT_EQ(row.value("VRALIQIMPRZ").toDouble(-1), 7.0);
        EXPECT_EQ(row.value("VRBCALCIMPRZ").toDouble(-1), 100.0);
        EXPECT_EQ(row.value("VRIMPOSTORZ").toDouble(-1), 7.0);
    }
    EXPECT_EQ(inserted, 1) << show(run);
    originals.sort();
    EXPECT_EQ(originals, (QStringList{"00", "02", "03"})) << show(run);
    EXPECT_EQ(run.lines.last(), run.linesStartingWith(QStringLiteral("ROW ")).last())
        << "the rows end the output";
}

TEST_F(KpfHost, ClosingWithoutConfirmationReturnsNothing)
{
    const auto run = host.runDemo("type 01\nclose\n");
    EXPECT_EQ(run.exitCode, KpfHostProcess::kNotConfirmed) << show(run);
    EXPECT_EQ(run.linesStartingWith(QStringLiteral("RESULT")),
              QStringList{QStringLiteral("RESULT UNASSIGNED")})
        << show(run);
    EXPECT_TRUE(run.linesStartingWith(QStringLiteral("ROW")).isEmpty()) << show(run);
}

TEST_F(KpfHost, ScriptEndingWithTheScreenOpenClosesIt)
{
    const auto run = host.runDemo("type 0\n");
    EXPECT_EQ(run.exitCode, KpfHostProcess::kNotConfirmed) << show(run);
    EXPECT_EQ(run.lines, QStringList{QStringLiteral("RESULT UNASSIGNED")}) << show(run);
}

TEST_F(KpfHost, FailingEntryPrintsFailedAndExitsOne)
{
    host.removeFile(QStringLiteral("KAVIRON.CDS"));
    const auto run = host.runDemo("close\n");
    EXPECT_EQ(run.exitCode, 1) << show(run);
    ASSERT_FALSE(run.lines.isEmpty()) << show(run);
    EXPECT_TRUE(run.lines.last().startsWith(QStringLiteral("FAILED "))) << show(run);
    EXPECT_TRUE(run.lines.last().contains(QStringLiteral("KAVIRON.CDS"))) << show(run);
    EXPECT_TRUE(run.linesStartingWith(QStringLiteral("RESULT")).isEmpty()) << show(run);
}

// A library of another build beside the others: slipped in by a search path, or copied into the
// program's folder. The call is refused with a text that names it, instead of running with
// libraries that do not belong together.
TEST_F(KpfHost, ALibraryOfAnotherBuildIsRefused)
{
    struct Case {
        const char *library;
        bool bySearchPath;
        const char *failure;       // the start of the FAILED line
        bool namedOnStandardError; // where the odd library's file is named, else the line
    };
    const Case cases[] = {
        {"libkpfplatform.so.1", true, "FAILED A biblioteca libkpfplatform.so ", false},
        {"libkpf_test.so.1", false, "FAILED libkpf_test.so é de outra compilação", true},
    };
    const QDir build(QStringLiteral(KPF_BINARY_DIR "/bin"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.library);
        const QString other = host.path(QStringLiteral("other-%1").arg(c.library));
        ASSERT_TRUE(QDir().mkpath(other));
        if (!c.bySearchPath) {
            QStringList files = build.entryList({QStringLiteral("*.so.1"), QStringLiteral("*.qm")});
            files << QStringLiteral("kpfhost");
            for (const QString &name : std::as_const(files))
                ASSERT_TRUE(QFile::copy(build.filePath(name), other + '/' + name))
                    << qPrintable(name);
            for (const QString link : {"lib_dll.so", "libPkg_Kpf05520.so", "libkpf_test.so"})
                ASSERT_TRUE(QFile::link(link + ".1", other + '/' + link)) << qPrintable(link);
            host.program = other + "/kpfhost";
        }
        QFile library(build.filePath(QLatin1String(c.library)));
        ASSERT_TRUE(library.open(QIODevice::ReadOnly));
        QByteArray bytes = library.readAll();
        const QByteArray identity = QByteArrayLiteral(KPF_BUILD_ID);
        const qsizetype at = bytes.indexOf(identity);
        ASSERT_GE(at, 0) << "the build identity is not in the library";
        // Another build: the same identity but its last digit.
        bytes[at + identity.size() - 1] = identity.back() == '0' ? '1' : '0';
        QFile patched(other + '/' + QLatin1String(c.library));
        ASSERT_TRUE(patched.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(patched.write(bytes), bytes.size());
        patched.close();
        if (c.bySearchPath)
            host.environment.insert(QStringLiteral("LD_LIBRARY_PATH"), other);

        const auto run = host.runDemo("close\n");
        host.environment.remove(QStringLiteral("LD_LIBRARY_PATH"));
        host.program = KpfHostProcess::binary();
        EXPECT_EQ(run.exitCode, 1) << show(run);
        ASSERT_FALSE(run.lines.isEmpty()) << show(run);
        EXPECT_TRUE(run.lines.last().startsWith(QString::fromUtf8(c.failure))) << show(run);
        const QString &where = c.namedOnStandardError ? run.errors : run.lines.last();
        EXPECT_TRUE(where.contains(other)) << show(run);
        EXPECT_TRUE(run.linesStartingWith(QStringLiteral("RESULT")).isEmpty()) << show(run);
    }
}

// A database that opens and then fails on its first query: the boxes are shown as before, and
// the summary and the exit code tell it from an operator who just left.
TEST_F(KpfHost, DatabaseFailingAtFirstUseIsSaidSo)
{
    host.writeFile(QStringLiteral("text.db"), "not a database at all\n");
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("notables"));
        db.setDatabaseName(host.path(QStringLiteral("notables.db")));
        ASSERT_TRUE(db.open());
        ASSERT_TRUE(QSqlQuery(db).exec(QStringLiteral("CREATE TABLE OTHER (A INTEGER)")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("notables"));
    const struct {
        const char *file;
        const char *why;
    } cases[] = {{"text.db", "file is not a database"}, {"notables.db", "no such table"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        const auto run = host.runDemo("close\n", {QStringLiteral("--connection"),
                                                  QStringLiteral("Provider=SQLite;Data Source=") +
                                                      host.path(QString::fromLatin1(c.file))});
        EXPECT_EQ(run.exitCode, KpfHostProcess::kDatabaseFailed) << show(run);
        ASSERT_EQ(run.linesStartingWith(QStringLiteral("MESSAGE ")).size(), 1) << show(run);
        ASSERT_GE(run.lines.size(), 2) << show(run);
        EXPECT_EQ(run.lines[run.lines.size() - 2], QStringLiteral("RESULT UNASSIGNED"));
        EXPECT_TRUE(run.lines.last().startsWith(QStringLiteral("DATABASE FAILED IMPOSTOREDZ")) &&
                    run.lines.last().contains(QLatin1String(c.why)))
            << show(run);
    }
}

// Each text in one language, the module's and kpfhost's own alike: a key the entry refuses and a
// script line kpfhost cannot play.
TEST_F(KpfHost, TextsFollowTheLanguage)
{
    const struct {
        const char *language;
        const char *refusedKey;
        const char *scriptError;
    } cases[] = {
        {"pt",
         "FAILED CriaImpostoRedZ: a filial (CDFILIAL) '00001' tem 5 caracteres; o campo tem 4",
         "ERROR linha 1 do script: nenhum controle chamado 'sbtNada' na tela"},
        {"en",
         "FAILED CriaImpostoRedZ: the branch (CDFILIAL) '00001' has 5 characters; the field has 4",
         "ERROR script line 1: no control named 'sbtNada' on the screen"},
        {"es",
         "FAILED CriaImpostoRedZ: la sucursal (CDFILIAL) '00001' tiene 5 caracteres; el campo "
         "tiene 4",
         "ERROR línea 1 del script: ningún control llamado 'sbtNada' en la pantalla"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.language);
        const QStringList language{QStringLiteral("--lang"), QLatin1String(c.language)};
        QStringList longBranch = KpfHostProcess::demoKey();
        longBranch[1] = QStringLiteral("00001");
        const auto refused =
            host.run(longBranch + language +
                         QStringList{QStringLiteral("--home"), host.home(),
                                     QStringLiteral("--script"), QStringLiteral("-")},
                     "close\n");
        EXPECT_EQ(refused.lines, QStringList{QString::fromUtf8(c.refusedKey)}) << show(refused);
        const auto unplayable = host.runDemo("click sbtNada\n", language);
        EXPECT_EQ(unplayable.lines.value(0), QString::fromUtf8(c.scriptError)) << show(unplayable);
    }
}

TEST_F(KpfHost, MissingDatabaseFileFailsInsteadOfCreatingOne)
{
    const QString missing = host.path(QStringLiteral("nothere.db"));
    const auto run =
        host.runDemo("close\n", {QStringLiteral("--connection"),
                                 QStringLiteral("Provider=SQLite;Data Source=") + missing});
    EXPECT_EQ(run.exitCode, 1) << show(run);
    EXPECT_FALSE(run.linesStartingWith(QStringLiteral("FAILED ")).isEmpty()) << show(run);
    EXPECT_FALSE(QFile::exists(missing));
}

TEST_F(KpfHost, DumpPrintsTheScreenState)
{
    const auto run = host.runDemo("dump\ntype 0\ndump\nclose\n");
    ASSERT_EQ(run.exitCode, KpfHostProcess::kNotConfirmed) << show(run);
    const QList<QJsonObject> states = run.objects(QStringLiteral("STATE "));
    ASSERT_EQ(states.size(), 2) << show(run);
    const QStringList keys{"nrCampo", "txAliq",        "txValor", "state",
                           "recNo",   "selectedField", "rows"};
    for (const QJsonObject &state : states) {
        EXPECT_EQ(state.size(), keys.size());
        for (const QString &key : keys)
            EXPECT_TRUE(state.contains(key)) << key.toStdString();
    }

    const QJsonObject &loaded = states[0];
    EXPECT_EQ(loaded.value("nrCampo").toInt(), 1);
    EXPECT_EQ(loaded.value("state").toInt(), 1);
    EXPECT_EQ(loaded.value("recNo").toInt(), 0);
    EXPECT_EQ(loaded.value("selectedField").toString(), "CDIMPOSTO");
    const QJsonArray rows = loaded.value("rows").toArray();
    ASSERT_EQ(rows.size(), 3) << show(run);
    const QJsonObject first = rows[0].toObject();
    EXPECT_EQ(first.size(), 8);
    EXPECT_TRUE(first.value("VRBCALCIMPRZ").isDouble());
    EXPECT_EQ(first.value("DTREDUCAOZ").toString(), "2026-12-02");

    const QJsonObject &typing = states[1];
    EXPECT_EQ(typing.value("state").toInt(), 3) << "a pending line";
    const QJsonArray pendingRows = typing.value("rows").toArray();
    ASSERT_EQ(pendingRows.size(), 4);
    const QJsonObject pending = pendingRows[typing.value("recNo").toInt()].toObject();
    EXPECT_EQ(pending.value("CDIMPOSTO").toString(), "0");
    EXPECT_TRUE(pending.value("CDFILIAL").isNull()) << "key fields are written on posting";
    EXPECT_TRUE(pending.value("VRALIQIMPRZ").isNull());
}

TEST_F(KpfHost, MessagesArePrintedAndAcknowledged)
{
    const auto run = host.runDemo("type 99\nkey Enter\ndump\nclose\n");
    ASSERT_EQ(run.exitCode, KpfHostProcess::kNotConfirmed) << show(run);
    ASSERT_GE(run.lines.size(), 3) << show(run);
    EXPECT_EQ(run.lines[0], QString::fromUtf8("MESSAGE Imposto não cadastrado.")) << show(run);
    const QList<QJsonObject> states = run.objects(QStringLiteral("STATE "));
    ASSERT_EQ(states.size(), 1) << show(run);
    EXPECT_EQ(states[0].value("nrCampo").toInt(), 1) << "the failed check keeps the code field";
    EXPECT_EQ(run.lines.last(), QStringLiteral("RESULT UNASSIGNED"));
}

TEST_F(KpfHost, EveryCallPlaysTheScriptOnAFreshScreen)
{
    const auto run =
        host.runDemo("dump\ntype 0\nclose\n", {QStringLiteral("--calls"), QStringLiteral("2")});
    ASSERT_EQ(run.exitCode, KpfHostProcess::kNotConfirmed) << show(run);
    const QStringList expectedShape{"STATE", "RESULT", "STATE", "RESULT"};
    QStringList shape;
    for (const QString &line : run.lines)
        shape.append(line.section(QLatin1Char(' '), 0, 0));
    EXPECT_EQ(shape, expectedShape) << show(run);
    for (const QJsonObject &state : run.objects(QStringLiteral("STATE ")))
        EXPECT_EQ(state.value("rows").toArray().size(), 3) << "nothing kept from the first call";
}

TEST_F(KpfHost, OutFileHoldsTheReturnedPacket)
{
    const QString out = host.path(QStringLiteral("result.xml"));
    const auto run = host.runDemo(typeALineAndConfirm, {QStringLiteral("--out"), out});
    ASSERT_EQ(run.exitCode, 0) << show(run);
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const DataPacket packet = DataPacket::Parse(file.readAll());
    EXPECT_EQ(packet.fields.size(), 8u);
    EXPECT_EQ(packet.rows.size(), size_t(run.linesStartingWith(QStringLiteral("ROW ")).size()));
    EXPECT_EQ(packet.rows.size(), 4u);
}

// A full file system (a tmpfs of its own, when the test may mount one): the write fails, the
// earlier file stays as it was, kpfhost says so, exits non-zero, and --store does not run.
TEST_F(KpfHost, OutOnAFullDiskKeepsTheEarlierFileAndStoresNothing)
{
    const QString disk = host.path(QStringLiteral("disk"));
    ASSERT_TRUE(QDir().mkdir(disk));
    QProcess mount;
    mount.start(QStringLiteral("mount"),
                {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                 QStringLiteral("size=16k"), QStringLiteral("tmpfs"), disk});
    if (geteuid() != 0 || !mount.waitForFinished(10000) || mount.exitCode() != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    const auto unmount = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {disk}); });
    const QString out = disk + QStringLiteral("/result.xml");
    const QByteArray earlier = "<earlier/>\n";
    {
        QFile file(out);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(earlier) == earlier.size());
        ASSERT_TRUE(file.flush());
        QFile filler(disk + QStringLiteral("/filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.write(QByteArray(512, 'x')) > 0) {
        }
    }
    const auto run = host.runDemo(typeALineAndConfirm,
                                  {QStringLiteral("--out"), out, QStringLiteral("--store")});
    EXPECT_EQ(run.exitCode, 2) << show(run);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("não foi possível gravar"))) << show(run);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("o arquivo anterior ficou como estava")))
        << show(run);
    EXPECT_EQ(run.linesStartingWith(QStringLiteral("STORE FAILED não executado")).size(), 1)
        << show(run);
    EXPECT_TRUE(run.linesStartingWith(QStringLiteral("STORED")).isEmpty()) << show(run);
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), earlier);
    EXPECT_EQ(QDir(disk).entryList(QDir::Files).size(), 2) << "a temporary file was left behind";
}

// Something that is not a regular file is written into, never replaced by one.
TEST_F(KpfHost, OutOntoANodeThatIsNotAFileWritesIntoIt)
{
    const QString fifo = host.path(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    std::atomic<bool> done = false;
    QByteArray received;
    std::thread drain([&] {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(reader, buffer, sizeof buffer);
            if (n > 0)
                received.append(buffer, n);
            else if (done)
                break;
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    auto run = host.runDemo(typeALineAndConfirm, {QStringLiteral("--out"), fifo});
    done = true;
    drain.join();
    ::close(reader);
    EXPECT_EQ(run.exitCode, 0) << show(run);
    EXPECT_EQ(DataPacket::Parse(received).rows.size(), 4u);
    EXPECT_EQ(QFileInfo(fifo).isFile(), false) << "the FIFO was replaced by a file";

    run = host.runDemo(typeALineAndConfirm, {QStringLiteral("--out"), QStringLiteral("/dev/full")});
    EXPECT_EQ(run.exitCode, 2) << show(run);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("não foi possível gravar /dev/full")))
        << show(run);

    run =
        host.runDemo(typeALineAndConfirm, {QStringLiteral("--out"), QStringLiteral("/dev/stdout")});
    EXPECT_EQ(run.exitCode, 0) << show(run);
    EXPECT_EQ(run.lines.filter(QStringLiteral("<DATAPACKET")).size(), 1) << show(run);

    const QString device = host.path(QStringLiteral("null"));
    if (::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        GTEST_SKIP() << "cannot make a device node here";
    run = host.runDemo(typeALineAndConfirm, {QStringLiteral("--out"), device});
    EXPECT_EQ(run.exitCode, 0) << show(run);
    struct stat node {
    };
    ASSERT_EQ(::stat(QFile::encodeName(device).constData(), &node), 0);
    EXPECT_TRUE(S_ISCHR(node.st_mode)) << "the device node was replaced by a file";
}

// Stored texts longer than their fields go back in the packet as they were loaded, so that
// --store finds the row to delete.
TEST_F(KpfHost, OverlongStoredTextsGoBackAsLoadedAndAreDeleted)
{
    const QByteArray counter(5000, '7');
    QProcess sqlite;
    sqlite.start(QStringLiteral("sqlite3"),
                 {host.path(QStringLiteral("kpf05520.db")),
                  QStringLiteral("INSERT INTO IMPOSTOREDZ VALUES ('0001', '001', '%1', "
                                 "'2026-12-02', 'abc', 7, 10, 0.7)")
                      .arg(QLatin1String(counter))});
    ASSERT_TRUE(sqlite.waitForFinished(10000) && sqlite.exitCode() == 0)
        << sqlite.readAllStandardError().toStdString();
    const auto run = host.runDemo("select 3 CDIMPOSTO\nclick blsMenos\nclick blsConfirm\n",
                                  {QStringLiteral("--store")});
    EXPECT_EQ(run.exitCode, 0) << show(run);
    EXPECT_EQ(run.linesStartingWith(QStringLiteral("STORED")), QStringList{"STORED 0 1"})
        << show(run);
    QStringList deleted;
    for (const QJsonObject &row : run.objects(QStringLiteral("ROW ")))
        if (row.value(QStringLiteral("rowState")).toString() == QLatin1String("deleted"))
            deleted << row.value(QStringLiteral("CDIMPOSTO")).toString() + QLatin1Char('/') +
                           QString::number(
                               row.value(QStringLiteral("NRECFREDZ")).toString().size());
    EXPECT_EQ(deleted, QStringList{"abc/5000"}) << show(run);
}

TEST_F(KpfHost, ScriptFromStandardInput)
{
    const auto run = host.run(KpfHostProcess::demoKey() << "--home" << host.home() << "--script"
                                                        << "-",
                              "dump\nclose\n");
    EXPECT_EQ(run.exitCode, KpfHostProcess::kNotConfirmed) << show(run);
    EXPECT_EQ(run.linesStartingWith(QStringLiteral("STATE ")).size(), 1) << show(run);
}

TEST_F(KpfHost, MissingControlEndsTheScriptAndExitsTwo)
{
    const auto run = host.runDemo("dump\nclick sbtNada\ndump\n");
    EXPECT_EQ(run.exitCode, 2) << show(run);
    EXPECT_EQ(run.lines.size(), 3) << show(run);
    EXPECT_TRUE(run.lines.value(1).startsWith(
        QStringLiteral("ERROR linha 2 do script: nenhum controle chamado 'sbtNada'")))
        << show(run);
    EXPECT_EQ(run.lines.value(2), QStringLiteral("RESULT UNASSIGNED")) << show(run);
}

TEST_F(KpfHost, LinesAfterTheScreenClosedAreAScriptError)
{
    const auto run = host.runDemo("close\ndump\n");
    EXPECT_EQ(run.exitCode, 2) << show(run);
    EXPECT_TRUE(run.linesStartingWith(QStringLiteral("ERROR linha 2 do script:")).size() == 1)
        << show(run);
}

TEST_F(KpfHost, ScreenshotShowsTheWholeScreen)
{
    const QString png = host.path(QStringLiteral("screen.png"));
    const QString during = host.path(QStringLiteral("during.png"));
    const auto run =
        host.runDemo(("type 01\nscreenshot " + during + "\nclick blsConfirm\n").toUtf8(),
                     {QStringLiteral("--screenshot"), png});
    ASSERT_EQ(run.exitCode, KpfHostProcess::kNotConfirmed) << show(run);
    for (const QString &file : {png, during}) {
        const QImage image(file);
        ASSERT_FALSE(image.isNull()) << file.toStdString();
        EXPECT_EQ(image.size(), QSize(748, 315));
    }
}

TEST_F(KpfHost, ReactivationAndKeysReachTheScreen)
{
    // Alt+F4 is discarded by the screen's key preview; a new activation resets the entry field.
    const auto run =
        host.runDemo("type 01\nkey Enter\ntype 5\ndump\nreactivate\nkey Alt+F4\ndump\n");
    ASSERT_EQ(run.exitCode, KpfHostProcess::kNotConfirmed) << show(run);
    const QList<QJsonObject> states = run.objects(QStringLiteral("STATE "));
    ASSERT_EQ(states.size(), 2) << show(run);
    EXPECT_EQ(states[0].value("nrCampo").toInt(), 2);
    EXPECT_EQ(states[0].value("txAliq").toString(), "5");
    EXPECT_EQ(states[1].value("nrCampo").toInt(), 1);
    EXPECT_EQ(states[1].value("txAliq").toString(), "");
    EXPECT_EQ(states[1].value("state").toInt(), 3) << "the pending line stays";
    EXPECT_EQ(run.lines.last(), QStringLiteral("RESULT UNASSIGNED"));
}

TEST_F(KpfHost, SelectTouchesTheGridCell)
{
    const auto run = host.runDemo("select 2 VRALIQIMPRZ\ndump\nselect 9 CDIMPOSTO\n");
    const QList<QJsonObject> states = run.objects(QStringLiteral("STATE "));
    ASSERT_EQ(states.size(), 1) << show(run);
    EXPECT_EQ(states[0].value("recNo").toInt(), 2);
    EXPECT_EQ(states[0].value("selectedField").toString(), "VRALIQIMPRZ");
    EXPECT_EQ(run.exitCode, 2) << "row 9 is not in the grid: " << show(run);
    EXPECT_EQ(run.linesStartingWith(QStringLiteral("ERROR linha 3 do script: a linha 9")).size(), 1)
        << show(run);
}

} // namespace
