// Loading and unloading the module as a host does, many times over: nothing may stay behind.
#include "kpf05520.h"

#include <QByteArray>
#include <QFile>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace
{

const char *const kModule = KPF_BINARY_DIR "/bin/libPkg_Kpf05520.so";

long ResidentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * sysconf(_SC_PAGESIZE) : -1;
}

template <typename Function> Function Symbol(void *module, const char *name)
{
    return reinterpret_cast<Function>(dlsym(module, name));
}

// One host session: load, initialize, one call whose initialization fails once the screen is
// built (the database cannot be reached), finalize, unload.
void LoadCallUnload()
{
    void *module = dlopen(kModule, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    const auto initialize = Symbol<void (*)()>(module, "Initialize");
    const auto finalize = Symbol<void (*)()>(module, "Finalize");
    const auto entry = Symbol<decltype(&CriaImpostoRedz)>(module, "CriaImpostoRedz");
    const auto release = Symbol<void (*)(char *)>(module, "KpfFree");
    ASSERT_TRUE(initialize && finalize && entry && release);
    initialize();
    char *result = nullptr;
    char *error = nullptr;
    EXPECT_EQ(entry("0001", "001", "1", 46363, 46363, nullptr, 0, &result, &error), KPF_FAILED);
    EXPECT_NE(error, nullptr);
    release(error);
    finalize();
    EXPECT_EQ(dlclose(module), 0) << dlerror();
}

} // namespace

TEST(PackageLoading, AHundredLoadsAndUnloadsLeaveNothingBehind)
{
    qputenv("KPF_CONNECTION", "Provider=SQLite;Data Source=/nonexistent/kpf/kpf05520.db");
    for (int i = 0; i < 10; ++i)
        LoadCallUnload();
    const long before = ResidentBytes();
    for (int i = 0; i < 100; ++i)
        LoadCallUnload();
    const long growth = ResidentBytes() - before;
    qunsetenv("KPF_CONNECTION");

#ifndef __SANITIZE_ADDRESS__
    EXPECT_LT(growth, 2L * 1024 * 1024) << "resident memory grew by " << growth << " bytes";
#endif // under AddressSanitizer freed memory sits in quarantine; LeakSanitizer judges leaks
    // Whether the dynamic loader really let go of the module: the platform and host libraries stay
    // resident (Qt's type registry keeps pointers into them) and may keep bindings into it.
    void *still = dlopen(kModule, RTLD_NOW | RTLD_NOLOAD);
    ::testing::Test::RecordProperty("module_stayed_resident", still ? "yes" : "no");
    ::testing::Test::RecordProperty("rss_growth_bytes", std::to_string(growth));
    if (still)
        dlclose(still);
}

// The loaded libraries report the version that the headers were made for, as a host checks it.
TEST(PackageLoading, TheLibrariesReportTheHeadersVersion)
{
    void *module = dlopen(kModule, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    void *hostLibrary = dlopen(KPF_BINARY_DIR "/bin/lib_dll.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(hostLibrary, nullptr) << dlerror();
    const auto moduleVersion = Symbol<int (*)()>(module, "KpfVersion");
    const auto hostLibraryVersion = Symbol<int (*)()>(hostLibrary, "KpfDll_Version");
    ASSERT_TRUE(moduleVersion && hostLibraryVersion);
    EXPECT_EQ(moduleVersion(), KPF05520_VERSION_NUMBER);
    EXPECT_EQ(hostLibraryVersion(), KPF05520_VERSION_NUMBER);
    dlclose(hostLibrary);
    dlclose(module);
}
