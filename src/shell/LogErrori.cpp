#include "LogErrori.h"

namespace evapre {

void LogErrori::Aggiungi(int numero, const QString& descrizione, const QString& titolo) {
    AggiungiA(msTesto, miNumErrori, numero, descrizione, titolo);
}

void LogErrori::AggiungiA(QString& testo, int& conteggio, int numero, const QString& descrizione,
                          const QString& titolo) {
    if (conteggio < MaxTesti) {
        testo += QStringLiteral("Errore n°") + QString::number(numero) + QStringLiteral(" : ") +
                 descrizione + QStringLiteral(" in ") + titolo + QLatin1Char('\n');
    } else if (conteggio == MaxTesti) {
        testo += QStringLiteral("..............");
    }
    ++conteggio;
}

void LogErrori::azzera() {
    miNumErrori = 0;
    msTesto.clear();
}

}  // namespace evapre
