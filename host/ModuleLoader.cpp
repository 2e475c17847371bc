#include "ModuleLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <dlfcn.h>

namespace
{

void *open(const QString &path, QString *error)
{
    void *handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        *error = QCoreApplication::translate("kpfhost", "não foi possível carregar %1: %2")
                     .arg(path, QString::fromLocal8Bit(dlerror()));
    return handle;
}

template <typename Function>
bool resolve(void *handle, const char *name, const char *library, Function *target, QString *error)
{
    *target = reinterpret_cast<Function>(dlsym(handle, name));
    if (!*target)
        *error = QCoreApplication::translate("kpfhost", "%1 não exporta %2")
                     .arg(QLatin1String(library), QLatin1String(name));
    return *target != nullptr;
}

} // namespace

ModuleLoader::~ModuleLoader()
{
    Unload();
}

bool ModuleLoader::Load(const QString &directory, QString *error)
{
    m_directory = directory;
    const QDir dir(directory);
    // The host library first: the module needs it and finds it already loaded.
    m_hostLibrary = open(dir.filePath(QStringLiteral("lib_dll.so")), error);
    if (!m_hostLibrary)
        return false;
    m_module = open(dir.filePath(QStringLiteral("libPkg_Kpf05520.so")), error);
    if (!m_module || !Resolve(error) || !CheckPackage(error)) {
        Unload();
        return false;
    }
    m_initialize();
    m_initialized = true;
    return true;
}

bool ModuleLoader::Resolve(QString *error)
{
    const char *module = "libPkg_Kpf05520.so";
    const char *host = "lib_dll.so";
    return resolve(m_module, "CriaImpostoRedz", module, &m_entry, error) &&
           resolve(m_module, "KpfFree", module, &m_free, error) &&
           resolve(m_module, "Initialize", module, &m_initialize, error) &&
           resolve(m_module, "Finalize", module, &m_finalize, error) &&
           resolve(m_module, "GetPackageRequires", module, &m_requires, error) &&
           resolve(m_hostLibrary, "KpfDll_SetConnectionString", host, &m_setConnection, error) &&
           resolve(m_hostLibrary, "KpfDll_GetConnectionString", host, &m_getConnection, error) &&
           resolve(m_hostLibrary, "KpfDll_SetMessageObserver", host, &m_setObserver, error) &&
           resolve(m_hostLibrary, "KpfDll_SetAutoAcknowledge", host, &m_setAutoAcknowledge, error);
}

bool ModuleLoader::CheckPackage(QString *error) const
{
    // The module must name the host library as its required package, as the loader expects.
    for (const char *const *name = m_requires(); name && *name; ++name) {
        if (qstrcmp(*name, "_dll") == 0)
            return true;
    }
    *error = QCoreApplication::translate(
        "kpfhost", "libPkg_Kpf05520.so não indica _dll como pacote requerido");
    return false;
}

bool ModuleLoader::LoadTestInterface(QString *error)
{
    const char *name = "libkpf_test.so";
    m_testLibrary = open(QDir(m_directory).filePath(QLatin1String(name)), error);
    TestInterface &t = m_test;
    const bool resolved =
        m_testLibrary &&
        resolve(m_testLibrary, "KpfTest_ScreenStatus", name, &t.screenStatus, error) &&
        resolve(m_testLibrary, "KpfTest_SetScreenObserver", name, &t.setScreenObserver, error) &&
        resolve(m_testLibrary, "KpfTest_GetScreenState", name, &t.getScreenState, error) &&
        resolve(m_testLibrary, "KpfTest_Touch", name, &t.touch, error) &&
        resolve(m_testLibrary, "KpfTest_TouchGridCell", name, &t.touchGridCell, error) &&
        resolve(m_testLibrary, "KpfTest_GridRowCount", name, &t.gridRowCount, error) &&
        resolve(m_testLibrary, "KpfTest_SendKey", name, &t.sendKey, error) &&
        resolve(m_testLibrary, "KpfTest_ActivateScreen", name, &t.activateScreen, error) &&
        resolve(m_testLibrary, "KpfTest_CloseScreen", name, &t.closeScreen, error) &&
        resolve(m_testLibrary, "KpfTest_EndScreen", name, &t.endScreen, error) &&
        resolve(m_testLibrary, "KpfTest_SaveScreenshot", name, &t.saveScreenshot, error) &&
        resolve(m_testLibrary, "KpfTest_SetErrorObserver", name, &t.setErrorObserver, error) &&
        SameBuild(error);
    if (!resolved) {
        if (m_testLibrary)
            dlclose(m_testLibrary);
        m_testLibrary = nullptr;
        m_test = {};
    }
    return resolved;
}

// A test interface of another build refuses every call; it has said why on standard error.
bool ModuleLoader::SameBuild(QString *error) const
{
    if (m_test.screenStatus() != KPF_TEST_OTHER_BUILD)
        return true;
    *error = QCoreApplication::translate(
        "kpfhost", "libkpf_test.so é de outra compilação do Kpf05520 que lib_dll.so");
    return false;
}

// Its observers hold code of the library: they go before it does.
void ModuleLoader::UnloadTestInterface()
{
    if (!m_testLibrary)
        return;
    m_test.setScreenObserver(nullptr, nullptr);
    m_test.setErrorObserver(nullptr, nullptr);
    dlclose(m_testLibrary);
    m_testLibrary = nullptr;
    m_test = {};
}

void ModuleLoader::Unload()
{
    UnloadTestInterface();
    if (m_initialized) {
        // Leave the host library as a fresh load would find it.
        m_setObserver(nullptr, nullptr);
        m_setAutoAcknowledge(0);
        m_finalize();
        m_initialized = false;
    }
    if (m_module)
        dlclose(m_module);
    if (m_hostLibrary)
        dlclose(m_hostLibrary);
    m_module = m_hostLibrary = nullptr;
}

void ModuleLoader::SetConnectionString(const QString &connection, bool set)
{
    m_setConnection(set ? connection.toUtf8().constData() : nullptr);
}

QString ModuleLoader::ConnectionString() const
{
    QByteArray text(m_getConnection(nullptr, 0), '\0');
    m_getConnection(text.data(), int(text.size()) + 1);
    return QString::fromUtf8(text);
}

void ModuleLoader::SetMessageObserver(KpfDll_MessageCallback callback, void *context)
{
    m_setObserver(callback, context);
}

void ModuleLoader::SetAutoAcknowledge(bool on)
{
    m_setAutoAcknowledge(on ? 1 : 0);
}

ModuleLoader::CallResult ModuleLoader::Call(const QString &branch, const QString &till,
                                            const QString &zCounter, double zDate,
                                            double referenceDate, const QByteArray *sourcePacket,
                                            int sourceRecord)
{
    char *packet = nullptr;
    char *error = nullptr;
    CallResult result;
    result.code =
        m_entry(branch.toUtf8().constData(), till.toUtf8().constData(),
                zCounter.toUtf8().constData(), zDate, referenceDate,
                sourcePacket ? sourcePacket->constData() : nullptr, sourceRecord, &packet, &error);
    if (packet)
        result.packet = QByteArray(packet);
    if (error)
        result.error = QString::fromUtf8(error);
    m_free(packet);
    m_free(error);
    return result;
}

QByteArray ModuleLoader::QtConnection() const
{
    const auto describe = reinterpret_cast<decltype(&::KpfDll_GetQtConnection)>(
        m_hostLibrary ? dlsym(m_hostLibrary, "KpfDll_GetQtConnection") : nullptr);
    if (!describe)
        return R"({"error":"lib_dll.so does not export KpfDll_GetQtConnection"})";
    QByteArray text(describe(nullptr, 0), '\0');
    describe(text.data(), int(text.size()) + 1);
    return text;
}

void ModuleLoader::SetProgramDirectory(const QString &directory)
{
    if (const auto set = reinterpret_cast<decltype(&::KpfDll_SetProgramDirectory)>(
            m_hostLibrary ? dlsym(m_hostLibrary, "KpfDll_SetProgramDirectory") : nullptr))
        set(directory.isEmpty() ? nullptr : directory.toUtf8().constData());
}
