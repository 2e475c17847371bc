#pragma once

#include "HostOptions.h"
#include "ModuleLoader.h"
#include "ResultPacket.h"
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
        StoreUnknown = 5    // --store lost the answer to its COMMIT
    };

    // script: nothing for an interactive run.
    HostSession(HostOptions options, std::optional<std::vector<ScriptCommand>> script,
                std::optional<QByteArray> sourcePacket);
    ~HostSession();

    int Run();

private:
    int RunCall();
    int Report(const ModuleLoader::CallResult &result);
    bool WriteOut(const QByteArray &packet);
    int Store(const ResultPacket &packet); // --store: prints STORED or STORE FAILED
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
};
