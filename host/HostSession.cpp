#include "HostSession.h"

#include "HostLanguage.h"
#include "HostOutput.h"
#include "InstallLayout.h"
#include "OutFile.h"
#include "ReadableReport.h"
#include "ResultStore.h"
#include "ScriptedOperator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

HostSession::HostSession(HostOptions options, std::optional<std::vector<ScriptCommand>> script,
                         std::optional<QByteArray> sourcePacket)
    : m_options(std::move(options)), m_script(std::move(script)), m_source(std::move(sourcePacket)),
      m_spool(m_options.spoolDir)
{
    if (m_options.home.isEmpty())
        m_options.home = InstallLayout::DefaultHome(QCoreApplication::applicationDirPath());
}

HostSession::~HostSession() = default;

// The language first, so that a module that does not load is told of in it.
bool HostSession::LoadLibraries()
{
    QString error;
    const QString programDirectory = QCoreApplication::applicationDirPath();
    if (!HostLanguage::Install(m_options.language,
                               InstallLayout::TranslationsDirectory(programDirectory), &error) ||
        !m_loader.Load(InstallLayout::ModuleDirectory(programDirectory), &error)) {
        HostOutput::Line("FAILED", error);
        return false;
    }
    return true;
}

int HostSession::Run()
{
    QString error;
    if (!LoadLibraries())
        return EntryFailed;
    if (m_script && !m_loader.LoadTestInterface(&error)) {
        HostOutput::Line("FAILED", error);
        m_loader.Unload();
        return EntryFailed;
    }
    m_loader.SetConnectionString(m_options.connection, m_options.hasConnection);
    m_loader.SetProgramDirectory(m_options.home);
    InstallPresenters();
    int status = Done;
    for (int call = 0; call < m_options.calls && (status == Done || status == NotConfirmed); ++call)
        status = RunCall();
    m_loader.Unload();
    return status;
}

// Every message of the host library is printed; with a script the boxes are acknowledged as an
// operator would, and the platform's error boxes are replaced by the printed line, since nobody
// is there to acknowledge them. On a display without a script the person sees the real boxes.
// The observers go with the libraries (ModuleLoader::Unload).
void HostSession::InstallPresenters()
{
    m_loader.SetMessageObserver(&HostSession::OnMessage, this);
    if (m_script) {
        m_loader.SetAutoAcknowledge(true);
        m_loader.Test().setErrorObserver(&HostSession::OnError, this);
    }
}

void HostSession::OnMessage(const char *utf8Text, int kind, void *context)
{
    if (kind == KPF_MSG_ERROR)
        static_cast<HostSession *>(context)->m_errorShown = true;
    HostOutput::Line("MESSAGE", QString::fromUtf8(utf8Text ? utf8Text : ""));
}

void HostSession::OnError(const char *utf8Text, void *context)
{
    static_cast<HostSession *>(context)->m_errorShown = true;
    HostOutput::Line("ERROR", QString::fromUtf8(utf8Text ? utf8Text : ""));
}

int HostSession::RunCall()
{
    m_errorShown = false;
    std::optional<ScriptedOperator> player;
    if (m_script) {
        player.emplace(m_loader.Test(), *m_script);
        player->SetFinalScreenshot(m_options.screenshotFile);
        if (m_options.readable)
            player->SetReadable(ReadableReport(m_options.language));
        player->Start();
    }
    const ModuleLoader::CallResult result = m_loader.Call(
        m_options.branch, m_options.till, m_options.zCounter, m_options.date,
        m_options.referenceDate, m_source ? &*m_source : nullptr, m_options.sourceRecord);
    const bool played = !player || player->Finish(result.code == KPF_FAILED);
    const int status = Report(result);
    if ((status == Done || status == NotConfirmed) && !played)
        return UsageOrScriptError;
    return status;
}

// A database that fails at first use shows its error boxes, and the operator can only leave:
// after an error box the module's tables are read once more, to tell that from a plain leaving.
int HostSession::ReportNotConfirmed()
{
    HostOutput::Line("RESULT UNASSIGNED");
    if (!m_errorShown)
        return NotConfirmed;
    const QString error = ResultStore::CheckTables(m_loader.QtConnection());
    if (error.isEmpty())
        return NotConfirmed;
    HostOutput::Line("DATABASE FAILED", error);
    return DatabaseFailed;
}

// A call that failed in a directory without the home's files was most likely given none: say
// what was looked for where, and how to give or make one.
void HostSession::NoteAMissingHome() const
{
    if (m_options.hasConnection || !qEnvironmentVariableIsEmpty("KPF_CONNECTION"))
        return;
    const QDir home(m_options.home.isEmpty() ? QCoreApplication::applicationDirPath()
                                             : m_options.home);
    QStringList missing;
    for (const char *name : {"PARAMETROSKVR.CDS", "KAVIRON.CDS", "kpf05520.db"}) {
        if (!home.exists(QLatin1String(name)))
            missing << QLatin1String(name);
    }
    if (missing.isEmpty())
        return;
    HostOutput::Note(QStringLiteral("%1 not found in %2; give the home with --home DIR, "
                                    "or make a demo home with kpfhost --make-demo-home DIR")
                         .arg(missing.join(QStringLiteral(", ")), home.absolutePath()));
}

int HostSession::Report(const ModuleLoader::CallResult &result)
{
    if (result.code == KPF_NOT_CONFIRMED)
        return ReportNotConfirmed();
    if (result.code != KPF_CONFIRMED) {
        HostOutput::Line("FAILED", result.error.isEmpty()
                                       ? QCoreApplication::translate("kpfhost", "a entrada falhou")
                                       : result.error);
        NoteAMissingHome();
        return EntryFailed;
    }
    QString error;
    const std::optional<ResultPacket> packet = ResultPacket::Parse(result.packet, &error);
    if (!packet) {
        HostOutput::Line("FAILED", QCoreApplication::translate(
                                       "kpfhost", "o pacote devolvido não pode ser lido: %1")
                                       .arg(error));
        return EntryFailed;
    }
    if (m_options.readable) {
        ReadableReport(m_options.language).PrintResult(*packet);
    } else {
        HostOutput::Line("RESULT PACKET");
        for (const QByteArray &row : packet->JsonRows())
            HostOutput::Line("ROW", row);
    }
    if (!WriteOut(result.packet)) {
        if (m_options.store)
            HostOutput::Line("STORE FAILED",
                             QCoreApplication::translate(
                                 "kpfhost", "não executado, pois --out não pôde ser gravado"));
        return UsageOrScriptError;
    }
    return m_options.store ? Store(*packet, result.packet) : Done;
}

// A result that a later try may store (the server busy or gone, the answer to COMMIT lost) is
// kept in the spool, so that the operator's confirmed lines are never only in this output.
int HostSession::Store(const ResultPacket &packet, const QByteArray &bytes)
{
    const ResultStore::Outcome outcome = ResultStore::Apply(m_loader.QtConnection(), packet);
    if (outcome.ok) {
        HostOutput::Line("STORED",
                         QStringLiteral("%1 %2").arg(outcome.inserted).arg(outcome.deleted));
        return Done;
    }
    QString keptIn, keepError;
    if (outcome.kept)
        keptIn =
            m_spool.Keep(bytes, {m_options.branch, m_options.till, m_options.zCounter}, &keepError);
    if (outcome.unknown) {
        HostOutput::Line("STORE UNKNOWN", outcome.error);
        if (!keptIn.isEmpty())
            HostOutput::Line("STORE KEPT", keptIn);
        else
            HostOutput::Note(keepError);
        return StoreUnknown;
    }
    if (keptIn.isEmpty()) {
        HostOutput::Line("STORE FAILED", outcome.error);
        if (outcome.kept)
            HostOutput::Note(keepError);
        return EntryFailed;
    }
    HostOutput::Line("STORE KEPT", keptIn + QLatin1Char(' ') + outcome.error);
    return StoreKept;
}

int HostSession::RunStoreSpool()
{
    if (!LoadLibraries())
        return EntryFailed;
    m_loader.SetConnectionString(m_options.connection, m_options.hasConnection);
    m_loader.SetProgramDirectory(m_options.home);
    const QByteArray connection = m_loader.QtConnection();
    bool left = false;
    for (const QString &file : m_spool.Files())
        left = !StoreSpooled(file, connection) || left;
    m_loader.Unload();
    return left ? StoreKept : Done;
}

// One kept result in a transaction of its own; the file goes only once that has committed, or
// once the result is found stored already.
bool HostSession::StoreSpooled(const QString &file, const QByteArray &connection)
{
    QFile in(file);
    QString error;
    std::optional<ResultPacket> packet;
    if (in.open(QIODevice::ReadOnly))
        packet = ResultPacket::Parse(in.readAll(), &error);
    else
        error = in.errorString();
    if (!packet) {
        HostOutput::Line("STORE FAILED", file + QLatin1Char(' ') + error);
        return false;
    }
    const ResultStore::Outcome outcome = ResultStore::Replay(connection, *packet);
    if (!outcome.ok) {
        HostOutput::Line("STORE FAILED", file + QLatin1Char(' ') + outcome.error);
        return false;
    }
    in.close();
    if (!QFile::remove(file)) {
        HostOutput::Line("STORE FAILED",
                         file + QLatin1Char(' ') +
                             QCoreApplication::translate(
                                 "kpfhost", "gravado, mas o arquivo não pôde ser removido"));
        return false;
    }
    if (outcome.alreadyStored)
        HostOutput::Line("ALREADY STORED", file);
    else
        HostOutput::Line(
            "STORED",
            QStringLiteral("%1 %2 %3").arg(file).arg(outcome.inserted).arg(outcome.deleted));
    return true;
}

bool HostSession::WriteOut(const QByteArray &packet)
{
    if (m_options.outFile.isEmpty())
        return true;
    QString error;
    if (OutFile::Write(m_options.outFile, packet, &error))
        return true;
    HostOutput::Note(error);
    return false;
}
