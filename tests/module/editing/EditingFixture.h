#pragma once

#include "ScreenFixture.h"

#include <QString>
#include <QStringList>

class TfrmImpost;

// Screen tests of the keypad editor and the checks. The operator's actions are kpfhost's script
// text, played at once on the screen that is up by the scripted operator (one command a line:
// `keypad 0 1 Enter`, `key Alt+F4`, `type 12`, `select 0 VRALIQIMPRZ`, `click blsConfirm`).
class EditingFixture : public ScreenFixture
{
public:
    // One operator session and what it must leave. Members left at their defaults are not checked.
    struct ScreenCase {
        const char *name = "";
        bool stored = false;         // the Z reduction holds kStoredLines
        const char *setupSql = "";   // run on the database before the entry
        const char *steps = "";      // kpfhost's script text
        const char *trace = nullptr; // nrCampo after each command, blank-separated
        int nrCampo = -1;
        const char *txAliq = nullptr;
        const char *txValor = nullptr;
        int state = -1; // of cdsImpRedZ when the steps are done
        int rows = -1;
        const char *top = nullptr;    // Describe() of the top row
        const char *messages = "";    // every message shown, joined by '|'
        int errors = 0;               // errors shown by the platform's error presenter
        int closed = -1;              // 1: the screen was closed by the steps
        const char *packet = nullptr; // DescribePacket() of the result, sorted, joined by "; "
        bool unassigned = false;      // the entry returned nothing
    };

protected:
    // Plays the case through the real entry and checks everything it names.
    void RunCase(const ScreenCase &c);
    static void ExpectScreen(const ScreenCase &c, const TfrmImpost &form, const QStringList &trace);

    // The Z reduction of ZKey() with two stored lines: 01 (7 % of 100) and 03 (18 % of 1000).
    static const QString kStoredLines;

    // "CODE|RATE|BASE" of a screen row; an absent or empty value is "~", numbers as %.15g.
    static QString Describe(const QVariantMap &row);
    // "STATE CODE RATE BASE TAX" of every row of a returned packet, in packet order.
    static QStringList DescribePacket(const Variant &packet);
    static QString Number(const QVariant &value);
    // The row of the screen whose code is `code`, or -1.
    static int RowOf(const TfrmImpost &form, const QString &code);
};

// Readable failures: gtest would print a QString as its UTF-16 units.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

// gtest prints parameters; the case's name says enough.
inline void PrintTo(const EditingFixture::ScreenCase &c, std::ostream *os)
{
    *os << c.name;
}

// Names parameterised tests after their cases.
struct CaseName {
    template <class ParamInfo> std::string operator()(const ParamInfo &info) const
    {
        return info.param.name;
    }
};
