#pragma once

#include <QString>
#include <Qt>
#include <vector>

// One key as the operator presses it: the Qt key, the text it produces (empty for keys that
// produce none) and the modifiers held.
struct ScriptKey {
    Qt::Key key = Qt::Key_unknown;
    QString text;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;

    bool operator==(const ScriptKey &other) const = default;
};

// One line of a kpfhost script, already checked.
struct ScriptCommand {
    enum class Kind { Click, Key, Type, Select, Dump, Screenshot, Reactivate, Close, Wait };

    Kind kind = Kind::Dump;
    int line = 0;     // 1-based line in the script
    QString argument; // click: control name; select: field name; screenshot: file; type: text
    std::vector<ScriptKey> keys; // key: one; type: one per character
    int row = 0;                 // select
    int milliseconds = 0;        // wait
};
