#pragma once

// Working records of scCreaAcq, shared by its source files.

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

#include "Currency.h"
#include "scCreaAcq.h"

namespace evapre {

// The purchasing table with the purchase document type, its causal and the lists.
struct scCreaAcq::TabellaAcquisti {
    QString acqDocOrd, oggetto, vettore;
    QString listinoTipo, listinoTab;  // the document type's list, the table's list
    QString magProposto, prezzoDdt, segno;
    int numNota = 0;
    QString qualeImporto, carScar;  // the document type's warehouse causal
};

// The supplier of an article and its terms (PianoConti, Pagamenti, its list).
struct scCreaAcq::Fornitore {
    QString gruppo, mastro, conto;
    QString listino, pagamento, iva, ivaSosp, banca, sconto, resa, vettore, scontoPag;
    bool operator==(const Fornitore& o) const {
        return gruppo == o.gruppo && mastro == o.mastro && conto == o.conto;
    }
    QString codice() const { return gruppo + QLatin1Char('-') + mastro + QLatin1Char('-') + conto; }
};

// One quote row (a line, or a line and level) to order, with its computed values.
struct scCreaAcq::RigaOrdine {
    Fornitore fornitore;
    int rigLiv = 0;              // of the quote line
    QString livello1, livello2;  // levels of the row ("" when it has none)
    bool conLivello = false;
    QList<QPair<QString, QVariant>> copiate;  // columns copied from the quote line
    QString articolo, articoloFor, fattDocumentoProv, magazzino;
    QString umAcq, iva, scontoTot;
    QString gruppoAcq, mastroAcq, contoAcq;
    bool artMag = false, flagLivLis = false;
    QString tipoIva;
    Currency aliquota, fatConAcq, pezziPerConf, colliPrev, richiesta, qta;
    Currency valUnitario, valTotale, valLire, valEuro, colli;
};

// The order being filled for a supplier.
struct scCreaAcq::Ordine {
    Fornitore fornitore;
    int anno = 0;
    qint32 numRif = 0;
    bool nuovo = false;
    QString magazzino, listino, moneta, operatore = QStringLiteral("/");
    bool ivato = false;
    Currency cambio;
    int numDec = 2, numDecGest = 2;
    QString nota;
};

// What to do to take back the writes of one order when a later write fails.
struct scCreaAcq::Annullamento {
    std::vector<std::function<void()>> passi;
    void aggiungi(std::function<void()> passo) { passi.push_back(std::move(passo)); }
    // Runs the steps in reverse; a failing step does not stop the others.
    void esegui() {
        for (auto it = passi.rbegin(); it != passi.rend(); ++it) {
            try {
                (*it)();
            } catch (...) {
            }
        }
        passi.clear();
    }
};

}  // namespace evapre
