#include "DocumentBuilder.h"

#include <QDate>

namespace evapre::test {

QVariant importo(const char* testo) {
    return QVariant::fromValue(*Currency::parse(QString::fromLatin1(testo)));
}

DocumentBuilder::DocumentBuilder(TestDb& db, QChar tipo)
    : mDb(db), mTabelle(*TabelleDocumento::perTipo(tipo)), mTipo(tipo) {}

Colonne DocumentBuilder::unisci(Colonne base, const Colonne& extra) {
    for (const auto& [colonna, valore] : extra) {
        bool sostituita = false;
        for (auto& voce : base) {
            if (voce.first.compare(colonna, Qt::CaseInsensitive) == 0) {
                voce.second = valore;
                sostituita = true;
            }
        }
        if (!sostituita)
            base.append({colonna, valore});
    }
    return base;
}

void DocumentBuilder::parametro(const QString& chiave, const QString& valore) {
    mDb.insert(QStringLiteral("MenuParametri"), {{"Chiave", chiave}, {"Valore", valore}});
}

void DocumentBuilder::parametroPersonale(const QString& sezione, const QString& nome,
                                         const QString& valore) {
    mDb.insert(QStringLiteral("MenuParametriPersonali"),
               {{"Utente", "*"}, {"Sezione", sezione}, {"Nome", nome}, {"Valore", valore}});
}

void DocumentBuilder::tabelleAzienda() {
    mDb.insert("Monete",
               {{"Moneta", "Euro"}, {"NumDec", 2}, {"NumDecGest", 2}, {"Operatore", "/"}});
    mDb.insert("Monete", {{"Moneta", "L."}, {"NumDec", 0}, {"NumDecGest", 0}, {"Operatore", "*"}});
    const auto iva = [&](const char* codice, const char* aliquota, const char* tipo,
                         const char* applBollo) {
        mDb.insert("TabIva", {{"Iva", codice},
                              {"Descrizione", QStringLiteral("Codice ") + codice},
                              {"DescrizioneBreve", QStringLiteral("Iva ") + codice},
                              {"DescrMemo", QStringLiteral("Memo ") + codice},
                              {"TipoIva", tipo},
                              {"Aliquota", importo(aliquota)},
                              {"ApplBolloEse", applBollo}});
    };
    iva("22", "22", "1", "N");
    iva("10", "10", "1", "N");
    iva("E3", "0", "3", "S");
    iva("N8", "0", "2", "N");
    iva("B15", "0", "4", "N");
    mDb.insert("FattDocumenti", {{"FattDocumento", "FT"}, {"Tipo", "F"}, {"Segno", "+"}});
    mDb.insert("FattDocumenti", {{"FattDocumento", "NC"}, {"Tipo", "F"}, {"Segno", "-"}});
    mDb.insert("PagTipi", {{"PagTipo", "BO"}, {"TipoEffetto", "0"}, {"AddBolli", "N"}});
    mDb.insert("PagTipi", {{"PagTipo", "RB"}, {"TipoEffetto", "1"}, {"AddBolli", "S"}});
    mDb.insert("PagTipi", {{"PagTipo", "TR"}, {"TipoEffetto", "3"}, {"AddBolli", "S"}});
    mDb.insert("Pagamenti", {{"Pagamento", "BB"},
                             {"PagTipo", "BO"},
                             {"NumScad", 1},
                             {"Decorrenza", "D"},
                             {"Periodicita", "M"},
                             {"NumGGMM", 1},
                             {"Percentuale1", importo("100")}});
    mDb.insert("Pagamenti", {{"Pagamento", "RB3"},
                             {"PagTipo", "RB"},
                             {"NumScad", 3},
                             {"Decorrenza", "F"},
                             {"Periodicita", "M"},
                             {"NumGGMM", 1},
                             {"Percentuale1", importo("33.33")},
                             {"Percentuale2", importo("33.33")},
                             {"Percentuale3", importo("33.34")},
                             {"Spesa", "INC"}});
    mDb.insert("Pagamenti", {{"Pagamento", "TR2"},
                             {"PagTipo", "TR"},
                             {"NumScad", 2},
                             {"Decorrenza", "D"},
                             {"Periodicita", "M"},
                             {"NumGGMM", 1},
                             {"Percentuale1", importo("50")},
                             {"Percentuale2", importo("50")},
                             {"Spesa", "BOL"}});
    const auto spesa = [&](const Colonne& colonne) {
        mDb.insert("Spese", unisci({{"Gruppo", "07"},
                                    {"Mastro", "20"},
                                    {"Conto", "001"},
                                    {"Iva", "22"},
                                    {"Moneta", "Euro"}},
                                   colonne));
    };
    spesa({{"Spesa", "TRASP"}, {"Descrizione", "Trasporto"}, {"SoggScontoPagam", "S"}});
    spesa({{"Spesa", "IMB"}, {"TipoAddebito", "P"}, {"Conto", "002"}});
    spesa({{"Spesa", "PESO"}, {"TipoAddebito", "S"}, {"Conto", "003"}});
    spesa({{"Spesa", "RIP"}, {"RifStampa", "R"}, {"Conto", "004"}});
    spesa({{"Spesa", "INC"},
           {"TipoAddebito", "R"},
           {"Importo", importo("2.00")},
           {"ImportoLire", importo("3873")},
           {"Conto", "005"},
           {"SoggRitAcc", "N"}});
    spesa({{"Spesa", "BOL"},
           {"TipoAddebito", "T"},
           {"Importo", importo("2.00")},
           {"Iva", "B15"},
           {"Conto", "006"}});
    spesa({{"Spesa", "CAS"},
           {"CassaPrev", "S"},
           {"Percentuale", importo("4")},
           {"Gruppo", "08"},
           {"Mastro", "30"},
           {"Conto", "010"}});
    mDb.insert("TaBolli", {{"Id", 1},
                           {"CodEseBollo", "B15"},
                           {"GruppoBol", "07"},
                           {"MastroBol", "40"},
                           {"ContoBol", "009"},
                           {"PercBolloTratte", importo("12")},
                           {"MaxNoBollo", importo("77.47")},
                           {"BolloEsente", importo("2.00")},
                           {"Arrotond", importo("0")},
                           {"Sca1BolRB", importo("100")},
                           {"Bollo1RB", importo("0.50")},
                           {"Sca2BolRB", importo("500")},
                           {"Bollo2RB", importo("1.00")},
                           {"Sca3BolRB", importo("1000")},
                           {"Bollo3RB", importo("1.50")},
                           {"Sca4BolRB", importo("999999")},
                           {"Bollo4RB", importo("2.00")}});
    mDb.insert("PianoConti", {{"Gruppo", "01"},
                              {"Mastro", "01"},
                              {"Conto", "00001"},
                              {"Descrizione", "Cliente"},
                              {"SpeseBan", "S"},
                              {"Bolli", "S"}});
}

DocumentBuilder& DocumentBuilder::testata(int numRif, const Colonne& extra) {
    mNumRif = numRif;
    mRiga = 0;
    mRigaSpesa = 0;
    const bool fornitore = mTipo.toUpper() == QLatin1Char('A');
    const QString conto = fornitore ? QStringLiteral("For") : QStringLiteral("Cli");
    Colonne colonne{{"Anno", mAnno},
                    {"NumRif", numRif},
                    {"DataRif", QDate(2024, 3, 15)},
                    {"FattDocumento", "FT"},
                    {"Gruppo" + conto, "01"},
                    {"Mastro" + conto, "01"},
                    {"Conto" + conto, "00001"},
                    {"Moneta", "Euro"},
                    {"PrezziIvati", "N"},
                    {"Pagamento", "BB"}};
    mDb.insert(mTabelle.testa, unisci(colonne, extra));
    return *this;
}

DocumentBuilder& DocumentBuilder::riga(const QString& iva, const char* valore,
                                       const Colonne& extra) {
    ++mRiga;
    const QVariant v = valore ? importo(valore) : QVariant();
    mDb.insert(mTabelle.dett, unisci({{"Anno", mAnno},
                                      {"NumRif", mNumRif},
                                      {"RigLiv", mRiga},
                                      {"RigDet", mRiga},
                                      {"TipoRiga", "M"},
                                      {"Qta", importo("1")},
                                      {"ValUnitario", v},
                                      {"ValTotale", v},
                                      {"Omaggio", "N"},
                                      {"Iva", iva},
                                      {"GruppoVen", "05"},
                                      {"MastroVen", "10"},
                                      {"ContoVen", "001"}},
                                     extra));
    return *this;
}

DocumentBuilder& DocumentBuilder::livello(int rigLiv, const QString& livello1, const char* valore) {
    mDb.insert(mTabelle.liv, {{"Anno", mAnno},
                              {"NumRif", mNumRif},
                              {"RigLiv", rigLiv},
                              {"Livello1", livello1},
                              {"Livello2", "~ç~"},
                              {"Qta", importo("1")},
                              {"ValUnitario", importo(valore)},
                              {"ValTotale", importo(valore)}});
    return *this;
}

DocumentBuilder& DocumentBuilder::spesa(const QString& codice, const QString& iva,
                                        const QVariant& valore, const Colonne& extra) {
    ++mRigaSpesa;
    mDb.insert(mTabelle.spese, unisci({{"Anno", mAnno},
                                       {"NumRif", mNumRif},
                                       {"Riga", mRigaSpesa},
                                       {"Spesa", codice},
                                       {"Iva", iva},
                                       {"Importo", valore}},
                                      extra));
    return *this;
}

}  // namespace evapre::test
