#include "ScriptReader.h"

#include <QKeySequence>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>
#include <array>

namespace
{

struct CommandName {
    const char *word;
    ScriptCommand::Kind kind;
};

constexpr std::array<CommandName, 9> commandNames{{
    {"click", ScriptCommand::Kind::Click},
    {"key", ScriptCommand::Kind::Key},
    {"type", ScriptCommand::Kind::Type},
    {"select", ScriptCommand::Kind::Select},
    {"dump", ScriptCommand::Kind::Dump},
    {"screenshot", ScriptCommand::Kind::Screenshot},
    {"reactivate", ScriptCommand::Kind::Reactivate},
    {"close", ScriptCommand::Kind::Close},
    {"wait", ScriptCommand::Kind::Wait},
}};

// The keypad's buttons by what the operator sees on them; the glyph buttons by their role.
struct KeypadButton {
    const char *caption;
    const char *control;
};

constexpr std::array<KeypadButton, 20> keypadButtons{{
    {"1", "sbt1"},           {"2", "BlendedBitBtn10"},
    {"3", "sbt3"},           {"4", "sbt4"},
    {"5", "BlendedBitBtn9"}, {"6", "sbt6"},
    {"7", "sbt7"},           {"8", "BlendedBitBtn8"},
    {"9", "sbt9"},           {"0", "sbt0"},
    {"00", "sbt00"},         {"000", "sbt000"},
    {",", "sbtVirgula"},     {"Corrigir", "sbtCorrigir"},
    {"Enter", "sbtEnter"},   {"Voltar", "sbtVoltar"},
    {"Anterior", "sbtAnt"},  {"Proximo", "sbtProx"},
    {"+", "blsMais"},        {"-", "blsMenos"},
}};

// The keys a script may name besides single characters, and what each types when no Ctrl or Alt
// is held. Their names are QKeySequence's, but for Enter: QKeySequence reads it as the keypad's
// Enter, and the script's Enter is the main keyboard's Return, which the screen answers to.
struct NamedKey {
    Qt::Key key;
    const char *text;
};

constexpr std::array<NamedKey, 10> namedKeys{{
    {Qt::Key_Return, "\r"},
    {Qt::Key_Escape, "\x1b"},
    {Qt::Key_Backspace, "\b"},
    {Qt::Key_Delete, ""},
    {Qt::Key_Up, ""},
    {Qt::Key_Down, ""},
    {Qt::Key_Left, ""},
    {Qt::Key_Right, ""},
    {Qt::Key_Tab, "\t"},
    {Qt::Key_F4, ""},
}};

// The named key of a text, without modifiers; nothing for other names.
const NamedKey *namedKey(const QString &name)
{
    if (name.compare(QLatin1String("Enter"), Qt::CaseInsensitive) == 0)
        return &namedKeys.front();
    const QKeySequence sequence = QKeySequence::fromString(name, QKeySequence::PortableText);
    if (sequence.count() != 1 || sequence[0].keyboardModifiers() != Qt::NoModifier)
        return nullptr;
    const Qt::Key key = sequence[0].key();
    const auto found = std::find_if(namedKeys.begin(), namedKeys.end(),
                                    [key](const NamedKey &named) { return named.key == key; });
    return found == namedKeys.end() ? nullptr : &*found;
}

struct ModifierName {
    const char *name;
    Qt::KeyboardModifier modifier;
};

constexpr std::array<ModifierName, 3> modifierNames{{
    {"Ctrl", Qt::ControlModifier},
    {"Shift", Qt::ShiftModifier},
    {"Alt", Qt::AltModifier},
}};

bool isName(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return pattern.match(text).hasMatch();
}

// A decimal number in [0, max]; nothing for anything else (signs, blanks, overflow).
std::optional<int> boundedNumber(const QString &text, int max)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    // toInt takes a sign and surrounding blanks, which a row or a wait never has.
    if (!ok || text.isEmpty() || !text.front().isDigit() || !text.back().isDigit() || value > max)
        return std::nullopt;
    return value;
}

QStringList words(const QString &text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return text.split(blanks, Qt::SkipEmptyParts);
}

bool hasControlCharacter(const QString &line)
{
    for (const QChar c : line) {
        if (c != QLatin1Char('\t') && (c.category() == QChar::Other_Control))
            return true;
    }
    return false;
}

} // namespace

ScriptReader::Result ScriptReader::parse(const QByteArray &script)
{
    Result result;
    if (script.size() > MaxBytes) {
        result.error = QStringLiteral("the script is larger than %1 bytes").arg(MaxBytes);
        return result;
    }
    const QList<QByteArray> lines = script.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray bytes = lines[i];
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        // Stateless, so that a sequence cut by the line end is an error too.
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString line = decoder(bytes);
        QString error;
        if (decoder.hasError())
            error = QStringLiteral("the line is not valid UTF-8");
        else if (hasControlCharacter(line))
            error = QStringLiteral("the line holds a control character");
        const QString text = line.trimmed();
        if (error.isEmpty() && (text.isEmpty() || text.startsWith(QLatin1Char('#'))))
            continue;
        if (error.isEmpty()) {
            if (auto commands = parseLine(text, &error)) {
                for (ScriptCommand &command : *commands) {
                    command.line = int(i + 1);
                    result.commands.push_back(std::move(command));
                }
                continue;
            }
        }
        result.commands.clear();
        result.errorLine = int(i + 1);
        result.error = error;
        return result;
    }
    return result;
}

std::optional<std::vector<ScriptCommand>> ScriptReader::parseLine(const QString &line,
                                                                  QString *error)
{
    const qsizetype blank = line.indexOf(QRegularExpression(QStringLiteral("\\s")));
    const QString word = blank < 0 ? line : line.left(blank);
    const QString rest = blank < 0 ? QString() : line.mid(blank).trimmed();
    if (word == QLatin1String("keypad"))
        return parseKeypad(rest, error);
    for (const CommandName &name : commandNames) {
        if (word == QLatin1String(name.word)) {
            auto command = parseArguments(name.kind, word, rest, error);
            if (!command)
                return std::nullopt;
            return std::vector<ScriptCommand>{std::move(*command)};
        }
    }
    *error = QStringLiteral("unknown command '%1'").arg(word);
    return std::nullopt;
}

std::optional<ScriptCommand> ScriptReader::parseArguments(ScriptCommand::Kind kind,
                                                          const QString &word, const QString &rest,
                                                          QString *error)
{
    using Kind = ScriptCommand::Kind;
    ScriptCommand command;
    command.kind = kind;
    const QStringList args = words(rest);
    switch (kind) {
    case Kind::Dump:
    case Kind::Reactivate:
    case Kind::Close:
        if (!args.isEmpty()) {
            *error = QStringLiteral("%1 takes no argument").arg(word);
            return std::nullopt;
        }
        return command;
    case Kind::Click:
        if (args.size() != 1 || !isName(args[0])) {
            *error = QStringLiteral("click needs one control name, such as blsConfirm");
            return std::nullopt;
        }
        command.argument = args[0];
        return command;
    case Kind::Key: {
        if (args.size() != 1) {
            *error = QStringLiteral("key needs one key, such as 5, Enter or Alt+F4");
            return std::nullopt;
        }
        const auto key = parseKey(args[0], error);
        if (!key)
            return std::nullopt;
        command.keys.push_back(*key);
        return command;
    }
    case Kind::Type:
        if (rest.isEmpty()) {
            *error = QStringLiteral("type needs a text");
            return std::nullopt;
        }
        for (qsizetype i = 0; i < rest.size(); ++i) {
            const auto key = characterKey(rest[i]);
            if (!key) {
                // A character outside the BMP is named whole, not by half of its pair.
                const bool pair = rest[i].isHighSurrogate() && i + 1 < rest.size() &&
                                  rest[i + 1].isLowSurrogate();
                const char32_t code =
                    pair ? QChar::surrogateToUcs4(rest[i], rest[i + 1]) : rest[i].unicode();
                *error = QStringLiteral("type cannot type the character U+%1")
                             .arg(QString::number(uint(code), 16)
                                      .toUpper()
                                      .rightJustified(4, QLatin1Char('0')));
                return std::nullopt;
            }
            command.keys.push_back(*key);
        }
        command.argument = rest;
        return command;
    case Kind::Select: {
        const auto row = args.size() == 2 ? boundedNumber(args[0], MaxRow) : std::nullopt;
        if (!row || !isName(args[1])) {
            *error = QStringLiteral("select needs a row (0 = top) and a field name, such as "
                                    "select 0 VRALIQIMPRZ");
            return std::nullopt;
        }
        command.row = *row;
        command.argument = args[1];
        return command;
    }
    case Kind::Screenshot:
        if (rest.isEmpty()) {
            *error = QStringLiteral("screenshot needs a file name");
            return std::nullopt;
        }
        command.argument = rest;
        return command;
    case Kind::Wait: {
        const auto ms =
            args.size() == 1 ? boundedNumber(args[0], MaxWaitMilliseconds) : std::nullopt;
        if (!ms) {
            *error =
                QStringLiteral("wait needs milliseconds from 0 to %1").arg(MaxWaitMilliseconds);
            return std::nullopt;
        }
        command.milliseconds = *ms;
        return command;
    }
    }
    *error = QStringLiteral("unknown command '%1'").arg(word);
    return std::nullopt;
}

// `keypad 0 1 Enter`: one touch per button, in turn, each a click of its own.
std::optional<std::vector<ScriptCommand>> ScriptReader::parseKeypad(const QString &rest,
                                                                    QString *error)
{
    const QStringList captions = words(rest);
    if (captions.isEmpty()) {
        *error = QStringLiteral("keypad needs the buttons to touch, such as keypad 0 1 Enter");
        return std::nullopt;
    }
    std::vector<ScriptCommand> touches;
    for (const QString &caption : captions) {
        const auto found =
            std::find_if(keypadButtons.begin(), keypadButtons.end(), [&](const KeypadButton &b) {
                return caption.compare(QLatin1String(b.caption), Qt::CaseInsensitive) == 0;
            });
        if (found == keypadButtons.end()) {
            *error = QStringLiteral("the keypad has no button '%1' (0 to 9, 00, 000, \",\", "
                                    "Corrigir, Enter, Voltar, Anterior, Proximo, + or -)")
                         .arg(caption);
            return std::nullopt;
        }
        ScriptCommand touch;
        touch.kind = ScriptCommand::Kind::Click;
        touch.argument = QString::fromLatin1(found->control);
        touches.push_back(std::move(touch));
    }
    return touches;
}

std::optional<ScriptKey> ScriptReader::parseKey(const QString &keyText, QString *error)
{
    Qt::KeyboardModifiers modifiers;
    QString rest = keyText;
    // Modifiers are prefixes ending in '+'; a lone '+' (or "Ctrl++") is the plus key itself.
    for (qsizetype plus = rest.indexOf(QLatin1Char('+')); plus > 0 && plus < rest.size() - 1;
         plus = rest.indexOf(QLatin1Char('+'))) {
        const QString name = rest.left(plus);
        const auto found =
            std::find_if(modifierNames.begin(), modifierNames.end(), [&](const ModifierName &m) {
                return name.compare(QLatin1String(m.name), Qt::CaseInsensitive) == 0;
            });
        if (found == modifierNames.end()) {
            *error = QStringLiteral("unknown modifier '%1' (Ctrl, Shift or Alt)").arg(name);
            return std::nullopt;
        }
        if (modifiers.testFlag(found->modifier)) {
            *error = QStringLiteral("modifier '%1' given twice").arg(name);
            return std::nullopt;
        }
        modifiers |= found->modifier;
        rest = rest.mid(plus + 1);
    }
    const bool typesNothing = modifiers & (Qt::ControlModifier | Qt::AltModifier);
    if (const NamedKey *named = rest.size() > 1 ? namedKey(rest) : nullptr) {
        const QKeyCombination combination(modifiers, named->key);
        ScriptKey key{combination.key(),
                      typesNothing ? QString() : QString::fromLatin1(named->text),
                      combination.keyboardModifiers()};
        // Qt reports Shift+Tab as Backtab, as a real keyboard does.
        if (named->key == Qt::Key_Tab && (modifiers & Qt::ShiftModifier))
            key = {Qt::Key_Backtab, QString(), modifiers};
        return key;
    }
    if (rest.size() == 1) {
        if (auto key = characterKey(rest[0]); key && !rest[0].isSpace()) {
            key->modifiers = modifiers;
            if (typesNothing)
                key->text.clear();
            return key;
        }
    }
    *error = QStringLiteral("unknown key '%1' (one character, or Enter, Escape, Backspace, "
                            "Delete, Up, Down, Left, Right, Tab, F4)")
                 .arg(rest);
    return std::nullopt;
}

std::optional<ScriptKey> ScriptReader::characterKey(QChar character)
{
    if (character.isSurrogate() || !character.isPrint())
        return std::nullopt;
    // Qt names a character's key by its upper-case code, as a keyboard reports it.
    const auto code = character.toUpper().unicode();
    return ScriptKey{Qt::Key(code), QString(character), Qt::NoModifier};
}
