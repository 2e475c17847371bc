#include "SysUtils.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

TEST(FileFunctions, ExistenceAndDirectories)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("PARAMETROSKVR.CDS"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(dir.path())); // a directory is not a file
    EXPECT_FALSE(FileExists(dir.filePath(QStringLiteral("KAVIRON.CDS"))));
    EXPECT_FALSE(FileExists(QString()));
    EXPECT_EQ(ExtractShortPathName(file), file);
    EXPECT_EQ(ExtractShortPathName(dir.filePath(QStringLiteral("KAVIRON.CDS"))), QString());
    EXPECT_EQ(ExtractFileDir(file), dir.path());
    EXPECT_EQ(ExtractFileDir(QStringLiteral("/kpfhost")), QStringLiteral("/"));
    EXPECT_EQ(ExtractFileDir(QStringLiteral("kpfhost")), QString());
}

TEST(FileFunctions, ProgramPathCanBeStoodInFor)
{
    EXPECT_EQ(ParamStr(0), QCoreApplication::applicationFilePath());
    SetProgramPathOverride(QStringLiteral("/srv/home/kpfhost"));
    EXPECT_EQ(ParamStr(0), QStringLiteral("/srv/home/kpfhost"));
    EXPECT_EQ(ExtractFileDir(ParamStr(0)), QStringLiteral("/srv/home"));
    SetProgramPathOverride(QString());
    EXPECT_EQ(ParamStr(0), QCoreApplication::applicationFilePath());
    EXPECT_EQ(ParamStr(-1), QString());
    EXPECT_EQ(ParamStr(1000), QString());
}

} // namespace
