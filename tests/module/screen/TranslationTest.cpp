// The screen and its messages in English and Spanish from the compiled translations, the
// Portuguese originals without one, and the same packet in every language.
#include "Blendedshape.h"
#include "Cli_Kpf05520.h"
#include "ScreenFixture.h"
#include "TDBGrid.h"
#include "Tec_msg.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTranslator>
#include <memory>

namespace
{

constexpr const char *kContext = "Kpf05520";
// The keypad's captions are the characters it types: translating them would change the input.
const QStringList kKeypadCaptions{"0", "1", "2",  "3",   "4", "5", "6", "7",
                                  "8", "9", "00", "000", ",", "+", "-"};

std::unique_ptr<QTranslator> LoadTranslation(const QString &language)
{
    auto translator = std::make_unique<QTranslator>();
    const QString file = QStringLiteral(KPF_BINARY_DIR "/bin/kpf05520_%1.qm").arg(language);
    EXPECT_TRUE(translator->load(file)) << "cannot load " << qPrintable(file);
    return translator;
}

// What an operator reads on the screen.
struct ShownTexts {
    QString title;
    QString header;
    QString confirm;
    QString digitOne;
    QString digitOneName;
    QStringList gridTitles;
};

ShownTexts ReadShown(TfrmImpost &form)
{
    ShownTexts shown;
    shown.title = form.windowTitle();
    shown.header = form.findChild<QLabel *>(QStringLiteral("lblCabec"))->text();
    shown.confirm = form.findChild<TBlendedBitBtn *>(QStringLiteral("blsConfirm"))->Caption();
    auto *one = form.findChild<TBlendedBitBtn *>(QStringLiteral("sbt1"));
    shown.digitOne = one->Caption();
    shown.digitOneName = one->accessibleName();
    for (const TDBGrid::Column &column :
         form.findChild<TDBGrid *>(QStringLiteral("dbgImpRedZ"))->Columns())
        shown.gridTitles << column.title;
    return shown;
}

// Every text of the untranslated screen that a translator is expected to know: title,
// captions, labels, grid titles, accessible names and the message table's texts.
QStringList ScreenTexts(TfrmImpost &form)
{
    QStringList texts{form.windowTitle(), form.accessibleName()};
    for (QWidget *w : form.findChildren<QWidget *>()) {
        if (w->objectName().startsWith(QLatin1String("qt_")) || w->objectName() == "lblCodTela")
            continue;
        if (auto *button = qobject_cast<TBlendedBitBtn *>(w))
            texts << button->Caption();
        else if (auto *label = qobject_cast<QLabel *>(w))
            texts << label->text();
        texts << w->accessibleName();
    }
    for (const TDBGrid::Column &column :
         form.findChild<TDBGrid *>(QStringLiteral("dbgImpRedZ"))->Columns())
        texts << column.title;
    for (const QString &line : form.findChild<TMessages *>(QStringLiteral("msgPadrao"))->Messages())
        texts << line.section(QLatin1Char('|'), 1);
    texts.removeAll(QString());
    texts.removeDuplicates();
    return texts;
}

class Translations : public ScreenFixture
{
protected:
    void SetUp() override
    {
        ScreenFixture::SetUp();
        CreateDatabase();
        WriteSettings(QStringLiteral("13"));
    }
    void TearDown() override
    {
        Uninstall();
        ScreenFixture::TearDown();
    }
    void Uninstall()
    {
        if (m_installed)
            QCoreApplication::removeTranslator(m_installed.get());
        m_installed.reset();
    }
    void Install(const QString &language)
    {
        if (language == QLatin1String("pt"))
            return;
        m_installed = LoadTranslation(language);
        QCoreApplication::installTranslator(m_installed.get());
    }
    // Types a code that IMPOSTO lacks and steps off it: one message.
    void TypeUnknownCode(TfrmImpost &) { Play(QStringLiteral("keypad 9 9 Enter")); }
    // A whole line, then Confirm.
    void TypeLineAndConfirm(TfrmImpost &)
    {
        Play(QStringLiteral("keypad 0 1 Enter 7 Enter 1 00\nclick blsConfirm"));
    }

private:
    std::unique_ptr<QTranslator> m_installed;
};

struct LanguageCase {
    const char *language;
    ShownTexts shown;
    const char *unknownCode;
};

void PrintTo(const LanguageCase &c, std::ostream *os)
{
    *os << c.language;
}

const LanguageCase kLanguages[] = {
    {"pt",
     {"Impostos",
      "Impostos",
      "C&onfirmar",
      "1",
      "Dígito 1",
      {"Codigo Imposto", "Aliquota", "Valor Acumulado"}},
     "Imposto não cadastrado."},
    {"en",
     {"Taxes", "Taxes", "C&onfirm", "1", "Digit 1", {"Tax Code", "Rate", "Accumulated Value"}},
     "Tax code not registered."},
    {"es",
     {"Impuestos",
      "Impuestos",
      "C&onfirmar",
      "1",
      "Dígito 1",
      {"Código Impuesto", "Alícuota", "Valor Acumulado"}},
     "Impuesto no registrado."},
};

class TranslationsIn : public Translations, public ::testing::WithParamInterface<LanguageCase>
{
};

TEST_P(TranslationsIn, TheScreenAndItsMessagesSpeakTheInstalledLanguage)
{
    const LanguageCase &c = GetParam();
    Install(QLatin1String(c.language));
    ShownTexts shown;
    RunEntry([&](TfrmImpost &form) {
        shown = ReadShown(form);
        TypeUnknownCode(form);
    });
    EXPECT_EQ(shown.title, c.shown.title);
    EXPECT_EQ(shown.header, c.shown.header);
    EXPECT_EQ(shown.confirm, c.shown.confirm);
    EXPECT_EQ(shown.digitOne, c.shown.digitOne);
    EXPECT_EQ(shown.digitOneName, c.shown.digitOneName);
    EXPECT_EQ(shown.gridTitles, c.shown.gridTitles);
    EXPECT_EQ(messages, QStringList{QString::fromUtf8(c.unknownCode)});
}

INSTANTIATE_TEST_SUITE_P(Languages, TranslationsIn, ::testing::ValuesIn(kLanguages),
                         [](const auto &info) { return std::string(info.param.language); });

TEST_F(Translations, ThePacketIsTheSameInEveryLanguage)
{
    QByteArray portuguese;
    for (const char *language : {"pt", "en", "es"}) {
        SCOPED_TRACE(language);
        Install(QLatin1String(language));
        const Variant result = RunEntry([&](TfrmImpost &form) { TypeLineAndConfirm(form); });
        Uninstall();
        ASSERT_TRUE(result.isPacket());
        if (portuguese.isEmpty())
            portuguese = result.packet();
        else
            EXPECT_EQ(result.packet(), portuguese);
    }
    EXPECT_TRUE(portuguese.contains("CDIMPOSTO=\"01\"")) << portuguese.constData();
}

TEST_F(Translations, EveryScreenTextIsTranslatedAndNoKeypadKeyIs)
{
    QStringList texts;
    RunEntry([&](TfrmImpost &form) { texts = ScreenTexts(form); });
    ASSERT_GT(texts.size(), 40);
    for (const char *language : {"en", "es"}) {
        SCOPED_TRACE(language);
        const auto translator = LoadTranslation(QLatin1String(language));
        for (const QString &text : texts) {
            const QString translated = translator->translate(kContext, text.toUtf8().constData());
            if (kKeypadCaptions.contains(text))
                EXPECT_TRUE(translated.isEmpty()) << "keypad key translated: " << qPrintable(text);
            else
                EXPECT_FALSE(translated.isEmpty()) << "no translation of " << qPrintable(text);
        }
    }
}

} // namespace
