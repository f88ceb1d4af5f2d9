#pragma once

#include <QMap>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "CambiEvasione.h"
#include "ControlliEvasione.h"
#include "Decodificatore.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace evapre {

class AziendaUtil;
class DbConnection;
class DbError;
class ListaAiuto;
class ParametriDitta;
class ServiziCampo;
class UiServices;
class frmPreEvaManu;
class scEvaPrev;

// The selection form: which quotes to fulfil, into what, how; "&Ok" checks the entries in
// their order and starts the manual grid or the automatic run. The decisions live in
// ControlliEvasione; this form reads the fields, paints them and hands over.
class frmEvasPre : public QWidget {
    Q_OBJECT
  public:
    // chiaveProgramma: the program key the window placement is kept under, with osKeySec.
    frmEvasPre(DbConnection& db, ParametriDitta& parametri, AziendaUtil& moneta, UiServices& ui,
               ListaAiuto& lista, const QString& chiaveProgramma, const QString& osKeySec,
               QWidget* parent = nullptr);
    ~frmEvasPre() override;

    // Defaults and the first decodes; false when the database could not be read.
    bool Form_Load();
    int oiLoadOk = 0;
    QString osKeySec;

    // The rates of a run's foreign currencies are confirmed here; the exchange-rate window
    // by default.
    using ChiediCambi = std::function<void(std::vector<CambioProposto>&)>;
    void setChiediCambi(ChiediCambi chiedi) { mChiediCambi = std::move(chiedi); }

    QLineEdit* txt(int indice) const { return mTxt.value(indice); }
    QLabel* Label1(int indice) const { return mLabel1.value(indice); }
    QLabel* Lab(int indice) const { return mLab.value(indice); }
    QToolButton* ComHlp(int indice) const { return mComHlp.value(indice); }
    QRadioButton* OptTipoEva[2];
    QRadioButton* OptCreaAcq[4];
    QGroupBox* Frame1;
    QGroupBox* FraCreazAcq;
    QCheckBox* CheCorrispettivo;
    QCheckBox* CheSuDispon;
    QPushButton* comOk;
    QPushButton* ComAnnulla;

    // The engine the form owns, created on first use.
    scEvaPrev& motore();
    const VociSelezione& voci() const { return mVoci; }
    ServiziCampo& servizi() { return *mServizi; }

  public slots:
    void comOk_Click();
    void ComAnnulla_Click();
    void ComHlp_Click(int indice);
    void CheCorrispettivo_Click();

  protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;

  private:
    void costruisci();
    QLineEdit* campo(int indice, const QString& didascalia, int caratteri);
    void ordinaTab();

    void txt_GotFocus(int indice);
    void txt_LostFocus(int indice);
    void txt_KeyUp(int indice, int tasto, Qt::KeyboardModifiers modificatori);
    void lasciaTipoPreventivo();
    void lasciaTipoEvasione();
    void lasciaPrefisso();
    void lasciaCodice(int indice);
    void decodifica(int indice);
    QString filtroCampo(int indice) const;
    void apriLista(int indice, int tasto);
    void scegliAcquisti(int indice);

    void leggiVoci();
    void avviaManuale(scEvaPrev& m);
    bool grigliaAperta() const;
    void avviaAutomatica(scEvaPrev& m);
    void chiediCambi(std::vector<CambioProposto>& cambi);
    void erroreDb(const DbError& errore);

    DbConnection& mDb;
    ParametriDitta& mParametri;
    AziendaUtil& mMoneta;
    UiServices& mUi;
    ListaAiuto& mLista;
    ServiziCampo* mServizi;
    ControlliEvasione mControlli;
    Decodificatore mDecodificatore;
    VociSelezione mVoci;
    std::unique_ptr<scEvaPrev> mMotore;
    QPointer<frmPreEvaManu> mGriglia;
    ChiediCambi mChiediCambi;
    bool mInCorso = false;

    QMap<int, QLineEdit*> mTxt;
    QMap<int, QLabel*> mLabel1;
    QMap<int, QLabel*> mLab;
    QMap<int, QToolButton*> mComHlp;
};

}  // namespace evapre
