#include "TabelleAiuto.h"

#include <QList>

namespace evapre {

const TabellaAiuto* TabelleAiuto::Per(const QString& nome) {
    static const QList<TabellaAiuto> kTabelle{
        {QStringLiteral("FattDocumento"),
         QStringLiteral("FattDocumenti"),
         {QStringLiteral("FattDocumento")},
         QStringLiteral("Descrizione")},
        {QStringLiteral("Conto"),
         QStringLiteral("PianoConti"),
         {QStringLiteral("Gruppo"), QStringLiteral("Mastro"), QStringLiteral("Conto")},
         QStringLiteral("Descrizione")},
        {QStringLiteral("Moneta"),
         QStringLiteral("Monete"),
         {QStringLiteral("Moneta")},
         QStringLiteral("Descrizione")},
        {QStringLiteral("Articolo"),
         QStringLiteral("Articoli"),
         {QStringLiteral("Articolo")},
         QStringLiteral("Descrizione")},
        {QStringLiteral("Causale"),
         QStringLiteral("Causali"),
         {QStringLiteral("Causale")},
         QStringLiteral("Descrizione")},
    };
    for (const TabellaAiuto& t : kTabelle)
        if (t.nome.compare(nome, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

}  // namespace evapre
