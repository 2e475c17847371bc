#pragma once

#include "TestInterface.h"
#include "kpf05520.h"
#include "kpf_dll.h"

#include <QByteArray>
#include <QString>

// Loads the host library (lib_dll.so) and the module (libPkg_Kpf05520.so) at run time from one
// directory, as a host that only knows their C interfaces would, and calls them. The module is
// initialized after loading and finalized before unloading. For scripted runs it also loads the
// test interface (libkpf_test.so) from the same directory.
class ModuleLoader
{
public:
    struct CallResult {
        int code = KPF_FAILED;
        QByteArray packet; // KPF_CONFIRMED: the returned XML packet
        QString error;     // KPF_FAILED: why
    };

    ModuleLoader() = default;
    ModuleLoader(const ModuleLoader &) = delete;
    ModuleLoader &operator=(const ModuleLoader &) = delete;
    ~ModuleLoader();

    // Loads both libraries, checks the package information and initializes the module.
    bool Load(const QString &directory, QString *error);
    void Unload();
    // After Load; the interface stays valid until Unload.
    bool LoadTestInterface(QString *error);
    const TestInterface &Test() const { return m_test; }

    // An empty text with set false restores the host library's default.
    void SetConnectionString(const QString &connection, bool set);
    void SetMessageObserver(KpfDll_MessageCallback callback, void *context);
    void SetAutoAcknowledge(bool on);
    // The connection string the module is given (the setting or the host library's default).
    QString ConnectionString() const;
    // The host library's description of that connection for Qt SQL (KpfDll_GetQtConnection).
    QByteArray QtConnection() const;
    // Where the settings files and the default database are looked for; empty: beside kpfhost.
    void SetProgramDirectory(const QString &directory);

    // Dates are TDateTime doubles (days since 1899-12-30); sourcePacket: null for the module's
    // empty default data set.
    CallResult Call(const QString &branch, const QString &till, const QString &zCounter,
                    double zDate, double referenceDate, const QByteArray *sourcePacket,
                    int sourceRecord);

private:
    bool Resolve(QString *error);
    bool CheckPackage(QString *error) const;
    bool SameBuild(QString *error) const;
    void UnloadTestInterface();

    void *m_hostLibrary = nullptr;
    void *m_module = nullptr;
    void *m_testLibrary = nullptr;
    QString m_directory;
    TestInterface m_test;
    bool m_initialized = false;

    decltype(&::CriaImpostoRedz) m_entry = nullptr;
    decltype(&::KpfFree) m_free = nullptr;
    decltype(&::Initialize) m_initialize = nullptr;
    decltype(&::Finalize) m_finalize = nullptr;
    decltype(&::GetPackageRequires) m_requires = nullptr;
    decltype(&::KpfDll_SetConnectionString) m_setConnection = nullptr;
    decltype(&::KpfDll_SetMessageObserver) m_setObserver = nullptr;
    decltype(&::KpfDll_SetAutoAcknowledge) m_setAutoAcknowledge = nullptr;
    decltype(&::KpfDll_GetConnectionString) m_getConnection = nullptr;
};
