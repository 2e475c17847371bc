#include "DataPacket.h"
#include "Exceptions.h"
#include "TClientDataSet.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

const char *const Head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

QByteArray wrap(const char *fields, const char *rows, const char *params = "<PARAMS/>")
{
    return QByteArray(Head) + "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>" + fields +
           "</FIELDS>" + params + "</METADATA><ROWDATA>" + rows + "</ROWDATA></DATAPACKET>";
}

const char *const Code = "<FIELD attrname=\"CD\" fieldtype=\"string\" WIDTH=\"2\"/>";
const char *const Rate = "<FIELD attrname=\"VR\" fieldtype=\"r8\"/>";
const char *const Day = "<FIELD attrname=\"DT\" fieldtype=\"date\"/>";
const char *const Stamp = "<FIELD attrname=\"TS\" fieldtype=\"dateTime\"/>";
const char *const Count = "<FIELD attrname=\"QT\" fieldtype=\"i4\"/>";
const char *const Flag = "<FIELD attrname=\"BO\" fieldtype=\"boolean\"/>";

struct BadPacket {
    const char *name;
    QByteArray xml;
    const char *mentions; // a word the error text must contain
};

QByteArray all(const char *rows, const char *params = "<PARAMS/>")
{
    const QByteArray fields = QByteArray(Code) + Rate + Day + Stamp + Count + Flag;
    return wrap(fields.constData(), rows, params);
}

std::vector<BadPacket> badPackets()
{
    return {
        {"empty", QByteArray(), "linha"},
        {"not XML", "hello", "linha"},
        {"truncated", all("<ROW CD=\"01\"/>").left(120), "linha"},
        {"unclosed root", QByteArray(Head) + "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS/>",
         "linha"},
        {"wrong root", QByteArray(Head) + "<PACKET Version=\"2.0\"/>", "DATAPACKET"},
        {"wrong version",
         QByteArray(Head) +
             "<DATAPACKET Version=\"3.0\"><METADATA><FIELDS/></METADATA></DATAPACKET>",
         "3.0"},
        {"no metadata", QByteArray(Head) + "<DATAPACKET Version=\"2.0\"><ROWDATA/></DATAPACKET>",
         "METADATA"},
        {"no fields",
         QByteArray(Head) +
             "<DATAPACKET Version=\"2.0\"><METADATA><PARAMS/></METADATA></DATAPACKET>",
         "FIELDS"},
        {"unknown element", wrap(Code, "<ROW CD=\"01\"/><EXTRA/>"), "EXTRA"},
        {"second root element", all("") + "<DATAPACKET/>", "linha"},
        {"text in rowdata", wrap(Code, "oops<ROW CD=\"01\"/>"), "texto"},
        {"CDATA", wrap(Code, "<![CDATA[ ]]>"), "texto"},
        {"child in row", wrap(Code, "<ROW CD=\"01\"><X/></ROW>"), "ROW"},
        {"unknown field type", wrap("<FIELD attrname=\"X\" fieldtype=\"bin.hex\"/>", ""),
         "bin.hex"},
        // "\u017F" (long s) folds to "s" but is lower case already.
        {"field type with a letter that folds to its name",
         wrap("<FIELD attrname=\"X\" fieldtype=\"\xC5\xBFtring\" WIDTH=\"2\"/>", ""),
         "desconhecido"},
        {"field without name", wrap("<FIELD fieldtype=\"r8\"/>", ""), "attrname"},
        // Such a field could never appear in a ROW, and the writer could not write it back.
        {"field name not an XML name", wrap("<FIELD attrname=\"A]B\" fieldtype=\"r8\"/>", ""),
         "A]B"},
        {"field name with a colon", wrap("<FIELD attrname=\"x:CD\" fieldtype=\"r8\"/>", ""),
         "x:CD"},
        {"duplicate field",
         wrap("<FIELD attrname=\"CD\" fieldtype=\"r8\"/><FIELD attrname=\"cd\" fieldtype=\"r8\"/>",
              ""),
         "duplicado"},
        {"field named RowState", wrap("<FIELD attrname=\"RowState\" fieldtype=\"r8\"/>", ""),
         "RowState"},
        {"string without width", wrap("<FIELD attrname=\"CD\" fieldtype=\"string\"/>", ""),
         "WIDTH"},
        {"zero width", wrap("<FIELD attrname=\"CD\" fieldtype=\"string\" WIDTH=\"0\"/>", ""),
         "WIDTH"},
        {"odd unicode width",
         wrap("<FIELD attrname=\"CD\" fieldtype=\"string.uni\" WIDTH=\"3\"/>", ""), "WIDTH"},
        {"huge width",
         wrap("<FIELD attrname=\"CD\" fieldtype=\"string\" WIDTH=\"99999999999\"/>", ""), "WIDTH"},
        {"unknown row attribute", all("<ROW CD=\"01\" XX=\"1\"/>"), "XX"},
        {"attribute case differs", all("<ROW cd=\"01\"/>"), "cd"},
        {"duplicate attribute", all("<ROW CD=\"01\" CD=\"02\"/>"), "linha"},
        {"value beyond width", all("<ROW CD=\"123\"/>"), "WIDTH"},
        {"comma in r8", all("<ROW VR=\"1,5\"/>"), "VR"},
        {"r8 overflow", all("<ROW VR=\"1e999\"/>"), "VR"},
        {"r8 infinity", all("<ROW VR=\"INF\"/>"), "VR"},
        {"r8 NaN", all("<ROW VR=\"nan\"/>"), "VR"},
        {"r8 empty", all("<ROW VR=\"\"/>"), "VR"},
        {"bad date", all("<ROW DT=\"20260230\"/>"), "DT"},
        {"short date", all("<ROW DT=\"2026127\"/>"), "DT"},
        {"date with time", all("<ROW DT=\"20261207T10:00:00000\"/>"), "DT"},
        {"bad time", all("<ROW TS=\"20261207T25:00:00000\"/>"), "TS"},
        {"integer with decimals", all("<ROW QT=\"1.5\"/>"), "QT"},
        {"integer overflow", all("<ROW QT=\"4294967296\"/>"), "QT"},
        {"bad boolean", all("<ROW BO=\"yes\"/>"), "BO"},
        {"bad RowState", all("<ROW RowState=\"3\" CD=\"01\"/>"), "RowState"},
        {"RowState text", all("<ROW RowState=\"x\" CD=\"01\"/>"), "RowState"},
        {"change log not triples",
         all("<ROW RowState=\"4\" CD=\"01\"/>", "<PARAMS CHANGE_LOG=\"1 0\"/>"), "CHANGE_LOG"},
        {"change log beyond rows",
         all("<ROW RowState=\"4\" CD=\"01\"/>", "<PARAMS CHANGE_LOG=\"2 0 4\"/>"), "CHANGE_LOG"},
        {"change log wrong kind",
         all("<ROW RowState=\"4\" CD=\"01\"/>", "<PARAMS CHANGE_LOG=\"1 0 2\"/>"), "CHANGE_LOG"},
        {"change log misses a row",
         all("<ROW RowState=\"4\" CD=\"01\"/><ROW RowState=\"2\" CD=\"02\"/>",
             "<PARAMS CHANGE_LOG=\"1 0 4\"/>"),
         "CHANGE_LOG"},
        {"change log row twice",
         all("<ROW RowState=\"4\" CD=\"01\"/>", "<PARAMS CHANGE_LOG=\"1 0 4 1 0 4\"/>"),
         "CHANGE_LOG"},
        // Only a deletion may name the row itself as its original.
        {"insert naming itself",
         all("<ROW RowState=\"4\" CD=\"01\"/>", "<PARAMS CHANGE_LOG=\"1 1 4\"/>"), "CHANGE_LOG"},
        {"deletion naming another row",
         all("<ROW RowState=\"2\" CD=\"01\"/><ROW CD=\"02\"/>", "<PARAMS CHANGE_LOG=\"1 2 2\"/>"),
         "CHANGE_LOG"},
        {"modify without original",
         all("<ROW RowState=\"8\" CD=\"01\"/><ROW CD=\"02\"/>", "<PARAMS CHANGE_LOG=\"1 2 8\"/>"),
         "CHANGE_LOG"},
        {"modify without log or pair", all("<ROW RowState=\"8\" CD=\"01\"/>"), "RowState"},
        {"original without its new version", all("<ROW RowState=\"1\" CD=\"01\"/>"), "RowState"},
        {"DTD",
         QByteArray(Head) + "<!DOCTYPE DATAPACKET [<!ENTITY x \"y\">]>" +
             all("").mid(qsizetype(strlen(Head))),
         "DTD"},
        {"external entity",
         QByteArray(Head) + "<!DOCTYPE DATAPACKET [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>" +
             wrap(Code, "<ROW CD=\"&x;\"/>").mid(qsizetype(strlen(Head))),
         "DTD"},
        {"undeclared entity", wrap(Code, "<ROW CD=\"&x;\"/>"), "linha"},
        {"control character reference", wrap(Code, "<ROW CD=\"&#1;\"/>"), "linha"},
        {"raw control character", wrap(Code, "<ROW CD=\"\x01\"/>"), "linha"},
        {"invalid UTF-8", wrap(Code, "<ROW CD=\"\xC3\x28\"/>"), "UTF-8"},
        {"overlong UTF-8", wrap(Code, "<ROW CD=\"\xC0\xAF\"/>"), "UTF-8"},
        {"UTF-8 surrogate", wrap(Code, "<ROW CD=\"\xED\xA0\x80\"/>"), "UTF-8"},
        {"Latin-1 declared",
         QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>") +
             all("").mid(qsizetype(strlen(Head))),
         "ISO-8859-1"},
        {"nested unknown elements",
         wrap(Code, QByteArray(20 * 4, ' ')
                        .replace("    ", "<a>")
                        .append(QByteArray(20 * 4, ' ').replace("    ", "</a>"))
                        .constData()),
         "linha"},
    };
}

TEST(MalformedPacket, EveryFaultIsADatabaseErrorWithItsPlace)
{
    for (const BadPacket &bad : badPackets()) {
        SCOPED_TRACE(bad.name);
        try {
            DataPacket::Parse(bad.xml);
            ADD_FAILURE() << "accepted";
        } catch (const EDatabaseError &e) {
            EXPECT_TRUE(e.Message().contains(QStringLiteral("linha"))) << e.what();
            EXPECT_TRUE(e.Message().contains(QString::fromUtf8(bad.mentions))) << e.what();
        }
    }
}

TEST(MalformedPacket, TheFaultsLineAndColumnAreNamed)
{
    const QByteArray xml = QByteArray(Head) +
                           "<DATAPACKET Version=\"2.0\">\n<METADATA>\n<FIELDS>\n" + Rate +
                           "\n</FIELDS>\n</METADATA>\n<ROWDATA>\n  <ROW VR=\"x\"/>\n</ROWDATA>\n"
                           "</DATAPACKET>";
    try {
        DataPacket::Parse(xml);
        ADD_FAILURE();
    } catch (const EDatabaseError &e) {
        EXPECT_TRUE(
            e.Message().startsWith(QStringLiteral("Pacote de dados inválido (linha 9, coluna 16)")))
            << e.what();
    }
}

TEST(MalformedPacket, AFailedLoadLeavesTheListUntouched)
{
    TClientDataSet ds;
    ds.SetData(Variant::fromPacket(wrap(Code, "<ROW CD=\"01\"/>")));
    const QByteArray before = ds.Data().packet();
    for (const BadPacket &bad : badPackets()) {
        SCOPED_TRACE(bad.name);
        EXPECT_THROW(ds.SetData(Variant::fromPacket(bad.xml)), EDatabaseError);
        EXPECT_EQ(ds.Data().packet(), before);
    }
}

TEST(MalformedPacket, AnOversizedFileIsRefusedBeforeReading)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("BIG.CDS")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(DataPacket::MaxBytes + 1)); // sparse: costs no memory
    file.close();
    TClientDataSet ds;
    try {
        ds.LoadFromFile(file.fileName());
        ADD_FAILURE();
    } catch (const EDatabaseError &e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("limite"))) << e.what();
    }
}

TEST(MalformedPacket, TolerableVariationsAreRead)
{
    const QByteArray variants[] = {
        wrap(Code, "<ROW CD=\"01\"/>"),
        QByteArray("\xEF\xBB\xBF") + wrap(Code, "<ROW CD=\"01\"/>"), // byte order mark
        wrap("<FIELD attrname=\"CD\" fieldtype=\"STRING\" WIDTH=\"2\" SUBTYPE=\"x\"/>",
             "<!-- note --><ROW CD=\"01\"/>"), // case, extra attribute
        wrap("<FIELD attrname=\"CD\" fieldtype=\"string.uni\" WIDTH=\"4\"/>", "<ROW CD=\"01\"/>"),
        QByteArray("<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>") + Code +
            "</FIELDS></METADATA><ROWDATA><ROW CD=\"01\"/></ROWDATA></DATAPACKET>", // no
                                                                                    // declaration
    };
    for (const QByteArray &xml : variants) {
        SCOPED_TRACE(xml.toStdString());
        const DataPacket packet = DataPacket::Parse(xml);
        ASSERT_EQ(packet.rows.size(), 1u);
        EXPECT_EQ(packet.rows[0].values[0].toString(), QStringLiteral("01"));
        EXPECT_EQ(packet.fields[0].size, 2);
    }
}

TEST(MalformedPacket, ReadOnlyTypesAreReadIntoTheirFieldKinds)
{
    const DataPacket packet = DataPacket::Parse(
        wrap("<FIELD attrname=\"F\" fieldtype=\"fixed\" WIDTH=\"15\" DECIMALS=\"2\"/>"
             "<FIELD attrname=\"S\" fieldtype=\"i2\"/><FIELD attrname=\"L\" fieldtype=\"i8\"/>"
             "<FIELD attrname=\"M\" fieldtype=\"r8\" SUBTYPE=\"Money\"/>"
             "<FIELD attrname=\"B\" fieldtype=\"fixedFMT\"/>",
             "<ROW F=\"123.45\" S=\"-7\" L=\"2147483647\" M=\"1e+20\" B=\"0.5\"/>"));
    ASSERT_EQ(packet.rows.size(), 1u);
    EXPECT_EQ(packet.fields[0].type, TFieldType::ftFloat);
    EXPECT_EQ(packet.fields[2].type, TFieldType::ftInteger);
    EXPECT_EQ(packet.rows[0].values, (std::vector<QVariant>{123.45, -7, 2147483647, 1e20, 0.5}));
}

TEST(MalformedPacket, UnwritableContentIsRefusedOnWriting)
{
    DataPacket control;
    control.fields = {{QStringLiteral("CD"), TFieldType::ftString, 5}};
    control.rows.push_back({{QStringLiteral("a\x01z")}});
    EXPECT_THROW(control.ToXml(), EDatabaseError);
    EXPECT_THROW(Variant::fromPacket(control), EDatabaseError);

    DataPacket beyondInt;
    beyondInt.fields = {{QStringLiteral("QT"), TFieldType::ftInteger, 0}};
    beyondInt.rows.push_back({{qlonglong(1) << 40}});
    EXPECT_THROW(beyondInt.ToXml(), EDatabaseError); // the reader would refuse it

    DataPacket badName;
    badName.fields = {{QStringLiteral("COUNT(*)"), TFieldType::ftFloat, 0}};
    EXPECT_THROW(badName.ToXml(), EDatabaseError);
}

} // namespace
