// Packets of another writer of the format: Free Pascal's TBufDataset, written at test time by the
// fpc program tbufpackets (SaveToFile dfXML). Its settings files and its source packet, with and
// without a deleted row, go through the C entry with the same result as the module's own form.
#include "ReliabilityFixture.h"

#include "TClientDataSet.h"
#include "kpf05520.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace
{

const QString kWriter = QStringLiteral(KPF_BINARY_DIR "/bin/tbufpackets");

struct WriterCase {
    const char *name;
    const char *folder;   // tbufpackets' output for this case
    const char *base03;   // VRVENDIDO of the line 03 in the module's own form
    bool ownSourceWriter; // the source packet comes from TBufDataset itself, not the binding
};

// Each folder holds the visible lines 01 and 03 with record 1 (the line 03) current; "deleted"
// also a removed line 02 before them and a removed first row in each settings file.
const WriterCase kWriterCases[] = {
    {"AppendedRows", "plain", "200", true},
    {"WithDeletedRows", "deleted", "200", true},
    // KpfSourcePacket of the Pascal binding, from a TBufDataset with a float under comma settings.
    {"PascalBindingSource", "binding", "200,5", false},
};

class OtherWriter : public ReliabilityFixture, public ::testing::WithParamInterface<WriterCase>
{
protected:
    QByteArray ReadFile(const QString &path)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(path);
        return file.readAll();
    }
    void CopyInto(const QString &from, const QString &name)
    {
        QFile::remove(QDir(HomeDir()).filePath(name));
        ASSERT_TRUE(QFile::copy(QDir(from).filePath(name), QDir(HomeDir()).filePath(name)));
    }
    // The C entry with the source packet; Confirm at once. Returns the packet or the error.
    QByteArray Confirmed(const QByteArray &source, int record)
    {
        char *result = nullptr;
        char *error = nullptr;
        int code = -1;
        RunOnScreen([](TfrmImpost &) { Play(QStringLiteral("click blsConfirm")); },
                    [&] {
                        const ZKey key;
                        code = CriaImpostoRedz("0001", "001", "0000000123", key.zDate,
                                               key.referenceDate, source.constData(), record,
                                               &result, &error);
                    });
        const QByteArray text = code == KPF_CONFIRMED ? QByteArray(result)
                                                      : "code " + QByteArray::number(code) + ": " +
                                                            QByteArray(error ? error : "");
        KpfFree(result);
        KpfFree(error);
        return text;
    }
};

TEST_P(OtherWriter, SettingsAndSourceReadAsTheOwnForm)
{
    const WriterCase &c = GetParam();
    if (!QFileInfo::exists(kWriter))
        GTEST_SKIP() << "fpc is not installed: no TBufDataset writer";
    QTemporaryDir out;
    QProcess writer;
    writer.start(kWriter, {out.path()});
    ASSERT_TRUE(writer.waitForFinished(30000) && writer.exitCode() == 0)
        << writer.readAllStandardError().toStdString();
    const QString folder = QDir(out.path()).filePath(QLatin1String(c.folder));

    // The module's own form of the same content.
    WriteSettings(QStringLiteral("14"), QStringLiteral("7"));
    const int record = 1;
    const auto own = MakeSource(
        {{"01", "7", "100", "7"}, {"03", "18", QString::fromLatin1(c.base03), "36"}}, record);
    const QByteArray expected = Confirmed(own->Data().packet(), record);
    ASSERT_TRUE(expected.startsWith("<?xml")) << expected.toStdString();
    // Printer type 14 took the first line from the source's current record.
    const QList<QVariantMap> rows = PacketRows(Variant::fromPacket(expected));
    ASSERT_FALSE(rows.isEmpty());
    EXPECT_EQ(rows.first().value(QStringLiteral("CDIMPOSTO")).toString(), QStringLiteral("03"));

    CopyInto(folder, QStringLiteral("KAVIRON.CDS"));
    CopyInto(folder, QStringLiteral("PARAMETROSKVR.CDS"));
    const QByteArray source = ReadFile(QDir(folder).filePath(QStringLiteral("source.xml")));
    if (c.ownSourceWriter)
        ASSERT_TRUE(source.contains("fieldname=")) << "not TBufDataset's form:\n"
                                                   << source.toStdString();
    else
        ASSERT_EQ(ReadFile(QDir(folder).filePath(QStringLiteral("record.txt"))).trimmed(), "1");
    EXPECT_EQ(Confirmed(source, record).toStdString(), expected.toStdString());
    EXPECT_TRUE(errors.isEmpty()) << Shown().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Reliability, OtherWriter, ::testing::ValuesIn(kWriterCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
