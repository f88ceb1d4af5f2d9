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
    QTimer::singleShot(500, [&] {
        form.activateWindow();
        form.txt(CampoSelezione::ClienteDa)->setFocus();
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
