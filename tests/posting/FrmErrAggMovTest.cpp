// The reversal error window, and a failed reversal shown in it.
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "PostingFixture.h"
#include "frmErrAggMov.h"

namespace evapre::test {
namespace {

TEST(FrmErrAggMov, MostraIlMessaggioEProsegue) {
    frmErrAggMov finestra;
    EXPECT_EQ(finestra.windowTitle(), "Errore");
    EXPECT_EQ(finestra.findChild<QLabel*>("labErrore")->text(),
              "Errore durante il disaggiornamento");
    EXPECT_EQ(finestra.prosegui()->text(), "Prosegui");
    QTimer::singleShot(0, &finestra, [&] { finestra.prosegui()->click(); });
    finestra.MostraErrore("Errore durante il Disaggiornamento\nErrore (1) guasto\nMovMagDett");
    EXPECT_EQ(finestra.messaggio(),
              "Errore durante il Disaggiornamento\nErrore (1) guasto\nMovMagDett");
    EXPECT_FALSE(finestra.isVisible());
}

class FinestraRegistrata : public FinestraErrAggMov {
  public:
    QStringList messaggi;
    void MostraErrore(const QString& messaggio) override { messaggi << messaggio; }
};

// A reversal that fails shows its error in the window, names the table and stops.
TEST_F(PostingTest, DisaggiornamentoFallitoNellaFinestra) {
    FinestraRegistrata finestra;
    UtilMovim conFinestra(db.db(), parametri, moneta, ui, lock, &finestra);
    causale("BAD", {{"CarScar", "N"}, {"Prov", "M"}, {"Dest", ""}});
    articolo("A");
    movimento(1, "BAD");
    riga(1, 1, "A", "1", "0");
    ASSERT_TRUE(conFinestra.AggMovimento(kAnno, 1, true, false, true));
    db.db().execute("Update MagCausali Set QualeProgrQta = '9'");
    EXPECT_FALSE(conFinestra.AggMovimento(kAnno, 1, true, true, false));
    ASSERT_EQ(finestra.messaggi.size(), 1);
    EXPECT_TRUE(finestra.messaggi[0].startsWith("Errore durante il Disaggiornamento\nErrore ("));
    EXPECT_TRUE(finestra.messaggi[0].endsWith("\nMovMagDett"));
    EXPECT_EQ(conta("Select count(*) from MovMagDett where FlagStato = '0'"), 1);
}

}  // namespace
}  // namespace evapre::test
