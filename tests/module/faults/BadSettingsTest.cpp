// Settings files beside the host that are missing, damaged, hostile or of the wrong shape: the
// entry either works or fails with one clear text, and never leaves a screen half made.
#include "ReliabilityFixture.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>

namespace
{

// A packet of one record with one field, without the XML declaration.
QByteArray Body(const char *name, const char *type, const char *value,
                const char *extra = "WIDTH=\"20\"")
{
    return QByteArray("<DATAPACKET Version=\"2.0\"><METADATA><FIELDS><FIELD attrname=\"") + name +
           "\" fieldtype=\"" + type + "\" " + extra +
           "/></FIELDS><PARAMS/></METADATA><ROWDATA><ROW " + name + "=\"" + value +
           "\"/></ROWDATA></DATAPACKET>\n";
}

QByteArray OneField(const char *name, const char *type, const char *value,
                    const char *extra = "WIDTH=\"20\"")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n" +
           Body(name, type, value, extra);
}

const QByteArray kGoodKvr = OneField("IDTIPOIMPFIS", "string", "13");
const QByteArray kMissing = "<missing>";
const QByteArray kHuge = "<huge>";
const QByteArray kDirectory = "<directory>";
const QByteArray kFifo = "<fifo>";
const QByteArray kDevice = "<device>";

struct SettingsCase {
    const char *name;
    const char *file;
    QByteArray content;
    const char *expected; // a fragment of the error; nullptr when the screen must come up
};

const SettingsCase kCases[] = {
    {"KvrMissing", "KAVIRON.CDS", kMissing, "KAVIRON.CDS"},
    {"KvrEmpty", "KAVIRON.CDS", "", "KAVIRON.CDS"},
    {"KvrTruncated", "KAVIRON.CDS", kGoodKvr.left(kGoodKvr.size() / 2), "KAVIRON.CDS"},
    {"KvrNotXml", "KAVIRON.CDS", "IDTIPOIMPFIS=14\n", "KAVIRON.CDS"},
    {"KvrBinary", "KAVIRON.CDS", QByteArray("\x00\xff\xfe\x01PK\x03\x04", 8), "KAVIRON.CDS"},
    {"KvrHuge", "KAVIRON.CDS", kHuge, "KAVIRON.CDS"},
    {"KvrIsADirectory", "KAVIRON.CDS", kDirectory, "é um diretório, não um arquivo"},
    {"KvrIsAFifo", "KAVIRON.CDS", kFifo, "é um FIFO (pipe nomeado), não um arquivo"},
    {"KvrIsADevice", "KAVIRON.CDS", kDevice, "é um dispositivo, não um arquivo"},
    {"KvrInternalEntity", "KAVIRON.CDS",
     "<?xml version=\"1.0\"?><!DOCTYPE DATAPACKET [<!ENTITY t \"14\">]>" +
         Body("IDTIPOIMPFIS", "string", "&t;"),
     "KAVIRON.CDS"},
    {"KvrEntityBomb", "KAVIRON.CDS",
     "<?xml version=\"1.0\"?><!DOCTYPE DATAPACKET [<!ENTITY a \"aaaaaaaaaa\">"
     "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
     "]>" +
         Body("IDTIPOIMPFIS", "string", "&c;"),
     "KAVIRON.CDS"},
    {"KvrExternalEntity", "KAVIRON.CDS",
     "<?xml version=\"1.0\"?><!DOCTYPE DATAPACKET [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>" +
         Body("IDTIPOIMPFIS", "string", "&x;"),
     "KAVIRON.CDS"},
    {"KvrWithoutTheField", "KAVIRON.CDS", OneField("IDOUTRO", "string", "14"), "IDTIPOIMPFIS"},
    {"KvrFieldIsFloat", "KAVIRON.CDS", OneField("IDTIPOIMPFIS", "r8", "13.5", ""),
     "não é um valor inteiro válido"},
    {"KvrFieldIsDate", "KAVIRON.CDS", OneField("IDTIPOIMPFIS", "date", "20261207", ""),
     "não é um valor inteiro válido"},
    {"KvrFieldIsText", "KAVIRON.CDS", OneField("IDTIPOIMPFIS", "string", "ab"),
     "não é um valor inteiro válido"},
    {"KvrFieldIsInteger", "KAVIRON.CDS", OneField("IDTIPOIMPFIS", "i4", "13", ""), nullptr},
    {"KvrEmptyTypeMeansNone", "KAVIRON.CDS", OneField("IDTIPOIMPFIS", "string", ""), nullptr},
    {"ParamsMissing", "PARAMETROSKVR.CDS", kMissing, nullptr},
    {"ParamsNotXml", "PARAMETROSKVR.CDS", "<html><body>7</body></html>", "PARAMETROSKVR.CDS"},
    {"ParamsTruncated", "PARAMETROSKVR.CDS", OneField("IDESQUEMA", "string", "7").left(90),
     "PARAMETROSKVR.CDS"},
    {"ParamsWithoutTheField", "PARAMETROSKVR.CDS", OneField("IDOUTRO", "string", "7"), "IDESQUEMA"},
    {"ParamsFieldIsInteger", "PARAMETROSKVR.CDS", OneField("IDESQUEMA", "i4", "7", ""), nullptr},
};

class BadSettings : public ReliabilityFixture, public ::testing::WithParamInterface<SettingsCase>
{
protected:
    void Place(const SettingsCase &c)
    {
        const QString path = HomeDir() + QLatin1Char('/') + QLatin1String(c.file);
        QFile::remove(path);
        QDir(path).removeRecursively();
        if (c.content == kMissing)
            return;
        if (c.content == kDirectory) {
            ASSERT_TRUE(QDir().mkdir(path));
            return;
        }
        if (c.content == kFifo) {
            ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
            return;
        }
        if (c.content == kDevice) {
            ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), path));
            return;
        }
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        if (c.content == kHuge) // sparse: 300 MB that cost no disk
            ASSERT_TRUE(file.resize(300LL * 1024 * 1024));
        else
            file.write(c.content);
    }
};

TEST_P(BadSettings, ClearErrorOrAWorkingScreen)
{
    const SettingsCase &c = GetParam();
    Place(c);
    ASSERT_FALSE(HasFatalFailure());
    const QString error = FailedEntryText();
    if (c.expected) {
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.expected))) << error.toStdString();
        EXPECT_FALSE(ActionRan()) << "the screen came up";
        EXPECT_FALSE(error.contains(QLatin1String("root:"))) << "external entity was read";
        EXPECT_LT(error.size(), 400) << "one short text, not a dump";
    } else {
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        EXPECT_TRUE(ActionRan());
    }
    EXPECT_TRUE(messages.isEmpty() && errors.isEmpty()) << Shown().toStdString();
    ExpectNothingLeft();
    ExpectNoSecret({error});
}

INSTANTIATE_TEST_SUITE_P(Reliability, BadSettings, ::testing::ValuesIn(kCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
