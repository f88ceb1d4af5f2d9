-- Base schema of the company database used by Evasione Preventivi.
-- Portable DDL: runs unchanged on SQLite 3 and PostgreSQL 15, and running it
-- again changes nothing. Identifiers are never quoted (PostgreSQL folds them to
-- lower case). Amounts, rates, quantities and percentages are NUMERIC(19,4),
-- dates are DATE (ISO text "YYYY-MM-DD" in SQLite), date-times TIMESTAMP.
-- Every column outside the primary key is nullable and has no default.

-- == Parameters and schema version ==
-- Company, personal and general parameters served by the menu stand-in,
-- exchange rates for the rate lookup, and the applied schema versions.

-- Company parameters by key ("Ditta.Moneta", "DescAzie", "EvasionePrev.RaggrDataRif" ...).
CREATE TABLE IF NOT EXISTS MenuParametri (
    Chiave TEXT NOT NULL,
    Valore TEXT,
    PRIMARY KEY (Chiave)
);

-- Personal parameters: the row of the user wins over the "*" row.
CREATE TABLE IF NOT EXISTS MenuParametriPersonali (
    -- user name, "*" applies to every user
    Utente TEXT NOT NULL,
    Sezione TEXT NOT NULL,
    Nome TEXT NOT NULL,
    Valore TEXT,
    PRIMARY KEY (Utente, Sezione, Nome)
);

-- General parameters of the menu.
CREATE TABLE IF NOT EXISTS MenuParametriGenerali (
    Sezione TEXT NOT NULL,
    Nome TEXT NOT NULL,
    Valore TEXT,
    PRIMARY KEY (Sezione, Nome)
);

-- Exchange rates: the rate of a date is the newest row on or before it.
CREATE TABLE IF NOT EXISTS Cambi (
    Moneta TEXT NOT NULL,
    Data DATE NOT NULL,
    Cambio NUMERIC(19,4),
    PRIMARY KEY (Moneta, Data)
);

-- One row per schema file applied (its number prefix).
CREATE TABLE IF NOT EXISTS SchemaVersione (
    Versione INTEGER NOT NULL,
    DataAgg TIMESTAMP,
    PRIMARY KEY (Versione)
);

-- == Currencies, rounding, VAT, payments, expenses, states, carriers, stamp duty ==

-- Currencies.
CREATE TABLE IF NOT EXISTS Monete (
    Moneta TEXT NOT NULL,
    Descrizione TEXT,
    NumDec INTEGER,
    NumDecGest INTEGER,
    -- "/" or "*": how the rate converts to euro
    Operatore TEXT,
    -- "S" = euro-area currency (fixed conversion)
    Cee TEXT,
    PRIMARY KEY (Moneta)
);

-- Rounding bands for euro amounts.
CREATE TABLE IF NOT EXISTS ArrotEuro (
    -- upper bound of the band
    FinoA NUMERIC(19,4) NOT NULL,
    -- rounding step
    ValArrot NUMERIC(19,4),
    -- rounding mode "A", "S", "I", "T", or "Nessuno"
    TipoArrot TEXT,
    PRIMARY KEY (FinoA)
);

-- Rounding bands for lire amounts.
CREATE TABLE IF NOT EXISTS ArrotLire (
    -- upper bound of the band
    FinoA NUMERIC(19,4) NOT NULL,
    -- rounding step
    ValArrot NUMERIC(19,4),
    -- rounding mode "A", "S", "I", "T", or "Nessuno"
    TipoArrot TEXT,
    PRIMARY KEY (FinoA)
);

-- VAT codes.
CREATE TABLE IF NOT EXISTS TabIva (
    Iva TEXT NOT NULL,
    Descrizione TEXT,
    DescrizioneBreve TEXT,
    DescrMemo TEXT,
    -- types "2" to "5" are exempt
    TipoIva TEXT,
    Aliquota NUMERIC(19,4),
    -- "S" = stamp duty applies to this exempt code
    ApplBolloEse TEXT,
    PRIMARY KEY (Iva)
);

-- Accounting causals of the document types (split-payment flag).
CREATE TABLE IF NOT EXISTS Causali (
    Causale TEXT NOT NULL,
    Descrizione TEXT,
    -- "S" = split payment
    SplitPay TEXT,
    PRIMARY KEY (Causale)
);

-- Payment terms: Periodo<i>/Percentuale<i> describe instalment i (up to 12).
CREATE TABLE IF NOT EXISTS Pagamenti (
    Pagamento TEXT NOT NULL,
    Descrizione TEXT,
    -- kind of payment, key of PagTipi
    PagTipo TEXT,
    -- "D" document date, "F" end of month, "S" end of next month
    Decorrenza TEXT,
    -- "M", "G", "T", "A"
    Periodicita TEXT,
    NumScad INTEGER,
    TrattamIva TEXT,
    GiornoFisso INTEGER,
    NumGGMM INTEGER,
    Periodo1 INTEGER,
    Periodo2 INTEGER,
    Periodo3 INTEGER,
    Periodo4 INTEGER,
    Periodo5 INTEGER,
    Periodo6 INTEGER,
    Periodo7 INTEGER,
    Periodo8 INTEGER,
    Periodo9 INTEGER,
    Periodo10 INTEGER,
    Periodo11 INTEGER,
    Periodo12 INTEGER,
    Percentuale1 NUMERIC(19,4),
    Percentuale2 NUMERIC(19,4),
    Percentuale3 NUMERIC(19,4),
    Percentuale4 NUMERIC(19,4),
    Percentuale5 NUMERIC(19,4),
    Percentuale6 NUMERIC(19,4),
    Percentuale7 NUMERIC(19,4),
    Percentuale8 NUMERIC(19,4),
    Percentuale9 NUMERIC(19,4),
    Percentuale10 NUMERIC(19,4),
    Percentuale11 NUMERIC(19,4),
    Percentuale12 NUMERIC(19,4),
    -- fixed note printed with the terms, key of NoteFisse
    NotaFissa INTEGER,
    FeBanca TEXT,
    -- collection charge, key of Spese
    Spesa TEXT,
    -- payment discount chain, e.g. 10+5
    Sconto TEXT,
    PRIMARY KEY (Pagamento)
);

-- Kinds of payment.
CREATE TABLE IF NOT EXISTS PagTipi (
    PagTipo TEXT NOT NULL,
    Descrizione TEXT,
    -- "1" bank receipts, "3" bills of exchange
    TipoEffetto TEXT,
    -- "S" = stamp duty on instalments
    AddBolli TEXT,
    PRIMARY KEY (PagTipo)
);

-- Expense codes.
CREATE TABLE IF NOT EXISTS Spese (
    Spesa TEXT NOT NULL,
    Descrizione TEXT,
    -- "P" percentage, "S" by weight, "R" per instalment, "T" stamp duty
    TipoAddebito TEXT,
    -- how a quote expense is carried into a document (1, 2, 3)
    TipoEvasione INTEGER,
    Importo NUMERIC(19,4),
    ImportoMax NUMERIC(19,4),
    ImportoMin NUMERIC(19,4),
    ImportoLire NUMERIC(19,4),
    ImportoMaxLire NUMERIC(19,4),
    ImportoMinLire NUMERIC(19,4),
    Percentuale NUMERIC(19,4),
    Iva TEXT,
    Moneta TEXT,
    SoggRitAcc TEXT,
    SoggScontoPagam TEXT,
    AddebitoIva TEXT,
    -- "R" = to be distributed over the VAT codes
    RifStampa TEXT,
    -- "S" = pension-fund contribution
    CassaPrev TEXT,
    Gruppo TEXT,
    Mastro TEXT,
    Conto TEXT,
    PRIMARY KEY (Spesa)
);

-- Countries.
CREATE TABLE IF NOT EXISTS Stati (
    Stato TEXT NOT NULL,
    Descrizione TEXT,
    Cee TEXT,
    Iso TEXT,
    PRIMARY KEY (Stato)
);

-- Carriers.
CREATE TABLE IF NOT EXISTS Vettori (
    Vettore TEXT NOT NULL,
    RagSoc TEXT,
    Indirizzo TEXT,
    CAP TEXT,
    Localita TEXT,
    Pr TEXT,
    PRIMARY KEY (Vettore)
);

-- Stamp-duty parameters, with six brackets for bank receipts.
CREATE TABLE IF NOT EXISTS TaBolli (
    -- single-row table: the first row is used
    Id INTEGER NOT NULL,
    -- VAT code of the stamp duty
    CodEseBollo TEXT,
    GruppoBol TEXT,
    MastroBol TEXT,
    ContoBol TEXT,
    -- per mille on bills of exchange
    PercBolloTratte NUMERIC(19,4),
    MaxNoBollo NUMERIC(19,4),
    BolloEsente NUMERIC(19,4),
    Arrotond NUMERIC(19,4),
    MaxNoBolloLire NUMERIC(19,4),
    BolloEsenteLire NUMERIC(19,4),
    ArrotondLire NUMERIC(19,4),
    Sca1BolRB NUMERIC(19,4),
    Sca2BolRB NUMERIC(19,4),
    Sca3BolRB NUMERIC(19,4),
    Sca4BolRB NUMERIC(19,4),
    Sca5BolRB NUMERIC(19,4),
    Sca6BolRB NUMERIC(19,4),
    Bollo1RB NUMERIC(19,4),
    Bollo2RB NUMERIC(19,4),
    Bollo3RB NUMERIC(19,4),
    Bollo4RB NUMERIC(19,4),
    Bollo5RB NUMERIC(19,4),
    Bollo6RB NUMERIC(19,4),
    Sca1BolRBLire NUMERIC(19,4),
    Sca2BolRBLire NUMERIC(19,4),
    Sca3BolRBLire NUMERIC(19,4),
    Sca4BolRBLire NUMERIC(19,4),
    Sca5BolRBLire NUMERIC(19,4),
    Sca6BolRBLire NUMERIC(19,4),
    Bollo1RBLire NUMERIC(19,4),
    Bollo2RBLire NUMERIC(19,4),
    Bollo3RBLire NUMERIC(19,4),
    Bollo4RBLire NUMERIC(19,4),
    Bollo5RBLire NUMERIC(19,4),
    Bollo6RBLire NUMERIC(19,4),
    PRIMARY KEY (Id)
);

-- == Chart of accounts: customers and suppliers ==

-- Accounts (customers, suppliers, ledger accounts).
CREATE TABLE IF NOT EXISTS PianoConti (
    Gruppo TEXT NOT NULL,
    Mastro TEXT NOT NULL,
    Conto TEXT NOT NULL,
    Descrizione TEXT,
    -- kind of account ("3" customer)
    TipoConto TEXT,
    -- country, key of Stati
    Stato TEXT,
    Iva TEXT,
    IvaSosp TEXT,
    Listino TEXT,
    Pagamento TEXT,
    Banca TEXT,
    -- discount chain
    Sconto TEXT,
    Resa TEXT,
    Vettore TEXT,
    MeseNoEf1 INTEGER,
    MeseNoEf2 INTEGER,
    GioMesSucc1 INTEGER,
    GioMesSucc2 INTEGER,
    SpeseBan TEXT,
    Bolli TEXT,
    StRifOrd TEXT,
    StRifCli TEXT,
    PrezzoDDT TEXT,
    RagDDT TEXT,
    RagRB TEXT,
    FECodIPA TEXT,
    IndAmm TEXT,
    PercRicListClie NUMERIC(19,4),
    -- single declaration of intent: its text
    DicIntenti TEXT,
    NrPrgIntenti INTEGER,
    DataRicComIntenti DATE,
    NrDichIntenti INTEGER,
    DataDichIntenti DATE,
    ImportoDichIntenti NUMERIC(19,4),
    -- address and fiscal data of customers and suppliers
    Indirizzo TEXT,
    CAP TEXT,
    Localita TEXT,
    Pr TEXT,
    PartIva TEXT,
    CodFiscale TEXT,
    Telefono TEXT,
    PRIMARY KEY (Gruppo, Mastro, Conto)
);

-- Declarations of intent, several per customer.
CREATE TABLE IF NOT EXISTS PdcDicIntenti (
    Gruppo TEXT NOT NULL,
    Mastro TEXT NOT NULL,
    Conto TEXT NOT NULL,
    -- number of the declaration within the customer
    PdcDicIntenti INTEGER NOT NULL,
    Attivo TEXT,
    Descrizione TEXT,
    ProtRicezione TEXT,
    DataRicAE DATE,
    NrPrgIntenti INTEGER,
    DataRicComIntenti DATE,
    NrDichIntenti INTEGER,
    DataDichIntenti DATE,
    ImportoDichIntenti NUMERIC(19,4),
    DataDAIntenti DATE,
    DataAIntenti DATE,
    -- "Rif1", "Rif2", "Rif3"
    RifComunicIntenti TEXT,
    PRIMARY KEY (Gruppo, Mastro, Conto, PdcDicIntenti)
);

-- == Articles, kits, minimum stocks, class attributes ==
-- Level codes Livello1/Livello2 are variants (size, colour), rows of articles
-- without levels carry the placeholder "~ç~" in both.

-- Articles.
CREATE TABLE IF NOT EXISTS Articoli (
    Articolo TEXT NOT NULL,
    Descrizione TEXT,
    -- "S" = stock-managed
    ArtMag TEXT,
    -- level group, not null = article with levels
    LivGruppo1 TEXT,
    -- "S" = prices depend on the levels
    FlagLivLis TEXT,
    -- "S" = kit (bill of materials)
    DistBase TEXT,
    -- "S" = deposit article
    Cauzione TEXT,
    ArtUM TEXT,
    ArtUMVen TEXT,
    ArtUMAcq TEXT,
    FatConVen NUMERIC(19,4),
    FatConAcq NUMERIC(19,4),
    PezziPerConf NUMERIC(19,4),
    ScortaMinima NUMERIC(19,4),
    IvaVendite TEXT,
    Maggior NUMERIC(19,4),
    ListDaAgg TEXT,
    ListDaAggClie TEXT,
    GruppoForAb TEXT,
    MastroForAb TEXT,
    ContoForAb TEXT,
    GruppoMerAcq TEXT,
    MastroMerAcq TEXT,
    ContoMerAcq TEXT,
    ArtClasseAttr1 TEXT,
    ArtClasseAttr2 TEXT,
    ArtClasseAttr3 TEXT,
    ArtClasseAttr4 TEXT,
    PRIMARY KEY (Articolo)
);

-- Class attributes of articles.
CREATE TABLE IF NOT EXISTS ArtClasseAttr (
    ArtClasse INTEGER NOT NULL,
    ArtClasseAttr TEXT NOT NULL,
    Descrizione TEXT,
    PRIMARY KEY (ArtClasse, ArtClasseAttr)
);

-- Kit composition.
CREATE TABLE IF NOT EXISTS ArtLegami (
    ArticoloPadre TEXT NOT NULL,
    ArticoloFiglio TEXT NOT NULL,
    UM TEXT,
    -- component quantity per unit of the kit, in UM
    Qta NUMERIC(19,4),
    PRIMARY KEY (ArticoloPadre, ArticoloFiglio)
);

-- Minimum stock per warehouse and level.
CREATE TABLE IF NOT EXISTS ArtScorte (
    Articolo TEXT NOT NULL,
    Magazzino TEXT NOT NULL,
    Livello1 TEXT NOT NULL,
    Livello2 TEXT NOT NULL,
    ScortaMinima NUMERIC(19,4),
    PRIMARY KEY (Articolo, Magazzino, Livello1, Livello2)
);

-- == Price lists, promotions, supplier articles ==

-- Price lists.
CREATE TABLE IF NOT EXISTS Listini (
    Listino TEXT NOT NULL,
    Descrizione TEXT,
    Moneta TEXT,
    -- "S" = prices include VAT
    Ivato TEXT,
    ScoSomSost TEXT,
    Sconto TEXT,
    PRIMARY KEY (Listino)
);

-- Article prices per list, valid from DataInizio.
CREATE TABLE IF NOT EXISTS ArtListini (
    Articolo TEXT NOT NULL,
    Listino TEXT NOT NULL,
    Livello1 TEXT NOT NULL,
    Livello2 TEXT NOT NULL,
    DataInizio DATE NOT NULL,
    DataFine DATE,
    Prezzo NUMERIC(19,4),
    PrezzoLire NUMERIC(19,4),
    Sconto TEXT,
    ScoSomSost TEXT,
    -- "S" = show the promotion notice
    MessProm TEXT,
    Descrizione TEXT,
    PRIMARY KEY (Articolo, Listino, Livello1, Livello2, DataInizio)
);

-- Promotion prices per list and period.
CREATE TABLE IF NOT EXISTS ArtLisPromozioni (
    Articolo TEXT NOT NULL,
    Listino TEXT NOT NULL,
    Livello1 TEXT NOT NULL,
    Livello2 TEXT NOT NULL,
    DataInizioProm DATE NOT NULL,
    DataFineProm DATE,
    Prezzo NUMERIC(19,4),
    PrezzoLire NUMERIC(19,4),
    Sconto TEXT,
    ScontoClie TEXT,
    MessProm TEXT,
    Descrizione TEXT,
    PRIMARY KEY (Articolo, Listino, Livello1, Livello2, DataInizioProm)
);

-- Supplier articles: code, price and last purchase per supplier.
CREATE TABLE IF NOT EXISTS ArticoliFor (
    Articolo TEXT NOT NULL,
    Livello1 TEXT NOT NULL,
    Livello2 TEXT NOT NULL,
    GruppoFor TEXT NOT NULL,
    MastroFor TEXT NOT NULL,
    ContoFor TEXT NOT NULL,
    -- code of the article at the supplier
    ArticoloFor TEXT,
    Moneta TEXT,
    PrezzoAcq NUMERIC(19,4),
    CostoUltimo NUMERIC(19,4),
    Sconto TEXT,
    UltUM TEXT,
    DataUltAcq DATE,
    PRIMARY KEY (Articolo, Livello1, Livello2, GruppoFor, MastroFor, ContoFor)
);

-- == Quotes and the per-user selection tables of the manual grid ==

-- Quote headers. Stato "E" fulfilled, "P" partly fulfilled, empty open.
CREATE TABLE IF NOT EXISTS PreVenTest (
    Anno INTEGER NOT NULL,
    NumRif INTEGER NOT NULL,
    DataRif DATE,
    PreDoc TEXT,
    NumDoc INTEGER,
    DataDoc DATE,
    DataCons DATE,
    Stato TEXT,
    Interno TEXT,
    FattDocumento TEXT,
    Descrizione TEXT,
    Tipo TEXT,
    GruppoCli TEXT,
    MastroCli TEXT,
    ContoCli TEXT,
    RagSocCli TEXT,
    RagSocCli2 TEXT,
    Indirizzo TEXT,
    Localita TEXT,
    Telefono TEXT,
    RifCli TEXT,
    Lingua TEXT,
    Listino TEXT,
    Moneta TEXT,
    Cambio NUMERIC(19,4),
    PrezziIvati TEXT,
    Iva TEXT,
    IvaSosp TEXT,
    Pagamento TEXT,
    Banca TEXT,
    ScontoPag TEXT,
    ScoPagSuDett TEXT,
    ScontoCli TEXT,
    PercRitAcc NUMERIC(19,4),
    Contratto TEXT,
    CIG TEXT,
    CUP TEXT,
    PdcDicIntenti INTEGER,
    Agente1 TEXT,
    Agente2 TEXT,
    TipoProvv TEXT,
    TipoProvv2 TEXT,
    PercProvv1 NUMERIC(19,4),
    PercProvv2 NUMERIC(19,4),
    MagazzProv TEXT,
    MagazzDest TEXT,
    IndSped TEXT,
    RagSoc TEXT,
    RagSoc2 TEXT,
    IndirizzoSped TEXT,
    CAPSped TEXT,
    LocalitaSped TEXT,
    PrSped TEXT,
    StatoSped TEXT,
    Resa TEXT,
    DescResa TEXT,
    Trasporto TEXT,
    DescTrasporto TEXT,
    Vettore TEXT,
    RagSocVett TEXT,
    IndirizzoVett TEXT,
    CAPVett TEXT,
    LocalitaVett TEXT,
    PrVett TEXT,
    DescPers1 TEXT,
    DescPers2 TEXT,
    DescPers3 TEXT,
    NumNota1 INTEGER,
    NumNota2 INTEGER,
    NumNota3 INTEGER,
    NumNota INTEGER,
    Nota TEXT,
    EvasioneNota TEXT,
    RagOrd TEXT,
    ConsTotale TEXT,
    LiberoTest TEXT,
    PrevAperto TEXT,
    -- quote totals, kept by the quote entry program
    TotMerce NUMERIC(19,4),
    TotSpese NUMERIC(19,4),
    TotImpon NUMERIC(19,4),
    TotIva NUMERIC(19,4),
    TotDocum NUMERIC(19,4),
    PRIMARY KEY (Anno, NumRif)
);

CREATE INDEX IF NOT EXISTS IX_PreVenTest_Selezione ON PreVenTest (FattDocumento, DataRif);

-- Quote lines. FlagStato is the run mark ("N", "4"), "0"/empty/Null = unmarked.
CREATE TABLE IF NOT EXISTS PreVenDett (
    Anno INTEGER NOT NULL,
    NumRif INTEGER NOT NULL,
    -- line number, join key of the level rows
    RigLiv INTEGER NOT NULL,
    -- display order
    RigDet INTEGER,
    TipoRiga TEXT,
    FormatoRiga TEXT,
    Articolo TEXT,
    Descrizione TEXT,
    DoveStampoDesLung TEXT,
    UM TEXT,
    FatCon NUMERIC(19,4),
    Colli NUMERIC(19,4),
    Qta NUMERIC(19,4),
    ValUnitario NUMERIC(19,4),
    ValTotale NUMERIC(19,4),
    ValLire NUMERIC(19,4),
    ValEuro NUMERIC(19,4),
    ScontoTab TEXT,
    ScontoCli TEXT,
    ScontoArt TEXT,
    ScontoQuant TEXT,
    ScontoTot TEXT,
    FlScontoPag TEXT,
    Promozione TEXT,
    Omaggio TEXT,
    Iva TEXT,
    GruppoVen TEXT,
    MastroVen TEXT,
    ContoVen TEXT,
    PercProvv1 NUMERIC(19,4),
    PercProvv2 NUMERIC(19,4),
    Lunghezza NUMERIC(19,4),
    Larghezza NUMERIC(19,4),
    Altezza NUMERIC(19,4),
    DescPers TEXT,
    NotaSopra TEXT,
    NotaSotto TEXT,
    NotaSopraStamp TEXT,
    NotaSottoStamp TEXT,
    NotaSoSotAttEEva TEXT,
    CompGiornMens TEXT,
    DataCompDa DATE,
    DataCompA DATE,
    CentroDiCosto TEXT,
    BeneUsato TEXT,
    SoggRitAcc TEXT,
    -- RigLiv of the electrical-waste contribution line
    RigLivRAEE INTEGER,
    QtaEvasa NUMERIC(19,4),
    DataCons DATE,
    StatoRiga TEXT,
    FlagStato TEXT,
    PRIMARY KEY (Anno, NumRif, RigLiv)
);

-- Quantities of a quote line per level.
CREATE TABLE IF NOT EXISTS PreVenLiv (
    Anno INTEGER NOT NULL,
    NumRif INTEGER NOT NULL,
    RigLiv INTEGER NOT NULL,
    Livello1 TEXT NOT NULL,
    Livello2 TEXT NOT NULL,
    UM TEXT,
    FatCon NUMERIC(19,4),
    Qta NUMERIC(19,4),
    ValUnitario NUMERIC(19,4),
    ValTotale NUMERIC(19,4),
    ValLire NUMERIC(19,4),
    ValEuro NUMERIC(19,4),
    FlagStato TEXT,
    QtaEvasa NUMERIC(19,4),
    StatoRiga TEXT,
    PRIMARY KEY (Anno, NumRif, RigLiv, Livello1, Livello2)
);

-- Expenses of a quote.
CREATE TABLE IF NOT EXISTS PreVenSpese (
    Anno INTEGER NOT NULL,
    NumRif INTEGER NOT NULL,
    Riga INTEGER NOT NULL,
    Spesa TEXT,
    Iva TEXT,
    Percentuale NUMERIC(19,4),
    Importo NUMERIC(19,4),
    ImportoMax NUMERIC(19,4),
    ImportoMin NUMERIC(19,4),
    SoggRitAcc TEXT,
    PRIMARY KEY (Anno, NumRif, Riga)
);

-- Quotes offered in the manual grid, per user.
CREATE TABLE IF NOT EXISTS PreVenEvaTest (
    Utente TEXT NOT NULL,
    Anno INTEGER NOT NULL,
    NumRif INTEGER NOT NULL,
    -- "S" = fulfil this quote
    Selez TEXT,
    -- "S" = all its open lines in full
    EvadeTutto TEXT,
    PRIMARY KEY (Utente, Anno, NumRif)
);

-- Staged quote lines (and levels) of the manual grid, per user.
CREATE TABLE IF NOT EXISTS PreVenEvaDett (
    Utente TEXT NOT NULL,
    Anno INTEGER NOT NULL,
    NumRif INTEGER NOT NULL,
    RigLiv INTEGER NOT NULL,
    -- " " without levels, "*liv" on a summary row
    Livello1 TEXT NOT NULL,
    Livello2 TEXT NOT NULL,
    RigDet INTEGER,
    Articolo TEXT,
    Descrizione TEXT,
    UM TEXT,
    Qta NUMERIC(19,4),
    QtaEvasa NUMERIC(19,4),
    -- quantity to deliver now
    QtaDaEva NUMERIC(19,4),
    -- "S" = close the line after this delivery
    ASaldo TEXT,
    ValUnitario NUMERIC(19,4),
    DataCons DATE,
    RigLivRAEE INTEGER,
    PRIMARY KEY (Utente, Anno, NumRif, RigLiv, Livello1, Livello2)
);

-- Staged quote expenses of the manual grid, per user.
CREATE TABLE IF NOT EXISTS PreVenEvaSpese (
    Utente TEXT NOT NULL,
    Anno INTEGER NOT NULL,
    NumRif INTEGER NOT NULL,
    Riga INTEGER NOT NULL,
    -- "S" = charge this expense
    Selez TEXT,
    PRIMARY KEY (Utente, Anno, NumRif, Riga)
);

-- == Sales documents: invoices, delivery notes (DDT), sales orders ==
-- Header, lines, level lines and expenses share one shape per kind. A document
-- stays open (Stato empty, NumDoc empty) until it is numbered for printing.
-- Lines carry the provenance of the quote line they came from.

CREATE TABLE IF NOT EXISTS FatTest (
    Anno INTEGER NOT NULL,
    NumRif INTEGER NOT NULL,
    DataRif DATE,
    PreDoc TEXT,
    NumDoc INTEGER,
    DataDoc DATE,
    DataCons DATE,
    Stato TEXT,
    Interno TEXT,
    FattDocumento TEXT,
    Descrizione TEXT,
    Tipo TEXT,
    GruppoCli TEXT,
    MastroCli TEXT,
    ContoCli TEXT,
    RagSocCli TEXT,
    RagSocCli2 TEXT,
    Indirizzo TEXT,
    Localita TEXT,
    Telefono TEXT,
    RifCli TEXT,
    Lingua TEXT,
    Listino TEXT,
    Moneta TEXT,
    Cambio NUMERIC(19,4),
    PrezziIvati TEXT,
    Iva TEXT,
    IvaSosp TEXT,
    Pagamento TEXT,
    Banca TEXT,
    ScontoPag TEXT,
    ScoPagSuDett TEXT,
    ScontoCli TEXT,
    PercRitAcc NUMERIC(19,4),
    Contratto TEXT,
    CIG TEXT,
    CUP TEXT,
    PdcDicIntenti INTEGER,
    Agente1 TEXT,
    Agente2 TEXT,
    TipoProvv TEXT,
    TipoProvv2 TEXT,
    PercProvv1 NUMERIC(19,4),
    PercProvv2 NUMERIC(19,4),
    MagazzProv TEXT,
    MagazzDest TEXT,
    IndSped TEXT,
    RagSoc TEXT,
    RagSoc2 TEXT,
    IndirizzoSped TEXT,
    CAPSped TEXT,
    LocalitaSped TEXT,
    PrSped TEXT,
    StatoSped TEXT,
    Resa TEXT,
    DescResa TEXT,
    Trasporto TEXT,
    DescTrasporto TEXT,
    Vettore TEXT,
    RagSocVett TEXT,
    IndirizzoVett TEXT,
    CAPVett TEXT,
    LocalitaVett TEXT,
    PrVett TEXT,
    DescPers1 TEXT,
    DescPers2 TEXT,
    DescPers3 TEXT,
    NumNota1 INTEGER,
    NumNota2 INTEGER,
    NumNota3 INTEGER,
    NumNota INTEGER,
    Nota TEXT,
    EvasioneNota TEXT,
    RagOrd TEXT,
    ConsTotale TEXT,
    StampoNota TEXT,
    OrdAnno INTEGER,
    OrdNumRif INTEGER,
    PartIva TEXT,
    PrezzoDDT TEXT,
    Aperto TEXT,
    OrdAperto TEXT,
    PrezzoOrd TEXT,
    RagRB TEXT,
    RagDDT TEXT,
    CauTrasporto TEXT,
    AspettoBene TEXT,
    PeriodoIva INTEGER,
    AnnoIva INTEGER,
    Riepilogativa TEXT,
    FattAccomp TEXT,
    Bolli TEXT,
    SpeseBan TEXT,
    FECodIPA TEXT,
    FeBanca TEXT,
    IndAmm TEXT,
    Provenienza TEXT,
    RifAnniPrec TEXT,
    DaFatturare TEXT,
    Segno TEXT,
    Abbuono NUMERIC(19,4),
    Acconto NUMERIC(19,4),
    Peso NUMERIC(19,4),
    TotMerce NUMERIC(19,4),
    TotSpese NUMERIC(19,4),
    TotIva NUMERIC(19,4),
    TotDocum NUMERIC(19,4),
    TotImpon NUMERIC(19,4),
    ImponRitAcc NUMERIC(19,4),
    PRIMARY KEY (Anno, NumRif)
);

CREATE INDEX IF NOT EXISTS IX_FatTest_Aperti ON FatTest (GruppoCli, MastroCli, ContoCli, Anno, FattDocumento);

CREATE TABLE IF NOT EXISTS FatDett (
    Anno INTEGER NOT NULL,
    NumRif INTEGER NOT NULL,
    -- line number, join key of the level rows
    RigLiv INTEGER NOT NULL,
    -- display order
    RigDet INTEGER,
    TipoRiga TEXT,
    FormatoRiga TEXT,
    Articolo TEXT,
    Descrizione TEXT,
    DoveStampoDesLung TEXT,
    UM TEXT,
    FatCon NUMERIC(19,4),
    Colli NUMERIC(19,4),
    Qta NUMERIC(19,4),
    ValUnitario NUMERIC(19,4),
    ValTotale NUMERIC(19,4),
    ValLire NUMERIC(19,4),
    ValEuro NUMERIC(19,4),
    ScontoTab TEXT,
    ScontoCli TEXT,
    ScontoArt TEXT,
    ScontoQuant TEXT,
    ScontoTot TEXT,
    FlScontoPag TEXT,
    Promozione TEXT,
    Omaggio TEXT,
    Iva TEXT,
    GruppoVen TEXT,
    MastroVen TEXT,
    ContoVen TEXT,
    PercProvv1 NUMERIC(19,4),
    PercProvv2 NUMERIC(19,4),
    Lunghezza NUMERIC(19,4),
    Larghezza NUMERIC(19,4),
    Altezza NUMERIC(19,4),
    DescPers TEXT,
    NotaSopra TEXT,
    NotaSotto TEXT,
    NotaSopraStamp TEXT,
    NotaSottoStamp TEXT,
    NotaSoSotAttEEva TEXT,
    CompGiornMens TEXT,
    DataCompDa DATE,
    DataCompA DATE,
    CentroDiCosto TEXT,
    BeneUsato TEXT,
    SoggRitAcc TEXT,
    -- RigLiv of the electrical-waste contribution line
    RigLivRAEE INTEGER,
    Cambio NUMERIC(19,4),
    Contratto TEXT,
    ArticoloFor TEXT,
    MagazzDest TEXT,
    FlagStato TEXT,
    -- origin of the line
    TipoProv TEXT,
    FattDocumentoProv TEXT,
    AnnoRifProv INTEGER,
    NumRifProv INTEGER,
    -- RigLiv of the source line
    RigaRifProv INTEGER,
    PRIMARY KEY (Anno, NumRif, RigLiv)
);

CREATE INDEX IF NOT EXISTS IX_FatDett_Prov ON FatDett (AnnoRifProv, NumRifProv, RigaRifProv);
CREATE INDEX IF NOT EXISTS IX_FatDett_RigDet ON FatDett (Anno, NumRif, RigDet);

CREATE TABLE IF NOT EXISTS FatLiv (
    Anno INTEGER NOT NULL,
    NumRif INTEGER NOT NULL,
    RigLiv INTEGER NOT NULL,
    Livello1 TEXT NOT NULL,
    Livello2 TEXT NOT NULL,
    UM TEXT,
    FatCon NUMERIC(19,4),
    Qta NUMERIC(19,4),
    ValUnitario NUMERIC(19,4),
    ValTotale NUMERIC(19,4),
    ValLire NUMERIC(19,4),
    ValEuro NUMERIC(19,4),
    FlagStato TEXT,
    -- RigLiv of the source line
    RigLivOrig INTEGER,
    -- quantity taken from the source
    QtaProv NUMERIC(19,4),
    -- origin of the line
    TipoProv TEXT,
    FattDocumentoProv TEXT,
    AnnoRifProv INTEGER,
    NumRifProv INTEGER,
    -- RigLiv of the source line
    RigaRifProv INTEGER,
    PRIMARY KEY (Anno, NumRif, RigLiv, Livello1, Livello2)
);

CREATE TABLE IF NOT EXISTS FatSpese (
    Anno INTEGER NOT NULL,
    NumRif INTEGER NOT NULL,
    Riga INTEGER NOT NULL,
    Spesa TEXT,
    Iva TEXT,
    Percentuale NUMERIC(19,4),
    Importo NUMERIC(19,4),
    ImportoMax NUMERIC(19,4),
    ImportoMin NUMERIC(19,4),
    SoggRitAcc TEXT,
    PRIMARY KEY (Anno, NumRif, Riga)
);

CREATE TABLE IF NOT EXISTS DdtTest (
    Anno INTEGER NOT NULL,
    NumRif INTEGER NOT NULL,
    DataRif DATE,
    PreDoc TEXT,
    NumDoc INTEGER,
    DataDoc DATE,
    DataCons DATE,
    Stato TEXT,
    Interno TEXT,
    FattDocumento TEXT,
    Descrizione TEXT,
    Tipo TEXT,
    GruppoCli TEXT,
    MastroCli TEXT,
    ContoCli TEXT,
    RagSocCli TEXT,
    RagSocCli2 TEXT,
    Indirizzo TEXT,
    Localita TEXT,
    Telefono TEXT,
    RifCli TEXT,
    Lingua TEXT,
    Listino TEXT,
    Moneta TEXT,
    Cambio NUMERIC(19,4),
    PrezziIvati TEXT,
    Iva TEXT,
    IvaSosp TEXT,
    Pagamento TEXT,
    Banca TEXT,
    ScontoPag TEXT,
    ScoPagSuDett TEXT,
    ScontoCli TEXT,
    PercRitAcc NUMERIC(19,4),
    Contratto TEXT,
    CIG TEXT,
    CUP TEXT,
    PdcDicIntenti INTEGER,
    Agente1 TEXT,
    Agente2 TEXT,
    TipoProvv TEXT,
    TipoProvv2 TEXT,
    PercProvv1 NUMERIC(19,4),
    PercProvv2 NUMERIC(19,4),
    MagazzProv TEXT,
    MagazzDest TEXT,
    IndSped TEXT,
    RagSoc TEXT,
    RagSoc2 TEXT,
    IndirizzoSped TEXT,
    CAPSped TEXT,
    LocalitaSped TEXT,
    PrSped TEXT,
    StatoSped TEXT,
    Resa TEXT,
    DescResa TEXT,
    Trasporto TEXT,
    DescTrasporto TEXT,
    Vettore TEXT,
    RagSocVett TEXT,
    IndirizzoVett TEXT,
    CAPVett TEXT,
    LocalitaVett TEXT,
    PrVett TEXT,
    DescPers1 TEXT,
    DescPers2 TEXT,
    DescPers3 TEXT,
    NumNota1 INTEGER,
    NumNota2 INTEGER,
    NumNota3 INTEGER,
    NumNota INTEGER,
    Nota TEXT,
    EvasioneNota TEXT,
    RagOrd TEXT,
    ConsTotale TEXT,
    StampoNota TEXT,
    OrdAnno INTEGER,
    OrdNumRif INTEGER,
    PartIva TEXT,
    PrezzoDDT TEXT,
    Aperto TEXT,
    OrdAperto TEXT,
    PrezzoOrd TEXT,
    RagRB TEXT,
    RagDDT TEXT,
    CauTrasporto TEXT,
    AspettoBene TEXT,
    PeriodoIva INTEGER,
    AnnoIva INTEGER,
    Riepilogativa TEXT,
    FattAccomp TEXT,
    Bolli TEXT,
    SpeseBan TEXT,
    FECodIPA TEXT,
    FeBanca TEXT,
    IndAmm TEXT,
    Provenienza TEXT,
    RifAnniPrec TEXT,
    DaFatturare TEXT,
    Segno TEXT,
    Abbuono NUMERIC(19,4),
    Acconto NUMERIC(19,4),
    Peso NUMERIC(19,4),
    TotMerce NUMERIC(19,4),
    TotSpese NUMERIC(19,4),
    TotIva NUMERIC(19,4),
    TotDocum NUMERIC(19,4),
    TotImpon NUMERIC(19,4),
    ImponRitAcc NUMERIC(19,4),
    PRIMARY KEY (Anno, NumRif)
);

CREATE INDEX IF NOT EXISTS IX_DdtTest_Aperti ON DdtTest (GruppoCli, MastroCli, ContoCli, Anno, FattDocumento);

CREATE TABLE IF NOT EXISTS DdtDett (
    Anno INTEGER NOT NULL,
    NumRif INTEGER NOT NULL,
    -- line number, join key of the level rows
    RigLiv INTEGER NOT NULL,
    -- display order
    RigDet INTEGER,
    TipoRiga TEXT,
    FormatoRiga TEXT,
    Articolo TEXT,
    Descrizione TEXT,
    DoveStampoDesLung TEXT,
    UM TEXT,
    FatCon NUMERIC(19,4),
    Colli NUMERIC(19,4),
    Qta NUMERIC(19,4),
    ValUnitario NUMERIC(19,4),
    ValTotale NUMERIC(19,4),
    ValLire NUMERIC(19,4),
    ValEuro NUMERIC(19,4),
    ScontoTab TEXT,
    ScontoCli TEXT,
    ScontoArt TEXT,
    ScontoQuant TEXT,
    ScontoTot TEXT,
    FlScontoPag TEXT,
    Promozione TEXT,
    Omaggio TEXT,
    Iva TEXT,
    GruppoVen TEXT,
    MastroVen TEXT,
    ContoVen TEXT,
    PercProvv1 NUMERIC(19,4),
    PercProvv2 NUMERIC(19,4),
    Lunghezza NUMERIC(19,4),
    Larghezza NUMERIC(19,4),
    Altezza NUMERIC(19,4),
    DescPers TEXT,
    NotaSopra TEXT,
    NotaSotto TEXT,
    NotaSopraStamp TEXT,
    NotaSottoStamp TEXT,
    NotaSoSotAttEEva TEXT,
    CompGiornMens TEXT,
    DataCompDa DATE,
    DataCompA DATE,
    CentroDiCosto TEXT,
    BeneUsato TEXT,
    SoggRitAcc TEXT,
    -- RigLiv of the electrical-waste contribution line
    RigLivRAEE INTEGER,
    Cambio NUMERIC(19,4),
    Contratto TEXT,
    ArticoloFor TEXT,
    MagazzDest TEXT,
    FlagStato TEXT,
    -- origin of the line
    TipoProv TEXT,
    FattDocumentoProv TEXT,
    AnnoRifProv INTEGER,
    NumRifProv INTEGER,
    -- RigLiv of the source line
    RigaRifProv INTEGER,
    PRIMARY KEY (Anno, NumRif, RigLiv)
);

CREATE INDEX IF NOT EXISTS IX_DdtDett_Prov ON DdtDett (AnnoRifProv, NumRifProv, RigaRifProv);
CREATE INDEX IF NOT EXISTS IX_DdtDett_RigDet ON DdtDett (Anno, NumRif, RigDet);

CREATE TABLE IF NOT EXISTS DdtLiv (
    Anno INTEGER NOT NULL,
    NumRif INTEGER NOT NULL,
    RigLiv INTEGER NOT NULL,
    Livello1 TEXT NOT NULL,
    Livello2 TEXT NOT NULL,
    UM TEXT,
    FatCon NUMERIC(19,4),
    Qta NUMERIC(19,4),
    ValUnitario NUMERIC(19,4),
    ValTotale NUMERIC(19,4),
    ValLire NUMERIC(19,4),
    ValEuro NUMERIC(19,4),
    FlagStato TEXT,
    -- RigLiv of the source line
    RigLivOrig INTEGER,
    -- quantity taken from the source
    QtaProv NUMERIC(19,4),
    -- origin of the line
    TipoProv TEXT,
    FattDocumentoProv TEXT,
    AnnoRifProv INTEGER,
    NumRifProv INTEGER,
    -- RigLiv of the source line
    RigaRifProv INTEGER,
    PRIMARY KEY (Anno, NumRif, RigLiv, Livello1, Livello2)
);

CREATE TABLE IF NOT EXISTS DdtSpese (
    Anno INTEGER NOT NULL,
    NumRif INTEGER NOT NULL,
    Riga INTEGER NOT NULL,
    Spesa TEXT,
    Iva TEXT,
    Percentuale NUMERIC(19,4),
    Importo NUMERIC(19,4),
    ImportoMax NUMERIC(19,4),
    ImportoMin NUMERIC(19,4),
    SoggRitAcc TEXT,
    PRIMARY KEY (Anno, NumRif, Riga)
);

CREATE TABLE IF NOT EXISTS OrdVenTest (
    Anno INTEGER NOT NULL,
    NumRif INTEGER NOT NULL,
    DataRif DATE,
    PreDoc TEXT,
    NumDoc INTEGER,
    DataDoc DATE,
    DataCons DATE,
    Stato TEXT,
    Interno TEXT,
    FattDocumento TEXT,
    Descrizione TEXT,
    Tipo TEXT,
    GruppoCli TEXT,
    MastroCli TEXT,
    ContoCli TEXT,
    RagSocCli TEXT,
    RagSocCli2 TEXT,
    Indirizzo TEXT,
    Localita TEXT,
    Telefono TEXT,
    RifCli TEXT,
    Lingua TEXT,
    Listino TEXT,
    Moneta TEXT,
    Cambio NUMERIC(19,4),
    PrezziIvati TEXT,
    Iva TEXT,
    IvaSosp TEXT,
    Pagamento TEXT,
    Banca TEXT,
    ScontoPag TEXT,
    ScoPagSuDett TEXT,
    ScontoCli TEXT,
    PercRitAcc NUMERIC(19,4),
    Contratto TEXT,
    CIG TEXT,
    CUP TEXT,
    PdcDicIntenti INTEGER,
    Agente1 TEXT,
    Agente2 TEXT,
    TipoProvv TEXT,
    TipoProvv2 TEXT,
    PercProvv1 NUMERIC(19,4),
    PercProvv2 NUMERIC(19,4),
    MagazzProv TEXT,
    MagazzDest TEXT,
    IndSped TEXT,
    RagSoc TEXT,
    RagSoc2 TEXT,
    IndirizzoSped TEXT,
    CAPSped TEXT,
    LocalitaSped TEXT,
    PrSped TEXT,
    StatoSped TEXT,
    Resa TEXT,
    DescResa TEXT,
    Trasporto TEXT,
    DescTrasporto TEXT,
    Vettore TEXT,
    RagSocVett TEXT,
    IndirizzoVett TEXT,
    CAPVett TEXT,
    LocalitaVett TEXT,
    PrVett TEXT,
    DescPers1 TEXT,
    DescPers2 TEXT,
    DescPers3 TEXT,
    NumNota1 INTEGER,
    NumNota2 INTEGER,
    NumNota3 INTEGER,
    NumNota INTEGER,
    Nota TEXT,
    EvasioneNota TEXT,
    RagOrd TEXT,
    ConsTotale TEXT,
    StampoNota TEXT,
    OrdAnno INTEGER,
    OrdNumRif INTEGER,
    PartIva TEXT,
    PrezzoDDT TEXT,
    Aperto TEXT,
    OrdAperto TEXT,
    PrezzoOrd TEXT,
    RagRB TEXT,
    RagDDT TEXT,
    CauTrasporto TEXT,
    AspettoBene TEXT,
    PeriodoIva INTEGER,
    AnnoIva INTEGER,
    Riepilogativa TEXT,
    FattAccomp TEXT,
    Bolli TEXT,
    SpeseBan TEXT,
    FECodIPA TEXT,
    FeBanca TEXT,
    IndAmm TEXT,
    Provenienza TEXT,
    RifAnniPrec TEXT,
    DaFatturare TEXT,
    Segno TEXT,
    Abbuono NUMERIC(19,4),
    Acconto NUMERIC(19,4),
    Peso NUMERIC(19,4),
    TotMerce NUMERIC(19,4),
    TotSpese NUMERIC(19,4),
    TotIva NUMERIC(19,4),
    TotDocum NUMERIC(19,4),
    TotImpon NUMERIC(19,4),
    ImponRitAcc NUMERIC(19,4),
    PRIMARY KEY (Anno, NumRif)
);

CREATE INDEX IF NOT EXISTS IX_OrdVenTest_Aperti ON OrdVenTest (GruppoCli, MastroCli, ContoCli, Anno, FattDocumento);

CREATE TABLE IF NOT EXISTS OrdVenDett (
    Anno INTEGER NOT NULL,
    NumRif INTEGER NOT NULL,
    -- line number, join key of the level rows
    RigLiv INTEGER NOT NULL,
    -- display order
    RigDet INTEGER,
    TipoRiga TEXT,
    FormatoRiga TEXT,
    Articolo TEXT,
    Descrizione TEXT,
    DoveStampoDesLung TEXT,
    UM TEXT,
    FatCon NUMERIC(19,4),
    Colli NUMERIC(19,4),
    Qta NUMERIC(19,4),
    ValUnitario NUMERIC(19,4),
    ValTotale NUMERIC(19,4),
    ValLire NUMERIC(19,4),
    ValEuro NUMERIC(19,4),
    ScontoTab TEXT,
    ScontoCli TEXT,
    ScontoArt TEXT,
    ScontoQuant TEXT,
    ScontoTot TEXT,
    FlScontoPag TEXT,
    Promozione TEXT,
    Omaggio TEXT,
    Iva TEXT,
    GruppoVen TEXT,
    MastroVen TEXT,
    ContoVen TEXT,
    PercProvv1 NUMERIC(19,4),
    PercProvv2 NUMERIC(19,4),
    Lunghezza NUMERIC(19,4),
    Larghezza NUMERIC(19,4),
    Altezza NUMERIC(19,4),
    DescPers TEXT,
    NotaSopra TEXT,
    NotaSotto TEXT,
    NotaSopraStamp TEXT,
    NotaSottoStamp TEXT,
    NotaSoSotAttEEva TEXT,
    CompGiornMens TEXT,
    DataCompDa DATE,
    DataCompA DATE,
    CentroDiCosto TEXT,
    BeneUsato TEXT,
    SoggRitAcc TEXT,
    -- RigLiv of the electrical-waste contribution line
    RigLivRAEE INTEGER,
    Cambio NUMERIC(19,4),
    Contratto TEXT,
    ArticoloFor TEXT,
    MagazzDest TEXT,
    FlagStato TEXT,
    -- origin of the line
    TipoProv TEXT,
    FattDocumentoProv TEXT,
    AnnoRifProv INTEGER,
    NumRifProv INTEGER,
    -- RigLiv of the source line
    RigaRifProv INTEGER,
    PRIMARY KEY (Anno, NumRif, RigLiv)
);

CREATE INDEX IF NOT EXISTS IX_OrdVenDett_Prov ON OrdVenDett (AnnoRifProv, NumRifProv, RigaRifProv);
CREATE INDEX IF NOT EXISTS IX_OrdVenDett_RigDet ON OrdVenDett (Anno, NumRif, RigDet);

CREATE TABLE IF NOT EXISTS OrdVenLiv (
    Anno INTEGER NOT NULL,
    NumRif INTEGER NOT NULL,
    RigLiv INTEGER NOT NULL,
    Livello1 TEXT NOT NULL,
    Livello2 TEXT NOT NULL,
    UM TEXT,
    FatCon NUMERIC(19,4),
    Qta NUMERIC(19,4),
    ValUnitario NUMERIC(19,4),
    ValTotale NUMERIC(19,4),
    ValLire NUMERIC(19,4),
    ValEuro NUMERIC(19,4),
    FlagStato TEXT,
    -- RigLiv of the source line
    RigLivOrig INTEGER,
    -- quantity taken from the source
    QtaProv NUMERIC(19,4),
    -- origin of the line
    TipoProv TEXT,
    FattDocumentoProv TEXT,
    AnnoRifProv INTEGER,
    NumRifProv INTEGER,
    -- RigLiv of the source line
    RigaRifProv INTEGER,
    PRIMARY KEY (Anno, NumRif, RigLiv, Livello1, Livello2)
);

CREATE TABLE IF NOT EXISTS OrdVenSpese (
    Anno INTEGER NOT NULL,
    NumRif INTEGER NOT NULL,
    Riga INTEGER NOT NULL,
    Spesa TEXT,
    Iva TEXT,
    Percentuale NUMERIC(19,4),
    Importo NUMERIC(19,4),
    ImportoMax NUMERIC(19,4),
    ImportoMin NUMERIC(19,4),
    SoggRitAcc TEXT,
    PRIMARY KEY (Anno, NumRif, Riga)
);

-- == Purchase orders ==

CREATE TABLE IF NOT EXISTS OrdAcqTes (
    Anno INTEGER NOT NULL,
    NumRif INTEGER NOT NULL,
    DataRif DATE,
    PreDoc TEXT,
    NumDoc INTEGER,
    DataDoc DATE,
    Stato TEXT,
    Interno TEXT,
    FattDocumento TEXT,
    Descrizione TEXT,
    Tipo TEXT,
    GruppoFor TEXT,
    MastroFor TEXT,
    ContoFor TEXT,
    Listino TEXT,
    Moneta TEXT,
    Cambio NUMERIC(19,4),
    PrezziIvati TEXT,
    Iva TEXT,
    IvaSosp TEXT,
    Pagamento TEXT,
    Banca TEXT,
    ScontoFor TEXT,
    ScontoPag TEXT,
    ScoPagSuDett TEXT,
    PercRitAcc NUMERIC(19,4),
    MagazzProv TEXT,
    MagazzDest TEXT,
    Resa TEXT,
    Vettore TEXT,
    RagOrd TEXT,
    ConsTotale TEXT,
    OrdAperto TEXT,
    PrezzoOrd TEXT,
    Provenienza TEXT,
    Segno TEXT,
    NumNota INTEGER,
    StampoNota TEXT,
    Nota TEXT,
    Acconto NUMERIC(19,4),
    TotMerce NUMERIC(19,4),
    TotSpese NUMERIC(19,4),
    TotIva NUMERIC(19,4),
    TotDocum NUMERIC(19,4),
    TotImpon NUMERIC(19,4),
    ImponRitAcc NUMERIC(19,4),
    PRIMARY KEY (Anno, NumRif)
);

CREATE INDEX IF NOT EXISTS IX_OrdAcqTes_Aperti ON OrdAcqTes (GruppoFor, MastroFor, ContoFor, FattDocumento);

CREATE TABLE IF NOT EXISTS OrdAcqDett (
    Anno INTEGER NOT NULL,
    NumRif INTEGER NOT NULL,
    -- line number, join key of the level rows
    RigLiv INTEGER NOT NULL,
    -- display order
    RigDet INTEGER,
    TipoRiga TEXT,
    FormatoRiga TEXT,
    Articolo TEXT,
    Descrizione TEXT,
    DoveStampoDesLung TEXT,
    UM TEXT,
    FatCon NUMERIC(19,4),
    Colli NUMERIC(19,4),
    Qta NUMERIC(19,4),
    ValUnitario NUMERIC(19,4),
    ValTotale NUMERIC(19,4),
    ValLire NUMERIC(19,4),
    ValEuro NUMERIC(19,4),
    ScontoTab TEXT,
    ScontoCli TEXT,
    ScontoArt TEXT,
    ScontoQuant TEXT,
    ScontoTot TEXT,
    FlScontoPag TEXT,
    Promozione TEXT,
    Omaggio TEXT,
    Iva TEXT,
    GruppoVen TEXT,
    MastroVen TEXT,
    ContoVen TEXT,
    PercProvv1 NUMERIC(19,4),
    PercProvv2 NUMERIC(19,4),
    Lunghezza NUMERIC(19,4),
    Larghezza NUMERIC(19,4),
    Altezza NUMERIC(19,4),
    DescPers TEXT,
    NotaSopra TEXT,
    NotaSotto TEXT,
    NotaSopraStamp TEXT,
    NotaSottoStamp TEXT,
    NotaSoSotAttEEva TEXT,
    CompGiornMens TEXT,
    DataCompDa DATE,
    DataCompA DATE,
    CentroDiCosto TEXT,
    BeneUsato TEXT,
    SoggRitAcc TEXT,
    -- RigLiv of the electrical-waste contribution line
    RigLivRAEE INTEGER,
    Cambio NUMERIC(19,4),
    Contratto TEXT,
    ArticoloFor TEXT,
    MagazzDest TEXT,
    FlagStato TEXT,
    -- origin of the line
    TipoProv TEXT,
    FattDocumentoProv TEXT,
    AnnoRifProv INTEGER,
    NumRifProv INTEGER,
    -- RigLiv of the source line
    RigaRifProv INTEGER,
    PRIMARY KEY (Anno, NumRif, RigLiv)
);

CREATE INDEX IF NOT EXISTS IX_OrdAcqDett_Prov ON OrdAcqDett (AnnoRifProv, NumRifProv, RigaRifProv);
CREATE INDEX IF NOT EXISTS IX_OrdAcqDett_RigDet ON OrdAcqDett (Anno, NumRif, RigDet);

CREATE TABLE IF NOT EXISTS OrdAcqLiv (
    Anno INTEGER NOT NULL,
    NumRif INTEGER NOT NULL,
    RigLiv INTEGER NOT NULL,
    Livello1 TEXT NOT NULL,
    Livello2 TEXT NOT NULL,
    UM TEXT,
    FatCon NUMERIC(19,4),
    Qta NUMERIC(19,4),
    ValUnitario NUMERIC(19,4),
    ValTotale NUMERIC(19,4),
    ValLire NUMERIC(19,4),
    ValEuro NUMERIC(19,4),
    FlagStato TEXT,
    -- RigLiv of the source line
    RigLivOrig INTEGER,
    -- quantity taken from the source
    QtaProv NUMERIC(19,4),
    -- origin of the line
    TipoProv TEXT,
    FattDocumentoProv TEXT,
    AnnoRifProv INTEGER,
    NumRifProv INTEGER,
    -- RigLiv of the source line
    RigaRifProv INTEGER,
    PRIMARY KEY (Anno, NumRif, RigLiv, Livello1, Livello2)
);

CREATE TABLE IF NOT EXISTS OrdAcqSpese (
    Anno INTEGER NOT NULL,
    NumRif INTEGER NOT NULL,
    Riga INTEGER NOT NULL,
    Spesa TEXT,
    Iva TEXT,
    Percentuale NUMERIC(19,4),
    Importo NUMERIC(19,4),
    ImportoMax NUMERIC(19,4),
    ImportoMin NUMERIC(19,4),
    SoggRitAcc TEXT,
    PRIMARY KEY (Anno, NumRif, Riga)
);

-- == Electronic-invoice extension of the invoice header ==

CREATE TABLE IF NOT EXISTS FatTestFe (
    Anno INTEGER NOT NULL,
    NumRif INTEGER NOT NULL,
    -- "SI" when stamp duty is paid virtually
    FENumeroBollo TEXT,
    FEImportoBollo NUMERIC(19,4),
    PRIMARY KEY (Anno, NumRif)
);

-- == Warehouse movements and their staging copies ==
-- The "App" tables have exactly the columns of their real counterparts: staged
-- rows are copied whole into the real tables when the movement is posted.

-- Movement headers.
CREATE TABLE IF NOT EXISTS MovMagTes (
    Anno INTEGER NOT NULL,
    NumReg INTEGER NOT NULL,
    DataReg DATE,
    FattDocumento TEXT,
    PreDoc TEXT,
    NumDoc INTEGER,
    DataDoc DATE,
    -- number of the originating document (the quote of a receipt)
    NumRif INTEGER,
    MagCausale TEXT,
    MagazzinoProv TEXT,
    MagazzinoDest TEXT,
    GruppoCliFor TEXT,
    MastroCliFor TEXT,
    ContoCliFor TEXT,
    Listino TEXT,
    Moneta TEXT,
    Cambio NUMERIC(19,4),
    CambioDocOrig NUMERIC(19,4),
    -- "A" = created automatically
    AutMan TEXT,
    Note TEXT,
    -- expenses to spread over the lines
    ImportoSpese NUMERIC(19,4),
    PRIMARY KEY (Anno, NumReg)
);

CREATE TABLE IF NOT EXISTS MovMagDett (
    Anno INTEGER NOT NULL,
    NumReg INTEGER NOT NULL,
    RigLiv INTEGER NOT NULL,
    RigReg INTEGER,
    RigDoc INTEGER,
    Articolo TEXT,
    Livello1 TEXT,
    Livello2 TEXT,
    UM TEXT,
    FatCon NUMERIC(19,4),
    Qta NUMERIC(19,4),
    -- quantity that updates the warehouse
    QtaAggMag NUMERIC(19,4),
    ValUnitario NUMERIC(19,4),
    ScontoTot TEXT,
    Cambio NUMERIC(19,4),
    ValTotale NUMERIC(19,4),
    ValLire NUMERIC(19,4),
    ValEuro NUMERIC(19,4),
    ValScaricoLire NUMERIC(19,4),
    ValScarico NUMERIC(19,4),
    -- posting status ("0" posted)
    FlagStato TEXT,
    CopiaTaglia TEXT,
    -- origin of the line
    TipoProv TEXT,
    FattDocumentoProv TEXT,
    AnnoRifProv INTEGER,
    NumRifProv INTEGER,
    -- RigLiv of the source line
    RigaRifProv INTEGER,
    PRIMARY KEY (Anno, NumReg, RigLiv)
);

CREATE TABLE IF NOT EXISTS MovMagDettApp (
    Anno INTEGER NOT NULL,
    NumReg INTEGER NOT NULL,
    RigLiv INTEGER NOT NULL,
    RigReg INTEGER,
    RigDoc INTEGER,
    Articolo TEXT,
    Livello1 TEXT,
    Livello2 TEXT,
    UM TEXT,
    FatCon NUMERIC(19,4),
    Qta NUMERIC(19,4),
    -- quantity that updates the warehouse
    QtaAggMag NUMERIC(19,4),
    ValUnitario NUMERIC(19,4),
    ScontoTot TEXT,
    Cambio NUMERIC(19,4),
    ValTotale NUMERIC(19,4),
    ValLire NUMERIC(19,4),
    ValEuro NUMERIC(19,4),
    ValScaricoLire NUMERIC(19,4),
    ValScarico NUMERIC(19,4),
    -- posting status ("0" posted)
    FlagStato TEXT,
    CopiaTaglia TEXT,
    -- origin of the line
    TipoProv TEXT,
    FattDocumentoProv TEXT,
    AnnoRifProv INTEGER,
    NumRifProv INTEGER,
    -- RigLiv of the source line
    RigaRifProv INTEGER,
    PRIMARY KEY (Anno, NumReg, RigLiv)
);

CREATE TABLE IF NOT EXISTS MovMagLiv (
    Anno INTEGER NOT NULL,
    NumReg INTEGER NOT NULL,
    RigLiv INTEGER NOT NULL,
    Livello1 TEXT NOT NULL,
    Livello2 TEXT NOT NULL,
    RigLivDoc INTEGER,
    UM TEXT,
    Qta NUMERIC(19,4),
    QtaAggMag NUMERIC(19,4),
    ValUnitario NUMERIC(19,4),
    ValTotale NUMERIC(19,4),
    ValLire NUMERIC(19,4),
    ValEuro NUMERIC(19,4),
    ValScaricoLire NUMERIC(19,4),
    ValScarico NUMERIC(19,4),
    FlagStato TEXT,
    PRIMARY KEY (Anno, NumReg, RigLiv, Livello1, Livello2)
);

CREATE TABLE IF NOT EXISTS MovMagLivApp (
    Anno INTEGER NOT NULL,
    NumReg INTEGER NOT NULL,
    RigLiv INTEGER NOT NULL,
    Livello1 TEXT NOT NULL,
    Livello2 TEXT NOT NULL,
    RigLivDoc INTEGER,
    UM TEXT,
    Qta NUMERIC(19,4),
    QtaAggMag NUMERIC(19,4),
    ValUnitario NUMERIC(19,4),
    ValTotale NUMERIC(19,4),
    ValLire NUMERIC(19,4),
    ValEuro NUMERIC(19,4),
    ValScaricoLire NUMERIC(19,4),
    ValScarico NUMERIC(19,4),
    FlagStato TEXT,
    PRIMARY KEY (Anno, NumReg, RigLiv, Livello1, Livello2)
);

CREATE INDEX IF NOT EXISTS IX_MovMagDettApp_Prov ON MovMagDettApp (AnnoRifProv, NumRifProv, RigaRifProv);

-- == Serial numbers and traceability of movement lines (and staging copies) ==

CREATE TABLE IF NOT EXISTS MovMagMatr (
    Anno INTEGER NOT NULL,
    NumReg INTEGER NOT NULL,
    RigLiv INTEGER NOT NULL,
    Riga INTEGER NOT NULL,
    Articolo TEXT,
    Livello1 TEXT,
    Livello2 TEXT,
    -- serial number
    Matricola TEXT,
    PRIMARY KEY (Anno, NumReg, RigLiv, Riga)
);

CREATE TABLE IF NOT EXISTS MovMagMatrApp (
    Anno INTEGER NOT NULL,
    NumReg INTEGER NOT NULL,
    RigLiv INTEGER NOT NULL,
    Riga INTEGER NOT NULL,
    Articolo TEXT,
    Livello1 TEXT,
    Livello2 TEXT,
    -- serial number
    Matricola TEXT,
    PRIMARY KEY (Anno, NumReg, RigLiv, Riga)
);

CREATE TABLE IF NOT EXISTS MovMagRintraccia (
    Anno INTEGER NOT NULL,
    NumReg INTEGER NOT NULL,
    RigLiv INTEGER NOT NULL,
    Riga INTEGER NOT NULL,
    Articolo TEXT,
    Livello1 TEXT,
    Livello2 TEXT,
    Lotto TEXT,
    DataScadenza DATE,
    Qta NUMERIC(19,4),
    PRIMARY KEY (Anno, NumReg, RigLiv, Riga)
);

CREATE TABLE IF NOT EXISTS MovMagRintracciaApp (
    Anno INTEGER NOT NULL,
    NumReg INTEGER NOT NULL,
    RigLiv INTEGER NOT NULL,
    Riga INTEGER NOT NULL,
    Articolo TEXT,
    Livello1 TEXT,
    Livello2 TEXT,
    Lotto TEXT,
    DataScadenza DATE,
    Qta NUMERIC(19,4),
    PRIMARY KEY (Anno, NumReg, RigLiv, Riga)
);

-- == Article progressives and costs ==
-- Stock on hand = QtaIniziale + QtaCarico - QtaScarico. Key columns are ordered
-- article, levels, warehouse, year so that the key serves every lookup.

-- Stock, ordered and committed quantities per article, level, warehouse and year.
-- ProgrQta<n>/ProgrQtaIniz<n> are the additional progressives a causal may name.
CREATE TABLE IF NOT EXISTS ArticoliProg (
    Articolo TEXT NOT NULL,
    Livello1 TEXT NOT NULL,
    Livello2 TEXT NOT NULL,
    Magazzino TEXT NOT NULL,
    Anno INTEGER NOT NULL,
    QtaIniziale NUMERIC(19,4),
    ValIniziale NUMERIC(19,4),
    ValInizialeLire NUMERIC(19,4),
    QtaCarico NUMERIC(19,4),
    ValCarico NUMERIC(19,4),
    ValCaricoLire NUMERIC(19,4),
    QtaScarico NUMERIC(19,4),
    ValScarico NUMERIC(19,4),
    ValScaricoLire NUMERIC(19,4),
    DataUltCarico DATE,
    DataUltScarico DATE,
    QtaMedioC NUMERIC(19,4),
    ValMedioC NUMERIC(19,4),
    ValMedioCLire NUMERIC(19,4),
    ValScaUC NUMERIC(19,4),
    ValScaUCLire NUMERIC(19,4),
    CostoUltimo NUMERIC(19,4),
    CostoUltimoLire NUMERIC(19,4),
    MedioPonderale NUMERIC(19,4),
    MedioPonderaleLire NUMERIC(19,4),
    GruppoCliFor TEXT,
    MastroCliFor TEXT,
    ContoCliFor TEXT,
    QtaOrdFor NUMERIC(19,4),
    ValOrdFor NUMERIC(19,4),
    ValOrdForLire NUMERIC(19,4),
    QtaImpCli NUMERIC(19,4),
    ValImpCli NUMERIC(19,4),
    ValImpCliLire NUMERIC(19,4),
    ProgrQta1 NUMERIC(19,4),
    ProgrQta2 NUMERIC(19,4),
    ProgrQta3 NUMERIC(19,4),
    ProgrQta4 NUMERIC(19,4),
    ProgrQta5 NUMERIC(19,4),
    ProgrQtaIniz1 NUMERIC(19,4),
    ProgrQtaIniz2 NUMERIC(19,4),
    ProgrQtaIniz3 NUMERIC(19,4),
    ProgrQtaIniz4 NUMERIC(19,4),
    ProgrQtaIniz5 NUMERIC(19,4),
    PRIMARY KEY (Articolo, Livello1, Livello2, Magazzino, Anno)
);

-- Costs and purchase/sales statistics per article (and level) and year.
CREATE TABLE IF NOT EXISTS ArticoliCosti (
    Articolo TEXT NOT NULL,
    Livello1 TEXT NOT NULL,
    Livello2 TEXT NOT NULL,
    Anno INTEGER NOT NULL,
    MedioPonderale NUMERIC(19,4),
    MedioPonderaleLire NUMERIC(19,4),
    CMPValido TEXT,
    CostoUltimo NUMERIC(19,4),
    CostoUltimoLire NUMERIC(19,4),
    DataCostoUltimo DATE,
    CostoPiu NUMERIC(19,4),
    CostoPiuLire NUMERIC(19,4),
    DataCostoPiu DATE,
    QtaAcquisti NUMERIC(19,4),
    ValAcquisti NUMERIC(19,4),
    ValAcquistiLire NUMERIC(19,4),
    QtaVenduto NUMERIC(19,4),
    ValVenduto NUMERIC(19,4),
    ValVendutoLire NUMERIC(19,4),
    QtaMedioC NUMERIC(19,4),
    ValMedioC NUMERIC(19,4),
    ValMedioCLire NUMERIC(19,4),
    PRIMARY KEY (Articolo, Livello1, Livello2, Anno)
);

-- == Document types, warehouse causals, fixed notes, VAT registers, purchasing table ==

-- Document types.
CREATE TABLE IF NOT EXISTS FattDocumenti (
    FattDocumento TEXT NOT NULL,
    Descrizione TEXT,
    -- "P" quote, "F" invoice, "B" delivery note, "O" order ...
    Tipo TEXT,
    Segno TEXT,
    Interno TEXT,
    -- type a quote of this type is fulfilled into
    FattDocEvasione TEXT,
    MagCausale TEXT,
    MagCausaleRientro TEXT,
    -- accounting causal, key of Causali
    Causale TEXT,
    RegimeMargine TEXT,
    PrefRegIva TEXT,
    PrefBolle TEXT,
    DoveStampoDesLung TEXT,
    FattAccomp TEXT,
    PrezzoDDT TEXT,
    PartIva TEXT,
    RiepDoc TEXT,
    MagProposto TEXT,
    Listino TEXT,
    NumNota INTEGER,
    PRIMARY KEY (FattDocumento)
);

-- Warehouse movement causals.
CREATE TABLE IF NOT EXISTS MagCausali (
    MagCausale TEXT NOT NULL,
    Descrizione TEXT,
    -- "C" receipt, "S" issue, "N" neither
    CarScar TEXT,
    Segno TEXT,
    Prov TEXT,
    Dest TEXT,
    TipoMov TEXT,
    QualeProgrQta TEXT,
    AggMedioCar TEXT,
    AggMedioPon TEXT,
    AggCostoUlt TEXT,
    ValorizzScarico TEXT,
    AcqVen TEXT,
    RipartSpese TEXT,
    QualeImporto TEXT,
    -- kind of counterpart ("C" customer, "F" supplier)
    CliFor TEXT,
    PRIMARY KEY (MagCausale)
);

-- Fixed notes.
CREATE TABLE IF NOT EXISTS NoteFisse (
    NotaFissa INTEGER NOT NULL,
    Descrizione TEXT,
    Nota TEXT,
    -- "S" = carried into the documents of a fulfilment
    SuEvasione TEXT,
    PRIMARY KEY (NotaFissa)
);

-- VAT registers per year.
CREATE TABLE IF NOT EXISTS LibriIva (
    Anno INTEGER NOT NULL,
    -- "V" sales
    TipoReg TEXT NOT NULL,
    Pref TEXT NOT NULL,
    Descrizione TEXT,
    RegimeMargine TEXT,
    PRIMARY KEY (Anno, TipoReg, Pref)
);

-- Purchasing settings.
CREATE TABLE IF NOT EXISTS TabAcq (
    -- single-row table
    Id INTEGER NOT NULL,
    -- document type of purchase orders
    AcqDocOrd TEXT,
    Oggetto TEXT,
    Vettore TEXT,
    ListAcq TEXT,
    PRIMARY KEY (Id)
);

-- == Record locks, run journal, saved criteria ==

-- Record marks shared by the programs of the suite: the key refuses a second mark.
CREATE TABLE IF NOT EXISTS LockGest (
    -- "M" movement, "P" quote, ...
    Tipo TEXT NOT NULL,
    Anno INTEGER NOT NULL,
    NumReg INTEGER NOT NULL,
    Utente TEXT,
    Stato TEXT,
    Ora TIMESTAMP,
    Gestione TEXT,
    Varie TEXT,
    PadreTipo TEXT,
    PadreAnno INTEGER,
    PadreNumReg INTEGER,
    PRIMARY KEY (Tipo, Anno, NumReg)
);

-- Journal of documents produced by a run and not yet closed.
CREATE TABLE IF NOT EXISTS DocDaElab (
    Utente TEXT NOT NULL,
    Programma TEXT NOT NULL,
    Anno INTEGER NOT NULL,
    -- number (NumRif) of the document produced
    NumReg INTEGER NOT NULL,
    DataOraEvas TIMESTAMP,
    Comando TEXT,
    PRIMARY KEY (Utente, Programma, Anno, NumReg)
);

-- Saved run criteria, one value per user, program and field.
CREATE TABLE IF NOT EXISTS AppoggioTemp (
    Utente TEXT NOT NULL,
    IdProgramma TEXT NOT NULL,
    IdCampo TEXT NOT NULL,
    Valorestringa TEXT,
    Valorenumero NUMERIC(19,4),
    Valoredata DATE,
    PRIMARY KEY (Utente, IdProgramma, IdCampo)
);

-- == Schema version ==
INSERT INTO SchemaVersione (Versione, DataAgg)
SELECT 1, CURRENT_TIMESTAMP
WHERE NOT EXISTS (SELECT 1 FROM SchemaVersione WHERE Versione = 1);
