#pragma once

#include <QByteArray>
#include <QString>

// The module and its host library, loaded at run time from one directory as any host loads them,
// through their C functions only.
class ModuleLibrary
{
public:
    // The version of the C interface this host was written for: it names the host's window.
    static constexpr int kWrittenFor = 10100;

    ~ModuleLibrary();

    // lib_dll.so, then libPkg_Kpf05520.so; false with the reason in *error.
    bool Load(const QString &directory, QString *error);

    void Initialize();
    void SetProgramDirectory(const QString &directory);
    void SetConnectionString(const QString &connection);
    void SetHostWindow(unsigned long nativeId);
    QByteArray QtConnection() const;

    struct Call {
        int code = 2;      // KPF_CONFIRMED, KPF_NOT_CONFIRMED or KPF_FAILED
        QByteArray packet; // the confirmed packet
        QString error;     // the module's text on KPF_FAILED
    };
    Call CriaImpostoRedz(const QString &branch, const QString &till, const QString &zCounter,
                         double zDate) const;

private:
    void *Symbol(void *library, const char *name, QString *error);
    bool CheckVersion(const char *library, int version, QString *error) const;

    void *m_dll = nullptr;
    void *m_module = nullptr;
    bool m_initialized = false;

    int (*m_entry)(const char *, const char *, const char *, double, double, const char *, int,
                   char **, char **) = nullptr;
    void (*m_free)(char *) = nullptr;
    void (*m_initialize)() = nullptr;
    void (*m_finalize)() = nullptr;
    int (*m_version)() = nullptr;
    int (*m_dllVersion)() = nullptr;
    void (*m_setConnection)(const char *) = nullptr;
    void (*m_setProgramDirectory)(const char *) = nullptr;
    void (*m_setHostWindow)(unsigned long) = nullptr;
    int (*m_qtConnection)(char *, int) = nullptr;
};
