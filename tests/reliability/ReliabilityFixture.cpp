#include "ReliabilityFixture.h"

#include "Cli_Kpf05520.h"
#include "Exceptions.h"
#include "Geralkvr.h"
#include "Srv_Kpf05520.h"

void ReliabilityFixture::SetUp()
{
    ScreenFixture::SetUp();
    Geralkvr::SetStringConexKvr(SQLiteConnection());
}

ZKey ReliabilityFixture::StoredDay()
{
    ZKey key;
    key.zCounter = QStringLiteral("0000000103");
    key.zDate = key.referenceDate = EncodeDateTime(2026, 12, 3);
    return key;
}

QString ReliabilityFixture::SQLiteConnection() const
{
    return QStringLiteral("Provider=SQLite;Data Source=%1;User ID=caixa;Password=%2")
        .arg(DatabasePath(), QLatin1String(Secret));
}

QString ReliabilityFixture::FailedEntryText(const ScreenAction &action, const ZKey &key,
                                            TClientDataSet *source)
{
    try {
        RunEntry(action, key, source);
    } catch (const Exception &error) {
        return error.Message();
    } catch (const std::exception &error) {
        ADD_FAILURE() << "not a platform exception: " << error.what();
        return QString::fromUtf8(error.what());
    }
    return QString();
}

void ReliabilityFixture::ExpectNothingLeft() const
{
    EXPECT_EQ(Cli_Kpf05520::frmImpost, nullptr);
    EXPECT_EQ(Srv_Kpf05520::rdmImpost, nullptr);
    EXPECT_FALSE(Cli_Kpf05520::boCriado);
}

void ReliabilityFixture::ExpectNoSecret(const QStringList &more) const
{
    for (const QString &text : messages + errors + more)
        EXPECT_FALSE(text.contains(QLatin1String(Secret)))
            << "password shown in: " << text.toStdString();
}

QString ReliabilityFixture::Shown() const
{
    return QStringLiteral("messages: [%1] errors: [%2]")
        .arg(messages.join(QStringLiteral(" | ")), errors.join(QStringLiteral(" | ")));
}

void ReliabilityFixture::TypeLine()
{
    Play(QStringLiteral("click blsMais\ntype 04\nkey Enter\ntype 25\nkey Enter\ntype 80"));
}
