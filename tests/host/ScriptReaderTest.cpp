#include "ScriptReader.h"

#include <QStringList>
#include <gtest/gtest.h>

using Kind = ScriptCommand::Kind;

namespace
{

struct GoodLine {
    const char *name;
    const char *line;
    Kind kind;
    const char *argument;
    ScriptKey firstKey; // key and type only
    int number;         // select: row; wait: milliseconds
};

const GoodLine goodLines[] = {
    {"click", "click blsConfirm", Kind::Click, "blsConfirm", {}, 0},
    {"click_blanks_around", "  \tclick   sbt000  ", Kind::Click, "sbt000", {}, 0},
    {"key_digit", "key 5", Kind::Key, "", {Qt::Key_5, "5", {}}, 0},
    {"key_comma", "key ,", Kind::Key, "", {Qt::Key_Comma, ",", {}}, 0},
    {"key_full_stop", "key .", Kind::Key, "", {Qt::Key_Period, ".", {}}, 0},
    {"key_plus", "key +", Kind::Key, "", {Qt::Key_Plus, "+", {}}, 0},
    {"key_letter_upper_code", "key a", Kind::Key, "", {Qt::Key_A, "a", {}}, 0},
    {"key_enter", "key Enter", Kind::Key, "", {Qt::Key_Return, "\r", {}}, 0},
    {"key_named_any_case", "key eScApE", Kind::Key, "", {Qt::Key_Escape, "\x1b", {}}, 0},
    {"key_backspace", "key Backspace", Kind::Key, "", {Qt::Key_Backspace, "\b", {}}, 0},
    {"key_delete_types_nothing", "key Delete", Kind::Key, "", {Qt::Key_Delete, "", {}}, 0},
    {"key_alt_f4", "key Alt+F4", Kind::Key, "", {Qt::Key_F4, "", Qt::AltModifier}, 0},
    {"key_ctrl_delete",
     "key Ctrl+Delete",
     Kind::Key,
     "",
     {Qt::Key_Delete, "", Qt::ControlModifier},
     0},
    {"key_ctrl_shift_delete",
     "key Ctrl+Shift+Delete",
     Kind::Key,
     "",
     {Qt::Key_Delete, "", Qt::ControlModifier | Qt::ShiftModifier},
     0},
    {"key_ctrl_enter_types_nothing",
     "key Ctrl+Enter",
     Kind::Key,
     "",
     {Qt::Key_Return, "", Qt::ControlModifier},
     0},
    {"key_shift_tab_is_backtab",
     "key Shift+Tab",
     Kind::Key,
     "",
     {Qt::Key_Backtab, "", Qt::ShiftModifier},
     0},
    {"key_ctrl_plus", "key Ctrl++", Kind::Key, "", {Qt::Key_Plus, "", Qt::ControlModifier}, 0},
    {"key_shift_digit_keeps_text",
     "key Shift+5",
     Kind::Key,
     "",
     {Qt::Key_5, "5", Qt::ShiftModifier},
     0},
    {"type_keeps_inner_blanks", "type 12 ,5", Kind::Type, "12 ,5", {Qt::Key_1, "1", {}}, 0},
    {"type_non_ascii", "type çã", Kind::Type, "çã", {Qt::Key(0xC7), "ç", {}}, 0},
    {"select", "select 2 VRALIQIMPRZ", Kind::Select, "VRALIQIMPRZ", {}, 2},
    {"select_top", "select 0 CDIMPOSTO", Kind::Select, "CDIMPOSTO", {}, 0},
    {"dump", "dump", Kind::Dump, "", {}, 0},
    {"screenshot_path_with_blanks",
     "screenshot /tmp/a b.png",
     Kind::Screenshot,
     "/tmp/a b.png",
     {},
     0},
    {"reactivate", "reactivate", Kind::Reactivate, "", {}, 0},
    {"close", "close", Kind::Close, "", {}, 0},
    {"wait", "wait 250", Kind::Wait, "", {}, 250},
    {"wait_zero", "wait 0", Kind::Wait, "", {}, 0},
    {"crlf_line_end", "dump\r", Kind::Dump, "", {}, 0},
};

void PrintTo(const GoodLine &row, std::ostream *os)
{
    *os << row.line;
}

class GoodLineTest : public ::testing::TestWithParam<GoodLine>
{
};

TEST_P(GoodLineTest, ReadsTheCommand)
{
    const GoodLine &row = GetParam();
    const auto result = ScriptReader::parse(QByteArray(row.line));
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    ASSERT_EQ(result.commands.size(), 1u);
    const ScriptCommand &command = result.commands.front();
    EXPECT_EQ(command.kind, row.kind);
    EXPECT_EQ(command.line, 1);
    EXPECT_EQ(command.argument, QString::fromUtf8(row.argument));
    if (row.kind == Kind::Key || row.kind == Kind::Type) {
        ASSERT_FALSE(command.keys.empty());
        const ScriptKey &key = command.keys.front();
        EXPECT_EQ(key.key, row.firstKey.key);
        EXPECT_EQ(key.text, row.firstKey.text);
        EXPECT_EQ(key.modifiers, row.firstKey.modifiers);
    }
    if (row.kind == Kind::Select) {
        EXPECT_EQ(command.row, row.number);
    }
    if (row.kind == Kind::Wait) {
        EXPECT_EQ(command.milliseconds, row.number);
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, GoodLineTest, ::testing::ValuesIn(goodLines),
                         [](const auto &info) { return std::string(info.param.name); });

struct BadScript {
    const char *name;
    QByteArray script;
    int line;
    const char *errorPart;
};

const BadScript badScripts[] = {
    {"unknown_command", "dump\nclik sbt1\n", 2, "unknown command 'clik'"},
    {"command_is_case_sensitive", "Dump", 1, "unknown command"},
    {"click_without_name", "click", 1, "click needs one control name"},
    {"click_two_names", "click sbt1 sbt2", 1, "click needs one control name"},
    {"click_bad_name", "click sbt-1", 1, "click needs one control name"},
    {"keypad_without_buttons", "keypad ", 1, "keypad needs the buttons"},
    {"keypad_unknown_button", "dump\nkeypad 1 Ok", 2, "the keypad has no button 'Ok'"},
    {"key_without_key", "key", 1, "key needs one key"},
    {"key_two_words", "key 5 6", 1, "key needs one key"},
    {"key_unknown_name", "key Home", 1, "unknown key 'Home'"},
    {"key_unknown_modifier", "key Meta+F4", 1, "unknown modifier 'Meta'"},
    {"key_modifier_twice", "key Ctrl+ctrl+Delete", 1, "given twice"},
    {"key_modifier_alone", "key Ctrl+", 1, "unknown key 'Ctrl+'"},
    {"key_two_characters", "key 55", 1, "unknown key '55'"},
    {"type_without_text", "type   ", 1, "type needs a text"},
    {"type_tab_character", "type 1\t2", 1, "cannot type the character U+0009"},
    {"select_negative_row", "select -1 CDIMPOSTO", 1, "select needs a row"},
    {"select_no_field", "select 1", 1, "select needs a row"},
    {"select_row_too_large", "select 100000 CDIMPOSTO", 1, "select needs a row"},
    {"select_row_not_number", "select x CDIMPOSTO", 1, "select needs a row"},
    {"dump_with_argument", "dump now", 1, "dump takes no argument"},
    {"close_with_argument", "close 1", 1, "close takes no argument"},
    {"reactivate_with_argument", "reactivate x", 1, "reactivate takes no argument"},
    {"screenshot_without_file", "screenshot", 1, "screenshot needs a file name"},
    {"wait_without_time", "wait", 1, "wait needs milliseconds"},
    {"wait_negative", "wait -5", 1, "wait needs milliseconds"},
    {"wait_too_long", "wait 600001", 1, "wait needs milliseconds"},
    {"wait_huge_number", "wait 99999999999999999999", 1, "wait needs milliseconds"},
    {"invalid_utf8", "dump\n\n# ok\ntype \xC3\x28\n", 4, "not valid UTF-8"},
    {"utf8_cut_at_line_end", "type \xC3\ndump", 1, "not valid UTF-8"},
    {"nul_byte", QByteArray("dump\nclick sbt1\0x", 16), 2, "control character"},
    {"control_character_in_comment", "# a\x01\n", 1, "control character"},
};

void PrintTo(const BadScript &row, std::ostream *os)
{
    *os << row.name;
}

class BadScriptTest : public ::testing::TestWithParam<BadScript>
{
};

TEST_P(BadScriptTest, NamesTheLineAndTheFault)
{
    const BadScript &row = GetParam();
    const auto result = ScriptReader::parse(row.script);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.errorLine, row.line);
    EXPECT_TRUE(result.error.contains(QString::fromUtf8(row.errorPart)))
        << result.error.toStdString();
    EXPECT_TRUE(result.commands.empty()) << "no half-read script";
}

INSTANTIATE_TEST_SUITE_P(Scripts, BadScriptTest, ::testing::ValuesIn(badScripts),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ScriptReader, SkipsBlankAndCommentLinesAndKeepsLineNumbers)
{
    const auto result = ScriptReader::parse("# a demo\n\n   \nclick sbt1\n  # indented comment\n"
                                            "type 00\r\n\ndump");
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    ASSERT_EQ(result.commands.size(), 3u);
    EXPECT_EQ(result.commands[0].line, 4);
    EXPECT_EQ(result.commands[1].line, 6);
    EXPECT_EQ(result.commands[2].line, 8);
}

TEST(ScriptReader, KeypadMakesOneTouchPerButtonOnItsLine)
{
    const auto result = ScriptReader::parse("dump\nkeypad 0 2  enter , Proximo");
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    QStringList touched;
    for (const ScriptCommand &command : result.commands) {
        if (command.kind == ScriptCommand::Kind::Click && command.line == 2)
            touched << command.argument;
    }
    EXPECT_EQ(touched.join(' '), "sbt0 BlendedBitBtn10 sbtEnter sbtVirgula sbtProx");
    EXPECT_EQ(result.commands.size(), 6u);
}

TEST(ScriptReader, TypeMakesOneKeyPerCharacter)
{
    const auto result = ScriptReader::parse("type 1,5");
    ASSERT_TRUE(result.ok());
    const auto &keys = result.commands.front().keys;
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0], (ScriptKey{Qt::Key_1, "1", {}}));
    EXPECT_EQ(keys[1], (ScriptKey{Qt::Key_Comma, ",", {}}));
    EXPECT_EQ(keys[2], (ScriptKey{Qt::Key_5, "5", {}}));
}

TEST(ScriptReader, EmptyScriptHasNoCommand)
{
    for (const QByteArray &script : {QByteArray(), QByteArray("\n\n"), QByteArray("# only\n")}) {
        const auto result = ScriptReader::parse(script);
        EXPECT_TRUE(result.ok());
        EXPECT_TRUE(result.commands.empty());
    }
}

TEST(ScriptReader, RefusesAnOversizedScriptAsAWhole)
{
    const auto result = ScriptReader::parse(QByteArray(ScriptReader::MaxBytes + 1, '\n'));
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.errorLine, 0);
}

} // namespace
