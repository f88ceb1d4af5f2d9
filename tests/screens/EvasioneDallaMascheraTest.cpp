// The form filled and confirmed on a small company produces the same documents as
// `evapre run` with the same criteria on a copy of that company.
#include <QRadioButton>
#include <QTextStream>
#include <QTimer>

#include "DemoDb.h"
#include "QtUiServices.h"
#include "RowSet.h"
#include "RunCommand.h"
#include "SelezioneFixture.h"
#include "frmMsgCom.h"
#include "scEvaPrev.h"

namespace evapre::test {
namespace {

namespace C = CampoSelezione;

// The rows of a query as text, one line per row, every column.
QStringList righe(DbConnection& db, const QString& sql) {
    QStringList out;
    auto rs = db.openRowSet(sql);
    for (; !rs->eof(); rs->moveNext()) {
        QStringList valori;
        const QStringList colonne = rs->columns();
        for (int i = 0; i < colonne.size(); ++i)
            valori << colonne[i] + "=" + rs->valueAt(i).toString();
        out << valori.join(';');
    }
    return out;
}

TEST(EvasioneDallaMaschera, StessiDocumentiDiEvapreRun) {
    TestDb dbForm;
    TestDb dbRun;
    const DemoOptions opzioni{10, 3, 7};
    DemoCompanyBuilder(dbForm.db(), opzioni).build();
    DemoCompanyBuilder(dbRun.db(), opzioni).build();

    // evapre run on one copy.
    {
        ScriptedUiServices ui;
        QString out, err;
        QTextStream o(&out), e(&err);
        ASSERT_EQ(RunFulfilment({"--db", dbRun.name(), "--user", "demo", "--date", "31/12/2026",
                                 "--quote-type", "PV", "--doc-type", "FA"},
                                o, e, ui),
                  0)
            << err.toStdString() << out.toStdString();
    }

    // The form on the other, as the user fills it: the defaults, then "Automatica".
    VeltDbasedll::instance().setLockConnection(dbForm.id());
    DirectMenuClient menu(dbForm.db(), "demo", "T1", QDate(2026, 12, 31));
    ParametriDitta parametri(menu);
    parametri.load();
    AziendaUtil moneta(dbForm.db(), parametri.impostazioniMoneta());
    moneta.caricaDecimali();
    ScriptedUiServices ui;
    ScriptedLista lista;
    frmEvasPre form(dbForm.db(), parametri, moneta, ui, lista, "EvaPre", "EvPr");
    // The rates the table proposes are confirmed as they stand, as the command takes them.
    form.setChiediCambi([](std::vector<CambioProposto>&) {});
    ASSERT_TRUE(form.Form_Load());
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    ASSERT_EQ(form.txt(C::TipoPreventivo)->text(), "PV");
    ASSERT_EQ(form.txt(C::TipoEvasione)->text(), "FA");
    QTest::mouseClick(form.OptTipoEva[0], Qt::LeftButton, {},
                      QPoint(8, form.OptTipoEva[0]->height() / 2));
    QTest::mouseClick(form.comOk, Qt::LeftButton);
    EXPECT_EQ(form.motore().oeEsito, EsitoEvasione::Completata)
        << ui.messages.join('|').toStdString();
    EXPECT_EQ(form.motore().oiNumErrori, 0) << form.motore().osErrori.toStdString();

    for (const char* sql : {"Select * from FatTest order by Anno, NumRif",
                            "Select * from FatDett order by Anno, NumRif, RigDet",
                            "Select * from FatSpese order by Anno, NumRif",
                            "Select * from PreVenTest order by Anno, NumRif",
                            "Select * from PreVenDett order by Anno, NumRif, RigLiv",
                            "Select count(*) from DocDaElab", "Select count(*) from LockGest"}) {
        const QStringList attese = righe(dbRun.db(), sql);
        EXPECT_EQ(righe(dbForm.db(), sql), attese) << sql;
    }
    EXPECT_GT(dbForm.db().scalar("Select count(*) from FatTest").toInt(), 0);
}

// The windowed run: the progress window follows the engine while pending events (menu
// commands, timers) are still handled, and the closing message is shown.
TEST(EvasioneDallaMaschera, AvanzamentoNellaFinestraDiElaborazione) {
    TestDb db;
    DemoCompanyBuilder(db.db(), DemoOptions{6, 2, 3}).build();
    VeltDbasedll::instance().setLockConnection(db.id());
    DirectMenuClient menu(db.db(), "demo", "T1", QDate(2026, 12, 31));
    ParametriDitta parametri(menu);
    parametri.load();
    AziendaUtil moneta(db.db(), parametri.impostazioniMoneta());
    moneta.caricaDecimali();
    QtUiServices ui;
    ScriptedLista lista;
    frmEvasPre form(db.db(), parametri, moneta, ui, lista, "EvaPre", "EvPr");
    form.setChiediCambi([](std::vector<CambioProposto>&) {});
    ASSERT_TRUE(form.Form_Load());
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::mouseClick(form.OptTipoEva[0], Qt::LeftButton, {},
                      QPoint(8, form.OptTipoEva[0]->height() / 2));

    // Stands for the menu: its events are answered while the run goes on.
    QStringList fasi, messaggi;
    int giriDuranteLaCorsa = 0;
    int fatti = 0;
    QString daFare;
    QTimer osservatore;
    QObject::connect(&osservatore, &QTimer::timeout, [&] {
        if (frmInElab* finestra = ui.progressWindow()) {
            ++giriDuranteLaCorsa;
            if (!fasi.contains(finestra->LabMsgElab->text()))
                fasi << finestra->LabMsgElab->text();
            if (!finestra->LabFatti->isHidden()) {
                fatti = qMax(fatti, finestra->LabFatti->text().toInt());
                daFare = finestra->labDaFare->text();
            }
        }
        if (auto* msg = qobject_cast<frmMsgCom*>(QApplication::activeModalWidget())) {
            messaggi << msg->text();
            msg->buttons().at(0)->click();
        }
    });
    osservatore.start(0);
    QTest::mouseClick(form.comOk, Qt::LeftButton);
    osservatore.stop();

    EXPECT_EQ(form.motore().oeEsito, EsitoEvasione::Completata);
    EXPECT_GT(giriDuranteLaCorsa, 0);
    EXPECT_TRUE(fasi.contains("Elaborazione Preventivi")) << fasi.join('|').toStdString();
    EXPECT_EQ(daFare, QString::number(form.motore().oiPreventiviElaborati));
    EXPECT_EQ(fatti, form.motore().oiPreventiviElaborati);
    EXPECT_EQ(messaggi, QStringList{"Elaborazione terminata"});
    EXPECT_EQ(ui.progressWindow(), nullptr);
    EXPECT_TRUE(form.isVisible());  // the form stays open for another run
}

}  // namespace
}  // namespace evapre::test
