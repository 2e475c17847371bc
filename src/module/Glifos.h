#pragma once

#include <QColor>
#include <QIcon>
#include <QSize>
#include <QString>

// The images of the tax screen's image-only buttons, drawn as vector paths so that they stay crisp
// at any size and device pixel ratio. The screen definition names each button's image through the
// dynamic property "Glifo".
class Glifos
{
public:
    enum Glifo { Anterior, Proxima, Voltar, Corrigir, Enter, Confirmar, Cancelar };

    // The image of that name ("anterior", "proxima", "voltar", "corrigir", "enter", "confirmar",
    // "cancelar"); false when the name is unknown.
    static bool PorNome(const QString &nome, Glifo &glifo);
    // An icon that paints the image in one colour at any size; its natural size is TamanhoNatural.
    static QIcon Icone(Glifo glifo, const QColor &cor);
    static QSize TamanhoNatural(Glifo glifo);
};
