// evapre-schermata FILE.png: the selection form over a small demo company, drawn as the user
// sees it and saved as an image (run under Xvfb by scripts/screenshot).
#include <QApplication>
#include <QDate>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "AziendaUtil.h"
#include "DbConnection.h"
#include "DemoDb.h"
#include "DirectMenuClient.h"
#include "FinestraListaAiuto.h"
#include "ParametriDitta.h"
#include "QtUiServices.h"
#include "RowSet.h"
#include "SchemaManager.h"
#include "VeltDbasedll.h"
#include "frmEvasPre.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (app.arguments().size() != 2) {
        std::fprintf(stderr, "Uso: evapre-schermata FILE.png\n");
        return 2;
    }
    using namespace evapre;
    QTemporaryDir cartella;
    OpenOptions apertura;
    apertura.createIfMissing = true;
    auto& componente = VeltDbasedll::instance();
    const int id =
        componente.openConnection(cartella.filePath(QStringLiteral("azienda.db")), {}, apertura);
    DbConnection& db = componente.connection(id);
    SchemaManager::upgrade(db);
    DemoCompanyBuilder(db, DemoOptions{8, 3, 1}).build();
    componente.setLockConnection(id);

    DirectMenuClient menu(db, QStringLiteral("demo"), QStringLiteral("T1"), QDate(2026, 12, 31));
    ParametriDitta parametri(menu);
    parametri.load();
    AziendaUtil moneta(db, parametri.impostazioniMoneta());
    moneta.caricaDecimali();
    QtUiServices ui;
    ListaAiutoDb lista(db);
    frmEvasPre form(db, parametri, moneta, ui, lista, QStringLiteral("EvaPre"),
                    QStringLiteral("EvPr"));
    if (!form.Form_Load())
        return 1;
    form.show();
    const QString file = app.arguments().at(1);
    int esito = 0;
    // A customer range typed in, as a user would before confirming.
    QString cliente;
    auto conti = db.openRowSet(QStringLiteral("Select Gruppo, Mastro, Conto from PianoConti where "
                                              "TipoConto = ") +
                               db.sql(QStringLiteral("3")) +
                               QStringLiteral(" order by Gruppo, Mastro, Conto"));
    if (!conti->eof())
        cliente = conti->text(QStringLiteral("Gruppo")) + QLatin1Char('-') +
                  conti->text(QStringLiteral("Mastro")) + QLatin1Char('-') +
                  conti->text(QStringLiteral("Conto"));
    QTimer::singleShot(500, [&] {
        // No window manager under Xvfb: the form is made the active window by hand.
        QApplication::setActiveWindow(&form);
        form.txt(CampoSelezione::ClienteDa)->setFocus();
        form.txt(CampoSelezione::ClienteDa)->setText(cliente);
        form.txt(CampoSelezione::ArticoloDa)->setFocus();
        form.txt(CampoSelezione::DataRifDa)->setFocus();
        QTimer::singleShot(300, [&] {
            if (!form.grab().save(file))
                esito = 1;
            app.quit();
        });
    });
    app.exec();
    componente.reset();
    return esito;
}
