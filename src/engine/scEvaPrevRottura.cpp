// The document break fields: two quotes share a document only when these are equal.
#include "RowSet.h"
#include "scEvaPrev.h"

namespace evapre {

namespace {

// Order of the break record. RagSoc and IndirizzoSped are one field, joined.
enum CampoRottura {
    kGruppoCli,
    kMastroCli,
    kContoCli,
    kMagazzProv,
    kIvaSosp,
    kPrezziIvati,
    kIva,
    kPagamento,
    kScontoPag,
    kBanca,
    kIndSped,
    kRagSocIndirizzo,
    kVettore,
    kResa,
    kAgente1,
    kAgente2,
    kMoneta,
    kLingua,
    kMagazzDest,
    kRagOrd,
    kContratto,
    kCIG,
    kCUP,
    kScoPagSuDett,
    kPdcDicIntenti,
};

const char* const kColonne[scEvaPrev::kNumCampiRottura] = {
    "GruppoCli",   "MastroCli", "ContoCli",  "MagazzProv",   "IvaSosp",
    "PrezziIvati", "Iva",       "Pagamento", "ScontoPag",    "Banca",
    "IndSped",     nullptr,     "Vettore",   "Resa",         "Agente1",
    "Agente2",     "Moneta",    "Lingua",    "MagazzDest",   "RagOrd",
    "Contratto",   "CIG",       "CUP",       "ScoPagSuDett", "PdcDicIntenti"};

QString colonna(const RowSet& testata, const char* nome) {
    return testata.text(QStringLiteral("PreVenTest.") + QLatin1String(nome));
}

}  // namespace

void scEvaPrev::CampiRotLeggi(const RowSet& testata) {
    for (int i = 0; i < kNumCampiRottura; ++i) {
        if (i == kRagSocIndirizzo)
            mRotNuovi[i] = colonna(testata, "RagSoc") + colonna(testata, "IndirizzoSped");
        else if (i == kIvaSosp && oiSplitPay == 2)
            mRotNuovi[i].clear();  // split payment: VAT deferral does not split documents
        else
            mRotNuovi[i] = colonna(testata, kColonne[i]);
    }
}

void scEvaPrev::CampiRotNew2Old() {
    mRotVecchi = mRotNuovi;
}

bool scEvaPrev::CampiRotDiversi() const {
    for (int i = 0; i < kNumCampiRottura; ++i) {
        if (i != kContratto && mRotNuovi[i].compare(mRotVecchi[i], Qt::CaseInsensitive) != 0)
            return true;
    }
    const QString ragOrd = mRotNuovi[kRagOrd].trimmed().toUpper();
    if (ragOrd.isEmpty() || ragOrd == QLatin1String("N"))
        return true;
    return ragOrd == QLatin1String("C") &&
           mRotNuovi[kContratto].compare(mRotVecchi[kContratto], Qt::CaseInsensitive) != 0;
}

}  // namespace evapre
