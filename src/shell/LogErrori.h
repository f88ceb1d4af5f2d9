#pragma once

#include <QString>

namespace evapre {

// A bounded error text: the first 30 errors are written out, the 31st adds a row of dots,
// the later ones are only counted.
class LogErrori {
  public:
    static constexpr int MaxTesti = 30;

    // Appends "Errore n°<numero> : <descrizione> in <titolo>" and a new line.
    void Aggiungi(int numero, const QString& descrizione, const QString& titolo);

    // The same rule over a text and a count kept elsewhere (the public error fields of the
    // run and of the footer calculator).
    static void AggiungiA(QString& testo, int& conteggio, int numero, const QString& descrizione,
                          const QString& titolo);

    int numErrori() const { return miNumErrori; }
    const QString& testo() const { return msTesto; }
    bool vuoto() const { return miNumErrori == 0; }
    void azzera();

  private:
    int miNumErrori = 0;
    QString msTesto;
};

}  // namespace evapre
