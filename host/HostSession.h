#pragma once

#include "HostOptions.h"
#include "ModuleLoader.h"
#include "ResultPacket.h"
#include "ResultSpool.h"
#include "ScriptCommand.h"

#include <QByteArray>
#include <optional>
#include <vector>

// One run of kpfhost once the command line and the script have been read: loads the module,
// sets up the host library and the platform's presenters, calls the entry as often as asked
// (playing the script on each call) and prints what each call returns.
class HostSession
{
public:
    enum ExitCode {
        Done = 0,
        EntryFailed = 1,
        UsageOrScriptError = 2,
        NotConfirmed = 3,   // the screen closed without a result
        DatabaseFailed = 4, // not confirmed, and the module's tables cannot be read
        StoreUnknown = 5,   // --store lost the answer to its COMMIT
        StoreKept = 6       // confirmed, not stored, kept in the spool
    };

    // script: nothing for an interactive run.
    HostSession(HostOptions options, std::optional<std::vector<ScriptCommand>> script,
                std::optional<QByteArray> sourcePacket);
    ~HostSession();

    int Run();
    // --store-spool: stores what the spool holds, shows no screen.
    int RunStoreSpool();

private:
    int RunCall();
    int Report(const ModuleLoader::CallResult &result);
    void NoteAMissingHome() const;
    bool WriteOut(const QByteArray &packet);
    // --store: prints STORED, STORE FAILED, or keeps the packet in the spool.
    int Store(const ResultPacket &packet, const QByteArray &bytes);
    bool StoreSpooled(const QString &file, const QByteArray &connection); // false: it stays
    bool LoadLibraries();
    void InstallPresenters();
    static void OnMessage(const char *utf8Text, int kind, void *context);
    static void OnError(const char *utf8Text, void *context);
    int ReportNotConfirmed();

    // An error box (or its printed line) came up during the current call.
    bool m_errorShown = false;
    HostOptions m_options;
    std::optional<std::vector<ScriptCommand>> m_script;
    std::optional<QByteArray> m_source;
    ModuleLoader m_loader;
    ResultSpool m_spool;
};
