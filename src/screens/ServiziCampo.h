#pragma once

#include <QColor>
#include <QDate>
#include <QObject>
#include <QPointer>
#include <QString>

class QKeyEvent;
class QLineEdit;
class QPalette;
class QWidget;

namespace evapre {

class ParametriDitta;
class UiServices;

// The field routines every form shares: colours and marks, date completion and checking,
// entry highlighting, the form keys (Esc, Enter, the keypad comma, find and replace) and the
// saved window placement.
class ServiziCampo : public QObject {
    Q_OBJECT
  public:
    // Colour numbers as the suite writes them (blue, green, red bytes; &H80000000 and up are
    // system colours). A field in the error colour is marked wrong.
    static constexpr quint32 kColoreErrore = 255;
    static constexpr quint32 kColoreNormale = 0x80000005;

    // chiaveFinestra: "<program key>-<osKeySec>", under which the placement is kept.
    ServiziCampo(QWidget* form, ParametriDitta& parametri, UiServices& ui,
                 const QString& chiaveFinestra);

    static QColor Colore(quint32 numero, const QPalette& palette);

    // ---- Marks ------------------------------------------------------------------------------
    // Paints the field in the error colour, or clears the mark.
    void Segna(QLineEdit* campo, bool errato);
    static bool Errato(const QLineEdit* campo);
    // The colour number the field's background shows.
    static quint32 ColoreDi(const QLineEdit* campo);

    // ---- Dates ------------------------------------------------------------------------------
    // A partly typed date completed from the reference date: "5" the 5th of its month, "5/3"
    // or "0503" the 5 March of its year; any date "dd/mm/yyyy". Text that is no date stays.
    static QString CompletaData(const QString& testo, const QDate& riferimento);
    // Completes the field and marks it when it holds no date or one before the minimum date
    // ("Data troppo piccola"). False when marked. The option is the caller's variant of the
    // routine; every variant checks the same way.
    bool CampoData(QLineEdit* campo, int opzione);

    // ---- Fields and form ---------------------------------------------------------------------
    // Entry highlighting and the form keys for a field.
    void PreparaCampo(QLineEdit* campo);
    // Form colour and the saved placement.
    void PreparaForm();
    void SalvaPosizione();
    const QString& chiaveFinestra() const { return mChiave; }

    QDate dataRiferimento() const;

  protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override;

  private:
    void dipingi(QLineEdit* campo);
    bool tasto(QLineEdit* campo, QKeyEvent* evento);
    void trova(QLineEdit* campo);
    void sostituisci(QLineEdit* campo);

    QPointer<QWidget> mForm;
    ParametriDitta& mParametri;
    UiServices& mUi;
    QString mChiave;
    quint32 mColoreFocus;
    quint32 mColoreSenzaFocus;
};

}  // namespace evapre
