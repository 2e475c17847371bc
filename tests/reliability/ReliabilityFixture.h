#pragma once

#include "ScreenFixture.h"

#include <QStringList>

// The screen fixture with what every reliability case checks: a connection string that carries
// a password, every text the operator or the host saw, and nothing left behind by a failed call.
class ReliabilityFixture : public ScreenFixture
{
protected:
    static constexpr const char *Secret = "Kpf-S3nha-9f27c1";

    void SetUp() override;

    // The fixture's SQLite database reached with a user and the secret password.
    QString SQLiteConnection() const;
    // Runs the entry and returns the text of the exception that ended it (empty when none).
    QString FailedEntryText(const ScreenAction &action = {}, const ZKey &key = ZKey(),
                            TClientDataSet *source = nullptr);
    // A failed call leaves no screen, no data module and no screen flag behind.
    void ExpectNothingLeft() const;
    // Neither the messages, the errors nor the extra texts hold the password.
    void ExpectNoSecret(const QStringList &more = {}) const;
    // Every text shown to the operator, for failure output.
    QString Shown() const;
    // A day with stored lines: the list is not empty when a fault hits.
    static ZKey StoredDay();
    // Types the line 04 / 25 / 80 up to the base, without leaving it.
    static void TypeLine();
};
