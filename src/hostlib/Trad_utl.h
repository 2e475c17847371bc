#pragma once

#include <QString>

class QWidget;

namespace Trad_utl
{

// Applies the host's installed Qt translators (context "Kpf05520") to the captions, titles and
// texts of a screen; with none installed nothing changes.
void Trad(QWidget *screen);

// One text through the installed translators (context "Kpf05520"); the text itself when none
// knows it. Texts written in the code are marked QT_TRANSLATE_NOOP("Kpf05520", ...), so that
// lupdate finds them.
QString TradTexto(const QString &text);
QString TradTexto(const char *sourceText);

} // namespace Trad_utl
