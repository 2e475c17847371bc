#include "Glifos.h"

#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPixmap>
#include <QPolygonF>
#include <array>

namespace
{

struct Desenho {
    Glifos::Glifo glifo;
    const char *nome;
    QSize natural;
};

constexpr std::array<Desenho, 7> kDesenhos{{
    {Glifos::Anterior, "anterior", {32, 32}},
    {Glifos::Proxima, "proxima", {32, 32}},
    {Glifos::Voltar, "voltar", {32, 32}},
    {Glifos::Corrigir, "corrigir", {44, 30}},
    {Glifos::Enter, "enter", {40, 56}},
    {Glifos::Confirmar, "confirmar", {24, 24}},
    {Glifos::Cancelar, "cancelar", {24, 24}},
}};

QPainterPath Poligono(std::initializer_list<QPointF> pontos)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(pontos)));
    path.closeSubpath();
    return path;
}

QPainterPath Traco(const QPainterPath &linha, qreal largura, Qt::PenCapStyle ponta)
{
    QPainterPathStroker stroker;
    stroker.setWidth(largura);
    stroker.setCapStyle(ponta);
    stroker.setJoinStyle(ponta == Qt::RoundCap ? Qt::RoundJoin : Qt::MiterJoin);
    return stroker.createStroke(linha).simplified();
}

QPainterPath Cruz(QPointF a, QPointF b, qreal largura)
{
    QPainterPath linhas;
    linhas.moveTo(a);
    linhas.lineTo(b);
    linhas.moveTo(b.x(), a.y());
    linhas.lineTo(a.x(), b.y());
    return Traco(linhas, largura, Qt::RoundCap);
}

// Each path is drawn in the coordinates of the image's natural size.
QPainterPath Caminho(Glifos::Glifo glifo)
{
    switch (glifo) {
    case Glifos::Anterior:
        return Poligono({{16, 3}, {29, 17}, {21, 17}, {21, 29}, {11, 29}, {11, 17}, {3, 17}});
    case Glifos::Proxima:
        return Poligono({{16, 29}, {29, 15}, {21, 15}, {21, 3}, {11, 3}, {11, 15}, {3, 15}});
    case Glifos::Voltar:
        return Poligono({{3, 16}, {17, 3}, {17, 11}, {29, 11}, {29, 21}, {17, 21}, {17, 29}});
    case Glifos::Corrigir: {
        const QPainterPath tecla = Poligono({{1, 15}, {13, 2}, {43, 2}, {43, 28}, {13, 28}});
        return tecla.subtracted(Cruz({21, 9}, {34, 21}, 4));
    }
    case Glifos::Enter: {
        QPainterPath haste;
        haste.moveTo(32, 4);
        haste.lineTo(32, 38);
        haste.lineTo(14, 38);
        return Traco(haste, 7, Qt::SquareCap).united(Poligono({{2, 38}, {16, 25}, {16, 51}}));
    }
    case Glifos::Confirmar: {
        QPainterPath visto;
        visto.moveTo(4, 13);
        visto.lineTo(10, 19);
        visto.lineTo(21, 6);
        return Traco(visto, 4, Qt::RoundCap);
    }
    case Glifos::Cancelar:
        return Cruz({6, 6}, {18, 18}, 4);
    }
    return QPainterPath();
}

QSize Natural(Glifos::Glifo glifo)
{
    for (const Desenho &d : kDesenhos) {
        if (d.glifo == glifo)
            return d.natural;
    }
    return {};
}

// Paints one path in one colour into whatever rectangle and pixel ratio Qt asks for.
class GlifoEngine : public QIconEngine
{
public:
    GlifoEngine(Glifos::Glifo glifo, QColor cor)
        : m_glifo(glifo), m_cor(std::move(cor)), m_caminho(Caminho(glifo)),
          m_natural(Natural(glifo))
    {
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        const QSizeF alvo = QSizeF(m_natural).scaled(QSizeF(rect.size()), Qt::KeepAspectRatio);
        const qreal escala = alvo.width() / m_natural.width();
        const QPointF canto = QRectF(rect).center() - QPointF(alvo.width(), alvo.height()) / 2;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(canto);
        painter->scale(escala, escala);
        QColor cor = m_cor;
        if (mode == QIcon::Disabled)
            cor.setAlphaF(cor.alphaF() * 0.5);
        painter->fillPath(m_caminho, cor);
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    // Qt asks for the size in device pixels together with the ratio; the image is painted in the
    // device-independent rectangle so that a ratio of 2 really doubles its detail.
    // Every screen asks for the same few sizes, so the pictures are kept (a handful at most).
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override
    {
        const Imagem chave{size, mode, state, scale};
        for (const auto &[feita, pixmap] : m_imagens)
            if (feita == chave)
                return pixmap;
        QPixmap pixmap(size);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            paint(&painter, QRect(QPoint(0, 0), (QSizeF(size) / scale).toSize()), mode, state);
        }
        if (m_imagens.size() >= kMaxImagens)
            m_imagens.removeFirst();
        m_imagens.append({chave, pixmap});
        return pixmap;
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        return m_natural.scaled(size.boundedTo(m_natural), Qt::KeepAspectRatio);
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {m_natural}; }
    QIconEngine *clone() const override { return new GlifoEngine(m_glifo, m_cor); }
    QString key() const override { return QStringLiteral("Kpf05520Glifo"); }

private:
    struct Imagem {
        QSize tamanho;
        QIcon::Mode modo;
        QIcon::State estado;
        qreal escala;
        bool operator==(const Imagem &) const = default;
    };
    static constexpr qsizetype kMaxImagens = 8;

    Glifos::Glifo m_glifo;
    QColor m_cor;
    QPainterPath m_caminho;
    QSize m_natural;
    QList<std::pair<Imagem, QPixmap>> m_imagens;
};

} // namespace

bool Glifos::PorNome(const QString &nome, Glifo &glifo)
{
    for (const Desenho &d : kDesenhos) {
        if (nome == QLatin1String(d.nome)) {
            glifo = d.glifo;
            return true;
        }
    }
    return false;
}

QIcon Glifos::Icone(Glifo glifo, const QColor &cor)
{
    // The paths and their pictures depend on nothing but the image and the colour, so one icon
    // of each serves every screen of the process (copies of a QIcon share its engine).
    static QHash<std::pair<int, quint64>, QIcon> icones;
    const std::pair<int, quint64> chave{glifo, cor.rgba64()};
    auto it = icones.find(chave);
    if (it == icones.end())
        it = icones.insert(chave, QIcon(new GlifoEngine(glifo, cor)));
    return it.value();
}

QSize Glifos::TamanhoNatural(Glifo glifo)
{
    return Natural(glifo);
}
