#include "AcquistiEvasione.h"

#include <QHash>
#include <memory>

#include "AziendaUtil.h"
#include "DbConnection.h"
#include "LogErrori.h"
#include "OrdEvaUt.h"
#include "ParametriDitta.h"
#include "RowSet.h"
#include "TextUtil.h"
#include "scCreaAcq.h"
#include "scEvaPrev.h"

namespace evapre {

namespace {

const QString kSi = QStringLiteral("S");

// What the call points share: the creation (and its commitment module) and the causal kinds
// of the document types met, read once.
struct Acquisti {
    Acquisti(DbConnection& db, ParametriDitta& parametri, AziendaUtil& moneta, UiServices& ui)
        : db(db), parametri(parametri), moneta(moneta), creazione(db, parametri, moneta, ui) {}

    DbConnection& db;
    ParametriDitta& parametri;
    AziendaUtil& moneta;
    scCreaAcq creazione;
    QHash<QString, QString> carScar;

    QString carScarDi(const QString& tipoDoc) {
        auto it = carScar.constFind(tipoDoc);
        if (it != carScar.constEnd())
            return *it;
        const QString k =
            db.scalar(QStringLiteral("Select MagCausali.CarScar from FattDocumenti") +
                      QStringLiteral(" INNER JOIN MagCausali") +
                      QStringLiteral(" ON MagCausali.MagCausale = FattDocumenti.MagCausale") +
                      QStringLiteral(" Where FattDocumenti.FattDocumento = ") + db.sql(tipoDoc))
                .toString();
        carScar.insert(tipoDoc, k);
        return k;
    }

    int annoMagazzino(int annoDoc) const {
        const int anno = parametri.companyInt(QStringLiteral("Mag.AnnoCorr"), 0);
        return anno != 0 ? anno : annoDoc;
    }

    // A value of the document's currency in euro and lire.
    void valori(const DocumentoCorrente& d, Currency valore, MovimentoImpegno& m) {
        m.valore = moneta.ConvertiInEuro(valore, d.cambio, d.operatore, d.moneta, true);
        m.valoreLire = moneta.ConvertiDaEuro(m.valore, Currency(), d.operatore, parametri.codLira(),
                                             ArrotondaDaEuro::Decimali);
    }
};

Currency inUnitaBase(Currency qta, Currency fatCon) {
    return fatCon.isZero() ? qta : qta * fatCon;
}

}  // namespace

void CollegaAcquisti(scEvaPrev& motore, DbConnection& db, ParametriDitta& parametri,
                     AziendaUtil& moneta, UiServices& ui) {
    auto acq = std::make_shared<Acquisti>(db, parametri, moneta, ui);

    motore.ogCreaOrdiniAcquisto = [&motore, acq](int anno, qint32 numRif) {
        scCreaAcq& c = acq->creazione;
        c.oiAnno = anno;
        c.olNumRif = numRif;
        c.obEvasManule = motore.obEvasManule;
        c.obSuDispon = motore.obSuDispon;
        c.oiCreAcq = motore.oiCreAcq;
        c.oiAnnoOrdine = motore.oiAnno;
        c.otDataOrdine = motore.otDataEvasione;
        c.LanciaCreaz();
        // The texts go into the run's log under its own limit; the engine adds the count.
        int conteggio = motore.oiNumErrori;
        for (const ErroreCreaAcq& e : c.ocErrori)
            LogErrori::AggiungiA(motore.osErrori, conteggio, e.numero, e.descrizione,
                                 e.operazione + QStringLiteral(" di CreaAcq"));
        return conteggio - motore.oiNumErrori;
    };

    // Producing a sales order commits the delivered quantity to the customer.
    motore.ogAggiornaImpegno = [acq](scEvaPrev& m, const scEvaPrev::RigaImpegno& r) {
        if (m.tipoDocumento() != QLatin1String("O"))
            return;
        const DocumentoCorrente& d = m.documentoCorrente();
        MovimentoImpegno mi;
        mi.anno = acq->annoMagazzino(d.anno);
        mi.magazzino = r.magazzino;
        mi.articolo = r.articolo;
        mi.livello1 = r.livello1;
        mi.livello2 = r.livello2;
        mi.perLivelli = m.gestioneLivelli();
        mi.artMag = true;  // called for warehouse articles only
        mi.carScar = acq->carScarDi(d.fattDocumento);
        mi.qta = inUnitaBase(r.qta, r.fatCon);
        acq->valori(d, r.valore, mi);
        mi.tipoIva = r.tipoIva;
        mi.aliquota = r.aliquota;
        mi.prezziIvati = r.prezziIvati;
        acq->creazione.impegni().AggiornaImpegni(mi);
    };

    // Closing an order line without delivering releases what is still committed on it.
    motore.ogRilasciaImpegno = [acq](scEvaPrev& m, const RowSet& riga) {
        if (riga.text(QStringLiteral("Articoli.ArtMag")).trimmed() != kSi)
            return;
        const bool livello =
            m.gestioneLivelli() && !IsBlank(riga.text(QStringLiteral("PreVenLiv.Livello1")));
        const QString t = livello ? QStringLiteral("PreVenLiv.") : QStringLiteral("PreVenDett.");
        const Currency qta = riga.amount(t + QStringLiteral("Qta"));
        const Currency residuo = qta - riga.amount(t + QStringLiteral("QtaEvasa"));
        if (residuo <= Currency())
            return;
        DbConnection& db = acq->db;
        const int anno = static_cast<int>(riga.integer(QStringLiteral("PreVenDett.Anno")));
        auto testa = db.openRowSet(
            QStringLiteral("Select MagazzProv, PrezziIvati from PreVenTest where Anno = ") +
            db.sql(anno) + QStringLiteral(" and NumRif = ") +
            db.sql(riga.integer(QStringLiteral("PreVenDett.NumRif"))));
        if (testa->eof())
            return;
        MovimentoImpegno mi;
        mi.anno = acq->annoMagazzino(m.oiAnno);
        mi.magazzino = testa->text(QStringLiteral("MagazzProv"));
        mi.articolo = riga.text(QStringLiteral("PreVenDett.Articolo"));
        mi.livello1 = riga.text(QStringLiteral("PreVenLiv.Livello1"));
        mi.livello2 = riga.text(QStringLiteral("PreVenLiv.Livello2"));
        mi.perLivelli = livello;
        mi.artMag = true;
        if (!IsBlank(m.osTipoDocEva))
            mi.carScar = acq->carScarDi(m.osTipoDocEva);
        mi.qta = -inUnitaBase(residuo, riga.amount(QStringLiteral("PreVenDett.FatCon")));
        const Currency valore = riga.amount(QStringLiteral("PreVenDett.ValTotale"));
        if (!qta.isZero())
            acq->valori(m.documentoCorrente(), -(valore * residuo / qta), mi);
        mi.tipoIva = riga.text(QStringLiteral("TabIva.TipoIva"));
        mi.aliquota = riga.amount(QStringLiteral("TabIva.Aliquota"));
        mi.prezziIvati = testa->text(QStringLiteral("PrezziIvati")).trimmed() == kSi;
        acq->creazione.impegni().AggiornaImpegni(mi);
    };
}

}  // namespace evapre
