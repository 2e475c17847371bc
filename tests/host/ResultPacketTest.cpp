#include "ResultPacket.h"

#include <gtest/gtest.h>

namespace
{

QByteArray Packet(const QByteArray &fields, const QByteArray &rows)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>" +
           fields + "</FIELDS><PARAMS/></METADATA><ROWDATA>" + rows + "</ROWDATA></DATAPACKET>";
}

TEST(ResultPacket, RowLinesCarryEveryTypeAsJson)
{
    const QByteArray xml = Packet(
        "<FIELD attrname=\"S\" fieldtype=\"string\" WIDTH=\"4\"/>"
        "<FIELD attrname=\"D\" fieldtype=\"date\"/><FIELD attrname=\"T\" fieldtype=\"dateTime\"/>"
        "<FIELD attrname=\"F\" fieldtype=\"r8\" SUBTYPE=\"Money\"/>"
        "<FIELD attrname=\"I\" fieldtype=\"i4\"/><FIELD attrname=\"B\" fieldtype=\"boolean\"/>",
        "<ROW RowState=\"4\" S=\"a&quot;&#233;\" D=\"20261207\" T=\"20261207T10:30:05000\" "
        "F=\"0.29\" I=\"-3\" B=\"TRUE\"/>\n"
        "<ROW RowState=\"2\" S=\"\" F=\"1e+20\" T=\"20261207\"/><ROW/>");
    QString error;
    const auto packet = ResultPacket::Parse(xml, &error);
    ASSERT_TRUE(packet) << error.toStdString();
    EXPECT_EQ(packet->fields.size(), 6u);
    EXPECT_EQ(packet->fields[2].type, "dateTime");
    EXPECT_EQ(packet->JsonRows(),
              (QList<QByteArray>{
                  "{\"S\":\"a\\\"\xC3\xA9\",\"D\":\"2026-12-07\",\"T\":\"2026-12-07T10:30:05\","
                  "\"F\":0.29,\"I\":-3,\"B\":true,\"rowState\":\"inserted\"}",
                  "{\"S\":null,\"D\":null,\"T\":\"2026-12-07T00:00:00\",\"F\":1e+20,\"I\":null,"
                  "\"B\":null,\"rowState\":\"deleted\"}",
                  "{\"S\":null,\"D\":null,\"T\":null,\"F\":null,\"I\":null,\"B\":null,"
                  "\"rowState\":\"original\"}"}));
}

struct BadPacket {
    const char *name;
    QByteArray xml;
    const char *errorPart;
};

const QByteArray kField = "<FIELD attrname=\"D\" fieldtype=\"date\"/>";

const BadPacket badPackets[] = {
    {"not_xml", "<DATAPACKET", "line 1"},
    {"other_root", "<PACKET/>", "<DATAPACKET> expected"},
    {"no_rowdata", "<DATAPACKET><METADATA><FIELDS/></METADATA></DATAPACKET>", "<ROWDATA> expected"},
    {"bad_date", Packet(kField, "<ROW D=\"20261332\"/>"), "'20261332' não é um valor"},
    {"unknown_attribute", Packet(kField, "<ROW X=\"1\"/>"), "nenhum FIELD descreve"},
    {"bad_row_state", Packet(kField, "<ROW RowState=\"x\"/>"), "RowState 'x'"},
    {"unknown_type", Packet("<FIELD attrname=\"G\" fieldtype=\"blob\"/>", ""), "tipo 'blob'"},
    {"field_twice", Packet(kField + kField, ""), "descrito duas vezes"},
    {"text_in_rowdata", Packet(kField, "x"), "texto onde só cabem elementos"},
    {"entity", "<!DOCTYPE DATAPACKET [<!ENTITY e \"1\">]>" + Packet(kField, ""),
     "tipo de documento"},
    {"infinite_number", Packet("<FIELD attrname=\"F\" fieldtype=\"r8\"/>", "<ROW F=\"inf\"/>"),
     "não é um valor"},
};

class BadPacketTest : public ::testing::TestWithParam<BadPacket>
{
};

TEST_P(BadPacketTest, IsRefusedWithWhereAndWhy)
{
    QString error;
    EXPECT_FALSE(ResultPacket::Parse(GetParam().xml, &error));
    EXPECT_TRUE(error.contains(QString::fromUtf8(GetParam().errorPart))) << error.toStdString();
    EXPECT_TRUE(error.startsWith(QStringLiteral("line "))) << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Packets, BadPacketTest, ::testing::ValuesIn(badPackets),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
