#pragma once

#include "DateTime.h"
#include "Variant.h"

#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

class TClientDataSet;
class TfrmImpost;

// The Z reduction the entry is called for.
struct ZKey {
    QString branch = QStringLiteral("0001");
    QString till = QStringLiteral("001");
    QString zCounter = QStringLiteral("0000000123");
    TDateTime zDate = EncodeDateTime(2026, 12, 7);
    TDateTime referenceDate = EncodeDateTime(2026, 12, 7);
};
// A tax line as the host hands it in (every value a text, as the host's data set holds it).
struct SourceLine {
    QString cdImposto;
    QString vrAliqImpFis;
    QString vrVendido;
    QString vrImposto;
};

// Drives the real tax-entry screen through the module's entry in a fresh home directory: the two
// settings files, a SQLite database of its own, recorders in place of the message box and the
// error box. Screen tests derive from it (TEST_F) and run the entry with a callback that plays
// the operator once the screen is up.
class ScreenFixture : public ::testing::Test
{
public:
    using ScreenAction = std::function<void(TfrmImpost &)>;

    // A host data set with the fields CDIMPOSTO, VRALIQIMPFIS, VRVENDIDO, VRIMPOSTO (strings),
    // holding the lines, its current record at `current`.
    static std::unique_ptr<TClientDataSet> MakeSource(const QList<SourceLine> &lines,
                                                      int current = 0);

    // --- the operator ---------------------------------------------------------------------
    // Plays kpfhost's script text at once on the screen that is up, each command through the
    // scripted operator (`keypad 0 1 Enter`, `type 25`, `key Enter`, `select 0 CDIMPOSTO`,
    // `click blsConfirm`); afterEach runs after each command (a keypad line is one a button).
    static void Play(const QString &script, const std::function<void()> &afterEach = {});

    // --- what the screen holds ------------------------------------------------------------
    // The rows of cdsImpRedZ top to bottom, the pending one included: field name -> value
    // (invalid QVariant for null).
    static QList<QVariantMap> Rows(const TfrmImpost &form);
    static int State(const TfrmImpost &form);
    // The rows of a returned packet in packet order, with "rowState" (int) added.
    static QList<QVariantMap> PacketRows(const Variant &packet);

protected:
    void SetUp() override;
    void TearDown() override;

    // --- home directory -------------------------------------------------------------------
    QString HomeDir() const { return m_home.path(); }
    // Writes both settings files: PARAMETROSKVR.CDS with IDESQUEMA and KAVIRON.CDS with the
    // printer type (IDTIPOIMPFIS); an empty type writes the field without a value.
    void WriteSettings(const QString &printerType, const QString &idEsquema = QStringLiteral("7"));
    // One settings file holding one record of string fields (an absent value is a null).
    void WriteSettingsFile(const QString &fileName, const QVariantMap &fields);
    void RemoveSettingsFile(const QString &fileName);

    // --- database -------------------------------------------------------------------------
    // A fresh SQLite file from db/schema.sql and db/demo.sql, then the extra statements.
    void CreateDatabase(const QString &extraSql = QString());
    // Runs statements (separated by ';') on the fixture's database; fails the test on error.
    void ExecSql(const QString &sql);
    QString DatabasePath() const;

    // --- the entry ------------------------------------------------------------------------
    // Calls Cli_Kpf05520::CriaImpostoRedZ; the action runs once the screen is shown and active,
    // and the screen is closed afterwards if the action left it open. Exceptions of the entry
    // travel to the caller.
    Variant RunEntry(const ScreenAction &action, const ZKey &key, TClientDataSet *source = nullptr);
    Variant RunEntry(const ScreenAction &action) { return RunEntry(action, ZKey()); }
    // Runs any call that shows the screen (the C entry, for instance) with the same operator.
    void RunOnScreen(const ScreenAction &action, const std::function<void()> &call);
    // True when the action ran on the last run (the screen was shown).
    bool ActionRan() const { return m_actionRan; }

    QStringList messages; // texts shown through the host library's message box
    QStringList errors;   // texts shown by the platform's error presenter

private:
    QTemporaryDir m_home;
    bool m_actionRan = false;
};
