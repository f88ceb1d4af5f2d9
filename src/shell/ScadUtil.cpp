#include "ScadUtil.h"

#include <algorithm>

#include "DateConv.h"
#include "DbConnection.h"
#include "DbError.h"
#include "Rounding.h"
#include "RowSet.h"
#include "TextUtil.h"

namespace evapre {

namespace {

const QString kTitolo = QString::fromUtf8(ScadUtil::Titolo);

// Day `giorno` of a month, cut to the month's last day.
QDate giornoDelMese(int anno, int mese, int giorno) {
    const QDate primo(anno, mese, 1);
    return QDate(anno, mese, std::min(giorno, primo.daysInMonth()));
}

QDate giornoDelMese(const QDate& meseDi, int giorno) {
    return giornoDelMese(meseDi.year(), meseDi.month(), giorno);
}

// The share of an amount at a percentage, rounded to the caller's step. The product is
// rounded at the scale of the step (a step 100 times larger, then divided by 100, which is
// exact), so an amount and a percentage of up to two decimals each are never rounded twice.
Currency quota(Currency base, Currency percentuale, QChar modo, Currency passo) {
    const Currency prodotto = base * percentuale;
    if (passo <= Currency{})
        return prodotto / 100;
    return ArrotondaPasso(prodotto, modo, passo * 100) / 100;
}

}  // namespace

ScadUtil::ScadUtil(DbConnection& db) : mDb(db) {}

QDate ScadUtil::SpostaMesiEsclusi(const QDate& data, int giornoFisso, const MesiEsclusi& esclusi) {
    QDate risultato = data;
    // Two excluded months at most: a date moved into the other one moves once more.
    for (int passo = 0; passo < 2 && risultato.isValid(); ++passo) {
        int sostituto = 0;
        if (esclusi.meseNoEf1 > 0 && risultato.month() == esclusi.meseNoEf1)
            sostituto = esclusi.gioMesSucc1;
        else if (esclusi.meseNoEf2 > 0 && risultato.month() == esclusi.meseNoEf2)
            sostituto = esclusi.gioMesSucc2;
        else
            break;
        int giorno = risultato.day();
        if (giornoFisso > 0)
            giorno = giornoFisso;
        if (sostituto > 0)
            giorno = sostituto;
        risultato = giornoDelMese(risultato.addMonths(1), giorno);
    }
    return risultato;
}

QVector<QDate> ScadUtil::DateScadenza(const QDate& dataDoc, const Termini& t,
                                      const MesiEsclusi& esclusi, LogErrori& log) {
    QVector<QDate> date;
    const QString decorrenza = t.decorrenza.trimmed().toUpper();
    const QString periodicita = t.periodicita.trimmed().toUpper();
    const auto errore = [&](const QString& testo) {
        log.Aggiungi(ErrPagamentoNonValido, testo, kTitolo);
        return QVector<QDate>{};
    };
    if (!dataDoc.isValid()) {
        log.Aggiungi(ErrDatiNonValidi, QStringLiteral("Data del documento non valida"), kTitolo);
        return {};
    }
    if (decorrenza != QLatin1String("D") && decorrenza != QLatin1String("F") &&
        decorrenza != QLatin1String("S"))
        return errore(QStringLiteral("Decorrenza non valida: \"") + t.decorrenza +
                      QStringLiteral("\" (ammesse D, F, S)"));
    if (periodicita != QLatin1String("M") && periodicita != QLatin1String("G") &&
        periodicita != QLatin1String("T") && periodicita != QLatin1String("A"))
        return errore(QStringLiteral("Periodicità non valida: \"") + t.periodicita +
                      QStringLiteral("\" (ammesse M, G, T, A)"));
    if (t.numScad < 1 || t.numScad > MaxRate)
        return errore(QStringLiteral("Numero di scadenze non valido: ") +
                      QString::number(t.numScad) + QStringLiteral(" (da 1 a 12)"));
    if (t.giornoFisso < 0 || t.giornoFisso > 31)
        return errore(QStringLiteral("Giorno fisso non valido: ") + QString::number(t.giornoFisso));
    const bool perRata = periodicita == QLatin1String("T") || periodicita == QLatin1String("A");
    if (!perRata && t.numGGMM < 0)
        return errore(QStringLiteral("Numero di giorni o mesi non valido: ") +
                      QString::number(t.numGGMM));
    for (int i = 0; perRata && i < t.numScad; ++i) {
        if (t.periodo.value(i) < 0)
            return errore(QStringLiteral("Periodo della rata ") + QString::number(i + 1) +
                          QStringLiteral(" non valido: ") + QString::number(t.periodo.value(i)));
    }

    const bool fineMese = decorrenza != QLatin1String("D");
    const int gf = t.giornoFisso;
    QDate inizio;
    if (decorrenza == QLatin1String("F")) {
        inizio = FineMese(dataDoc);
    } else if (decorrenza == QLatin1String("S")) {
        inizio = FineMese(dataDoc.addMonths(1));
    } else if (gf > 0) {
        inizio = giornoDelMese(dataDoc, gf);
        if (gf < dataDoc.day())
            inizio = giornoDelMese(dataDoc.addMonths(1), gf);
    } else {
        inizio = dataDoc;
    }

    const bool mesi = periodicita == QLatin1String("M") || periodicita == QLatin1String("T");
    qint64 distanza = 0;
    for (int i = 0; i < t.numScad; ++i) {
        distanza += perRata ? t.periodo.value(i) : t.numGGMM;
        QDate data;
        if (!mesi) {
            data = inizio.addDays(distanza);
        } else if (fineMese) {
            data = FineMese(inizio.addMonths(static_cast<int>(distanza)));
        } else if (gf > 0) {
            data = giornoDelMese(inizio.addMonths(static_cast<int>(distanza)), gf);
        } else {
            data = inizio.addMonths(static_cast<int>(distanza));
        }
        if (fineMese && gf > 0)
            data = data.addDays(gf);
        data = SpostaMesiEsclusi(data, gf, esclusi);
        if (!data.isValid() || data.year() > 9999) {
            log.Aggiungi(
                ErrDatiNonValidi,
                QStringLiteral("Scadenza fuori dal calendario alla rata ") + QString::number(i + 1),
                kTitolo);
            return {};
        }
        date.append(data);
    }
    return date;
}

QVector<Currency> ScadUtil::ImportiRate(Currency importo, Currency iva, const Termini& t,
                                        QChar modoArrot, Currency passoArrot, LogErrori& log) {
    const int n = t.numScad;
    if (n < 1 || n > MaxRate) {
        log.Aggiungi(ErrPagamentoNonValido,
                     QStringLiteral("Numero di scadenze non valido: ") + QString::number(n) +
                         QStringLiteral(" (da 1 a 12)"),
                     kTitolo);
        return {};
    }
    // The VAT is a part of the amount: same sign, not larger.
    if ((iva.sign() != 0 && iva.sign() != importo.sign()) || iva.abs() > importo.abs()) {
        log.Aggiungi(ErrDatiNonValidi,
                     QStringLiteral("L'IVA (") + iva.format(2) +
                         QStringLiteral(") non è compresa nell'importo da scadenzare (") +
                         importo.format(2) + QLatin1Char(')'),
                     kTitolo);
        return {};
    }

    QVector<Currency> percentuali(n);
    Currency somma;
    for (int i = 0; i < n; ++i) {
        percentuali[i] = t.percentuale.value(i);
        if (percentuali[i] < Currency{}) {
            log.Aggiungi(ErrPagamentoNonValido,
                         QStringLiteral("Percentuale negativa alla rata ") + QString::number(i + 1),
                         kTitolo);
            return {};
        }
        somma += percentuali[i];
    }
    if (n > 1) {
        if (somma.isZero()) {
            percentuali.fill(Currency::fromInt(100) / n);
        } else if ((somma - Currency::fromInt(100)).abs() > Currency::fromRaw(100) * n) {
            log.Aggiungi(ErrPagamentoNonValido,
                         QStringLiteral("Le percentuali delle rate sommano a ") + somma.format(2) +
                             QStringLiteral(" invece di 100"),
                         kTitolo);
            return {};
        }
    }

    const bool ivaPrimaRata =
        t.trattamIva.trimmed().compare(QLatin1String("U"), Qt::CaseInsensitive) == 0;
    const Currency base = ivaPrimaRata ? importo - iva : importo;
    QVector<Currency> importi;
    importi.reserve(n);
    Currency residuo = importo;
    for (int i = 0; i < n; ++i) {
        Currency rata = residuo;
        if (i < n - 1) {
            rata = quota(base, percentuali[i], modoArrot, passoArrot);
            if (i == 0 && ivaPrimaRata)
                rata += iva;
            rata = importo.sign() < 0 ? std::max(rata, residuo) : std::min(rata, residuo);
        }
        importi.append(rata);
        residuo -= rata;
    }
    return importi;
}

bool ScadUtil::CalcolaScadenze(const QDate& dataDoc, const QString& pagamento,
                               const QString& gruppo, const QString& mastro, const QString& conto,
                               Currency importo, QChar modoArrot, Currency passoArrot,
                               const ImportiDocumento& altri, QVector<QDate>& scadenze,
                               QVector<Currency>& importi, QString& errore) {
    scadenze.clear();
    importi.clear();
    errore.clear();
    LogErrori log;
    Termini termini;
    MesiEsclusi esclusi;
    try {
        bool trovato = false;
        if (IsBlank(pagamento)) {
            log.Aggiungi(ErrPagamentoMancante, QStringLiteral("Manca il codice di pagamento"),
                         kTitolo);
        } else {
            auto pag = mDb.openRowSet(QStringLiteral("Select * From Pagamenti Where "
                                                     "Pagamenti.Pagamento = ") +
                                      mDb.sql(pagamento));
            if (pag->eof()) {
                log.Aggiungi(ErrPagamentoMancante,
                             QStringLiteral("Manca il pagamento con codice :") + pagamento,
                             kTitolo);
            } else {
                trovato = true;
                termini.decorrenza = pag->text(QStringLiteral("Decorrenza"));
                termini.periodicita = pag->text(QStringLiteral("Periodicita"));
                termini.numScad = static_cast<int>(pag->integer(QStringLiteral("NumScad")));
                termini.trattamIva = pag->text(QStringLiteral("TrattamIva"));
                termini.giornoFisso = static_cast<int>(pag->integer(QStringLiteral("GiornoFisso")));
                termini.numGGMM = static_cast<int>(pag->integer(QStringLiteral("NumGGMM")));
                for (int i = 1; i <= std::min(termini.numScad, static_cast<int>(MaxRate)); ++i) {
                    termini.periodo.append(static_cast<int>(
                        pag->integer(QStringLiteral("Periodo") + QString::number(i))));
                    termini.percentuale.append(
                        pag->amount(QStringLiteral("Percentuale") + QString::number(i)));
                }
            }
        }

        auto cli = mDb.openRowSet(QStringLiteral("Select * From PianoConti Where") +
                                  QStringLiteral(" PianoConti.Gruppo = ") + mDb.sql(gruppo) +
                                  QStringLiteral(" And PianoConti.Mastro = ") + mDb.sql(mastro) +
                                  QStringLiteral(" And PianoConti.Conto = ") + mDb.sql(conto));
        if (cli->eof()) {
            log.Aggiungi(ErrClienteMancante,
                         QStringLiteral("Manca il cliente con codice :") + gruppo +
                             QLatin1Char('-') + mastro + QLatin1Char('-') + conto,
                         kTitolo);
        } else {
            esclusi.meseNoEf1 = static_cast<int>(cli->integer(QStringLiteral("MeseNoEf1")));
            esclusi.meseNoEf2 = static_cast<int>(cli->integer(QStringLiteral("MeseNoEf2")));
            esclusi.gioMesSucc1 = static_cast<int>(cli->integer(QStringLiteral("GioMesSucc1")));
            esclusi.gioMesSucc2 = static_cast<int>(cli->integer(QStringLiteral("GioMesSucc2")));
        }

        if (trovato && log.vuoto()) {
            const QVector<QDate> date = DateScadenza(dataDoc, termini, esclusi, log);
            const QVector<Currency> rate =
                log.vuoto() ? ImportiRate(importo, altri.uIva, termini, modoArrot, passoArrot, log)
                            : QVector<Currency>{};
            if (log.vuoto()) {
                scadenze = date;
                importi = rate;
            }
        }
    } catch (const DbError& e) {
        log.Aggiungi(e.number(), e.text(), kTitolo);
    } catch (const CurrencyOverflow& e) {
        log.Aggiungi(ErrOverflow, QString::fromUtf8(e.what()), kTitolo);
    } catch (const CurrencyFormatError& e) {
        log.Aggiungi(ErrDatiNonValidi, QString::fromUtf8(e.what()), kTitolo);
    }
    if (!log.vuoto()) {
        scadenze.clear();
        importi.clear();
        errore = log.testo();
        return false;
    }
    return true;
}

}  // namespace evapre
