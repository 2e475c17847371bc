#pragma once

class QWidget;

namespace Trad_utl
{

// Applies the host's installed Qt translators (context "Kpf05520") to the captions, titles and
// texts of a screen; with none installed nothing changes.
void Trad(QWidget *screen);

} // namespace Trad_utl
