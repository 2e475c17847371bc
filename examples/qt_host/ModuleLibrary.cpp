#include "ModuleLibrary.h"

#include <QDir>
#include <dlfcn.h>

ModuleLibrary::~ModuleLibrary()
{
    // The libraries stay loaded: the screen's classes live in Qt's registries until exit.
    if (m_initialized)
        m_finalize();
}

namespace
{

void *Open(const QString &directory, const char *name, QString *error)
{
    const QByteArray file = QDir(directory).filePath(QLatin1String(name)).toLocal8Bit();
    void *library = dlopen(file.constData(), RTLD_NOW);
    if (!library)
        *error = QString::fromLocal8Bit(dlerror());
    return library;
}

} // namespace

bool ModuleLibrary::Load(const QString &directory, QString *error)
{
    // The host library first: the module needs it and finds it already loaded.
    m_dll = Open(directory, "lib_dll.so", error);
    m_module = m_dll ? Open(directory, "libPkg_Kpf05520.so", error) : nullptr;
    if (!m_module)
        return false;
    auto bind = [this, error](auto &function, void *library, const char *name) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
            Symbol(library, name, error));
        return function != nullptr;
    };
    return bind(m_entry, m_module, "CriaImpostoRedz") && bind(m_free, m_module, "KpfFree") &&
           bind(m_initialize, m_module, "Initialize") && bind(m_finalize, m_module, "Finalize") &&
           bind(m_version, m_module, "KpfVersion") && bind(m_dllVersion, m_dll, "KpfDll_Version") &&
           bind(m_setConnection, m_dll, "KpfDll_SetConnectionString") &&
           bind(m_setProgramDirectory, m_dll, "KpfDll_SetProgramDirectory") &&
           bind(m_setHostWindow, m_dll, "KpfDll_SetHostWindow") &&
           bind(m_qtConnection, m_dll, "KpfDll_GetQtConnection") &&
           CheckVersion("libPkg_Kpf05520.so", m_version(), error) &&
           CheckVersion("lib_dll.so", m_dllVersion(), error);
}

void *ModuleLibrary::Symbol(void *library, const char *name, QString *error)
{
    void *symbol = dlsym(library, name);
    if (!symbol)
        *error = QStringLiteral("missing %1").arg(QLatin1String(name));
    return symbol;
}

bool ModuleLibrary::CheckVersion(const char *library, int version, QString *error) const
{
    if (version / 10000 == kWrittenFor / 10000 && version >= kWrittenFor)
        return true;
    *error = QStringLiteral("%1 is version %2.%3.%4; this host needs %5.%6 or a later %5.x")
                 .arg(QLatin1String(library))
                 .arg(version / 10000)
                 .arg(version / 100 % 100)
                 .arg(version % 100)
                 .arg(kWrittenFor / 10000)
                 .arg(kWrittenFor / 100 % 100);
    return false;
}

void ModuleLibrary::Initialize()
{
    m_initialize();
    m_initialized = true;
}

void ModuleLibrary::SetProgramDirectory(const QString &directory)
{
    m_setProgramDirectory(directory.toUtf8().constData());
}

void ModuleLibrary::SetConnectionString(const QString &connection)
{
    m_setConnection(connection.toUtf8().constData());
}

void ModuleLibrary::SetHostWindow(unsigned long nativeId)
{
    m_setHostWindow(nativeId);
}

QByteArray ModuleLibrary::QtConnection() const
{
    QByteArray text(m_qtConnection(nullptr, 0), '\0');
    m_qtConnection(text.data(), int(text.size()) + 1);
    return text;
}

ModuleLibrary::Call ModuleLibrary::CriaImpostoRedz(const QString &branch, const QString &till,
                                                   const QString &zCounter, double zDate) const
{
    char *packet = nullptr;
    char *error = nullptr;
    Call call;
    call.code = m_entry(branch.toUtf8().constData(), till.toUtf8().constData(),
                        zCounter.toUtf8().constData(), zDate, zDate, nullptr, 0, &packet, &error);
    call.packet = QByteArray(packet);
    call.error = QString::fromUtf8(error);
    m_free(packet);
    m_free(error);
    return call;
}
